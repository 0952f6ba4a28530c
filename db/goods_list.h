#pragma once
// The read-only lists the main window browses: the goods of the yearly goods
// table, the goods groups, the newest price-change dates and the registers of
// COM_DEF, with the display rules of their columns.
//
// Every fetch runs on its own query object of the data module, reads all
// rows into memory and ends its transaction before it returns, so no browsing
// transaction stays open while the operator looks at a list. Texts stay bytes
// as stored. Failures (a missing table or column, a lost connection) raise
// fb::FbError for the application-wide handler.

#include <QDate>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/goods_catalogue.h"
#include "db/tdm.h"

namespace rubso {

// One good as the goods grid shows it.
struct GoodsListRow {
    std::string asort;           // goods symbol, the key of marks
    std::string nazwa;           // name, in the trading program's letter standard
    std::optional<double> cena;  // the chosen price column; none when NULL
    std::optional<double> stawkaVat;
    std::optional<std::int64_t> kodKasa;  // register code (RegisterCodeOf); none when NULL
    std::string grupa;                    // group code
};

// Which goods a list holds. The trading program's table keeps no stock or
// activity flag here, so "Z niezerowymi stanami", "Aktywne " and "Wszystkie"
// all load the whole table.
struct GoodsListFilter {
    bool withoutRegisterCode = false;     // "Nie wysłane do kasy": no code or code 0
    std::optional<QDate> priceChangedOn;  // "Wg daty zmiany ceny": that date only
};

// "DATAZMIA_" + the part of the price column after its first "_"
// ("CENA_2" gives DATAZMIA_2).
SqlIdentifier PriceChangeDateColumn(const SqlIdentifier& priceColumn);

// The statement of the goods list: the shown columns with the price column
// under the name CENA, narrowed by the filter's date (the register-code
// filter is applied to the fetched rows).
std::string GoodsListSql(const SqlIdentifier& goodsTable, const SqlIdentifier& priceColumn,
                         const GoodsListFilter& filter);

// Fetches the goods list on dm.IBQTowary. `progress`, when given, runs every
// few thousand rows so the window can repaint during a long fetch.
std::vector<GoodsListRow> FetchGoodsList(TDM& dm, const SqlIdentifier& goodsTable,
                                         const SqlIdentifier& priceColumn,
                                         const GoodsListFilter& filter = {},
                                         const std::function<void()>& progress = {});

struct GoodsGroup {
    std::string grupa;
    std::string nazwa;
};

// "select grupa,nazwa from " + groups table, in the order the server returns.
std::vector<GoodsGroup> FetchGoodsGroups(TDM& dm, const SqlIdentifier& groupsTable);

// The newest distinct price-change dates of the price column, newest first,
// at most five; goods without a date are left out.
std::vector<QDate> FetchPriceChangeDates(TDM& dm, const SqlIdentifier& goodsTable,
                                         const SqlIdentifier& priceColumn);

// One register of COM_DEF.
struct RegisterListRow {
    int id = 0;
    std::string kodKasa;  // as stored (VARCHAR)
};

// kRegisterListSql on dm.IBQWK.
std::vector<RegisterListRow> FetchRegisterList(TDM& dm);

// --- Display rules (prices and register labels: goods_catalogue.h) -----------

// A VAT rate without trailing zeros ("23", "8", "5.5"); empty for none.
std::string VatText(const std::optional<double>& rate);

// The name as the screen shows it: from the letter standard's row of the
// Polish-letter table to row 2 (Windows-1250); unchanged for index 0. The
// stored bytes are not touched.
std::string ScreenName(std::string_view stored, int letterStandardIndex);

}  // namespace rubso
