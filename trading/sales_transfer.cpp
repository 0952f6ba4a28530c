// The sales transfer of Tdmh: a sales-read file becomes one WZ document.

#include <cmath>
#include <exception>
#include <filesystem>
#include <set>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "trading/trading_tables.h"

namespace rubso {
namespace {

constexpr const char* kTransferTables = "Kama,Maga,RejSprz,Asor";

double Round2(double value) {
    return RoundDecimals(2, value);
}

std::string VatColumn() {
    return App().vatColumn.empty() ? std::string("Stawka_Vat") : App().vatColumn;
}

// The leading integer of a register code text; a text whose leading run of
// digits and "-" is no number ("1-2") counts as no code.
std::int64_t RegisterCodeNumber(const std::string& text) {
    try {
        return LeadingInt(text);
    } catch (const ConvertError&) {
        return 0;
    }
}

// The rate in at least two digits (5 gives "05"); a longer rate is kept whole.
std::string TwoDigitRate(int rate) {
    std::string text = std::to_string(rate);
    if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
    return text;
}

std::string JoinedCodes(const std::vector<std::string>& codes) {
    std::string joined;
    for (const std::string& code : codes) {
        if (!joined.empty()) joined += ", ";
        joined += code.empty() ? std::string("(pusty)") : code;
    }
    return joined;
}

}  // namespace

std::string SalesReadField(std::string_view line, int n) {
    if (n < 1) return {};
    std::size_t start = 0;
    for (int field = 1; field < n; ++field) {
        const std::size_t separator = line.find(';', start);
        if (separator == std::string_view::npos) return {};
        start = separator + 1;
    }
    const std::size_t end = line.find(';', start);
    return std::string(line.substr(start, end == std::string_view::npos ? end : end - start));
}

SalesLine Tdmh::ExtractOdczyt(const std::string& line) {
    SalesLine sale;
    sale.registerCode = Trim(SalesReadField(line, 2));
    if (App().mainSettings.useEan) {
        const GoodsMatch match =
            lookup_ ? lookup_(RegisterCodeNumber(sale.registerCode)) : GoodsMatch{};
        sale.symbol = match.asort;
        sale.vatCode = match.vatCode;
        sale.vatRate = match.vatRate;
    } else {
        sale.symbol = Trim(SalesReadField(line, 3));
        if (!sale.symbol.empty() && tblAsor.Locate("Asort", {sale.symbol})) {
            sale.vatRate = static_cast<int>(std::trunc(tblAsor.AsFloat(VatColumn())));
            sale.vatCode = TwoDigitRate(sale.vatRate);
            sale.group = tblAsor.AsText("grupa");
        } else {
            sale.vatRate = 23;
            sale.vatCode = "23";
        }
    }
    sale.quantity = ParseDecimal(SalesReadField(line, 4));
    sale.grossValue = ParseDecimal(SalesReadField(line, 5));
    return sale;
}

TransferOutcome Tdmh::Fail(std::int64_t package, const std::string& reason) const {
    TransferOutcome outcome;
    outcome.package = package;
    outcome.reason = reason;
    return outcome;
}

// The reasons a file cannot be written as a whole document, before anything
// is written: lines without goods (named by their register codes) and lines
// with a quantity of 0 (named by their number and text). Empty when none.
std::string Tdmh::CheckLines(const std::vector<std::string>& lines,
                             const std::vector<SalesLine>& sales) const {
    std::vector<std::string> unknownCodes;
    std::set<std::string> seen;
    std::string zeroQuantity;
    for (std::size_t i = 0; i < sales.size(); ++i) {
        if (sales[i].symbol.empty() && seen.insert(sales[i].registerCode).second) {
            unknownCodes.push_back(sales[i].registerCode);
        }
        if (sales[i].quantity == 0 && zeroQuantity.empty()) {
            zeroQuantity =
                Cp1250("Zerowa ilość w wierszu ") + std::to_string(i + 1) + ": " + lines[i];
        }
    }
    std::string reason;
    if (!unknownCodes.empty()) {
        reason = Cp1250("Brak symbolu towaru dla kodów kasowych: ") + JoinedCodes(unknownCodes);
    }
    if (!zeroQuantity.empty()) reason += (reason.empty() ? "" : "; ") + zeroQuantity;
    return reason;
}

void Tdmh::WriteDocument(std::int32_t package, const std::string& documentNumber,
                         const std::vector<SalesLine>& sales) {
    const QDateTime saleDate(App().saleDate, QTime(0, 0));

    InitDok("WZ");
    TRekRejZaSp rej;
    InitRejZaSp(rej);
    rej.Nr_paczki = package;
    rej.Rej = settings_.salesRegister;
    rej.Kod = settings_.contractorCode;
    rej.Numfak = rej.Nr_dok = rej.Nr_pz = documentNumber;
    rej.Data_faktury = rej.Data_wplywu = rej.Data_dwp = rej.Data_wpisu = rej.Term_zapl = saleDate;

    UsunPaczkeZMaga(package);

    TRekMaga maga;
    InitMaga(maga);
    maga.Nr_paczki = package;
    maga.Kod = settings_.contractorCode;
    maga.Numfak = maga.Nr_dok = documentNumber;
    maga.Data_faktury = maga.Data_wplywu = maga.Data_DWP = maga.Data_wpisu = maga.Term_zapl =
        saleDate;

    TRekKama kama;
    InitKama(kama);
    kama.Data = saleDate;
    kama.PARTIA = documentNumber;

    for (const SalesLine& sale : sales) {
        ++maga.Lp;
        const double rate = sale.vatRate;
        const double grossUnit = Round2(sale.grossValue / sale.quantity);
        const double net = Round2(sale.grossValue * 100 / (rate + 100));
        const double netUnit = Round2(grossUnit * 100 / (rate + 100));
        const double vat = sale.grossValue - net;

        maga.Asort = sale.symbol;
        maga.Grupa_As = sale.group;
        maga.Ilosc = sale.quantity;
        maga.Cena = maga.Cena_UPUST = maga.Cena_Netto = maga.Cena_zakupu = netUnit;
        maga.Cena_brutto = grossUnit;
        maga.Wartosc = maga.Wart_zak = net;
        maga.Wart_Brutto = sale.grossValue;
        maga.Podatek = vat;
        maga.Kod_vat = sale.vatCode;
        maga.Stawka_vat = static_cast<std::int16_t>(sale.vatRate);
        AddMaga(maga);

        kama.Magazyn = maga.Magazyn;
        kama.Asort = sale.symbol;
        kama.Grupa_As = sale.group;
        kama.Cena = netUnit;
        kama.Rozchody = sale.quantity;
        AddKama(kama);

        rej.Wartosc += sale.grossValue;
        rej.Netto += net;
        rej.Podatek += vat;
        switch (sale.vatRate) {
            case 5:
                rej.War_05 += net;
                rej.Vat_05 += vat;
                break;
            case 8:
                rej.War_08 += net;
                rej.Vat_08 += vat;
                break;
            case 23:
                rej.War_23 += net;
                rej.Vat_23 += vat;
                break;
            default:
                break;
        }
    }

    UsunPaczkeZRej(package, tblRejZaSp);
    AddRejZaSp(rej);
}

void Tdmh::BeginJournal(const std::string& documentNumber) {
    journal_.Begin(MonthDirectory(), documentNumber);
    journal_.Guard(tblMaga);
    journal_.Guard(tblKama);
    journal_.Guard(tblRejZaSp);
}

std::string Tdmh::RollBack() {
    if (!journalEnabled_) return {};
    try {
        journal_.Rollback();
        return Cp1250("; tabele pozostały bez zmian");
    } catch (const std::exception& error) {
        return std::string("; ") + error.what();
    }
}

void Tdmh::RecoverInterruptedTransfers() {
    namespace fs = std::filesystem;
    const std::string root = WithTrailingSeparator(App().mainSettings.asorPth);
    if (root.empty()) return;
    std::error_code error;
    for (const fs::directory_entry& year : fs::directory_iterator(root, error)) {
        if (!year.is_directory(error) || !StartsWith(year.path().filename().string(), "Rok")) {
            continue;
        }
        for (const fs::directory_entry& month : fs::directory_iterator(year.path(), error)) {
            if (!month.is_directory(error) ||
                !StartsWith(month.path().filename().string(), "Dane")) {
                continue;
            }
            try {
                RecoverInterruptedChange(month.path().string());
            } catch (const std::exception& failure) {
                Komunikat(failure.what(), true);
            }
        }
    }
}

TransferOutcome Tdmh::WZ2Hndl(const std::string& file) {
    const std::int64_t package = TransferDocumentNumber();
    if (!TransferDocumentNumberFits()) {
        const std::string reason =
            Cp1250("Kasa nr ") + std::to_string(App().registerNo) +
            Cp1250(
                " nie ma własnego numeru paczki w liczbie 32-bitowej (kasy mają numery od "
                "0 do 2046). Nic nie zapisano.");
        WriteWorkLog(reason);
        return Fail(package, reason);
    }
    if (!FileExists(file)) {
        const std::string reason = Cp1250("Brak zbioru z odczytem sprzedaży ") + file;
        WriteWorkLog(reason);
        return Fail(package, reason);
    }
    std::vector<std::string> lines;
    for (std::string& line : SplitLines(ReadFileText(file))) {
        if (!IsBlank(line)) lines.push_back(std::move(line));
    }
    if (lines.empty()) {
        const std::string reason = Cp1250("Pusty zbiór z odczytem sprzedaży");
        Komunikat(reason, true);
        return Fail(package, reason);
    }

    if (lines.size() > kMaxDocumentLines) {
        const std::string reason = Cp1250("Odczyt sprzedaży ma ") + std::to_string(lines.size()) +
                                   Cp1250(" wierszy, a dokument WZ mieści najwyżej ") +
                                   std::to_string(kMaxDocumentLines) +
                                   Cp1250(" (numer wiersza Lp ma 16 bitów). Nic nie zapisano.");
        WriteWorkLog(reason);
        return Fail(package, reason);
    }

    if (!OpenHandel(kTransferTables)) return Fail(package, lastOpenFailure_);

    const std::string documentNumber = "WZ/" + std::to_string(package);
    WriteWorkLog("Eksport : " + file + " -> " + documentNumber);

    TransferOutcome outcome;
    outcome.package = package;
    std::vector<SalesLine> sales;
    try {
        sales.reserve(lines.size());
        for (const std::string& line : lines) sales.push_back(ExtractOdczyt(line));
        outcome.reason = CheckLines(lines, sales);
    } catch (const std::exception& error) {
        outcome.reason =
            Cp1250("Nieudany eksport dokumentu ") + documentNumber + ": " + error.what();
    }

    if (outcome.reason.empty()) {
        try {
            if (journalEnabled_) BeginJournal(documentNumber);
            WriteDocument(static_cast<std::int32_t>(package), documentNumber, sales);
            if (journalEnabled_) {
                journal_.Commit();
            } else {
                tblMaga.Sync();
                tblKama.Sync();
                tblRejZaSp.Sync();
            }
            outcome.ok = true;
        } catch (const std::exception& error) {
            outcome.reason =
                Cp1250("Nieudany eksport dokumentu ") + documentNumber + ": " + error.what();
            outcome.reason += RollBack();
        }
    }
    if (!outcome.ok) WriteWorkLog(outcome.reason);
    CloseHandel(kTransferTables);
    return outcome;
}

}  // namespace rubso
