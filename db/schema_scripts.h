#pragma once
// The system's own database objects as named scripts: four tables, their
// indexes, three generators, four triggers and six stored procedures. The
// schema checks (schema_upgrade.h) walk ListaObiektow and run the scripts
// through TDM::RunScript or TDM::RunScr.
//
// Year templates: in the procedure scripts "P_VYR_POR_1_XXXX",
// "P_VYR_POR2009", "P_WOLNYKOD2009" and "P_ZAPISZ_WZ_KASY2009" the text
// "XXXX" or "2009" stands for the current year, both in the name and in the
// lines. The caller replaces it before running the script; no line holds it
// more than once, so replacing the first occurrence per line and replacing
// every occurrence give the same text. No other line contains "2009" or
// "XXXX", and no line contains the runner's batch separator "#", so every
// script runs as one batch.
//
// The procedures use objects of the trading program (MAGA<year>,
// KARTAS<year>, KARTOD, REJSPRZ, GEN_KLUCZYK, P_AKTUKAMA<year>, I64ROUND);
// they compile only in a database that has them.

#include <string>
#include <string_view>
#include <vector>

namespace rubso {

// The lines of the script named `name` (exact, case-sensitive comparison;
// a year template is looked up under its template name, e.g.
// "P_ZAPISZ_WZ_KASY2009"). A new list owned by the caller; empty for a name
// that is not one of ListaObiektow.
std::vector<std::string> Skrypt(std::string_view name);

// The 19 script names in the order the checks walk them: the tables, each
// followed by its index script when it has one, then the generators, the
// triggers and the procedures.
std::vector<std::string> ListaObiektow();

}  // namespace rubso
