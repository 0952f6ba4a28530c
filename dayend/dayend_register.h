#pragma once
// The end of day of one register on the sales date App().saleDate: read the
// receipt lines (OSprzed) and the sales totals (OTSpMax, converted into a
// sales-read file), book the read as the day's WZ document, check the
// document against the receipts and the totals, and only when all of that
// succeeded reset the register's counters. Each step is noted in the
// register's state file (dayend_state.h) once its results are durable, so a
// run killed anywhere and started again goes on where it stopped:
// - it never resets counters whose sales are not booked: just before the
//   reset the register's receipt lines are read again and compared with
//   those of the read (reset_decision.h); sales rung up since are read and
//   booked first (the day's document is replaced), and a reset that already
//   happened is noted, not repeated;
// - it never books a read twice: a booking repeated after a kill replaces
//   the document of the same register and day (the package number);
// - a check that found differences leaves the counters alone; the next run
//   reads and books again and checks afresh.
// The register's lock (register_lock.h) is held for the whole run, so the
// window refuses commands on it meanwhile.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dayend/dayend_state.h"
#include "db/goods_catalogue.h"

namespace rubso {

class DayEndOperator;
class Tdmh;
class TfmE;

struct RegisterOutcome {
    enum class Kind { kFinished, kAlreadyDone, kFailed };
    int registerNo = 0;
    Kind kind = Kind::kFailed;
    DayEndState state;                     // as it stands after the run
    std::string failure;                   // why it stopped, in words (code page 1250)
    std::vector<std::string> differences;  // of a check that failed
};

class RegisterDayEnd {
  public:
    // The three must outlive this object; `screen` is the process-wide
    // operator while Run runs.
    RegisterDayEnd(TfmE& exchange, Tdmh& tdmh, DayEndOperator& screen);

    // Makes `definition` the current register and runs its end of day. A
    // register whose state says "wyzerowany" is left alone (kAlreadyDone).
    // Never raises: a failure of any kind stops this register only and is
    // described in the outcome.
    RegisterOutcome Run(const RegisterDefinition& definition);

    // Called each time a step's state has been written (for measuring where
    // the time goes); unset: nothing.
    void SetStepObserver(std::function<void(DayEndStep)> observer) {
        observer_ = std::move(observer);
    }

  private:
    bool Read(DayEndState& state);
    bool Book(DayEndState& state, const RegisterDefinition& definition);
    bool Check(DayEndState& state);
    bool Reset(DayEndState& state);
    bool Save(const DayEndState& state);
    bool Fail(const std::string& step, const std::string& reason);

    TfmE& exchange_;
    Tdmh& tdmh_;
    DayEndOperator& screen_;
    std::string kasaDir_;
    RegisterOutcome outcome_;
    std::function<void(DayEndStep)> observer_;
};

// A test hook: when the environment variable RUBSO_DAYEND_KILL_AT equals
// `point`, the process kills itself (SIGKILL) here, as a power failure or
// `kill -9` would. The points are the boundaries between the steps: "read",
// "read-saved", "booked", "booked-saved", "checked", "checked-saved",
// "reset" (after the step's work, before and after its state is written).
void DayEndKillPoint(const char* point);

}  // namespace rubso
