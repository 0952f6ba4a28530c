#pragma once
// The memory of one simulated register, kept in a file between calls:
// "<root>/kasa<NN>/state.txt", the root being $RUBSO_SIM_STATE or "sim"
// under the current directory. A save writes a new file and renames it over
// the old one, so a crash leaves either the old state or the new one.

#include <cstdint>
#include <filesystem>
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
};

// Quantity × price rounded to the grosz (halves up), less the discount.
std::int64_t LineValue(const SaleLine& line);

struct SalesTotal {
    std::int64_t quantity = 0;  // thousandths
    std::int64_t value = 0;     // grosze
};
// Totals of the lines that were not cancelled, by code; goods whose every
// line was cancelled are left out.
std::map<std::int64_t, SalesTotal> SalesTotals(const RegisterState& state);
// True when any line since the last reset, cancelled or not, names the code.
bool HasSales(const RegisterState& state, std::int64_t code);
// Number of distinct receipts since the last reset.
std::size_t ReceiptCount(const RegisterState& state);

// $RUBSO_SIM_STATE when set and not empty, otherwise "sim".
std::string DefaultStateRoot();
// root + "/kasa" + two-digit number + "/state.txt".
std::filesystem::path StateFilePath(const std::string& root, int registerNo);

// A missing file gives an empty register; a damaged one kStateUnreadable.
Error LoadState(const std::filesystem::path& file, RegisterState& state);
// Creates the directory when needed; kStateNotSaved on failure (the old
// file is then untouched).
Error SaveState(const std::filesystem::path& file, const RegisterState& state);

// The file's text, and back; false for anything but a complete, well-formed
// text.
std::string StateText(const RegisterState& state);
bool ParseStateText(std::string_view text, RegisterState& state);

}  // namespace rubso::sim
