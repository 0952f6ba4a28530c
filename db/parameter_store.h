#pragma once
// The parameter store: named settings in the trading program's table
// PARAMETRY, addressed by location, section and name, one value column per
// kind (text, integer, floating point, date). This system uses location
// "GLOBAL" and section "RUBSA".
//
// Keys are upper-cased with the code page's case table (Polish letters
// included) before they are bound; the writes also trim the name, the reads
// and JestPar do not. Every statement runs on dm.IBQdm in dm.IBTdm and is
// committed at once.
//
// Failures: JestPar and the reads raise fb::FbError (missing table, lost
// connection). The writes swallow the failure of their own statement
// (rolled back, nothing logged or shown) but not of their existence probe.

#include <QDateTime>
#include <cstdint>
#include <string>

#include "db/tdm.h"

namespace rubso {

// True when a row with these keys exists.
bool JestPar(TDM& dm, const std::string& name, const std::string& location,
             const std::string& section);

// The stored value, or `fallback` when there is no such row. A row whose
// value is null gives the kind's empty value ("", 0, 0.0, fb::ZeroDateTime()).
std::string ReadParS(TDM& dm, const std::string& name, const std::string& fallback,
                     const std::string& location, const std::string& section);
std::int32_t ReadParI(TDM& dm, const std::string& name, std::int32_t fallback,
                      const std::string& location, const std::string& section);
double ReadParF(TDM& dm, const std::string& name, double fallback, const std::string& location,
                const std::string& section);
QDateTime ReadParD(TDM& dm, const std::string& name, const QDateTime& fallback,
                   const std::string& location, const std::string& section);

// Updates the row when it exists, inserts it otherwise. Sets the error
// context ("dm", "WriteParS" and so on, the trimmed name) and leaves it set.
// WriteParD stores the date only.
void WriteParS(TDM& dm, const std::string& name, const std::string& value,
               const std::string& location, const std::string& section);
void WriteParI(TDM& dm, const std::string& name, std::int32_t value, const std::string& location,
               const std::string& section);
void WriteParF(TDM& dm, const std::string& name, double value, const std::string& location,
               const std::string& section);
void WriteParD(TDM& dm, const std::string& name, const QDateTime& value,
               const std::string& location, const std::string& section);

}  // namespace rubso
