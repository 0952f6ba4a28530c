#pragma once
// A test with the work log in a fresh directory (the month of 15.03.2024), the
// clock fixed at 15.03.2024 14:05:33, an empty error context and a recording
// operator. The process-wide log is restored afterwards.

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <string>

#include "core/clock.h"
#include "core/work_log.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"

namespace rubso::test {

class WorkLogFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = WorkLog();
        InitWorkLog(dir_.Path(), QDate(2024, 3, 15));
        ClearErrorContext();
    }
    void TearDown() override {
        ClearErrorContext();
        WorkLog() = saved_;
    }

    // The whole work log as stored.
    std::string Log() const { return ReadBytes(WorkLogPath()); }

    TempDir dir_;
    ScopedFixedClock clock_{QDateTime(QDate(2024, 3, 15), QTime(14, 5, 33))};
    ScopedRecordingOperator operator_;

  private:
    TMyEcho saved_;
};

}  // namespace rubso::test
