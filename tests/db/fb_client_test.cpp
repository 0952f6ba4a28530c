// The thin Firebird client layer against the private test server: every
// test works in a throw-away database (one per test suite).
#include "db/fb_client.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/codepage.h"
#include "db/fb_sql_params.h"
#include "tests/support/fb_test_server.h"

namespace rubso::fb {
namespace {

using test::FbServer;
using test::FbTestDatabase;

// A database shared by the tests of one suite, created on first use so a
// server that cannot be reached fails the test with the reason.
class FbTest : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { database_.reset(); }
    void SetUp() override {
        if (!database_) database_ = std::make_unique<FbTestDatabase>();
    }
    static const FbTestDatabase& Db() { return *database_; }

    // One value read back from a query in a transaction of its own.
    std::string QueryText(Attachment& db, const std::string& sql) {
        Transaction tr(db);
        tr.Start();
        Statement st(db, sql);
        ResultSet rs = st.Open(tr);
        return rs.Eof() ? "<no row>" : rs.AsString(0);
    }

    static std::unique_ptr<FbTestDatabase> database_;
};
std::unique_ptr<FbTestDatabase> FbTest::database_;

// --- Attaching -----------------------------------------------------------------

using FbAttachTest = FbTest;

TEST_F(FbAttachTest, AttachAndDetachSwitchIsConnected) {
    Attachment db;
    EXPECT_FALSE(db.IsConnected());
    Db().Attach(db);
    EXPECT_TRUE(db.IsConnected());
    EXPECT_EQ(Db().Path(), db.Database());
    db.Detach();
    EXPECT_FALSE(db.IsConnected());
    db.Detach();  // a second detach does nothing
}

TEST_F(FbAttachTest, AttachWhileAttachedRaises) {
    Attachment db;
    Db().Attach(db);
    EXPECT_THROW(Db().Attach(db), FbError);
    EXPECT_TRUE(db.IsConnected());
}

TEST_F(FbAttachTest, WrongPasswordRaisesTheServersMessage) {
    Attachment db;
    try {
        db.Attach(Db().Path(), Db().Server().user, "wrong-password");
        FAIL() << "attach with a wrong password succeeded";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find("user name and password are not defined"),
                  std::string::npos)
            << error.what();
        EXPECT_NE(0, error.GdsCode());
    }
    EXPECT_FALSE(db.IsConnected());
}

TEST_F(FbAttachTest, ClosedPortRaisesInsteadOfHanging) {
    Attachment db;
    // Port 1 on the loopback interface: nothing listens there.
    try {
        db.Attach("127.0.0.1/1:/nowhere.fdb", "SYSDBA", "masterkey");
        FAIL() << "attach to a closed port succeeded";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find("127.0.0.1"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(db.IsConnected());
}

TEST_F(FbAttachTest, MissingDatabaseFileRaises) {
    Attachment db;
    const FbServer& server = Db().Server();
    const std::string path = server.ConnectionString(server.dataDir + "/no_such_file.fdb");
    try {
        db.Attach(path, server.user, server.password);
        FAIL() << "attach to a missing file succeeded";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find("no_such_file.fdb"), std::string::npos)
            << error.what();
    }
}

TEST_F(FbAttachTest, UnknownRoleStillAttachesWithRoleNone) {
    Attachment db;
    Db().Attach(db, "NO_SUCH_ROLE");
    EXPECT_EQ("NONE", QueryText(db, "select trim(current_role) from rdb$database"));
}

TEST_F(FbAttachTest, ExistingRoleIsTaken) {
    Db().Execute({"create role R_CLIENT_TEST", "grant R_CLIENT_TEST to SYSDBA"});
    Attachment db;
    Db().Attach(db, "R_CLIENT_TEST");
    EXPECT_EQ("R_CLIENT_TEST", QueryText(db, "select trim(current_role) from rdb$database"));
}

TEST_F(FbAttachTest, DialectIsThree) {
    Attachment db;
    Db().Attach(db);
    // In dialect 1 the double-quoted text would be a string, not a name.
    EXPECT_EQ("3", QueryText(db, "select mon$sql_dialect from mon$database"));
}

TEST_F(FbAttachTest, KilledAttachmentFailsLaterCallsCleanly) {
    Attachment victim;
    Db().Attach(victim);
    const std::string id = QueryText(victim, "select current_connection from rdb$database");
    Transaction open(victim);
    open.Start();
    Statement st(victim, "select 1 from rdb$database");
    ResultSet rs = st.Open(open);

    Attachment killer;
    Db().Attach(killer);
    killer.ExecuteImmediate("delete from mon$attachments where mon$attachment_id = " + id);

    Transaction tr(victim);
    try {
        tr.Start();
        Statement again(victim, "select 1 from rdb$database");
        again.Open(tr);
        FAIL() << "a statement on a killed attachment succeeded";
    } catch (const FbError& error) {
        // Said in Polish, the server's text kept for the log.
        EXPECT_TRUE(error.ConnectionLost()) << error.ServerText();
        EXPECT_EQ(error.what(), rubso::fb::ConnectionLostMessage());
        EXPECT_NE(error.ServerText().find("shutdown"), std::string::npos) << error.ServerText();
    }
    EXPECT_THROW(st.Execute(open), FbError);
    open.RollbackIfActive();
    EXPECT_FALSE(open.IsActive());
    victim.Detach();
    EXPECT_FALSE(victim.IsConnected());
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(FbAttachTest, DetachEndsTransactionsStatementsAndResultSets) {
    Attachment db;
    Db().Attach(db);
    Transaction tr(db);
    tr.Start();
    Statement st(db, "select 1 from rdb$database");
    ResultSet rs = st.Open(tr);
    db.Detach();
    EXPECT_FALSE(tr.IsActive());
    EXPECT_FALSE(st.IsPrepared());
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_THROW(rs.Next(), FbError);
    EXPECT_THROW(tr.Start(), FbError);
}

TEST_F(FbAttachTest, ObjectsOutlivingTheirAttachmentOnlyRaise) {
    auto db = std::make_unique<Attachment>();
    Db().Attach(*db);
    Transaction tr(*db);
    Statement st(*db, "select 1 from rdb$database");
    db.reset();
    EXPECT_THROW(tr.Start(), FbError);
    EXPECT_THROW(st.Prepare("select 1 from rdb$database"), FbError);
}

// --- Transactions ---------------------------------------------------------------

class FbTransactionTest : public FbTest {
  protected:
    void SetUp() override {
        FbTest::SetUp();
        Db().Attach(db_);
        static int tables = 0;
        table_ = "T_TRANSACTION_" + std::to_string(++tables);
        db_.ExecuteImmediate("recreate table " + table_ + " (id integer)");
    }
    std::string Count(Transaction& tr) {
        Statement st(db_, "select count(*) from " + table_);
        return st.Open(tr).AsString(0);
    }
    Attachment db_;
    std::string table_;
};

TEST_F(FbTransactionTest, UncommittedInsertIsInvisibleToAnotherTransaction) {
    Transaction writer(db_);
    Transaction reader(db_);
    writer.Start();
    Statement insert(db_, "insert into " + table_ + " values (1)");
    EXPECT_EQ(1, insert.Execute(writer));
    reader.Start();
    EXPECT_EQ("0", Count(reader));
    EXPECT_EQ("1", Count(writer));
    writer.Commit();
    reader.Commit();
    reader.Start();
    EXPECT_EQ("1", Count(reader));
}

TEST_F(FbTransactionTest, RollbackOfOneKeepsTheOthersCommit) {
    Transaction kept(db_);
    Transaction undone(db_);
    kept.Start();
    undone.Start();
    Statement insert(db_, "insert into " + table_ + " values (:id)");
    insert.SetInt("id", 1);
    insert.Execute(kept);
    insert.SetInt("id", 2);
    insert.Execute(undone);
    kept.Commit();
    undone.Rollback();
    EXPECT_FALSE(kept.IsActive());
    EXPECT_FALSE(undone.IsActive());
    EXPECT_EQ("1", QueryText(db_, "select list(id) from " + table_));
}

TEST_F(FbTransactionTest, CommitClosesItsResultSetsButNotOthers) {
    db_.ExecuteImmediate("insert into " + table_ + " select 1 from rdb$types rows 3");
    Transaction ending(db_);
    Transaction staying(db_);
    ending.Start();
    staying.Start();
    Statement a(db_, "select id from " + table_);
    Statement b(db_, "select id from " + table_);
    ResultSet closed = a.Open(ending);
    ResultSet open = b.Open(staying);
    ending.Commit();
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_TRUE(closed.Eof());
    EXPECT_THROW(closed.Next(), FbError);
    EXPECT_THROW(closed.AsInt(0), FbError);
    EXPECT_TRUE(open.IsOpen());
    EXPECT_TRUE(open.Next());
}

TEST_F(FbTransactionTest, RollbackClosesItsResultSets) {
    Transaction tr(db_);
    tr.Start();
    Statement st(db_, "select id from " + table_);
    ResultSet rs = st.Open(tr);
    tr.Rollback();
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(FbTransactionTest, MisusedTransactionsRaise) {
    Transaction tr(db_);
    EXPECT_THROW(tr.Commit(), FbError);
    EXPECT_THROW(tr.Rollback(), FbError);
    tr.RollbackIfActive();  // nothing to do, no error
    tr.Start();
    EXPECT_THROW(tr.Start(), FbError);
    EXPECT_TRUE(tr.IsActive());
    tr.RollbackIfActive();
    EXPECT_FALSE(tr.IsActive());
}

TEST_F(FbTransactionTest, StatementPreparedOnceRunsInEveryTransaction) {
    Statement insert(db_, "insert into " + table_ + " values (:id)");
    for (int id = 1; id <= 3; ++id) {
        Transaction tr(db_);
        tr.Start();
        insert.SetInt("id", id);
        insert.Execute(tr);
        tr.Commit();
    }
    EXPECT_EQ("6", QueryText(db_, "select sum(id) from " + table_));
}

TEST_F(FbTransactionTest, StatementOfAnotherAttachmentIsRefused) {
    Attachment other;
    Db().Attach(other);
    Transaction foreign(other);
    foreign.Start();
    Statement st(db_, "select 1 from rdb$database");
    EXPECT_THROW(st.Open(foreign), FbError);
}

TEST_F(FbTransactionTest, ReopeningAStatementClosesItsEarlierResultSet) {
    Transaction tr(db_);
    tr.Start();
    Statement st(db_, "select 1 from rdb$database");
    ResultSet first = st.Open(tr);
    ResultSet second = st.Open(tr);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(second.IsOpen());
    EXPECT_EQ(1, second.AsInt(0));
}

// --- Named parameters: the text sent to the server ------------------------------

TEST(FbNamedParams, NamesBecomeMarkersInOrderAndMayRepeat) {
    const ServerStatement st =
        TranslateNamedParams("update P set v=:v where l=:l and s=:S and (:l is null or x=:l)");
    EXPECT_EQ("update P set v=? where l=? and s=? and (? is null or x=?)", st.text);
    EXPECT_EQ((std::vector<std::string>{"v", "l", "S", "l", "l"}), st.markers);
}

TEST(FbNamedParams, QuotedTextsNamesAndCommentsAreUntouched) {
    const std::string sql =
        "select ':a', \"X:b\", 'it''s :c' -- :d here\n from t /* :e */ where f=:f";
    const ServerStatement st = TranslateNamedParams(sql);
    EXPECT_EQ("select ':a', \"X:b\", 'it''s :c' -- :d here\n from t /* :e */ where f=?", st.text);
    EXPECT_EQ((std::vector<std::string>{"f"}), st.markers);
}

TEST(FbNamedParams, ColonWithoutANameAndPlainMarkersAreKept) {
    const ServerStatement st = TranslateNamedParams("select a[1:2], : x, ? from t where b=:b1$");
    EXPECT_EQ("select a[1:2], : x, ? from t where b=?", st.text);
    EXPECT_EQ((std::vector<std::string>{"", "b1$"}), st.markers);
}

TEST(FbNamedParams, UnterminatedQuoteRunsToTheEnd) {
    const ServerStatement st = TranslateNamedParams("select ':a from t");
    EXPECT_EQ("select ':a from t", st.text);
    EXPECT_TRUE(st.markers.empty());
}

TEST(FbNamedParams, RoutineDefinitionsAreSentUnchanged) {
    for (const char* sql : {
             "CREATE PROCEDURE P (A INT) AS BEGIN X = :A; END",
             "create or alter trigger T for X before insert as begin new.a = :b; end",
             "  /* c */ -- d\n ALTER PROCEDURE P AS BEGIN :x = 1; END",
             "RECREATE FUNCTION F RETURNS INT AS BEGIN RETURN :Y; END",
             "recreate trigger T for X as begin end",
             "create package body K as begin end",
             "execute block returns (x int) as begin :x = 1; suspend; end",
         }) {
        EXPECT_TRUE(IsRoutineDefinition(sql)) << sql;
        const ServerStatement st = TranslateNamedParams(sql);
        EXPECT_EQ(sql, st.text);
        EXPECT_TRUE(st.markers.empty()) << sql;
    }
}

TEST(FbNamedParams, OtherDefinitionsAndDataStatementsAreTranslated) {
    for (const char* sql : {"create table PROCEDURE_LOG (a int)", "alter table T add c int",
                            "create view TRIGGERS as select 1 from t", "execute procedure P :a",
                            "select 1 from procedure_x", "alter trigger_x"}) {
        EXPECT_FALSE(IsRoutineDefinition(sql)) << sql;
    }
    EXPECT_EQ("execute procedure P ?", TranslateNamedParams("execute procedure P :a").text);
}

// --- Named parameters on the server -----------------------------------------------

class FbParamTest : public FbTest {
  protected:
    void SetUp() override {
        FbTest::SetUp();
        Db().Attach(db_);
        tr_ = std::make_unique<Transaction>(db_);
        tr_->Start();
    }
    void TearDown() override { tr_.reset(); }
    Attachment db_;
    std::unique_ptr<Transaction> tr_;
};

TEST_F(FbParamTest, SameNameTwiceCarriesOneValue) {
    Statement st(
        db_, "select cast(:a as varchar(5)) || '-' || cast(:A as varchar(5)) from rdb$database");
    EXPECT_EQ((std::vector<std::string>{"a"}), st.ParamNames());
    st.SetString("a", "x");
    EXPECT_EQ("x-x", st.Open(*tr_).AsString(0));
}

TEST_F(FbParamTest, NamesInQuotesAreNotParameters) {
    Statement st(db_, "select ':l', cast(:s as varchar(5)) from rdb$database /* :n */");
    EXPECT_EQ((std::vector<std::string>{"s"}), st.ParamNames());
    st.SetString("s", "v");
    ResultSet rs = st.Open(*tr_);
    EXPECT_EQ(":l", rs.AsString(0));
    EXPECT_EQ("v", rs.AsString(1));
}

TEST_F(FbParamTest, ColonInProcedureBodyReachesTheServer) {
    db_.ExecuteImmediate(
        "create or alter procedure P_DOUBLE (A integer) returns (B integer) as\n"
        "declare variable t integer;\n"
        "begin\n  t = :A * 2; -- uses :A\n  B = :t;\n  suspend;\nend");
    Statement st(db_, "select B from P_DOUBLE(:x)");
    st.SetInt("x", 21);
    EXPECT_EQ(42, st.Open(*tr_).AsInt("b"));
}

TEST_F(FbParamTest, ExecuteBlockRunsUnchanged) {
    Statement st(db_, "execute block returns (x integer) as begin :x = 7; suspend; end");
    EXPECT_TRUE(st.ParamNames().empty());
    EXPECT_EQ(7, st.Open(*tr_).AsInt("X"));
}

TEST_F(FbParamTest, UnknownParameterNameRaises) {
    Statement st(db_, "select cast(:a as integer) from rdb$database");
    try {
        st.SetInt("b", 1);
        FAIL() << "an unknown parameter was accepted";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find(":b"), std::string::npos) << error.what();
    }
}

TEST_F(FbParamTest, ParameterNeverSetIsNull) {
    Statement st(db_, "select coalesce(cast(:a as varchar(5)), 'null') from rdb$database");
    EXPECT_EQ("null", st.Open(*tr_).AsString(0));
    st.SetString("a", "set");
    EXPECT_EQ("set", st.Open(*tr_).AsString(0));
    st.ClearParams();
    EXPECT_EQ("null", st.Open(*tr_).AsString(0));
}

TEST_F(FbParamTest, ValueTypeMayChangeBetweenExecutions) {
    db_.ExecuteImmediate("recreate table T_KINDS (v varchar(300))");
    Statement insert(db_, "insert into T_KINDS values (:v)");
    const std::string longer(250, 'x');
    for (const std::string& text : {std::string("a"), std::string(40, 'y'), longer}) {
        insert.SetString("v", text);
        insert.Execute(*tr_);
    }
    insert.SetInt("v", 12);
    insert.Execute(*tr_);
    insert.SetNull("v");
    insert.Execute(*tr_);
    Statement select(db_, "select v from T_KINDS");
    std::vector<std::string> read;
    for (ResultSet rs = select.Open(*tr_); !rs.Eof(); rs.Next()) {
        read.push_back(rs.IsNull(0) ? "<null>" : rs.AsString(0));
    }
    EXPECT_EQ((std::vector<std::string>{"a", std::string(40, 'y'), longer, "12", "<null>"}), read);
}

TEST_F(FbParamTest, TextLongerThanTheColumnIsRefused) {
    db_.ExecuteImmediate("recreate table T_SHORT (v varchar(3))");
    Statement insert(db_, "insert into T_SHORT values (:v)");
    insert.SetString("v", "abcd");
    EXPECT_THROW(insert.Execute(*tr_), FbError);
}

TEST_F(FbParamTest, TextIntoAnIntegerColumnIsConvertedByTheServer) {
    Statement st(db_, "select cast(:n as integer) + 1 from rdb$database");
    st.SetString("n", "41");
    EXPECT_EQ(42, st.Open(*tr_).AsInt(0));
    st.SetString("n", "4x");
    EXPECT_THROW(st.Open(*tr_), FbError);
}

TEST_F(FbParamTest, ExecuteReportsRowsAffected) {
    db_.ExecuteImmediate("recreate table T_ROWS (id integer)");
    Statement insert(db_, "insert into T_ROWS select 1 from rdb$types rows 5");
    EXPECT_EQ(5, insert.Execute(*tr_));
    Statement update(db_, "update T_ROWS set id = 2 where id = :id");
    update.SetInt("id", 1);
    EXPECT_EQ(5, update.Execute(*tr_));
    EXPECT_EQ(0, update.Execute(*tr_));
}

TEST_F(FbParamTest, SyntaxErrorRaisesTheServersText) {
    Statement st(db_);
    try {
        st.Prepare("selec 1 from rdb$database");
        FAIL() << "a wrong statement was prepared";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find("Token unknown"), std::string::npos)
            << error.what();
        EXPECT_EQ(-104, error.SqlCode());
    }
    EXPECT_FALSE(st.IsPrepared());
    EXPECT_THROW(st.Execute(*tr_), FbError);
}

TEST_F(FbParamTest, ReturningGivesOneRow) {
    db_.ExecuteImmediate("recreate table T_RET (id integer, name varchar(10))");
    Statement st(db_, "insert into T_RET values (:id, 'n') returning id * 10, name");
    st.SetInt("id", 4);
    ResultSet rs = st.Open(*tr_);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(40, rs.AsInt(0));
    EXPECT_EQ("n", rs.AsString("NAME"));
    EXPECT_FALSE(rs.Next());
    EXPECT_TRUE(rs.Eof());
}

// --- Values and types ------------------------------------------------------------

class FbValueTest : public FbParamTest {};

TEST_F(FbValueTest, EveryTypeRoundTrips) {
    db_.ExecuteImmediate(
        "recreate table T_TYPES (sm smallint, i integer, bi bigint, n152 numeric(15,2), "
        "n93 numeric(9,3), d184 decimal(18,4), dp double precision, fl float, dt date, "
        "ts timestamp, tm time, ch char(5), vc varchar(40), bl blob sub_type text, bo boolean)");
    Statement insert(db_,
                     "insert into T_TYPES values (:sm, :i, :bi, :n152, :n93, :d184, :dp, :fl, "
                     ":dt, :ts, :tm, :ch, :vc, :bl, :bo)");
    const QDateTime moment(QDate(2024, 2, 29), QTime(23, 59, 58, 123));
    insert.SetInt("sm", -32768);
    insert.SetInt("i", 2147483647);
    insert.SetInt64("bi", -9223372036854775807LL);
    insert.SetDouble("n152", 12.5);
    insert.SetDouble("n93", -0.05);
    insert.SetString("d184", "12345678901234.5678");
    insert.SetDouble("dp", 0.1);
    insert.SetDouble("fl", 1.1);
    insert.SetDate("dt", QDate(1999, 12, 31));
    insert.SetDateTime("ts", moment);
    insert.SetString("tm", "07:08:09");
    insert.SetString("ch", "AB");
    insert.SetString("vc", "tekst");
    insert.SetString("bl", std::string(20000, 'b'));
    insert.SetString("bo", "true");
    EXPECT_EQ(1, insert.Execute(*tr_));

    Statement select(db_, "select * from T_TYPES");
    ResultSet rs = select.Open(*tr_);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(-32768, rs.AsInt("sm"));
    EXPECT_EQ(2147483647, rs.AsInt("i"));
    EXPECT_EQ(-9223372036854775807LL, rs.AsInt64("bi"));
    EXPECT_EQ("-9223372036854775807", rs.AsString("bi"));
    EXPECT_EQ(12.5, rs.AsDouble("n152"));
    EXPECT_EQ("12.5", rs.AsString("n152"));
    EXPECT_EQ(-0.05, rs.AsDouble("n93"));
    EXPECT_EQ("-0.05", rs.AsString("n93"));
    EXPECT_EQ("12345678901234.5678", rs.AsString("d184"));
    EXPECT_EQ(0.1, rs.AsDouble("dp"));
    EXPECT_EQ(1.1, rs.AsDouble("fl"));
    EXPECT_EQ("1.1", rs.AsString("fl"));
    EXPECT_EQ(QDate(1999, 12, 31), rs.AsDate("dt"));
    EXPECT_EQ("31.12.1999", rs.AsString("dt"));
    EXPECT_EQ(moment, rs.AsDateTime("ts"));
    EXPECT_EQ(QDate(2024, 2, 29), rs.AsDate("ts"));
    EXPECT_EQ("07:08:09", rs.AsString("tm"));
    EXPECT_EQ("AB   ", rs.AsString("ch"));
    EXPECT_EQ("tekst", rs.AsString("vc"));
    EXPECT_EQ(std::string(20000, 'b'), rs.AsString("bl"));
    EXPECT_EQ("True", rs.AsString("bo"));
    EXPECT_FALSE(rs.Next());
}

TEST_F(FbValueTest, NullsReadAsEmptyValues) {
    Statement st(db_,
                 "select cast(null as varchar(5)) v, cast(null as integer) i, "
                 "cast(null as numeric(15,2)) n, cast(null as date) d, "
                 "cast(null as timestamp) ts, cast(null as blob sub_type text) b "
                 "from rdb$database");
    ResultSet rs = st.Open(*tr_);
    for (int i = 0; i < rs.ColumnCount(); ++i) EXPECT_TRUE(rs.IsNull(i)) << rs.ColumnName(i);
    EXPECT_EQ("", rs.AsString("v"));
    EXPECT_EQ("", rs.AsString("i"));
    EXPECT_EQ(0, rs.AsInt("i"));
    EXPECT_EQ(0.0, rs.AsDouble("n"));
    EXPECT_EQ(0, rs.AsInt64("v"));
    EXPECT_EQ(ZeroDate(), rs.AsDate("d"));
    EXPECT_EQ(QDate(1899, 12, 30), rs.AsDate("d"));
    EXPECT_EQ(ZeroDateTime(), rs.AsDateTime("ts"));
    EXPECT_EQ("", rs.AsString("b"));
}

TEST_F(FbValueTest, NullParametersStoreNull) {
    db_.ExecuteImmediate("recreate table T_NULLS (d date, ts timestamp, i integer)");
    Statement insert(db_, "insert into T_NULLS values (:d, :ts, :i)");
    insert.SetDate("d", QDate());
    insert.SetDateTime("ts", QDateTime());
    insert.SetInt("i", 5);
    insert.SetNull("i");
    insert.Execute(*tr_);
    Statement select(db_, "select * from T_NULLS");
    ResultSet rs = select.Open(*tr_);
    EXPECT_TRUE(rs.IsNull("d"));
    EXPECT_TRUE(rs.IsNull("ts"));
    EXPECT_TRUE(rs.IsNull("i"));
}

TEST_F(FbValueTest, NumericScalingAndRounding) {
    Statement st(db_,
                 "select cast(12.50 as numeric(15,2)) a, cast(-2.5 as numeric(9,1)) b, "
                 "cast(100 as numeric(4,2)) c, cast(0.004 as numeric(18,3)) d, "
                 "cast(7 as bigint) e from rdb$database");
    ResultSet rs = st.Open(*tr_);
    EXPECT_EQ(12.5, rs.AsDouble("a"));
    EXPECT_EQ(13, rs.AsInt("a"));  // halves away from zero
    EXPECT_EQ(-2.5, rs.AsDouble("b"));
    EXPECT_EQ(-3, rs.AsInt("b"));
    EXPECT_EQ("-2.5", rs.AsString("b"));
    EXPECT_EQ("100", rs.AsString("c"));
    EXPECT_EQ(100.0, rs.AsDouble("c"));
    EXPECT_EQ("0.004", rs.AsString("d"));
    EXPECT_EQ(0, rs.AsInt("d"));
    EXPECT_EQ(7.0, rs.AsDouble("e"));
}

TEST_F(FbValueTest, RegisterCodeReadsAlikeAsIntegerOrChar) {
    Statement st(db_,
                 "select cast(12 as integer) kod_int, cast('12' as char(5)) kod_char, "
                 "cast('' as char(5)) blank, cast('1x' as char(5)) bad from rdb$database");
    ResultSet rs = st.Open(*tr_);
    EXPECT_EQ("12", rs.AsString("kod_int"));
    EXPECT_EQ("12   ", rs.AsString("kod_char"));
    EXPECT_EQ(12, rs.AsInt("kod_int"));
    EXPECT_EQ(12, rs.AsInt("kod_char"));
    EXPECT_EQ(12.0, rs.AsDouble("kod_char"));
    EXPECT_EQ(0, rs.AsInt("blank"));
    EXPECT_THROW(rs.AsInt("bad"), FbError);
    EXPECT_THROW(rs.AsDate("kod_int"), FbError);
}

TEST_F(FbValueTest, IntegerOutOfRangeForAsIntRaises) {
    Statement st(db_, "select cast(3000000000 as bigint) from rdb$database");
    ResultSet rs = st.Open(*tr_);
    EXPECT_EQ(3000000000LL, rs.AsInt64(0));
    EXPECT_THROW(rs.AsInt(0), FbError);
}

TEST_F(FbValueTest, Windows1250BytesRoundTripUnchanged) {
    db_.ExecuteImmediate(
        "recreate table T_PL (plain varchar(40), sorted varchar(40) collate PXW_PLK, "
        "fixed char(20) character set win1250)");
    const std::string bytes = Cp1250("Zażółć gęślą jaźń");
    ASSERT_EQ(17u, bytes.size());
    Statement insert(db_, "insert into T_PL values (:t, :t, :t)");
    insert.SetString("t", bytes);
    insert.Execute(*tr_);
    Statement select(db_, "select plain, sorted, fixed from T_PL where sorted = :t");
    select.SetString("t", bytes);
    ResultSet rs = select.Open(*tr_);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(bytes, rs.AsString("plain"));
    EXPECT_EQ(bytes, rs.AsString("sorted"));
    EXPECT_EQ(bytes + "   ", rs.AsString("fixed"));
}

TEST_F(FbValueTest, PolishCollationOrdersLettersByTheAlphabet) {
    db_.ExecuteImmediate("recreate table T_ORDER (n varchar(10) collate PXW_PLK)");
    Statement insert(db_, "insert into T_ORDER values (:n)");
    for (const char* word : {"Żaba", "Łódź", "Lis", "Zebra", "Ćma", "Cap"}) {
        insert.SetString("n", Cp1250(word));
        insert.Execute(*tr_);
    }
    Statement select(db_, "select n from T_ORDER order by n");
    std::vector<std::string> order;
    for (ResultSet rs = select.Open(*tr_); !rs.Eof(); rs.Next()) {
        order.push_back(Cp1250ToUtf8(rs.AsString(0)));
    }
    EXPECT_EQ((std::vector<std::string>{"Cap", "Ćma", "Lis", "Łódź", "Zebra", "Żaba"}), order);
}

// --- Columns -------------------------------------------------------------------------

TEST_F(FbValueTest, ColumnsAreFoundWithoutRegardToCase) {
    Statement st(db_, "select 1 as jest, 2 as \"Mixed\" from rdb$database");
    ResultSet rs = st.Open(*tr_);
    EXPECT_EQ(2, rs.ColumnCount());
    EXPECT_EQ("JEST", rs.ColumnName(0));
    EXPECT_EQ("Mixed", rs.ColumnName(1));
    EXPECT_EQ(1, rs.AsInt("jest"));
    EXPECT_EQ(1, rs.AsInt("Jest"));
    EXPECT_EQ(2, rs.AsInt("MIXED"));
    EXPECT_EQ(-1, rs.FindColumn("nothing"));
}

TEST_F(FbValueTest, UnknownColumnRaisesNamingIt) {
    Statement st(db_, "select 1 as jest from rdb$database");
    ResultSet rs = st.Open(*tr_);
    try {
        rs.AsString("pole");
        FAIL() << "an unknown column was read";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find("pole"), std::string::npos) << error.what();
    }
    EXPECT_THROW(rs.AsString(1), FbError);
    EXPECT_THROW(rs.AsString(-1), FbError);
}

TEST_F(FbValueTest, ReadingPastTheLastRowRaises) {
    Statement st(db_, "select 1 from rdb$database where 1 = 0");
    ResultSet rs = st.Open(*tr_);
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.IsOpen());
    EXPECT_EQ(1, rs.ColumnCount());
    EXPECT_THROW(rs.AsInt(0), FbError);
    EXPECT_FALSE(rs.Next());
}

TEST_F(FbValueTest, RowsArriveInOrderUntilEof) {
    Statement st(db_, "select first 3 rdb$type from rdb$types order by rdb$type, rdb$field_name");
    std::vector<int> rows;
    for (ResultSet rs = st.Open(*tr_); !rs.Eof(); rs.Next()) rows.push_back(rs.AsInt(0));
    EXPECT_EQ(3u, rows.size());
}

}  // namespace
}  // namespace rubso::fb
