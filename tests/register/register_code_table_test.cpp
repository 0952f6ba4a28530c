// The register code table "KodyNN.db" as the register's mirror, in real
// desktop-database files, and the register goods list it is refreshed from.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/file_utils.h"
#include "db/desktop/desktop_error.h"
#include "db/desktop/desktop_table.h"
#include "db/goods_catalogue.h"
#include "register/register_code_table.h"
#include "tests/register/exchange_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::WriteBytes;

RegisterCodeRow Row(std::int64_t kod, const std::string& nazwa, double cena,
                    const std::string& ean = "") {
    RegisterCodeRow row;
    row.kod = kod;
    row.nazwa = nazwa;
    row.cena = cena;
    row.kodEan = ean;
    return row;
}

// Rows in the file itself, with nothing pending applied.
std::size_t DesktopRows(const std::string& path) {
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadOnly);
    return static_cast<std::size_t>(table.RecordCount());
}

class RegisterCodeTableTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    std::string path_ = KodyTablePath(dir_.Path(), 1);
    RegisterCodeTable table_{path_};
};

TEST_F(RegisterCodeTableTest, MissingTableIsCreatedWithItsFiveFields) {
    EXPECT_EQ(dir_.Path() + "Kody01.db", path_);
    EXPECT_TRUE(table_.Rows().empty());
    DesktopTable table;
    table.Open(path_, DesktopOpenMode::ReadOnly);
    ASSERT_EQ(5u, table.Fields().size());
    EXPECT_EQ("Kod", table.Fields()[0].name);
    EXPECT_EQ(DesktopFieldKind::Long, table.Fields()[0].kind);
    EXPECT_EQ("Nazwa", table.Fields()[1].name);
    EXPECT_EQ(30, table.FieldLength("Nazwa"));
    EXPECT_EQ(DesktopFieldKind::Number, table.Fields()[2].kind);
    EXPECT_EQ(40, table.FieldLength("Inne"));
    EXPECT_EQ("Kod_Ean", table.Fields()[4].name);
    EXPECT_EQ(40, table.FieldLength("Kod_Ean"));
    EXPECT_EQ(1250, table.CodePage());
}

TEST_F(RegisterCodeTableTest, RegisterZeroUsesKodyZeroZero) {
    EXPECT_EQ("/x/Kody00.db", KodyTablePath("/x/", 0));
    EXPECT_EQ("/x/Kody12.db", KodyTablePath("/x/", 12));
}

TEST_F(RegisterCodeTableTest, PutReplacesTheRowOfTheSameCode) {
    table_.Put(Row(13, "Chleb", 3.99));
    table_.Put(Row(12, "Mleko", 2.49, "5901234123457"));
    table_.Put(Row(13, "Chleb razowy", 4.59));
    EXPECT_EQ((std::vector<RegisterCodeRow>{Row(12, "Mleko", 2.49, "5901234123457"),
                                            Row(13, "Chleb razowy", 4.59)}),
              table_.Rows());
}

TEST_F(RegisterCodeTableTest, PriceChangeKeepsNameAndBarCode) {
    table_.Put(Row(12, "Mleko", 2.49, "123"));
    table_.PutPrice(Row(12, "ignored", 2.79, "999"));
    EXPECT_EQ((std::vector<RegisterCodeRow>{Row(12, "Mleko", 2.79, "123")}), table_.Rows());
}

TEST_F(RegisterCodeTableTest, PriceChangeOfAnUnknownCodeAddsTheRow) {
    table_.PutPrice(Row(7, "Bułka", 0.45));
    EXPECT_EQ((std::vector<RegisterCodeRow>{Row(7, "Bułka", 0.45)}), table_.Rows());
}

TEST_F(RegisterCodeTableTest, RemoveAndClear) {
    for (int code = 1; code <= 5; ++code) table_.Put(Row(code, "T" + std::to_string(code), code));
    table_.Remove(3);
    table_.Remove(99);  // nothing
    std::vector<std::int64_t> codes;
    for (const RegisterCodeRow& row : table_.Rows()) codes.push_back(row.kod);
    EXPECT_EQ((std::vector<std::int64_t>{1, 2, 4, 5}), codes);
    table_.Clear();
    EXPECT_TRUE(table_.Rows().empty());
}

TEST_F(RegisterCodeTableTest, ReplaceKeepsAStoredBarCodeThatTheListShowsPadded) {
    table_.Put(Row(12, "Mleko", 2.49, "123"));
    table_.Put(Row(13, "Chleb", 3.99, "456"));
    table_.Put(Row(99, "Gone", 1.00));
    table_.Replace({Row(12, "Mleko", 2.49, "0000000000123"),
                    Row(13, "Chleb", 3.99, "0000000000789"),
                    Row(14, "Woda", 1.99, "0000000000000")});
    EXPECT_EQ((std::vector<RegisterCodeRow>{Row(12, "Mleko", 2.49, "123"),
                                            Row(13, "Chleb", 3.99, "0000000000789"),
                                            Row(14, "Woda", 1.99, "")}),
              table_.Rows());
}

TEST_F(RegisterCodeTableTest, LongTextsAreCutToTheirFields) {
    table_.Put(Row(1, std::string(35, 'N'), 1.0, std::string(45, '1')));
    const RegisterCodeRow row = table_.Rows().at(0);
    EXPECT_EQ(std::string(30, 'N'), row.nazwa);
    EXPECT_EQ(std::string(40, '1'), row.kodEan);
}

TEST_F(RegisterCodeTableTest, DamagedFileRaisesAndIsLeftAsFound) {
    WriteBytes(path_, "not a table");
    EXPECT_THROW(table_.Put(Row(1, "A", 1.0)), DesktopTableError);
    EXPECT_EQ("not a table", test::ReadBytes(path_));
}

TEST_F(RegisterCodeTableTest, TableInUseByAnotherProgramIsNotWritten) {
    table_.Put(Row(1, "A", 1.0));
    WriteBytes(dir_.File("Kody01.lck"), "");
    EXPECT_THROW(table_.Remove(1), DesktopTableError);
    EXPECT_EQ(1u, table_.Rows().size());
}

class ForeignKodTest : public RegisterCodeTableTest,
                       public ::testing::WithParamInterface<DesktopFieldKind> {};

TEST_P(ForeignKodTest, ATableWhoseKodIsNotOursIsRefusedAndLeftAsFound) {
    std::vector<DesktopNewField> fields = KodyFields();
    fields[0] = {"Kod", GetParam(), 12};
    DesktopTable::Create(path_, fields);
    const std::string before = test::ReadBytes(path_);
    for (const auto& use : std::vector<std::function<void()>>{
             [&] { table_.Rows(); }, [&] { table_.Put(Row(1, "A", 1.0)); }}) {
        try {
            use();
            ADD_FAILURE() << "accepted";
        } catch (const DesktopTableError& error) {
            EXPECT_NE(std::string::npos, std::string(error.what()).find("kolumna Kod ma typ"));
        }
    }
    EXPECT_EQ(before, test::ReadBytes(path_));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ForeignKodTest,
                         ::testing::Values(DesktopFieldKind::Number, DesktopFieldKind::Alpha,
                                           DesktopFieldKind::Short));

TEST_F(RegisterCodeTableTest, BatchKilledHalfWayLosesNothingTheRegisterTook) {
    table_.Put(Row(1, "Stary", 1.0));
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {  // a batch the process never finishes
        auto* batch = new RegisterCodeBatch(path_);
        batch->Put(Row(2, "Tab\tand \\ slash", 2.5, "590"));
        batch->PutPrice(Row(1, "", 1.25));
        batch->Remove(3);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(1u, DesktopRows(path_));  // the table is as before the batch
    std::ofstream(path_ + ".pending", std::ios::app | std::ios::binary) << "P\t4\tHalf";

    RegisterCodeBatch next(path_);
    next.Put(Row(5, "Nowy", 5.0));
    next.Commit();
    EXPECT_EQ(
        (std::vector<RegisterCodeRow>{
            Row(1, "Stary", 1.25), Row(2, "Tab\tand \\ slash", 2.5, "590"), Row(5, "Nowy", 5.0)}),
        table_.Rows());
    EXPECT_FALSE(FileExists(path_ + ".pending"));
}

// --- The register goods list ---------------------------------------------------------------

const std::vector<std::string> kGoodsList = {
    "#1",
    "#2",
    "#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN",
    "$00012\tMleko\t2\t1\t249\t5901234123457",
    "$00013\t\xA4\x88ka\t1\t1\t399\t0000000000000",  // 852 "Ąłka"
};

TEST(RegisterGoodsList, RowsCarryCodeNamePriceAndBarCode) {
    std::string problem;
    const auto rows = ParseRegisterGoodsList(kGoodsList, 3, problem);
    ASSERT_TRUE(rows.has_value()) << problem;
    EXPECT_EQ((std::vector<RegisterCodeRow>{Row(12, "Mleko", 2.49, "5901234123457"),
                                            Row(13, "\xA5\xB3ka", 3.99, "0000000000000")}),
              *rows);
}

TEST(RegisterGoodsList, NamesStayAsSentWhenNoLetterStandardIsSet) {
    std::string problem;
    const auto rows = ParseRegisterGoodsList(kGoodsList, 0, problem);
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ("\xA4\x88ka", (*rows)[1].nazwa);
}

TEST(RegisterGoodsList, HeaderOnlyAndBlankLinesGiveNoRows) {
    std::string problem;
    EXPECT_EQ(0u, ParseRegisterGoodsList({"#1", "#0", "#KOD"}, 0, problem)->size());
    EXPECT_EQ(0u, ParseRegisterGoodsList({"#1", "#0", "#KOD", "", "  "}, 0, problem)->size());
    EXPECT_EQ(0u, ParseRegisterGoodsList({}, 0, problem)->size());
}

TEST(RegisterGoodsList, DamagedLineRefusesTheWholeList) {
    const std::vector<std::string> damaged = {
        "$00012\tMleko\t2\t1\t249",      // bar code missing
        "00012\tMleko\t2\t1\t249\t1",    // no "$"
        "$0001x\tMleko\t2\t1\t249\t1",   // letters in the code
        "$00012\tMleko\t2\t1\t2.49\t1",  // price not in grosze
        "$00012\tMleko\t2\t1\t\t1",      // price empty
        "\tMleko\t2\t1\t249\t1",         // code empty
    };
    for (const std::string& line : damaged) {
        std::vector<std::string> lines = kGoodsList;
        lines.insert(lines.begin() + 4, line);
        std::string problem;
        EXPECT_FALSE(ParseRegisterGoodsList(lines, 0, problem).has_value()) << line;
        EXPECT_NE(std::string::npos, problem.find("5")) << problem;  // names line 5
    }
}

TEST(SentGoodRow, IsTheGoodAsTheRegisterTookIt) {
    ExportGood good;
    good.kodKasa = 123456;
    good.nazwa = "Czekolada mleczna 100g XL";
    good.cena = 10.005;
    good.barCode = "123";
    EXPECT_EQ(Row(23456, "Czekolada mleczna 1", 10.0, "123"), SentGoodRow(good, 0));
}

}  // namespace
}  // namespace rubso
