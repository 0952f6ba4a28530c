#pragma once
// The memory of one simulated register, kept in files between calls, in
// "<root>/kasa<NN>/", the root being $RUBSO_SIM_STATE or "sim" under the
// current directory: "state.txt", a whole state as it stood after some
// call, and "journal.txt", the changes of the calls since (sim_journal.h).
// A whole state is written as a new file renamed over the old one, so a
// crash leaves either the old one or the new one.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "register/sim/sim_errors.h"

namespace rubso::sim {

constexpr std::int64_t kDefaultMaxCode = 99'999;
constexpr std::int64_t kMaxQuantity = 99'999'999;  // thousandths: 99 999.999

struct Good {
    std::string name;  // as sent (code page 852, padded to 19)
    int vatGroup = 1;
    std::string field4 = "1";
    std::string field5 = "0";
    int unit = 1;
    std::string field7 = "0";
    std::string barCode;
    std::int64_t price = 0;  // grosze
    std::string field10 = "0";
};

// One line of a receipt.
struct SaleLine {
    std::int64_t receipt = 0;
    std::int64_t code = 0;
    std::int64_t quantity = 0;  // thousandths
    std::int64_t price = 0;     // grosze, the good's price when sold
    std::int64_t discount = 0;  // grosze taken off the line
    bool cancelled = false;     // rung up and then cancelled: counts nowhere
    // A register fault, played by tests: the line is on the receipt (OSprzed
    // lists it) but the register's totals (OTSpMax) missed it.
    bool uncounted = false;
};

// A switch that makes the next `count` calls of one function fail.
struct PendingFailure {
    int code = 0;
    int count = 0;
};

struct RegisterState {
    bool modem = false;    // reached by modem: calls need an open session
    bool session = false;  // a modem session is open
    std::int64_t maxCode = kDefaultMaxCode;
    std::int64_t nextReceipt = 1;
    std::map<std::string, PendingFailure> failures;  // by function name ("ZTowar")
    std::map<std::int64_t, Good> goods;              // by register code
    std::vector<SaleLine> sales;                     // since the last counter reset
    // The codes of the goods by name without surrounding blanks: kept by
    // whatever changes `goods` (the state's parser, StateEditor).
    std::multimap<std::string, std::int64_t> codesByName;
    // The number of the last journal entry this state includes.
    std::int64_t journalEntry = 0;
};

// The name as names are compared: without surrounding blanks.
std::string NameKey(std::string_view name);

// --- Lines of the state file, shared with the journal -----------------------------

// Numbers in the state file stay within +-10^18.
constexpr std::int64_t kStateNumberLimit = 1'000'000'000'000'000;

using LineFields = std::vector<std::string_view>;

// The fields separated by TAB, a line feed after the last.
void AppendStateLine(std::string& text, std::initializer_list<std::string_view> fields);
// "good", code and the ten record fields' values.
void AppendGoodLine(std::string& text, std::int64_t code, const Good& good);
// "sale", receipt, code, quantity in thousandths, price, discount, cancelled;
// an uncounted line has one more field, "1" (files without the fault keep
// their seven fields).
void AppendSaleLine(std::string& text, const SaleLine& line);

// A line split at TABs, its tag first; false for anything but a well-formed
// line of that kind.
bool ReadGoodLine(const LineFields& fields, std::int64_t& code, Good& good);
bool ReadSaleLine(const LineFields& fields, SaleLine& line);
bool ReadFailureLine(const LineFields& fields, std::string& function, PendingFailure& failure);
bool ReadStateNumber(std::string_view text, std::int64_t low, std::int64_t high,
                     std::int64_t& value);
bool ReadStateFlag(std::string_view text, bool& flag);

// Quantity × price rounded to the grosz (halves up), less the discount.
std::int64_t LineValue(const SaleLine& line);

struct SalesTotal {
    std::int64_t quantity = 0;  // thousandths
    std::int64_t value = 0;     // grosze
};
// Totals of the lines that were neither cancelled nor uncounted, by code;
// goods without such a line are left out.
std::map<std::int64_t, SalesTotal> SalesTotals(const RegisterState& state);
// True when any line since the last reset, cancelled or not, names the code.
bool HasSales(const RegisterState& state, std::int64_t code);
// Number of distinct receipts since the last reset.
std::size_t ReceiptCount(const RegisterState& state);

// $RUBSO_SIM_STATE when set and not empty, otherwise "sim".
std::string DefaultStateRoot();
// root + "/kasa" + two-digit number + "/state.txt".
std::filesystem::path StateFilePath(const std::string& root, int registerNo);
// "journal.txt" beside the state file.
std::filesystem::path JournalFilePath(const std::filesystem::path& stateFile);

// The whole state of the state file and the journal beside it. A missing
// state file gives an empty register; a damaged one, or a damaged entry of
// the journal, kStateUnreadable. Reads both whole: for the kasa-sim tool;
// the library keeps its copy (RegisterMemory, sim_memory.h).
Error LoadState(const std::filesystem::path& file, RegisterState& state);
// Writes the whole state and drops the journal. Creates the directory when
// needed; kStateNotSaved on failure (the old files are then untouched).
Error SaveState(const std::filesystem::path& file, const RegisterState& state);
// The state file's text written as a new file and renamed over the old one.
Error WriteStateFile(const std::filesystem::path& file, const std::string& text);

// The state file's text, and back; false for anything but a complete,
// well-formed text.
std::string StateText(const RegisterState& state);
bool ParseStateText(std::string_view text, RegisterState& state);
// The file's bytes; false when it cannot be read (or is beyond `limit`).
bool ReadWholeFile(const std::filesystem::path& file, std::uintmax_t limit, std::string& bytes);

}  // namespace rubso::sim
