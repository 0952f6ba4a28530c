#pragma once
// The command line of the end of day:
//
//   rubso --koniec-dnia [--data RRRR-MM-DD] [--kasy 1,3]
//
// --data: the sales date (default: today); --kasy: the registers by number
// (COM_DEF.KOD_KASA), in that order (default: every register whose AKTYWNY is
// 1, in COM_DEF order). Either option also takes its value after "=".
// Nothing else: the credentials come from the program's settings, never from
// the command line.

#include <QDate>
#include <optional>
#include <string>
#include <vector>

namespace rubso {

inline constexpr const char* kDayEndFlag = "--koniec-dnia";

struct DayEndOptions {
    QDate date;
    std::vector<int> registers;  // empty: the active ones
};

// True when an argument after the program's name is "--koniec-dnia".
bool IsDayEndCommand(int argc, char* argv[]);

// The arguments after the program's name. nullopt and `problem` (Polish, in
// the program's code page) for an unknown argument, a missing value, a date
// that is not a date or a register number that is not a number from 1 to 99.
std::optional<DayEndOptions> ParseDayEndOptions(const std::vector<std::string>& args,
                                                const QDate& today, std::string& problem);

// The usage text (code page 1250).
std::string DayEndUsage();

}  // namespace rubso
