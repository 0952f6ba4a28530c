#pragma once
// The rights of the role ADMINISTRATOR, which every user but the
// administrator logs in with (the cashier KASJER among them), and the rights
// of the system's routines on what they touch.
//
// The role gets everything on the system's own objects (all rights on its
// tables, USAGE on its generators, EXECUTE on its procedures: the objects of
// ListaObiektow, so an object added there gets its grant with it) and, on
// the trading program's objects, exactly what the program reads and writes:
// SELECT on the goods groups, SELECT and UPDATE of the register code and the
// short name on the goods table of the year, SELECT, INSERT and UPDATE on
// the parameter table. The trading program's books (warehouse movements,
// sales register, contractors, stock cards) are changed only by the
// system's procedures, so the procedures, not the role, hold the rights on
// them; each trigger may draw from its generator whoever inserts.
//
// The grants are checked against the catalogue and completed at every
// administrator login and whenever the year's objects are made: only what is
// missing is granted, and only on objects that exist.

#include <string>
#include <vector>

#include "db/tdm.h"

namespace rubso {

// One GRANT statement: `privileges` as the statement lists them ("ALL",
// "SELECT, INSERT", "UPDATE (KOD_KASA, ATEST)", "EXECUTE", "USAGE"), the
// object with its kind ("TABLE", "PROCEDURE", "GENERATOR", "FUNCTION") and
// the grantee with its kind ("ROLE", "PROCEDURE", "TRIGGER"). Names in
// upper case.
struct ObjectGrant {
    std::string privileges;
    std::string objectKind;
    std::string object;
    std::string granteeKind;
    std::string grantee;

    std::string Statement() const;  // "GRANT <privileges> ON <kind> <object> TO <kind> <grantee>"
    bool operator==(const ObjectGrant&) const = default;
};

// Every grant the year's objects need, the role's first, then the routines'.
// Procedure names carry the year where their scripts carry the placeholder.
std::vector<ObjectGrant> WantedGrants(int year);

// What the routine of script `scriptName` (a template name such as
// "P_ZAPISZ_WZ_KASY2009", the year already put in) may do on the objects it
// touches; empty for a name that is no routine of ours.
std::vector<ObjectGrant> RoutineGrants(const std::string& scriptName, int year);

// Completes the grants of the current year (Clock::Today()): reads the
// catalogue once, runs a GRANT for each missing one whose object and
// grantee exist, and logs "Nadane uprawnienie: " + the statement. A grant
// that another workstation gave meanwhile counts as given. A failure is
// logged and, with `showFailures`, shown (the administrator); a cashier's
// pass only logs what it could not grant. Returns the number of grants run.
// Raises fb::FbError when the catalogue cannot be read.
int NadajUprawnienia(TDM& dm, bool showFailures);

}  // namespace rubso
