#pragma once
// The receipt lines the register library writes (the output of OSprzed): what
// the register rang up since its last counter reset, line by line. The end of
// day keeps them beside the sales read, to check the booked document against
// them and to see, before the counters are reset, whether the register still
// holds exactly what was read. Pure functions over texts.
//
// Output: three header lines ("#" + register number, "#" + number of lines,
// "#" + column names), then one line per receipt line, TAB-separated:
// receipt number, "$" + code, name, quantity ("." or "," decimal, up to three
// decimals), price in grosze, discount in grosze, value in grosze, status
// ("S" sold, "A" cancelled).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rubso {

struct ReceiptLine {
    std::int64_t receipt = 0;   // receipt number; numbers go on after a reset
    std::int64_t code = 0;      // register code
    std::string codeText;       // the code as written, without "$" ("00012")
    std::string name;           // as the register holds it (code page 852)
    std::int64_t quantity = 0;  // thousandths
    std::int64_t value = 0;     // grosze, after the discount
    bool cancelled = false;     // counts nowhere
    std::string text;           // the whole line as read, for comparing two reads
};

// The lines after the header; blank lines are skipped. nullopt when the
// header is missing or a line is malformed (`problem` says which and why, in
// the program's code page).
std::optional<std::vector<ReceiptLine>> ParseReceipts(std::string_view output,
                                                      std::string& problem);

// A quantity of up to three decimals as thousandths ("2" 2000, "0,125" 125,
// "-1" -1000: a return); nullopt for anything else.
std::optional<std::int64_t> ThousandthsOf(std::string_view text);

}  // namespace rubso
