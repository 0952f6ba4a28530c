#pragma once
// A WZ document as the trading program's tables hold it after a transfer:
// the Maga rows of its package and its RejSprz row, read back (read-only) so
// that the booking can be checked against what the register rang up.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "trading/trading_tables.h"

namespace rubso {

// One Maga row of the document.
struct BookedLine {
    std::string asort;
    double quantity = 0;    // Ilosc
    double grossValue = 0;  // Wart_Brutto
    int vatRate = 0;        // Stawka_vat
};

struct BookedDocument {
    std::vector<BookedLine> lines;  // in table order
    bool hasRegisterRow = false;    // a RejSprz row of the package is there
    double registerGross = 0;       // its Wartosc
    // War_nn + Vat_nn of its rate columns, by rate (5, 8, 23).
    std::map<int, double> registerGrossByRate;
};

// The rate columns of the sales register: the rates whose sums the register
// row keeps apart.
inline constexpr int kRegisterRowRates[] = {5, 8, 23};

// Reads the document of `package` from Maga.db and RejSprz.db in
// tdmh.MonthDirectory(), opened read-only (an interrupted transfer there is
// rolled back first, as every opening does). No rows: an empty document.
// Raises DesktopTableError when a table cannot be read.
BookedDocument ReadBookedDocument(const Tdmh& tdmh, std::int32_t package);

}  // namespace rubso
