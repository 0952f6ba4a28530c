#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::ReadBytes;

using Names = std::vector<std::string>;

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class IniFileTest : public ::testing::Test {
  protected:
    // Writes `bytes` as the settings file and returns an object bound to it.
    IniFile With(const std::string& bytes) {
        WriteBytes(path_, bytes);
        return IniFile(path_);
    }
    std::string Bytes() const { return ReadBytes(path_); }

    test::TempDir dir_;
    std::string path_ = dir_.File("rubso.INI");
};

// --- Reading: the file's shape ---------------------------------------------

struct ShapeCase {
    const char* name;
    std::string bytes;
};

class IniFileShapeTest : public IniFileTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(IniFileShapeTest, ReadsTheSameValuesWhateverTheLineEndsAndMarks) {
    const IniFile ini = With(GetParam().bytes);
    EXPECT_EQ("srv:C:\\db\\a.gdb", ini.ReadString("Rubso", "Pth", "?"));
    EXPECT_EQ("ADM", ini.ReadString("Rubso", "User", "?"));
    EXPECT_EQ("5", ini.ReadString("KASA 1", "Timeout", "?"));
    EXPECT_EQ((Names{"Rubso", "KASA 1"}), ini.ReadSections());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, IniFileShapeTest,
    ::testing::Values(
        ShapeCase{"CrLf",
                  "[Rubso]\r\nPth=srv:C:\\db\\a.gdb\r\nUser=ADM\r\n\r\n[KASA 1]\r\nTimeout=5\r\n"},
        ShapeCase{"Lf", "[Rubso]\nPth=srv:C:\\db\\a.gdb\nUser=ADM\n\n[KASA 1]\nTimeout=5\n"},
        ShapeCase{"LoneCr", "[Rubso]\rPth=srv:C:\\db\\a.gdb\rUser=ADM\r[KASA 1]\rTimeout=5\r"},
        ShapeCase{"ByteOrderMark",
                  "\xEF\xBB\xBF[Rubso]\r\nPth=srv:C:\\db\\a.gdb\r\nUser=ADM\r\n[KASA "
                  "1]\r\nTimeout=5\r\n"},
        ShapeCase{"NoFinalLineBreak",
                  "[Rubso]\r\nPth=srv:C:\\db\\a.gdb\r\nUser=ADM\r\n[KASA 1]\r\nTimeout=5"},
        ShapeCase{"BlanksAroundEverything",
                  "  [ Rubso ]  \r\n\t Pth =  srv:C:\\db\\a.gdb  \r\nUser= ADM\r\n\r\n\r\n"
                  "[KASA 1]\r\n   Timeout=5   \r\n\r\n"},
        ShapeCase{
            "CommentsAndJunk",
            "; settings\r\nstray=1\r\n[Rubso]\r\n;Pth=old\r\nno equals sign here\r\n=orphan\r\n"
            "Pth=srv:C:\\db\\a.gdb\r\nUser=ADM\r\n[KASA 1] ; first register\r\nTimeout=5\r\n"}),
    [](const auto& suite) { return std::string(suite.param.name); });

TEST_F(IniFileTest, MissingFileSectionOrKeyYieldsTheDefault) {
    const IniFile missing(dir_.File("absent.INI"));
    EXPECT_EQ("SYSDBA", missing.ReadString("Rubso", "User", "SYSDBA"));
    EXPECT_FALSE(missing.SectionExists("Rubso"));
    EXPECT_EQ(Names{}, missing.ReadSections());

    const IniFile ini = With("[Rubso]\r\nUser=ADM\r\n");
    EXPECT_EQ("def", ini.ReadString("Main", "User", "def"));
    EXPECT_EQ("def", ini.ReadString("Rubso", "Pass", "def"));
    EXPECT_EQ("def", ini.ReadString("", "User", "def"));
    EXPECT_EQ(Names{}, ini.ReadSection("Main"));
}

TEST_F(IniFileTest, EmptyValueIsPresentAndNotTheDefault) {
    const IniFile ini = With("[Main]\r\nBarKod=\r\n");
    EXPECT_TRUE(ini.ValueExists("Main", "BarKod"));
    EXPECT_EQ("", ini.ReadString("Main", "BarKod", "KOD_EAN"));
}

TEST_F(IniFileTest, LookupIgnoresLetterCaseIncludingPolishLetters) {
    const IniFile ini = With(Cp1250("[Źródła]\r\nŚcieżka=c:\\ąę\r\n[Main]\r\nCena=CENA_2\r\n"));
    EXPECT_EQ(Cp1250("c:\\ąę"), ini.ReadString(Cp1250("źRÓDŁA"), Cp1250("ŚCIEŻKA"), "?"));
    EXPECT_EQ(Cp1250("c:\\ąę"), ini.ReadString(Cp1250("ŹRÓDŁA"), Cp1250("ścieżka"), "?"));
    EXPECT_EQ("CENA_2", ini.ReadString("MAIN", "CENA", "?"));
    EXPECT_TRUE(ini.SectionExists("main"));
    EXPECT_TRUE(ini.ValueExists("mAiN", "cena"));
}

TEST_F(IniFileTest, SectionNameKeepsItsInnerBlank) {
    const IniFile ini = With("[KASA 1]\r\nTimeout=7\r\n[KASA10]\r\nTimeout=9\r\n");
    EXPECT_EQ("7", ini.ReadString("KASA 1", "Timeout", "?"));
    EXPECT_EQ("9", ini.ReadString("KASA10", "Timeout", "?"));
    EXPECT_EQ("?", ini.ReadString("KASA1", "Timeout", "?"));
    EXPECT_EQ("?", ini.ReadString("KASA  1", "Timeout", "?"));
}

TEST_F(IniFileTest, FirstOfTwoEqualKeysOrSectionsWins) {
    const IniFile ini = With(
        "[Main]\r\nTypDokum=WZ\r\ntypdokum=PA\r\n[KASA 1]\r\nNrMag=1\r\n[kasa 1]\r\nNrMag=2\r\n"
        "Cena=CENA_3\r\n");
    EXPECT_EQ("WZ", ini.ReadString("Main", "TypDokum", "?"));
    EXPECT_EQ("1", ini.ReadString("KASA 1", "NrMag", "?"));
    // A key only in the second copy of a section is not seen.
    EXPECT_EQ("?", ini.ReadString("KASA 1", "Cena", "?"));
    EXPECT_EQ((Names{"Main", "KASA 1"}), ini.ReadSections());
    EXPECT_EQ(Names{"TypDokum"}, ini.ReadSection("Main"));
}

TEST_F(IniFileTest, ValueIsEverythingAfterTheFirstEqualsSign) {
    const IniFile ini = With("[Rubso]\r\nPth=a=b=c\r\n");
    EXPECT_EQ("a=b=c", ini.ReadString("Rubso", "Pth", "?"));
}

struct QuoteCase {
    std::string stored;
    std::string read;
};

class IniFileQuoteTest : public IniFileTest, public ::testing::WithParamInterface<QuoteCase> {};

TEST_P(IniFileQuoteTest, ValueIsTrimmedAndLosesOnePairOfEnclosingQuotes) {
    const IniFile ini = With("[Main]\r\nKey=" + GetParam().stored + "\r\n");
    EXPECT_EQ(GetParam().read, ini.ReadString("Main", "Key", "?"));
}

INSTANTIATE_TEST_SUITE_P(
    Quotes, IniFileQuoteTest,
    ::testing::Values(QuoteCase{"  plain text  ", "plain text"}, QuoteCase{"\"quoted\"", "quoted"},
                      QuoteCase{"'single'", "single"},
                      QuoteCase{"\" blanks kept \"", " blanks kept "}, QuoteCase{"\"\"", ""},
                      QuoteCase{"\"\"twice\"\"", "\"twice\""}, QuoteCase{"\"a\"b\"", "a\"b"},
                      QuoteCase{"\"mixed'", "\"mixed'"}, QuoteCase{"\"", "\""},
                      QuoteCase{"it's", "it's"}));

TEST_F(IniFileTest, KeysUnderADamagedHeaderBelongToNoSection) {
    const IniFile ini = With(
        "[KASA 1]\r\nTimeout=5\r\n[KASA 2\r\nTimeout=9\r\nNrTel=123\r\n[KASA 3]\r\nTimeout=7\r\n");
    EXPECT_EQ("5", ini.ReadString("KASA 1", "Timeout", "?"));
    EXPECT_EQ("?", ini.ReadString("KASA 1", "NrTel", "?"));
    EXPECT_FALSE(ini.SectionExists("KASA 2"));
    EXPECT_EQ("7", ini.ReadString("KASA 3", "Timeout", "?"));
    EXPECT_EQ((Names{"KASA 1", "KASA 3"}), ini.ReadSections());
}

TEST_F(IniFileTest, BinaryJunkReadsAsDefaultsAndSurvivesAWrite) {
    const std::string junk("\x00\x01\x1A\xFF\xFE[\x00]=\x7F\x80\r\xC3\x28", 14);
    IniFile ini = With(junk);
    EXPECT_EQ("def", ini.ReadString("Main", "Key", "def"));
    ASSERT_TRUE(ini.WriteString("Main", "Key", "v"));
    // The junk is kept whole (no cut at the Ctrl+Z byte); it ended with a lone
    // CR, so new lines use CR too.
    EXPECT_EQ(junk + "\r\r[Main]\rKey=v\r", Bytes());
    EXPECT_EQ("v", ini.ReadString("Main", "Key", "def"));
}

TEST_F(IniFileTest, VeryLongLineIsReadWhole) {
    const std::string longValue(2'000'000, 'x');
    const IniFile ini = With("[Main]\r\nJunk" + longValue + "\r\nAsorPth=" + longValue + "\r\n");
    EXPECT_EQ(longValue, ini.ReadString("Main", "AsorPth", "?"));
    EXPECT_EQ(Names{"AsorPth"}, ini.ReadSection("Main"));
}

// --- Reading: typed values -------------------------------------------------

struct NumberCase {
    std::string stored;
    int integer;    // ReadInteger with default -7
    bool boolean;   // ReadBool with default true
    double number;  // ReadFloat with default -7
};

class IniFileNumberTest : public IniFileTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(IniFileNumberTest, TypedReadsFallBackToTheDefaultOnlyForNonNumbers) {
    const IniFile ini = With("[Main]\r\nKey=" + GetParam().stored + "\r\n");
    EXPECT_EQ(GetParam().integer, ini.ReadInteger("Main", "Key", -7));
    EXPECT_EQ(GetParam().boolean, ini.ReadBool("Main", "Key", true));
    EXPECT_EQ(GetParam().number, ini.ReadFloat("Main", "Key", -7));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, IniFileNumberTest,
    ::testing::Values(NumberCase{"0", 0, false, 0}, NumberCase{"1", 1, true, 1},
                      NumberCase{"2", 2, true, 2}, NumberCase{"-1", -1, true, -1},
                      NumberCase{" 15 ", 15, true, 15}, NumberCase{"\"3\"", 3, true, 3},
                      NumberCase{"0x1F", 31, true, -7}, NumberCase{"$10", 16, true, -7},
                      NumberCase{"1.5", -7, true, 1.5}, NumberCase{"1,5", -7, true, 1.5},
                      NumberCase{"true", -7, true, -7}, NumberCase{"yes", -7, true, -7},
                      NumberCase{"12abc", -7, true, -7}, NumberCase{"", -7, true, -7},
                      NumberCase{"0x", -7, true, -7},
                      NumberCase{"99999999999", -7, true, 99999999999.0}));

TEST_F(IniFileTest, ReadBoolOfANonNumberKeepsEitherDefault) {
    const IniFile ini = With("[Main]\r\nUseEAN=tak\r\n");
    EXPECT_FALSE(ini.ReadBool("Main", "UseEAN", false));
    EXPECT_TRUE(ini.ReadBool("Main", "UseEAN", true));
    EXPECT_FALSE(ini.ReadBool("Main", "Missing", false));
}

// --- Writing ---------------------------------------------------------------

TEST_F(IniFileTest, FirstWriteCreatesTheFileWithCrLfLines) {
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("KASA 1", "Timeout", "5"));
    EXPECT_EQ("[KASA 1]\r\nTimeout=5\r\n", Bytes());
    ASSERT_TRUE(ini.WriteString("KASA 1", "NrTel", "0221234"));
    ASSERT_TRUE(ini.WriteString("Main", "BarKod", "KOD_EAN"));
    EXPECT_EQ("[KASA 1]\r\nTimeout=5\r\nNrTel=0221234\r\n\r\n[Main]\r\nBarKod=KOD_EAN\r\n",
              Bytes());
}

const std::string kHandEdited =
    "; Ustawienia programu\r\n"
    "\r\n"
    "[Main]\r\n"
    "  AsorPth = C:\\ANVO\\   ; the trading program\r\n"
    "; BarKod=OLD\r\n"
    "BarKod=KOD_EAN\r\n"
    "TypDokum=\"WZ\"\r\n"
    "\r\n"
    "\r\n"
    "; registers follow\r\n"
    "[KASA 1]\r\n"
    "Timeout=5\r\n"
    "junk line\r\n"
    "\r\n"
    "[KASA 2]\r\n"
    "Timeout=6";

TEST_F(IniFileTest, ChangingAValueRewritesOnlyItsLine) {
    IniFile ini = With(kHandEdited);
    ASSERT_TRUE(ini.WriteString("main", "barkod", "EAN13"));
    std::string expected = kHandEdited;
    expected.replace(expected.find("BarKod=KOD_EAN"), 14, "BarKod=EAN13");
    EXPECT_EQ(expected, Bytes());
}

TEST_F(IniFileTest, ChangingAnIndentedOrQuotedValueKeepsTheKeySpelling) {
    IniFile ini = With(kHandEdited);
    ASSERT_TRUE(ini.WriteString("Main", "ASORPTH", "D:\\H\\"));
    ASSERT_TRUE(ini.WriteString("Main", "TypDokum", "PA"));
    std::string expected = kHandEdited;
    expected.replace(expected.find("  AsorPth = C:\\ANVO\\   ; the trading program"), 44,
                     "AsorPth=D:\\H\\");
    expected.replace(expected.find("TypDokum=\"WZ\""), 13, "TypDokum=PA");
    EXPECT_EQ(expected, Bytes());
}

TEST_F(IniFileTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
    IniFile ini = With(kHandEdited);
    ASSERT_TRUE(ini.WriteBool("Main", "UseEAN", true));
    ASSERT_TRUE(ini.WriteInteger("KASA 1", "ComIndx", 2));
    std::string expected = kHandEdited;
    expected.insert(expected.find("\r\n\r\n\r\n; registers follow") + 2, "UseEAN=1\r\n");
    expected.insert(expected.find("Timeout=5\r\n") + 11, "ComIndx=2\r\n");
    EXPECT_EQ(expected, Bytes());
}

TEST_F(IniFileTest, NewKeyAfterALastLineWithoutLineBreak) {
    IniFile ini = With(kHandEdited);
    ASSERT_TRUE(ini.WriteString("KASA 2", "NrTel", "1"));
    EXPECT_EQ(kHandEdited + "\r\nNrTel=1\r\n", Bytes());
}

TEST_F(IniFileTest, NewSectionGoesToTheEndAfterABlankLine) {
    IniFile ini = With(kHandEdited);
    ASSERT_TRUE(ini.WriteString("KASA 3", "Timeout", "7"));
    EXPECT_EQ(kHandEdited + "\r\n\r\n[KASA 3]\r\nTimeout=7\r\n", Bytes());

    IniFile spaced = With("[Main]\r\nA=1\r\n\r\n");
    ASSERT_TRUE(spaced.WriteString("Rubso", "Pth", "x"));
    EXPECT_EQ("[Main]\r\nA=1\r\n\r\n[Rubso]\r\nPth=x\r\n", Bytes());
}

TEST_F(IniFileTest, LfFileStaysLf) {
    IniFile ini = With("[Main]\nA=1\n");
    ASSERT_TRUE(ini.WriteString("Main", "B", "2"));
    ASSERT_TRUE(ini.WriteString("Rubso", "Pth", "x"));
    EXPECT_EQ("[Main]\nA=1\nB=2\n\n[Rubso]\nPth=x\n", Bytes());
}

TEST_F(IniFileTest, ByteOrderMarkIsKeptAndTheFirstSectionStillMatches) {
    IniFile ini = With("\xEF\xBB\xBF[Main]\r\nA=1\r\n");
    ASSERT_TRUE(ini.WriteString("Main", "A", "2"));
    EXPECT_EQ("\xEF\xBB\xBF[Main]\r\nA=2\r\n", Bytes());
}

TEST_F(IniFileTest, WriteAddressesTheFirstOfTwoEqualKeys) {
    IniFile ini = With("[Main]\r\nTypDokum=WZ\r\nTYPDOKUM=PA\r\n");
    ASSERT_TRUE(ini.WriteString("Main", "typdokum", "RW"));
    EXPECT_EQ("[Main]\r\nTypDokum=RW\r\nTYPDOKUM=PA\r\n", Bytes());
}

TEST_F(IniFileTest, WriteMatchesAPolishKeyInAnotherCase) {
    IniFile ini = With(Cp1250("[Główne]\r\nŚcieżka=a\r\n"));
    ASSERT_TRUE(ini.WriteString(Cp1250("GŁÓWNE"), Cp1250("ŚCIEŻKA"), "b"));
    EXPECT_EQ(Cp1250("[Główne]\r\nŚcieżka=b\r\n"), Bytes());
}

TEST_F(IniFileTest, HandEditBetweenTwoWritesIsKept) {
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("Main", "A", "1"));
    WriteBytes(path_, Bytes() + "; added by hand\r\nB=hand\r\n");
    ASSERT_TRUE(ini.WriteString("Main", "C", "3"));
    EXPECT_EQ("[Main]\r\nA=1\r\n; added by hand\r\nB=hand\r\nC=3\r\n", Bytes());
    EXPECT_EQ("hand", ini.ReadString("Main", "B", "?"));
}

TEST_F(IniFileTest, WriteReadsBackWhatWasWritten) {
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("Main", "AsorPth", Cp1250("C:\\Żabka\\")));
    ASSERT_TRUE(ini.WriteInteger("KASA 1", "RateIndx", -3));
    ASSERT_TRUE(ini.WriteBool("Main", "UseEAN", false));
    ASSERT_TRUE(ini.WriteFloat("Main", "Rate", 12.5));
    EXPECT_EQ(Cp1250("C:\\Żabka\\"), ini.ReadString("Main", "AsorPth", "?"));
    EXPECT_EQ(-3, ini.ReadInteger("KASA 1", "RateIndx", 0));
    EXPECT_EQ("0", ini.ReadString("Main", "UseEAN", "?"));
    EXPECT_FALSE(ini.ReadBool("Main", "UseEAN", true));
    EXPECT_EQ(12.5, ini.ReadFloat("Main", "Rate", 0));
}

TEST_F(IniFileTest, LineBreaksInAValueBecomeBlanks) {
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("Main", "A", "one\r\ntwo\nthree"));
    EXPECT_EQ("[Main]\r\nA=one  two three\r\n", Bytes());
}

TEST_F(IniFileTest, WriteWithAnEmptySectionOrKeyIsRefused) {
    IniFile ini(path_);
    EXPECT_FALSE(ini.WriteString("", "A", "1"));
    EXPECT_FALSE(ini.WriteString("Main", "  ", "1"));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(IniFileTest, WriteThatCannotReachTheDiskFailsQuietly) {
    IniFile inMissingDir(dir_.File("no such dir/rubso.INI"));
    EXPECT_FALSE(inMissingDir.WriteString("Main", "A", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("no such dir")));

    std::filesystem::create_directory(dir_.File("rubso.INI.dir"));
    IniFile onDirectory(dir_.File("rubso.INI.dir"));
    EXPECT_FALSE(onDirectory.WriteString("Main", "A", "1"));
    EXPECT_EQ("def", onDirectory.ReadString("Main", "A", "def"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File("rubso.INI.dir")));
}

TEST_F(IniFileTest, UnreadableFileIsNotReplacedByAWrite) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    IniFile ini = With("[Main]\r\nA=1\r\n");
    std::filesystem::permissions(path_, std::filesystem::perms::owner_write);
    EXPECT_FALSE(ini.WriteString("Main", "B", "2"));
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    EXPECT_EQ("[Main]\r\nA=1\r\n", Bytes());
}

TEST_F(IniFileTest, WriteLeavesNoTemporaryFileBehind) {
    IniFile ini = With(kHandEdited);
    ASSERT_TRUE(ini.WriteString("Main", "A", "1"));
    ASSERT_TRUE(ini.WriteString("KASA 9", "A", "1"));
    Names entries;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
        entries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(Names{"rubso.INI"}, entries);
}

TEST_F(IniFileTest, WritingTheValueAlreadyReadLeavesTheFileAlone) {
    IniFile ini = With("[Main]\r\n  A = \"1\" \r\n");
    const auto stamp = std::filesystem::last_write_time(path_) - std::chrono::hours(1);
    std::filesystem::last_write_time(path_, stamp);
    ASSERT_TRUE(ini.WriteString("Main", "a", "1"));
    EXPECT_EQ("[Main]\r\n  A = \"1\" \r\n", Bytes());
    EXPECT_EQ(stamp, std::filesystem::last_write_time(path_));
}

// --- Listing and removing --------------------------------------------------

TEST_F(IniFileTest, ReadSectionListsKeyNamesOnceInFileOrder) {
    const IniFile ini = With(
        "[Main]\r\n; "
        "c=0\r\nBarKod=1\r\nAsorPth=2\r\nbarkod=3\r\njunk\r\nUseEAN=4\r\n[X]\r\nZ=1\r\n");
    EXPECT_EQ((Names{"BarKod", "AsorPth", "UseEAN"}), ini.ReadSection("MAIN"));
}

TEST_F(IniFileTest, EraseSectionRemovesItsLinesAndEveryCopy) {
    IniFile ini = With(
        "; top\r\n[Main]\r\nA=1\r\n\r\n[KASA 1]\r\nT=5\r\n; about KASA 1\r\n\r\n[main]\r\nB=2\r\n"
        "[Rubso]\r\nPth=x\r\n");
    ASSERT_TRUE(ini.EraseSection("MAIN"));
    EXPECT_EQ("; top\r\n[KASA 1]\r\nT=5\r\n; about KASA 1\r\n\r\n[Rubso]\r\nPth=x\r\n", Bytes());
    EXPECT_FALSE(ini.SectionExists("Main"));
}

TEST_F(IniFileTest, EraseOrDeleteOfSomethingMissingChangesNothing) {
    IniFile absent(dir_.File("absent.INI"));
    EXPECT_TRUE(absent.EraseSection("Main"));
    EXPECT_TRUE(absent.DeleteKey("Main", "A"));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("absent.INI")));

    IniFile ini = With("[Main]\nA=1");
    EXPECT_TRUE(ini.EraseSection("Rubso"));
    EXPECT_TRUE(ini.DeleteKey("Main", "B"));
    EXPECT_TRUE(ini.DeleteKey("Rubso", "A"));
    EXPECT_EQ("[Main]\nA=1", Bytes());
}

TEST_F(IniFileTest, DeleteKeyRemovesEveryCopyInTheFirstSectionOnly) {
    IniFile ini = With("[Main]\r\nA=1\r\n;A=comment\r\nB=2\r\na=3\r\n[Other]\r\nA=4\r\n");
    ASSERT_TRUE(ini.DeleteKey("main", "A"));
    EXPECT_EQ("[Main]\r\n;A=comment\r\nB=2\r\n[Other]\r\nA=4\r\n", Bytes());
    EXPECT_FALSE(ini.ValueExists("Main", "A"));
    EXPECT_EQ("4", ini.ReadString("Other", "A", "?"));
}

}  // namespace
}  // namespace rubso
