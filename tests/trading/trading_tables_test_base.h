#pragma once
// A test base for the transfer: the trading program's desktop tables of May
// 2009 in a temporary directory (the fixture's layout), the process-wide
// state pointing at them, a work log and a recording operator. The clock
// stands at 20.05.2009 10:00; the sales date is 14.05.2009 and the register 1,
// so the package number is 101090514.

#include <gtest/gtest.h>

#include <QDate>
#include <map>
#include <string>
#include <vector>

#include "core/clock.h"
#include "db/desktop/desktop_table.h"
#include "fixture/trading_tables.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"
#include "trading/trading_tables.h"

namespace rubso::test {

// One row of a table, by lower-case column name.
struct TableRow {
    std::map<std::string, DesktopValue> values;

    std::string Text(const std::string& column) const;
    double Number(const std::string& column) const;
    long long Integer(const std::string& column) const;
    QDateTime Moment(const std::string& column) const;
    bool IsNull(const std::string& column) const;
    bool operator==(const TableRow&) const = default;
    bool operator<(const TableRow& other) const;
};
// For failure messages: "column=value, ..." of the columns that hold a value.
void PrintTo(const TableRow& row, std::ostream* out);

// Every row of the table file, in table order.
std::vector<TableRow> ReadTable(const std::string& path);
// The same, sorted (for tables whose rows may come back in another order).
std::vector<TableRow> SortedTable(const std::string& path);

class TradingTablesTest : public ::testing::Test {
  protected:
    TradingTablesTest();
    ~TradingTablesTest() override;

    // Creates the tables of a period under root_ (May 2009 is made already).
    fixture::TradingTablePaths MakeTables(int year, int month,
                                          const fixture::TradingTableLayouts& layouts = {});
    // Replaces one table of May 2009 by an empty one with another layout.
    void RecreateTable(const std::string& path, const std::vector<DesktopNewField>& fields);

    // Writes a sales-read file with these lines (CR LF) and returns its path.
    std::string SalesRead(const std::vector<std::string>& lines,
                          const std::string& name = "20090514_1.txt");

    // The work log's entries since the test began, without their stamps.
    std::vector<std::string> LogEntries() const;

    static TransferSettings DefaultSettings();

    ScopedFixedClock clock_{QDateTime(QDate(2009, 5, 20), QTime(10, 0))};
    TempDir root_;
    TempDir logDir_;
    ScopedRecordingOperator operator_;
    fixture::TradingTablePaths paths_;
    Tdmh tdmh_;
};

}  // namespace rubso::test
