#include "core/installation_settings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/text_utils.h"
#include "core/work_log.h"

namespace rubso {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAppTitle = "ANVO_Soft             Wymiana danych z kasami ELZAB ";
constexpr int kRegisterSlots = 5;
constexpr const char* kVatColumn = "Stawka_Vat";

// At least two digits, leading zero ("%.2d": 3 -> "03", 12 -> "12").
std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%02d", value);
    return buffer;
}

fs::path AbsoluteProgramPath(const std::string& programPath) {
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(programPath), ec);
    if (ec) path = fs::path(programPath);
    return path.lexically_normal();
}

// The program file's name with its extension replaced by ".INI".
std::string ProgramIniName(const std::string& programPath) {
    return AbsoluteProgramPath(programPath).stem().string() + ".INI";
}

struct Credentials {
    std::string path;
    std::string user;
    std::string password;
};

// "Firma.ini" names the database the trading program uses: server, directory
// and file in section "FK"; "Rubso" fills whatever that leaves empty.
Credentials FromFirmaIni(const IniFile& firma) {
    Credentials result;
    result.path = firma.ReadString("FK", "SerwerBazy", "");
    if (!result.path.empty()) result.path += ":";
    result.path += WithTrailingSeparator(firma.ReadString("FK", "SciezkaDoBazy", ""));
    result.path += firma.ReadString("FK", "BazaSQL", "");
    result.password = firma.ReadString("FK", "HLDS", "");
    if (result.path.empty()) result.path = firma.ReadString("Rubso", "Pth", "");
    result.user = firma.ReadString("Rubso", "User", "SYSDBA");
    if (result.password.empty()) result.password = firma.ReadString("Rubso", "Pass", "pwdefault");
    return result;
}

Credentials FromProgramIni(const IniFile& ini) {
    return {ini.ReadString("Rubso", "Pth", ""), ini.ReadString("Rubso", "User", "SYSDBA"),
            ini.ReadString("Rubso", "Pass", "pwdefault")};
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string DirectoryText(const fs::path& path) {
    return WithTrailingSeparator(path.lexically_normal().string(), std::string(1, kPathSeparator));
}

bool EnterDirectory(const std::string& directory) {
    std::error_code ec;
    fs::current_path(fs::path(directory), ec);
    return !ec;
}

}  // namespace

std::string ProgramDirectory(const std::string& programPath) {
    return WithTrailingSeparator(AbsoluteProgramPath(programPath).parent_path().string(),
                                 std::string(1, kPathSeparator));
}

WorkDirEnvironment WorkDirEnvironment::OfProcess() {
    return {Environment("RUBSO_DATA_DIR"), Environment("XDG_DATA_HOME"), Environment("HOME")};
}

std::string WorkDirectoryFor(const std::string& programDir, const WorkDirEnvironment& environment) {
    if (!environment.dataDir.empty()) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(fs::path(environment.dataDir), ec);
        return DirectoryText(ec ? fs::path(environment.dataDir) : absolute);
    }
    if (!FileExists(programDir + kInstalledMarkerFile)) return programDir;
    // Relative values are ignored, as the XDG base directory rules ask.
    if (fs::path(environment.xdgDataHome).is_absolute()) {
        return DirectoryText(fs::path(environment.xdgDataHome) / "rubso");
    }
    if (fs::path(environment.home).is_absolute()) {
        return DirectoryText(fs::path(environment.home) / ".local" / "share" / "rubso");
    }
    return {};
}

bool EnterProgramDirectory(const std::string& programPath) {
    return EnterDirectory(ProgramDirectory(programPath));
}

void LoadInstallationSettings(const std::string& programPath) {
    AppState& app = App();
    app.appTitle = kAppTitle;
    app.registerSlots = kRegisterSlots;
    app.vatColumn = kVatColumn;

    // The directories are fixed before the working directory changes, or a
    // relative path would be resolved twice.
    app.appDir = ProgramDirectory(programPath);
    app.workDir = WorkDirectoryFor(app.appDir, WorkDirEnvironment::OfProcess());
    if (app.workDir.empty()) {
        std::error_code ec;
        app.workDir = DirectoryText(fs::current_path(ec));
    }
    EnsureDir(app.workDir);
    EnterDirectory(app.workDir);
    app.dataDir = app.workDir + "Dane" + kPathSeparator;
    EnsureDir(app.dataDir);
    app.errorReportPath = app.dataDir + "Error.txt";

    InitWorkLog(app.dataDir, Clock::Today());

    app.iniFile = std::make_shared<IniFile>(app.workDir + ProgramIniName(programPath));

    const std::string firmaPath = app.workDir + "Firma.ini";
    const Credentials credentials =
        FileExists(firmaPath) ? FromFirmaIni(IniFile(firmaPath)) : FromProgramIni(*app.iniFile);
    app.dbPath = credentials.path;
    app.dbUser = credentials.user;
    app.dbPassword = credentials.password;
}

void SetWorkingDate(const QDate& date) {
    AppState& app = App();
    app.workYear = date.year();
    app.workMonth = date.month();
    app.yearDirName = "Rok" + std::to_string(app.workYear);
    app.monthDirName = "Dane" + TwoDigits(app.workMonth);
}

void SetTableNames() {
    App().goodsTable = GoodsTableName();
    App().groupsTable = GroupsTableName();
}

void SetSaleDate(const QDate& date) {
    AppState& app = App();
    app.saleDate = date;
    app.dayDir = app.dataDir + DateDigits(date) + kPathSeparator;
    SetKasaDir();
}

void SetKasaDir() {
    AppState& app = App();
    app.kasaDir = app.dayDir + "Kasa" + TwoDigits(app.registerNo) + kPathSeparator;
}

std::string GoodsTableName() {
    return "Kartas" + std::to_string(App().workYear);
}

std::string GroupsTableName() {
    return "GrupyAs";
}

std::string KasaSectionName(int registerNumber) {
    char number[16];
    std::snprintf(number, sizeof(number), "%2d", registerNumber);
    return std::string("KASA") + number;
}

std::int64_t TransferDocumentNumber() {
    const AppState& app = App();
    const std::string date = DateDigits(app.saleDate);
    const std::string digits =
        TwoDigits(app.registerNo) + (date.size() > 6 ? date.substr(date.size() - 6) : date);
    std::int64_t value = 0;
    TryTextToInt(digits, value);
    return 100000000 + value;
}

bool TransferDocumentNumberFits() {
    return App().registerNo >= 0 &&
           TransferDocumentNumber() <= std::numeric_limits<std::int32_t>::max();
}

int LetterStandardIndexOf(const std::string& letterStandard) {
    if (letterStandard == "Mazovia") return 4;
    if (letterStandard == "Latin 2") return 3;
    return 0;
}

void LoadMainSettings() {
    AppState& app = App();
    // Before LoadInstallationSettings there is no settings file: an unbound
    // one yields every default.
    const IniFile ini = app.iniFile ? *app.iniFile : IniFile("");

    MainSettings settings;
    settings.asorPth = ini.ReadString("Main", "AsorPth", "");
    if (!settings.asorPth.empty()) settings.asorPth = WithTrailingSeparator(settings.asorPth);
    settings.barKod = ini.ReadString("Main", "BarKod", "");
    const std::string mainStandard = ini.ReadString("Main", "StandLiter", "");
    settings.typDokum = ini.ReadString("Main", "TypDokum", "WZ");
    // Nothing writes "NMain", while the transfer parameters page writes the
    // operator's choice to "Main": "NMain" overrides only when it holds a value.
    const std::string overrideStandard = ini.ReadString("NMain", "StandLiter", "");
    settings.useEan = ini.ReadBool("Main", "UseEAN", false);
    if (IsBlank(settings.typDokum)) settings.typDokum = "WZ";

    app.letterStandard = overrideStandard.empty() ? mainStandard : overrideStandard;
    app.letterStandardIndex = LetterStandardIndexOf(app.letterStandard);
    app.mainSettings = settings;
    SetWorkingDate(Clock::Today());
}

}  // namespace rubso
