// Where the transfer's settings come from: the TransferSettings of the current
// register, and the transfer parameters page's saving, path and column rules.

#include <gtest/gtest.h>

#include <memory>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "fixture/trading_tables.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"
#include "trading/transfer_settings.h"

namespace rubso::test {
namespace {

// --- TransferSettings ------------------------------------------------------------------------

struct SourceCase {
    const char* name;
    const char* iniText;
    const char* warehouse;
    const char* direction;
    std::int32_t salesRegister;
};

class TransferSettingsSourceTest : public ::testing::TestWithParam<SourceCase> {
  protected:
    TempDir dir_;
};

TEST_P(TransferSettingsSourceTest, RegisterValuesFallBackToSectionMain) {
    const std::string path = dir_.File("Rubso.INI");
    ASSERT_TRUE(WriteFileText(GetParam().iniText, path));
    const TransferSettings settings = LoadTransferSettings(IniFile(path), "KASA 1", 4321);
    EXPECT_EQ(GetParam().warehouse, settings.warehouse);
    EXPECT_EQ(GetParam().direction, settings.salesDirection);
    EXPECT_EQ(GetParam().salesRegister, settings.salesRegister);
    EXPECT_EQ(4321, settings.contractorCode);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, TransferSettingsSourceTest,
    ::testing::Values(
        SourceCase{"RegisterSection",
                   "[KASA 1]\r\nNrMag=m01\r\nKierWZ=SD\r\nNrRej=12\r\n[Main]\r\nNrMag=77\r\n",
                   "M01", "SD", 12},
        SourceCase{"EmptyValuesTakeMain",
                   "[KASA 1]\r\nNrMag=\r\nKierWZ=\r\nNrRej=\r\n[Main]\r\nNrMag=77\r\nKierWZ=DS\r\n"
                   "NrRej=5\r\n",
                   "77", "DS", 5},
        SourceCase{"MissingKeysTakeMainExceptTheRegisterWhichIsZero",
                   "[KASA 1]\r\n[Main]\r\nNrMag=77\r\nKierWZ=DS\r\nNrRej=5\r\n", "77", "DS", 0},
        SourceCase{"NothingAnywhere", "", "", "", 0},
        SourceCase{"ARegisterNumberThatIsNoNumberIsZero", "[KASA 1]\r\nNrRej=x7\r\n", "", "", 0},
        SourceCase{"OtherRegistersSectionIsNotRead", "[KASA 2]\r\nNrMag=02\r\n", "", "", 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TransferSettingsTest, PlainValuesAreTrimmedAndTheWarehouseUpperCased) {
    const TransferSettings settings = MakeTransferSettings(" ma1 ", " SD ", " 3 ", 9);
    EXPECT_EQ("MA1", settings.warehouse);
    EXPECT_EQ("SD", settings.salesDirection);
    EXPECT_EQ(3, settings.salesRegister);
    EXPECT_EQ(9, settings.contractorCode);
}

// --- The transfer parameters page ----------------------------------------------------------

class TransferParametersTest : public ::testing::Test {
  protected:
    TransferParametersTest() {
        App() = AppState{};
        App().iniFile = std::make_shared<IniFile>(dir_.File("Rubso.INI"));
        App().saleDate = QDate(2008, 12, 30);
        SetWorkingDate(Clock::Today());
        App().mainSettings.asorPth = dir_.Path() + "old/";
        values_.path = App().mainSettings.asorPth;
        values_.barKod = "KOD_EAN";
        values_.standLiter = "Mazovia";
        values_.typDokum = "WZ";
    }
    ~TransferParametersTest() override { App() = AppState{}; }

    std::string Key(const char* key) const {
        return App().iniFile->ReadString("Main", key, "<none>");
    }

    ScopedFixedClock clock_{QDateTime(QDate(2009, 1, 5), QTime(8, 0))};
    TempDir dir_;
    ScopedRecordingOperator operator_;
    TransferParameterValues values_;
};

TEST_F(TransferParametersTest, SavingWritesTheFiveKeysAndRefreshesTheProgramsValues) {
    values_.path = dir_.Path() + "Hndl";
    values_.typDokum = "";
    values_.useEan = true;
    SaveTransferSettings(values_);
    EXPECT_EQ(dir_.Path() + "Hndl", Key("AsorPth"));
    EXPECT_EQ("KOD_EAN", Key("BarKod"));
    EXPECT_EQ("Mazovia", Key("StandLiter"));
    EXPECT_EQ("", Key("TypDokum"));
    EXPECT_EQ("1", Key("UseEAN"));
    EXPECT_EQ(dir_.Path() + "Hndl/", App().mainSettings.asorPth);
    EXPECT_EQ("WZ", App().mainSettings.typDokum);
    EXPECT_TRUE(App().mainSettings.useEan);
    EXPECT_EQ("Kartas2009", App().goodsTable);
}

TEST_F(TransferParametersTest, ShowingThePageReadsTheKeysAsStored) {
    App().iniFile->WriteString("Main", "AsorPth", "D:\\Hndl");
    App().iniFile->WriteString("Main", "StandLiter", "Latin 2");
    App().iniFile->WriteString("Main", "UseEAN", "1");
    App().letterStandardIndex = 4;
    const TransferParameterValues values = ReadTransferParameters(*App().iniFile);
    EXPECT_EQ("D:\\Hndl", values.path);
    EXPECT_EQ("WZ", values.typDokum);
    EXPECT_TRUE(values.useEan);
    EXPECT_TRUE(App().mainSettings.useEan);
    EXPECT_EQ("Latin 2", App().letterStandard);
    EXPECT_EQ(4, App().letterStandardIndex);
}

TEST_F(TransferParametersTest, ABlankPathPutsTheCurrentOneBack) {
    values_.path = "  ";
    EXPECT_EQ(PathChange::Restored, LeaveTradingPath(values_));
    EXPECT_EQ(dir_.Path() + "old/", values_.path);
    EXPECT_EQ("<none>", Key("AsorPth"));
}

TEST_F(TransferParametersTest, TheCurrentPathChangesNothing) {
    EXPECT_EQ(PathChange::Unchanged, LeaveTradingPath(values_));
    EXPECT_EQ("<none>", Key("AsorPth"));
}

TEST_F(TransferParametersTest, APathWithoutTheTradingProgramsGoodsFileIsRefused) {
    fixture::CreateTradingTables(dir_.Path() + "new/", 2009, 1);  // the goods file of 2009 only
    values_.path = dir_.Path() + "new";
    EXPECT_EQ(PathChange::Refused, LeaveTradingPath(values_));
    EXPECT_EQ(dir_.Path() + "old/", App().mainSettings.asorPth);
    EXPECT_EQ("Rok2009", App().yearDirName);
    EXPECT_EQ("<none>", Key("AsorPth"));
    EXPECT_EQ(Cp1250("Brak kartoteki asortymentowej ") + dir_.Path() + "new/Rok2008/Asort.db",
              operator_->StatusText());
    EXPECT_TRUE(operator_->StatusIsError());
}

TEST_F(TransferParametersTest,
       APathWithTheGoodsFileOfTheSalesYearIsSavedAndTheTablesFollowTheSalesDate) {
    fixture::CreateTradingTables(dir_.Path() + "new/", 2008, 12);
    values_.path = " " + dir_.Path() + "new ";
    EXPECT_EQ(PathChange::Accepted, LeaveTradingPath(values_));
    EXPECT_EQ(dir_.Path() + "new/", App().mainSettings.asorPth);
    EXPECT_EQ(dir_.Path() + "new", Key("AsorPth"));
    EXPECT_EQ("Rok2008", App().yearDirName);
    EXPECT_EQ("Dane12", App().monthDirName);
    EXPECT_EQ("Kartas2008", App().goodsTable);
}

TEST_F(TransferParametersTest, AChosenFolderFollowsThePathRule) {
    EXPECT_EQ(PathChange::Unchanged, ChooseTradingPath(values_, ""));
    EXPECT_EQ(PathChange::Refused, ChooseTradingPath(values_, dir_.Path() + "none"));
    EXPECT_EQ(dir_.Path() + "old/", values_.path);
    fixture::CreateTradingTables(dir_.Path() + "new/", 2008, 12);
    EXPECT_EQ(PathChange::Accepted, ChooseTradingPath(values_, dir_.Path() + "new"));
    EXPECT_EQ(dir_.Path() + "new", values_.path);
    EXPECT_EQ(dir_.Path() + "new", Key("AsorPth"));
}

TEST_F(TransferParametersTest, ChoosingLatin2SetsIndex3AndARestartKeepsItUnlessNMainSaysOtherwise) {
    EXPECT_TRUE(LeaveLetterStandard(values_, "Latin 2", 1));
    EXPECT_EQ("Latin 2", Key("StandLiter"));
    EXPECT_EQ(3, App().letterStandardIndex);

    LoadMainSettings();
    EXPECT_EQ(3, App().letterStandardIndex);
    App().iniFile->WriteString("NMain", "StandLiter", "Mazovia");
    LoadMainSettings();
    EXPECT_EQ(4, App().letterStandardIndex);
}

TEST_F(TransferParametersTest, ABlankLetterStandardOnlyClearsTheIndex) {
    App().letterStandardIndex = 4;
    EXPECT_FALSE(LeaveLetterStandard(values_, " ", 0));
    EXPECT_EQ(0, App().letterStandardIndex);
    EXPECT_EQ("<none>", Key("StandLiter"));
}

TEST_F(TransferParametersTest, ABlankBarcodeColumnKeepsTheStoredOne) {
    LeaveBarcodeColumn(values_, "");
    EXPECT_EQ("KOD_EAN", Key("BarKod"));
    LeaveBarcodeColumn(values_, "ATEST");
    EXPECT_EQ("ATEST", Key("BarKod"));
    EXPECT_EQ("ATEST", App().mainSettings.barKod.Text());
}

TEST_F(TransferParametersTest, ABarcodeColumnThatNamesNoColumnIsRefusedAndNothingSaved) {
    const std::string hostile = "kod_ean' or '1'='1";
    EXPECT_FALSE(LeaveBarcodeColumn(values_, hostile));
    EXPECT_EQ(
        std::vector<std::string>{Cp1250("Niepoprawna nazwa pola z kodem kreskowym: ") + hostile},
        operator_->MessageTexts());
    EXPECT_EQ("<none>", Key("BarKod"));
    EXPECT_EQ("KOD_EAN", values_.barKod);
}

TEST_F(TransferParametersTest, TheEanBoxIsSavedAtOnce) {
    SetUseEan(values_, true);
    EXPECT_EQ("1", Key("UseEAN"));
    SetUseEan(values_, false);
    EXPECT_EQ("0", Key("UseEAN"));
    EXPECT_FALSE(App().mainSettings.useEan);
}

TEST(CatalogueColumnsTest, PriceColumnsAndBarcodeCandidatesFollowTheirNames) {
    const CatalogueColumns columns = SplitCatalogueColumns(
        {"ASORT", "nazwa", "CENA_1", "CENA_2", "OLDCENA_1", "DATAZMIA", "KOD_EAN"}, "kod_ean");
    EXPECT_EQ((std::vector<std::string>{"ASORT", "NAZWA", "KOD_EAN"}), columns.barcodeNames);
    EXPECT_EQ((std::vector<std::string>{"CENA_1", "CENA_2"}), columns.priceNames);
    EXPECT_EQ(2, columns.barcodeSelection);
    EXPECT_EQ(-1, SplitCatalogueColumns({"ASORT"}, "KOD_EAN").barcodeSelection);
}

}  // namespace
}  // namespace rubso::test
