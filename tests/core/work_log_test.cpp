#include "core/work_log.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/clock.h"
#include "core/codepage.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::ReadBytes;

using test::TempDir;

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const QDateTime kAfternoon(QDate(2024, 3, 15), QTime(14, 5, 33));
const QDateTime kMidnight(QDate(2024, 3, 15), QTime(0, 0, 0));

// Keeps the process-wide work log of the other tests out of the way.
class WorkLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = WorkLog();
        WorkLog() = TMyEcho{};
    }
    void TearDown() override { WorkLog() = saved_; }

    TempDir dir_;

  private:
    TMyEcho saved_;
};

// --- Binding the file -------------------------------------------------------

struct FileNameCase {
    const char* directory;
    const char* fileName;
    const char* expectedPath;
};

class EchoFileNameTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(EchoFileNameTest, PathFollowsDirectoryAndExtensionRule) {
    const FileNameCase& c = GetParam();
    TMyEcho echo;
    echo.SetFile(c.directory, c.fileName, "t", false, false);
    EXPECT_EQ(std::string(c.expectedPath), echo.FilePath());
}

INSTANTIATE_TEST_SUITE_P(
    SetFile, EchoFileNameTest,
    ::testing::Values(FileNameCase{"/r/Dane", "H_202403", "/r/Dane/H_202403.txt"},  // gets .txt
                      FileNameCase{"/r/Dane", "H_202403.txt", "/r/Dane/H_202403.txt"},
                      FileNameCase{"/r/Dane", "praca.log", "/r/Dane/praca.log"},  // any "." keeps
                      FileNameCase{"/r/Dane", "a.b.c", "/r/Dane/a.b.c"},
                      FileNameCase{"/r/Dane", "koniec.", "/r/Dane/koniec."},
                      FileNameCase{"/r/Dane/", "H", "/r/Dane/H.txt"},  // no doubled separator
                      FileNameCase{"", "H_202403", "H_202403.txt"},    // the name alone
                      FileNameCase{"", "x.log", "x.log"},
                      FileNameCase{"C:", "H", "C:H.txt"},  // a bare drive gets no separator
                      FileNameCase{"C:\\Rubso\\Dane", "H", "C:\\Rubso\\Dane\\H.txt"}));

TEST_F(WorkLogTest, SetFileOpensNothing) {
    TMyEcho echo;
    echo.SetFile(dir_.Path(), "H_202403", "2.18.4", false, false);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("H_202403.txt")));
}

TEST(EchoFlagsTest, FlagsAreTheNegationOfTheNoFlags) {
    TMyEcho echo;
    echo.SetFile("", "x", "tag", true, false);
    EXPECT_FALSE(echo.StampsTime());
    EXPECT_TRUE(echo.StampsDate());
    EXPECT_EQ("tag", echo.Tag());
}

// --- Line format ------------------------------------------------------------

struct LineCase {
    const char* name;
    const char* tag;
    bool noTime;
    bool noDate;
    QDateTime now;
    const char* expected;
};

class EchoLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(EchoLineTest, WritesTagStampAndMessage) {
    const LineCase& c = GetParam();
    TempDir dir;
    ScopedFixedClock clock(c.now);
    TMyEcho echo;
    echo.SetFile(dir.Path(), "log", c.tag, c.noTime, c.noDate);
    echo.Echo("M");
    EXPECT_EQ(std::string(c.expected), ReadBytes(dir.File("log.txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Stamps, EchoLineTest,
    ::testing::Values(
        LineCase{"DateAndTime", "2.18.4", false, false, kAfternoon,
                 "[2.18.4] 15.03.2024 14:05:33: M\r\n"},
        LineCase{"EmptyTagStartsWithStamp", "", false, false, kAfternoon,
                 "15.03.2024 14:05:33: M\r\n"},
        LineCase{"TimeOnly", "2.18.4", false, true, kAfternoon, "[2.18.4] 14:05:33: M\r\n"},
        LineCase{"NoTimeMeansNoStamp", "2.18.4", true, false, kAfternoon, "[2.18.4] M\r\n"},
        LineCase{"NoStampNoTag", "", true, true, kAfternoon, "M\r\n"},
        // Exactly midnight: the date-and-time stamp leaves the time out...
        LineCase{"MidnightDropsTime", "2.18.4", false, false, kMidnight,
                 "[2.18.4] 15.03.2024: M\r\n"},
        // ...but a time-only stamp still shows it.
        LineCase{"MidnightTimeOnlyKeepsTime", "", false, true, kMidnight, "00:00:00: M\r\n"},
        LineCase{"OneSecondAfterMidnight", "", false, false,
                 QDateTime(QDate(2024, 3, 15), QTime(0, 0, 1)), "15.03.2024 00:00:01: M\r\n"}),
    [](const ::testing::TestParamInfo<LineCase>& p) { return std::string(p.param.name); });

struct BreakCase {
    const char* name;
    const char* message;
    const char* expected;
};

class EchoLineBreakTest : public ::testing::TestWithParam<BreakCase> {};

TEST_P(EchoLineBreakTest, FurtherLinesCarryNoStampAndEndInCrLf) {
    const BreakCase& c = GetParam();
    TempDir dir;
    ScopedFixedClock clock(kAfternoon);
    TMyEcho echo;
    echo.SetFile(dir.Path(), "log", "2.18.4", false, false);
    echo.Echo(c.message);
    EXPECT_EQ(std::string(c.expected), ReadBytes(dir.File("log.txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, EchoLineBreakTest,
    ::testing::Values(
        BreakCase{"CrLf", "a\r\nb", "[2.18.4] 15.03.2024 14:05:33: a\r\nb\r\n"},
        BreakCase{"Lf", "a\nb", "[2.18.4] 15.03.2024 14:05:33: a\r\nb\r\n"},
        BreakCase{"LoneCr", "a\rb", "[2.18.4] 15.03.2024 14:05:33: a\r\nb\r\n"},
        BreakCase{"Mixed", "a\r\nb\nc\rd", "[2.18.4] 15.03.2024 14:05:33: a\r\nb\r\nc\r\nd\r\n"},
        BreakCase{"LfCrIsTwoBreaks", "a\n\rb", "[2.18.4] 15.03.2024 14:05:33: a\r\n\r\nb\r\n"},
        BreakCase{"TrailingBreakLeavesEmptyLine", "a\n", "[2.18.4] 15.03.2024 14:05:33: a\r\n\r\n"},
        BreakCase{"EmptyMessage", "", "[2.18.4] 15.03.2024 14:05:33: \r\n"}),
    [](const ::testing::TestParamInfo<BreakCase>& p) { return std::string(p.param.name); });

// --- Appending --------------------------------------------------------------

TEST_F(WorkLogTest, EchoCreatesMissingFileAndAppendsToExisting) {
    ScopedFixedClock clock(kAfternoon);
    TMyEcho echo;
    echo.SetFile(dir_.Path(), "log", "", true, true);
    echo.Echo("first");
    echo.Echo("second");
    EXPECT_EQ("first\r\nsecond\r\n", ReadBytes(dir_.File("log.txt")));
}

TEST_F(WorkLogTest, EchoKeepsWhatAnotherWriterLeft) {
    WriteBytes(dir_.File("log.txt"), "from the other copy\r\n");
    TMyEcho echo;
    echo.SetFile(dir_.Path(), "log", "", true, true);
    echo.Echo("mine");
    EXPECT_EQ("from the other copy\r\nmine\r\n", ReadBytes(dir_.File("log.txt")));
}

TEST_F(WorkLogTest, FileIsClosedBetweenLines) {
    // Removing the file between two lines must not lose the second one: each
    // line opens the path afresh instead of writing through a kept handle.
    TMyEcho echo;
    echo.SetFile(dir_.Path(), "log", "", true, true);
    echo.Echo("one");
    std::filesystem::remove(dir_.File("log.txt"));
    echo.Echo("two");
    EXPECT_EQ("two\r\n", ReadBytes(dir_.File("log.txt")));
}

TEST_F(WorkLogTest, PolishTextIsWrittenAsWindows1250Bytes) {
    ScopedFixedClock clock(kAfternoon);
    InitWorkLog(dir_.Path(), QDate(2024, 3, 15));
    WriteWorkLog(Cp1250("Łączenie z bazą ..."));
    // Ł = A3, ą = B9, ę = EA in Windows-1250.
    EXPECT_EQ(
        "[2.18.4] 15.03.2024 14:05:33: "
        "\xA3\xB9"
        "czenie z baz\xB9"
        " ...\r\n",
        ReadBytes(dir_.File("H_202403.txt")));
}

// --- Failures are silent ----------------------------------------------------

TEST_F(WorkLogTest, ParentThatIsAFileLosesTheLineSilently) {
    WriteBytes(dir_.File("plain"), "x");
    TMyEcho echo;
    echo.SetFile(dir_.File("plain"), "log", "t", false, false);
    EXPECT_NO_THROW(echo.Echo("lost"));
    EXPECT_EQ("x", ReadBytes(dir_.File("plain")));
}

TEST_F(WorkLogTest, LogPathThatIsADirectoryLosesTheLineSilently) {
    std::filesystem::create_directory(dir_.File("log.txt"));
    TMyEcho echo;
    echo.SetFile(dir_.Path(), "log", "t", false, false);
    EXPECT_NO_THROW(echo.Echo("lost"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File("log.txt")));
}

TEST_F(WorkLogTest, UnwritableDataDirectoryLosesLinesSilently) {
    WriteBytes(dir_.File("Dane"), "not a directory");
    InitWorkLog(dir_.File("Dane") + "/", QDate(2024, 3, 15));
    EXPECT_NO_THROW(WriteWorkLog("lost"));
    EXPECT_EQ("not a directory", ReadBytes(dir_.File("Dane")));
}

TEST_F(WorkLogTest, UnboundEchoWritesNothing) {
    TMyEcho echo;
    EXPECT_NO_THROW(echo.Echo("nowhere"));
    EXPECT_EQ("", WorkLogPath());
    EXPECT_NO_THROW(WriteWorkLog("before start"));
}

// --- The process-wide work log ----------------------------------------------

TEST_F(WorkLogTest, InitNamesTheMonthlyFileInTheDataDirectory) {
    InitWorkLog(dir_.Path(), QDate(2024, 1, 31));
    EXPECT_EQ(dir_.File("H_202401.txt"), WorkLogPath());
    EXPECT_EQ("2.18.4", WorkLog().Tag());
    EXPECT_TRUE(WorkLog().StampsTime());
    EXPECT_TRUE(WorkLog().StampsDate());
}

TEST_F(WorkLogTest, WriteWorkLogGoesToTheMonthlyFile) {
    ScopedFixedClock clock(kAfternoon);
    InitWorkLog(dir_.Path(), Clock::Today());
    WriteWorkLog("M");
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: M\r\n", ReadBytes(dir_.File("H_202403.txt")));
}

TEST_F(WorkLogTest, RunPassingMonthEndKeepsTheStartMonthsFile) {
    ScopedFixedClock clock(QDateTime(QDate(2024, 3, 31), QTime(23, 59, 59)));
    InitWorkLog(dir_.Path(), Clock::Today());
    WriteWorkLog("before");
    Clock::SetFixed(QDateTime(QDate(2024, 4, 1), QTime(0, 0, 1)));
    WriteWorkLog("after");
    EXPECT_EQ(
        "[2.18.4] 31.03.2024 23:59:59: before\r\n"
        "[2.18.4] 01.04.2024 00:00:01: after\r\n",
        ReadBytes(dir_.File("H_202403.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("H_202404.txt")));
}

// --- Error context ----------------------------------------------------------

TEST(ErrorContextTest, SetReplacesAllThreeAndClearEmptiesThem) {
    SetErrorContext("dm", "WriteParS", "WERSJA");
    SetErrorContext("dm", "WriteParI", "");
    EXPECT_EQ("dm", CurrentErrorContext().unit);
    EXPECT_EQ("WriteParI", CurrentErrorContext().operation);
    EXPECT_EQ("", CurrentErrorContext().detail);
    ClearErrorContext();
    EXPECT_EQ("", CurrentErrorContext().unit);
    EXPECT_EQ("", CurrentErrorContext().operation);
}

}  // namespace
}  // namespace rubso
