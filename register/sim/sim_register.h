#pragma once
// The ten library functions as a simulated register carries them out, and
// the output files of the three reading functions.

#include <cstdint>
#include <string>
#include <string_view>

#include "register/sim/sim_state.h"

namespace rubso::sim {

enum class Function {
    kModStart,
    kModStop,
    kZTowar,
    kZCTowar,
    kKTowar,
    kKTowMax,
    kTowarMax,
    kOSprzed,
    kOTSpMax,
    kKSprOp,
};
constexpr int kFunctionCount = 10;

// The function's name without the leading underscores ("ZTowar").
const char* FunctionName(Function function);
// Accepts the name with or without the two leading underscores.
bool FunctionFromName(std::string_view name, Function& function);
// TowarMax, OSprzed and OTSpMax take an output path as well.
bool WritesOutput(Function function);

// Carries out one call: checks "KONFIG.txt", reads the input file, loads the
// register named by its first line, applies the call and saves the state,
// or writes the output file. Returns 0 or an Error code; never raises.
// The state root is DefaultStateRoot().
std::uint8_t RunFunction(Function function, const char* inputPath, const char* outputPath) noexcept;

// Output texts (CR LF lines): three header lines "#" + register number,
// "#" + number of records, "#" + column names; then one record per line.
std::string GoodsListText(int registerNo, const RegisterState& state);
std::string SalesText(int registerNo, const RegisterState& state);
std::string SalesTotalsText(int registerNo, const RegisterState& state);

}  // namespace rubso::sim
