#pragma once
// The end of day without an operator, the program started as
//
//   rubso --koniec-dnia [--data RRRR-MM-DD] [--kasy 1,3]
//
// (a timer or cron runs it every evening; no display is needed). For every
// register chosen (dayend_options.h), one after the other, RegisterDayEnd
// reads, books, checks and resets; a register that fails stops only itself.
// A second run on the same day reports the registers already done and does
// nothing to them.
//
// Before any register: the settings are read as at the program's start, one
// run at a time per data directory (a lock, "KoniecDnia.lock"; a second run
// is refused), the database login from section [KoniecDnia]
// (dayend_credentials.h), the register library and the trading program's
// tables as the window uses them.
//
// Tells: a report file per run in the data directory (dayend_report.h), one
// work-log line per register, the report on standard output (UTF-8).
// Exit status: 0 every register closed; 1 some register not closed; 2 the
// run did not start (arguments, lock, credentials, database), nothing done.

namespace rubso {

inline constexpr int kDayEndAllClosed = 0;
inline constexpr int kDayEndSomeFailed = 1;
inline constexpr int kDayEndNotStarted = 2;

// Runs the end of day with the program's arguments; LoadInstallationSettings
// has run. Creates the (windowless) application object itself. Never raises.
int RunDayEndCommand(int argc, char* argv[]);

}  // namespace rubso
