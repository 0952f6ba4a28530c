#include "dayend/booking_check.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "db/goods_catalogue.h"
#include "register/register_exchange.h"
#include "trading/trading_tables.h"

namespace rubso {
namespace {

constexpr std::size_t kDifferencesInABox = 30;

struct Sum {
    std::int64_t quantity = 0;
    std::int64_t value = 0;
    bool operator==(const Sum&) const = default;
    void Add(std::int64_t q, std::int64_t v) {
        quantity += q;
        value += v;
    }
};

std::int64_t Grosze(double zloty) {
    return std::llround(zloty * 100.0);
}

std::int64_t Thousandths(double quantity) {
    return std::llround(quantity * 1000.0);
}

std::string SumText(const std::map<std::int64_t, Sum>& sums, std::int64_t code) {
    const auto found = sums.find(code);
    if (found == sums.end()) return Cp1250("brak");
    return Cp1250("ilość ") + QuantityText(found->second.quantity) + ", " +
           AmountText(found->second.value) + Cp1250(" zł");
}

std::string SumText(const std::map<std::string, Sum>& sums, const std::string& asort) {
    const auto found = sums.find(asort);
    if (found == sums.end()) return Cp1250("brak");
    return Cp1250("ilość ") + QuantityText(found->second.quantity) + ", " +
           AmountText(found->second.value) + Cp1250(" zł");
}

template <typename Map>
std::set<typename Map::key_type> KeysOf(const Map& a, const Map& b) {
    std::set<typename Map::key_type> keys;
    for (const auto& entry : a) keys.insert(entry.first);
    for (const auto& entry : b) keys.insert(entry.first);
    return keys;
}

std::int64_t ValueAt(const std::map<int, std::int64_t>& values, int rate) {
    const auto found = values.find(rate);
    return found == values.end() ? 0 : found->second;
}

// The register's side, by register code: what the receipts and the totals
// read say of each good.
void CompareReceiptsWithRead(const std::vector<ReceiptLine>& receipts,
                             const std::vector<SalesReadEntry>& read,
                             std::vector<std::string>& differences) {
    std::map<std::int64_t, Sum> rung;
    std::map<std::int64_t, std::string> label;
    for (const ReceiptLine& line : receipts) {
        if (line.cancelled) continue;
        rung[line.code].Add(line.quantity, line.value);
        label.emplace(line.code, Cp1250("Towar o kodzie ") + line.codeText + " (" +
                                     ToCp1250(FromCp852(line.name)) + ")");
    }
    std::map<std::int64_t, Sum> totals;
    for (const SalesReadEntry& entry : read) {
        totals[entry.code].Add(entry.quantity, entry.value);
        label[entry.code] = entry.asort.empty()
                                ? Cp1250("Towar o kodzie ") + entry.codeText
                                : "Towar " + entry.asort + " (kod " + entry.codeText + ")";
    }
    for (std::int64_t code : KeysOf(rung, totals)) {
        const auto r = rung.find(code);
        const auto t = totals.find(code);
        if (r != rung.end() && t != totals.end() && r->second == t->second) continue;
        differences.push_back(label[code] + ": paragony " + SumText(rung, code) + ", odczyt " +
                              SumText(totals, code));
    }
}

}  // namespace

std::string AmountText(std::int64_t grosze) {
    const std::int64_t magnitude = grosze < 0 ? -grosze : grosze;
    return std::string(grosze < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." +
           IntPadLeft(magnitude % 100, 2, '0');
}

std::string QuantityText(std::int64_t thousandths) {
    const std::int64_t magnitude = thousandths < 0 ? -thousandths : thousandths;
    std::string text = std::string(thousandths < 0 ? "-" : "") + std::to_string(magnitude / 1000);
    std::string fraction = IntPadLeft(magnitude % 1000, 3, '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

std::optional<std::vector<SalesReadEntry>> ParseSalesRead(std::string_view text,
                                                          std::string& problem) {
    std::vector<SalesReadEntry> entries;
    int number = 0;
    for (const std::string& line : SplitLines(text)) {
        ++number;
        if (IsBlank(line)) continue;
        SalesReadEntry entry;
        entry.codeText = Trim(SalesReadField(line, 2));
        entry.code = RegisterCodeOf(entry.codeText);
        entry.asort = Trim(SalesReadField(line, 3));
        const std::optional<std::int64_t> quantity = ThousandthsOf(Trim(SalesReadField(line, 4)));
        const std::optional<std::int64_t> value = ThousandthsOf(Trim(SalesReadField(line, 5)));
        if (!quantity || !value || *value % 10 != 0) {
            problem = Cp1250("niepoprawna ilość lub wartość w wierszu ") + std::to_string(number) +
                      Cp1250(" odczytu: ") + line;
            return std::nullopt;
        }
        entry.quantity = *quantity;
        entry.value = *value / 10;
        entries.push_back(std::move(entry));
    }
    return entries;
}

BookingCheck CheckBooking(const std::vector<ReceiptLine>& receipts,
                          const std::vector<SalesReadEntry>& read,
                          const std::optional<BookedDocument>& document) {
    BookingCheck check;
    std::vector<std::string>& differences = check.differences;
    CompareReceiptsWithRead(receipts, read, differences);

    // The totals read against the document, by goods symbol.
    std::map<std::string, Sum> readByAsort;
    std::map<std::int64_t, std::string> asortOfCode;
    for (const SalesReadEntry& entry : read) {
        readByAsort[entry.asort].Add(entry.quantity, entry.value);
        asortOfCode.emplace(entry.code, entry.asort);
    }
    std::map<std::string, Sum> booked;
    std::map<std::string, int> rateOf;
    std::map<int, std::int64_t> bookedByRate;
    if (document) {
        for (const BookedLine& line : document->lines) {
            booked[line.asort].Add(Thousandths(line.quantity), Grosze(line.grossValue));
            rateOf.emplace(line.asort, line.vatRate);
            bookedByRate[line.vatRate] += Grosze(line.grossValue);
        }
    }
    for (const std::string& asort : KeysOf(readByAsort, booked)) {
        const auto t = readByAsort.find(asort);
        const auto d = booked.find(asort);
        if (t != readByAsort.end() && d != booked.end() && t->second == d->second) continue;
        differences.push_back("Towar " + asort + ": odczyt " + SumText(readByAsort, asort) +
                              ", dokument " + SumText(booked, asort));
    }

    // Per VAT rate: the receipts (each good at the rate the document gives
    // it), the document's lines, and its register row where it has a column.
    std::map<int, std::int64_t> rungByRate;
    std::int64_t rungTotal = 0;
    std::int64_t rungWithoutRate = 0;  // goods the document does not hold
    for (const ReceiptLine& line : receipts) {
        if (line.cancelled) continue;
        rungTotal += line.value;
        const auto asort = asortOfCode.find(line.code);
        const auto rate = asort == asortOfCode.end() ? rateOf.end() : rateOf.find(asort->second);
        if (rate == rateOf.end()) {
            rungWithoutRate += line.value;
        } else {
            rungByRate[rate->second] += line.value;
        }
    }
    const bool hasRow = document && document->hasRegisterRow;
    std::set<int> rates;
    for (const auto& [rate, value] : rungByRate) rates.insert(rate);
    for (const auto& [rate, value] : bookedByRate) rates.insert(rate);
    if (hasRow) rates.insert(std::begin(kRegisterRowRates), std::end(kRegisterRowRates));
    for (int rate : rates) {
        const std::int64_t r = ValueAt(rungByRate, rate);
        const std::int64_t d = ValueAt(bookedByRate, rate);
        const auto column = hasRow ? document->registerGrossByRate.find(rate)
                                   : std::map<int, double>::const_iterator();
        const bool inRow = hasRow && column != document->registerGrossByRate.end();
        const std::int64_t row = inRow ? Grosze(column->second) : d;
        if (r == d && row == d) continue;
        std::string text = "Stawka " + std::to_string(rate) + "%: paragony " + AmountText(r) +
                           Cp1250(" zł, dokument ") + AmountText(d) + Cp1250(" zł");
        if (inRow) text += Cp1250(", rejestr sprzedaży ") + AmountText(row) + Cp1250(" zł");
        differences.push_back(text);
    }

    if (rungWithoutRate != 0) {
        differences.push_back(Cp1250("Bez stawki (towary spoza dokumentu): paragony ") +
                              AmountText(rungWithoutRate) + Cp1250(" zł"));
    }

    std::int64_t bookedTotal = 0;
    for (const auto& [rate, value] : bookedByRate) bookedTotal += value;
    if (document && !document->lines.empty() && !hasRow) {
        differences.push_back(Cp1250("Dokument nie ma wiersza w rejestrze sprzedaży"));
    }
    const std::int64_t rowTotal = hasRow ? Grosze(document->registerGross) : bookedTotal;
    if (rungTotal != bookedTotal || rowTotal != bookedTotal) {
        std::string text = "Razem: paragony " + AmountText(rungTotal) + Cp1250(" zł, dokument ") +
                           AmountText(bookedTotal) + Cp1250(" zł");
        if (hasRow) text += Cp1250(", rejestr sprzedaży ") + AmountText(rowTotal) + Cp1250(" zł");
        differences.push_back(text);
    }
    return check;
}

void CheckTransferInWindow(TfmE& exchange, const Tdmh& tdmh, const std::string& salesReadFile,
                           const std::string& statusText) {
    Operator& screen = CurrentOperator();
    const std::string documentNumber = "WZ/" + std::to_string(TransferDocumentNumber());
    const auto unchecked = [&](const std::string& why) {
        screen.AddSalesMemoLine(Cp1250("Dokumentu ") + documentNumber +
                                Cp1250(" nie sprawdzono z paragonami kasy: ") + why);
        screen.ShowStatus(statusText, false);
    };
    if (!exchange.ModStart()) return unchecked(Cp1250("brak połączenia z kasą"));
    exchange.aOSprzedExecute();
    if (exchange.LastResult() != 0) return unchecked(Cp1250("kasa nie podała paragonów"));

    std::string problem;
    const std::optional<std::vector<ReceiptLine>> receipts =
        ParseReceipts(ReadFileText(exchange.OutputFilePath()), problem);
    if (!receipts) return unchecked(problem);
    const std::optional<std::vector<SalesReadEntry>> read =
        ParseSalesRead(ReadFileText(salesReadFile), problem);
    if (!read) return unchecked(problem);
    const bool anyReceipt = std::any_of(receipts->begin(), receipts->end(),
                                        [](const ReceiptLine& line) { return !line.cancelled; });
    if (!anyReceipt && !read->empty()) {
        return unchecked(Cp1250("kasa nie ma paragonów od ostatniego zerowania liczników"));
    }
    std::optional<BookedDocument> document;
    try {
        document = ReadBookedDocument(tdmh, static_cast<std::int32_t>(TransferDocumentNumber()));
    } catch (const std::exception& error) {
        return unchecked(error.what());
    }

    const BookingCheck check = CheckBooking(*receipts, *read, document);
    screen.ShowStatus(statusText, false);
    if (check.Matches()) {
        screen.AddSalesMemoLine(Cp1250("Dokument ") + documentNumber +
                                Cp1250(" zgodny z paragonami kasy"));
        return;
    }
    const std::string heading = Cp1250("Dokument ") + documentNumber +
                                Cp1250(" różni się od paragonów kasy (różnic: ") +
                                std::to_string(check.differences.size()) + ")";
    WriteWorkLog(heading);
    for (const std::string& line : check.differences) WriteWorkLog("  " + line);
    for (auto line = check.differences.rbegin(); line != check.differences.rend(); ++line) {
        screen.AddSalesMemoLine("  " + *line);
    }
    screen.AddSalesMemoLine(heading);

    MessageBoxRequest box;
    box.title = Cp1250("Sprawdzenie dokumentu");
    box.icon = MessageIcon::Warning;
    box.text = heading + ":";
    for (std::size_t i = 0; i < check.differences.size() && i < kDifferencesInABox; ++i) {
        box.text += "\r\n" + check.differences[i];
    }
    if (check.differences.size() > kDifferencesInABox) {
        box.text += Cp1250("\r\n... pełna lista w historii pracy");
    }
    screen.Ask(box);
}

}  // namespace rubso
