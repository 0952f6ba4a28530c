#include "app/core/operator.h"

#include "app/core/work_log.h"

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

void SetOperator(Operator* op) { Current() = op; }

Operator& CurrentOperator() { return Current() ? *Current() : Fallback(); }

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

void BusyCursor() {
    CurrentOperator().SetBusyCursor(true);
    CurrentOperator().ProcessPendingMessages();
}

void NormalCursor() {
    CurrentOperator().SetBusyCursor(false);
    CurrentOperator().ProcessPendingMessages();
}

}  // namespace rubso
