#pragma once
// The check of a booked WZ document against what the register rang up: the
// register's own receipt lines (OSprzed), the sales totals read (the
// sales-read file made of OTSpMax) and the document in the trading program's
// tables (its Maga rows and RejSprz row). Compared per good, in quantity and
// gross value, and per VAT group, in gross value:
// - receipts against the totals read, by register code (a register whose
//   totals miss a rung-up line, or sales rung up after the read);
// - the totals read against the document, by goods symbol (a line the
//   transfer lost or doubled);
// - receipts against the document per VAT rate (the rate each good has in the
//   document), and the document's lines against its register row for the
//   rates the register row keeps apart (5, 8, 23) and in total.
// Quantities are compared in thousandths and values in whole grosze, so
// floating-point noise in the tables is no difference.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "register/receipts_format.h"
#include "trading/booked_document.h"

namespace rubso {

class TfmE;

// One line of a sales-read file as the check reads it.
struct SalesReadEntry {
    std::string codeText;       // field 2, trimmed
    std::int64_t code = 0;      // its number
    std::string asort;          // field 3, trimmed; empty when the read found no goods
    std::int64_t quantity = 0;  // field 4, thousandths
    std::int64_t value = 0;     // field 5, grosze
};

// The non-blank lines of a sales-read file; nullopt (and `problem`, Polish)
// when a quantity or value is not a number of up to three (two) decimals.
std::optional<std::vector<SalesReadEntry>> ParseSalesRead(std::string_view text,
                                                          std::string& problem);

struct BookingCheck {
    // One Polish line per difference, in the program's code page; empty when
    // everything matches.
    std::vector<std::string> differences;
    bool Matches() const { return differences.empty(); }
};

// `document` is the booked document; nullopt when nothing was booked (an
// empty read).
BookingCheck CheckBooking(const std::vector<ReceiptLine>& receipts,
                          const std::vector<SalesReadEntry>& read,
                          const std::optional<BookedDocument>& document);

// Grosze as "12.34"; thousandths as "2", "0.5", "1.125".
std::string AmountText(std::int64_t grosze);
std::string QuantityText(std::int64_t thousandths);

// After a transfer in the window: reads the current register's receipt lines
// (OSprzed through `exchange`), checks the document just booked from
// `salesReadFile` (package TransferDocumentNumber()) and tells the operator:
// a line on top of the sales memo, and the differences in a message box. A
// register without receipts since its reset (the read is of an earlier day),
// a failed call or an unreadable file leave the document unchecked, said in
// the memo. The message field keeps `statusText` (the transfer's outcome),
// which the library call would otherwise have cleared.
void CheckTransferInWindow(TfmE& exchange, const Tdmh& tdmh, const std::string& salesReadFile,
                           const std::string& statusText);

}  // namespace rubso
