// TfmE: the sales read, its conversion into a sales-read file, and the
// counter reset.

#include <QDateTime>
#include <filesystem>
#include <stdexcept>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "register/current_register.h"
#include "register/register_exchange.h"
#include "register/sales_read_format.h"

namespace rubso {
namespace {

void Memo(const std::string& line) {
    CurrentOperator().AddSalesMemoLine(line);
}

std::string TransmissionTime(const QDateTime& start) {
    return "Czas transmisji: " + std::to_string(start.secsTo(Clock::Now())) + " sek.";
}

// A conversion step that failed; its text goes to the memo and the work log.
class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Finds the goods symbol of a register code, by one of the two ways the
// setting UseEAN chooses.
class SymbolLookup {
  public:
    SymbolLookup(bool useEan, RegisterCodeMap codes) : useEan_(useEan), codes_(std::move(codes)) {}

    // The symbol, or "" when none; `ean` gets the bar code found on the way.
    std::string Find(const SalesTotalsLine& line, std::string& ean) const {
        ean.clear();
        if (!useEan_) {
            const auto found = codes_.find(line.code);
            return found == codes_.end() ? std::string() : found->second;
        }
        const SeekAsortResult result = FSeekAsort(
            DM(), CurrentKodyPath(), line.code, App().goodsTable, Trim(App().mainSettings.barKod));
        ean = result.ean;
        return result.asort;
    }

  private:
    bool useEan_;
    RegisterCodeMap codes_;
};

}  // namespace

void TfmE::ElzabSprz() {
    const RegisterParametersScope parametersOfTheCommand;
    if (!ModStart()) return;
    CurrentOperator().ClearSalesMemo();
    lastResult_ = 0;
    Komunikat("", false);
    aOtSpMaxExecute();
    if (lastResult_ == 0) ConvertSalesRead(outputFilePath_);
}

void TfmE::aOtSpMaxExecute() {
    if (!EnsureDriverConfig()) return;
    const QDateTime start = Clock::Now();
    CurrentOperator().ClearSalesMemo();
    Memo("Start " + TimeText(start.time()));
    CurrentOperator().ProcessPendingMessages();
    if (!PrepareInputFile("OTSpMax") || !PrepareOutputFile("OTSpMax")) return;
    Invoke(WinIpFunction::kOTSpMax, Reporting::Log);
    Memo(TransmissionTime(start));
}

bool TfmE::ConvertSalesRead(const std::string& outputPath) {
    const bool useEan = App().mainSettings.useEan;
    RegisterCodeColumn codeColumn;
    if (!useEan) {
        if (!GoodsTableReachable(DM(), App().goodsTable)) {
            Komunikat(Cp1250("Brak dostępu do kartotek programu handlowego"), true);
            return false;
        }
        try {
            codeColumn = RegisterCodeColumnOf(DM(), App().goodsTable);
        } catch (const std::exception& error) {
            WriteWorkLog(error.what());
            ShowMessage("Niepoprawna struktura kartoteki");
            return false;
        }
    }

    const QDateTime now = Clock::Now();
    const QDate today = now.date();
    const std::string time = TimeText(now.time()).substr(0, 5);
    const std::string kasaDir = App().kasaDir;
    const std::string registerCode = CurrentRegister() ? CurrentRegister()->kodKasa : std::string();
    int number = NextSalesReadNumber(kasaDir, today);
    Memo("Odczyt nr : " + std::to_string(number));

    // Written under a name no file list takes for a sales read, renamed
    // when complete.
    const std::string partPath = kasaDir + SalesReadFileName(today, number) + ".part";
    TextFile file;
    try {
        std::string text;
        if (!ReadOutputFile("OTSpMax", outputPath, text))
            throw ConversionError(Cp1250("Brak danych odczytu"));
        const std::vector<std::string> lines = SplitLines(text);
        if (lines.size() < static_cast<std::size_t>(kSalesHeaderLines)) {
            throw ConversionError(Cp1250("Niepełny nagłówek danych odczytu"));
        }
        std::vector<std::optional<SalesTotalsLine>> parsed(lines.size());
        std::vector<std::string> problems(lines.size());
        std::vector<std::int64_t> codes;
        for (std::size_t i = kSalesHeaderLines; i < lines.size(); ++i) {
            if (IsBlank(lines[i])) continue;
            parsed[i] = ParseSalesTotalsLine(lines[i], problems[i]);
            if (parsed[i]) codes.push_back(parsed[i]->code);
        }
        // Asked afresh for every read (codes change with the code assignment
        // and the code reset), and only for the codes this read holds.
        const SymbolLookup lookup(
            useEan, useEan ? RegisterCodeMap()
                           : FetchRegisterCodes(DM(), App().goodsTable, codeColumn, codes));
        if (!EnsureDir(kasaDir) || !OpenTextFile(partPath, kRewrite, file)) {
            throw ConversionError(Cp1250("Nie można utworzyć pliku ") + partPath);
        }
        int written = 0;
        for (std::size_t i = kSalesHeaderLines; i < lines.size(); ++i) {
            if (IsBlank(lines[i])) continue;
            Memo(lines[i]);
            const std::optional<SalesTotalsLine>& line = parsed[i];
            if (!line) {
                throw ConversionError(Cp1250("Niepoprawny wiersz ") + std::to_string(i + 1) +
                                      Cp1250(" danych odczytu (") + problems[i] + "): " + lines[i]);
            }
            std::string ean;
            const std::string asort = lookup.Find(*line, ean);
            if (asort.empty()) {
                std::string code = line->codeText;
                if (!ean.empty()) code += "(EAN " + ean + ")";
                Memo("Brak odpowiednika dla kodu kasowego " + code);
            }
            if (!WriteTextLine(SalesReadLine(registerCode, *line, asort, today, time), file)) {
                throw ConversionError(Cp1250("Nie można zapisać pliku ") + partPath);
            }
            ++written;
        }
        Memo(Cp1250("Ilość pozycji sprzedaży : ") + std::to_string(written));
        if (!CloseTextFile(file))
            throw ConversionError(Cp1250("Nie można zapisać pliku ") + partPath);

        // Never over an existing read: take the next free number.
        while (FileExists(kasaDir + SalesReadFileName(today, number))) ++number;
        const std::string finalPath = kasaDir + SalesReadFileName(today, number);
        std::error_code error;
        std::filesystem::rename(partPath, finalPath, error);
        if (error) throw ConversionError(Cp1250("Nie można utworzyć pliku ") + finalPath);
        lastSalesReadFile_ = finalPath;
        return true;
    } catch (const std::exception& error) {
        CloseTextFile(file);
        DeleteFileIfExists(partPath);
        Memo(error.what());
        WriteWorkLog(error.what());
        ShowMessage(Cp1250("Błąd przenoszenia danych "));
        return false;
    }
}

void TfmE::aOSprzedExecute() {
    if (!EnsureDriverConfig()) return;
    if (!PrepareInputFile("OSprzed") || !PrepareOutputFile("OSprzed")) return;
    Invoke(WinIpFunction::kOSprzed, Reporting::Log);
}

void TfmE::aZerujLicznikiExecute() {
    const RegisterParametersScope parametersOfTheCommand;
    const QDateTime start = Clock::Now();
    CurrentOperator().ClearSalesMemo();
    Memo("Start:" + TimeText(start.time()));
    CurrentOperator().ProcessPendingMessages();
    if (!ModStart()) return;
    aOSprzedExecute();
    if (lastResult_ != 0) return;
    // Counters are reset only over a read that left its data behind.
    if (!FileExists(outputFilePath_)) {
        Fail(Cp1250("[OSprzed] Brak pliku wyników ") + outputFilePath_ +
             Cp1250(" - liczniki nie zostały wyzerowane"));
        return;
    }
    if (!PrepareInputFile("KSprOp")) return;
    Invoke(WinIpFunction::kKSprOp, Reporting::Log);
    Memo(TransmissionTime(start));
}

bool TfmE::ResetCountersAfter(const std::function<bool(const std::string& receiptsPath)>& approve) {
    const RegisterParametersScope parametersOfTheCommand;
    if (!ModStart()) return false;
    aOSprzedExecute();
    if (lastResult_ != 0) return false;
    if (!FileExists(outputFilePath_)) {
        Fail(Cp1250("[OSprzed] Brak pliku wyników ") + outputFilePath_ +
             Cp1250(" - liczniki nie zostały wyzerowane"));
        return false;
    }
    if (!approve(outputFilePath_)) return false;
    if (!PrepareInputFile("KSprOp")) return false;
    return Invoke(WinIpFunction::kKSprOp, Reporting::Log);
}

}  // namespace rubso
