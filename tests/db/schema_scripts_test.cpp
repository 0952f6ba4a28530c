// The named schema scripts as the checks walk them: the list's order, the
// lookup, and the properties the runners rely on (one batch per script, at
// most one year placeholder a line, CREATE heads). That the scripts compile
// is checked on the server by the upgrade tests.
#include "db/schema_scripts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/text_utils.h"
#include "db/script_splitter.h"

namespace rubso {
namespace {

int Occurrences(const std::string& text, const std::string& pattern) {
    int count = 0;
    for (std::size_t at = text.find(pattern); at != std::string::npos;
         at = text.find(pattern, at + 1)) {
        ++count;
    }
    return count;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

TEST(ListaObiektowTest, HoldsNineteenNamesGroupedByKindInCheckOrder) {
    const std::vector<std::string> names = ListaObiektow();
    ASSERT_EQ(names.size(), 19u);
    // Kinds never interleave: tables and indexes, generators, triggers,
    // procedures.
    const std::vector<std::string> prefixes = {"C_", "G_", "TRI_", "P_"};
    std::size_t kind = 0;
    for (const std::string& name : names) {
        while (kind < prefixes.size() && !StartsWith(name, prefixes[kind])) ++kind;
        ASSERT_LT(kind, prefixes.size()) << name << " is out of its kind's place";
    }
    EXPECT_EQ(names.front(), "C_COM_DEF");
    EXPECT_EQ(names.back(), "P_ZAPISZ_WZ_KASY2009");
}

TEST(ListaObiektowTest, EveryIndexScriptFollowsItsTableScript) {
    const std::vector<std::string> names = ListaObiektow();
    int indexScripts = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!EndsWith(names[i], "_IDX")) continue;
        ++indexScripts;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(names[i - 1] + "_IDX", names[i]);
    }
    EXPECT_EQ(indexScripts, 2);
}

TEST(ListaObiektowTest, EveryNameHasAScript) {
    for (const std::string& name : ListaObiektow()) {
        EXPECT_FALSE(Skrypt(name).empty()) << name;
    }
}

class SkryptUnknownNameTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SkryptUnknownNameTest, GivesAnEmptyList) {
    EXPECT_EQ(Skrypt(GetParam()).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SkryptUnknownNameTest,
    ::testing::Values("C_HIST_PAR_IDX",              // a table without an index script
                      "C_COM_DEF_IDX", "c_com_def",  // the lookup is case-sensitive
                      "P_ZAPISZ_WZ_KASY2026",        // only the template name is known
                      "P_VYR_POR_1_2026", "", "C_", "COM_DEF"));

TEST(SkryptTest, GivesANewListEachTime) {
    std::vector<std::string> first = Skrypt("C_ODCZYT");
    first.front() = "changed";
    first.push_back("more");
    EXPECT_EQ(Skrypt("C_ODCZYT").front(), "CREATE TABLE ODCZYT(");
    EXPECT_EQ(Skrypt("C_ODCZYT").size(), 7u);
}

TEST(SkryptTest, NoScriptHoldsTheBatchSeparator) {
    for (const std::string& name : ListaObiektow()) {
        for (const std::string& line : Skrypt(name)) {
            EXPECT_EQ(line.find('#'), std::string::npos) << name << ": " << line;
        }
    }
}

TEST(SkryptTest, YearPlaceholdersAppearOnlyInTemplatesAndAtMostOnceALine) {
    for (const std::string& name : ListaObiektow()) {
        const bool yearTemplate =
            name.find("2009") != std::string::npos || name.find("XXXX") != std::string::npos;
        for (const std::string& line : Skrypt(name)) {
            const int placeholders = Occurrences(line, "2009") + Occurrences(line, "XXXX");
            EXPECT_LE(placeholders, yearTemplate ? 1 : 0) << name << ": " << line;
        }
    }
}

TEST(SkryptTest, ATemplateUsesOnlyItsOwnPlaceholder) {
    // Replacing "2009" must not leave an "XXXX" behind and the reverse.
    EXPECT_EQ(Occurrences(Joined(Skrypt("P_VYR_POR_1_XXXX")), "2009"), 0);
    for (const char* name : {"P_VYR_POR2009", "P_WOLNYKOD2009", "P_ZAPISZ_WZ_KASY2009"}) {
        EXPECT_EQ(Occurrences(Joined(Skrypt(name)), "XXXX"), 0) << name;
    }
}

TEST(SkryptTest, ProcedureHeadsCreateTheProcedureOfTheScriptsName) {
    for (const std::string& name : ListaObiektow()) {
        if (!StartsWith(name, "P_")) continue;
        const std::string head = Skrypt(name).front();
        EXPECT_TRUE(StartsWith(head, "CREATE PROCEDURE " + name)) << head;
        // The head is followed by "(" or a blank: the name is not a prefix of
        // a longer one.
        const char next = head[std::string("CREATE PROCEDURE ").size() + name.size()];
        EXPECT_TRUE(next == '(' || next == ' ') << head;
    }
}

TEST(SkryptTest, EveryScriptRunsAsOneBatchOfWholeStatements) {
    // A procedure or trigger is one statement; a table, generator or index
    // script is one statement per ";".
    for (const std::string& name : ListaObiektow()) {
        const std::vector<std::string> lines = Skrypt(name);
        const std::vector<ScriptStatement> statements = SplitScript(Joined(lines));
        int expected = 1;
        if (StartsWith(name, "C_") || StartsWith(name, "G_")) {
            expected = static_cast<int>(std::count_if(lines.begin(), lines.end(), [](auto& l) {
                return l.find(';') != std::string::npos;
            }));
        }
        EXPECT_EQ(static_cast<int>(statements.size()), expected) << name;
        for (const ScriptStatement& statement : statements) {
            EXPECT_EQ(statement.kind, StatementKind::Definition) << name;
        }
    }
}

TEST(SkryptTest, TableScriptsCreateTheTableTheirNameSays) {
    for (const std::string& name : ListaObiektow()) {
        if (!StartsWith(name, "C_") || EndsWith(name, "_IDX")) continue;
        const std::vector<std::string> lines = Skrypt(name);
        const std::string table = name.substr(2);
        EXPECT_TRUE(StartsWith(lines.front(), "CREATE TABLE " + table)) << lines.front();
        // The column walk of DopiszPola stops at the constraint or ");".
        const auto closing = std::find(lines.begin(), lines.end(), ");");
        EXPECT_NE(closing, lines.end()) << name;
    }
}

TEST(SkryptTest, IndexScriptsNameTheirIndexAsThirdWordOnTheirTable) {
    for (const char* name : {"C_ODCZYT_IDX", "C_PARAGONY_IDX"}) {
        const std::string table = std::string(name).substr(2, std::string(name).size() - 6);
        for (const std::string& line : Skrypt(name)) {
            if (IsBlank(line)) continue;
            EXPECT_TRUE(StartsWith(line, "CREATE INDEX ")) << line;
            EXPECT_TRUE(EndsWith(line, ";")) << line;
            EXPECT_TRUE(StartsWith(NthField(line, 3, ' '), table)) << line;
            EXPECT_EQ(NthField(line, 5, ' ').substr(0, table.size() + 1), table + "(") << line;
        }
    }
}

TEST(SkryptTest, GeneratorsHandOutZeroFirst) {
    for (const char* name : {"G_ID_COM_DEF", "G_ID_ODCZYT", "G_ID_PARAGONY"}) {
        const std::vector<std::string> lines = Skrypt(name);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1], "SET GENERATOR " + std::string(name) + " TO -1;");
    }
}

}  // namespace
}  // namespace rubso
