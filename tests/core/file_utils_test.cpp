#include "core/file_utils.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <filesystem>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::TempDir;
using Names = std::vector<std::string>;

void MakeDir(const std::string& path) {
    std::filesystem::create_directories(path);
}

// --- Paths ------------------------------------------------------------------

TEST(WithTrailingSeparator, AddsTheSeparatorTheRuleChooses) {
    struct Case {
        std::string path, separator, result;
    };
    const std::vector<Case> cases = {
        {"C:", "", "C:"},
        {"C:", "\\", "C:"},
        {"x/y", "", "x/y/"},
        {"x/y/", "", "x/y/"},
        {"C:\\db", "", "C:\\db\\"},
        {"C:\\db\\", "", "C:\\db\\"},
        {"a/b\\c", "", "a/b\\c\\"},  // any backslash chooses "\"
        {"", "", ""},
        {"", "/", ""},
        {"x/y", "\\", "x/y\\"},
        {"x\\y", "/", "x\\y/"},
        {"dir", "::", "dir::"},
        {"dir::", "::", "dir::"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.path + "' with '" + c.separator + "'");
        EXPECT_EQ(c.result, WithTrailingSeparator(c.path, c.separator));
    }
}

TEST(EnsureDir, CreatesEveryMissingLevel) {
    TempDir dir;
    const std::string path = dir.File("a/b/c");
    EXPECT_TRUE(EnsureDir(path));
    EXPECT_TRUE(DirectoryExists(path));
    EXPECT_TRUE(EnsureDir(path));  // existing already
    EXPECT_TRUE(EnsureDir(dir.File("a/b/d/")));
}

TEST(EnsureDir, FailsForAnEmptyPathOrAFileInTheWay) {
    TempDir dir;
    EXPECT_FALSE(EnsureDir(""));
    ASSERT_TRUE(WriteFileText("x", dir.File("file")));
    EXPECT_FALSE(EnsureDir(dir.File("file")));
    EXPECT_FALSE(EnsureDir(dir.File("file/sub")));
}

TEST(FileExists, FilesAndDirectoriesAreToldApart) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("", dir.File("f")));
    EXPECT_TRUE(FileExists(dir.File("f")));
    EXPECT_FALSE(DirectoryExists(dir.File("f")));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST(DeleteFileIfExists, LeavesNoFileAndNeverRemovesADirectory) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("x", dir.File("f")));
    EXPECT_TRUE(DeleteFileIfExists(dir.File("f")));
    EXPECT_FALSE(FileExists(dir.File("f")));
    EXPECT_TRUE(DeleteFileIfExists(dir.File("f")));  // already gone
    MakeDir(dir.File("d"));
    EXPECT_FALSE(DeleteFileIfExists(dir.File("d")));
    EXPECT_TRUE(DirectoryExists(dir.File("d")));
}

// --- Whole files ------------------------------------------------------------

TEST(FileText, WrittenBytesAreReadBackUnchanged) {
    TempDir dir;
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != 26) bytes.push_back(static_cast<char>(b));
    }
    bytes += "\r\nline\nlast";
    ASSERT_TRUE(WriteFileText(bytes, dir.File("f.txt")));
    EXPECT_EQ(bytes, ReadFileText(dir.File("f.txt")));
}

TEST(FileText, ReadingStopsAtCtrlZ) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText(std::string("ab\r\ncd\x1a"
                                          "ef\r\n"),
                              dir.File("f.txt")));
    EXPECT_EQ("ab\r\ncd", ReadFileText(dir.File("f.txt")));
    ASSERT_TRUE(WriteFileText(std::string("\x1a"
                                          "abc"),
                              dir.File("g.txt")));
    EXPECT_EQ("", ReadFileText(dir.File("g.txt")));
}

TEST(FileText, MissingFileOrDirectoryReadsAsEmptyText) {
    TempDir dir;
    EXPECT_EQ("", ReadFileText(dir.File("missing.txt")));
    EXPECT_EQ("", ReadFileText(dir.Path()));
    EXPECT_EQ("", ReadFileText(""));
}

TEST(FileText, WritingTruncatesAndAddsNoLineEnd) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("a much longer first content", dir.File("f.txt")));
    ASSERT_TRUE(WriteFileText("short", dir.File("f.txt")));
    EXPECT_EQ("short", ReadFileText(dir.File("f.txt")));
    ASSERT_TRUE(WriteFileText("", dir.File("f.txt")));
    EXPECT_TRUE(FileExists(dir.File("f.txt")));
    EXPECT_EQ("", ReadFileText(dir.File("f.txt")));
}

TEST(FileText, WritingIntoAMissingDirectoryFailsQuietly) {
    TempDir dir;
    EXPECT_FALSE(WriteFileText("x", dir.File("no/such/f.txt")));
    EXPECT_FALSE(WriteFileText("x", dir.Path()));
}

// --- Text files line by line ------------------------------------------------

TEST(TextFile, AppendingToAMissingFileFailsAndWritesNothing) {
    TempDir dir;
    TextFile file;
    EXPECT_FALSE(OpenTextFile(dir.File("log.txt"), kAppend, file));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(WriteTextLine("one", file));
    EXPECT_FALSE(WriteTextLine("two", file));
    EXPECT_FALSE(CloseTextFile(file));
    EXPECT_FALSE(FileExists(dir.File("log.txt")));
}

TEST(TextFile, AppendingWritesAfterTheContent) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("old\r\n", dir.File("log.txt")));
    TextFile file;
    ASSERT_TRUE(OpenTextFile(dir.File("log.txt"), kAppend, file));
    EXPECT_TRUE(WriteTextLine("new", file));
    EXPECT_TRUE(CloseTextFile(file));
    EXPECT_EQ("old\r\nnew\r\n", ReadFileText(dir.File("log.txt")));
}

TEST(TextFile, RewritingCreatesOrTruncatesAndEndsLinesWithCrLf) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("old content", dir.File("f.txt")));
    TextFile file;
    ASSERT_TRUE(OpenTextFile(dir.File("f.txt"), kRewrite, file));
    EXPECT_TRUE(WriteTextLine("a;b", file));
    EXPECT_TRUE(WriteTextLine("", file));
    EXPECT_TRUE(CloseTextFile(file));
    EXPECT_EQ("a;b\r\n\r\n", ReadFileText(dir.File("f.txt")));

    ASSERT_TRUE(OpenTextFile(dir.File("new.txt"), kRewrite, file));
    EXPECT_TRUE(CloseTextFile(file));
    EXPECT_TRUE(FileExists(dir.File("new.txt")));
}

TEST(TextFile, ClosesAndFlushesWhenItGoesOutOfScope) {
    TempDir dir;
    {
        TextFile file;
        ASSERT_TRUE(OpenTextFile(dir.File("f.txt"), kRewrite, file));
        ASSERT_TRUE(WriteTextLine("kept", file));
    }
    EXPECT_EQ("kept\r\n", ReadFileText(dir.File("f.txt")));
}

TEST(TextFile, OpeningAgainClosesTheFirstFile) {
    TempDir dir;
    TextFile file;
    ASSERT_TRUE(OpenTextFile(dir.File("a.txt"), kRewrite, file));
    ASSERT_TRUE(WriteTextLine("first", file));
    ASSERT_TRUE(OpenTextFile(dir.File("b.txt"), kRewrite, file));
    ASSERT_TRUE(WriteTextLine("second", file));
    ASSERT_TRUE(CloseTextFile(file));
    EXPECT_EQ("first\r\n", ReadFileText(dir.File("a.txt")));
    EXPECT_EQ("second\r\n", ReadFileText(dir.File("b.txt")));
}

TEST(TextFile, UnknownModeOrBadPathFails) {
    TempDir dir;
    TextFile file;
    EXPECT_FALSE(OpenTextFile(dir.File("f.txt"), 3, file));
    EXPECT_FALSE(OpenTextFile(dir.File("f.txt"), -1, file));
    EXPECT_FALSE(OpenTextFile(dir.File("no/such/f.txt"), kRewrite, file));
    EXPECT_FALSE(OpenTextFile(dir.File("missing.txt"), kRead, file));
    EXPECT_FALSE(OpenTextFile(dir.Path(), kRead, file));
    EXPECT_FALSE(OpenTextFile(dir.Path(), kAppend, file));
    EXPECT_FALSE(file.IsOpen());
}

TEST(TextFile, ReadsLinesEndedByAnyLineEnd) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("a\r\nb\nc\rd\r\n\r\ne", dir.File("f.txt")));
    TextFile file;
    ASSERT_TRUE(OpenTextFile(dir.File("f.txt"), kRead, file));
    Names lines;
    std::string line;
    while (ReadTextLine(file, line)) lines.push_back(line);
    EXPECT_EQ((Names{"a", "b", "c", "d", "", "e"}), lines);
    EXPECT_FALSE(WriteTextLine("x", file));  // opened for reading
}

TEST(TextFile, ReadingLinesStopsAtCtrlZ) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText(std::string("a\r\nb\x1a"
                                          "c\r\nd\r\n"),
                              dir.File("f.txt")));
    TextFile file;
    ASSERT_TRUE(OpenTextFile(dir.File("f.txt"), kRead, file));
    Names lines;
    std::string line;
    while (ReadTextLine(file, line)) lines.push_back(line);
    EXPECT_EQ((Names{"a", "b"}), lines);
    EXPECT_FALSE(ReadTextLine(file, line));
}

// --- Listing files ----------------------------------------------------------

TEST(MatchesMask, StarAndQuestionMarkIgnoringCase) {
    struct Case {
        std::string name, mask;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"a.txt", "*", true},
        {"README", "*.*", true},
        {"a.txt", "*.txt", true},
        {"a.TXT", "*.txt", true},
        {"A.txt", "a.*", true},
        {"a.txt.bak", "*.txt", false},
        {".txt", "*.txt", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"aXbYbZc", "a*b*c", true},
        {"aXbYbZ", "a*b*c", false},
        {"20240305_1.txt", "20240305_*.txt", true},
        {"20240306_1.txt", "20240305_*.txt", false},
        {"x", "", false},
        {"", "*", true},
        {Cp1250("ŁÓDŹ.txt"), Cp1250("łódź.*"), true},
        {Cp1250("ŻABA"), Cp1250("źaba"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.name + "' by '" + c.mask + "'");
        EXPECT_EQ(c.matches, MatchesMask(c.name, c.mask));
    }
}

class ListFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"b.txt", "A.TXT", "c.dat", ".hidden.txt", "a2.txt"}) {
            ASSERT_TRUE(WriteFileText("x", dir_.File(name)));
        }
        MakeDir(dir_.File("dir.txt"));  // a directory that matches the mask
        ASSERT_TRUE(WriteFileText("x", dir_.File("dir.txt/inner.txt")));
    }

    std::string Directory() const { return DropLastSeparator(dir_.Path()); }
    static std::string DropLastSeparator(const std::string& path) {
        return path.substr(0, path.size() - 1);
    }

    TempDir dir_;
};

TEST_F(ListFilesTest, ListsMatchingFilesInNameOrderWithoutRegardToCase) {
    Names list;
    EXPECT_EQ(4, ListFiles(list, dir_.Path(), "*.txt"));
    EXPECT_EQ((Names{dir_.File(".hidden.txt"), dir_.File("A.TXT"), dir_.File("a2.txt"),
                     dir_.File("b.txt")}),
              list);
}

TEST_F(ListFilesTest, AddsTheSeparatorWhenTheDirectoryHasNone) {
    Names list;
    EXPECT_EQ(1, ListFiles(list, Directory(), "c.*"));
    EXPECT_EQ((Names{Directory() + kPathSeparator + "c.dat"}), list);
}

TEST_F(ListFilesTest, AppendsToTheListAndReturnsItsTotalCount) {
    Names list = {"earlier"};
    EXPECT_EQ(2, ListFiles(list, dir_.Path(), "*.dat"));
    EXPECT_EQ((Names{"earlier", dir_.File("c.dat")}), list);
}

TEST_F(ListFilesTest, MissingDirectoryAddsNothing) {
    Names list = {"earlier"};
    EXPECT_EQ(1, ListFiles(list, dir_.File("missing"), "*"));
    EXPECT_EQ((Names{"earlier"}), list);
    EXPECT_EQ(0, CountFiles(dir_.File("missing"), "*"));
}

TEST_F(ListFilesTest, EmptyDirectoryMeansTheWorkingDirectoryWithoutPrefix) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    Names list;
    const int count = ListFiles(list, "", "*.dat");
    const int counted = CountFiles("", "*.dat");
    std::filesystem::current_path(saved);
    EXPECT_EQ(1, count);
    EXPECT_EQ((Names{"c.dat"}), list);
    EXPECT_EQ(1, counted);
}

TEST_F(ListFilesTest, CountFilesCountsTheSameEntries) {
    EXPECT_EQ(4, CountFiles(dir_.Path(), "*.txt"));
    EXPECT_EQ(4, CountFiles(Directory(), "*.TXT"));
    EXPECT_EQ(5, CountFiles(dir_.Path(), "*"));
    EXPECT_EQ(0, CountFiles(dir_.Path(), "*.pdf"));
}

// --- File dates -------------------------------------------------------------

TEST(FileDateText, LastModificationInLocalTime) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("x", dir.File("f.txt")));
    QFile file(QString::fromStdString(dir.File("f.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ("05.03.2024 07:08:09", FileDateText(dir.File("f.txt")));
}

TEST(FileDateText, MidnightStillShowsTheTime) {
    TempDir dir;
    ASSERT_TRUE(WriteFileText("x", dir.File("f.txt")));
    QFile file(QString::fromStdString(dir.File("f.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2023, 12, 31), QTime(0, 0)),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ("31.12.2023 00:00:00", FileDateText(dir.File("f.txt")));
}

TEST(FileDateText, MissingFileGivesEmptyText) {
    TempDir dir;
    EXPECT_EQ("", FileDateText(dir.File("missing.txt")));
    EXPECT_EQ("", FileDateText(""));
}

}  // namespace
}  // namespace rubso
