#include "dayend/dayend_report.h"

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "dayend/booking_check.h"

namespace rubso {
namespace {

std::string DocumentText(const DayEndState& state) {
    if (state.document.empty()) return Cp1250("brak sprzedaży, bez dokumentu");
    return "dokument " + state.document + ", pozycji " + std::to_string(state.lines) + ", brutto " +
           AmountText(state.gross) + Cp1250(" zł");
}

}  // namespace

std::string OutcomeLine(const RegisterOutcome& outcome) {
    const std::string lead = "Kasa " + std::to_string(outcome.registerNo) + ": ";
    const std::string note = outcome.state.note.empty() ? "" : " (" + outcome.state.note + ")";
    switch (outcome.kind) {
        case RegisterOutcome::Kind::kFinished:
            return lead + Cp1250("zamknięta - ") + DocumentText(outcome.state) +
                   Cp1250(", liczniki wyzerowane") + note;
        case RegisterOutcome::Kind::kAlreadyDone:
            return lead + Cp1250("zamknięta wcześniej - ") + DocumentText(outcome.state) +
                   Cp1250("; bez zmian");
        case RegisterOutcome::Kind::kFailed:
            break;
    }
    return lead + Cp1250("NIE ZAMKNIĘTA - ") + outcome.failure;
}

bool AllRegistersClosed(const std::vector<RegisterOutcome>& outcomes, const std::string& refusal) {
    if (!refusal.empty()) return false;
    for (const RegisterOutcome& outcome : outcomes) {
        if (outcome.kind == RegisterOutcome::Kind::kFailed) return false;
    }
    return true;
}

std::vector<std::string> DayEndReportLines(const QDate& saleDate, const QDateTime& started,
                                           const std::vector<RegisterOutcome>& outcomes,
                                           const std::string& refusal) {
    std::vector<std::string> lines = {Cp1250("Zamknięcie dnia ") + DateText(saleDate) +
                                      Cp1250(", uruchomione ") + DateTimeText(started)};
    if (!refusal.empty()) {
        lines.push_back(Cp1250("Nie rozpoczęte: ") + refusal);
        return lines;
    }
    std::size_t closed = 0;
    for (const RegisterOutcome& outcome : outcomes) {
        lines.push_back(OutcomeLine(outcome));
        for (const std::string& difference : outcome.differences)
            lines.push_back("    " + difference);
        if (outcome.kind != RegisterOutcome::Kind::kFailed) ++closed;
    }
    if (outcomes.empty()) {
        lines.push_back(Cp1250("Brak aktywnych kas (COM_DEF.AKTYWNY = 1)"));
    } else if (closed == outcomes.size()) {
        lines.push_back(Cp1250("Wszystkie kasy zamknięte (") + std::to_string(closed) + ")");
    } else {
        lines.push_back(Cp1250("Nie wszystkie kasy zamknięte: ") + std::to_string(closed) + " z " +
                        std::to_string(outcomes.size()));
    }
    return lines;
}

std::string WriteDayEndReport(const std::string& dataDir, const QDate& saleDate,
                              const QDateTime& started, const std::vector<std::string>& lines) {
    const std::string base = dataDir + "KoniecDnia_" + DateDigits(saleDate) + "_" +
                             started.time().toString("HHmmss").toStdString();
    std::string path = base + ".txt";
    for (int n = 2; FileExists(path); ++n) path = base + "_" + std::to_string(n) + ".txt";
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFileText(text, path) ? path : std::string();
}

}  // namespace rubso
