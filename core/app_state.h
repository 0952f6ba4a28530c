#pragma once
// The process-wide state, in one place. Every layer reads it; each field is
// written only by the operations its comment names. Texts are bytes in the
// program's code page; directories end with the platform's separator.

#include <QDate>
#include <memory>
#include <string>
#include <string_view>

#include "core/sql_identifier.h"

namespace rubso {

class IniFile;

inline constexpr const char* kProgramVersion = "2.18.4";

// The outcome of the last connection attempt (TDM::BazaConnect). The numbers
// are the ones the login shows in "Brak dostępu do bazy (n)".
enum class ConnectResult {
    NotFinished = -1,              // no attempt yet, or one that has not finished
    Connected = 0,                 //
    CredentialsRefused = 1,        // the user-management service refused the user
                                   // name or password (or could not be reached)
    ConnectionRefused = 2,         // the database refused the connection
    AdministratorSetupFailed = 3,  // connected as SYSDBA, but setting up the role
                                   // ADMINISTRATOR or the user KASJER failed
};

// The number of a result, as the login and the work log show it.
constexpr int ConnectResultCode(ConnectResult result) {
    return static_cast<int>(result);
}

// The transfer settings of section "Main", read at main-window start
// (LoadMainSettings) and refreshed when the transfer parameters are saved.
struct MainSettings {
    std::string asorPth;   // the trading program's directory, with a trailing separator
    ColumnSetting barKod;  // goods catalogue column that holds the bar code (BarCodeSetting)
    std::string typDokum;  // sales document type, never blank ("WZ")
    bool useEan = false;   // goods matched to register codes through EAN codes
};

struct AppState {
    // Directories and files (LoadInstallationSettings).
    std::string appDir;   // the program's directory: the register library, koment.txt, help
    std::string workDir;  // the working directory: settings files, Dane/, the library's
                          // working files (WorkDirectoryFor); appDir for a program run
                          // from a folder of its own
    std::string dataDir;  // workDir + "Dane/"
    std::shared_ptr<IniFile> iniFile;  // the program's own settings file, open for the run

    // Connection (LoadInstallationSettings; the login dialog may replace them).
    std::string dbPath;
    std::string dbUser;
    std::string dbPassword;
    bool localServer = false;  // dbPath contains "127.0." (login dialog)
    ConnectResult connectResult = ConnectResult::NotFinished;  // TDM::BazaConnect
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

// "BarKod" as the settings hold it, checked as a column name.
ColumnSetting BarCodeSetting(std::string_view text);

// The names of App() that statements splice, through the identifier check:
// goodsTable, groupsTable, and vatColumn ("Stawka_Vat" when unset). Raise
// InvalidIdentifierError.
SqlIdentifier GoodsTableIdentifier();
SqlIdentifier GroupsTableIdentifier();
SqlIdentifier VatColumnIdentifier();

}  // namespace rubso
