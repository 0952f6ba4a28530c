#include "core/error_report.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/clock.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::ReadBytes;

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ErrorReportTest : public ::testing::Test {
  protected:
    std::string Report() const { return ReadBytes(dir_.File("Error.txt")); }

    test::TempDir dir_;
    ErrorReport report_{dir_.File("Error.txt")};
};

TEST(DatedErrorLineTest, PutsDateTimeAndColonInFront) {
    ScopedFixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 33)));
    EXPECT_EQ("15.03.2024 14:05:33: Blad 3", DatedErrorLine("Blad 3"));
}

TEST(DatedErrorLineTest, AtMidnightShowsTheDateAlone) {
    ScopedFixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(0, 0, 0)));
    EXPECT_EQ("15.03.2024: x", DatedErrorLine("x"));
}

TEST_F(ErrorReportTest, AppendCreatesAMissingReport) {
    ASSERT_FALSE(std::filesystem::exists(dir_.File("Error.txt")));
    EXPECT_TRUE(report_.Append("first entry"));
    EXPECT_EQ("first entry\r\n", Report());
}

TEST_F(ErrorReportTest, AppendKeepsEarlierEntriesAndWritesLinesInOrder) {
    WriteBytes(dir_.File("Error.txt"), "old\r\n");
    EXPECT_TRUE(report_.Append(std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ("old\r\na\r\n\r\nb\r\n", Report());
}

TEST_F(ErrorReportTest, ReportDeletedWhileRunningIsStartedAgainByTheNextEntry) {
    report_.Append("before clearing");
    std::filesystem::remove(dir_.File("Error.txt"));
    EXPECT_TRUE(report_.Append("after clearing"));
    EXPECT_TRUE(report_.Append("later"));
    EXPECT_EQ("after clearing\r\nlater\r\n", Report());
}

TEST_F(ErrorReportTest, EachReportWritesOnlyItsOwnFileMakingItsDirectory) {
    const ErrorReport exchange(dir_.File("out/log.txt"));
    report_.Append("data dir");
    EXPECT_TRUE(exchange.Append("register exchange"));
    EXPECT_EQ("data dir\r\n", Report());
    EXPECT_EQ("register exchange\r\n", ReadBytes(dir_.File("out/log.txt")));
}

TEST_F(ErrorReportTest, RewriteReplacesTheWholeReport) {
    WriteBytes(dir_.File("Error.txt"), "old 1\r\nold 2\r\n");
    EXPECT_TRUE(report_.Rewrite({"new"}));
    EXPECT_EQ("new\r\n", Report());
}

TEST_F(ErrorReportTest, RewriteWithNoLinesLeavesAnEmptyFile) {
    WriteBytes(dir_.File("Error.txt"), "old\r\n");
    EXPECT_TRUE(report_.Rewrite({}));
    EXPECT_TRUE(std::filesystem::exists(dir_.File("Error.txt")));
    EXPECT_EQ("", Report());
}

TEST_F(ErrorReportTest, ReportUnderARegularFileFailsWithoutRaising) {
    WriteBytes(dir_.File("plain"), "x");
    const ErrorReport report(dir_.File("plain/Error.txt"));
    EXPECT_FALSE(report.Append("lost"));
    EXPECT_FALSE(report.Rewrite({"lost"}));
    EXPECT_EQ("x", ReadBytes(dir_.File("plain")));
}

TEST_F(ErrorReportTest, ReportPathThatIsADirectoryFailsWithoutRaising) {
    std::filesystem::create_directory(dir_.File("Error.txt"));
    EXPECT_FALSE(report_.Append("lost"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File("Error.txt")));
}

TEST_F(ErrorReportTest, EmptyPathWritesNothing) {
    const ErrorReport report{std::string()};
    EXPECT_FALSE(report.Append("lost"));
    EXPECT_FALSE(report.Rewrite({"lost"}));
}

}  // namespace
}  // namespace rubso
