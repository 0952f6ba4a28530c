// The texts the register library reads, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/polish_letters.h"
#include "register/register_parameters.h"
#include "register/register_records.h"

namespace rubso {
namespace {

GoodsRecordContext DefaultContext(int letterStandardIndex = 0) {
    const RegisterParameters parameters = DefaultRegisterParameters();
    return {VatRateList(parameters), UnitCodeList(parameters), letterStandardIndex};
}

// Field n (1-based) of a TAB-separated record.
std::string Field(const std::string& line, int n) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) start = line.find('\t', start) + 1;
    return line.substr(start, line.find('\t', start) - start);
}

ExportGood Mleko() {
    ExportGood good;
    good.asort = "MLEKO";
    good.nazwa = "Mleko";
    good.cena = 2.49;
    good.stawkaVat = 8;
    good.jm = "020";
    good.kodKasa = 12;
    return good;
}

// --- The goods record -----------------------------------------------------------

TEST(GoodsRecord, MlekoExampleIsSentFieldForField) {
    EXPECT_EQ("$00012\tMleko              \t2\t1\t0\t1\t0\t0000000000000\t249\t0",
              GoodsRecordLine(Mleko(), DefaultContext()));
}

TEST(GoodsRecord, LongNameIsCutAtNineteenAndShortNamePadded) {
    ExportGood good = Mleko();
    good.nazwa = "Czekolada mleczna 100g XL";  // 25 characters
    EXPECT_EQ("Czekolada mleczna 1", RegisterName(good.nazwa, 0));
    EXPECT_EQ("Sok" + std::string(16, ' '), RegisterName("Sok", 0));
}

TEST(GoodsRecord, CodeKeepsOnlyItsLastFiveDigits) {
    EXPECT_EQ("$23456", RegisterCodeField(123456));
    EXPECT_EQ("$00000", RegisterCodeField(0));
    EXPECT_EQ(23456, SentRegisterCode(123456));
    EXPECT_EQ(12, SentRegisterCode(12));
}

TEST(GoodsRecord, BarCodeIsRightAlignedInThirteenDigits) {
    struct Case {
        std::string barCode;
        std::string sent;
    };
    const std::vector<Case> cases = {
        {"5901234123457", "5901234123457"},
        {"123", "0000000000123"},
        {"", "0000000000000"},
        {"995901234123457", "5901234123457"},  // only the last 13 kept
    };
    for (const Case& c : cases) {
        ExportGood good = Mleko();
        good.barCode = c.barCode;
        EXPECT_EQ(c.sent, Field(GoodsRecordLine(good, DefaultContext()), 8)) << c.barCode;
    }
}

struct ControlBytesCase {
    std::string nazwa;
    std::string barCode;
    std::string sentName;
    std::string sentBarCode;
};

class GoodsRecordControlBytes : public ::testing::TestWithParam<ControlBytesCase> {};

TEST_P(GoodsRecordControlBytes, BecomeBlanksBeforeTheCutSoTheRecordKeepsTenFieldsOnOneLine) {
    ExportGood good = Mleko();
    good.nazwa = GetParam().nazwa;
    good.barCode = GetParam().barCode;
    const std::string line = GoodsRecordLine(good, DefaultContext());
    EXPECT_EQ(9, std::count(line.begin(), line.end(), '\t'));
    EXPECT_EQ(std::string::npos, line.find_first_of("\r\n"));
    EXPECT_EQ(GetParam().sentName, Field(line, 2));
    EXPECT_EQ(GetParam().sentBarCode, Field(line, 8));
}

INSTANTIATE_TEST_SUITE_P(
    Names, GoodsRecordControlBytes,
    ::testing::Values(
        ControlBytesCase{"Ab\tcd\r\nef", "", "Ab cd  ef          ", "0000000000000"},
        ControlBytesCase{"\x01Mleko\x7F", "590\t123", " Mleko             ", "000000590 123"},
        ControlBytesCase{"Czekolada\tmleczna 100g", "", "Czekolada mleczna 1", "0000000000000"},
        ControlBytesCase{"\n\n", "\r", "                   ", "000000000000 "}));

TEST(GoodsRecord, NameGoesToTheRegisterInCodePage852) {
    ExportGood good = Mleko();
    good.nazwa = "\xA5\xB3";  // Windows-1250 "Ął"
    EXPECT_EQ(std::string("\xA4\x88") + std::string(17, ' '), RegisterName(good.nazwa, 2));
    // Index 0: the name as stored.
    EXPECT_EQ(std::string("\xA5\xB3") + std::string(17, ' '), RegisterName(good.nazwa, 0));
    // Mazovia "Ą" (0x8F) is code page 852 "Ą" (0xA4).
    EXPECT_EQ(std::string("\xA4") + std::string(18, ' '), RegisterName("\x8F", kRowMazovia));
}

// --- The price in grosze ------------------------------------------------------------

TEST(PriceInGrosze, FractionOfAGroszIsDroppedNeverRoundedUp) {
    struct Case {
        double price;
        std::int64_t grosze;
    };
    const std::vector<Case> cases = {
        {2.49, 249},  // 2.49 * 100 is 248.999… in floating point
        {10.005, 1000}, {10.015, 1001},   {2.499, 249}, {0.29, 29},
        {1.15, 115},    {4.35, 435},      {0.0, 0},     {99999.99, 9999999},
        {-2.49, -249},  {-10.005, -1000}, {0.00005, 0},  // below the currency's four decimals
    };
    for (const Case& c : cases) EXPECT_EQ(c.grosze, PriceInGrosze(c.price)) << c.price;
}

// --- VAT group and unit --------------------------------------------------------------

TEST(VatIndex, RateIsLookedUpWithoutItsFraction) {
    const std::vector<std::string> list = VatRateList(DefaultRegisterParameters());
    struct Case {
        double rate;
        std::string group;
    };
    const std::vector<Case> cases = {
        {23, "1"}, {8, "2"}, {8.9, "2"}, {5, "3"},    {0, "4"},
        {-1, "7"}, {7, "1"}, {22, "1"},  {-0.5, "4"},  // -0.5 truncates to 0
    };
    for (const Case& c : cases) EXPECT_EQ(c.group, VatIndex(c.rate, list)) << c.rate;
}

TEST(VatIndex, ListEntriesCompareAsWholeTextsIgnoringCase) {
    EXPECT_EQ("2", VatIndex(8, {"zw", "8", "08"}));
    EXPECT_EQ("1", VatIndex(8, {"zw", " 8x"}));
}

TEST(UnitIndex, UnitIsTrimmedAndUpperCasedBeforeTheLookup) {
    RegisterParameters parameters = DefaultRegisterParameters();
    parameters.unitCodes[8] = "kg ";
    const std::vector<std::string> list = UnitCodeList(parameters);
    struct Case {
        std::string unit;
        std::string index;
    };
    const std::vector<Case> cases = {
        {"020", "1"}, {" 028 ", "2"}, {"031", "8"}, {"KG", "9"},
        {"Kg", "9"},  {"999", "1"},   {"", "1"},    {"   ", "1"},  // never an empty row
    };
    for (const Case& c : cases) EXPECT_EQ(c.index, UnitIndex(c.unit, list)) << c.unit;
}

// --- Other files ------------------------------------------------------------------

TEST(DeletionRecord, IsTheDollarAndTheCode) {
    EXPECT_EQ("$12", DeletionRecordLine(12));
    EXPECT_EQ("$99999", DeletionRecordLine(99999));
}

TEST(InputFileHeader, FirstLineCarriesTheTrimmedSystemNumber) {
    EXPECT_EQ((std::vector<std::string>{"#1", "#", "#"}), InputFileHeader("1"));
    EXPECT_EQ((std::vector<std::string>{"#12", "#", "#"}), InputFileHeader(" 12 "));
}

TEST(DriverConfigLine, HoldsTheRegisterDefinitionBetweenFixedPieces) {
    RegisterDefinition definition;
    definition.kodKasa = "3";
    definition.port = 2;
    definition.szybkosc = 19200;
    definition.timeOut = 7;
    EXPECT_EQ("$3\t2:19200:STX0:1:E\t7\tK10\t", DriverConfigLine(definition));
}

TEST(ModemCommands, SixteenLinesWithoutAFinalLineBreak) {
    EXPECT_EQ(
        "$AT&F0\r\n$ATS0=0\r\n$ATS12=0\r\n$ATL1\r\n$ATN1\r\n$ATM1\r\n$ATX4\r\n$AT&Q5\r\n"
        "$AT&R1\r\n$AT&S0\r\n$ATQ0\r\n$ATE1\r\n$ATV1\r\n$AT&K3\r\n$AT&D0\r\n$AT&C1",
        ModemCommandsText());
}

}  // namespace
}  // namespace rubso
