// The goods export and the price change, from the goods table in the
// database to the substitute register, in both KOD_KASA forms.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/text_utils.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "tests/register/exchange_db_test_support.h"

namespace rubso {
namespace {

using fixture::KodKasaKind;
using test::MakeGood;
using test::ReadBytes;
using test::WriteBytes;
namespace fs = std::filesystem;

const std::string kRegisterListHeader = "#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN";

class GoodsExport : public test::ExchangeDbTest, public ::testing::WithParamInterface<KodKasaKind> {
  protected:
    GoodsExport() : ExchangeDbTest(GetParam()) {}

    // The register's goods list lines after its header.
    std::vector<std::string> RegisterGoods() {
        const auto list = e_.WczytajTowary();
        if (!list || list->size() < 3) return {};
        return {list->begin() + 3, list->end()};
    }
    std::vector<std::int64_t> MirrorCodes() {
        std::vector<std::int64_t> codes;
        for (const RegisterCodeRow& row : RegisterCodeTable(CurrentKodyPath()).Rows()) {
            codes.push_back(row.kod);
        }
        return codes;
    }
    void Export(std::vector<std::string>& marked, bool full, bool stop = false) {
        e_.aExpoTowarExecute(marked, {full, stop});
    }
};

TEST_P(GoodsExport, FullDataSendsTheMlekoRecordByteForByte) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0, "020")});
    std::vector<std::string> marked = {"MLEKO"};
    Export(marked, true);
    EXPECT_TRUE(marked.empty());
    EXPECT_EQ((test::RecordingOperator::Status{Cp1250("[ZTowar] - Transmisja bez błędów"), false}),
              operator_->statuses.end()[-2]);
    EXPECT_EQ((test::RecordingOperator::Status{Cp1250("[ZTowar] Wysłano 1 z 1 towaru bez błędów"),
                                               false}),
              operator_->statuses.back());
    EXPECT_EQ(
        "#1\r\n#\r\n#\r\n$00012\tMleko              \t2\t1\t0\t1\t0\t0000000000000\t249\t0\r\n",
        ReadBytes("in/ZTowar.in"));
    EXPECT_EQ(std::vector<std::string>{"$00012\tMleko\t2\t1\t249\t0000000000000"}, RegisterGoods());
}

TEST_P(GoodsExport, EveryMarkedGoodIsOneCallAndOneRowOfTheCodeTable) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0), MakeGood("CHLEB", "Chleb", 3.99, 13, 5.0),
              MakeGood("WODA", "Woda", 1.99, 14)});
    std::vector<std::string> marked = {"CHLEB", "MLEKO"};
    Export(marked, true);
    EXPECT_TRUE(marked.empty());
    EXPECT_EQ(
        (std::vector<RegisterCodeRow>{{12, "Mleko", 2.49, "", ""}, {13, "Chleb", 3.99, "", ""}}),
        RegisterCodeTable(CurrentKodyPath()).Rows());
    EXPECT_EQ((std::vector<std::string>{"$00012\tMleko\t2\t1\t249\t0000000000000",
                                        "$00013\tChleb\t3\t1\t399\t0000000000000"}),
              RegisterGoods());
}

TEST_P(GoodsExport, GoodsAreSentInTheOrderTheListShowsThem) {
    AddGoods({MakeGood("A", "Pierwszy", 1.0, 1), MakeGood("B", "Drugi", 1.0, 2)});
    ASSERT_EQ(0, dir_.Tool({"fail", "1", "ZTowar", "25"}));  // the first call fails
    std::vector<std::string> marked = {"B", "A"};
    Export(marked, true, true);
    EXPECT_EQ((std::vector<std::string>{"B", "A"}), marked);
    EXPECT_EQ(0u, dir_.ErrorReportEntries().at(0).find("[ZTowar] Error 25 : "));
    EXPECT_NE(std::string::npos, dir_.ErrorReportEntries().at(0).find(" (Asort=B Drugi)"));
}

TEST_P(GoodsExport, StopAfterTheFirstErrorLeavesTheFailedGoodAndTheRestMarked) {
    AddGoods({MakeGood("A", "Towar A", 1.0, 1), MakeGood("B", "Towar B", 1.0, 2),
              MakeGood("C", "Towar C", 1.0, std::nullopt),  // code 00000: refused (9)
              MakeGood("D", "Towar D", 1.0, 4), MakeGood("E", "Towar E", 1.0, 5)});
    std::vector<std::string> marked = {"A", "B", "C", "D", "E"};
    Export(marked, true, true);
    EXPECT_EQ((std::vector<std::string>{"C", "D", "E"}), marked);
    EXPECT_EQ((std::vector<std::int64_t>{1, 2}), MirrorCodes());
    EXPECT_EQ(2u, RegisterGoods().size());
    EXPECT_EQ(std::vector<std::string>{"[ZTowar] Error 9 : " + e_.ErrorDescription(9) +
                                       " (Asort=C Towar C)"},
              dir_.ErrorReportEntries());
}

TEST_P(GoodsExport, WithoutStopAFailedGoodIsUnmarkedAndTheExportGoesOn) {
    AddGoods({MakeGood("A", "Towar A", 1.0, 1), MakeGood("B", "Towar B", 1.0, 2),
              MakeGood("C", "Towar C", 1.0, std::nullopt), MakeGood("D", "Towar D", 1.0, 4),
              MakeGood("E", "Towar E", 1.0, 5)});
    std::vector<std::string> marked = {"A", "B", "C", "D", "E"};
    Export(marked, true, false);
    EXPECT_TRUE(marked.empty());
    EXPECT_EQ((std::vector<std::int64_t>{1, 2, 4, 5}), MirrorCodes());
    EXPECT_EQ(4u, RegisterGoods().size());
    EXPECT_EQ(1u, dir_.ErrorReportEntries().size());
}

TEST_P(GoodsExport, PriceChangeSetsTheNewPriceAndKeepsTheRest) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0)});
    std::vector<std::string> marked = {"MLEKO"};
    Export(marked, true);
    db_.Execute({"update " + App().goodsTable +
                 " set cena_1 = 2.79, nazwa = 'Inne' where asort = 'MLEKO'"});
    marked = {"MLEKO"};
    Export(marked, false);
    EXPECT_EQ(Cp1250("[ZCTowar] Wysłano 1 z 1 towaru bez błędów"), operator_->StatusText());
    EXPECT_EQ((std::vector<RegisterCodeRow>{{12, "Mleko", 2.79, "", ""}}),
              RegisterCodeTable(CurrentKodyPath()).Rows());
    EXPECT_EQ(std::vector<std::string>{"$00012\tMleko\t2\t1\t279\t0000000000000"}, RegisterGoods());
}

TEST_P(GoodsExport, PriceChangeOfAGoodTheRegisterLacksIsAnError) {
    AddGoods({MakeGood("MLEKO", "Mleko 2%", 2.49, 12)});
    std::vector<std::string> marked = {"MLEKO"};
    Export(marked, false);
    const std::string message =
        "[ZCTowar] Error 18 : " + e_.ErrorDescription(18) + " (Asort=MLEKO Mleko 2%)";
    EXPECT_EQ((test::RecordingOperator::Status{message, true}), operator_->statuses.end()[-2]);
    EXPECT_EQ(
        (test::RecordingOperator::Status{
            Cp1250("[ZCTowar] Wysłano 0 z 1 towaru, błędy: 1 — szczegóły w Raporcie o błędach"),
            true}),
        operator_->statuses.back());
    EXPECT_EQ(std::vector<std::string>{message}, dir_.ErrorReportEntries());
    EXPECT_TRUE(MirrorCodes().empty());
}

TEST_P(GoodsExport, EmptySelectionIsRefusedAndNoFileWritten) {
    std::vector<std::string> marked;
    Export(marked, true);
    EXPECT_EQ((test::RecordingOperator::Status{"Brak zaznaczonych pozycji", true}),
              operator_->statuses.back());
    EXPECT_FALSE(fs::exists("in/ZTowar.in"));
}

TEST_P(GoodsExport, GoodDeletedSinceTheListWasLoadedIsReportedAndSkipped) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12)});
    std::vector<std::string> marked = {"GONE", "MLEKO"};
    Export(marked, true);
    EXPECT_TRUE(marked.empty());
    EXPECT_EQ(std::vector<std::string>{Cp1250("[ZTowar] Brak towaru w kartotece (Asort=GONE)")},
              dir_.ErrorReportEntries());
    EXPECT_EQ(1u, RegisterGoods().size());
}

TEST_P(GoodsExport, PriceComesFromTheRegistersPriceColumnAsACurrencyValue) {
    db_.Execute({"alter table " + App().goodsTable + " add CENA_5 double precision"});
    AddGoods({MakeGood("A", "Towar A", 1.0, 1), MakeGood("B", "Towar B", 1.0, 2),
              MakeGood("C", "Towar C", 1.0, 3)});
    db_.Execute({"update " + App().goodsTable + " set cena_5 = 10.005 where asort = 'A'",
                 "update " + App().goodsTable + " set cena_5 = 10.015 where asort = 'B'",
                 "update " + App().goodsTable + " set cena_5 = 2.499 where asort = 'C'"});
    dir_.SetRegisterKey(1, "Cena", "CENA_5");
    std::vector<std::string> marked = {"A", "B", "C"};
    Export(marked, true);
    EXPECT_EQ((std::vector<std::string>{"$00001\tTowar A\t1\t1\t1000\t0000000000000",
                                        "$00002\tTowar B\t1\t1\t1001\t0000000000000",
                                        "$00003\tTowar C\t1\t1\t249\t0000000000000"}),
              RegisterGoods());
}

TEST_P(GoodsExport, PriceColumnThatIsNoColumnNameIsRefusedBeforeAnyCall) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12)});
    dir_.SetRegisterKey(1, "Cena", "CENA_1 --");
    std::vector<std::string> marked = {"MLEKO"};
    Export(marked, true);
    EXPECT_EQ((std::vector<std::string>{"MLEKO"}), marked);
    EXPECT_EQ(Cp1250("Niepoprawna nazwa pola z ceną: CENA_1 --"), operator_->StatusText());
    EXPECT_FALSE(fs::exists("in/ZTowar.in"));
}

TEST_P(GoodsExport, BarCodeColumnOfTheSettingsIsSent) {
    fixture::Good good = MakeGood("MLEKO", "Mleko", 2.49, 12);
    good.kodEan = "123";
    AddGoods({good});
    App().mainSettings.barKod = "KOD_EAN";
    std::vector<std::string> marked = {"MLEKO"};
    Export(marked, true);
    EXPECT_EQ(std::vector<std::string>{"$00012\tMleko\t1\t1\t249\t0000000000123"}, RegisterGoods());
    // The code table keeps the good's own bar code for the lookup by bar code.
    EXPECT_EQ("123", RegisterCodeTable(CurrentKodyPath()).Rows().at(0).kodEan);
}

TEST_P(GoodsExport, UnwritableCodeTableDoesNotStopTheExportButIsReported) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12)});
    WriteBytes(App().dataDir + "Kody01.lck", "");
    std::vector<std::string> marked = {"MLEKO"};
    Export(marked, true);
    EXPECT_TRUE(marked.empty());
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(0u, operator_->StatusText().find(Cp1250("Nie zaktualizowano tabeli kodów kasy")));
    fs::remove(App().dataDir + "Kody01.lck");
    EXPECT_EQ(1u, RegisterGoods().size());
    // The change waited and is written at the next use of the table.
    EXPECT_EQ(1u, RegisterCodeTable(CurrentKodyPath()).Rows().size());
}

// The closing line is green only when every good went; a failure in the
// middle stays visible after later goods succeed; a stop comes after a whole
// good and leaves the rest marked.
TEST_P(GoodsExport, ClosingSummaryCountsTheGoodsSentFailedAndLeft) {
    AddGoods({MakeGood("A", "Towar A", 1.0, 1), MakeGood("B", "Towar B", 1.0, std::nullopt),
              MakeGood("C", "Towar C", 1.0, 3), MakeGood("D", "Towar D", 1.0, 4)});
    const std::string details = Cp1250(", błędy: 1 — szczegóły w Raporcie o błędach");
    struct Case {
        std::vector<std::string> marked;
        bool stopOnFirstError;
        std::size_t stopAfterItems;
        std::string summary;
        bool red;
        std::vector<std::string> left;
    } cases[] = {
        {{"A", "C", "D"}, false, SIZE_MAX, Cp1250("Wysłano 3 z 3 towarów bez błędów"), false, {}},
        {{"A", "B", "C"}, false, SIZE_MAX, Cp1250("Wysłano 2 z 3 towarów") + details, true, {}},
        {{"A", "B", "C"},
         true,
         SIZE_MAX,
         Cp1250("Wysłano 1 z 3 towarów") + details,
         true,
         {"B", "C"}},
        {{"A", "C", "D"}, false, 1, Cp1250("Przerwano: wysłano 1 z 3 towarów"), true, {"C", "D"}},
        {{"A", "C"}, false, 2, Cp1250("Wysłano 2 z 2 towarów bez błędów"), false, {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.summary);
        operator_->stopAfterItems = c.stopAfterItems;
        std::vector<std::string> marked = c.marked;
        Export(marked, true, c.stopOnFirstError);
        EXPECT_EQ((test::RecordingOperator::Status{"[ZTowar] " + c.summary, c.red}),
                  operator_->statuses.back());
        EXPECT_EQ(c.left, marked);  // a stop leaves the goods not yet sent marked
    }
}

TEST_P(GoodsExport, RepaintsBetweenGoods) {
    AddGoods({MakeGood("A", "Towar A", 1.0, 1), MakeGood("B", "Towar B", 1.0, 2)});
    std::vector<std::string> marked = {"A", "B"};
    const int before = operator_->pendingMessageCalls;
    Export(marked, true);
    // Once as the progress appears, then after each good.
    EXPECT_EQ(before + 3, operator_->pendingMessageCalls);
}

// Two goods the register could not tell apart are named before anything is
// sent; the operator stops, or goes on and the register keeps the first.
TEST_P(GoodsExport, NamesThatCollideAfterCuttingAreListedBeforeTheExport) {
    AddGoods({MakeGood("MLEKO1", "Mleko UHT 3,2% 1,5l karton", 3.49, 12),
              MakeGood("MLEKO2", "Mleko UHT 3,2% 1,5l butelka", 3.59, 13),
              MakeGood("CHLEB", "Chleb", 3.99, 14)});
    std::vector<std::string> marked = {"MLEKO1", "CHLEB", "MLEKO2"};
    operator_->SetNextAnswer(MessageAnswer::No);
    Export(marked, true);
    ASSERT_EQ(1u, operator_->messages.size());
    EXPECT_NE(std::string::npos,
              operator_->messages[0].text.find("\"Mleko UHT 3,2% 1,5l\": MLEKO1, MLEKO2"));
    EXPECT_EQ(MessageAnswer::No, operator_->messages[0].preselected);
    EXPECT_EQ((std::vector<std::string>{"MLEKO1", "CHLEB", "MLEKO2"}), marked);
    EXPECT_TRUE(RegisterGoods().empty());

    operator_->SetNextAnswer(MessageAnswer::Yes);
    Export(marked, true);
    EXPECT_EQ((std::vector<std::string>{"$00012\tMleko UHT 3,2% 1,5l\t1\t1\t349\t0000000000000",
                                        "$00014\tChleb\t1\t1\t399\t0000000000000"}),
              RegisterGoods());
}

INSTANTIATE_TEST_SUITE_P(BothKodKasaForms, GoodsExport,
                         ::testing::Values(KodKasaKind::Integer, KodKasaKind::Text),
                         test::KodKasaKindName);

}  // namespace
}  // namespace rubso
