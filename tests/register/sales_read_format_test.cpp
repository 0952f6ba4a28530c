// The library's sales totals and the sales-read file made of them.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/file_utils.h"
#include "register/receipts_format.h"
#include "register/sales_read_format.h"
#include "tests/register/exchange_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::WriteBytes;

const QDate kToday(2026, 3, 16);

// --- One line of the library's totals -----------------------------------------------

TEST(SalesTotalsLine, PrefixIsSkippedAndTheCodeKeptAsText) {
    std::string problem;
    const auto line = ParseSalesTotalsLine("$00012\t2\t448", problem);
    ASSERT_TRUE(line.has_value()) << problem;
    EXPECT_EQ("00012", line->codeText);
    EXPECT_EQ(12, line->code);
    EXPECT_EQ("2", line->quantity);
    EXPECT_EQ("448", line->valueText);
}

TEST(SalesTotalsLine, CodeTextIsCharactersTwoToTwentyOne) {
    std::string problem;
    const auto line = ParseSalesTotalsLine("#123456789012345678901234\t1\t1", problem);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ("12345678901234567890", line->codeText);
}

TEST(SalesTotalsLine, FieldsAreTrimmedAndExtraFieldsIgnored) {
    std::string problem;
    const auto line = ParseSalesTotalsLine("$ 00007 \t 0,5 \t 125 \tS\tmore", problem);
    ASSERT_TRUE(line.has_value()) << problem;
    EXPECT_EQ("00007", line->codeText);
    EXPECT_EQ("0,5", line->quantity);
    EXPECT_EQ("125", line->valueText);
}

TEST(SalesTotalsLine, CodeWithoutANumberIsKeptWithNumberZero) {
    std::string problem;
    const auto line = ParseSalesTotalsLine("$AB12\t1\t100", problem);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ("AB12", line->codeText);
    EXPECT_EQ(0, line->code);
}

TEST(SalesTotalsLine, LinesThatWouldPutAWrongFigureInTheFileAreRefused) {
    const std::vector<std::string> bad = {
        "$00012\t2",         // value missing
        "$00012",            // both missing
        "$00012\t\t448",     // quantity empty: the value must not slide into its place
        "$00012\t2\t",       // value empty
        "$00012\tdwa\t448",  // letters in the quantity
        "$00012\t2\t44x8",   // letters in the value
        "$00012\t2\t4.4.8",  // two separators
        "$00012\t2\t.",      // no digits
        "$\t2\t448",         // no code
        "$0001;\t2\t448",    // the file's separator in the code
        "\t2\t448",          // no field 1 at all
        "",                  //
    };
    for (const std::string& text : bad) {
        std::string problem;
        EXPECT_FALSE(ParseSalesTotalsLine(text, problem).has_value()) << text;
        EXPECT_FALSE(problem.empty()) << text;
    }
}

// --- A receipt line's quantity ------------------------------------------------------

TEST(ReceiptQuantity, ThreeDecimalsAndOneMinusAtMost) {
    const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases = {
        {"2", 2000}, {"0,125", 125}, {"2.5", 2500}, {"-1", -1000}, {"--1", {}},
        {"-", {}},   {"1.2345", {}}, {"1.", {}},    {"", {}},      {"1-", {}},
    };
    for (const auto& [text, thousandths] : cases) {
        EXPECT_EQ(thousandths, ThousandthsOf(text)) << text;
    }
}

// --- The value field -----------------------------------------------------------------

TEST(SalesValueText, GroszeBecomeZlotyWithoutTrailingZeros) {
    struct Case {
        std::string grosze;
        std::string zloty;
    };
    const std::vector<Case> cases = {
        {"1234", "12.34"}, {"1200", "12"},    {"1250", "12.5"},          {"5", "0.05"},
        {"0", "0"},        {"-448", "-4.48"}, {"12,5", "0.12"},  // half a grosz: to even
        {"13.5", "0.14"},  {"12.51", "0.13"}, {"99999999", "999999.99"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.zloty, SalesValueText(c.grosze)) << c.grosze;
}

TEST(SalesReadLine, SevenFieldsWithoutATrailingSeparator) {
    std::string problem;
    const auto line = ParseSalesTotalsLine("$00012\t2\t448", problem);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ("1;00012;MLEKO;2;4.48;20260316;10:30",
              SalesReadLine("1", *line, "MLEKO", kToday, "10:30"));
    EXPECT_EQ(";00012;;2;4.48;20260316;10:30", SalesReadLine("", *line, "", kToday, "10:30"));
}

// --- Numbering ------------------------------------------------------------------------

TEST(SalesReadNumber, FirstReadOfTheDayIsOne) {
    test::TempDir dir;
    EXPECT_EQ(1, NextSalesReadNumber(dir.Path(), kToday));
    EXPECT_EQ("20260316_1.txt", SalesReadFileName(kToday, 1));
}

TEST(SalesReadNumber, EveryFileNamedByTodayAndEndingInTxtCounts) {
    test::TempDir dir;
    for (const char* name : {"20260316_1.txt", "20260316 kopia.txt", "20260316_2.TXT",
                             "20260315_1.txt", "20260316_3.txt.part", "OTSpMax.out"}) {
        WriteBytes(dir.File(name), "x");
    }
    EXPECT_EQ(4, NextSalesReadNumber(dir.Path(), kToday));
}

TEST(SalesReadNumber, DeletedFileDoesNotLetTheNextReadReplaceAnExistingOne) {
    test::TempDir dir;
    WriteBytes(dir.File("20260316_2.txt"), "x");  // _1 was deleted
    WriteBytes(dir.File("20260316_3.txt"), "x");
    EXPECT_EQ(4, NextSalesReadNumber(dir.Path(), kToday));
}

TEST(SalesReadNumber, MissingDirectoryStartsAtOne) {
    EXPECT_EQ(1, NextSalesReadNumber("/nonexistent/rubso/Kasa01/", kToday));
}

}  // namespace
}  // namespace rubso
