// TfmE: deleting goods in the register and reading the register's goods
// list.

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "register/register_exchange.h"
#include "register/register_records.h"

namespace rubso {

void TfmE::aKasujTowarExecute(std::vector<std::int64_t>& selected) {
    const RegisterParametersScope parametersOfTheCommand;
    Komunikat("", false);
    CurrentOperator().ProcessPendingMessages();
    if (selected.empty()) {
        Komunikat("Brak zaznaczonych pozycji", true);
        return;
    }
    if (!ModStart()) return;
    RegisterCodeBatch codeTable(CurrentKodyPath());
    std::size_t done = 0;
    BatchScope batch(Cp1250("Kasowanie towarów w kasie"), selected.size());
    while (done < selected.size()) {
        const std::int64_t code = selected[done];
        // The first error stops the deletion; the failed code stays selected.
        if (!PrepareInputFile("KTowar") || !AddInputRecord(DeletionRecordLine(code)) ||
            !Invoke(WinIpFunction::kKTowar, Reporting::Transfer)) {
            batch.ItemDone(false);
            break;
        }
        codeTable.Remove(code);
        ++done;
        // Progress, repaint, and the operator's stop request after a whole code.
        if (!batch.ItemDone(true)) break;
    }
    selected.erase(selected.begin(), selected.begin() + static_cast<std::ptrdiff_t>(done));
    CommitCodeTable(codeTable);
    ShowBatchSummary("[KTowar] ", Cp1250("Usunięto"), batch.Outcome());
    ReportCodeTableProblem();
}

void TfmE::aKasujWszystkieTowaryExecute() {
    const RegisterParametersScope parametersOfTheCommand;
    if (!ModStart() || !PrepareInputFile("KTowMax")) return;
    if (Invoke(WinIpFunction::kKTowMax, Reporting::Transfer)) {
        UpdateCodeTable([](RegisterCodeTable& table) { table.Clear(); });
    }
    ReportCodeTableProblem();
}

std::optional<std::vector<std::string>> TfmE::WczytajTowary() {
    const RegisterParametersScope parametersOfTheCommand;
    Komunikat("Wczytywanie danych", false);
    if (!ModStart() || !PrepareInputFile("TowarMax") || !PrepareOutputFile("TowarMax")) {
        return std::nullopt;
    }
    if (!Invoke(WinIpFunction::kTowarMax, Reporting::Log)) return std::nullopt;
    std::string text;
    if (!ReadOutputFile("TowarMax", outputFilePath_, text)) return std::nullopt;
    std::vector<std::string> lines = SplitLines(text);

    std::string problem;
    const std::optional<std::vector<RegisterCodeRow>> rows =
        ParseRegisterGoodsList(lines, App().letterStandardIndex, problem);
    if (rows) {
        UpdateCodeTable([&rows](RegisterCodeTable& table) { table.Replace(*rows); });
        ReportCodeTableProblem();
    } else {
        Komunikat(Cp1250("Wykaz towarów z kasy nie odświeżył tabeli kodów - ") + problem, true);
    }
    return lines;
}

}  // namespace rubso
