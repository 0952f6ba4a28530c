#include "trading/consistency_report.h"

#include <cstdint>
#include <functional>
#include <optional>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "db/tdm.h"

namespace rubso {
namespace {

constexpr int kNameWidth = 24;
constexpr int kNameRestWidth = 40;

// One kind of duplicate: which value must be unique and how a good is shown.
// `key` and `value` are expressions over a column list; "%" stands for the
// table's alias ("t." or nothing).
struct Section {
    std::string title;
    std::string key;    // the value that must be unique
    std::string value;  // what a detail line shows of it
    std::string where;  // goods that take part; empty for all
    bool nullGroup;     // goods without the value (null) form a group of their own
    std::function<std::string(const DuplicateGood&)> line;
};

std::string On(const std::string& expression, const std::string& alias) {
    return ReplaceAll(expression, "%", alias);
}

// Runs `sql` on the general query and gives every row; the query is closed and
// its transaction ended, also when a row cannot be read.
template <typename Read>
void ForEachRow(TDM& dm, const std::string& sql, Read read) {
    Query& query = dm.IBQ;
    try {
        query.SetSql(sql);
        query.Open();
        for (; !query.Eof(); query.Next()) read(query.Row());
        dm.CloseQ(query);
    } catch (...) {
        query.Close();
        query.Transaction().RollbackIfActive();
        throw;
    }
}

DuplicateGood ReadGood(const fb::ResultSet& row) {
    return {row.AsString("ASORT"), row.AsString("NAZWA"), row.AsString("VAL")};
}

// The detail lines of a section, group by group; nullopt when no group exists
// (the null group may exist without a detail line).
//
// The server groups the catalogue once and joins the groups that repeat back
// to their goods, so only the duplicates travel; each group's key, as the
// grouping gave it, marks where one group ends. Goods without the value do
// not join: whether they repeat is one count, and their group lists the goods
// whose value is an empty text.
std::optional<std::vector<std::string>> SectionLines(TDM& dm, const Section& section,
                                                     const SqlIdentifier& table) {
    std::vector<std::string> lines;
    bool anyGroup = false;

    if (section.nullGroup) {
        std::int64_t withoutValue = 0;
        ForEachRow(
            dm, "select count(*) as n from " + table + " where " + On(section.key, "") + " is null",
            [&](const fb::ResultSet& row) { withoutValue = row.AsInt64("N"); });
        if (withoutValue > 1) {
            anyGroup = true;
            ForEachRow(
                dm,
                "select asort, nazwa, " + On(section.value, "") + " as val from " + table +
                    " where cast(" + On(section.key, "") + " as varchar(255)) = '' order by asort",
                [&](const fb::ResultSet& row) { lines.push_back(section.line(ReadGood(row))); });
        }
    }

    std::string groups = "select " + On(section.key, "") + " as k from " + table;
    if (!section.where.empty()) groups += " where " + section.where;
    groups += " group by 1 having count(*) > 1";
    ForEachRow(dm,
               "select t.asort, t.nazwa, " + On(section.value, "t.") + " as val from " + table +
                   " t join (" + groups + ") d on " + On(section.key, "t.") +
                   " = d.k order by d.k, t.asort",
               [&](const fb::ResultSet& row) {
                   anyGroup = true;
                   lines.push_back(section.line(ReadGood(row)));
               });

    if (!anyGroup) return std::nullopt;
    return lines;
}

}  // namespace

std::string NameDetailLine(const DuplicateGood& good) {
    const std::string& name = good.nazwa;
    const std::string head = name.substr(0, kNameWidth);
    const std::string rest =
        name.size() > kNameWidth ? name.substr(kNameWidth, kNameRestWidth) : std::string();
    return "    " + good.asort + "  " + head + " ... " + rest;
}

std::string BarcodeDetailLine(const DuplicateGood& good) {
    return "    " + PadRight(good.asort, 22) + PadRight(good.value, 16) + good.nazwa;
}

std::string RegisterCodeDetailLine(const DuplicateGood& good) {
    return "    " + PadRight(good.asort, 22) + PadRight(good.value, 7) + good.nazwa;
}

std::string ConsistencyReportPath(const std::string& dataDir) {
    return dataDir + "Error.txt";
}

void Tdmu::ConsistencyReport() {
    BusyCursorScope busy;
    const AppState& app = App();
    // Names that name no column refuse the report before its file is touched.
    const SqlIdentifier table = GoodsTableIdentifier();
    const std::optional<SqlIdentifier> barcodeSetting = app.mainSettings.barKod.Column();
    const SqlIdentifier barcode = barcodeSetting
                                      ? *barcodeSetting
                                      : SqlIdentifier::Require("kod_ean", "pola z kodem kreskowym");

    const std::vector<Section> sections = {
        {Cp1250("-- Powtarzające się nazwy"), "substring(%nazwa from 1 for 24)", "%nazwa", "", true,
         NameDetailLine},
        {Cp1250("-- Powtarzające się kody kreskowe"), "%" + barcode, "%" + barcode, "", true,
         BarcodeDetailLine},
        {Cp1250("-- Powtarzające się kody kasowe"), "%kod_kasa", "%kod_kasa",
         "kod_kasa is not null and trim(cast(kod_kasa as varchar(20))) not in ('', '0')", false,
         RegisterCodeDetailLine},
    };

    TextFile file;
    OpenTextFile(reportPath_, kRewrite, file);
    WriteTextLine("Raport " + DateTimeText(Clock::Now()), file);
    for (const Section& section : sections) {
        const auto lines = SectionLines(dm_, section, table);
        if (!lines) continue;
        WriteTextLine(section.title, file);
        for (const std::string& line : *lines) WriteTextLine(line, file);
        WriteTextLine(std::string(22, '-'), file);
    }
    CloseTextFile(file);
}

}  // namespace rubso
