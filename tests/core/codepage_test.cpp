#include "core/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/polish_letters.h"

namespace rubso {
namespace {

const char* const kPolishLettersUtf8 = "ĄĆĘŁŃÓŚŹŻąćęłńóśźż";

std::string ScreenRow() {
    const auto& row = PolishLetterTable()[kRowWindows1250 - 1];
    return std::string(row.begin(), row.end());
}

TEST(Cp1250, PolishLettersBecomeTheScreenRowOfTheLetterTable) {
    EXPECT_EQ(ScreenRow(), Cp1250(kPolishLettersUtf8));
}

TEST(Cp1250, DecodingTheScreenRowGivesThePolishLettersBack) {
    EXPECT_EQ(QString::fromUtf8(kPolishLettersUtf8), FromCp1250(ScreenRow()));
    EXPECT_EQ(std::string(kPolishLettersUtf8), Cp1250ToUtf8(ScreenRow()));
    EXPECT_EQ(ScreenRow(), ToCp1250(QString::fromUtf8(kPolishLettersUtf8)));
}

TEST(Cp1250, EveryByteSurvivesTheWayToTheScreenAndBack) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(all, ToCp1250(FromCp1250(all)));
    EXPECT_EQ(all, Cp1250(Cp1250ToUtf8(all)));
}

TEST(Cp1250, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ("\x80", Cp1250("€"));
    EXPECT_EQ("a?b", Cp1250("aжb"));
    EXPECT_EQ("?", Cp1250("😀"));
    EXPECT_EQ("a?", ToCp1250(QString::fromUtf8("aж")));
}

TEST(Cp1250, TruncatedSequenceAtTheEndBecomesOneQuestionMark) {
    EXPECT_EQ("ab?", Cp1250("ab\xc5"));
    EXPECT_EQ("?", Cp1250("\xe2\x82"));
}

TEST(CaseTable, UpperCaseCoversPolishLetters) {
    EXPECT_EQ(Cp1250("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"), UpperCase(Cp1250("zażółć gęślą jaźń")));
    EXPECT_EQ(Cp1250("zażółć gęślą jaźń"), LowerCase(Cp1250("ZAŻÓŁĆ GĘŚLĄ JAŹŃ")));
}

TEST(CaseTable, EachSmallPolishLetterHasItsCapital) {
    const std::string row = ScreenRow();
    for (int letter = 0; letter < 9; ++letter) {
        const char capital = row[static_cast<std::size_t>(letter)];
        const char small = row[static_cast<std::size_t>(letter + 9)];
        SCOPED_TRACE("letter " + std::to_string(letter));
        EXPECT_EQ(capital, UpperChar(small));
        EXPECT_EQ(small, LowerChar(capital));
        EXPECT_EQ(capital, UpperChar(capital));
        EXPECT_EQ(small, LowerChar(small));
    }
}

TEST(CaseTable, OtherLettersOfTheCodePageHaveCasesToo) {
    EXPECT_EQ(Cp1250("ŠŤŽÁČĚŘŮ"), UpperCase(Cp1250("šťžáčěřů")));
    EXPECT_EQ(Cp1250("ľščťžýáí"), LowerCase(Cp1250("ĽŠČŤŽÝÁÍ")));
}

TEST(CaseTable, CharactersWithoutACaseStayAsTheyAre) {
    const std::string text = Cp1250("0-9 ,.;€ß§µ") + std::string("\xa0\x81\x01", 3);
    EXPECT_EQ(text, UpperCase(text));
    EXPECT_EQ(text, LowerCase(text));
    EXPECT_EQ("ABC XYZ", UpperCase("abc xyz"));
}

TEST(CaseTable, SameTextIgnoringCaseComparesByTheCaseTable) {
    EXPECT_TRUE(SameTextIgnoringCase(Cp1250("Łódź"), Cp1250("ŁÓDŹ")));
    EXPECT_TRUE(SameTextIgnoringCase("", ""));
    EXPECT_FALSE(SameTextIgnoringCase(Cp1250("Łódź"), Cp1250("Lodz")));
    EXPECT_FALSE(SameTextIgnoringCase(Cp1250("źle"), Cp1250("żle")));
    EXPECT_FALSE(SameTextIgnoringCase("abc", "abcd"));
}

}  // namespace
}  // namespace rubso
