#pragma once
// The journal of a simulated register ("journal.txt" beside its state file):
// the changes of every call since the state file was written, one entry per
// call, appended whole, so that a call costs what it changes and not what
// the register holds.
//
// An entry is the call's change lines, then "commit" TAB + the entry's
// number; every line ends with LF. Change lines: "good" with the fields of
// the state file's good line (the good under that code, added or replaced),
// "price" code price, "drop" code, "drop-goods", "sale" with the fields of
// the state file's sale line (added), "drop-sales", "modem", "session",
// "max-code" and "next-receipt" with their new value, "fail" function code
// times, "fail-done" function, and "clear" (everything forgotten).
//
// A call killed while its entry was being written leaves an entry without
// its commit line: that entry is no change, so the register's memory is
// either as before the call or as after it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "register/sim/sim_errors.h"
#include "register/sim/sim_state.h"

namespace rubso::sim {

// Changes a state and notes each change as a journal line, with a way back:
// a call that fails half-way (the third of five records refused) undoes
// what it changed, so it changes nothing. Setting a value it already has is
// no change.
class StateEditor {
  public:
    explicit StateEditor(RegisterState& state) : state_(state) {}
    StateEditor(const StateEditor&) = delete;
    StateEditor& operator=(const StateEditor&) = delete;

    void PutGood(std::int64_t code, Good good);
    // The good must be held.
    void SetPrice(std::int64_t code, std::int64_t price);
    void EraseGood(std::int64_t code);
    void ClearGoods();
    void AddSale(const SaleLine& line);
    void ClearSales();
    void SetModem(bool on);
    void SetSession(bool open);
    void SetMaxCode(std::int64_t maxCode);
    void SetNextReceipt(std::int64_t nextReceipt);
    // A count of 0 or less removes the function's failure.
    void SetFailure(std::string function, PendingFailure failure);
    void Clear();

    // Takes back every change made through this editor, the last first.
    void Undo();
    // The change lines, each ended by LF; empty when nothing changed.
    const std::string& Lines() const { return lines_; }

  private:
    void Note(std::string line, std::function<void()> undo);
    void EraseName(std::int64_t code, const std::string& name);

    RegisterState& state_;
    std::string lines_;
    std::vector<std::function<void()>> undo_;
};

// The entry of a call: its change lines and the commit line with `number`.
std::string JournalEntry(const std::string& lines, std::int64_t number);

// Applies to `state` the entries of `text` numbered above
// state.journalEntry, in order. `validBytes` becomes the length of the
// complete entries (what follows them is an entry a killed call left
// unfinished). kStateUnreadable when a complete entry holds a line that is
// not a change or its number does not follow the one before.
Error ReplayJournal(std::string_view text, RegisterState& state, std::size_t& validBytes);

}  // namespace rubso::sim
