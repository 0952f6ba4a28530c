#include "core/polish_letters.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/codepage.h"

namespace rubso {
namespace {

// A row given as 18 hex bytes in the table's letter order.
std::string Bytes(const std::string& hex) {
    std::istringstream in(hex);
    std::string out;
    unsigned int byte = 0;
    while (in >> std::hex >> byte) out.push_back(static_cast<char>(byte));
    return out;
}

std::string Row(int row) {
    const auto& bytes = PolishLetterTable()[static_cast<std::size_t>(row - 1)];
    return std::string(bytes.begin(), bytes.end());
}

TEST(PolishLetterTable, RowsMatchTheirEncodingsByteForByte) {
    struct Case {
        int row;
        std::string hex;
    };
    const std::vector<Case> cases = {
        {1, "a1 c6 ca a3 d1 d3 a6 ac af b1 e6 ea b3 f1 f3 b6 bc bf"},
        {2, "a5 c6 ca a3 d1 d3 8c 8f af b9 e6 ea b3 f1 f3 9c 9f bf"},
        {3, "a4 8f a8 9d e3 e0 97 8d bd a5 86 a9 88 e4 a2 98 ab be"},
        {4, "8f 95 90 9c a5 a3 98 a0 a1 86 8d 91 92 a4 a2 9e a6 a7"},
        {5, "80 81 82 83 84 85 86 88 87 a0 a1 a2 a3 a4 a5 a6 a8 a7"},
        {9, "8f 80 90 9c a5 99 eb 9d 92 a0 9b 82 9f a4 a2 87 a8 91"},
        {12, "97 99 a5 a6 92 8f 8e 90 80 96 94 a4 a7 91 a2 84 82 87"},
        {14, "84 8c a2 fc c1 ee e5 8f fb 88 8d ab b8 c4 97 e6 90 fd"},
        {16, "81 82 86 8a 8b d3 91 99 9b a1 a2 a6 aa ab f3 b1 b9 bb"},
        {18, "c5 f2 c9 a3 d1 d3 ff e1 ed e5 ec e6 c6 f1 f3 a5 aa ba"},
        {19, "c4 c7 cb d0 d1 d3 d6 da dc e4 e7 eb f0 f1 f3 f6 fa fc"},
        {20, "41 43 45 4c 4e 4f 53 58 5a 61 63 65 6c 6e 6f 73 78 7a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        EXPECT_EQ(Bytes(c.hex), Row(c.row));
    }
}

TEST(PolishLetterTable, ScreenRowIsTheProgramsCodePage) {
    EXPECT_EQ(Cp1250("ĄĆĘŁŃÓŚŹŻąćęłńóśźż"), Row(kRowWindows1250));
    EXPECT_EQ("ACELNOSXZacelnosxz", Row(kRowNoDiacritics));
}

TEST(PolishLetterTable, NoRowHoldsOneByteForTwoLetters) {
    for (int row = 1; row <= kPolishLetterRows; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const std::string bytes = Row(row);
        EXPECT_EQ(static_cast<std::size_t>(kPolishLetterCount),
                  std::set<char>(bytes.begin(), bytes.end()).size());
    }
}

TEST(ConvertPolishLetters, TurnsEveryLetterOfOneRowIntoTheOther) {
    for (int from = 1; from < kPolishLetterRows; ++from) {
        for (int to = 1; to <= kPolishLetterRows; ++to) {
            SCOPED_TRACE("from row " + std::to_string(from) + " to row " + std::to_string(to));
            EXPECT_EQ(Row(to), ConvertPolishLetters(Row(from), from, to));
        }
    }
}

TEST(ConvertPolishLetters, LeavesOtherBytesAlone) {
    for (const int from : {kRowWindows1250, kRowMazovia, 12}) {
        SCOPED_TRACE("from row " + std::to_string(from));
        const std::string letters = Row(from);
        std::string others;
        for (int b = 0; b < 256; ++b) {
            if (letters.find(static_cast<char>(b)) == std::string::npos) {
                others.push_back(static_cast<char>(b));
            }
        }
        EXPECT_EQ(others, ConvertPolishLetters(others, from, kRowLatin2));
    }
}

TEST(ConvertPolishLetters, ScreenTextWithoutDiacritics) {
    EXPECT_EQ("Xdxblo", ConvertPolishLetters(Cp1250("Źdźbło"), kRowWindows1250, kRowNoDiacritics));
    EXPECT_EQ("ZOLTY Zolw, ZXdlo!", ConvertPolishLetters(Cp1250("ŻÓŁTY Żółw, ŻŹdło!"),
                                                         kRowWindows1250, kRowNoDiacritics));
}

TEST(ConvertPolishLetters, ConvertsEachByteOnceOnly) {
    // Mazovia's Ą is 852's Ć and Mazovia's ń is 852's Ą: converted letter by
    // letter over the whole text, Ą would end as ń.
    const std::string mazovia = Bytes("8f 20 a4");  // "Ą ń"
    EXPECT_EQ(Bytes("a4 20 e4"), ConvertPolishLetters(mazovia, kRowMazovia, kRowLatin2));
    // 852's Ą is the screen's ą: a second pass would make every Ą small.
    EXPECT_EQ(Cp1250("Ąą"), ConvertPolishLetters(Bytes("a4 a5"), kRowLatin2, kRowWindows1250));
}

TEST(ConvertPolishLetters, TextWithoutPolishLettersIsUnchanged) {
    EXPECT_EQ("Chleb 0.5 kg", ConvertPolishLetters("Chleb 0.5 kg", kRowMazovia, kRowLatin2));
    EXPECT_EQ("", ConvertPolishLetters("", kRowWindows1250, kRowLatin2));
}

TEST(ConvertPolishLetters, RowsOutOfRangeOrEqualLeaveTheTextUnchanged) {
    const std::string text = Row(kRowWindows1250) + "abc";
    struct Case {
        int from, to;
    };
    const std::vector<Case> cases = {
        {2, 2}, {0, 3}, {-1, 3}, {20, 2}, {21, 2}, {2, 0}, {2, 21}, {2, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("from " + std::to_string(c.from) + " to " + std::to_string(c.to));
        EXPECT_EQ(text, ConvertPolishLetters(text, c.from, c.to));
    }
    // The bytes of row 20 are plain letters; it is a target only.
    EXPECT_EQ("Xdxblo", ConvertPolishLetters("Xdxblo", kRowNoDiacritics, kRowWindows1250));
}

}  // namespace
}  // namespace rubso
