#pragma once
// Keeps the system's own part of the shared database (COM_DEF, HIST_PAR,
// ODCZYT, PARAGONY, their generators, triggers and indexes, and the stored
// procedures of schema_scripts.h) in step with the program. Every step
// compares the catalogue with the scripts and adds what is missing; a few
// fixed repairs patch data left by older versions. The stored version
// ("WERSJA" in the parameter store) only decides whether the administrator's
// repair steps run.
//
// Two passes use the steps:
// - AdministratorCheck: at an administrator login, right after the
//   connection (the login dialog shows "Sprawdzanie bazy ..." meanwhile);
// - MainWindowSchemaPass: when the main window is first shown, every user.
//
// None of the steps returns a result: each alteration reports its own failure
// (work log and message box, through the runners of TDM) and the next step
// runs. Errors of the catalogue probes themselves (a lost connection) are not
// caught and end the pass with fb::FbError. Nothing here touches a window:
// the operator is reached only through core/operator.h.
//
// "The current year" is the year of Clock::Today(), four digits.

#include <string>

#include "db/tdm.h"

namespace rubso {

// True when the stored version asks for the upgrade steps: it is less than
// the program's version "2.18.4" in plain byte-wise comparison (so "" and
// "2.18.10" do, "2.9" and "2.18.4" do not).
bool VersionNeedsUpgrade(const std::string& storedVersion);

// The rights the role ADMINISTRATOR needs so that every user can run the
// main window's pass: create tables, generators and procedures, and alter
// any table (add columns, triggers and the goods table's index). Each grant
// is a RunSQL, reported like the role grant of the administrator's set-up.
void GrantSchemaRights(TDM& dm);

// Tables, missing columns and indexes of every "C_" script, in list order.
// `recreate` drops and creates again the indexes that exist.
void TestStru(TDM& dm, bool recreate);
// Missing generators.
void TestGen(TDM& dm);
// Every procedure, created or altered; a year template gives the procedure
// of the current year. Logs "Dopisanie", "Wymiana" or "Błąd przy
// testowaniu" + " " + the procedure's name.
void TestProc(TDM& dm);
// Fixed repairs run before TestGen: the read trigger, an old index, the
// register generator, trigger and columns, the five default registers, the
// widened read identifier, the packaging flag and the columns VYRIP and
// VYRTYPP.
void InneTestyBefore(TDM& dm);
// Fixed repairs run last: cancelled-line flags, the receipt trigger, the
// code numbering start.
void InneTestyAfter(TDM& dm);

// The administrator's check at login:
// 1. logs "Sprawdzanie bazy ..." and grants the schema rights;
// 2. reads the stored version (location "GLOBAL", section "RUBSA"); a file
//    "Sprw.dat" in the current directory makes it "0";
// 3. TestStru(false), at every call;
// 4. when VersionNeedsUpgrade or `testowanieBazy` (the login's "Testowanie
//    bazy" box): stores "WERSJA" = "2.18.4", then InneTestyBefore, TestGen,
//    TestProc, InneTestyAfter;
// 5. completes the grants of the role and the routines (schema_grants.h),
//    at every call.
// Returns true when step 4 ran. The caller runs it only for "SYSDBA" after a
// successful connection.
bool AdministratorCheck(TDM& dm, bool testowanieBazy);

// The main window's pass: HIST_PAR and its trigger, PARAGONY and its later
// columns, the receipt generator and trigger, the current year's
// P_ZAPISZ_WZ_KASY procedure and the register-code index of the year's goods
// table, each created only when missing and each creation logged; then the
// grants of the year's objects (shown when they fail only to the
// administrator).
void MainWindowSchemaPass(TDM& dm);

}  // namespace rubso
