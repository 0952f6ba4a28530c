#pragma once
// Start-up settings: the program's directories, its settings file, the
// database credentials, the working and sales dates and the names that follow
// from them. Everything here fills the process-wide state (App()).

#include <QDate>
#include <cstdint>
#include <string>

namespace rubso {

// The directory of the program file with a trailing separator. A relative
// `programPath` is taken relative to the current working directory.
std::string ProgramDirectory(const std::string& programPath);

// The file that an installation (`cmake --install`, the Debian package) puts
// into the program's directory. Its presence tells the program that the
// directory is not its own to write: settings and data live elsewhere.
inline constexpr const char* kInstalledMarkerFile = "rubso-installed.txt";

// What the choice of the working directory reads from the environment.
struct WorkDirEnvironment {
    std::string dataDir;      // RUBSO_DATA_DIR
    std::string xdgDataHome;  // XDG_DATA_HOME
    std::string home;         // HOME

    static WorkDirEnvironment OfProcess();
};

// The working directory for a program in `programDir`, with a trailing
// separator; it holds the settings files, "Dane/" and the register library's
// working files. In order:
// 1. RUBSO_DATA_DIR when it is not empty (relative: to the current directory);
// 2. the program's directory when it holds no kInstalledMarkerFile: a build
//    tree or a folder of its own keeps everything beside the program;
// 3. $XDG_DATA_HOME/rubso/ when XDG_DATA_HOME is an absolute path;
// 4. $HOME/.local/share/rubso/ when HOME is an absolute path;
// 5. empty: no place is known (an installation run without a home).
std::string WorkDirectoryFor(const std::string& programDir, const WorkDirEnvironment& environment);

// Makes the program's directory the working directory. True on success.
bool EnterProgramDirectory(const std::string& programPath);

// Runs once before any window or data module exists. `programPath` is the
// full path of the running program file. In order: the fixed values (title,
// register slots, VAT column); appDir (the program's directory); workDir
// (WorkDirectoryFor with the process's environment, else the current
// directory), created with its missing parents and made the working
// directory, as the register library's files ("KONFIG.txt", "in/...") are
// relative to it; dataDir (workDir + "Dane/", created when missing),
// errorReportPath; the work log of today's month; the program's settings file
// (program base name + ".INI" in workDir); the database path, user and
// password from "Firma.ini" when that file exists in workDir, otherwise from
// section "Rubso" of the program's settings file.
// File-system failures are not reported: a data directory that cannot be
// created only makes later writes into it fail silently.
void LoadInstallationSettings(const std::string& programPath);

// workYear, workMonth, yearDirName ("Rok" + year) and monthDirName ("Dane"
// + two-digit month) from `date`.
void SetWorkingDate(const QDate& date);

// goodsTable and groupsTable from the working year (GoodsTableName,
// GroupsTableName). The main window calls it at start, after the working date
// is set; the transfer parameters call it again when they are saved.
void SetTableNames();

// saleDate, then dayDir (dataDir + yyyyMMdd + separator), then kasaDir.
void SetSaleDate(const QDate& date);

// kasaDir := dayDir + "Kasa" + two-digit registerNo + separator.
void SetKasaDir();

// "Kartas" + workYear.
std::string GoodsTableName();
// "GrupyAs".
std::string GroupsTableName();

// The register's section of the settings file: "KASA" + n right-aligned in
// two characters with a blank fill ("KASA 1", "KASA10").
std::string KasaSectionName(int registerNumber);

// Number of the issue document of a sales transfer: 100000000 + the digits
// of the two-digit registerNo followed by yyMMdd of saleDate (register 0 on
// 2024-03-15 gives 100240315). A longer register number keeps all its
// digits (register 101 gives 201240315), so that it never takes the number
// of register 1.
std::int64_t TransferDocumentNumber();

// Whether TransferDocumentNumber() is a package number no other register
// can have: registerNo is not negative and the number fits a 32-bit integer
// (every date up to register 2046).
bool TransferDocumentNumberFits();

// Reads the transfer settings of section "Main" at main-window start into
// App().mainSettings and the letter standard: "AsorPth" (with a trailing
// separator when not empty), "BarKod", "TypDokum" ("WZ" when missing or
// blank), "UseEAN" (default false). The letter standard is "NMain"/
// "StandLiter" when that is not empty, otherwise "Main"/"StandLiter"; its
// index is 4 for exactly "Mazovia", 3 for exactly "Latin 2", 0 otherwise.
// Ends with SetWorkingDate(today).
void LoadMainSettings();

// 4 for "Mazovia", 3 for "Latin 2", 0 for anything else (case-sensitive).
int LetterStandardIndexOf(const std::string& letterStandard);

}  // namespace rubso
