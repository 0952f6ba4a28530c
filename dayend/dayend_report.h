#pragma once
// What the end of day tells: one line per register (the work log gets the
// same lines) and a report file per run in the data directory,
// "KoniecDnia_" + yyyyMMdd of the sales date + "_" + hhmmss of the start +
// ".txt", in the program's code page with CR LF lines.

#include <QDate>
#include <QDateTime>
#include <string>
#include <vector>

#include "dayend/dayend_register.h"

namespace rubso {

// "Kasa 1: zamknięta - dokument WZ/101260316, pozycji 3, brutto 12.34 zł,
// liczniki wyzerowane", "Kasa 1: zamknięta wcześniej - ...; bez zmian" or
// "Kasa 2: NIE ZAMKNIĘTA - " + the failure.
std::string OutcomeLine(const RegisterOutcome& outcome);

// The report: a heading with the date and the start, one line per register
// followed by its differences (indented), and the closing line. `refusal`
// not empty: the run did not start, and the report says why.
std::vector<std::string> DayEndReportLines(const QDate& saleDate, const QDateTime& started,
                                           const std::vector<RegisterOutcome>& outcomes,
                                           const std::string& refusal = {});

// True when every register finished (now or earlier) and the run started.
bool AllRegistersClosed(const std::vector<RegisterOutcome>& outcomes, const std::string& refusal);

// Writes the lines as a new report file in `dataDir` (a number is added to
// a name that exists); its path, or "" when it could not be written.
std::string WriteDayEndReport(const std::string& dataDir, const QDate& saleDate,
                              const QDateTime& started, const std::vector<std::string>& lines);

}  // namespace rubso
