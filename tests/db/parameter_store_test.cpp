// The parameter store against the private test server, on the trading
// program's PARAMETRY table as the fixture makes it.
#include "db/parameter_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/work_log.h"
#include "fixture/trading_database.h"
#include "tests/db/tdm_test_base.h"

namespace rubso {
namespace {

const std::string kGlobal = "GLOBAL";
const std::string kRubsa = "RUBSA";

class ParameterStoreTest : public test::TdmTestBase {
  protected:
    void SetUp() override {
        for (const std::string& statement : fixture::ParametryDdl()) db_.Execute({statement});
        LogInAs("sysdba", db_.Server().password);  // no administrator's setup
        dm_.BazaConnect();
        ASSERT_EQ(App().connectResult, ConnectResult::Connected);
    }

    std::int64_t Rows() const { return Count("select count(*) from PARAMETRY"); }

    // Nothing shown, nothing logged, no transaction left open.
    void ExpectQuiet() {
        EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
        EXPECT_EQ(LogEntries(), std::vector<std::string>{});
        EXPECT_FALSE(dm_.IBTdm.IsActive());
    }
};

// --- Reads -----------------------------------------------------------------

TEST_F(ParameterStoreTest, NeverWrittenParameterReadsAsTheDefault) {
    EXPECT_EQ(ReadParI(dm_, "FW", 1, kGlobal, kRubsa), 1);
    EXPECT_EQ(ReadParS(dm_, "wersja", "", kGlobal, kRubsa), "");
    EXPECT_EQ(ReadParF(dm_, "F", 2.5, kGlobal, kRubsa), 2.5);
    const QDateTime fallback(QDate(2024, 3, 1), QTime(10, 0));
    EXPECT_EQ(ReadParD(dm_, "D", fallback, kGlobal, kRubsa), fallback);
    EXPECT_FALSE(JestPar(dm_, "FW", kGlobal, kRubsa));
    ExpectQuiet();
}

TEST_F(ParameterStoreTest, KeysAreComparedUpperCased) {
    WriteParS(dm_, "WERSJA", "2.18.4", kGlobal, kRubsa);
    EXPECT_EQ(ReadParS(dm_, "wersja", "", kGlobal, kRubsa), "2.18.4");
    WriteParI(dm_, "FW", 3, "global", "rubsa");
    EXPECT_EQ(ReadParI(dm_, "fw", 1, kGlobal, kRubsa), 3);
    EXPECT_TRUE(JestPar(dm_, "Fw", "Global", "Rubsa"));
    EXPECT_EQ(Scalar("select LOKALIZACJA || '/' || SEKCJA || '/' || NAZWA from PARAMETRY "
                     "where NAZWA = 'FW'"),
              "GLOBAL/RUBSA/FW");
}

TEST_F(ParameterStoreTest, PolishLettersInKeysAreUpperCasedToo) {
    WriteParS(dm_, Cp1250("ścieżka"), "x", Cp1250("główna"), kRubsa);
    EXPECT_EQ(Scalar("select NAZWA || '/' || LOKALIZACJA from PARAMETRY"),
              Cp1250("ŚCIEŻKA/GŁÓWNA"));
    EXPECT_EQ(ReadParS(dm_, Cp1250("ŚcieŻKA"), "default", Cp1250("GŁÓWNA"), kRubsa), "x");
}

TEST_F(ParameterStoreTest, NullValueReadsAsTheEmptyValueNotTheDefault) {
    db_.Execute(
        {"insert into PARAMETRY (LOKALIZACJA, SEKCJA, NAZWA) values ('GLOBAL', 'RUBSA', "
         "'PUSTY')"});
    EXPECT_EQ(ReadParI(dm_, "PUSTY", 1, kGlobal, kRubsa), 0);
    EXPECT_EQ(ReadParS(dm_, "PUSTY", "default", kGlobal, kRubsa), "");
    EXPECT_EQ(ReadParF(dm_, "PUSTY", 2.5, kGlobal, kRubsa), 0.0);
    EXPECT_EQ(ReadParD(dm_, "PUSTY", QDateTime(QDate(2024, 3, 1), QTime(0, 0)), kGlobal, kRubsa),
              fb::ZeroDateTime());
}

TEST_F(ParameterStoreTest, WritingOneKindLeavesTheOtherValueColumnsNull) {
    WriteParS(dm_, "WERSJA", "2.18.4", kGlobal, kRubsa);
    EXPECT_EQ(ReadParI(dm_, "WERSJA", 7, kGlobal, kRubsa), 0);
}

TEST_F(ParameterStoreTest, ReadsDoNotTrimTheName) {
    WriteParS(dm_, "  WERSJA  ", "2.18.4", kGlobal, kRubsa);
    EXPECT_EQ(ReadParS(dm_, "  WERSJA  ", "default", kGlobal, kRubsa), "default");
    EXPECT_FALSE(JestPar(dm_, "  WERSJA  ", kGlobal, kRubsa));
    EXPECT_EQ(ReadParS(dm_, "WERSJA", "default", kGlobal, kRubsa), "2.18.4");
}

// --- Writes ----------------------------------------------------------------

TEST_F(ParameterStoreTest, PaddedNameUpdatesTheExistingRow) {
    WriteParS(dm_, "WERSJA", "2.18.3", kGlobal, kRubsa);
    WriteParS(dm_, " WERSJA ", "2.18.4", kGlobal, kRubsa);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(ReadParS(dm_, "WERSJA", "", kGlobal, kRubsa), "2.18.4");
}

TEST_F(ParameterStoreTest, WritingTwiceLeavesOneRowWithTheSecondValue) {
    WriteParI(dm_, "FW", 2, kGlobal, kRubsa);
    WriteParI(dm_, "FW", 4, kGlobal, kRubsa);
    EXPECT_EQ(Count("select count(*) from PARAMETRY where NAZWA='FW'"), 1);
    EXPECT_EQ(ReadParI(dm_, "FW", 1, kGlobal, kRubsa), 4);
    ExpectQuiet();
}

TEST_F(ParameterStoreTest, SameNameInAnotherSectionIsAnotherParameter) {
    WriteParI(dm_, "FW", 2, kGlobal, kRubsa);
    WriteParI(dm_, "FW", 3, kGlobal, "INNA");
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(ReadParI(dm_, "FW", 1, kGlobal, kRubsa), 2);
}

TEST_F(ParameterStoreTest, FloatingPointRoundTrips) {
    WriteParF(dm_, "KURS", 4.3215, kGlobal, kRubsa);
    EXPECT_EQ(ReadParF(dm_, "KURS", 0.0, kGlobal, kRubsa), 4.3215);
    WriteParF(dm_, "KURS", -0.5, kGlobal, kRubsa);
    EXPECT_EQ(ReadParF(dm_, "KURS", 0.0, kGlobal, kRubsa), -0.5);
}

TEST_F(ParameterStoreTest, DateWriteKeepsTheDateOnly) {
    WriteParD(dm_, "DZIEN", QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10)), kGlobal, kRubsa);
    EXPECT_EQ(ReadParD(dm_, "DZIEN", QDateTime(), kGlobal, kRubsa),
              QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
}

TEST_F(ParameterStoreTest, WriteLeavesItsErrorContextSet) {
    WriteParI(dm_, "  FW ", 2, kGlobal, kRubsa);
    EXPECT_EQ(CurrentErrorContext().unit, "dm");
    EXPECT_EQ(CurrentErrorContext().operation, "WriteParI");
    EXPECT_EQ(CurrentErrorContext().detail, "FW");
}

TEST_F(ParameterStoreTest, FailingWriteIsSilentAndKeepsTheOldValue) {
    WriteParS(dm_, "WERSJA", "2.18.3", kGlobal, kRubsa);
    const std::string tooLong(251, 'x');  // pSTRING holds 250

    WriteParS(dm_, "WERSJA", tooLong, kGlobal, kRubsa);
    WriteParS(dm_, "NOWY", tooLong, kGlobal, kRubsa);

    ExpectQuiet();
    EXPECT_EQ(ReadParS(dm_, "WERSJA", "", kGlobal, kRubsa), "2.18.3");
    EXPECT_EQ(ReadParS(dm_, "NOWY", "default", kGlobal, kRubsa), "default");
    EXPECT_EQ(CurrentErrorContext().operation, "WriteParS");
    EXPECT_EQ(CurrentErrorContext().detail, "NOWY");
}

// --- The statements sent -----------------------------------------------------

struct StatementCase {
    const char* operation;
    std::function<void(TDM&)> run;
    const char* lastStatement;
};

class ParameterStatementTest : public ParameterStoreTest,
                               public ::testing::WithParamInterface<StatementCase> {};

TEST_P(ParameterStatementTest, IsTheTradingProgramsOwnText) {
    WriteParS(dm_, "JEST", "x", kGlobal, kRubsa);  // an existing row for updates
    GetParam().run(dm_);
    EXPECT_EQ(dm_.IBQdm.Sql(), GetParam().lastStatement) << GetParam().operation;
    EXPECT_FALSE(dm_.IBTdm.IsActive()) << GetParam().operation;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ParameterStatementTest,
    ::testing::Values(
        StatementCase{"JestPar", [](TDM& dm) { JestPar(dm, "JEST", kGlobal, kRubsa); },
                      "select * from PARAMETRY where LOKALIZACJA=:l and Sekcja=:s and NAZWA=:n"},
        StatementCase{"ReadParS", [](TDM& dm) { ReadParS(dm, "JEST", "", kGlobal, kRubsa); },
                      "select pString from PARAMETRY where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{"ReadParI", [](TDM& dm) { ReadParI(dm, "JEST", 0, kGlobal, kRubsa); },
                      "select pInteger from PARAMETRY where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{"ReadParF", [](TDM& dm) { ReadParF(dm, "JEST", 0, kGlobal, kRubsa); },
                      "select pFLOAT from PARAMETRY where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{"ReadParD",
                      [](TDM& dm) { ReadParD(dm, "JEST", QDateTime(), kGlobal, kRubsa); },
                      "select pDATA from PARAMETRY where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{"update S", [](TDM& dm) { WriteParS(dm, "JEST", "y", kGlobal, kRubsa); },
                      "update PARAMETRY set pString=:p where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{"update I", [](TDM& dm) { WriteParI(dm, "JEST", 1, kGlobal, kRubsa); },
                      "update PARAMETRY set pInteger=:p where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{"update F", [](TDM& dm) { WriteParF(dm, "JEST", 1, kGlobal, kRubsa); },
                      "update PARAMETRY set pFLOAT=:p where LOKALIZACJA=:l and Sekcja=:s and "
                      "NAZWA=:n"},
        StatementCase{
            "update D",
            [](TDM& dm) { WriteParD(dm, "JEST", QDateTime::currentDateTime(), kGlobal, kRubsa); },
            "update PARAMETRY set pDATA=:p where LOKALIZACJA=:l and Sekcja=:s and "
            "NAZWA=:n"},
        StatementCase{"insert S", [](TDM& dm) { WriteParS(dm, "NOWY", "y", kGlobal, kRubsa); },
                      "insert into PARAMETRY (pSTRING,LOKALIZACJA,SEKCJA,NAZWA) Values( :p, :l, "
                      ":s, :n) "},
        StatementCase{"insert I", [](TDM& dm) { WriteParI(dm, "NOWY", 1, kGlobal, kRubsa); },
                      "insert into PARAMETRY (pINTEGER,LOKALIZACJA,SEKCJA,NAZWA) Values( :p, :l, "
                      ":s, :n) "},
        StatementCase{"insert F", [](TDM& dm) { WriteParF(dm, "NOWY", 1, kGlobal, kRubsa); },
                      "insert into PARAMETRY (pFLOAT,LOKALIZACJA,SEKCJA,NAZWA) Values( :p, :l, "
                      ":s, :n) "},
        StatementCase{
            "insert D",
            [](TDM& dm) { WriteParD(dm, "NOWY", QDateTime::currentDateTime(), kGlobal, kRubsa); },
            "insert into PARAMETRY (pDATA,LOKALIZACJA,SEKCJA,NAZWA) Values( :p, :l, "
            ":s, :n) "}));

// --- Without the table ---------------------------------------------------------

class ParameterStoreWithoutTableTest : public test::TdmTestBase {
  protected:
    void SetUp() override {
        LogInAs("sysdba", db_.Server().password);
        dm_.BazaConnect();
        ASSERT_EQ(App().connectResult, ConnectResult::Connected);
    }
};

TEST_F(ParameterStoreWithoutTableTest, ReadsProbesAndTheWritesProbeRaise) {
    EXPECT_THROW(JestPar(dm_, "FW", kGlobal, kRubsa), fb::FbError);
    EXPECT_THROW(ReadParI(dm_, "FW", 1, kGlobal, kRubsa), fb::FbError);
    EXPECT_THROW(ReadParS(dm_, "WERSJA", "", kGlobal, kRubsa), fb::FbError);
    EXPECT_THROW(WriteParI(dm_, "FW", 1, kGlobal, kRubsa), fb::FbError);
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

}  // namespace
}  // namespace rubso
