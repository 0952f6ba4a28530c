#pragma once
// The process-wide state, in one place. Every layer reads it; each field is
// written only by the operations its comment names. Texts are bytes in the
// program's code page; directories end with the platform's separator.

#include <QDate>
#include <memory>
#include <string>

namespace rubso {

class IniFile;

inline constexpr const char* kProgramVersion = "2.18.4";

// The transfer settings of section "Main", read at main-window start
// (LoadMainSettings) and refreshed when the transfer parameters are saved.
struct MainSettings {
    std::string asorPth;   // the trading program's directory, with a trailing separator
    std::string barKod;    // goods catalogue column that holds the bar code
    std::string typDokum;  // sales document type, never blank ("WZ")
    bool useEan = false;   // goods matched to register codes through EAN codes
};

struct AppState {
    // Directories and files (LoadInstallationSettings).
    std::string appDir;           // the program's directory: the register library, koment.txt, help
    std::string workDir;          // the working directory: settings files, Dane/, the library's
                                  // working files (WorkDirectoryFor); appDir for a program run
                                  // from a folder of its own
    std::string dataDir;          // workDir + "Dane/"
    std::string errorReportPath;  // dataDir + "Error.txt"; register exchange and report change it
    std::shared_ptr<IniFile> iniFile;  // the program's own settings file, open for the run

    // Connection (LoadInstallationSettings; the login dialog may replace them).
    std::string dbPath;
    std::string dbUser;
    std::string dbPassword;
    bool localServer = false;  // dbPath contains "127.0." (login dialog)
    int connectResult = -1;    // TDM::BazaConnect
    bool quitRequested = false;

    // Fixed values.
    std::string appTitle;  // "ANVO_Soft             Wymiana danych z kasami ELZAB "
    int registerSlots = 5;
    std::string vatColumn;  // "Stawka_Vat"

    // Sales date and the directories that follow it (main window).
    QDate saleDate;
    std::string dayDir;   // dataDir + yyyyMMdd + "/"
    int registerNo = 0;   // the current register's number (its register code)
    std::string kasaDir;  // dayDir + "Kasa" + two digits + "/" (SetKasaDir)

    // Working date (SetWorkingDate) and table names.
    int workYear = 0;
    int workMonth = 0;
    std::string yearDirName;   // "Rok" + workYear
    std::string monthDirName;  // "Dane" + two-digit month
    std::string goodsTable;    // "Kartas" + workYear
    std::string groupsTable;   // "GrupyAs"

    // Transfer settings read at main-window start.
    MainSettings mainSettings;
    std::string letterStandard;
    int letterStandardIndex = 0;  // 4 Mazovia, 3 Latin 2, else 0

    int helpContext = 0;
};

// The one instance. Tests may reset it with `App() = AppState{}`.
AppState& App();

}  // namespace rubso
