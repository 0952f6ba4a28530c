// The register parameters in the settings file, and the current register
// whose section the exchange reads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/ini_file.h"
#include "register/current_register.h"
#include "register/register_parameters.h"
#include "tests/register/exchange_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class RegisterParametersTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    std::string path_ = dir_.File("RUBSO.INI");
    IniFile ini_{path_};
};

TEST_F(RegisterParametersTest, MissingSectionGivesEveryDefault) {
    const RegisterParameters p = ReadRegisterParameters(ini_, "KASA 1");
    EXPECT_EQ("5", p.timeout);
    EXPECT_EQ("1", p.nrKasySystem);
    EXPECT_EQ(0, p.comIndx);
    EXPECT_EQ(0, p.connection);
    EXPECT_EQ(0, p.kanalMulti);
    EXPECT_EQ(1, p.rateIndx);
    EXPECT_EQ(0, p.wyborCentr);
    EXPECT_EQ("", p.nrTel);
    EXPECT_EQ("60", p.tsat);
    EXPECT_EQ("20", p.tkm);
    EXPECT_EQ("5", p.mlr);
    EXPECT_EQ("", p.nrMag);
    EXPECT_EQ("", p.kierWz);
    EXPECT_EQ("0", p.nrRej);
    EXPECT_EQ("CENA_1", p.cena);
    EXPECT_EQ((std::vector<std::string>{"020", "028", "021", "033", "030", "034", "010", "031", "",
                                        "", "", "", "", "", "", ""}),
              UnitCodeList(p));
    EXPECT_EQ("SZT.", p.unitAbbreviations[0]);
    EXPECT_EQ("DAG", p.unitAbbreviations[7]);
    EXPECT_EQ("", p.unitAbbreviations[8]);
    EXPECT_EQ((std::vector<std::string>{"23", "8", "5", "0", "0", "0", "-1"}), VatRateList(p));
}

TEST_F(RegisterParametersTest, ExportKeysFallBackToSectionMainWhenEmpty) {
    WriteBytes(path_,
               "[Main]\r\nNrMag=m01\r\nKierWZ=SPR\r\nNrRej=4\r\n"
               "[KASA 1]\r\nNrMag=\r\nNrRej=\r\n"
               "[KASA 2]\r\nNrMag=x02\r\nKierWZ=K2\r\nNrRej=7\r\n");
    const RegisterParameters one = ReadRegisterParameters(ini_, "KASA 1");
    EXPECT_EQ("M01", one.nrMag);  // upper case
    EXPECT_EQ("SPR", one.kierWz);
    EXPECT_EQ("4", one.nrRej);
    const RegisterParameters two = ReadRegisterParameters(ini_, "KASA 2");
    EXPECT_EQ("X02", two.nrMag);
    EXPECT_EQ("K2", two.kierWz);
    EXPECT_EQ("7", two.nrRej);
}

TEST_F(RegisterParametersTest, EmptyNrRejWithoutMainIsZero) {
    WriteBytes(path_, "[KASA 1]\r\nNrRej=\r\n");
    EXPECT_EQ("0", ReadRegisterParameters(ini_, "KASA 1").nrRej);
}

TEST_F(RegisterParametersTest, PriceColumnWrittenAsCenaIsReadBackWhateverTheCase) {
    ASSERT_TRUE(SavePriceColumn(ini_, "KASA 1", "CENA_2"));
    EXPECT_EQ("CENA_2", ReadRegisterParameters(ini_, "kasa 1").cena);
    EXPECT_EQ("[KASA 1]\r\nCena=CENA_2\r\n", ReadBytes(path_));
}

TEST_F(RegisterParametersTest, EmptyPriceColumnChoiceKeepsTheStoredOne) {
    ASSERT_TRUE(SavePriceColumn(ini_, "KASA 1", "CENA_3"));
    EXPECT_FALSE(SavePriceColumn(ini_, "KASA 1", ""));
    EXPECT_EQ("CENA_3", ReadRegisterParameters(ini_, "KASA 1").cena);
}

TEST_F(RegisterParametersTest, PriceColumnThatNamesNoColumnIsNeitherSavedNorUsed) {
    ASSERT_TRUE(SavePriceColumn(ini_, "KASA 1", "CENA_3"));
    EXPECT_FALSE(SavePriceColumn(ini_, "KASA 1", "CENA_1 from X; --"));
    EXPECT_EQ("CENA_3", ReadRegisterParameters(ini_, "KASA 1").cena);
    WriteBytes(path_, "[KASA 1]\r\nCena=CENA_1,haslo\r\n");  // edited by hand
    EXPECT_THROW(PriceColumnOf(ReadRegisterParameters(ini_, "KASA 1")), InvalidIdentifierError);
}

TEST_F(RegisterParametersTest, BlankPriceColumnMeansCenaOne) {
    WriteBytes(path_, "[KASA 1]\r\nCena=  \r\n");
    EXPECT_EQ("CENA_1", PriceColumnOf(ReadRegisterParameters(ini_, "KASA 1")).Text());
}

TEST_F(RegisterParametersTest, ConnectionFieldsAreWrittenInTheirOrder) {
    RegisterParameters p = DefaultRegisterParameters();
    p.connection = 2;
    p.nrTel = "0221234567";
    p.nrMag = "m1";
    ASSERT_TRUE(SaveConnectionParameters(ini_, "KASA 3", p));
    EXPECT_EQ(
        "[KASA 3]\r\nTimeout=5\r\nNrKasySystem=1\r\nComIndx=0\r\nConnection=2\r\n"
        "KanalMulti=0\r\nRateIndx=1\r\nWyborCentr=0\r\nNrTel=0221234567\r\nTSAT=60\r\n"
        "TKM=20\r\nMLR=5\r\nNrMag=M1\r\nKierWZ=\r\nNrRej=0\r\n",
        ReadBytes(path_));
    EXPECT_EQ(2, ReadRegisterParameters(ini_, "KASA 3").connection);
}

TEST_F(RegisterParametersTest, UnitRowsNineToSixteenAreSavedOnceFilled) {
    RegisterParameters p = DefaultRegisterParameters();
    p.unitCodes[15] = " m2 ";
    p.unitAbbreviations[15] = "M2";
    ASSERT_TRUE(SaveUnitTable(ini_, "KASA 1", p));
    const RegisterParameters read = ReadRegisterParameters(ini_, "KASA 1");
    EXPECT_EQ("M2", UnitCodeList(read)[15]);
    EXPECT_EQ("M2", read.unitAbbreviations[15]);
    EXPECT_EQ("020", read.unitCodes[0]);
    EXPECT_EQ("", read.unitCodes[8]);
}

TEST_F(RegisterParametersTest, VatTableIsWrittenAsVatZeroToSix) {
    RegisterParameters p = DefaultRegisterParameters();
    p.vatRates = {"22", "7", "3", "0", "0", "0", "-1"};
    ASSERT_TRUE(SaveVatTable(ini_, "KASA 1", p));
    EXPECT_EQ(
        "[KASA 1]\r\nVAT0=22\r\nVAT1=7\r\nVAT2=3\r\nVAT3=0\r\nVAT4=0\r\nVAT5=0\r\nVAT6=-1\r\n",
        ReadBytes(path_));
}

TEST_F(RegisterParametersTest, UnwritableFileIsReported) {
    IniFile nowhere(dir_.File("missing/RUBSO.INI"));
    EXPECT_FALSE(SaveVatTable(nowhere, "KASA 1", DefaultRegisterParameters()));
}

// --- The multiplexer channel list ----------------------------------------------------------

TEST(ChannelChoice, FollowsTheConnectionKind) {
    struct Case {
        int kind;
        int remembered;
        ChannelChoice expected;
    };
    const std::vector<Case> cases = {
        {0, 3, {{"1"}, false, 0, false}},  // direct after multiplexer channel 4
        {1, 3, {{"1", "2", "3", "4"}, true, 3, false}},
        {1, 4, {{"1", "2", "3", "4"}, true, 0, false}},  // modem channel 5: back to 1
        {2, 4, {{"1", "2", "3", "4", "5"}, true, 4, true}},
        {2, 9, {{"1", "2", "3", "4", "5"}, true, 0, true}},
        {7, 2, {{"1"}, false, 0, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ChannelChoiceFor(c.kind, c.remembered))
            << "kind " << c.kind << " position " << c.remembered;
    }
}

// --- The current register ----------------------------------------------------------------

class CurrentRegisterTest : public ::testing::Test {
  protected:
    CurrentRegisterTest() { ClearCurrentRegister(); }
    ~CurrentRegisterTest() override {
        ClearCurrentRegister();
        App() = AppState{};
    }
    test::ProgramDir dir_;
};

TEST_F(CurrentRegisterTest, SelectingARegisterSetsNumberDirectorySectionAndCodeTable) {
    RegisterDefinition definition = test::DefinitionOf(3);
    definition.id = 2;
    SelectRegister(definition);
    EXPECT_EQ(3, App().registerNo);  // its code, not its id
    EXPECT_EQ(App().dayDir + "Kasa03/", App().kasaDir);
    EXPECT_EQ("KASA 3", CurrentRegisterSection());
    EXPECT_EQ(App().dataDir + "Kody03.db", CurrentKodyPath());
    ASSERT_TRUE(CurrentRegister().has_value());
    EXPECT_EQ("3", CurrentRegister()->kodKasa);
}

TEST_F(CurrentRegisterTest, RegisterCodeWithBlanksOrTextGivesItsLeadingNumber) {
    RegisterDefinition definition = test::DefinitionOf(1);
    definition.kodKasa = " 2 ";
    SelectRegister(definition);
    EXPECT_EQ(2, App().registerNo);
    definition.kodKasa = "K1";
    SelectRegister(definition);
    EXPECT_EQ(0, App().registerNo);
}

TEST_F(CurrentRegisterTest, NoRegisterMeansNumberZeroAndDefaults) {
    EXPECT_FALSE(CurrentRegister().has_value());
    EXPECT_EQ(0, App().registerNo);
    EXPECT_EQ(App().dayDir + "Kasa00/", App().kasaDir);
    EXPECT_EQ("CENA_1", CurrentPriceColumn().Text());
}

TEST_F(CurrentRegisterTest, VatAndUnitListsFollowTheCurrentSection) {
    dir_.SetRegisterKey(1, "VAT0", "22");
    dir_.SetRegisterKey(2, "VAT0", "23");
    dir_.SetRegisterKey(2, "KOD1", "szt");
    dir_.SetRegisterKey(2, "Cena", "CENA_2");
    SelectRegister(test::DefinitionOf(1));
    EXPECT_EQ("22", VatRateList(CurrentRegisterParameters())[0]);
    EXPECT_EQ("020", UnitCodeList(CurrentRegisterParameters())[0]);
    EXPECT_EQ("CENA_1", CurrentPriceColumn().Text());
    SelectRegister(test::DefinitionOf(2));
    EXPECT_EQ("23", VatRateList(CurrentRegisterParameters())[0]);
    EXPECT_EQ("SZT", UnitCodeList(CurrentRegisterParameters())[0]);
    EXPECT_EQ("CENA_2", CurrentPriceColumn().Text());
    // An edit of the section is seen at the next use.
    dir_.SetRegisterKey(2, "VAT0", "5");
    EXPECT_EQ("5", VatRateList(CurrentRegisterParameters())[0]);
}

TEST_F(CurrentRegisterTest, CommandWorksWithOneReadingAndTheNextCommandSeesAnEdit) {
    SelectRegister(test::DefinitionOf(1));
    {
        const RegisterParametersScope command;
        dir_.SetRegisterKey(1, "VAT0", "5");
        EXPECT_EQ("23", VatRateList(CurrentRegisterParameters())[0]);
        SelectRegister(test::DefinitionOf(2));  // another register: its own section
        dir_.SetRegisterKey(2, "VAT0", "7");
        EXPECT_EQ("23", VatRateList(CurrentRegisterParameters())[0]);
    }
    EXPECT_EQ("7", VatRateList(CurrentRegisterParameters())[0]);
}

}  // namespace
}  // namespace rubso
