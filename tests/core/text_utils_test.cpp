#include "core/text_utils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "core/codepage.h"

namespace rubso {
namespace {

using Lines = std::vector<std::string>;

// --- Trimming and blanks ----------------------------------------------------

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEnds) {
    EXPECT_EQ("a b", Trim(std::string("\t\r\n \0a b\x1f ", 11)));
    EXPECT_EQ("a \t", TrimLeft(" \ta \t"));
    EXPECT_EQ(" \ta", TrimRight(" \ta \t"));
}

TEST(Trim, KeepsNonBreakingSpaceAndDelete) {
    // Code 160 is a letter-like byte of the code page, 127 is above 32.
    EXPECT_EQ("\xa0x\x7f", Trim(" \xa0x\x7f "));
}

TEST(IsBlank, TrueOnlyForTextsOfCodesUpTo32) {
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank(" \t\r\n\x01"));
    EXPECT_FALSE(IsBlank(" a "));
    EXPECT_FALSE(IsBlank("\xa0"));
}

// --- Cutting ----------------------------------------------------------------

TEST(TextBeforeAfter, SplitAtFirstSeparatorOrGiveWholeText) {
    struct Case {
        std::string separator, text, before, after;
    };
    const std::vector<Case> cases = {
        {";", "a;b;c", "a", "b;c"}, {";", ";x", "", "x"},           {";", "x;", "x", ""},
        {";", "abc", "abc", "abc"}, {"::", "k::v::w", "k", "v::w"}, {"", "abc", "abc", "abc"},
        {";", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("separator '" + c.separator + "' text '" + c.text + "'");
        EXPECT_EQ(c.before, TextBefore(c.separator, c.text));
        EXPECT_EQ(c.after, TextAfter(c.separator, c.text));
    }
}

TEST(Pad, PadsOrCutsToTheWidth) {
    EXPECT_EQ("05", PadLeft("5", 2, '0'));
    EXPECT_EQ("12", PadLeft("12", 2, '0'));
    EXPECT_EQ("***", PadLeft("", 3, '*'));
    EXPECT_EQ("ABC  ", PadRight("ABC", 5, ' '));
    EXPECT_EQ("ABC", PadRight("ABC", 3, ' '));
    EXPECT_EQ("..", PadRight("", 2, '.'));
}

TEST(Pad, PadLeftCutsLeadingCharacters) {
    EXPECT_EQ("23", PadLeft("123", 2, '0'));
    EXPECT_EQ("f", PadLeft("abcdef", 1));
}

TEST(Pad, PadRightCutsTrailingCharacters) {
    EXPECT_EQ("ABC", PadRight("ABCDEF", 3));
}

TEST(Pad, WidthOfZeroOrLessGivesEmptyText) {
    EXPECT_EQ("", PadLeft("abc", 0));
    EXPECT_EQ("", PadLeft("abc", -2));
    EXPECT_EQ("", PadRight("abc", 0));
    EXPECT_EQ("", PadRight("abc", -2));
}

TEST(Pad, IntPadLeftPadsTheDecimalText) {
    EXPECT_EQ("007", IntPadLeft(7, 3, '0'));
    EXPECT_EQ("345", IntPadLeft(12345, 3, '0'));
    EXPECT_EQ("  5", IntPadLeft(5, 3));
    // The fill goes before the sign: the text is padded, not the number.
    EXPECT_EQ("0-5", IntPadLeft(-5, 3, '0'));
}

TEST(NthField, CollapsesRunsOfSeparatorsAndCountsFromOne) {
    struct Case {
        std::string line;
        int n;
        char separator;
        std::string field;
    };
    const std::vector<Case> cases = {
        {"a;;b;c", 1, ';', "a"},    {"a;;b;c", 2, ';', "b"},
        {"a;;b;c", 3, ';', "c"},    {"a;;b;c", 4, ';', ""},
        {"a;;;;;b", 2, ';', "b"},   {";a", 1, ';', ""},
        {";a", 2, ';', "a"},        {";;a", 2, ';', "a"},
        {"a", 1, ';', "a"},         {"a", 3, ';', ""},
        {"a;b;", 2, ';', "b"},      {"a;b;", 3, ';', ""},
        {"", 1, ';', ""},           {"a;b", 0, ';', ""},
        {"a;b", -1, ';', ""},       {"12\t\t34\t5", 2, '\t', "34"},
        {" x ; y ", 2, ';', " y "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("line '" + c.line + "' field " + std::to_string(c.n));
        EXPECT_EQ(c.field, NthField(c.line, c.n, c.separator));
    }
}

TEST(DropRight, DropsTheLastCharactersAndNeverMore) {
    EXPECT_EQ("ab", DropRight("abc", 1));
    EXPECT_EQ("", DropRight("abc", 3));
    EXPECT_EQ("", DropRight("abc", 5));
    EXPECT_EQ("", DropRight("", 1));
    EXPECT_EQ("abc", DropRight("abc", 0));
}

TEST(RemoveAll, RemovesEveryOccurrenceCaseSensitively) {
    EXPECT_EQ("abc", RemoveAll("a--b--c--", "--"));
    EXPECT_EQ("A", RemoveAll("aAa", "a"));
    EXPECT_EQ("a", RemoveAll("aaa", "aa"));  // left to right, no overlaps
    EXPECT_EQ("abc", RemoveAll("abc", ""));
}

TEST(ReplaceAll, ReplacementIsNotScannedAgain) {
    EXPECT_EQ("aaaa", ReplaceAll("aa", "a", "aa"));
    EXPECT_EQ("x.y.z", ReplaceAll("x,y,z", ",", "."));
}

TEST(StartsEndsWith, EmptyAffixMatchesEveryText) {
    EXPECT_TRUE(StartsWith("abc", "ab"));
    EXPECT_FALSE(StartsWith("ab", "abc"));
    EXPECT_TRUE(EndsWith("abc", "bc"));
    EXPECT_FALSE(EndsWith("c", "bc"));
    EXPECT_TRUE(StartsWith("", ""));
    EXPECT_TRUE(EndsWith("abc", ""));
}

TEST(SplitLines, EachLineEndKindEndsOneLine) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"\n", {""}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"abc", {"abc"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR are two line ends
        {"\r\n\r\n", {"", ""}},
        {"a\tb \r\n", {"a\tb "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text of " + std::to_string(c.text.size()) + " bytes: " + c.text);
        EXPECT_EQ(c.lines, SplitLines(c.text));
    }
}

// --- Whole-text conversions -------------------------------------------------

TEST(TextToInt, AcceptsOnlyAWholeIntegerBetweenBlanks) {
    struct Case {
        std::string text;
        bool ok;
        std::int64_t value;
    };
    const std::vector<Case> cases = {
        {"12", true, 12},
        {" 12 ", true, 12},
        {"\t-12\r\n", true, -12},
        {"+12", true, 12},
        {"007", true, 7},
        {"9223372036854775807", true, INT64_MAX},
        {"-9223372036854775808", true, INT64_MIN},
        {"9223372036854775808", false, 0},
        {"", false, 0},
        {"  ", false, 0},
        {"-", false, 0},
        {"+", false, 0},
        {"12a", false, 0},
        {"1 2", false, 0},
        {"1-2", false, 0},
        {"--1", false, 0},
        {"+-1", false, 0},
        {"1.0", false, 0},
        {"0x10", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        std::int64_t value = -99;
        EXPECT_EQ(c.ok, TryTextToInt(c.text, value));
        EXPECT_EQ(c.ok ? c.value : -99, value);  // untouched on failure
    }
}

TEST(TextToInt, RaisesConvertErrorNamingTheText) {
    try {
        TextToInt("12a");
        FAIL() << "no exception";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string("'12a' is not a valid integer value"), e.what());
    }
    EXPECT_EQ(-4, TextToInt(" -4 "));
}

TEST(TextToFloat, AcceptsOnlyAWholeNumberWithDotSeparator) {
    struct Case {
        std::string text;
        bool ok;
        double value;
    };
    const std::vector<Case> cases = {
        {"12.5", true, 12.5}, {" -3.25 ", true, -3.25}, {"+2", true, 2.0},    {"1e3", true, 1000.0},
        {"1E-2", true, 0.01}, {"2.5e+1", true, 25.0},   {".5", true, 0.5},    {"5.", true, 5.0},
        {"-0", true, 0.0},    {"12,5", false, 0},       {"12.5zł", false, 0}, {"1.2.3", false, 0},
        {"", false, 0},       {".", false, 0},          {"-", false, 0},      {"e5", false, 0},
        {"1e", false, 0},     {"1e+", false, 0},        {"1 000", false, 0},  {"inf", false, 0},
        {"nan", false, 0},    {"0x1p3", false, 0},      {"1e999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        double value = -99.0;
        EXPECT_EQ(c.ok, TryTextToFloat(c.text, value));
        EXPECT_EQ(c.ok ? c.value : -99.0, value);
    }
}

TEST(TextToFloat, RaisesConvertErrorNamingTheText) {
    try {
        TextToFloat("12,5");
        FAIL() << "no exception";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string("'12,5' is not a valid floating point value"), e.what());
    }
}

TEST(LeadingInt, ReadsTheIntegerAtTheStart) {
    struct Case {
        std::string text;
        std::int64_t value;
    };
    const std::vector<Case> cases = {
        {"42", 42}, {"  42abc", 42}, {"-7 szt", -7}, {"3 4", 3}, {"007;x", 7},
        {"abc", 0}, {"", 0},         {"   ", 0},     {"+5", 0},  // "+" is not part of the prefix
        {"x12", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        EXPECT_EQ(c.value, LeadingInt(c.text));
    }
}

TEST(LeadingInt, PrefixThatIsNoIntegerRaisesConvertError) {
    struct Case {
        std::string text, message;
    };
    const std::vector<Case> cases = {
        {"1-2", "'1-2' is not a valid integer value"},
        {" -x", "'-' is not a valid integer value"},
        {"--5", "'--5' is not a valid integer value"},
        {"5-;a", "'5-' is not a valid integer value"},
        {"123456789012345678901234567890 szt",
         "'123456789012345678901234567890' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        try {
            LeadingInt(c.text);
            ADD_FAILURE() << "no exception";
        } catch (const ConvertError& e) {
            EXPECT_EQ(c.message, e.what());
        }
    }
}

TEST(ParseDecimal, ReadsEitherSeparatorAndStopsAtOtherCharacters) {
    struct Case {
        std::string text;
        double value;
    };
    const std::vector<Case> cases = {
        {"12,5", 12.5},   {"12.5", 12.5},   {Cp1250("12.5zł"), 12.5},
        {" 3 ", 3.0},     {"0,5", 0.5},     {",5", 0.5},
        {"5,", 5.0},      {"-12,5", -12.5}, {"-,5", -0.5},
        {"12 345", 12.0}, {"7;8", 7.0},     {"0", 0.0},
        {"0,00", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        EXPECT_EQ(c.value, ParseDecimal(c.text, 99.0));
    }
}

TEST(ParseDecimal, MinusAfterTheFirstCharacterIsSkipped) {
    EXPECT_EQ(12.0, ParseDecimal("1-2", 99.0));
    EXPECT_EQ(12.0, ParseDecimal("12-", 99.0));
    EXPECT_EQ(-5.0, ParseDecimal("--5", 99.0));
    EXPECT_EQ(1.5, ParseDecimal("1,-5", 99.0));
}

TEST(ParseDecimal, UnreadableTextGivesZeroNotTheDefault) {
    EXPECT_EQ(0.0, ParseDecimal("abc", 99.0));
    EXPECT_EQ(0.0, ParseDecimal("1,234.5", 99.0));
    EXPECT_EQ(0.0, ParseDecimal("1.234.5", 99.0));
    EXPECT_EQ(0.0, ParseDecimal("-", 99.0));
    EXPECT_EQ(0.0, ParseDecimal(".", 99.0));
}

TEST(ParseDecimal, EmptyOrBlankTextGivesTheDefault) {
    EXPECT_EQ(99.0, ParseDecimal("", 99.0));
    EXPECT_EQ(99.0, ParseDecimal(" \t", 99.0));
    EXPECT_EQ(0.0, ParseDecimal(""));
}

// --- Rounding ---------------------------------------------------------------

TEST(RoundDecimals, ExactHalvesGoAwayFromZero) {
    struct Case {
        int decimals;
        double value, rounded;
    };
    const std::vector<Case> cases = {
        {2, 0.125, 0.13},
        {2, -0.125, -0.13},
        {0, 0.5, 1.0},
        {0, 1.5, 2.0},
        {0, 2.5, 3.0},
        {0, -2.5, -3.0},
        {1, 0.25, 0.3},
        {2, 12.345, 12.35},
        // Binary fractions stored a hair below the half still round up.
        {2, 1.005, 1.01},
        {2, 2.675, 2.68},
        {2, 12.344, 12.34},
        {2, -12.344, -12.34},
        {2, 12.0, 12.0},
        {0, 0.0, 0.0},
        {3, 0.0004999, 0.0},
        {-1, 15.0, 20.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.decimals) + " places of " + std::to_string(c.value));
        EXPECT_EQ(c.rounded, RoundDecimals(c.decimals, c.value));
    }
}

TEST(RoundDecimals, BiasedValueOnAHalfGoesToEven) {
    // 2.49999 + 0.00001 is exactly 2.5 in binary; ties go to the even
    // neighbour, so this is where nearest-even and half-up part.
    EXPECT_EQ(2.0, RoundDecimals(0, 2.49999));
    EXPECT_EQ(-2.0, RoundDecimals(0, -2.49999));
    EXPECT_EQ(4.0, RoundDecimals(0, 3.49999));
}

// --- Number texts -----------------------------------------------------------

TEST(FloatText, ShortestTextOfFifteenSignificantDigits) {
    struct Case {
        double value;
        std::string text;
    };
    const std::vector<Case> cases = {
        {12.5, "12.5"},
        {12.0, "12"},
        {0.05, "0.05"},
        {2.49, "2.49"},
        {-3.25, "-3.25"},
        {0.0, "0"},
        {-0.0, "0"},
        {100.0, "100"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {1234.5678, "1234.5678"},
        {123456789012345.6, "123456789012346"},
        {999999999999999.0, "999999999999999"},
        {0.00001, "0.00001"},
        {-0.000123, "-0.000123"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, FloatText(c.value));
    }
}

TEST(FloatText, ExponentOnlyOutsideOrdinaryMagnitudes) {
    EXPECT_EQ("1E15", FloatText(1e15));
    EXPECT_EQ("1.5E20", FloatText(1.5e20));
    EXPECT_EQ("-2E15", FloatText(-2e15));
    EXPECT_EQ("1E-6", FloatText(0.000001));
    EXPECT_EQ("1.5E-7", FloatText(1.5e-7));
}

TEST(FixedText, GivesExactlyTheDecimalsAsked) {
    struct Case {
        double value;
        int decimals;
        std::string text;
    };
    const std::vector<Case> cases = {
        {12.5, 2, "12.50"},
        {12.0, 0, "12"},
        {-1.5, 1, "-1.5"},
        {1234567.891, 2, "1234567.89"},
        {0.126, 2, "0.13"},
        {3.0, -1, "3"},
        // The stored value of 2.675 is below the half: RoundDecimals first
        // where exact halves must go up.
        {2.675, 2, "2.67"},
        {RoundDecimals(2, 2.675), 2, "2.68"},
        {-0.001, 2, "0.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, FixedText(c.value, c.decimals));
    }
}

// The user's locale must not reach the program's numbers. Runs only where a
// locale with a decimal comma is installed.
TEST(NumberTexts, IgnoreADecimalCommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* found = nullptr;
    for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "pl_PL", "de_DE.UTF-8", "de_DE.utf8",
                             "fr_FR.UTF-8", "fr_FR.utf8"}) {
        found = std::setlocale(LC_ALL, name);
        if (found != nullptr) break;
    }
    if (found == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string text = FloatText(12.5);
    const std::string fixed = FixedText(12.5, 2);
    double parsed = 0.0;
    const bool ok = TryTextToFloat("12.5", parsed);
    const double decimal = ParseDecimal("12,5");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ("12.5", text);
    EXPECT_EQ("12.50", fixed);
    EXPECT_TRUE(ok);
    EXPECT_EQ(12.5, parsed);
    EXPECT_EQ(12.5, decimal);
}

// --- Dates ------------------------------------------------------------------

TEST(DateTexts, DayMonthYearWithDotsAndTwentyFourHourTime) {
    EXPECT_EQ("05.03.2024", DateText(QDate(2024, 3, 5)));
    EXPECT_EQ("31.12.1999", DateText(QDate(1999, 12, 31)));
    EXPECT_EQ("07:08:09", TimeText(QTime(7, 8, 9)));
    EXPECT_EQ("23:59:59", TimeText(QTime(23, 59, 59, 999)));
    EXPECT_EQ("05.03.2024 13:04:05", DateTimeText(QDateTime(QDate(2024, 3, 5), QTime(13, 4, 5))));
}

TEST(DateTexts, ExactMidnightShowsTheDateAlone) {
    EXPECT_EQ("05.03.2024", DateTimeText(QDateTime(QDate(2024, 3, 5), QTime(0, 0))));
    EXPECT_EQ("05.03.2024 00:00:01", DateTimeText(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 1))));
    // A millisecond past midnight is a time, though the seconds do not show it.
    EXPECT_EQ("05.03.2024 00:00:00", DateTimeText(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0, 1))));
}

TEST(DateTexts, InvalidDatesGiveEmptyTexts) {
    EXPECT_EQ("", DateText(QDate()));
    EXPECT_EQ("", TimeText(QTime()));
    EXPECT_EQ("", DateTimeText(QDateTime()));
    EXPECT_EQ("", DateDigits(QDate()));
}

TEST(DateDigits, YearMonthDayWithoutSeparators) {
    EXPECT_EQ("20240305", DateDigits(QDate(2024, 3, 5)));
    EXPECT_EQ("19991231", DateDigits(QDate(1999, 12, 31)));
    EXPECT_EQ("9990102", DateDigits(QDate(999, 1, 2)));  // the year is not padded
}

// --- SQL lists --------------------------------------------------------------

TEST(SqlList, QuotedTextTurnsApostrophesIntoDoubleQuotes) {
    EXPECT_EQ("'a\"b',", SqlQuoted("a'b", false));
    EXPECT_EQ("'a\"b'", SqlQuoted("a'b", true));
    EXPECT_EQ("'\"\"',", SqlQuoted("''", false));
    EXPECT_EQ("'',", SqlQuoted("", false));
}

TEST(SqlList, IntItemIsFollowedByACommaUnlessLast) {
    EXPECT_EQ("5,", SqlIntItem(5, false));
    EXPECT_EQ("5", SqlIntItem(5, true));
    EXPECT_EQ("-12,", SqlIntItem(-12, false));
}

// --- Keyed lines ------------------------------------------------------------

TEST(FindLineByKey, FromLeftGivesTheRestAfterTheKeyTrimmed) {
    const Lines lines = {"NAZWA= Chleb ", "KOD=123", "KOD=456"};
    EXPECT_EQ("123", FindLineByKey("KOD=", lines, true));
    EXPECT_EQ("Chleb", FindLineByKey("NAZWA=", lines, true));
    EXPECT_EQ(1, FindItemByKey("KOD=", lines, true));
}

TEST(FindLineByKey, FromLeftCutsTheFrontEvenWhenTheLineMatchedAtItsEnd) {
    const Lines lines = {"12345 ABC"};
    EXPECT_EQ("45 ABC", FindLineByKey("ABC", lines, true));
    EXPECT_EQ(0, FindItemByKey("ABC", lines, true));
}

TEST(FindLineByKey, FromRightMatchesOnlyAtTheEndAndCutsIt) {
    const Lines lines = {"ABC 1", "Chleb ;1", "Bułka ;1"};
    EXPECT_EQ("Chleb", FindLineByKey(";1", lines, false));
    EXPECT_EQ(1, FindItemByKey(";1", lines, false));
    EXPECT_EQ("", FindLineByKey("ABC", lines, false));
    EXPECT_EQ(-1, FindItemByKey("ABC", lines, false));
}

TEST(FindLineByKey, NoMatchOrNoLinesGivesEmptyTextAndMinusOne) {
    EXPECT_EQ("", FindLineByKey("X", Lines{}, true));
    EXPECT_EQ(-1, FindItemByKey("X", Lines{}, true));
    EXPECT_EQ("", FindLineByKey("KOD", Lines{"kod=1", "KO"}, true));
    EXPECT_EQ(-1, FindItemByKey("KOD", Lines{"kod=1", "KO"}, true));
}

TEST(FindLineByKey, LineEqualToTheKeyGivesEmptyText) {
    EXPECT_EQ("", FindLineByKey("KOD", Lines{"KOD", "KOD 1"}, true));
    EXPECT_EQ(0, FindItemByKey("KOD", Lines{"KOD", "KOD 1"}, false));
}

}  // namespace
}  // namespace rubso
