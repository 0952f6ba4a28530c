#include "core/operator.h"

#include "core/codepage.h"
#include "core/work_log.h"

namespace rubso {
namespace {
SilentOperator& Fallback() {
    static SilentOperator silent;
    return silent;
}
Operator*& Current() {
    static Operator* current = nullptr;
    return current;
}
}  // namespace

void Operator::StartBatch(const std::string&, std::size_t) {}
void Operator::ShowBatchProgress(std::size_t, std::size_t, std::size_t) {}
bool Operator::StopRequested() const {
    return false;
}
void Operator::EndBatch() {}

void SetOperator(Operator* op) {
    Current() = op;
}

Operator& CurrentOperator() {
    return Current() ? *Current() : Fallback();
}

void Komunikat(const std::string& text, bool error) {
    CurrentOperator().ShowStatus(text, error);
    if (!text.empty()) WriteWorkLog(text);
}

void ShowMessage(const std::string& text) {
    CurrentOperator().Ask({text, {}, MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
}

void ShowErrorMessage(const std::string& text) {
    CurrentOperator().Ask({text, {}, MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok});
}

std::string BatchSummaryText(const std::string& lead, const std::string& verb,
                             const BatchOutcome& outcome) {
    const std::size_t succeeded = outcome.done - outcome.failed;
    // "z 1 towaru", "z 2 towarów", "z 249 towarów": the genitive after "z".
    const char* goods = outcome.total == 1 ? " towaru" : " towarów";
    std::string text = lead;
    if (outcome.stopped) {
        text += Cp1250("Przerwano: ");
        text += LowerCase(verb);
    } else {
        text += verb;
    }
    text += " " + std::to_string(succeeded) + " z " + std::to_string(outcome.total) + Cp1250(goods);
    if (outcome.failed > 0) {
        text += Cp1250(", błędy: ") + std::to_string(outcome.failed) +
                Cp1250(" — szczegóły w Raporcie o błędach");
    } else if (outcome.Succeeded()) {
        text += Cp1250(" bez błędów");
    }
    return text;
}

void ShowBatchSummary(const std::string& lead, const std::string& verb,
                      const BatchOutcome& outcome) {
    Komunikat(BatchSummaryText(lead, verb, outcome), !outcome.Succeeded());
}

BatchScope::BatchScope(const std::string& caption, std::size_t total) {
    outcome_.total = total;
    CurrentOperator().StartBatch(caption, total);
    CurrentOperator().ProcessPendingMessages();
}

BatchScope::~BatchScope() {
    CurrentOperator().EndBatch();
}

bool BatchScope::ItemDone(bool succeeded) {
    ++outcome_.done;
    if (!succeeded) ++outcome_.failed;
    Operator& op = CurrentOperator();
    op.ShowBatchProgress(outcome_.done, outcome_.total, outcome_.failed);
    op.ProcessPendingMessages();
    if (op.StopRequested() && outcome_.done < outcome_.total) outcome_.stopped = true;
    return !outcome_.stopped;
}

void BusyCursor() {
    CurrentOperator().SetBusyCursor(true);
    CurrentOperator().ProcessPendingMessages();
}

void NormalCursor() {
    CurrentOperator().SetBusyCursor(false);
    CurrentOperator().ProcessPendingMessages();
}

}  // namespace rubso
