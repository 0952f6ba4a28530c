// TDM against the private test server: the login with its administrator's
// setup, the statement runners and the query refresh. Every test works in a
// throw-away database and records what the operator was shown.
#include "db/tdm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/command_guard.h"
#include "db/fb_services.h"
#include "db/parameter_store.h"
#include "fixture/trading_database.h"
#include "tests/db/tdm_test_base.h"
#include "tests/support/stations.h"

namespace rubso {
namespace {

using test::CashierUserLock;
using test::TdmTestBase;

bool HasBareLineFeed(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
    }
    return false;
}

// The first `expected.size()` characters of `text`, so a failing comparison
// shows what the text actually began with.
std::string Head(const std::string& text, const std::string& expected) {
    return text.substr(0, expected.size());
}

// --- BazaConnect -----------------------------------------------------------

class BazaConnectTest : public TdmTestBase {
  protected:
    BazaConnectTest() : lock_(db_.Server().dataDir, CashierUserLock::kDeletesCashier) {}

    bool CashierExists() {
        fb::ServiceManager service;
        service.Attach(fb::ServiceServerName(db_.Path()), db_.Server().user, db_.Server().password);
        for (const auto& user : service.ListUsers()) {
            if (user.name == "KASJER") return true;
        }
        return false;
    }

    void DeleteCashier() { lock_.DeleteCashier(db_.Server()); }

    std::int64_t CashierAdminGrants() const {
        return Count(
            "select count(*) from rdb$user_privileges where rdb$user='KASJER' and "
            "rdb$relation_name='ADMINISTRATOR' and rdb$privilege='M' and rdb$grant_option=2");
    }

    std::int64_t AdministratorRoles() const {
        return Count("select count(*) from rdb$roles where rdb$role_name='ADMINISTRATOR'");
    }

    CashierUserLock lock_;
};

TEST_F(BazaConnectTest, FirstAdministratorLoginCreatesRoleUserAndGrant) {
    DeleteCashier();
    ASSERT_EQ(AdministratorRoles(), 0);

    dm_.BazaConnect();

    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    EXPECT_TRUE(dm_.IBBaza.IsConnected());
    EXPECT_EQ(AdministratorRoles(), 1);
    EXPECT_TRUE(CashierExists());
    EXPECT_EQ(CashierAdminGrants(), 1);
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(BazaConnectTest, FourAdministratorsLoggingInAtOnceOnANewDatabaseAllGetIn) {
    DeleteCashier();
    const std::vector<std::string> station = {RUBSO_TEST_STATION, db_.Path(), db_.Server().user,
                                              db_.Server().password, "login"};
    for (const test::StationResult& result :
         test::RunStationsTogether({station, station, station, station})) {
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(result.output, "connect 0\n");
    }
    EXPECT_EQ(AdministratorRoles(), 1);
    EXPECT_TRUE(CashierExists());
    EXPECT_EQ(CashierAdminGrants(), 1);
}

TEST_F(BazaConnectTest, CreatedCashierHasTheNamesAndLogsInWithTheAdministratorRole) {
    DeleteCashier();
    dm_.BazaConnect();
    ASSERT_EQ(App().connectResult, ConnectResult::Connected);

    fb::ServiceManager service;
    service.Attach(fb::ServiceServerName(db_.Path()), db_.Server().user, db_.Server().password);
    for (const auto& user : service.ListUsers()) {
        if (user.name != "KASJER") continue;
        EXPECT_EQ(user.firstName, "KASJER");
        EXPECT_EQ(user.lastName, "KASJER");
    }
    service.Detach();

    TDM cashier;
    LogInAs("KASJER", KasjerInitialPassword());
    cashier.BazaConnect();
    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    cashier.IBQdm.SetSql("select current_user as u, current_role as r from rdb$database");
    cashier.IBQdm.Open();
    EXPECT_EQ(cashier.IBQdm.Row().AsString("u"), "KASJER");
    EXPECT_EQ(cashier.IBQdm.Row().AsString("r"), "ADMINISTRATOR");
    cashier.CloseQ(cashier.IBQdm);
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(BazaConnectTest, SecondAdministratorLoginOnlyRepeatsTheGrant) {
    dm_.BazaConnect();
    ASSERT_EQ(App().connectResult, ConnectResult::Connected);
    db_.Execute({"revoke ADMINISTRATOR from KASJER"});
    ASSERT_EQ(CashierAdminGrants(), 0);

    TDM again;
    again.BazaConnect();

    // A second "create role" or a second user would have failed: a message,
    // or connectResult 3.
    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    EXPECT_EQ(AdministratorRoles(), 1);
    EXPECT_EQ(CashierAdminGrants(), 1);
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(BazaConnectTest, LowerCaseSysdbaIsNoAdministrator) {
    // With the role granted to the administrator, the role shows whether the
    // login asked for it.
    db_.Execute({"create role ADMINISTRATOR", "grant ADMINISTRATOR to SYSDBA"});
    LogInAs("sysdba", db_.Server().password);

    dm_.BazaConnect();

    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    // The role was requested, and none of the setup ran: no grant to KASJER.
    dm_.IBQdm.SetSql("select current_role as r from rdb$database");
    dm_.IBQdm.Open();
    EXPECT_EQ(dm_.IBQdm.Row().AsString("r"), "ADMINISTRATOR");
    dm_.CloseQ(dm_.IBQdm);
    EXPECT_EQ(CashierAdminGrants(), 0);
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(BazaConnectTest, AdministratorAsksForNoRole) {
    db_.Execute({"create role ADMINISTRATOR", "grant ADMINISTRATOR to SYSDBA"});

    dm_.BazaConnect();

    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    dm_.IBQdm.SetSql("select current_role as r from rdb$database");
    dm_.IBQdm.Open();
    EXPECT_EQ(dm_.IBQdm.Row().AsString("r"), "NONE");
    dm_.CloseQ(dm_.IBQdm);
}

TEST_F(BazaConnectTest, LowerCaseSysdbaCreatesNoRole) {
    LogInAs("sysdba", db_.Server().password);
    dm_.BazaConnect();
    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    EXPECT_EQ(AdministratorRoles(), 0);
}

TEST_F(BazaConnectTest, WrongPasswordIsRefusedByTheService) {
    LogInAs(db_.Server().user, "zlehaslo");

    dm_.BazaConnect();

    const std::string message = Cp1250("Błędna nazwa użytkownika lub hasło");
    EXPECT_EQ(App().connectResult, ConnectResult::CredentialsRefused);
    EXPECT_FALSE(dm_.IBBaza.IsConnected());
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{message});
    EXPECT_EQ(LogEntries(), std::vector<std::string>{message});
}

TEST_F(BazaConnectTest, UnreachableServerIsRefusedByTheService) {
    // Port 1 on this machine: nothing listens there, the refusal is at once.
    App().dbPath = "127.0.0.1/1:" + db_.Server().dataDir + "/firma.fdb";

    dm_.BazaConnect();

    EXPECT_EQ(App().connectResult, ConnectResult::CredentialsRefused);
    EXPECT_EQ(operator_->MessageTexts(),
              std::vector<std::string>{Cp1250("Błędna nazwa użytkownika lub hasło")});
}

TEST_F(BazaConnectTest, MissingDatabaseShowsTheServersMessage) {
    App().dbPath = db_.Server().ConnectionString(db_.Server().dataDir + "/nie_ma_takiej.fdb");

    dm_.BazaConnect();

    EXPECT_EQ(App().connectResult, ConnectResult::ConnectionRefused);
    EXPECT_FALSE(dm_.IBBaza.IsConnected());
    const auto shown = operator_->MessageTexts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("nie_ma_takiej.fdb"), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("\r\n"), std::string::npos) << shown[0];
    EXPECT_FALSE(HasBareLineFeed(shown[0])) << shown[0];
    EXPECT_EQ(LogEntries(), shown);
}

TEST_F(BazaConnectTest, CashierWithoutTheRoleStillConnects) {
    // A user without the grant asks for the role all the same; the server
    // lets it in without a role.
    dm_.BazaConnect();
    ASSERT_EQ(App().connectResult, ConnectResult::Connected);
    db_.Execute({"revoke ADMINISTRATOR from KASJER"});

    TDM cashier;
    LogInAs("KASJER", KasjerInitialPassword());
    cashier.BazaConnect();
    EXPECT_EQ(App().connectResult, ConnectResult::Connected);
    cashier.IBQdm.SetSql("select current_role as r from rdb$database");
    cashier.IBQdm.Open();
    EXPECT_EQ(cashier.IBQdm.Row().AsString("r"), "NONE");
    cashier.CloseQ(cashier.IBQdm);
}

// --- RunSQL ----------------------------------------------------------------

class RunnerTest : public TdmTestBase {
  protected:
    void SetUp() override {
        db_.Execute({"create table T (A integer not null primary key, B varchar(20))"});
        LogInAs("sysdba", db_.Server().password);  // no administrator's setup
        dm_.BazaConnect();
        ASSERT_EQ(App().connectResult, ConnectResult::Connected);
    }
    std::int64_t RowsOfT() const { return Count("select count(*) from T"); }
};

TEST_F(RunnerTest, RunSQLCommitsItsStatement) {
    EXPECT_TRUE(dm_.RunSQL("insert into T (A, B) values (1, 'x')"));
    EXPECT_EQ(RowsOfT(), 1);
    EXPECT_FALSE(dm_.IBTSQL.IsActive());
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
    EXPECT_EQ(LogEntries(), std::vector<std::string>{});
}

TEST_F(RunnerTest, RunSQLFailureIsLoggedWithTheStatementShownAndRolledBack) {
    const std::string statement = "insert into NIE_MA (A) values (1)";

    EXPECT_FALSE(dm_.RunSQL(statement));

    EXPECT_FALSE(dm_.IBTSQL.IsActive());
    const auto shown = operator_->MessageTexts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("NIE_MA"), std::string::npos) << shown[0];
    EXPECT_FALSE(HasBareLineFeed(shown[0])) << shown[0];
    EXPECT_EQ(LogEntries(), std::vector<std::string>{statement + "\r\n" + shown[0]});
}

TEST_F(RunnerTest, RunSQLAfterAFailureStartsClean) {
    EXPECT_FALSE(dm_.RunSQL("insert into T (A, B) values (1, 'too long for twenty chars')"));
    EXPECT_TRUE(dm_.RunSQL("insert into T (A, B) values (1, 'x')"));
    EXPECT_EQ(RowsOfT(), 1);
}

// --- RunScr ----------------------------------------------------------------

TEST_F(RunnerTest, RunScrRunsOneStatementPerLine) {
    dm_.ListaScr = {"insert into T (A) values (1);", "insert into T (A) values (2);", "",
                    "  insert into T (A) values (3);  "};
    EXPECT_TRUE(dm_.RunScr("etykieta", false));
    EXPECT_EQ(RowsOfT(), 3);
    EXPECT_EQ(dm_.ListaScr.size(), 4u);  // the buffer is left as it was
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(RunnerTest, RunScrFailureInTheThirdStatementUndoesTheFirstTwo) {
    dm_.ListaScr = {"insert into T (A) values (1);", "insert into T (A) values (2);",
                    "insert into T (A) values (1);", "insert into T (A) values (4);"};

    EXPECT_FALSE(dm_.RunScr("etykieta", false));

    EXPECT_EQ(RowsOfT(), 0);
    EXPECT_FALSE(dm_.IBTRun.IsActive());
    const auto shown = operator_->MessageTexts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Head(shown[0], "\r\netykieta\r\n"), "\r\netykieta\r\n");
    EXPECT_NE(shown[0].find("PRIMARY"), std::string::npos) << shown[0];
    EXPECT_FALSE(HasBareLineFeed(shown[0])) << shown[0];
    EXPECT_EQ(LogEntries(), shown);
}

TEST_F(RunnerTest, RunScrQuietFailureIsLoggedOnly) {
    dm_.ListaScr = {"insert into NIE_MA (A) values (1);"};
    EXPECT_FALSE(dm_.RunScr("cicho", true));
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
    ASSERT_EQ(LogEntries().size(), 1u);
    EXPECT_EQ(Head(LogEntries()[0], "\r\ncicho\r\n"), "\r\ncicho\r\n");
}

TEST_F(RunnerTest, RunScrDropsTheTrailingHashOfALine) {
    db_.Execute({"create role ADMINISTRATOR", "create table COM_DEF (ID integer)"});
    dm_.ListaScr = {"GRANT ALL ON COM_DEF TO ADMINISTRATOR WITH GRANT OPTION;#"};

    EXPECT_TRUE(dm_.RunScr("", false));

    EXPECT_EQ(Count("select count(*) from rdb$user_privileges where rdb$user='ADMINISTRATOR' and "
                    "rdb$relation_name='COM_DEF' and rdb$grant_option=1"),
              5);  // select, insert, update, delete, references
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(RunnerTest, RunScrJoinsALineWithoutSemicolonWithTheNextAsStored) {
    dm_.ListaScr = {"insert into T (A, B)\r\n", " values (1, 'x');", "insert into T (A, B)",
                    "values (2, 'y');"};
    EXPECT_TRUE(dm_.RunScr("", false));
    EXPECT_EQ(Scalar("select list(A || B, ',') from (select A, B from T order by A)"), "1x,2y");
}

TEST_F(RunnerTest, RunScrKeepsTheHashOfAJoinedSecondLine) {
    // Only the first line of a pair loses its "#"; the second is taken as
    // stored, so the statement carries the "#" and fails.
    dm_.ListaScr = {"insert into T (A)", " values (1);#"};
    EXPECT_FALSE(dm_.RunScr("", false));
    EXPECT_EQ(RowsOfT(), 0);
    EXPECT_EQ(operator_->MessageTexts().size(), 1u);
}

TEST_F(RunnerTest, RunScrRunsALastLineWithoutSemicolonAlone) {
    dm_.ListaScr = {"insert into T (A) values (1);", "insert into T (A) values (2)"};
    EXPECT_TRUE(dm_.RunScr("", false));
    EXPECT_EQ(RowsOfT(), 2);
}

TEST_F(RunnerTest, RunScrOnAnEmptyBufferOnlyLogs) {
    dm_.ClearListaScr();
    EXPECT_TRUE(dm_.RunScr("C_HIST_PAR idx", false));
    EXPECT_EQ(LogEntries(), std::vector<std::string>{"Pusta listaScr  C_HIST_PAR idx"});
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

// --- RunScript -------------------------------------------------------------

TEST_F(RunnerTest, RunScriptCommitsEveryChunkButTheFailingOne) {
    dm_.ListaScr = {"insert into T (A) values (1);",
                    "insert into T (A) values (2);#",
                    "",
                    "insert into T (A) values (3);",
                    "insert into T (A) values (1);#",
                    "insert into T (A) values (5);"};

    EXPECT_FALSE(dm_.RunScript("trzy", false));

    EXPECT_EQ(Scalar("select list(A, ',') from (select A from T order by A)"), "1,2,5");
    const auto shown = operator_->MessageTexts();
    ASSERT_EQ(shown.size(), 1u);
    // The first non-empty line of the failing chunk, the label, the message.
    const std::string head = "insert into T (A) values (3);\r\ntrzy\r\n";
    EXPECT_EQ(Head(shown[0], head), head);
    EXPECT_FALSE(HasBareLineFeed(shown[0])) << shown[0];
    EXPECT_EQ(LogEntries(), shown);
    EXPECT_FALSE(dm_.IBTrans.IsActive());
}

TEST_F(RunnerTest, RunScriptKeepsADefinitionWhenALaterStatementFails) {
    dm_.ListaScr = {"CREATE GENERATOR G_ID_ODCZYT;", "SET GENERATOR G_ID_ODCZYTT TO -1;"};

    EXPECT_FALSE(dm_.RunScript("", false));

    EXPECT_EQ(Count("select count(*) from rdb$generators where rdb$generator_name='G_ID_ODCZYT'"),
              1);
    EXPECT_EQ(operator_->MessageTexts().size(), 1u);
}

TEST_F(RunnerTest, RunScriptDataChangesWaitForTheChunksCommit) {
    dm_.ListaScr = {"insert into T (A) values (1);", "CREATE TABLE T2 (A INTEGER);",
                    "insert into NIE_MA (A) values (1);"};

    EXPECT_FALSE(dm_.RunScript("", false));

    EXPECT_EQ(RowsOfT(), 0);
    EXPECT_EQ(Count("select count(*) from rdb$relations where rdb$relation_name='T2'"), 1);
}

TEST_F(RunnerTest, RunScriptCreatesTheGeneratorAndSetsIt) {
    dm_.ListaScr = {"CREATE GENERATOR G_ID_ODCZYT;", "SET GENERATOR G_ID_ODCZYT TO -1;"};
    EXPECT_TRUE(dm_.RunScript("", false));
    EXPECT_EQ(Scalar("select gen_id(G_ID_ODCZYT, 1) from rdb$database"), "0");
}

TEST_F(RunnerTest, RunScriptInstallsTriggersAsTheSchemaWritesThem) {
    db_.Execute(
        {"CREATE GENERATOR G_ID_PARAGONY",
         "CREATE TABLE HIST_PAR (ID INTEGER NOT NULL, DATA_WPISU TIMESTAMP, "
         "OPIS VARCHAR(100), CONSTRAINT HIST_PAR0 PRIMARY KEY(ID))",
         "CREATE TABLE PARAGONY (ID INTEGER NOT NULL, CONSTRAINT PARAGONY PRIMARY KEY(ID))"});
    dm_.ListaScr = {"CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY",
                    "ACTIVE BEFORE INSERT POSITION 0", "AS",
                    "BEGIN NEW.ID = GEN_ID(G_ID_PARAGONY, 1); END", ""};
    ASSERT_TRUE(dm_.RunScript("", false));
    dm_.ListaScr = {"CREATE TRIGGER TRI_HIST_PAR FOR HIST_PAR",
                    "ACTIVE BEFORE INSERT",
                    "POSITION 0",
                    "AS",
                    "BEGIN",
                    "  NEW.ID = GEN_ID(G_ID_PARAGONY, 1);",
                    "  NEW.DATA_WPISU = current_timestamp;\t",
                    "END;"};
    ASSERT_TRUE(dm_.RunScript("", false));

    ASSERT_TRUE(dm_.RunSQL("insert into PARAGONY (ID) values (100)"));
    ASSERT_TRUE(dm_.RunSQL("insert into HIST_PAR (ID, OPIS) values (100, 'x')"));
    EXPECT_EQ(Scalar("select ID from PARAGONY"), "1");
    EXPECT_EQ(Scalar("select ID from HIST_PAR"), "2");
    EXPECT_EQ(Count("select count(*) from HIST_PAR where DATA_WPISU is not null"), 1);
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
}

TEST_F(RunnerTest, RunScriptInstallsAProcedureWithDeclaredVariables) {
    dm_.ListaScr = {"CREATE PROCEDURE P_SUMA(MAXKOD   Integer)",
                    "RETURNS(KOD   Integer)",
                    "AS",
                    "  DECLARE VARIABLE I INTEGER;",
                    "BEGIN",
                    "  KOD = 0;",
                    "  I = 1;",
                    "  WHILE (I <= MAXKOD) DO",
                    "  BEGIN",
                    "    KOD = KOD + CASE WHEN I > 2 THEN 10 ELSE 1 END;",
                    "    I = I + 1;",
                    "  END",
                    "  SUSPEND;",
                    "END;",
                    "insert into T (A, B) values (1, 'po procedurze');"};
    ASSERT_TRUE(dm_.RunScript("", false));
    EXPECT_EQ(Scalar("select KOD from P_SUMA(4)"), "22");
    EXPECT_EQ(RowsOfT(), 1);
}

TEST_F(RunnerTest, RunScriptTakesOnlyTheTextBeforeTheHash) {
    dm_.ListaScr = {"insert into T (A) values (1); # insert into T (A) values (2);",
                    "insert into T (A) values (3);"};
    EXPECT_TRUE(dm_.RunScript("", false));
    EXPECT_EQ(Scalar("select list(A, ',') from (select A from T order by A)"), "1,3");
}

TEST_F(RunnerTest, RunScriptLogsAChunkWithoutLinesAndStops) {
    dm_.ListaScr = {"insert into T (A) values (1);#", "  ", "#", "insert into T (A) values (3);"};
    EXPECT_TRUE(dm_.RunScript("pusty", false));
    EXPECT_EQ(RowsOfT(), 1);
    EXPECT_EQ(LogEntries(), std::vector<std::string>{"Pusty skrypt pusty"});
}

TEST_F(RunnerTest, RunScriptWithAnEmptyLineAfterTheLastHashLogsAnEmptyChunk) {
    dm_.ListaScr = {"insert into T (A) values (1);#", ""};
    EXPECT_TRUE(dm_.RunScript("", false));
    EXPECT_EQ(RowsOfT(), 1);
    EXPECT_EQ(LogEntries(), std::vector<std::string>{"Pusty skrypt "});
}

TEST_F(RunnerTest, RunScriptOnAnEmptyBufferOnlyLogs) {
    EXPECT_TRUE(dm_.RunScript("C_HIST_PAR idx", false));
    EXPECT_EQ(LogEntries(), std::vector<std::string>{"Pusta listaScr  C_HIST_PAR idx"});
}

TEST_F(RunnerTest, RunScriptQuietFailureIsLoggedOnly) {
    dm_.ListaScr = {"", "insert into NIE_MA (A) values (1);"};
    EXPECT_FALSE(dm_.RunScript("cicho", true));
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{});
    ASSERT_EQ(LogEntries().size(), 1u);
    const std::string head = "insert into NIE_MA (A) values (1);\r\ncicho\r\n";
    EXPECT_EQ(Head(LogEntries()[0], head), head);
}

TEST(RunnersWithoutConnection, FailInsteadOfRaising) {
    test::ScopedRecordingOperator recorder;
    TDM dm;
    EXPECT_FALSE(dm.RunSQL("insert into T (A) values (1)"));
    dm.ListaScr = {"insert into T (A) values (1);"};
    EXPECT_FALSE(dm.RunScr("", true));
    EXPECT_FALSE(dm.RunScript("", true));
    EXPECT_EQ(recorder->MessageTexts().size(), 1u);
}

// --- Queries: CloseQ, RefrQS, RefrQI ----------------------------------------

class RefreshTest : public RunnerTest {
  protected:
    void SetUp() override {
        RunnerTest::SetUp();
        db_.Execute(
            {"insert into T (A, B) values (1, 'AB1')", "insert into T (A, B) values (2, 'AB2')",
             "insert into T (A, B) values (3, 'ab3')", "insert into T (A, B) values (12, 'X')"});
        dm_.IBQTowary.SetSql("select A, B from T order by A");
        dm_.IBQTowary.Open();
    }
    void MoveToA(int a) {
        while (!dm_.IBQTowary.Eof() && dm_.IBQTowary.Row().AsInt("A") != a) dm_.IBQTowary.Next();
        ASSERT_FALSE(dm_.IBQTowary.Eof());
    }
    int CurrentA() const { return dm_.IBQTowary.Row().AsInt("A"); }
};

TEST_F(RefreshTest, RefrQSWithAnEmptyKeyStaysOnTheSameRow) {
    MoveToA(2);
    dm_.RefrQS(dm_.IBQTowary, "B", "");
    EXPECT_TRUE(dm_.IBQTowary.Active());
    EXPECT_EQ(CurrentA(), 2);
}

TEST_F(RefreshTest, RefrQSWithAnEmptyKeyGoesToTheFirstRowWhenTheRowIsGone) {
    MoveToA(3);
    db_.Execute({"delete from T where A = 3"});
    dm_.RefrQS(dm_.IBQTowary, "B", "");
    EXPECT_EQ(CurrentA(), 1);
}

TEST_F(RefreshTest, RefrQSSeesChangesCommittedSinceTheQueryOpened) {
    db_.Execute({"insert into T (A, B) values (50, 'new')"});
    dm_.RefrQS(dm_.IBQTowary, "B", "new");
    EXPECT_EQ(CurrentA(), 50);
}

struct PrefixCase {
    const char* key;
    int expectedA;
};

class RefrQSKeyTest : public RefreshTest, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(RefrQSKeyTest, MovesToTheFirstRowBeginningWithTheKey) {
    dm_.RefrQS(dm_.IBQTowary, "B", GetParam().key);
    EXPECT_EQ(CurrentA(), GetParam().expectedA) << GetParam().key;
}

INSTANTIATE_TEST_SUITE_P(Keys, RefrQSKeyTest,
                         ::testing::Values(PrefixCase{"AB2", 2}, PrefixCase{"AB", 1},
                                           PrefixCase{"ab", 3},  // case-sensitive
                                           PrefixCase{"X", 12},
                                           PrefixCase{"Y", 1},  // no match: first row
                                           PrefixCase{"AB23", 1}));

TEST_F(RefreshTest, RefrQIWithMinusOneStaysOnTheSameRow) {
    MoveToA(12);
    dm_.RefrQI(dm_.IBQTowary, "A", -1);
    EXPECT_EQ(CurrentA(), 12);
}

TEST_F(RefreshTest, RefrQIMatchesTheKeyAsTheBeginningOfTheText) {
    dm_.RefrQI(dm_.IBQTowary, "A", 3);
    EXPECT_EQ(CurrentA(), 3);
    dm_.RefrQI(dm_.IBQTowary, "A", 7);
    EXPECT_EQ(CurrentA(), 1);
}

TEST_F(RefreshTest, CloseQCommitsAndClosesEveryQueryOfTheTransaction) {
    dm_.IBQ.SetSql("select A from T");
    dm_.IBQ.Open();
    Query other(dm_.IBBaza, dm_.IBTrans);
    other.SetSql("select B from T");
    other.Open();

    dm_.CloseQ(dm_.IBQ);

    EXPECT_FALSE(dm_.IBTrans.IsActive());
    EXPECT_FALSE(other.Active());
    EXPECT_TRUE(dm_.IBQTowary.Active());  // another transaction
}

TEST_F(RefreshTest, RunScriptCommitClosesTheQueriesOfIBTrans) {
    dm_.IBQ.SetSql("select A from T");
    dm_.IBQ.Open();
    dm_.ListaScr = {"insert into T (A) values (20);"};
    EXPECT_TRUE(dm_.RunScript("", false));
    EXPECT_FALSE(dm_.IBQ.Active());
}

// --- A lost connection -----------------------------------------------------

// The program's attachment is cut on the server (as a restart or a network
// break cuts it) after a command wrote a parameter, which leaves the error
// context naming that write.
class ConnectionLossTest : public TdmTestBase {
  protected:
    void SetUp() override {
        for (const std::string& statement : fixture::ParametryDdl()) db_.Execute({statement});
        LogInAs("sysdba", db_.Server().password);  // no administrator's setup
        dm_.BazaConnect();
        ASSERT_EQ(App().connectResult, ConnectResult::Connected);
        SetDM(&dm_);
        ASSERT_TRUE(RunCommand([&] { WriteParS(dm_, "A", "1", "GLOBAL", "RUBSA"); }));
    }
    void TearDown() override { SetDM(nullptr); }

    void CutTheConnection() {
        dm_.IBQdm.SetSql("select current_connection as c from rdb$database");
        dm_.IBQdm.Open();
        const std::string id = dm_.IBQdm.Row().AsString("c");
        dm_.CloseQ(dm_.IBQdm);
        db_.Execute({"delete from mon$attachments where mon$attachment_id = " + id});
    }
    std::string ReadA() { return ReadParS(dm_, "A", "", "GLOBAL", "RUBSA"); }
};

TEST_F(ConnectionLossTest, BetweenCommandsTheNextCommandConnectsAgainAndRuns) {
    CutTheConnection();
    std::string value;
    EXPECT_TRUE(RunCommand([&] { value = ReadA(); }));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(operator_->MessageTexts().empty());
    EXPECT_EQ(LogEntries().back(), Cp1250("Przywrócono połączenie z bazą danych"));
}

TEST_F(ConnectionLossTest, InsideACommandItIsSaidInPolishWithoutTheStaleContext) {
    EXPECT_FALSE(RunCommand([&] {
        CutTheConnection();
        ReadA();
    }));
    const std::string said = fb::ConnectionLostMessage();
    EXPECT_EQ(operator_->MessageTexts(), std::vector<std::string>{said});
    EXPECT_EQ(LogEntries().back(), "FORM :   \r\n!!!!!!!!!!! " + said);

    std::string value;
    EXPECT_TRUE(RunCommand([&] { value = ReadA(); }));
    EXPECT_EQ(value, "1");
}

// --- The process-wide module -------------------------------------------------

TEST(ProcessWideDataModule, IsTheOneSetAndForgottenWhenItDies) {
    EXPECT_THROW(DM(), std::logic_error);
    {
        TDM dm;
        SetDM(&dm);
        EXPECT_EQ(&DM(), &dm);
    }
    EXPECT_THROW(DM(), std::logic_error);
}

}  // namespace
}  // namespace rubso
