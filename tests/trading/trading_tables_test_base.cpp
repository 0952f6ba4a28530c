#include "tests/trading/trading_tables_test_base.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "core/work_log.h"

namespace rubso::test {
namespace {

constexpr std::size_t kStampLength = 30;  // "[2.18.4] dd.MM.yyyy hh:mm:ss: "

const DesktopValue& ValueOf(const TableRow& row, const std::string& column) {
    static const DesktopValue null;
    const auto it = row.values.find(LowerCase(column));
    if (it == row.values.end()) {
        ADD_FAILURE() << "No column " << column;
        return null;
    }
    return it->second;
}

std::string Describe(const DesktopValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return "null";
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) return FloatText(*d);
    if (const auto* s = std::get_if<std::string>(&value)) return "\"" + *s + "\"";
    if (const auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
    return std::get<QDateTime>(value).toString("dd.MM.yyyy hh:mm:ss").toStdString();
}

}  // namespace

std::string TableRow::Text(const std::string& column) const {
    const DesktopValue& value = ValueOf(*this, column);
    const auto* text = std::get_if<std::string>(&value);
    return text != nullptr ? *text : std::string();
}

double TableRow::Number(const std::string& column) const {
    const DesktopValue& value = ValueOf(*this, column);
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    return 0;
}

long long TableRow::Integer(const std::string& column) const {
    const DesktopValue& value = ValueOf(*this, column);
    const auto* i = std::get_if<std::int64_t>(&value);
    return i != nullptr ? *i : 0;
}

QDateTime TableRow::Moment(const std::string& column) const {
    const DesktopValue& value = ValueOf(*this, column);
    const auto* moment = std::get_if<QDateTime>(&value);
    return moment != nullptr ? *moment : QDateTime();
}

bool TableRow::IsNull(const std::string& column) const {
    return std::holds_alternative<std::monostate>(ValueOf(*this, column));
}

bool TableRow::operator<(const TableRow& other) const {
    std::string mine;
    std::string theirs;
    for (const auto& [name, value] : values) mine += name + "=" + Describe(value) + ";";
    for (const auto& [name, value] : other.values) theirs += name + "=" + Describe(value) + ";";
    return mine < theirs;
}

void PrintTo(const TableRow& row, std::ostream* out) {
    *out << "{";
    for (const auto& [name, value] : row.values) {
        if (std::holds_alternative<std::monostate>(value)) continue;
        *out << name << "=" << Describe(value) << " ";
    }
    *out << "}";
}

std::vector<TableRow> ReadTable(const std::string& path) {
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadOnly);
    std::vector<TableRow> rows;
    for (table.First(); !table.Eof(); table.Next()) {
        const std::vector<DesktopValue> values = table.Values();
        TableRow row;
        for (std::size_t i = 0; i < values.size(); ++i) {
            row.values[LowerCase(table.Fields()[i].name)] = values[i];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TableRow> SortedTable(const std::string& path) {
    std::vector<TableRow> rows = ReadTable(path);
    std::sort(rows.begin(), rows.end());
    return rows;
}

TradingTablesTest::TradingTablesTest() {
    App() = AppState{};
    App().vatColumn = "Stawka_Vat";
    App().mainSettings.asorPth = root_.Path();
    App().mainSettings.typDokum = "WZ";
    App().dataDir = logDir_.Path();
    App().registerNo = 1;
    App().saleDate = QDate(2009, 5, 14);
    SetWorkingDate(Clock::Today());
    InitWorkLog(logDir_.Path(), Clock::Today());
    paths_ = MakeTables(2009, 5);
    fixture::AddAsortGoods(paths_.asort, {
                                             {"CUKIER", "Cukier biały", 23, "SPO"},
                                             {"MLEKO", "Mleko 2%", 8, "NAB"},
                                             {"CHLEB", "Chleb razowy", 5, "PIE"},
                                             {"JAJA", "Jaja", 0, "NAB"},
                                             {"WODA", "Woda", 22.9, "NAP"},
                                         });
    tdmh_.SetTransferSettings(DefaultSettings());
}

TradingTablesTest::~TradingTablesTest() {
    WorkLog() = TMyEcho{};
    App() = AppState{};
}

TransferSettings TradingTablesTest::DefaultSettings() {
    TransferSettings settings;
    settings.warehouse = "01";
    settings.salesDirection = "SD";
    settings.salesRegister = 7;
    settings.contractorCode = 1234;
    return settings;
}

fixture::TradingTablePaths TradingTablesTest::MakeTables(
    int year, int month, const fixture::TradingTableLayouts& layouts) {
    return fixture::CreateTradingTables(root_.Path(), year, month, layouts);
}

void TradingTablesTest::RecreateTable(const std::string& path,
                                      const std::vector<DesktopNewField>& fields) {
    std::filesystem::remove(path);
    DesktopTable::Create(path, fields);
}

std::string TradingTablesTest::SalesRead(const std::vector<std::string>& lines,
                                         const std::string& name) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    const std::string path = logDir_.File(name);
    EXPECT_TRUE(WriteFileText(text, path));
    return path;
}

std::vector<std::string> TradingTablesTest::LogEntries() const {
    const std::string text = ReadFileText(WorkLogPath());
    std::vector<std::string> entries;
    for (const std::string& line : SplitLines(text)) {
        if (StartsWith(line, "[")) {
            entries.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
        } else if (!entries.empty()) {
            entries.back() += "\n" + line;
        }
    }
    return entries;
}

}  // namespace rubso::test
