#include "db/goods_list.h"

#include <QScopeGuard>

#include "core/polish_letters.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

constexpr int kProgressEveryRows = 4096;
constexpr int kPriceChangeDates = 5;

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::optional<double> OptionalDouble(const fb::ResultSet& row, int column) {
    if (row.IsNull(column)) return std::nullopt;
    return row.AsDouble(column);
}

std::optional<std::int64_t> OptionalCode(const fb::ResultSet& row, int column) {
    if (row.IsNull(column)) return std::nullopt;
    return RegisterCodeOf(row.AsString(column));
}

// Runs `read` on every row of `query` and ends the query's transaction, also
// when reading fails.
template <typename Read>
void ReadAllRows(TDM& dm, Query& query, Read read) {
    const auto close = qScopeGuard([&] {
        query.Close();
        query.Transaction().RollbackIfActive();
    });
    query.Open();
    while (!query.Eof()) {
        read(query.Row());
        query.Next();
    }
    dm.CloseQ(query);
}

}  // namespace

SqlIdentifier PriceChangeDateColumn(const SqlIdentifier& priceColumn) {
    // A part of a plain name after "_" keeps the new name plain.
    return SqlIdentifier::Require("DATAZMIA_" + TextAfter("_", AsciiUpper(priceColumn.Text())),
                                  "pola z datą zmiany ceny");
}

std::string GoodsListSql(const SqlIdentifier& goodsTable, const SqlIdentifier& priceColumn,
                         const GoodsListFilter& filter) {
    std::string sql = "select ASORT, NAZWA, " + priceColumn +
                      " as CENA, STAWKA_VAT, KOD_KASA, GRUPA from " + goodsTable;
    if (filter.priceChangedOn) {
        sql += " where " + PriceChangeDateColumn(priceColumn) + " = :DATA";
    }
    return sql;
}

std::vector<GoodsListRow> FetchGoodsList(TDM& dm, const SqlIdentifier& goodsTable,
                                         const SqlIdentifier& priceColumn,
                                         const GoodsListFilter& filter,
                                         const std::function<void()>& progress) {
    Query& query = dm.IBQTowary;
    query.SetSql(GoodsListSql(goodsTable, priceColumn, filter));
    if (filter.priceChangedOn) query.SetParamDate("DATA", *filter.priceChangedOn);

    std::vector<GoodsListRow> rows;
    int sinceProgress = 0;
    ReadAllRows(dm, query, [&](const fb::ResultSet& row) {
        GoodsListRow good;
        good.kodKasa = OptionalCode(row, 4);
        if (filter.withoutRegisterCode && good.kodKasa.value_or(0) != 0) return;
        good.asort = row.AsString(0);
        good.nazwa = row.AsString(1);
        good.cena = OptionalDouble(row, 2);
        good.stawkaVat = OptionalDouble(row, 3);
        good.grupa = row.AsString(5);
        rows.push_back(std::move(good));
        if (progress && ++sinceProgress == kProgressEveryRows) {
            sinceProgress = 0;
            progress();
        }
    });
    return rows;
}

std::vector<GoodsGroup> FetchGoodsGroups(TDM& dm, const SqlIdentifier& groupsTable) {
    Query& query = dm.IBQ;
    query.SetSql("select grupa,nazwa from " + groupsTable);
    std::vector<GoodsGroup> groups;
    ReadAllRows(dm, query, [&](const fb::ResultSet& row) {
        groups.push_back({row.AsString(0), row.AsString(1)});
    });
    return groups;
}

std::vector<QDate> FetchPriceChangeDates(TDM& dm, const SqlIdentifier& goodsTable,
                                         const SqlIdentifier& priceColumn) {
    const SqlIdentifier column = PriceChangeDateColumn(priceColumn);
    Query& query = dm.IBQ;
    query.SetSql("SELECT distinct " + column + " FROM " + goodsTable + " where " + column +
                 " is not null order by 1 desc rows " + std::to_string(kPriceChangeDates));
    std::vector<QDate> dates;
    ReadAllRows(dm, query, [&](const fb::ResultSet& row) { dates.push_back(row.AsDate(0)); });
    return dates;
}

std::vector<RegisterListRow> FetchRegisterList(TDM& dm) {
    Query& query = dm.IBQWK;
    query.SetSql(kRegisterListSql);
    std::vector<RegisterListRow> registers;
    ReadAllRows(dm, query, [&](const fb::ResultSet& row) {
        registers.push_back({row.AsInt(0), row.AsString(1)});
    });
    return registers;
}

std::string VatText(const std::optional<double>& rate) {
    return rate ? FloatText(*rate) : std::string();
}

std::string ScreenName(std::string_view stored, int letterStandardIndex) {
    if (letterStandardIndex == 0) return std::string(stored);
    return ConvertPolishLetters(stored, letterStandardIndex, kRowWindows1250);
}

}  // namespace rubso
