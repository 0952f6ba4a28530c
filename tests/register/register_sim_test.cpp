// The substitute register library, reached through the loader as the
// program reaches it: input files in "in/", "KONFIG.txt" in the working
// directory, output files where the caller asks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "register/winip_library.h"
#include "tests/register/register_work_dir.h"

namespace rubso {
namespace {

using test::FileText;
using test::GoodsRecord;
using test::JoinFields;
using test::RegisterWorkDir;
using test::WriteFile;
using F = WinIpFunction;

const std::string kGoodsHeader = "#1\r\n#0\r\n#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN\r\n";
const std::string kTotalsColumns = "#KOD\tILOSC\tWARTOSC\r\n";
const std::string kSalesColumns = "#PARAGON\tKOD\tNAZWA\tILOSC\tCENA\tRABAT\tWARTOSC\tSTATUS\r\n";

// The description "koment.txt" gives for a code, found the way the program
// finds it: the code right-aligned in three characters and a TAB.
std::string Description(int code) {
    const std::string text = FileText(std::string(RUBSO_WINIP_DIR) + "/koment.txt");
    std::string key = std::to_string(code);
    key = std::string(3 - key.size(), ' ') + key + "\t";
    const std::size_t at = text.find(key);
    if (at != 0 && (at == std::string::npos || text[at - 1] != '\n')) return "";
    const std::size_t end = text.find("\r\n", at);
    return Cp1250ToUtf8(text.substr(at + key.size(), end - at - key.size()));
}

// --- Goods ------------------------------------------------------------------

using SimGoods = RegisterWorkDir;

TEST_F(SimGoods, StoredGoodIsListedByTowarMax) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko", 2, 1, "5901234123457", 249)}));
    EXPECT_EQ(
        "#1\r\n#1\r\n#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN\r\n"
        "$00012\tMleko\t2\t1\t249\t5901234123457\r\n",
        ReadOutput(F::kTowarMax));
}

TEST_F(SimGoods, EmptyRegisterListsTheHeaderOnly) {
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
}

TEST_F(SimGoods, GoodsAreListedInCodeOrderWhateverTheSendingOrder) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(300, "Chleb")}));
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(7, "Bułka", 1, 1, "", 45)}));
    const std::string list = ReadOutput(F::kTowarMax);
    EXPECT_LT(list.find("$00007"), list.find("$00300"));
    EXPECT_EQ(0u, list.find("#1\r\n#2\r\n"));
}

TEST_F(SimGoods, SecondZTowarUnderTheSameCodeReplacesTheGood) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko", 2, 1, "", 249)}));
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko 2%", 3, 4, "123", 299)}));
    EXPECT_EQ(
        "#1\r\n#1\r\n#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN\r\n"
        "$00012\tMleko 2%\t3\t4\t299\t0000000000123\r\n",
        ReadOutput(F::kTowarMax));
}

TEST_F(SimGoods, NameBytesOfCodePage852AreKeptUnchanged) {
    const std::string name = "\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE";  // ąćęłńóśźż in 852
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(5, name)}));
    EXPECT_NE(std::string::npos, ReadOutput(F::kTowarMax).find("$00005\t" + name + "\t"));
}

TEST_F(SimGoods, ZCTowarChangesThePriceAndNothingElse) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko", 2, 1, "", 249)}));
    ASSERT_EQ(0, Call(F::kZCTowar, {GoodsRecord(12, "Inna nazwa", 5, 3, "999", 275)}));
    EXPECT_EQ(
        "#1\r\n#1\r\n#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN\r\n"
        "$00012\tMleko\t2\t1\t275\t0000000000000\r\n",
        ReadOutput(F::kTowarMax));
}

TEST_F(SimGoods, ZCTowarOfACodeTheRegisterLacksFails) {
    EXPECT_EQ(18, Call(F::kZCTowar, {GoodsRecord(12, "Mleko")}));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
}

TEST_F(SimGoods, KTowarDeletesOnlyTheNamedGood) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(13, "Chleb")}));
    ASSERT_EQ(0, Call(F::kKTowar, {"$12"}));
    const std::string list = ReadOutput(F::kTowarMax);
    EXPECT_EQ(std::string::npos, list.find("$00012"));
    EXPECT_NE(std::string::npos, list.find("$00013"));
}

TEST_F(SimGoods, KTowarOfACodeTheRegisterLacksFails) {
    EXPECT_EQ(18, Call(F::kKTowar, {"$12"}));
}

TEST_F(SimGoods, KTowMaxDeletesEveryGood) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(13, "Chleb")}));
    ASSERT_EQ(0, Call(F::kKTowMax));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
}

TEST_F(SimGoods, EachRegisterNumberIsASeparateRegister) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}, 2));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax, 1));
    EXPECT_EQ(0u, ReadOutput(F::kTowarMax, 2).find("#2\r\n#1\r\n"));
}

TEST_F(SimGoods, SameNameUnderAnotherCodeIsRefused) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    EXPECT_EQ(13, Call(F::kZTowar, {GoodsRecord(13, "Mleko")}));
}

TEST_F(SimGoods, CodeAboveTheRegistersHighestIsRefused) {
    ASSERT_EQ(0, Tool({"max-code", "1", "500"}));
    EXPECT_EQ(0, Call(F::kZTowar, {GoodsRecord(500, "Mleko")}));
    EXPECT_EQ(9, Call(F::kZTowar, {GoodsRecord(501, "Chleb")}));
}

TEST_F(SimGoods, SeveralRecordsInOneFileAreAllOrNothing) {
    EXPECT_EQ(14, Call(F::kZTowar, {GoodsRecord(1, "Mleko"), GoodsRecord(2, "Chleb", 9)}));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
    EXPECT_EQ(0, Call(F::kZTowar, {GoodsRecord(1, "Mleko"), GoodsRecord(2, "Chleb")}));
    const std::string both = ReadOutput(F::kTowarMax);
    EXPECT_EQ(0u, both.find("#1\r\n#2\r\n"));
    EXPECT_EQ(18, Call(F::kKTowar, {"$1", "$77"}));
    EXPECT_EQ(18,
              Call(F::kZCTowar, {GoodsRecord(2, "Chleb", 2, 1, "", 300), GoodsRecord(77, "X")}));
    EXPECT_EQ(both, ReadOutput(F::kTowarMax));
}

// --- Validation of records ----------------------------------------------------

struct RecordCase {
    const char* label;
    std::string record;
    int code;
};

// Failures name the case rather than print its bytes.
void PrintTo(const RecordCase& c, std::ostream* out) {
    *out << c.label;
}

std::vector<std::string> Fields(int code = 12) {
    return {"$" + std::string(5 - std::to_string(code).size(), '0') + std::to_string(code),
            "Mleko              ",
            "2",
            "1",
            "0",
            "1",
            "0",
            "0000000000000",
            "249",
            "0"};
}

std::string With(std::size_t index, const std::string& value) {
    std::vector<std::string> fields = Fields();
    fields[index] = value;
    return JoinFields(fields);
}

std::string Without(std::size_t index) {
    std::vector<std::string> fields = Fields();
    fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(index));
    return JoinFields(fields);
}

class SimRecordValidation : public RegisterWorkDir,
                            public ::testing::WithParamInterface<RecordCase> {};

TEST_P(SimRecordValidation, BadRecordIsRefusedWithADescribedCodeAndStoresNothing) {
    const RecordCase& c = GetParam();
    EXPECT_EQ(c.code, Call(F::kZTowar, {c.record}));
    EXPECT_NE("", Description(c.code));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
}

INSTANTIATE_TEST_SUITE_P(
    Records, SimRecordValidation,
    ::testing::Values(
        RecordCase{"NameOf20Characters", With(1, std::string(20, 'N')), 10},
        RecordCase{"NameOfBlanksOnly", With(1, std::string(19, ' ')), 11},
        RecordCase{"EmptyName", With(1, ""), 11},
        RecordCase{"ControlCharacterInName", With(1, "Mle\x01ko"), 12},
        RecordCase{"VatGroupZero", With(2, "0"), 14}, RecordCase{"VatGroupEight", With(2, "8"), 14},
        RecordCase{"UnitZero", With(5, "0"), 15}, RecordCase{"UnitSeventeen", With(5, "17"), 15},
        RecordCase{"CodeZero", With(0, "$00000"), 9},
        RecordCase{"CodeOfSixDigits", With(0, "$123456"), 9},
        RecordCase{"PriceZero", With(8, "0"), 17}, RecordCase{"NegativePrice", With(8, "-5"), 17},
        RecordCase{"PriceAboveTheDisplay", With(8, "100000000"), 17},
        RecordCase{"HugePrice", With(8, "99999999999999999999999"), 17},
        // Read with wrapping arithmetic, these would become 249 and 12.
        RecordCase{"PriceOf2To64Times5Plus249", With(8, "92233720368547758329"), 17},
        RecordCase{"CodeOf2To64Times5Plus12", With(0, "$92233720368547758092"), 9},
        RecordCase{"BarCodeWithLetters", With(7, "59012341234AB"), 16},
        RecordCase{"BarCodeOf14Digits", With(7, "12345678901234"), 16},
        RecordCase{"PriceWithADecimalPoint", With(8, "2.49"), 8},
        RecordCase{"LettersInVatGroup", With(2, "A"), 8},
        RecordCase{"LettersInFixedField", With(3, "x"), 8}, RecordCase{"EmptyUnit", With(5, ""), 8},
        RecordCase{"CodeWithoutDollar", With(0, "00012"), 8},
        RecordCase{"LettersInCode", With(0, "$00A12"), 8}, RecordCase{"NineFields", Without(9), 8},
        RecordCase{"TrailingTab", JoinFields(Fields()) + "\t", 8},
        RecordCase{"BlanksInsteadOfTabs", "$00012 Mleko 2 1 0 1 0 0 249 0", 8}),
    [](const ::testing::TestParamInfo<RecordCase>& param) {
        return std::string(param.param.label);
    });

TEST(SimErrorDescriptions, KomentLinesAreThreeCharacterCodesTabAndWindows1250Text) {
    EXPECT_EQ("Nazwa towaru za długa", Description(10));
    EXPECT_EQ("Brak pliku konfiguracji KONFIG.txt", Description(1));
    EXPECT_EQ("Błąd wewnętrzny biblioteki kasy", Description(26));
    EXPECT_EQ("", Description(0));
}

// --- Input file and configuration ---------------------------------------------

using SimInput = RegisterWorkDir;

TEST_F(SimInput, MissingKonfigIsAnError) {
    std::filesystem::remove("KONFIG.txt");
    EXPECT_EQ(1, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    EXPECT_NE("", Description(1));
}

TEST_F(SimInput, KonfigWithoutStx0IsAnError) {
    WriteFile("KONFIG.txt", "$1\t1:9600:1:E\t5\tK10\t\r\n");
    EXPECT_EQ(2, Call(F::kKSprOp));
    EXPECT_NE("", Description(2));
}

TEST_F(SimInput, KonfigWithEmptyVariablePiecesIsAccepted) {
    WriteFile("KONFIG.txt", "$\t::STX0:1:E\t\tK10\t\r\n");
    EXPECT_EQ(0, Call(F::kKSprOp));
}

TEST_F(SimInput, MissingInputFileIsAnError) {
    const WinIpResult result = library_.Call(F::kKSprOp, "in/none.in");
    EXPECT_EQ(3, result.Byte());
}

TEST_F(SimInput, InputPathOfADirectoryIsAnError) {
    EXPECT_EQ(3, library_.Call(F::kKSprOp, "in").Byte());
}

TEST_F(SimInput, HeaderOfTwoLinesIsAnError) {
    WriteFile("in/x.in", "#1\r\n#\r\n");
    EXPECT_EQ(4, library_.Call(F::kKSprOp, "in/x.in").Byte());
}

TEST_F(SimInput, EmptyInputFileIsAnError) {
    WriteFile("in/x.in", "");
    EXPECT_EQ(4, library_.Call(F::kKSprOp, "in/x.in").Byte());
}

TEST_F(SimInput, RegisterNumberMustBeOneToNinetyNine) {
    for (const char* header : {"#", "#abc", "#0", "#100", "#1a", "1", "#92233720368547758081"}) {
        SCOPED_TRACE(header);
        WriteFile("in/x.in", std::string(header) + "\r\n#\r\n#\r\n");
        const int expected = header[0] == '#' ? 5 : 4;
        EXPECT_EQ(expected, library_.Call(F::kKSprOp, "in/x.in").Byte());
    }
    WriteFile("in/x.in", "#99\r\n#\r\n#\r\n");
    EXPECT_EQ(0, library_.Call(F::kKSprOp, "in/x.in").Byte());
}

TEST_F(SimInput, LineFeedsAloneEndLinesToo) {
    WriteFile("in/x.in", "#1\n#\n#\n" + GoodsRecord(12, "Mleko") + "\n");
    EXPECT_EQ(0, library_.Call(F::kZTowar, "in/x.in").Byte());
    EXPECT_NE(std::string::npos, ReadOutput(F::kTowarMax).find("$00012\tMleko\t"));
}

TEST_F(SimInput, CtrlZEndsTheFile) {
    WriteFile("in/x.in", "#1\r\n#\r\n#\r\n" + GoodsRecord(12, "Mleko") + "\r\n\x1A" + "garbage");
    EXPECT_EQ(0, library_.Call(F::kZTowar, "in/x.in").Byte());
}

TEST_F(SimInput, LastRecordWithoutLineEndIsRead) {
    WriteFile("in/x.in", "#1\r\n#\r\n#\r\n" + GoodsRecord(12, "Mleko"));
    EXPECT_EQ(0, library_.Call(F::kZTowar, "in/x.in").Byte());
}

TEST_F(SimInput, SendingCallWithoutRecordIsAnError) {
    EXPECT_EQ(7, Call(F::kZTowar));
    EXPECT_EQ(7, Call(F::kZCTowar));
    EXPECT_EQ(7, Call(F::kKTowar));
}

TEST_F(SimInput, DeletionRecordMustBeDollarAndDigits) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    EXPECT_EQ(8, Call(F::kKTowar, {"12"}));
    EXPECT_EQ(8, Call(F::kKTowar, {"$1x"}));
    EXPECT_EQ(8, Call(F::kKTowar, {"$12\t0"}));
    EXPECT_EQ(9, Call(F::kKTowar, {"$0"}));
    EXPECT_EQ(0, Call(F::kKTowar, {"$00012"}));
}

TEST_F(SimInput, InputFileBeyondFourMegabytesIsRefusedUnread) {
    std::string text = "#1\r\n#\r\n#\r\n";
    const std::string record = GoodsRecord(12, "Mleko") + "\r\n";
    while (text.size() <= 4 * 1024 * 1024) text += record;
    WriteFile("in/x.in", text);
    EXPECT_EQ(6, library_.Call(F::kZTowar, "in/x.in").Byte());
}

TEST_F(SimInput, OutputIntoAMissingDirectoryIsAnError) {
    const WinIpResult result =
        library_.Call(F::kTowarMax, WriteInput("TowarMax", {}), "none/TowarMax.out");
    EXPECT_EQ(21, result.Byte());
}

// --- Sales ------------------------------------------------------------------

class SimSales : public RegisterWorkDir {
  protected:
    void SetUp() override {
        RegisterWorkDir::SetUp();
        ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(1, "Woda", 2, 1, "", 100)}));
        ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(2, "Mleko", 2, 1, "", 249)}));
        ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(3, "Ser na wage", 2, 4, "", 1999)}));
    }
};

TEST_F(SimSales, OTSpMaxGivesQuantityAndValueInGroszePerGood) {
    ASSERT_EQ(0, Tool({"sell", "1", "1", "12.5"}));
    ASSERT_EQ(0, Tool({"sell", "1", "2", "12"}));
    ASSERT_EQ(0, Tool({"sell", "1", "3", "0,05"}));  // 99.95 grosze, rounded up
    EXPECT_EQ("#1\r\n#3\r\n" + kTotalsColumns +
                  "$00001\t12.5\t1250\r\n"
                  "$00002\t12\t2988\r\n"
                  "$00003\t0.05\t100\r\n",
              ReadOutput(F::kOTSpMax));
}

TEST_F(SimSales, SalesOfOneGoodAddUpOverReceipts) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "1"}));
    ASSERT_EQ(0, Tool({"sell", "1", "2", "2.5", "1", "1"}));
    EXPECT_EQ("#1\r\n#2\r\n" + kTotalsColumns +
                  "$00001\t1\t100\r\n"
                  "$00002\t3.5\t872\r\n",
              ReadOutput(F::kOTSpMax));
}

TEST_F(SimSales, DiscountLowersTheValueAndCancelledLinesCountNowhere) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "2", "--discount=50", "1", "3", "--cancelled"}));
    EXPECT_EQ("#1\r\n#1\r\n" + kTotalsColumns + "$00002\t2\t448\r\n", ReadOutput(F::kOTSpMax));
}

TEST_F(SimSales, OSprzedListsEveryReceiptLine) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "2", "--discount=50"}));
    ASSERT_EQ(0, Tool({"sell", "1", "3", "0.125", "1", "3", "--cancelled"}));
    EXPECT_EQ("#1\r\n#3\r\n" + kSalesColumns +
                  "1\t$00002\tMleko\t2\t249\t50\t448\tS\r\n"
                  "2\t$00003\tSer na wage\t0.125\t1999\t0\t250\tS\r\n"
                  "2\t$00001\tWoda\t3\t100\t0\t300\tA\r\n",
              ReadOutput(F::kOSprzed));
}

TEST_F(SimSales, KSprOpZeroesTotalsAndKeepsGoods) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "2"}));
    ASSERT_EQ(0, Call(F::kKSprOp));
    EXPECT_EQ("#1\r\n#0\r\n" + kTotalsColumns, ReadOutput(F::kOTSpMax));
    EXPECT_EQ("#1\r\n#0\r\n" + kSalesColumns, ReadOutput(F::kOSprzed));
    EXPECT_EQ(0u, ReadOutput(F::kTowarMax).find("#1\r\n#3\r\n"));
}

TEST_F(SimSales, ReceiptNumbersGoOnAfterAReset) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "1"}));
    ASSERT_EQ(0, Call(F::kKSprOp));
    ASSERT_EQ(0, Tool({"sell", "1", "2", "1"}));
    EXPECT_EQ("receipt 2\n", toolOutput_.substr(0, 10));
}

TEST_F(SimSales, GoodWithSalesKeepsNameAndVatGroupUntilTheReset) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "1"}));
    EXPECT_EQ(19, Call(F::kZTowar, {GoodsRecord(2, "Mleko UHT", 2, 1, "", 249)}));
    EXPECT_EQ(19, Call(F::kZTowar, {GoodsRecord(2, "Mleko", 3, 1, "", 249)}));
    EXPECT_EQ(0, Call(F::kZTowar, {GoodsRecord(2, "Mleko", 2, 1, "", 259)}));
    EXPECT_EQ(0, Call(F::kZCTowar, {GoodsRecord(2, "Mleko", 2, 1, "", 269)}));
    EXPECT_EQ(19, Call(F::kKTowar, {"$2"}));
    EXPECT_EQ(19, Call(F::kKTowMax));
    ASSERT_EQ(0, Call(F::kKSprOp));
    EXPECT_EQ(0, Call(F::kKTowar, {"$2"}));
}

TEST_F(SimSales, PriceChangeAppliesToLaterSalesOnly) {
    ASSERT_EQ(0, Tool({"sell", "1", "2", "1"}));
    ASSERT_EQ(0, Call(F::kZCTowar, {GoodsRecord(2, "Mleko", 2, 1, "", 300)}));
    ASSERT_EQ(0, Tool({"sell", "1", "2", "1"}));
    EXPECT_NE(std::string::npos, ReadOutput(F::kOTSpMax).find("$00002\t2\t549\r\n"));
}

TEST_F(SimSales, ToolRefusesWhatARegisterWouldRefuse) {
    EXPECT_EQ(1, Tool({"sell", "1", "99", "1"}));  // no such good
    EXPECT_EQ(1, Tool({"sell", "1", "2", "1", "--discount=250"}));
    EXPECT_EQ(2, Tool({"sell", "1", "2", "0"}));
    EXPECT_EQ(2, Tool({"sell", "1", "2", "1.0005"}));
    EXPECT_EQ(2, Tool({"sell", "1", "2", "x"}));
    EXPECT_EQ(2, Tool({"sell", "1", "2"}));
    EXPECT_EQ(2, Tool({"sell", "0", "2", "1"}));
    EXPECT_EQ(2, Tool({"fail", "1", "Nothing", "5"}));
    EXPECT_EQ("#1\r\n#0\r\n" + kTotalsColumns, ReadOutput(F::kOTSpMax));
}

// --- Modem session ------------------------------------------------------------

using SimSession = RegisterWorkDir;

TEST_F(SimSession, ModStopAfterModStartSucceedsOnce) {
    EXPECT_EQ(0, Call(F::kModStart));
    EXPECT_EQ(0, Call(F::kModStart));  // already open
    EXPECT_EQ(0, Call(F::kModStop));
    EXPECT_EQ(20, Call(F::kModStop));
}

TEST_F(SimSession, ModemRegisterAnswersOnlyWithinASession) {
    ASSERT_EQ(0, Tool({"modem", "1", "on"}));
    std::string output;
    EXPECT_EQ(20, Read(F::kTowarMax, output));
    EXPECT_EQ("", output);
    EXPECT_EQ(20, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    ASSERT_EQ(0, Call(F::kModStart));
    EXPECT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    ASSERT_EQ(0, Call(F::kModStop));
    EXPECT_EQ(20, Call(F::kKSprOp));
}

// --- Failure switch -----------------------------------------------------------

using SimFailureSwitch = RegisterWorkDir;

TEST_F(SimFailureSwitch, ArmedFunctionFailsOnceWithTheGivenCodeAndDoesNothing) {
    ASSERT_EQ(0, Tool({"fail", "1", "ZTowar", "25"}));
    EXPECT_EQ(25, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
    EXPECT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
}

TEST_F(SimFailureSwitch, OtherFunctionsAndRegistersAreUnaffected) {
    ASSERT_EQ(0, Tool({"fail", "1", "__OTSpMax", "7", "2"}));
    EXPECT_EQ(0, Call(F::kKSprOp));
    EXPECT_EQ(0, Call(F::kKSprOp, {}, 2));
    std::string output;
    EXPECT_EQ(0, Read(F::kOTSpMax, output, 2));
    EXPECT_EQ(7, Read(F::kOTSpMax, output));
    EXPECT_EQ("", output);
    EXPECT_EQ(7, Read(F::kOTSpMax, output));
    EXPECT_EQ(0, Read(F::kOTSpMax, output));
}

TEST_F(SimFailureSwitch, CodeWithoutADescriptionIsReturnedAsGiven) {
    ASSERT_EQ(0, Tool({"fail", "1", "KSprOp", "200"}));
    EXPECT_EQ(200, Call(F::kKSprOp));
    EXPECT_EQ("", Description(200));
}

// --- State between calls --------------------------------------------------------

using SimState = RegisterWorkDir;

TEST_F(SimState, GoodsSurviveUnloadingAndReloadingTheLibrary) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    library_.Unload();
    WinIpLibrary other;
    ASSERT_TRUE(other.Load(RUBSO_WINIP_DIR));
    ASSERT_TRUE(other.Call(F::kTowarMax, WriteInput("TowarMax", {}), "TowarMax.out").Succeeded());
    EXPECT_NE(std::string::npos, FileText("TowarMax.out").find("$00012\tMleko\t"));
}

TEST_F(SimState, StateLivesUnderSimInTheWorkingDirectory) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}, 7));
    EXPECT_TRUE(std::filesystem::is_regular_file("sim/kasa07/state.txt"));
}

TEST_F(SimState, EnvironmentVariableMovesTheState) {
    std::filesystem::create_directory("elsewhere");
    ::setenv("RUBSO_SIM_STATE", "elsewhere", 1);
    const std::uint8_t result = Call(F::kZTowar, {GoodsRecord(12, "Mleko")});
    ::unsetenv("RUBSO_SIM_STATE");
    EXPECT_EQ(0, result);
    EXPECT_TRUE(std::filesystem::is_regular_file("elsewhere/kasa01/state.txt"));
    EXPECT_FALSE(std::filesystem::exists("sim"));
}

TEST_F(SimState, DamagedStateIsAnErrorAndIsLeftAsFound) {
    std::filesystem::create_directories("sim/kasa01");
    const std::string garbage =
        "\x7F"
        "ELF\x02\x01\x01 not a state\r\n";
    WriteFile("sim/kasa01/state.txt", garbage);
    EXPECT_EQ(22, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    std::string output;
    EXPECT_EQ(22, Read(F::kTowarMax, output));
    EXPECT_EQ(garbage, FileText("sim/kasa01/state.txt"));
    EXPECT_NE("", Description(22));
}

TEST_F(SimState, TruncatedStateIsAnError) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    const std::string whole = FileText("sim/kasa01/state.txt");
    WriteFile("sim/kasa01/state.txt", whole.substr(0, whole.size() - 4));  // without "end"
    EXPECT_EQ(22, Call(F::kKSprOp));
}

TEST_F(SimState, StateWithAFieldOfLettersIsAnError) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko", 2, 1, "", 249)}));
    std::string text = FileText("sim/kasa01/state.txt");
    text.replace(text.find("\t249\t"), 5, "\t2x9\t");
    WriteFile("sim/kasa01/state.txt", text);
    EXPECT_EQ(22, Call(F::kKSprOp));
}

TEST_F(SimState, HalfWrittenNewStateFromACrashIsIgnored) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    WriteFile("sim/kasa01/state.txt.new", "kasa-sim-state\t1\ngood\t13\tCh");
    EXPECT_NE(std::string::npos, ReadOutput(F::kTowarMax).find("$00012\tMleko\t"));
    EXPECT_EQ(0, Call(F::kZTowar, {GoodsRecord(13, "Chleb")}));
    EXPECT_EQ(0u, ReadOutput(F::kTowarMax).find("#1\r\n#2\r\n"));
}

struct JournalCase {
    const char* label;
    std::string appended;  // to the journal after a first good, Mleko, was stored
    int code;              // of the next call
};

void PrintTo(const JournalCase& c, std::ostream* out) {
    *out << c.label;
}

class SimJournal : public RegisterWorkDir, public ::testing::WithParamInterface<JournalCase> {};

TEST_P(SimJournal, OnlyWholeEntriesAfterTheStateFileAreChanges) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    std::ofstream("sim/kasa01/journal.txt", std::ios::app | std::ios::binary)
        << GetParam().appended;
    ASSERT_EQ(GetParam().code, Call(F::kZTowar, {GoodsRecord(15, "Sok")}));
    if (GetParam().code != 0) return;
    library_.Unload();  // read from the files alone
    ASSERT_TRUE(library_.Load(RUBSO_WINIP_DIR));
    const std::string list = ReadOutput(F::kTowarMax);
    EXPECT_EQ(0u, list.find("#1\r\n#2\r\n")) << list;
    EXPECT_NE(std::string::npos, list.find("$00015\tSok\t"));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SimJournal,
    ::testing::Values(JournalCase{"CallKilledMidLine", "good\t14\tWo", 0},
                      JournalCase{"CallKilledBeforeItsCommit",
                                  "drop\t12\ngood\t14\tWoda\t2\t1\t0\t1\t0\t\t249\t0\n", 0},
                      JournalCase{"EntryTheStateFileHolds", "drop-goods\ncommit\t1\n", 0},
                      JournalCase{"EntryOfALineThatIsNoChange", "good\t13\tx\ncommit\t2\n", 22}),
    [](const ::testing::TestParamInfo<JournalCase>& param) {
        return std::string(param.param.label);
    });

TEST_F(SimState, RegisterBeyondTheComparedHeadSeesTheToolsChanges) {
    std::vector<std::string> records;
    for (int code = 1; code <= 2000; ++code) {
        records.push_back(GoodsRecord(code, "Towar " + std::to_string(code)));
    }
    ASSERT_EQ(0, Call(F::kZTowar, records));
    ASSERT_EQ(0, Call(F::kZCTowar, {GoodsRecord(1500, "Towar 1500", 2, 1, "", 300)}));
    ASSERT_EQ(0, Tool({"sell", "1", "1500", "2"})) << toolOutput_;
    EXPECT_EQ("#1\r\n#1\r\n" + kTotalsColumns + "$01500\t2\t600\r\n", ReadOutput(F::kOTSpMax));
    ASSERT_EQ(0, Tool({"clear", "1"}));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
}

TEST_F(SimState, ToolListShowsGoodsTotalsAndArmedFailures) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12,
                                               "\x88"
                                               "opata")}));  // łopata in 852
    ASSERT_EQ(0, Tool({"sell", "1", "12", "2"}));
    ASSERT_EQ(0, Tool({"fail", "1", "OSprzed", "25"}));
    ASSERT_EQ(0, Tool({"list", "1"}));
    EXPECT_NE(std::string::npos, toolOutput_.find("$00012  łopata"));
    EXPECT_NE(std::string::npos, toolOutput_.find("$00012  quantity 2  value 498"));
    EXPECT_NE(std::string::npos, toolOutput_.find("OSprzed  code 25  times 1"));
}

TEST_F(SimState, ToolClearEmptiesTheRegister) {
    ASSERT_EQ(0, Call(F::kZTowar, {GoodsRecord(12, "Mleko")}));
    ASSERT_EQ(0, Tool({"clear", "1"}));
    EXPECT_EQ(kGoodsHeader, ReadOutput(F::kTowarMax));
}

}  // namespace
}  // namespace rubso
