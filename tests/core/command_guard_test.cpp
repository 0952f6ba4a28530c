#include "core/command_guard.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "core/clock.h"
#include "core/codepage.h"
#include "core/work_log.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/work_log_fixture.h"

namespace rubso {
namespace {

using test::ReadBytes;

using test::RecordingOperator;
using test::ScopedRecordingOperator;

// --- The report text --------------------------------------------------------

struct ReportCase {
    const char* name;
    ErrorContext context;
    const char* message;
    const char* expected;
};

class ExceptionReportTextTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ExceptionReportTextTest, JoinsContextAndMessage) {
    const ReportCase& c = GetParam();
    EXPECT_EQ(std::string(c.expected), ExceptionReportText(c.context, c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Contexts, ExceptionReportTextTest,
    ::testing::Values(
        ReportCase{"FullContext",
                   {"dm", "WriteParS", "WERSJA"},
                   "lock conflict",
                   "FORM :dm WriteParS  WERSJA\r\n!!!!!!!!!!! lock conflict"},
        ReportCase{"NoContext", {}, "boom", "FORM :   \r\n!!!!!!!!!!! boom"},
        ReportCase{
            "EmptyDetail", {"dm", "WriteParI", ""}, "x", "FORM :dm WriteParI  \r\n!!!!!!!!!!! x"},
        ReportCase{
            "EmptyMessage", {"dm", "WriteParD", "D"}, "", "FORM :dm WriteParD  D\r\n!!!!!!!!!!! "}),
    [](const ::testing::TestParamInfo<ReportCase>& p) { return std::string(p.param.name); });

// --- The guard --------------------------------------------------------------

using CommandGuardTest = test::WorkLogFixture;

TEST_F(CommandGuardTest, CompletedCommandReturnsTrueAndShowsNothing) {
    bool ran = false;
    EXPECT_TRUE(RunCommand([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(operator_->messages.empty());
    EXPECT_EQ("", Log());
}

TEST_F(CommandGuardTest, ThrowingCommandIsLoggedShownAndClearsTheContext) {
    const bool completed = RunCommand([] {
        SetErrorContext("dm", "WriteParS", "WERSJA");
        throw std::runtime_error("lock conflict on no wait transaction");
    });
    EXPECT_FALSE(completed);
    EXPECT_EQ(
        "[2.18.4] 15.03.2024 14:05:33: FORM :dm WriteParS  WERSJA\r\n"
        "!!!!!!!!!!! lock conflict on no wait transaction\r\n",
        Log());
    ASSERT_EQ(1u, operator_->messages.size());
    EXPECT_EQ("lock conflict on no wait transaction", operator_->messages[0].text);
    EXPECT_EQ(MessageIcon::Error, operator_->messages[0].icon);
    EXPECT_EQ("", CurrentErrorContext().unit);
    EXPECT_EQ("", CurrentErrorContext().operation);
    EXPECT_EQ("", CurrentErrorContext().detail);
}

TEST_F(CommandGuardTest, NextCommandRunsAfterAFailedOne) {
    RunCommand([] { throw std::runtime_error("first"); });
    EXPECT_FALSE(IsCommandRunning());
    bool ran = false;
    EXPECT_TRUE(RunCommand([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST_F(CommandGuardTest, ExceptionWithoutContextLogsBlanks) {
    RunCommand([] { throw std::runtime_error("boom"); });
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: FORM :   \r\n!!!!!!!!!!! boom\r\n", Log());
}

TEST_F(CommandGuardTest, ContextLeftByACompletedCommandIsPrintedWithALaterFailure) {
    // Only the handler clears the context, so a later failure prints the
    // statement an earlier command set.
    RunCommand([] { SetErrorContext("dm", "WriteParI", "FW"); });
    RunCommand([] { throw std::runtime_error("later"); });
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: FORM :dm WriteParI  FW\r\n!!!!!!!!!!! later\r\n",
              Log());
}

TEST_F(CommandGuardTest, PolishMessageReachesLogAndBoxAsSameBytes) {
    const std::string message = Cp1250("Błąd zapisu parametru");
    RunCommand([&] { throw std::runtime_error(message); });
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: FORM :   \r\n!!!!!!!!!!! " + message + "\r\n", Log());
    EXPECT_EQ(std::vector<std::string>{message}, operator_->MessageTexts());
}

TEST_F(CommandGuardTest, ExceptionOfAnyTypeIsHandled) {
    EXPECT_FALSE(RunCommand([] { throw 42; }));
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: FORM :   \r\n!!!!!!!!!!! " +
                  UnknownExceptionMessage() + "\r\n",
              Log());
    EXPECT_EQ(std::vector<std::string>{UnknownExceptionMessage()}, operator_->MessageTexts());
    EXPECT_FALSE(IsCommandRunning());
}

TEST_F(CommandGuardTest, EmptyCommandIsHandledNotFatal) {
    EXPECT_FALSE(RunCommand(std::function<void()>()));
    EXPECT_EQ(1u, operator_->messages.size());
}

TEST_F(CommandGuardTest, NestedCommandIsRefusedWithoutRunning) {
    bool innerRan = false;
    bool innerAccepted = true;
    bool runningInside = false;
    EXPECT_TRUE(RunCommand([&] {
        runningInside = IsCommandRunning();
        innerAccepted = RunCommand([&] { innerRan = true; });
    }));
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(innerAccepted);
    EXPECT_FALSE(innerRan);
    EXPECT_FALSE(IsCommandRunning());
    EXPECT_TRUE(operator_->messages.empty());
}

TEST_F(CommandGuardTest, RefusedNestedCommandDoesNotEndTheRunningOne) {
    bool stillRunning = false;
    RunCommand([&] {
        RunCommand([] {});
        stillRunning = IsCommandRunning();
    });
    EXPECT_TRUE(stillRunning);
}

TEST_F(CommandGuardTest, RunningFlagIsResetAfterAnException) {
    RunCommand([] { throw std::logic_error("x"); });
    EXPECT_FALSE(IsCommandRunning());
    RunCommand([] { throw 1; });
    EXPECT_FALSE(IsCommandRunning());
}

// An error box that itself fails must not take the program down.
class FailingBoxOperator : public RecordingOperator {
  public:
    MessageAnswer Ask(const MessageBoxRequest&) override { throw std::runtime_error("no screen"); }
};

TEST_F(CommandGuardTest, FailingErrorBoxStillLogsAndClearsTheContext) {
    FailingBoxOperator failing;
    SetOperator(&failing);
    const bool completed = RunCommand([] {
        SetErrorContext("dm", "WriteParS", "X");
        throw std::runtime_error("boom");
    });
    SetOperator(&*operator_);
    EXPECT_FALSE(completed);
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: FORM :dm WriteParS  X\r\n!!!!!!!!!!! boom\r\n", Log());
    EXPECT_EQ("", CurrentErrorContext().unit);
    EXPECT_FALSE(IsCommandRunning());
}

TEST_F(CommandGuardTest, UnwritableLogStillShowsTheMessage) {
    std::ofstream(dir_.File("plain")) << "x";  // a file where the data directory should be
    InitWorkLog(dir_.File("plain/"), QDate(2024, 3, 15));
    EXPECT_FALSE(RunCommand([] { throw std::runtime_error("boom"); }));
    EXPECT_EQ(std::vector<std::string>{"boom"}, operator_->MessageTexts());
}

TEST_F(CommandGuardTest, HandleExceptionOutsideACommandLogsAndShows) {
    SetErrorContext("dm", "WriteParF", "KURS");
    HandleException(std::runtime_error("direct"));
    EXPECT_EQ("[2.18.4] 15.03.2024 14:05:33: FORM :dm WriteParF  KURS\r\n!!!!!!!!!!! direct\r\n",
              Log());
    EXPECT_EQ(std::vector<std::string>{"direct"}, operator_->MessageTexts());
    EXPECT_EQ("", CurrentErrorContext().detail);
}

}  // namespace
}  // namespace rubso
