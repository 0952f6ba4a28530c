// The administrator's check and the main window's pass on throw-away
// databases: a new database brought up to a working schema, an older one
// repaired, a second run that changes nothing, the stored version's rule,
// failures that are reported while the check goes on, and a connection lost
// in the middle.
#include "db/schema_upgrade.h"

#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "db/schema_probes.h"
#include "db/schema_scripts.h"
#include "tests/db/schema_test_base.h"

namespace rubso {
namespace {

using test::CashierUserLock;
using test::kTestYear;
using test::SchemaTestBase;

const std::string kYear = std::to_string(kTestYear);

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return StartsWith(l, prefix); }));
}

// Every column COM_DEF has after the upgrade.
std::set<std::string> FullComDefColumns() {
    std::set<std::string> columns = {"AKTYWNY", "NRSYS_KASA", "VYRIP", "VYRTYPP"};
    for (const std::string& line : Skrypt("C_COM_DEF")) {
        const std::string word = NthField(line, 1, ' ');
        if (!word.empty() && !StartsWith(word, "CREATE") && word != ");") columns.insert(word);
    }
    return columns;
}

// Runs in a scratch directory: the check looks for "Sprw.dat" in the current
// directory.
class ScopedCurrentDir {
  public:
    explicit ScopedCurrentDir(const std::string& dir) : previous_(QDir::currentPath()) {
        QDir::setCurrent(QString::fromStdString(dir));
    }
    ~ScopedCurrentDir() { QDir::setCurrent(previous_); }
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

  private:
    QString previous_;
};

class SchemaUpgradeTest : public SchemaTestBase {
  protected:
    void SetUp() override { CreateTradingSide(); }

    void StoreVersion(const std::string& version) {
        Exec(
            {"insert into PARAMETRY (LOKALIZACJA, SEKCJA, NAZWA, pSTRING) values ('GLOBAL', "
             "'RUBSA', 'WERSJA', '" +
             version + "')"});
    }
    std::string StoredVersion() const {
        return Scalar("select pstring from PARAMETRY where nazwa = 'WERSJA'");
    }
    // The first start of the program: the administrator's login, then the
    // main window.
    void FirstStart() {
        ConnectAndCheck();
        MainWindowSchemaPass(dm_);
    }
    // The tables of an older version: COM_DEF without its later columns and
    // with two registers, PARAGONY with the short read identifier, without
    // the packaging flag and the later columns, holding two lines.
    void CreateOlderSchema() {
        Exec(
            {"create table COM_DEF (NR_KOMP INTEGER DEFAULT 0, PORT INTEGER DEFAULT 0, "
             "SZYBKOSC INTEGER DEFAULT 0, ID INTEGER, KOD_KASA VARCHAR(5), NAZWA VARCHAR(20), "
             "CENA VARCHAR(10), REJ INTEGER, KIERUNEK VARCHAR(3), MAGAZYN VARCHAR(3), KOD "
             "INTEGER)",
             "insert into COM_DEF (ID, PORT, KOD_KASA, NAZWA) values (0, 1, '1', 'KASA 1')",
             "insert into COM_DEF (ID, PORT, KOD_KASA, NAZWA) values (1, 0, '2', 'KASA 2')",
             "create table PARAGONY (ID INTEGER NOT NULL, ODCZYT VARCHAR(12), DATASPRZ "
             "TIMESTAMP, NUMER INTEGER, STORNO INTEGER, ASORT VARCHAR(20), ILOSC "
             "NUMERIC(15,4), WARTOSC NUMERIC(15,4), KASA INTEGER, KOMPLET SMALLINT, "
             "CONSTRAINT PARAGONY PRIMARY KEY(ID))",
             "insert into PARAGONY (ID, ODCZYT, STORNO) values (1, '123456789012', 0)",
             "insert into PARAGONY (ID, ODCZYT, STORNO) values (2, 'R2', null)"});
        StoreVersion("2.17.5");
    }
    int Format(const std::string& table) const {
        return std::stoi(Scalar("select rdb$format from rdb$relations where rdb$relation_name = '" +
                                table + "'"));
    }
};

// --- The stored version ---------------------------------------------------------

struct VersionCase {
    const char* stored;
    bool upgrade;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << "stored \"" << c.stored << '"';
}

class VersionRuleTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionRuleTest, ComparesByteWiseWithTheProgramsVersion) {
    EXPECT_EQ(VersionNeedsUpgrade(GetParam().stored), GetParam().upgrade);
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionRuleTest,
                         ::testing::Values(VersionCase{"", true}, VersionCase{"0", true},
                                           VersionCase{"2.18.3", true},
                                           VersionCase{"2.18.10", true},  // "1" < "4"
                                           VersionCase{"2.18", true}, VersionCase{"2.18.4", false},
                                           VersionCase{"2.18.4a", false},
                                           VersionCase{"2.9", false},  // "9" > "1"
                                           VersionCase{"3", false}));

class AdministratorCheckVersionTest : public SchemaTestBase,
                                      public ::testing::WithParamInterface<VersionCase> {};

TEST_P(AdministratorCheckVersionTest, RunsTheUpgradeStepsOnlyForAnOlderStoredVersion) {
    CreateTradingSide();
    if (*GetParam().stored != '\0') {
        Exec({std::string("insert into PARAMETRY (LOKALIZACJA, SEKCJA, NAZWA, pSTRING) values "
                          "('GLOBAL', 'RUBSA', 'WERSJA', '") +
              GetParam().stored + "')"});
    }
    EXPECT_EQ(ConnectAndCheck(), GetParam().upgrade);
    // The structure check runs either way; the registers come with the upgrade.
    EXPECT_TRUE(HasIndex("PARAGONY04"));
    EXPECT_EQ(Count("select count(*) from COM_DEF"), GetParam().upgrade ? 5 : 0);
    EXPECT_EQ(Scalar("select pstring from PARAMETRY where nazwa = 'WERSJA'"),
              GetParam().upgrade ? std::string("2.18.4") : GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Versions, AdministratorCheckVersionTest,
                         ::testing::Values(VersionCase{"2.18.10", true}, VersionCase{"", true},
                                           VersionCase{"2.9", false},
                                           VersionCase{"2.18.4", false}));

TEST_F(SchemaUpgradeTest, TheTestingBoxForcesTheUpgrade) {
    StoreVersion("2.18.4");
    EXPECT_TRUE(ConnectAndCheck(true));
    EXPECT_EQ(Count("select count(*) from COM_DEF"), 5);
}

TEST_F(SchemaUpgradeTest, ASprwDatFileInTheCurrentDirectoryForcesTheUpgrade) {
    StoreVersion("2.18.4");
    test::TempDir dir;
    ASSERT_TRUE(WriteFileText("", dir.File("Sprw.dat")));
    ScopedCurrentDir inDir(dir.Path());
    EXPECT_TRUE(ConnectAndCheck());
    EXPECT_EQ(StoredVersion(), "2.18.4");
}

// --- A new database ---------------------------------------------------------------

TEST_F(SchemaUpgradeTest, TheFirstStartBuildsTheWholeSchema) {
    FirstStart();
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());

    EXPECT_EQ(Names("select rdb$relation_name from rdb$relations where rdb$relation_name in "
                    "('COM_DEF','HIST_PAR','ODCZYT','PARAGONY')"),
              (std::set<std::string>{"COM_DEF", "HIST_PAR", "ODCZYT", "PARAGONY"}));
    for (const char* index : {"ODCZYT0", "PARAGONY00", "PARAGONY01", "PARAGONY03", "PARAGONY04"}) {
        EXPECT_TRUE(HasIndex(index)) << index;
    }
    EXPECT_TRUE(HasIndex("IDX_AS" + kYear + "KODKASA"));
    EXPECT_EQ(Names("select rdb$generator_name from rdb$generators where rdb$generator_name "
                    "starting with 'G_ID_'"),
              (std::set<std::string>{"G_ID_COM_DEF", "G_ID_ODCZYT", "G_ID_PARAGONY"}));
    EXPECT_EQ(Names("select rdb$trigger_name from rdb$triggers where rdb$trigger_name "
                    "starting with 'TRI_'"),
              (std::set<std::string>{"TRI_COM_DEF", "TRI_HIST_PAR", "TRI_ODCZYT", "TRI_PARAGONY"}));
    EXPECT_EQ(Names("select rdb$procedure_name from rdb$procedures where rdb$procedure_name "
                    "starting with 'P_' and rdb$procedure_name <> 'P_AKTUKAMA" +
                    kYear + "'"),
              (std::set<std::string>{"P_VYR_POR_1_" + kYear, "P_VYR_POR_2", "P_VYR_POR" + kYear,
                                     "P_VYR_STATYSTYKA", "P_WOLNYKOD" + kYear,
                                     "P_ZAPISZ_WZ_KASY" + kYear}));
    EXPECT_EQ(Columns("COM_DEF"), FullComDefColumns());
    EXPECT_TRUE(Columns("PARAGONY").count("OPAK"));
    EXPECT_EQ(CharLength("PARAGONY", "ODCZYT"), 20);
    EXPECT_EQ(StoredVersion(), "2.18.4");
}

TEST_F(SchemaUpgradeTest, TheFirstStartMakesFiveActiveRegisters) {
    FirstStart();
    EXPECT_EQ(
        Names("select id || ' ' || kod_kasa || ' ' || nazwa || ' ' || port || ' ' || "
              "szybkosc || ' ' || aktywny || ' ' || vyrnrszt || ' ' || vyrnrkg || ' ' || "
              "vyrnrpocz || ' ' || vyrmaxkod || ' ' || rej || ' ' || kod || ' [' || "
              "kierunek || magazyn || ']' from com_def"),
        (std::set<std::string>{
            "0 1 KASA 1 1 9600 1 1 2 100 5000 0 0 []", "1 2 KASA 2 1 9600 1 1 2 100 5000 0 0 []",
            "2 3 KASA 3 1 9600 1 1 2 100 5000 0 0 []", "3 4 KASA 4 1 9600 1 1 2 100 5000 0 0 []",
            "4 5 KASA 5 1 9600 1 1 2 100 5000 0 0 []"}));
}

TEST_F(SchemaUpgradeTest, TheFirstStartLogsWhatItCreated) {
    const std::size_t before = LogEntries().size();
    FirstStart();
    const std::vector<std::string> log = LogSince(before);
    for (const char* table : {"COM_DEF", "HIST_PAR", "ODCZYT", "PARAGONY"}) {
        EXPECT_EQ(CountStartingWith(log, std::string("Dopisana tabela ") + table), 1) << table;
    }
    EXPECT_TRUE(Contains(log, "Sprawdzanie bazy ..."));
    EXPECT_TRUE(Contains(log, "Stworzony trigger TRI_ODCZYT"));
    EXPECT_TRUE(Contains(log, "Stworzony generator G_ID_ODCZYT"));
    EXPECT_TRUE(Contains(log, "Stworzony generator G_ID_PARAGONY"));
    EXPECT_TRUE(Contains(log, "Dopisane pole AKTYWNY do tabeli COM_DEF"));
    EXPECT_TRUE(Contains(log, "Dopisane pole NRSYS_KASA do tabeli COM_DEF"));
    EXPECT_TRUE(Contains(log, "Dopisane pole OPAK do tabeli PARAGONY"));
    EXPECT_TRUE(Contains(log, "Stworzony trigger TRI_HIST_PAR"));
    // The procedures in list order: a year template is always "Wymiana".
    std::vector<std::string> procedures;
    for (const std::string& line : log) {
        if (line.find(" P_") != std::string::npos && !StartsWith(line, "Nadane")) {
            procedures.push_back(line);
        }
    }
    EXPECT_EQ(procedures, (std::vector<std::string>{
                              "Wymiana P_VYR_POR_1_" + kYear, "Dopisanie P_VYR_POR_2",
                              "Wymiana P_VYR_POR" + kYear, "Dopisanie P_VYR_STATYSTYKA",
                              "Wymiana P_WOLNYKOD" + kYear, "Wymiana P_ZAPISZ_WZ_KASY" + kYear}));
}

TEST_F(SchemaUpgradeTest, ASecondRunChangesNothing) {
    FirstStart();
    const std::string before = SchemaSnapshot();
    const std::size_t logBefore = LogEntries().size();

    EXPECT_TRUE(AdministratorCheck(dm_, true));
    MainWindowSchemaPass(dm_);

    EXPECT_EQ(SchemaSnapshot(), before);
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
    const std::vector<std::string> log = LogSince(logBefore);
    EXPECT_EQ(CountStartingWith(log, "Dopisan"), 0) << ::testing::PrintToString(log);
    EXPECT_EQ(CountStartingWith(log, "Stworzony"), 0) << ::testing::PrintToString(log);
    // The procedures are sent again, all of them altered.
    EXPECT_EQ(CountStartingWith(log, "Wymiana P_"), 6);
}

TEST_F(SchemaUpgradeTest, AnUpToDateDatabaseIsLeftAsItIs) {
    FirstStart();
    const std::string before = SchemaSnapshot();
    const std::size_t logBefore = LogEntries().size();
    EXPECT_FALSE(AdministratorCheck(dm_, false));
    MainWindowSchemaPass(dm_);
    EXPECT_EQ(SchemaSnapshot(), before);
    EXPECT_EQ(LogSince(logBefore), std::vector<std::string>{"Sprawdzanie bazy ..."});
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
}

// --- An older database ----------------------------------------------------------------

TEST_F(SchemaUpgradeTest, AnOlderDatabaseIsRepaired) {
    CreateOlderSchema();
    const int paragonyFormat = Format("PARAGONY");
    ConnectAndCheck();
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());

    EXPECT_EQ(CharLength("PARAGONY", "ODCZYT"), 20);
    EXPECT_EQ(Scalar("select odczyt from PARAGONY where id = 1"), "123456789012");
    EXPECT_EQ(Scalar("select list(opak) from PARAGONY"), "0,0");
    EXPECT_EQ(Count("select count(*) from PARAGONY where storno is null"), 0);
    // The missing script columns in one ALTER TABLE, then the widening, then
    // the packaging flag: three new formats of the table.
    EXPECT_EQ(Format("PARAGONY"), paragonyFormat + 3);
    EXPECT_EQ(Columns("COM_DEF"), FullComDefColumns());
    EXPECT_EQ(Count("select count(*) from COM_DEF where vyrnrpocz = 100"), 2);
}

TEST_F(SchemaUpgradeTest, OlderRegistersWaitForTheirActiveFlagBeforeTheMissingOnesAreAdded) {
    CreateOlderSchema();
    ConnectAndCheck();
    // AKTYWNY was added to rows that existed: they had no value, so no
    // register was added in this run; the flag follows the port.
    EXPECT_EQ(Names("select kod_kasa || ':' || aktywny from COM_DEF"),
              (std::set<std::string>{"1:1", "2:0"}));
    AdministratorCheck(dm_, true);
    EXPECT_EQ(Names("select kod_kasa || ':' || aktywny from COM_DEF"),
              (std::set<std::string>{"1:1", "2:0", "3:1", "4:1", "5:1"}));
}

struct RegisterCase {
    int rows;         // registers left after the first start
    bool nullActive;  // one of them waits for its active flag
    int afterFirst;   // registers after the next check
    int afterSecond;  // and after one more
};

void PrintTo(const RegisterCase& c, std::ostream* out) {
    *out << c.rows << " registers" << (c.nullActive ? ", one without its active flag" : "");
}

class RegisterRowsTest : public SchemaTestBase,
                         public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(RegisterRowsTest, TheCheckFillsTheRegisterSlots) {
    CreateTradingSide();
    ConnectAndCheck();
    Exec({"delete from COM_DEF where id >= " + std::to_string(GetParam().rows)});
    for (int i = 5; i < GetParam().rows; ++i) {
        Exec({"insert into COM_DEF (PORT, KOD_KASA, NAZWA) values (1, '" + std::to_string(i + 1) +
              "', 'EXTRA')"});
    }
    if (GetParam().nullActive) Exec({"update COM_DEF set aktywny = null where id = 0"});

    const std::size_t before = LogEntries().size();
    AdministratorCheck(dm_, true);
    EXPECT_EQ(Count("select count(*) from COM_DEF"), GetParam().afterFirst);
    EXPECT_EQ(Contains(LogSince(before), "Pusta listaScr  "), GetParam().rows > 5);
    AdministratorCheck(dm_, true);
    EXPECT_EQ(Count("select count(*) from COM_DEF"), GetParam().afterSecond);
    EXPECT_EQ(Count("select count(*) from COM_DEF where aktywny is null"), 0);
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
}

INSTANTIATE_TEST_SUITE_P(Rows, RegisterRowsTest,
                         ::testing::Values(RegisterCase{0, false, 5, 5},
                                           RegisterCase{3, false, 5, 5},
                                           RegisterCase{3, true, 3, 5},
                                           RegisterCase{5, false, 5, 5},
                                           RegisterCase{7, false, 7, 7}));

TEST_F(SchemaUpgradeTest, AMissingTableIsCreatedWithItsIndexOnce) {
    FirstStart();
    Exec({"drop trigger TRI_ODCZYT", "drop table ODCZYT"});
    const std::size_t before = LogEntries().size();
    TestStru(dm_, false);
    const std::vector<std::string> log = LogSince(before);
    EXPECT_EQ(log, std::vector<std::string>{"Dopisana tabela ODCZYT"});
    EXPECT_TRUE(HasIndex("ODCZYT0"));
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
}

TEST_F(SchemaUpgradeTest, TestProcInstallsTheTemplatesForTheCurrentYear) {
    FirstStart();
    {
        fb::Attachment attachment;
        AttachAsTradingOwner(attachment);
        fixture::CreateYearObjects(attachment, kTestYear + 1, fixture::KodKasaKind::Integer);
    }
    const std::string next = std::to_string(kTestYear + 1);
    Clock::SetFixed(QDateTime(QDate(kTestYear + 1, 1, 2), QTime(8, 0)));
    const std::size_t before = LogEntries().size();
    TestProc(dm_);
    Clock::SetFixed(QDateTime(QDate(kTestYear, 3, 16), QTime(10, 30)));

    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
    EXPECT_EQ(
        LogSince(before),
        (std::vector<std::string>{"Wymiana P_VYR_POR_1_" + next, "Wymiana P_VYR_POR_2",
                                  "Wymiana P_VYR_POR" + next, "Wymiana P_VYR_STATYSTYKA",
                                  "Wymiana P_WOLNYKOD" + next, "Wymiana P_ZAPISZ_WZ_KASY" + next}));
    // Last year's procedures stay.
    EXPECT_TRUE(HasProcedure("P_ZAPISZ_WZ_KASY" + kYear));
    EXPECT_TRUE(HasProcedure("P_ZAPISZ_WZ_KASY" + next));
}

// --- Failures ----------------------------------------------------------------------------

TEST_F(SchemaUpgradeTest, AFailingStepIsReportedAndTheCheckGoesOn) {
    // A year without the trading program's warehouse table: the procedures
    // that use it do not compile.
    Exec({"drop table MAGA" + kYear});
    const std::size_t before = LogEntries().size();
    EXPECT_TRUE(ConnectAndCheck());
    const std::vector<std::string> log = LogSince(before);

    EXPECT_EQ(Shown().size(), 3u) << ::testing::PrintToString(Shown());
    const std::string failed = Cp1250("Błąd przy testowaniu ");
    EXPECT_TRUE(Contains(log, failed + "P_VYR_POR_1_" + kYear));
    EXPECT_TRUE(Contains(log, failed + "P_VYR_POR" + kYear));
    EXPECT_TRUE(Contains(log, failed + "P_ZAPISZ_WZ_KASY" + kYear));
    EXPECT_TRUE(Contains(log, "Wymiana P_WOLNYKOD" + kYear));
    EXPECT_TRUE(HasProcedure("P_VYR_STATYSTYKA"));
    // The steps after the procedures ran.
    EXPECT_EQ(Count("select count(*) from rdb$triggers where rdb$trigger_name = 'TRI_PARAGONY'"),
              1);
    EXPECT_EQ(Count("select count(*) from COM_DEF"), 5);
}

// An operator that cuts the data module's connection from the server when
// the busy cursor is shown for the n-th time (each of TestStru, TestGen and
// TestProc shows it once, in this order).
class ConnectionCutter : public test::RecordingOperator {
  public:
    ConnectionCutter(const test::FbTestDatabase& db, TDM& dm, int at) : db_(db), dm_(dm), at_(at) {}

    void SetBusyCursor(bool on) override {
        RecordingOperator::SetBusyCursor(on);
        if (on && ++calls_ == at_) Cut();
    }

  private:
    void Cut() {
        dm_.IBQdm.SetSql("select current_connection as id from rdb$database");
        dm_.IBQdm.Open();
        const std::string id = dm_.IBQdm.Row().AsString("id");
        dm_.CloseQ(dm_.IBQdm);
        db_.Execute({"delete from mon$attachments where mon$attachment_id = " + id});
    }

    const test::FbTestDatabase& db_;
    TDM& dm_;
    int at_;
    int calls_ = 0;
};

class LostConnectionTest : public SchemaTestBase, public ::testing::WithParamInterface<int> {};

TEST_P(LostConnectionTest, RaisesToTheCallerAndTheNextRunFinishesTheTables) {
    CreateTradingSide();
    Exec({"create table COM_DEF (PORT INTEGER DEFAULT 0, ID INTEGER, KOD_KASA VARCHAR(5))",
          "create table PARAGONY (ID INTEGER NOT NULL, ODCZYT VARCHAR(12), STORNO INTEGER, "
          "CONSTRAINT PARAGONY PRIMARY KEY(ID))",
          "insert into PARAGONY (ID, ODCZYT) values (1, 'R1')"});
    ConnectAsAdministrator();
    {
        ConnectionCutter cutter(db_, dm_, GetParam());
        SetOperator(&cutter);
        EXPECT_THROW(AdministratorCheck(dm_, false), fb::FbError);
        EXPECT_FALSE(cutter.busy);  // the cursor is restored
        SetOperator(&*operator_);
    }

    ConnectAndCheck();
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
    EXPECT_EQ(Columns("COM_DEF"), FullComDefColumns());
    EXPECT_TRUE(Columns("PARAGONY").count("OPAK"));
    EXPECT_TRUE(Columns("PARAGONY").count("KOMPLET"));
    EXPECT_EQ(CharLength("PARAGONY", "ODCZYT"), 20);
    EXPECT_TRUE(HasIndex("PARAGONY04"));
}

INSTANTIATE_TEST_SUITE_P(CutAt, LostConnectionTest,
                         ::testing::Values(1,    // TestStru
                                           2,    // TestGen
                                           3));  // TestProc

// --- The main window's pass ----------------------------------------------------------------

TEST_F(SchemaUpgradeTest, ThePassRecreatesMissingTriggersProcedureAndIndexWithLogLines) {
    FirstStart();
    Exec({"drop trigger TRI_HIST_PAR", "drop trigger TRI_PARAGONY",
          "drop procedure P_ZAPISZ_WZ_KASY" + kYear, "drop index IDX_AS" + kYear + "KODKASA"});
    const std::size_t before = LogEntries().size();
    MainWindowSchemaPass(dm_);
    const std::vector<std::string> log = LogSince(before);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 2),
              (std::vector<std::string>{"Stworzony trigger TRI_HIST_PAR",
                                        "Stworzony trigger TRI_PARAGONY"}));
    // What is made again has lost its grants with the old one, and gets them back.
    EXPECT_TRUE(Contains(log, "Nadane uprawnienie: GRANT EXECUTE ON PROCEDURE P_ZAPISZ_WZ_KASY" +
                                  kYear + " TO ROLE ADMINISTRATOR"));
    EXPECT_TRUE(HasProcedure("P_ZAPISZ_WZ_KASY" + kYear));
    EXPECT_TRUE(HasIndex("IDX_AS" + kYear + "KODKASA"));
    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
}

TEST_F(SchemaUpgradeTest, TheHistoryTriggerWaitsForTheReceiptGeneratorUntilTheNextPass) {
    FirstStart();
    Exec(
        {"drop trigger TRI_HIST_PAR", "drop trigger TRI_PARAGONY", "drop generator G_ID_PARAGONY"});
    const std::size_t before = LogEntries().size();
    MainWindowSchemaPass(dm_);
    std::vector<std::string> log = LogSince(before);
    EXPECT_TRUE(Contains(log, "Stworzony generator G_ID_PARAGONY"));
    EXPECT_TRUE(Contains(log, "Stworzony trigger TRI_PARAGONY"));
    EXPECT_FALSE(Contains(log, "Stworzony trigger TRI_HIST_PAR"));
    EXPECT_EQ(Shown().size(), 1u);

    MainWindowSchemaPass(dm_);
    log = LogSince(before);
    EXPECT_TRUE(Contains(log, "Stworzony trigger TRI_HIST_PAR"));
}

TEST_F(SchemaUpgradeTest, ReceiptsAndHistoryShareOneIdentifierSequence) {
    FirstStart();
    Exec({"insert into PARAGONY (ID, NUMER) values (100, 1)",
          "insert into PARAGONY (ID, NUMER) values (100, 2)",
          "insert into PARAGONY (NUMER) values (3)", "insert into HIST_PAR (OPIS) values ('x')"});
    EXPECT_EQ(Scalar("select list(id) from (select id from PARAGONY order by numer)"), "0,1,2");
    EXPECT_EQ(Scalar("select id from HIST_PAR"), "3");
    EXPECT_EQ(Count("select count(*) from HIST_PAR where data_wpisu is not null"), 1);
}

TEST_F(SchemaUpgradeTest, ThePassAddsTheLaterReceiptColumns) {
    Exec({"create table PARAGONY (ID INTEGER NOT NULL, ODCZYT VARCHAR(20), OPAK INTEGER)"});
    ConnectAsAdministrator();
    const std::size_t before = LogEntries().size();
    MainWindowSchemaPass(dm_);
    const std::vector<std::string> log = LogSince(before);
    EXPECT_TRUE(Contains(log, "Dopisane pole DATA do tabeli PARAGONY"));
    EXPECT_TRUE(Contains(log, "Dopisane pole CENA do tabeli PARAGONY"));
    EXPECT_TRUE(Contains(log, "Dopisane pole UPUST do tabeli PARAGONY"));
    EXPECT_EQ(TypPola(dm_, "PARAGONY", "UPUST"), (ColumnType{16, 1, 12, -2, 0, 0}));
}

// The pass runs for every user. On a database the administrator has set up,
// the cashier (role ADMINISTRATOR) creates the new year's procedure and the
// new year's goods index.
struct PassUserCase {
    bool cashier;
    fixture::KodKasaKind kodKasa;
};

void PrintTo(const PassUserCase& c, std::ostream* out) {
    *out << (c.cashier ? "KASJER" : "SYSDBA") << ", KOD_KASA "
         << (c.kodKasa == fixture::KodKasaKind::Integer ? "integer" : "text");
}

class NewYearPassTest : public SchemaTestBase,
                        public ::testing::WithParamInterface<PassUserCase> {};

TEST_P(NewYearPassTest, CreatesTheYearsProcedureAndGoodsIndex) {
    CashierUserLock lock(db_.Server().dataDir, CashierUserLock::kUsesCashier);
    CreateTradingSide(GetParam().kodKasa);
    ConnectAndCheck();
    const int next = kTestYear + 1;
    {
        fb::Attachment attachment;
        AttachAsTradingOwner(attachment);
        fixture::CreateYearObjects(attachment, next, GetParam().kodKasa);
        fixture::AddGoods(attachment, next, GetParam().kodKasa,
                          {{.asort = "A1", .nazwa = "Chleb", .kodKasa = 1},
                           {.asort = "A2", .nazwa = "Bulka", .kodKasa = 3}});
    }
    if (GetParam().cashier) {
        LogInAs("KASJER", KasjerInitialPassword());
        dm_.BazaConnect();
        ASSERT_EQ(App().connectResult, ConnectResult::Connected)
            << ::testing::PrintToString(Shown());
    }

    Clock::SetFixed(QDateTime(QDate(next, 1, 2), QTime(8, 0)));
    MainWindowSchemaPass(dm_);
    Clock::SetFixed(QDateTime(QDate(kTestYear, 3, 16), QTime(10, 30)));

    EXPECT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
    EXPECT_TRUE(HasProcedure("P_ZAPISZ_WZ_KASY" + std::to_string(next)));
    // The new year's goods table gets the role's grant from the
    // administrator; the cashier cannot give it and only logs that.
    EXPECT_EQ(Count("select count(*) from rdb$user_privileges where rdb$user = 'ADMINISTRATOR' "
                    "and rdb$privilege = 'S' and rdb$relation_name = 'KARTAS" +
                    std::to_string(next) + "'"),
              GetParam().cashier ? 0 : 1);
    EXPECT_EQ(Scalar("select trim(rdb$relation_name) from rdb$indices where rdb$index_name = "
                     "'IDX_AS" +
                     std::to_string(next) + "KODKASA'"),
              "KARTAS" + std::to_string(next));
}

INSTANTIATE_TEST_SUITE_P(Users, NewYearPassTest,
                         ::testing::Values(PassUserCase{false, fixture::KodKasaKind::Integer},
                                           PassUserCase{true, fixture::KodKasaKind::Integer},
                                           PassUserCase{true, fixture::KodKasaKind::Text}));

}  // namespace
}  // namespace rubso
