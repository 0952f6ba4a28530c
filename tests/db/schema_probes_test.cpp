// Catalogue probes and schema alterations on a throw-away database: what
// each probe answers, the statements the alterations build, and which
// failures are logged, shown or silent.
#include "db/schema_probes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "core/text_utils.h"
#include "db/schema_scripts.h"
#include "db/schema_upgrade.h"
#include "db/script_splitter.h"
#include "tests/db/schema_test_base.h"

namespace rubso {
namespace {

using test::SchemaTestBase;

class SchemaProbesTest : public SchemaTestBase {
  protected:
    void SetUp() override {
        ConnectAsAdministrator();
        // The administrator's login leaves the read transaction of its role
        // probe open; end it so the probes see what the tests create.
        dm_.CloseQ(dm_.IBQdm);
    }
};

// --- Script names -------------------------------------------------------------

struct ScriptNameCase {
    const char* script;
    const char* table;
    const char* index;
};

void PrintTo(const ScriptNameCase& c, std::ostream* out) {
    *out << '"' << c.script << '"';
}

class ScriptNameTest : public ::testing::TestWithParam<ScriptNameCase> {};

TEST_P(ScriptNameTest, TableAndIndexNamesFollowThePrefixAndSuffix) {
    EXPECT_EQ(ScrNazwaTabeli(GetParam().script), GetParam().table);
    EXPECT_EQ(ScrNazwaIndx(GetParam().script), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScriptNameTest,
    ::testing::Values(ScriptNameCase{"C_ODCZYT", "ODCZYT", ""},
                      ScriptNameCase{"C_ODCZYT_IDX", "", "ODCZYT_IDX"},
                      ScriptNameCase{"C_ODCZYTIDX", "", "ODCZYTIDX"},
                      ScriptNameCase{"C_ODCZYT_idx", "ODCZYT_idx", ""},  // case-sensitive
                      ScriptNameCase{"c_ODCZYT", "", ""}, ScriptNameCase{"G_ID_ODCZYT", "", ""},
                      ScriptNameCase{"TRI_IDX", "", "I_IDX"}, ScriptNameCase{"C_", "", ""},
                      ScriptNameCase{"", "", ""},
                      ScriptNameCase{"C_TABELA_O_NAZWIE_DLUZSZEJ_NIZ_CZTERDZIESCI_ZNAKOW",
                                     "TABELA_O_NAZWIE_DLUZSZEJ_NIZ_CZTERDZIESC", ""}));

// --- Existence probes ---------------------------------------------------------

TEST_F(SchemaProbesTest, ProbesFindObjectsWhateverTheCaseOfTheNameGiven) {
    Exec({"create table Towary (Asort varchar(20), kod_kasa integer)",
          "create index Towary_Kod on Towary (kod_kasa)", "create generator G_Test",
          "create procedure P_Test as begin end",
          "create trigger Tri_Test for Towary before insert as begin end",
          "create function F_Test returns integer as begin return 1; end"});
    EXPECT_TRUE(JestTabela(dm_, "towary"));
    EXPECT_TRUE(JestPole(dm_, "towary", "Kod_Kasa"));
    EXPECT_TRUE(JestIndeks(dm_, "", "towary_kod"));
    EXPECT_TRUE(JestIndeks(dm_, "Towary", "Towary_Kod"));
    EXPECT_TRUE(JestGenerator(dm_, "g_test"));
    EXPECT_TRUE(JestProcedura(dm_, "p_test"));
    EXPECT_TRUE(JestTrigger(dm_, "tri_test"));
    EXPECT_TRUE(JestFunkcja(dm_, "f_test"));

    EXPECT_FALSE(JestTabela(dm_, "TOWARY2"));
    EXPECT_FALSE(JestPole(dm_, "TOWARY", "NAZWA"));
    EXPECT_FALSE(JestPole(dm_, "TOWARY2", "ASORT"));
    EXPECT_FALSE(JestIndeks(dm_, "", "TOWARY_NAZWA"));
    EXPECT_FALSE(JestGenerator(dm_, "G_TEST2"));
    EXPECT_FALSE(JestProcedura(dm_, "P_TEST2"));
    EXPECT_FALSE(JestTrigger(dm_, "TRI_TEST2"));
    EXPECT_FALSE(JestFunkcja(dm_, "F_TEST2"));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SchemaProbesTest, ATableProbeDoesNotCountSystemTablesAsTables) {
    // Only relations with RDB$FLAGS 1 (user tables and views) are tables.
    EXPECT_FALSE(JestTabela(dm_, "RDB$DATABASE"));
}

TEST_F(SchemaProbesTest, AnIndexProbeWithATableLooksOnlyOnThatTable) {
    Exec({"create table A (x integer)", "create table B (x integer)", "create index A_X on A (x)"});
    EXPECT_TRUE(JestIndeks(dm_, "a", "a_x"));
    EXPECT_FALSE(JestIndeks(dm_, "b", "a_x"));
    // The two-condition form: both names upper-cased, no blank before "and".
    EXPECT_EQ(dm_.IBQdm.Sql(),
              "select count(rdb$index_name) as jest from rdb$indices  where "
              "rdb$relation_name='B'and rdb$index_name='A_X'");
}

TEST_F(SchemaProbesTest, JestAnswersTrueWhenTheSelectFindsNoRow) {
    Exec({"create table PARAGONY (id integer, storno integer)",
          "insert into PARAGONY values (1, 0)"});
    EXPECT_TRUE(Jest(dm_, "select storno from PARAGONY where storno is null"));
    Exec({"insert into PARAGONY values (2, null)", "insert into PARAGONY values (3, null)"});
    EXPECT_FALSE(Jest(dm_, "select storno from PARAGONY where storno is null"));
    EXPECT_EQ(dm_.IBQdm.Sql(), "select storno from PARAGONY where storno is null rows 1");
}

TEST_F(SchemaProbesTest, EveryProbeCommitsItsReadTransaction) {
    EXPECT_FALSE(JestTabela(dm_, "COM_DEF"));
    EXPECT_FALSE(dm_.IBTdm.IsActive());
    EXPECT_TRUE(Jest(dm_, "select 1 from rdb$database where 1=0"));
    EXPECT_FALSE(dm_.IBTdm.IsActive());
    TypPola(dm_, "RDB$DATABASE", "RDB$RELATION_ID");
    EXPECT_FALSE(dm_.IBTdm.IsActive());
    ListaPol(dm_, "RDB$DATABASE");
    EXPECT_FALSE(dm_.IBTdm.IsActive());
}

TEST_F(SchemaProbesTest, ASyntaxErrorInAProbeRaisesToTheCaller) {
    EXPECT_THROW(Jest(dm_, "select from nowhere"), fb::FbError);
    EXPECT_TRUE(Shown().empty());
}

// --- Column types ---------------------------------------------------------------

TEST_F(SchemaProbesTest, TypPolaOfAMissingColumnIsTypeMinusOne) {
    Exec({"create table T (a integer)"});
    EXPECT_EQ(TypPola(dm_, "T", "B"), ColumnType{});
    EXPECT_EQ(TypPola(dm_, "NO_TABLE", "A"), ColumnType{});
}

TEST_F(SchemaProbesTest, TypPolaReadsTheCatalogueWithUpperCasedNames) {
    Exec({"create table T (a varchar(20) not null, b numeric(15,4), c integer)"});
    EXPECT_EQ(TypPola(dm_, "t", "a"), (ColumnType{37, 0, 0, 0, 20, 1}));
    EXPECT_EQ(TypPola(dm_, "t", "b"), (ColumnType{16, 1, 15, -4, 0, 0}));
    EXPECT_EQ(TypPola(dm_, "t", "c"), (ColumnType{8, 0, 0, 0, 0, 0}));
}

TEST_F(SchemaProbesTest, TypPolaQuotesNamesAsTextLiterals) {
    // A quote in a name becomes a double quote, so the literal stays closed.
    EXPECT_EQ(TypPola(dm_, "O'Brien", "x"), ColumnType{});
    EXPECT_NE(TypPolaSql("O'Brien", "x").find("= 'O\"BRIEN' and r.rdb$field_name='X'"),
              std::string::npos);
}

struct TypeTextCase {
    const char* declaration;
    const char* text;
};

void PrintTo(const TypeTextCase& c, std::ostream* out) {
    *out << c.declaration;
}

class TypPolaSTest : public SchemaTestBase, public ::testing::WithParamInterface<TypeTextCase> {};

TEST_P(TypPolaSTest, BuildsTheTypeWordThenTheSizeThenNotNull) {
    Exec({std::string("create table T (c ") + GetParam().declaration + ")"});
    ConnectAsAdministrator();
    dm_.IBQdm.SetSql(TypPolaSql("T", "C"));
    dm_.IBQdm.Open();
    ASSERT_FALSE(dm_.IBQdm.Eof());
    EXPECT_EQ(TypPolaS(dm_.IBQdm.Row()), GetParam().text);
    dm_.CloseQ(dm_.IBQdm);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TypPolaSTest,
    ::testing::Values(TypeTextCase{"varchar(20) not null", " Varchar(20) NOT NULL"},
                      TypeTextCase{"varchar(12)", " Varchar(12)"},
                      TypeTextCase{"char(5)", " Char(5)"},
                      // The query reports length 0 instead of null.
                      TypeTextCase{"integer", " Integer(0)"},
                      TypeTextCase{"integer not null", " Integer(0) NOT NULL"},
                      TypeTextCase{"smallint", " Smallint(0)"}, TypeTextCase{"bigint", " Int64(0)"},
                      TypeTextCase{"numeric(15,4)", " Numeric(15,4)"},
                      TypeTextCase{"decimal(15,2)", " Decimal(15,2)"},
                      TypeTextCase{"numeric(9,2)", " Numeric(9,2)"},
                      TypeTextCase{"decimal(9,3)", " Decimal(9,3)"},
                      // A small numeric is stored as a scaled smallint.
                      TypeTextCase{"numeric(4,2)", " Smallint(4,2)"},
                      TypeTextCase{"float", " Float(0)"},
                      TypeTextCase{"double precision", "(0)"},  // code 27 has no word
                      TypeTextCase{"date", " Date(0)"}, TypeTextCase{"time", " Time(0)"},
                      TypeTextCase{"timestamp", " TimeStamp(0)"},
                      TypeTextCase{"blob sub_type text", " Blob(0)"}));

TEST_F(SchemaProbesTest, ListaPolGivesTrimmedNamesInColumnOrder) {
    Exec({"create table T (zeta integer, alfa varchar(5), \"Mixed\" date)"});
    EXPECT_EQ(ListaPol(dm_, "t"), (std::vector<std::string>{"ZETA", "ALFA", "Mixed"}));
    EXPECT_TRUE(ListaPol(dm_, "NO_TABLE").empty());
}

// --- DopiszPole -------------------------------------------------------------------

TEST_F(SchemaProbesTest, DopiszPoleAddsAMissingColumnAndLogsIt) {
    Exec({"create table PARAGONY (id integer)"});
    const std::size_t before = LogEntries().size();
    EXPECT_TRUE(DopiszPole(dm_, "PARAGONY", "OPAK", "Integer "));
    EXPECT_EQ(Columns("PARAGONY"), (std::set<std::string>{"ID", "OPAK"}));
    EXPECT_EQ(LogSince(before), std::vector<std::string>{"Dopisane pole OPAK do tabeli PARAGONY"});
}

TEST_F(SchemaProbesTest, DopiszPoleOfAnExistingColumnDoesNothing) {
    Exec({"create table PARAGONY (id integer, opak integer)"});
    const std::size_t before = LogEntries().size();
    EXPECT_FALSE(DopiszPole(dm_, "PARAGONY", "opak", "varchar(3)"));
    EXPECT_TRUE(LogSince(before).empty());
    EXPECT_EQ(TypPola(dm_, "PARAGONY", "OPAK").type, 8);
}

TEST_F(SchemaProbesTest, AFailedDopiszPoleIsLoggedButNotShown) {
    Exec({"create table PARAGONY (id integer)"});
    const std::size_t before = LogEntries().size();
    EXPECT_FALSE(DopiszPole(dm_, "PARAGONY", "OPAK", "NoSuchType"));
    EXPECT_EQ(
        LogSince(before),
        std::vector<std::string>{Cp1250("Nieudana próba dopisania pola OPAK w tabeli PARAGONY")});
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(dm_.IBTRun.IsActive());
    EXPECT_FALSE(JestPole(dm_, "PARAGONY", "OPAK"));
}

// --- DopiszPola -------------------------------------------------------------------

TEST_F(SchemaProbesTest, DopiszPolaAddsTheLastMissingColumnWithoutTrailingComma) {
    std::vector<std::string> lines = Skrypt("C_COM_DEF");
    // The table as the script makes it, without its last column.
    std::string create;
    for (const std::string& line : lines) {
        if (StartsWith(line, "TIMEOUT2")) continue;
        create += line + "\n";
    }
    create = ReplaceAll(create, "AKT_CENY     TIMESTAMP,\n", "AKT_CENY     TIMESTAMP\n");
    create = DropRight(Trim(create), 1);  // the ";"
    Exec({create});

    DopiszPola(dm_, "C_COM_DEF");
    EXPECT_EQ(dm_.ListaScr, (std::vector<std::string>{"ALTER TABLE COM_DEF",
                                                      "ADD TIMEOUT2     INTEGER DEFAULT 0", ";"}));
    EXPECT_TRUE(JestPole(dm_, "COM_DEF", "TIMEOUT2"));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SchemaProbesTest, DopiszPolaAddsEveryMissingColumnInOneStatement) {
    Exec(
        {"create table PARAGONY (ID integer not null, DATA date, UPUST numeric(15,4), "
         "constraint PARAGONY primary key (ID))",
         "insert into PARAGONY (ID) values (1)"});
    DopiszPola(dm_, "C_PARAGONY");

    // The second script line keeps its case, the later ones were upper-cased
    // (the script's own lines are upper-case except the collations).
    ASSERT_GE(dm_.ListaScr.size(), 3u);
    EXPECT_EQ(dm_.ListaScr[0], "ALTER TABLE PARAGONY");
    EXPECT_EQ(dm_.ListaScr[1], "ADD ODCZYT        VARCHAR(12),");
    EXPECT_EQ(dm_.ListaScr.back(), ";");
    EXPECT_EQ(dm_.ListaScr[dm_.ListaScr.size() - 2], "ADD KOMPLET       SMALLINT");
    EXPECT_NE(std::find(dm_.ListaScr.begin(), dm_.ListaScr.end(),
                        "ADD KASJER        VARCHAR(24) COLLATE PXW_PLK,"),
              dm_.ListaScr.end());
    std::string script;
    for (const std::string& line : dm_.ListaScr) script += line + "\r\n";
    EXPECT_EQ(SplitScript(script).size(), 1u);

    std::set<std::string> expected;
    for (const std::string& line : Skrypt("C_PARAGONY")) {
        const std::string word = NthField(line, 1, ' ');
        if (word != "CREATE" && word != "CONSTRAINT" && word != ");") expected.insert(word);
    }
    EXPECT_EQ(Columns("PARAGONY"), expected);
    EXPECT_EQ(Count("select count(*) from PARAGONY where ID = 1"), 1);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SchemaProbesTest, DopiszPolaOfACompleteTableSendsNothing) {
    dm_.ListaScr = Skrypt("C_ODCZYT");
    ASSERT_TRUE(dm_.RunScript("", false));
    const std::size_t before = LogEntries().size();
    DopiszPola(dm_, "C_ODCZYT");
    EXPECT_EQ(dm_.ListaScr, std::vector<std::string>{"ALTER TABLE ODCZYT"});
    EXPECT_TRUE(LogSince(before).empty());
}

class DopiszPolaIgnoredNameTest : public SchemaTestBase,
                                  public ::testing::WithParamInterface<const char*> {};

TEST_P(DopiszPolaIgnoredNameTest, OnlyClearsTheScriptBuffer) {
    ConnectAsAdministrator();
    Exec({"create table ODCZYT (ID integer)"});
    dm_.ListaScr = {"left over"};
    DopiszPola(dm_, GetParam());
    EXPECT_TRUE(dm_.ListaScr.empty());
    EXPECT_EQ(Columns("ODCZYT"), std::set<std::string>{"ID"});
}

INSTANTIATE_TEST_SUITE_P(Names, DopiszPolaIgnoredNameTest,
                         ::testing::Values("C_ODCZYT_IDX", "X_ODCZYT", "ODCZYT",
                                           "C_PARAGONY"));  // a table that does not exist

// --- DopiszTabele, DopiszIndeksy ----------------------------------------------------

TEST_F(SchemaProbesTest, DopiszTabeleCreatesTheTableWithItsIndexes) {
    EXPECT_EQ(DopiszTabele(dm_, "ODCZYT"), 0);
    EXPECT_TRUE(JestTabela(dm_, "ODCZYT"));
    EXPECT_TRUE(JestIndeks(dm_, "ODCZYT", "ODCZYT0"));
    EXPECT_EQ(DopiszTabele(dm_, "ODCZYT"), 1);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SchemaProbesTest, ATableWithoutIndexScriptLogsAnEmptyBuffer) {
    const std::size_t before = LogEntries().size();
    EXPECT_EQ(DopiszTabele(dm_, "HIST_PAR"), 0);
    EXPECT_EQ(LogSince(before), std::vector<std::string>{"Pusta listaScr  C_HIST_PAR idx"});
}

TEST_F(SchemaProbesTest, AFailingTableScriptGivesMinusOneAndIsShown) {
    // The primary key constraint ODCZYT needs an index of that name.
    Exec({"create table INNA (x integer)", "create index ODCZYT on INNA (x)"});
    EXPECT_EQ(DopiszTabele(dm_, "ODCZYT"), -1);
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(SchemaProbesTest, AFailingIndexScriptIsShownButTheTableCounts) {
    Exec({"create table INNA (x integer)", "create index ODCZYT0 on INNA (x)"});
    EXPECT_EQ(DopiszTabele(dm_, "ODCZYT"), 0);
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(SchemaProbesTest, DopiszIndeksyLeavesAnExistingIndexUnlessToldToRecreate) {
    dm_.ListaScr = Skrypt("C_ODCZYT");
    ASSERT_TRUE(dm_.RunScript("", false));
    Exec({"create index ODCZYT0 on ODCZYT (LINIA)"});
    const std::string segments =
        "select list(trim(rdb$field_name)) from rdb$index_segments where "
        "rdb$index_name = 'ODCZYT0'";

    DopiszIndeksy(dm_, "C_ODCZYT_IDX", false);
    EXPECT_EQ(Scalar(segments), "LINIA");
    DopiszIndeksy(dm_, "C_ODCZYT_IDX", true);
    EXPECT_EQ(Scalar(segments), "PLIK,DATA");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SchemaProbesTest, DopiszIndeksyCreatesOnlyTheMissingIndexes) {
    dm_.ListaScr = Skrypt("C_PARAGONY");
    ASSERT_TRUE(dm_.RunScript("", false));
    Exec({"create index PARAGONY03 on PARAGONY (KASA)"});
    DopiszIndeksy(dm_, "C_PARAGONY_IDX", false);
    for (const char* index : {"PARAGONY00", "PARAGONY01", "PARAGONY04"}) {
        EXPECT_TRUE(JestIndeks(dm_, "PARAGONY", index)) << index;
    }
    EXPECT_EQ(Scalar("select trim(rdb$field_name) from rdb$index_segments where rdb$index_name "
                     "= 'PARAGONY03'"),
              "KASA");
    EXPECT_TRUE(Shown().empty());
}

// --- ZmienPoleString --------------------------------------------------------------

TEST_F(SchemaProbesTest, ZmienPoleStringWidensATextColumnKeepingItsValues) {
    Exec({"create table PARAGONY (id integer, odczyt varchar(12))",
          "insert into PARAGONY values (1, '123456789012')"});
    EXPECT_TRUE(ZmienPoleString(dm_, "PARAGONY", "ODCZYT", 20));
    EXPECT_EQ(CharLength("PARAGONY", "ODCZYT"), 20);
    EXPECT_EQ(Scalar("select odczyt from PARAGONY"), "123456789012");
    Exec({"insert into PARAGONY values (2, '12345678901234567890')"});
}

TEST_F(SchemaProbesTest, ZmienPoleStringCannotShortenAndSaysSo) {
    Exec({"create table PARAGONY (id integer, odczyt varchar(30))"});
    EXPECT_FALSE(ZmienPoleString(dm_, "PARAGONY", "ODCZYT", 20));
    EXPECT_EQ(CharLength("PARAGONY", "ODCZYT"), 30);
    EXPECT_EQ(Shown().size(), 1u);
}

// --- WymianaProc --------------------------------------------------------------------

TEST_F(SchemaProbesTest, WymianaProcCreatesThenAltersTheProcedure) {
    dm_.ListaScr = Skrypt("C_PARAGONY");
    ASSERT_TRUE(dm_.RunScript("", false));
    ASSERT_TRUE(DopiszPole(dm_, "PARAGONY", "OPAK", "Integer "));

    EXPECT_EQ(WymianaProc(dm_, "P_VYR_STATYSTYKA"), 2);
    EXPECT_TRUE(StartsWith(dm_.ListaScr.front(), "CREATE PROCEDURE P_VYR_STATYSTYKA("));
    EXPECT_EQ(WymianaProc(dm_, "P_VYR_STATYSTYKA"), 1);
    EXPECT_TRUE(StartsWith(dm_.ListaScr.front(), "ALTER PROCEDURE P_VYR_STATYSTYKA("));
    EXPECT_TRUE(JestProcedura(dm_, "P_VYR_STATYSTYKA"));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SchemaProbesTest, AProcedureThatDoesNotCompileGivesZeroAndIsShown) {
    // No PARAGONY: the procedure's statements name an unknown table.
    EXPECT_EQ(WymianaProc(dm_, "P_VYR_POR_2"), 0);
    EXPECT_FALSE(JestProcedura(dm_, "P_VYR_POR_2"));
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].find("Wymiana proc P_VYR_POR_2"), std::string::npos) << Shown()[0];
}

// --- Counting ------------------------------------------------------------------------

TEST_F(SchemaProbesTest, EveryProbeCountsOneStatement) {
    ResetSchemaStatementsSent();
    JestTabela(dm_, "X");
    JestPole(dm_, "X", "Y");
    Jest(dm_, "select 1 from rdb$database");
    TypPola(dm_, "X", "Y");
    ListaPol(dm_, "X");
    EXPECT_EQ(SchemaStatementsSent(), 5);
}

}  // namespace
}  // namespace rubso
