#pragma once
// The kasa-sim command line: rings up sales on a simulated register, shows
// its memory and arms failures, so tests and the demo can play a shop day.
// Commands (the state root is --state DIR, else $RUBSO_SIM_STATE, else "sim"):
//   sell NR CODE QUANTITY [--discount=GROSZE] [--cancelled] [--uncounted] [CODE QUANTITY ...]
//   list NR
//   fail NR FUNCTION CODE [TIMES]
//   modem NR on|off
//   max-code NR N
//   clear NR
//   koment PATH

#include <ostream>
#include <string>
#include <vector>

namespace rubso::sim {

// Runs one command (`args` without the program name). Returns the exit
// status: 0 done, 1 refused by the register, 2 a usage error.
int RunKasaSimTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rubso::sim
