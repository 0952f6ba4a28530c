#include "trading/tdmu.h"

#include <cstdint>
#include <functional>
#include <optional>

#include "app/core/app_state.h"
#include "app/core/clock.h"
#include "app/core/codepage.h"
#include "app/core/file_utils.h"
#include "app/core/operator.h"
#include "app/core/text_utils.h"
#include "db/tdm.h"

namespace rubso {
namespace {

constexpr int kNameWidth = 24;
constexpr int kNameRestWidth = 40;

// One kind of duplicate: which value must be unique and how a good is shown.
struct Section {
    std::string title;
    std::string key;    // the value that must be unique
    std::string value;  // what a detail line shows of it
    std::string where;  // goods that take part; empty for all
    bool nullGroup;     // goods without the value (null) form a group of their own
    std::function<std::string(const DuplicateGood&)> line;
};

struct Row {
    DuplicateGood good;
    bool keyIsNull = false;
    bool keyIsBlank = false;
    std::int64_t count = 0;
    std::int64_t group = 0;
};

// Every good of a duplicate group, and, for a section with a null group, the
// goods whose value is an empty text (the null group lists those), in one
// ordered statement: one pass of the server over the catalogue.
std::string SectionSql(const Section& section, const std::string& table) {
    std::string sql = "select asort, nazwa, val, k, c, g from (select asort, nazwa, " +
                      section.value + " as val, " + section.key +
                      " as k, count(*) over (partition by " + section.key +
                      ") as c, dense_rank() over (order by " + section.key + ") as g from " + table;
    if (!section.where.empty()) sql += " where " + section.where;
    sql += ") d where c > 1";
    if (section.nullGroup) sql += " or cast(k as varchar(255)) = ''";
    return sql + " order by g, asort";
}

std::vector<Row> FetchRows(TDM& dm, const std::string& sql) {
    Query& query = dm.IBQ;
    std::vector<Row> rows;
    try {
        query.SetSql(sql);
        query.Open();
        for (; !query.Eof(); query.Next()) {
            const fb::ResultSet& r = query.Row();
            Row row;
            row.good.asort = r.AsString("ASORT");
            row.good.nazwa = r.AsString("NAZWA");
            row.good.value = r.AsString("VAL");
            row.keyIsNull = r.IsNull("K");
            row.keyIsBlank = !row.keyIsNull && IsBlank(r.AsString("K"));
            row.count = r.AsInt64("C");
            row.group = r.AsInt64("G");
            rows.push_back(std::move(row));
        }
        dm.CloseQ(query);
    } catch (...) {
        query.Close();
        query.Transaction().RollbackIfActive();
        throw;
    }
    return rows;
}

// The detail lines of a section, group by group; nullopt when no group exists
// (a null group may exist without a detail line).
std::optional<std::vector<std::string>> SectionLines(const Section& section,
                                                     const std::vector<Row>& rows) {
    std::vector<const Row*> blanks;
    for (const Row& row : rows) {
        if (row.keyIsBlank) blanks.push_back(&row);
    }
    bool anyGroup = false;
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i;
        while (end < rows.size() && rows[end].group == rows[i].group) ++end;
        if (rows[i].keyIsNull) {
            anyGroup = true;
            for (const Row* blank : blanks) lines.push_back(section.line(blank->good));
        } else if (rows[i].count > 1) {
            anyGroup = true;
            for (std::size_t j = i; j < end; ++j) lines.push_back(section.line(rows[j].good));
        }
        i = end;
    }
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

void Tdmu::ConsistencyReport() {
    BusyCursorScope busy;
    AppState& app = App();
    app.errorReportPath = app.dataDir + "Error.txt";
    const std::string& table = app.goodsTable;
    const std::string barcode =
        IsBlank(app.mainSettings.barKod) ? std::string("kod_ean") : Trim(app.mainSettings.barKod);

    const std::vector<Section> sections = {
        {Cp1250("-- Powtarzające się nazwy"), "substring(nazwa from 1 for 24)", "nazwa", "", true,
         NameDetailLine},
        {Cp1250("-- Powtarzające się kody kreskowe"), barcode, barcode, "", true,
         BarcodeDetailLine},
        {Cp1250("-- Powtarzające się kody kasowe"), "kod_kasa", "kod_kasa",
         "kod_kasa is not null and trim(cast(kod_kasa as varchar(20))) not in ('', '0')", false,
         RegisterCodeDetailLine},
    };

    TextFile file;
    OpenTextFile(app.errorReportPath, kRewrite, file);
    WriteTextLine("Raport " + DateTimeText(Clock::Now()), file);
    for (const Section& section : sections) {
        const auto lines = SectionLines(section, FetchRows(dm_, SectionSql(section, table)));
        if (!lines) continue;
        WriteTextLine(section.title, file);
        for (const std::string& line : *lines) WriteTextLine(line, file);
        WriteTextLine(std::string(22, '-'), file);
    }
    CloseTextFile(file);
}

}  // namespace rubso
