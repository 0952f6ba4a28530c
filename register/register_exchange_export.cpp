// TfmE: the goods export and the price change.

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/error_report.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "register/register_exchange.h"
#include "register/register_records.h"

namespace rubso {
namespace {

// Drops the first `done` entries of the selection when the export ends,
// also when a database error ends it.
class SelectionTrimmer {
  public:
    explicit SelectionTrimmer(std::vector<std::string>& marked) : marked_(marked) {}
    ~SelectionTrimmer() {
        marked_.erase(marked_.begin(), marked_.begin() + static_cast<std::ptrdiff_t>(done));
    }
    SelectionTrimmer(const SelectionTrimmer&) = delete;
    SelectionTrimmer& operator=(const SelectionTrimmer&) = delete;
    std::size_t done = 0;

  private:
    std::vector<std::string>& marked_;
};

}  // namespace

void TfmE::aExpoTowarExecute(std::vector<std::string>& marked, ExportChoice choice) {
    const RegisterParametersScope parametersOfTheCommand;
    if (!ModStart()) return;
    Komunikat("", false);
    if (marked.empty()) {
        Komunikat("Brak zaznaczonych pozycji", true);
        return;
    }
    const WinIpFunction function =
        choice.fullData ? WinIpFunction::kZTowar : WinIpFunction::kZCTowar;
    const std::string operation(WinIpOperationName(function));

    const RegisterParameters parameters = CurrentRegisterParameters();
    const std::string priceColumn = PriceColumnOf(parameters);
    const std::string vatColumn = App().vatColumn.empty() ? "Stawka_Vat" : App().vatColumn;
    const std::string barCodeColumn = Trim(App().mainSettings.barKod);
    if (!IsPlainIdentifier(priceColumn)) {
        Fail(Cp1250("Niepoprawna nazwa pola z ceną: ") + priceColumn);
        return;
    }
    if (!barCodeColumn.empty() && !IsPlainIdentifier(barCodeColumn)) {
        Fail(Cp1250("Niepoprawna nazwa pola z kodem kreskowym: ") + barCodeColumn);
        return;
    }
    ExportGoodsReader reader(DM(), App().goodsTable, priceColumn, vatColumn, barCodeColumn);
    reader.Prefetch(marked);
    const GoodsRecordContext context{VatRateList(parameters), UnitCodeList(parameters),
                                     App().letterStandardIndex};
    if (choice.fullData) {
        std::vector<ExportGood> goods;
        goods.reserve(marked.size());
        for (const std::string& asort : marked) {
            if (std::optional<ExportGood> good = reader.Find(asort)) goods.push_back(*good);
        }
        if (!ConfirmNameCollisions(goods, context.letterStandardIndex)) {
            Komunikat("[" + operation +
                          Cp1250("] Eksport zatrzymany przed wysłaniem: jednakowe nazwy "
                                 "towarów w kasie"),
                      true);
            return;
        }
    }

    RegisterCodeBatch codeTable(CurrentKodyPath());
    SelectionTrimmer selection(marked);
    BatchScope batch(Cp1250("Eksport towarów do kasy"), marked.size());
    while (selection.done < marked.size()) {
        const std::string& asort = marked[selection.done];
        if (!PrepareInputFile(operation)) {
            batch.ItemDone(false);
            break;
        }
        const std::optional<ExportGood> good = reader.Find(asort);
        if (!good) {
            // Deleted in the trading program since the list was loaded.
            lastResult_ = kNotCalledResult;
            const std::string message =
                "[" + operation + Cp1250("] Brak towaru w kartotece (Asort=") + asort + ")";
            AppendErrorReportLine(DatedErrorLine(message));
            Komunikat(message, true);
        } else {
            if (!AddInputRecord(GoodsRecordLine(*good, context))) {
                batch.ItemDone(false);
                break;
            }
            if (Invoke(function, Reporting::Transfer, &*good)) {
                const RegisterCodeRow row = SentGoodRow(*good, context.letterStandardIndex);
                if (choice.fullData) {
                    codeTable.Put(row);
                } else {
                    codeTable.PutPrice(row);
                }
            } else if (!libraryCalled_) {
                batch.ItemDone(false);
                break;  // every further good would be refused the same way
            }
        }
        const bool sent = lastResult_ == 0;
        if (!sent && choice.stopOnFirstError) {
            batch.ItemDone(false);
            break;
        }
        ++selection.done;
        // Progress, repaint, and the operator's stop request after a whole good.
        if (!batch.ItemDone(sent)) break;
    }
    CommitCodeTable(codeTable);
    // A failure is never left looking like success: the last good's green
    // line gives way to the count of goods sent and failed.
    ShowBatchSummary("[" + operation + "] ", Cp1250("Wysłano"), batch.Outcome());
    ReportCodeTableProblem();
}

bool TfmE::ConfirmNameCollisions(const std::vector<ExportGood>& goods, int letterStandardIndex) {
    constexpr std::size_t kListed = 20;
    const std::vector<RegisterNameCollision> collisions =
        RegisterNameCollisions(goods, letterStandardIndex);
    if (collisions.empty()) return true;
    MessageBoxRequest question;
    question.title = Cp1250("Jednakowe nazwy w kasie");
    question.text = Cp1250(
        "Te towary będą miały w kasie jednakowe nazwy (nazwa w kasie ma najwyżej 19 znaków), "
        "więc kasa i paragon ich nie odróżnią:");
    for (std::size_t i = 0; i < collisions.size() && i < kListed; ++i) {
        question.text += "\r\n  \"" + ToCp1250(FromCp852(collisions[i].registerName)) + "\": ";
        for (std::size_t j = 0; j < collisions[i].symbols.size(); ++j) {
            question.text += (j > 0 ? ", " : "") + collisions[i].symbols[j];
        }
    }
    if (collisions.size() > kListed) {
        question.text += Cp1250("\r\n  ... i jeszcze ") +
                         std::to_string(collisions.size() - kListed) + Cp1250(" nazw");
    }
    question.text += Cp1250(
        "\r\n\r\nKasa przyjmie tylko pierwszy towar o danej nazwie. "
        "Kontynuować eksport?");
    question.icon = MessageIcon::Warning;
    question.buttons = MessageButtons::YesNo;
    question.preselected = MessageAnswer::No;
    return CurrentOperator().Ask(question) == MessageAnswer::Yes;
}

}  // namespace rubso
