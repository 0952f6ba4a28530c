#pragma once
// The sales totals the register library writes (the output of OTSpMax) and
// the sales-read file made of them, which the transfer to the trading
// program reads. Pure functions over texts and the register directory.
//
// Sales-read file: KasaDir + yyyyMMdd (today) + "_" + n + ".txt", one line
// per good, seven ";"-separated fields: the register's code, the good's
// register code text, its goods symbol, the quantity, the value in zloty,
// today as yyyyMMdd, the time of the read as hh:mm.

#include <QDate>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rubso {

// The number of header lines of the library's output.
inline constexpr int kSalesHeaderLines = 3;

// One line of the library's sales totals.
struct SalesTotalsLine {
    std::string codeText;   // characters 2 to 21 of field 1, trimmed
    std::int64_t code = 0;  // its leading integer; 0 when it has none
    std::string quantity;   // field 2, trimmed, as written
    std::string valueText;  // field 3, trimmed: the value in grosze
};

// Splits a line of at least three TAB-separated fields. A line that would
// put a wrong figure into the sales-read file is refused (nullopt, `problem`
// says why): fewer than three fields, no register code, a code holding the
// file's separator ";", or a quantity or value that is not a number ("." or
// "," as decimal separator). The code
// itself may be any text: a code without a number finds no goods symbol and
// is still written.
std::optional<SalesTotalsLine> ParseSalesTotalsLine(std::string_view line, std::string& problem);

// The value field of a sales-read line: grosze / 100, rounded to 2 decimal
// places with halves to even, "." separator, no trailing zeros ("1234" gives
// 12.34, "1200" 12, "5" 0.05). `valueText` must have passed
// ParseSalesTotalsLine.
std::string SalesValueText(std::string_view valueText);

// The seven fields joined by ";", no ";" at the end.
std::string SalesReadLine(std::string_view registerCode, const SalesTotalsLine& line,
                          std::string_view asort, const QDate& today, std::string_view time);

// yyyyMMdd + "_" + n + ".txt".
std::string SalesReadFileName(const QDate& today, int number);

// The number of the next sales-read file of `today` in `kasaDir`: one more
// than the count of files named yyyyMMdd*.txt, moved on past any number
// whose file exists, so that a read never replaces an earlier one.
int NextSalesReadNumber(const std::string& kasaDir, const QDate& today);

}  // namespace rubso
