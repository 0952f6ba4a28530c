#include "db/script_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rubso {
namespace {

using Kind = StatementKind;

std::vector<std::string> Texts(const std::vector<ScriptStatement>& statements) {
    std::vector<std::string> texts;
    for (const auto& s : statements) texts.push_back(s.text);
    return texts;
}

std::vector<Kind> Kinds(const std::vector<ScriptStatement>& statements) {
    std::vector<Kind> kinds;
    for (const auto& s : statements) kinds.push_back(s.kind);
    return kinds;
}

// The last `expected.size()` characters of `text`, so a failing
// comparison shows the tail that was actually produced.
std::string Tail(const std::string& text, const std::string& expected) {
    return text.size() < expected.size() ? text : text.substr(text.size() - expected.size());
}

// Lines joined the way RunScript appends buffer lines to the executor's
// script: each line followed by a line break.
std::string Chunk(const std::vector<std::string>& lines) {
    std::string chunk;
    for (const auto& line : lines) chunk += line + "\r\n";
    return chunk;
}

// --- Plain statements -------------------------------------------------------

TEST(ScriptSplitterPlain, SplitsAtEverySemicolonAndDropsIt) {
    const auto statements =
        SplitScript("CREATE GENERATOR G_ID_ODCZYT;\r\nSET GENERATOR G_ID_ODCZYT TO -1;\r\n");
    EXPECT_EQ(Texts(statements), (std::vector<std::string>{"CREATE GENERATOR G_ID_ODCZYT",
                                                           "SET GENERATOR G_ID_ODCZYT TO -1"}));
    EXPECT_EQ(Kinds(statements), (std::vector<Kind>{Kind::Definition, Kind::Definition}));
}

TEST(ScriptSplitterPlain, MultiLineTableKeepsItsLinesInOneStatement) {
    const std::string chunk =
        Chunk({"CREATE TABLE HIST_PAR (", "ID         INTEGER NOT NULL,", "DATA_WPISU TIMESTAMP,",
               "OPIS       VARCHAR(100),", "CONSTRAINT HIST_PAR0 PRIMARY KEY(ID)", ");"});
    const auto statements = SplitScript(chunk);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].text, chunk.substr(0, chunk.rfind(";")));
}

TEST(ScriptSplitterPlain, FourIndexStatementsFollowedByAnEmptyLine) {
    const auto statements =
        SplitScript(Chunk({"CREATE INDEX PARAGONY00 ON PARAGONY(KOMPLET,DATA,ODCZYT,STORNO);",
                           "CREATE INDEX PARAGONY01 ON PARAGONY(DATA,KASA,NUMER,KOMPLET);",
                           "CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER);",
                           "CREATE INDEX PARAGONY04 ON PARAGONY(ODCZYT);", ""}));
    EXPECT_EQ(
        Texts(statements),
        (std::vector<std::string>{"CREATE INDEX PARAGONY00 ON PARAGONY(KOMPLET,DATA,ODCZYT,STORNO)",
                                  "CREATE INDEX PARAGONY01 ON PARAGONY(DATA,KASA,NUMER,KOMPLET)",
                                  "CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER)",
                                  "CREATE INDEX PARAGONY04 ON PARAGONY(ODCZYT)"}));
}

TEST(ScriptSplitterPlain, LastStatementNeedsNoSemicolon) {
    EXPECT_EQ(Texts(SplitScript("update T set A = 1;\n  delete from T  \n")),
              (std::vector<std::string>{"update T set A = 1", "delete from T"}));
}

TEST(ScriptSplitterPlain, EmptyStatementsAndBlankChunksGiveNothing) {
    EXPECT_EQ(Texts(SplitScript(";; \r\n ;insert into T values (1);;\t;")),
              (std::vector<std::string>{"insert into T values (1)"}));
    EXPECT_TRUE(SplitScript("").empty());
    EXPECT_TRUE(SplitScript(" \r\n\t\r\n").empty());
    EXPECT_TRUE(SplitScript("-- nothing but a remark;\r\n/* and; another */").empty());
}

TEST(ScriptSplitterPlain, SemicolonInsideQuotedTextDoesNotSplit) {
    EXPECT_EQ(
        Texts(SplitScript("insert into T (A) values ('a;b ''c;'' d');update \"X;Y\" set A=1;")),
        (std::vector<std::string>{"insert into T (A) values ('a;b ''c;'' d')",
                                  "update \"X;Y\" set A=1"}));
}

TEST(ScriptSplitterPlain, SemicolonInsideAlternativeQuotingDoesNotSplit) {
    EXPECT_EQ(
        Texts(SplitScript("insert into T (A) values (q'{it's; here}');delete from T;")),
        (std::vector<std::string>{"insert into T (A) values (q'{it's; here}')", "delete from T"}));
}

TEST(ScriptSplitterPlain, CommentsNeitherSplitNorStartAStatement) {
    const auto statements = SplitScript(
        "-- first; the table\r\n"
        "/* a remark; with END and BEGIN */ CREATE TABLE T (A INTEGER /* ; */);\r\n"
        "insert into T values (1) -- trailing; remark\r\n"
        ";");
    EXPECT_EQ(Texts(statements),
              (std::vector<std::string>{"CREATE TABLE T (A INTEGER /* ; */)",
                                        "insert into T values (1) -- trailing; remark"}));
    EXPECT_EQ(Kinds(statements), (std::vector<Kind>{Kind::Definition, Kind::DataChange}));
}

TEST(ScriptSplitterPlain, UnterminatedQuoteRunsToTheEnd) {
    EXPECT_EQ(Texts(SplitScript("insert into T values ('open; text")),
              (std::vector<std::string>{"insert into T values ('open; text"}));
}

// --- Triggers as the schema scripts write them --------------------------------

TEST(ScriptSplitterRoutines, OneLineTriggerBodyEndsWithoutSemicolon) {
    const std::vector<std::string> lines = {"CREATE OR ALTER TRIGGER TRI_COM_DEF FOR COM_DEF",
                                            "ACTIVE BEFORE INSERT POSITION 0", "AS",
                                            "BEGIN NEW.ID = GEN_ID(G_ID_COM_DEF, 1); END", ""};
    const auto statements = SplitScript(Chunk(lines));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].text,
              "CREATE OR ALTER TRIGGER TRI_COM_DEF FOR COM_DEF\r\nACTIVE BEFORE INSERT POSITION "
              "0\r\nAS\r\n"
              "BEGIN NEW.ID = GEN_ID(G_ID_COM_DEF, 1); END");
    EXPECT_EQ(statements[0].kind, Kind::Definition);
}

TEST(ScriptSplitterRoutines, StatementAfterAnUnterminatedTriggerIsSeparate) {
    const auto statements = SplitScript(Chunk({"CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY",
                                               "ACTIVE BEFORE INSERT POSITION 0", "AS",
                                               "BEGIN NEW.ID = GEN_ID(G_ID_PARAGONY, 1); END",
                                               "insert into PARAGONY (ID) values (5);"}));
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[1].text, "insert into PARAGONY (ID) values (5)");
    EXPECT_EQ(Kinds(statements), (std::vector<Kind>{Kind::Definition, Kind::DataChange}));
}

TEST(ScriptSplitterRoutines, MultiLineTriggerRunsToItsFinalEnd) {
    const std::vector<std::string> lines = {"CREATE TRIGGER TRI_HIST_PAR FOR HIST_PAR",
                                            "ACTIVE BEFORE INSERT",
                                            "POSITION 0",
                                            "AS",
                                            "BEGIN",
                                            "  NEW.ID = GEN_ID(G_ID_PARAGONY, 1);",
                                            "  NEW.DATA_WPISU = current_timestamp;\t",
                                            "END;"};
    const std::string chunk = Chunk(lines);
    const auto statements = SplitScript(chunk);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].text, chunk.substr(0, chunk.rfind("END") + 3));
}

TEST(ScriptSplitterRoutines, TwoTriggersInOneChunkStaySeparate) {
    const auto statements = SplitScript(Chunk(
        {"CREATE TRIGGER TRI_ODCZYT FOR ODCZYT", "ACTIVE BEFORE INSERT", "POSITION 0", "AS",
         "BEGIN", "  NEW.ID = GEN_ID(G_ID_ODCZYT, 1);", "  NEW.DATA = current_timestamp;\t", "END;",
         "CREATE OR ALTER TRIGGER TRI_PARAGONY FOR PARAGONY", "ACTIVE BEFORE INSERT POSITION 0",
         "AS", "BEGIN NEW.ID = GEN_ID(G_ID_PARAGONY, 1); END", ""}));
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0].text.substr(0, 22), "CREATE TRIGGER TRI_ODC");
    EXPECT_EQ(statements[1].text.substr(0, 41), "CREATE OR ALTER TRIGGER TRI_PARAGONY FOR ");
}

TEST(ScriptSplitterRoutines, TriggerWithoutBodyEndsAtItsSemicolon) {
    EXPECT_EQ(Texts(SplitScript(
                  "ALTER TRIGGER TRI_ODCZYT INACTIVE;\r\nALTER TRIGGER TRI_ODCZYT POSITION 1;")),
              (std::vector<std::string>{"ALTER TRIGGER TRI_ODCZYT INACTIVE",
                                        "ALTER TRIGGER TRI_ODCZYT POSITION 1"}));
}

// --- Procedures ---------------------------------------------------------------

// P_WOLNYKOD2009 as the schema script writes it: declared variables with
// their own ";", nested blocks, and a quoted blank.
const std::vector<std::string> kFreeCodeProcedure = {
    "CREATE PROCEDURE P_WOLNYKOD2009(MAXKOD   Integer)",
    "RETURNS(KOD   Integer)",
    "AS",
    "  DECLARE VARIABLE I INTEGER;",
    "  DECLARE VARIABLE CKOD VARCHAR(5);",
    "BEGIN",
    "  KOD = -1;",
    "  I = 1;",
    "  WHILE (I <= MAXKOD) DO",
    "  BEGIN",
    "    cKod = I;",
    "    cKod = LPad(cKod,5,' ');",
    "    if (not Exists(select kod_kasa from Kartas2009 where kod_kasa = :cKod)) then",
    "    BEGIN",
    "      KOD = I;",
    "      SUSPEND;",
    "      EXIT;",
    "    END",
    "    I = I + 1;",
    "  END",
    "  SUSPEND;",
    "END;",
};

TEST(ScriptSplitterRoutines, ProcedureKeepsDeclaredVariablesAndNestedBlocks) {
    const std::string chunk = Chunk(kFreeCodeProcedure);
    const auto statements = SplitScript(chunk);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].text, chunk.substr(0, chunk.rfind("END;") + 3));
    EXPECT_EQ(statements[0].kind, Kind::Definition);
}

TEST(ScriptSplitterRoutines, AlteredProcedureHeadIsOneStatementToo) {
    std::vector<std::string> lines = kFreeCodeProcedure;
    lines[0] = "ALTER PROCEDURE P_WOLNYKOD2024(MAXKOD   Integer)";
    lines.push_back("GRANT EXECUTE ON PROCEDURE P_WOLNYKOD2024 TO ADMINISTRATOR;");
    const auto statements = SplitScript(Chunk(lines));
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0].text.substr(0, 30), "ALTER PROCEDURE P_WOLNYKOD2024");
    EXPECT_EQ(Tail(statements[0].text, "\r\nEND"), "\r\nEND");
    EXPECT_EQ(statements[1].text, "GRANT EXECUTE ON PROCEDURE P_WOLNYKOD2024 TO ADMINISTRATOR");
}

TEST(ScriptSplitterRoutines, ForSelectDoBlockNestsInsideTheBody) {
    const std::vector<std::string> lines = {
        "CREATE PROCEDURE P_VYR_POR_2(pdatap date, pdatak date, tylkor Integer )",
        "returns ( data date, datasprz TimeStamp, czas time, kasa Integer, numer Integer,  sumapoz "
        "numeric(15,2), dozap numeric(15,2),r numeric(15,2))",
        "as",
        "begin",
        "  for select distinct data,datasprz,kasa,numer,kwota1-kwota2",
        "  from paragony where storno=0 and data between :pdatap and :pdatak",
        "  into :data, :datasprz, :kasa, :numer, :dozap",
        "  do begin",
        "    czas = cast(datasprz as time);",
        "    select sum(wartosc) from paragony where datasprz=:datasprz and kasa=:kasa",
        "    and numer=:numer and storno=0 into :sumapoz;",
        "    r = sumapoz - dozap;",
        "    if ((tylkor = 0) or (r <> 0)) then suspend;",
        "  end",
        "end",
        "",
        "select * from P_VYR_POR_2('2024-01-01', '2024-01-31', 0);",
    };
    const auto statements = SplitScript(Chunk(lines));
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(Tail(statements[0].text, "  end\r\nend"), "  end\r\nend");
    EXPECT_EQ(statements[1].text, "select * from P_VYR_POR_2('2024-01-01', '2024-01-31', 0)");
}

TEST(ScriptSplitterRoutines, CaseEndInsideTheBodyDoesNotCloseIt) {
    const auto statements = SplitScript(
        "create or alter procedure P_NAZWA(x integer) returns (y varchar(10)) as\n"
        "declare variable z integer = case when 1=1 then 1 else 0 end;\n"
        "begin\n"
        "  y = case x when 1 then 'one' else 'END;' end;\n"
        "  y = y || case when x > 1 then (case when x > 5 then 'big' end) else '' end;\n"
        "  suspend;\n"
        "end;\n"
        "commit;");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(Tail(statements[0].text, "  suspend;\nend"), "  suspend;\nend");
    EXPECT_EQ(statements[1].text, "commit");
}

TEST(ScriptSplitterRoutines, EndInsideCommentsAndTextsIsIgnored) {
    const auto statements = SplitScript(
        "CREATE PROCEDURE P_X AS\n"
        "BEGIN\n"
        "  -- the END of this line is a remark;\n"
        "  /* END; END; */\n"
        "  EXCEPTION E 'END';\n"
        "END\n"
        "DROP PROCEDURE P_Y;");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[1].text, "DROP PROCEDURE P_Y");
}

TEST(ScriptSplitterRoutines, WordsThatOnlyContainEndOrBeginDoNotCount) {
    const auto statements = SplitScript(
        "CREATE TRIGGER T_X FOR X BEFORE INSERT AS BEGIN NEW.END_DATE = NEW.BEGINS; NEW.LEGEND = "
        "1; "
        "END; insert into X values (1);");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[1].text, "insert into X values (1)");
}

TEST(ScriptSplitterRoutines, ExecuteBlockAndFunctionAreOneStatementEach) {
    const auto statements = SplitScript(
        "execute block as declare variable i integer; begin i = 1; end;\n"
        "create function F_DWA returns integer as begin return 2; end;\n"
        "recreate procedure P_Z as begin exit; end\n");
    EXPECT_EQ(
        Texts(statements),
        (std::vector<std::string>{"execute block as declare variable i integer; begin i = 1; end",
                                  "create function F_DWA returns integer as begin return 2; end",
                                  "recreate procedure P_Z as begin exit; end"}));
}

TEST(ScriptSplitterRoutines, LocalSubroutinesDoNotEndTheOuterBody) {
    const auto statements = SplitScript(
        "create procedure P_OUT returns (r integer) as\n"
        "  declare function F_FWD returns integer;\n"
        "  declare procedure P_IN as begin exit; end\n"
        "  declare function F_FWD returns integer as begin return 1; end\n"
        "begin r = F_FWD(); suspend; end;\n"
        "select 1 from rdb$database;");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(Tail(statements[0].text, "suspend; end"), "suspend; end");
    EXPECT_EQ(statements[1].text, "select 1 from rdb$database");
}

TEST(ScriptSplitterRoutines, UnfinishedBodyRunsToTheEndOfTheChunk) {
    const std::string chunk = "CREATE PROCEDURE P_X AS BEGIN EXIT; ";
    EXPECT_EQ(Texts(SplitScript(chunk)),
              (std::vector<std::string>{"CREATE PROCEDURE P_X AS BEGIN EXIT;"}));
}

// --- Classification -----------------------------------------------------------

struct ClassifyCase {
    const char* statement;
    StatementKind kind;
};

class ClassifyStatementTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyStatementTest, FirstWordsDecide) {
    EXPECT_EQ(ClassifyStatement(GetParam().statement), GetParam().kind) << GetParam().statement;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ClassifyStatementTest,
    ::testing::Values(ClassifyCase{"CREATE TABLE T (A INTEGER)", Kind::Definition},
                      ClassifyCase{"create generator G", Kind::Definition},
                      ClassifyCase{"Alter Table T add B integer", Kind::Definition},
                      ClassifyCase{"DROP INDEX X", Kind::Definition},
                      ClassifyCase{"declare external function F", Kind::Definition},
                      ClassifyCase{"GRANT ALL ON COM_DEF TO ADMINISTRATOR WITH GRANT OPTION",
                                   Kind::Definition},
                      ClassifyCase{"revoke all on T from KASJER", Kind::Definition},
                      ClassifyCase{"SET GENERATOR G TO -1", Kind::Definition},
                      ClassifyCase{"set\r\n  generator G to 5", Kind::Definition},
                      ClassifyCase{"  /* c */ -- d\r\n create index I on T(A)", Kind::Definition},
                      ClassifyCase{"SET STATISTICS INDEX X", Kind::DataChange},
                      ClassifyCase{"insert into T values (1)", Kind::DataChange},
                      ClassifyCase{"update COM_DEF set VYRIP = ''", Kind::DataChange},
                      ClassifyCase{"delete from T", Kind::DataChange},
                      ClassifyCase{"EXECUTE PROCEDURE P_X", Kind::DataChange},
                      ClassifyCase{"CREATED = 1", Kind::DataChange},
                      ClassifyCase{"\"CREATE\" TABLE", Kind::DataChange},
                      ClassifyCase{"", Kind::DataChange}));

TEST(ScriptSplitterKinds, EachStatementOfAChunkIsClassifiedOnItsOwn) {
    const auto statements = SplitScript(
        "CREATE GENERATOR G_ID_ODCZYT;\r\n"
        "insert into T values (GEN_ID(G_ID_ODCZYT, 1));\r\n"
        "SET GENERATOR G_ID_ODCZYT TO -1;\r\n"
        "update T set A = 2\r\n");
    EXPECT_EQ(Kinds(statements), (std::vector<Kind>{Kind::Definition, Kind::DataChange,
                                                    Kind::Definition, Kind::DataChange}));
}

}  // namespace
}  // namespace rubso
