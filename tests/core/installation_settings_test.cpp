#include "core/installation_settings.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/ini_file.h"
#include "core/work_log.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

namespace fs = std::filesystem;

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Each test starts from a fresh state in a fresh program directory, on
// 2024-03-15, and gets its working directory back afterwards.
class InstallationSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App() = AppState{};
        ::unsetenv("RUBSO_DATA_DIR");
    }
    void TearDown() override {
        fs::current_path(savedCwd_);
        App() = AppState{};
    }

    std::string Program() const { return dir_.File("rubso"); }
    void Load() { LoadInstallationSettings(Program()); }

    fs::path savedCwd_ = fs::current_path();
    ScopedFixedClock clock_{QDateTime(QDate(2024, 3, 15), QTime(10, 30))};
    test::TempDir dir_;
};

// --- Program start ---------------------------------------------------------

TEST_F(InstallationSettingsTest, LoadSetsTheFixedValues) {
    Load();
    EXPECT_EQ("ANVO_Soft" + std::string(13, ' ') + "Wymiana danych z kasami ELZAB ",
              App().appTitle);
    EXPECT_EQ(5, App().registerSlots);
    EXPECT_EQ("Stawka_Vat", App().vatColumn);
}

TEST_F(InstallationSettingsTest, LoadPlacesEverythingUnderTheProgramDirectory) {
    Load();
    EXPECT_EQ(dir_.Path(), App().appDir);
    EXPECT_EQ(dir_.Path() + "Dane/", App().dataDir);
    EXPECT_TRUE(fs::is_directory(dir_.File("Dane")));
    EXPECT_EQ(dir_.Path() + "Dane/Error.txt", App().errorReportPath);
    EXPECT_EQ(dir_.Path() + "Dane/H_202403.txt", WorkLogPath());
    ASSERT_NE(nullptr, App().iniFile);
    EXPECT_EQ(dir_.File("rubso.INI"), App().iniFile->FileName());
}

TEST_F(InstallationSettingsTest, LoadMakesTheProgramDirectoryTheWorkingDirectory) {
    Load();
    EXPECT_TRUE(fs::equivalent(dir_.Path(), fs::current_path()));
}

TEST_F(InstallationSettingsTest, RelativeProgramPathIsTakenFromTheWorkingDirectory) {
    fs::create_directory(dir_.File("bin"));
    fs::current_path(dir_.Path());
    LoadInstallationSettings("./bin/../bin/rubso");
    EXPECT_EQ(dir_.Path() + "bin/", App().appDir);
    EXPECT_EQ(dir_.Path() + "bin/Dane/", App().dataDir);
    EXPECT_TRUE(fs::equivalent(dir_.File("bin"), fs::current_path()));
}

TEST_F(InstallationSettingsTest, EnteringAMissingDirectoryFailsAndKeepsTheWorkingDirectory) {
    fs::current_path(dir_.Path());
    EXPECT_FALSE(EnterProgramDirectory(dir_.File("missing/rubso")));
    EXPECT_TRUE(fs::equivalent(dir_.Path(), fs::current_path()));
}

// --- Where the data lives --------------------------------------------------

struct WorkDirCase {
    const char* name;
    bool installed;  // the program's directory holds the installation's file
    WorkDirEnvironment environment;
    std::string expected;  // "<program>" for the program's directory
};

class WorkDirTest : public InstallationSettingsTest,
                    public ::testing::WithParamInterface<WorkDirCase> {};

TEST_P(WorkDirTest, WorkDirectoryFollowsTheInstallationAndTheEnvironment) {
    if (GetParam().installed) WriteBytes(dir_.File(kInstalledMarkerFile), "");
    const std::string expected =
        GetParam().expected == "<program>" ? dir_.Path() : GetParam().expected;
    EXPECT_EQ(expected, WorkDirectoryFor(dir_.Path(), GetParam().environment));
}

INSTANTIATE_TEST_SUITE_P(
    Places, WorkDirTest,
    ::testing::Values(
        WorkDirCase{"OwnFolder", false, {"", "/x/share", "/home/k"}, "<program>"},
        WorkDirCase{"OwnFolderNamed", false, {"/srv/rubso", "", "/home/k"}, "/srv/rubso/"},
        WorkDirCase{"InstalledNamed", true, {"/srv/./rubso/", "", "/home/k"}, "/srv/rubso/"},
        WorkDirCase{"InstalledXdg", true, {"", "/x/share", "/home/k"}, "/x/share/rubso/"},
        WorkDirCase{
            "InstalledRelativeXdg", true, {"", "share", "/home/k"}, "/home/k/.local/share/rubso/"},
        WorkDirCase{"InstalledHomeless", true, {"", "", ""}, ""}),
    [](const ::testing::TestParamInfo<WorkDirCase>& suite) { return suite.param.name; });

TEST_F(InstallationSettingsTest, InstalledProgramKeepsSettingsAndDataInTheUsersDirectory) {
    fs::create_directory(dir_.File("lib"));
    WriteBytes(dir_.File("lib/") + kInstalledMarkerFile, "");
    const std::string work = dir_.File("share/rubso/");
    ::setenv("XDG_DATA_HOME", dir_.File("share").c_str(), 1);
    LoadInstallationSettings(dir_.File("lib/rubso"));
    ::unsetenv("XDG_DATA_HOME");

    EXPECT_EQ(dir_.File("lib/"), App().appDir);
    EXPECT_EQ(work, App().workDir);
    EXPECT_TRUE(fs::equivalent(work, fs::current_path()));
    EXPECT_EQ(work + "Dane/", App().dataDir);
    EXPECT_TRUE(fs::is_directory(App().dataDir));
    EXPECT_EQ(work + "rubso.INI", App().iniFile->FileName());
    // Nothing is written into the installation.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir_.File("lib")), {}));
}

struct IniNameCase {
    std::string program;
    std::string iniName;
};

class ProgramIniNameTest : public InstallationSettingsTest,
                           public ::testing::WithParamInterface<IniNameCase> {};

TEST_P(ProgramIniNameTest, SettingsFileIsTheProgramNameWithExtensionIni) {
    LoadInstallationSettings(dir_.File(GetParam().program));
    EXPECT_EQ(dir_.File(GetParam().iniName), App().iniFile->FileName());
}

INSTANTIATE_TEST_SUITE_P(Names, ProgramIniNameTest,
                         ::testing::Values(IniNameCase{"rubso", "rubso.INI"},
                                           IniNameCase{"Rubso.exe", "Rubso.INI"},
                                           IniNameCase{"rubso.2.exe", "rubso.2.INI"}));

TEST_F(InstallationSettingsTest, DaneBlockedByAFileLoadsWithoutCrashing) {
    WriteBytes(dir_.File("Dane"), "not a directory");
    WriteBytes(dir_.File("rubso.INI"), "[Rubso]\r\nPth=db.fdb\r\n");
    Load();
    EXPECT_EQ(dir_.Path() + "Dane/", App().dataDir);
    EXPECT_FALSE(fs::is_directory(dir_.File("Dane")));
    EXPECT_EQ("db.fdb", App().dbPath);
    WriteWorkLog("lost line");  // must not throw
    EXPECT_FALSE(fs::exists(dir_.File("Dane/H_202403.txt")));
}

// --- Database credentials --------------------------------------------------

struct CredentialsCase {
    const char* name;
    std::string firma;       // contents of Firma.ini; "-" for no file
    std::string programIni;  // contents of rubso.INI; "-" for none
    std::string path;
    std::string user;
    std::string password;
};

class CredentialsTest : public InstallationSettingsTest,
                        public ::testing::WithParamInterface<CredentialsCase> {};

TEST_P(CredentialsTest, DatabasePathUserAndPasswordFollowTheInstallationFiles) {
    const CredentialsCase& c = GetParam();
    if (c.firma != "-") WriteBytes(dir_.File("Firma.ini"), c.firma);
    if (c.programIni != "-") WriteBytes(dir_.File("rubso.INI"), c.programIni);
    Load();
    EXPECT_EQ(c.path, App().dbPath);
    EXPECT_EQ(c.user, App().dbUser);
    EXPECT_EQ(c.password, App().dbPassword);
}

const std::string kProgramRubso = "[Rubso]\r\nPth=prog:/p.fdb\r\nUser=PROG\r\nPass=progpass\r\n";

INSTANTIATE_TEST_SUITE_P(
    Installations, CredentialsTest,
    ::testing::Values(
        CredentialsCase{"FirmaServerDirectoryAndFile",
                        "[FK]\r\nSerwerBazy=srv\r\nSciezkaDoBazy=C:\\db\r\nBazaSQL=shop.gdb\r\n"
                        "HLDS=tajne\r\n",
                        kProgramRubso, "srv:C:\\db\\shop.gdb", "SYSDBA", "tajne"},
        CredentialsCase{"FirmaWithoutServerGivesALocalPath",
                        "[FK]\r\nSciezkaDoBazy=C:\\db\r\nBazaSQL=shop.gdb\r\n", "-",
                        "C:\\db\\shop.gdb", "SYSDBA", "pwdefault"},
        CredentialsCase{"FirmaBareDriveGetsNoSeparator",
                        "[FK]\r\nSerwerBazy=srv\r\nSciezkaDoBazy=C:\r\nBazaSQL=shop.gdb\r\n", "-",
                        "srv:C:shop.gdb", "SYSDBA", "pwdefault"},
        CredentialsCase{"FirmaPathWithoutBackslashGetsSlash",
                        "[FK]\r\nSerwerBazy=srv\r\nSciezkaDoBazy=/var/db\r\nBazaSQL=shop.fdb\r\n",
                        "-", "srv:/var/db/shop.fdb", "SYSDBA", "pwdefault"},
        CredentialsCase{"FirmaPathEndingInSeparatorGetsNoSecond",
                        "[FK]\r\nSerwerBazy=srv\r\nSciezkaDoBazy=C:\\db\\\r\nBazaSQL=shop.gdb\r\n",
                        "-", "srv:C:\\db\\shop.gdb", "SYSDBA", "pwdefault"},
        CredentialsCase{"FirmaFileNameOnly", "[FK]\r\nBazaSQL=shop.gdb\r\n", "-", "shop.gdb",
                        "SYSDBA", "pwdefault"},
        CredentialsCase{"FirmaServerOnly", "[FK]\r\nSerwerBazy=srv\r\n", "-", "srv:", "SYSDBA",
                        "pwdefault"},
        CredentialsCase{"FirmaFourEmptyKeysTakeItsRubsoSection",
                        "[FK]\r\nSerwerBazy=\r\nSciezkaDoBazy=\r\nBazaSQL=\r\nHLDS=\r\n"
                        "[Rubso]\r\nPth=127.0.0.1:/db/x.fdb\r\nUser=ADMIN\r\nPass=haslo\r\n",
                        kProgramRubso, "127.0.0.1:/db/x.fdb", "ADMIN", "haslo"},
        CredentialsCase{"FirmaFourEmptyKeysWithoutRubsoGiveDefaults",
                        "[FK]\r\nSerwerBazy=\r\nSciezkaDoBazy=\r\nBazaSQL=\r\nHLDS=\r\n",
                        kProgramRubso, "", "SYSDBA", "pwdefault"},
        CredentialsCase{"EmptyFirmaStillHidesTheProgramIni", "", kProgramRubso, "", "SYSDBA",
                        "pwdefault"},
        CredentialsCase{"FirmaPathWinsOverItsRubsoPth",
                        "[FK]\r\nSerwerBazy=srv\r\nSciezkaDoBazy=C:\\db\r\nBazaSQL=shop.gdb\r\n"
                        "[Rubso]\r\nPth=other.fdb\r\nUser=KASJER\r\nPass=p2\r\n",
                        "-", "srv:C:\\db\\shop.gdb", "KASJER", "p2"},
        CredentialsCase{"FirmaKeysInAnotherLetterCase",
                        "[fk]\r\nserwerbazy=srv\r\nSCIEZKADOBAZY=C:\\db\r\nbazasql=shop.gdb\r\n"
                        "hlds=x\r\n",
                        "-", "srv:C:\\db\\shop.gdb", "SYSDBA", "x"},
        CredentialsCase{"ProgramIniWithoutFirma", "-", kProgramRubso, "prog:/p.fdb", "PROG",
                        "progpass"},
        CredentialsCase{"ProgramIniWithOtherLetterCase", "-",
                        "[RUBSO]\r\npth=\"srv:/q.fdb\"\r\nUSER=ja\r\n", "srv:/q.fdb", "ja",
                        "pwdefault"},
        CredentialsCase{"NoInstallationFilesGiveDefaults", "-", "-", "", "SYSDBA", "pwdefault"},
        CredentialsCase{"EmptyProgramIniGivesDefaults", "-", "", "", "SYSDBA", "pwdefault"},
        CredentialsCase{
            "GarbledProgramIniGivesDefaults", "-",
            std::string("\x00\xFF[Rubso\x1A\r\nPth\x00=x\r\n", 19) + std::string(100000, 'Z'), "",
            "SYSDBA", "pwdefault"}),
    [](const auto& suite) { return std::string(suite.param.name); });

// --- Working date, sales date and names ------------------------------------

struct WorkingDateCase {
    QDate date;
    int year;
    int month;
    std::string yearDir;
    std::string monthDir;
    std::string goodsTable;
};

class WorkingDateTest : public InstallationSettingsTest,
                        public ::testing::WithParamInterface<WorkingDateCase> {};

TEST_P(WorkingDateTest, WorkingDateGivesTheYearAndMonthNames) {
    const WorkingDateCase& c = GetParam();
    SetWorkingDate(c.date);
    SetTableNames();
    EXPECT_EQ(c.year, App().workYear);
    EXPECT_EQ(c.month, App().workMonth);
    EXPECT_EQ(c.yearDir, App().yearDirName);
    EXPECT_EQ(c.monthDir, App().monthDirName);
    EXPECT_EQ(c.goodsTable, GoodsTableName());
    EXPECT_EQ(c.goodsTable, App().goodsTable);
    EXPECT_EQ("GrupyAs", App().groupsTable);
}

INSTANTIATE_TEST_SUITE_P(Dates, WorkingDateTest,
                         ::testing::Values(WorkingDateCase{QDate(2024, 3, 15), 2024, 3, "Rok2024",
                                                           "Dane03", "Kartas2024"},
                                           WorkingDateCase{QDate(2009, 12, 31), 2009, 12, "Rok2009",
                                                           "Dane12", "Kartas2009"},
                                           WorkingDateCase{QDate(2025, 1, 1), 2025, 1, "Rok2025",
                                                           "Dane01", "Kartas2025"}));

TEST_F(InstallationSettingsTest, SaleDateSetsTheDayAndRegisterDirectories) {
    Load();
    SetSaleDate(QDate(2024, 3, 5));
    EXPECT_EQ(QDate(2024, 3, 5), App().saleDate);
    EXPECT_EQ(dir_.Path() + "Dane/20240305/", App().dayDir);
    EXPECT_EQ(dir_.Path() + "Dane/20240305/Kasa00/", App().kasaDir);
}

TEST_F(InstallationSettingsTest, RegisterDirectoryFollowsTheRegisterNumber) {
    App().dayDir = "/d/Dane/20240315/";
    for (const auto& [number, kasaDir] :
         {std::pair{0, "/d/Dane/20240315/Kasa00/"}, std::pair{3, "/d/Dane/20240315/Kasa03/"},
          std::pair{12, "/d/Dane/20240315/Kasa12/"}, std::pair{123, "/d/Dane/20240315/Kasa123/"}}) {
        App().registerNo = number;
        SetKasaDir();
        EXPECT_EQ(kasaDir, App().kasaDir) << "register " << number;
    }
}

TEST_F(InstallationSettingsTest, KasaSectionNameRightAlignsTheNumberInTwoCharacters) {
    EXPECT_EQ("KASA 1", KasaSectionName(1));
    EXPECT_EQ("KASA 5", KasaSectionName(5));
    EXPECT_EQ("KASA10", KasaSectionName(10));
    EXPECT_EQ("KASA99", KasaSectionName(99));
    EXPECT_EQ("KASA100", KasaSectionName(100));
}

struct DocumentNumberCase {
    int registerNo;
    QDate saleDate;
    std::int64_t number;
};

class TransferDocumentNumberTest : public InstallationSettingsTest,
                                   public ::testing::WithParamInterface<DocumentNumberCase> {};

TEST_P(TransferDocumentNumberTest, NumberJoinsRegisterAndShortDate) {
    App().registerNo = GetParam().registerNo;
    App().saleDate = GetParam().saleDate;
    EXPECT_EQ(GetParam().number, TransferDocumentNumber());
}

INSTANTIATE_TEST_SUITE_P(Numbers, TransferDocumentNumberTest,
                         ::testing::Values(DocumentNumberCase{0, QDate(2024, 3, 15), 100240315},
                                           DocumentNumberCase{0, QDate(2009, 12, 31), 100091231},
                                           DocumentNumberCase{3, QDate(2024, 3, 15), 103240315},
                                           DocumentNumberCase{12, QDate(2000, 1, 2), 112000102},
                                           // never register 1's number
                                           DocumentNumberCase{101, QDate(2009, 5, 14), 201090514}));

// --- Settings read at main-window start ------------------------------------

class MainSettingsTest : public InstallationSettingsTest {
  protected:
    void LoadWith(const std::string& programIni) {
        WriteBytes(dir_.File("rubso.INI"), programIni);
        Load();
        LoadMainSettings();
    }
};

TEST_F(MainSettingsTest, MissingKeysGiveTheDefaults) {
    LoadWith("");
    EXPECT_EQ("", App().mainSettings.asorPth);
    EXPECT_EQ("", App().mainSettings.barKod);
    EXPECT_EQ("WZ", App().mainSettings.typDokum);
    EXPECT_FALSE(App().mainSettings.useEan);
    EXPECT_EQ("", App().letterStandard);
    EXPECT_EQ(0, App().letterStandardIndex);
}

TEST_F(MainSettingsTest, ReadsTheMainSectionWhateverItsLetterCase) {
    LoadWith("[MAIN]\r\nasorpth=C:\\ANVO\r\nBARKOD=KOD_EAN\r\ntypdokum=PA\r\nUseEan=1\r\n");
    EXPECT_EQ("C:\\ANVO\\", App().mainSettings.asorPth);
    EXPECT_EQ("KOD_EAN", App().mainSettings.barKod);
    EXPECT_EQ("PA", App().mainSettings.typDokum);
    EXPECT_TRUE(App().mainSettings.useEan);
}

TEST_F(MainSettingsTest, TradingProgramPathGetsTheSeparatorItsSpellingCalls) {
    for (const auto& [stored, held] :
         {std::pair{"/srv/anvo", "/srv/anvo/"}, std::pair{"/srv/anvo/", "/srv/anvo/"},
          std::pair{"C:\\ANVO\\", "C:\\ANVO\\"}, std::pair{"D:", "D:"}, std::pair{"", ""}}) {
        LoadWith(std::string("[Main]\r\nAsorPth=") + stored + "\r\n");
        EXPECT_EQ(held, App().mainSettings.asorPth) << "stored " << stored;
    }
}

TEST_F(MainSettingsTest, BlankDocumentTypeBecomesWz) {
    for (const auto& [stored, held] : {std::pair{"[Main]\r\nTypDokum=   \r\n", "WZ"},
                                       std::pair{"[Main]\r\nTypDokum=\"  \"\r\n", "WZ"},
                                       std::pair{"[Main]\r\nTypDokum=\r\n", "WZ"},
                                       std::pair{"[Main]\r\nTypDokum=RW\r\n", "RW"}}) {
        LoadWith(stored);
        EXPECT_EQ(held, App().mainSettings.typDokum) << stored;
    }
}

struct LetterCase {
    std::string main;   // "Main"/"StandLiter"; "-" for no key
    std::string nmain;  // "NMain"/"StandLiter"; "-" for no key
    std::string standard;
    int index;
};

class LetterStandardTest : public MainSettingsTest,
                           public ::testing::WithParamInterface<LetterCase> {};

TEST_P(LetterStandardTest, NMainOverridesOnlyWhenItHoldsAValue) {
    const LetterCase& c = GetParam();
    std::string ini = "[Main]\r\n";
    if (c.main != "-") ini += "StandLiter=" + c.main + "\r\n";
    ini += "[NMain]\r\n";
    if (c.nmain != "-") ini += "StandLiter=" + c.nmain + "\r\n";
    LoadWith(ini);
    EXPECT_EQ(c.standard, App().letterStandard);
    EXPECT_EQ(c.index, App().letterStandardIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Standards, LetterStandardTest,
    ::testing::Values(
        LetterCase{"Mazovia", "-", "Mazovia", 4}, LetterCase{"Latin 2", "-", "Latin 2", 3},
        LetterCase{"Latin 2", "", "Latin 2", 3},
        LetterCase{"Bez polskich liter", "-", "Bez polskich liter", 0},
        LetterCase{"mazovia", "-", "mazovia", 0}, LetterCase{"LATIN 2", "-", "LATIN 2", 0},
        LetterCase{"Latin2", "-", "Latin2", 0}, LetterCase{"Latin 2", "Mazovia", "Mazovia", 4},
        LetterCase{"Mazovia", "Bez polskich liter", "Bez polskich liter", 0},
        LetterCase{"-", "Latin 2", "Latin 2", 3}, LetterCase{"-", "-", "", 0}));

TEST_F(MainSettingsTest, OperatorsLetterStandardSurvivesARestart) {
    LoadWith("");
    // The transfer parameters page writes the choice to "Main".
    ASSERT_TRUE(App().iniFile->WriteString("Main", "StandLiter", "Latin 2"));
    App() = AppState{};
    Load();
    LoadMainSettings();
    EXPECT_EQ(3, App().letterStandardIndex);
}

TEST_F(MainSettingsTest, StartSetsTheWorkingDateToToday) {
    LoadWith("");
    EXPECT_EQ(2024, App().workYear);
    EXPECT_EQ(3, App().workMonth);
    EXPECT_EQ("Rok2024", App().yearDirName);
    EXPECT_EQ("Dane03", App().monthDirName);
}

TEST_F(MainSettingsTest, WithoutASettingsFileObjectEverythingIsDefault) {
    LoadMainSettings();
    EXPECT_EQ("WZ", App().mainSettings.typDokum);
    EXPECT_EQ(0, App().letterStandardIndex);
    EXPECT_EQ(2024, App().workYear);
}

}  // namespace
}  // namespace rubso
