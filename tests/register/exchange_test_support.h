#pragma once
// Fixtures for the exchange operations, run headless as the program runs
// them: a fresh program directory that is also the working directory (so
// "KONFIG.txt", "in/" and the simulated registers' memory "sim/" land in
// it), the process-wide state pointing there, a recording operator, the
// substitute register library loaded through the real loader from the
// build's program directory (RUBSO_WINIP_DIR) with its "koment.txt" copied
// beside, and the clock fixed on 16.03.2026 10:30.
//
// ExchangeTest needs no database: the register definition is made by hand.
// ExchangeDbTest adds a throw-away database with the trading program's side
// (goods table in either KOD_KASA form) brought up by the system's own
// upgrade, TDM connected, and the register with KOD_KASA 1 selected.

#include <gtest/gtest.h>

#include <QDateTime>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "db/goods_catalogue.h"
#include "fixture/trading_database.h"
#include "register/register_exchange.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"

namespace rubso::test {

inline constexpr int kExchangeYear = 2026;
inline const QDateTime kExchangeNow(QDate(kExchangeYear, 3, 16), QTime(10, 30, 0));

// Prints a message-field entry in a failed expectation.
void PrintTo(const RecordingOperator::Status& status, std::ostream* out);

// The program directory, the state and the operator, without a database.
class ProgramDir {
  public:
    ProgramDir();
    ~ProgramDir();
    ProgramDir(const ProgramDir&) = delete;
    ProgramDir& operator=(const ProgramDir&) = delete;

    const std::string& Path() const { return dir_.Path(); }
    // Runs the kasa-sim tool in the program directory; its exit status. Its
    // output lands in ToolOutput().
    int Tool(std::initializer_list<std::string> args);
    const std::string& ToolOutput() const { return toolOutput_; }
    // The error report's lines without their date stamps.
    std::vector<std::string> ErrorReportEntries() const;
    // Writes `text` into section "KASA n" of the settings file.
    void SetRegisterKey(int registerNo, const std::string& key, const std::string& value);

  private:
    TempDir dir_;
    std::filesystem::path previousDir_;
    std::string toolOutput_;
};

// A register definition as the upgrade makes the defaults: register n on
// port 1 at 9600 with time-out 0.
RegisterDefinition DefinitionOf(int registerNo);

class ExchangeTest : public ::testing::Test {
  protected:
    ExchangeTest();
    ~ExchangeTest() override;

    ScopedFixedClock clock_{kExchangeNow};
    ProgramDir dir_;
    ScopedRecordingOperator operator_;
    TfmE e_{RUBSO_WINIP_DIR};
};

}  // namespace rubso::test
