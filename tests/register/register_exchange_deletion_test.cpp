// Deleting goods in the substitute register and reading its goods list,
// with the register code table following what the register holds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "register/register_records.h"
#include "tests/register/exchange_test_support.h"

namespace rubso {
namespace {

using test::ReadBytes;

class GoodsDeletion : public test::ExchangeTest {
  protected:
    GoodsDeletion() { EXPECT_TRUE(library_.Load(RUBSO_WINIP_DIR)) << library_.LastError(); }

    // Puts goods into register 1 the way the export does, and into the
    // code table.
    void Stock(const std::vector<int>& codes) {
        ASSERT_TRUE(e_.EnsureDriverConfig());
        for (const int code : codes) {
            ExportGood good;
            good.kodKasa = code;
            good.nazwa = "Towar " + std::to_string(code);
            good.cena = code;
            good.stawkaVat = 23;
            ASSERT_TRUE(e_.PrepareInputFile("ZTowar"));
            ASSERT_TRUE(e_.AddInputRecord(GoodsRecordLine(good, {{"23"}, {"020"}, 0})));
            ASSERT_EQ(0, library_.Call(WinIpFunction::kZTowar, e_.InputFilePath()).Byte());
            RegisterCodeTable(CurrentKodyPath()).Put(SentGoodRow(good, 0));
        }
    }
    std::vector<std::int64_t> MirrorCodes() {
        std::vector<std::int64_t> codes;
        for (const RegisterCodeRow& row : RegisterCodeTable(CurrentKodyPath()).Rows()) {
            codes.push_back(row.kod);
        }
        return codes;
    }
    std::vector<std::string> RegisterCodes() {
        std::vector<std::string> codes;
        const auto list = e_.WczytajTowary();
        if (!list) return codes;
        for (std::size_t i = 3; i < list->size(); ++i) codes.push_back((*list)[i].substr(0, 6));
        return codes;
    }

    WinIpLibrary library_;
};

TEST_F(GoodsDeletion, EverySelectedCodeIsOneCallWithAFourLineInput) {
    Stock({12, 13, 14, 15});
    std::vector<std::int64_t> selected = {14, 12, 15};
    e_.aKasujTowarExecute(selected);
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ("#1\r\n#\r\n#\r\n$15\r\n", ReadBytes("in/KTowar.in"));
    EXPECT_EQ((test::RecordingOperator::Status{Cp1250("[KTowar] Usunięto 3 z 3 towarów bez błędów"),
                                               false}),
              operator_->statuses.back());
    EXPECT_EQ(std::vector<std::int64_t>{13}, MirrorCodes());
    EXPECT_EQ(std::vector<std::string>{"$00013"}, RegisterCodes());
}

TEST_F(GoodsDeletion, ErrorOnTheSecondCodeStopsAndLeavesItAndTheRestSelected) {
    Stock({12, 13});
    std::vector<std::int64_t> selected = {12, 99, 13};
    e_.aKasujTowarExecute(selected);
    EXPECT_EQ((std::vector<std::int64_t>{99, 13}), selected);
    const std::string message = "[KTowar] Error 18 : " + e_.ErrorDescription(18);
    EXPECT_EQ((test::RecordingOperator::Status{message, true}), operator_->statuses.end()[-2]);
    EXPECT_EQ(Cp1250("[KTowar] Usunięto 1 z 3 towarów, błędy: 1 — szczegóły w Raporcie o błędach"),
              operator_->StatusText());
    EXPECT_EQ(std::vector<std::string>{message}, dir_.ErrorReportEntries());  // no good named
    EXPECT_EQ(std::vector<std::int64_t>{13}, MirrorCodes());
    EXPECT_EQ(std::vector<std::string>{"$00013"}, RegisterCodes());
}

TEST_F(GoodsDeletion, EmptySelectionIsRefused) {
    std::vector<std::int64_t> selected;
    e_.aKasujTowarExecute(selected);
    EXPECT_EQ((test::RecordingOperator::Status{"Brak zaznaczonych pozycji", true}),
              operator_->statuses.back());
}

TEST_F(GoodsDeletion, GoodWithSalesCannotBeDeletedAndStaysInTheCodeTable) {
    Stock({12});
    ASSERT_EQ(0, dir_.Tool({"sell", "1", "12", "1"}));
    std::vector<std::int64_t> selected = {12};
    e_.aKasujTowarExecute(selected);
    EXPECT_EQ(std::vector<std::int64_t>{12}, selected);
    EXPECT_EQ(std::vector<std::int64_t>{12}, MirrorCodes());
}

TEST_F(GoodsDeletion, DeletingAllEmptiesRegisterAndCodeTable) {
    Stock({12, 13});
    e_.aKasujWszystkieTowaryExecute();
    EXPECT_EQ("#1\r\n#\r\n#\r\n", ReadBytes("in/KTowMax.in"));
    EXPECT_EQ(Cp1250("[KTowMax] - Transmisja bez błędów"), operator_->StatusText());
    EXPECT_TRUE(MirrorCodes().empty());
    EXPECT_TRUE(RegisterCodes().empty());
}

TEST_F(GoodsDeletion, RefusedDeleteAllKeepsTheCodeTable) {
    Stock({12, 13});
    ASSERT_EQ(0, dir_.Tool({"sell", "1", "13", "2"}));
    e_.aKasujWszystkieTowaryExecute();
    EXPECT_EQ(0u, operator_->StatusText().find("[KTowMax] Error 19 : "));
    EXPECT_EQ((std::vector<std::int64_t>{12, 13}), MirrorCodes());
}

// --- The register's goods list ----------------------------------------------------------------

using RegisterGoodsListRead = GoodsDeletion;

TEST_F(RegisterGoodsListRead, EmptyRegisterShowsWhatTheLibraryWrote) {
    const auto list = e_.WczytajTowary();
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ((std::vector<std::string>{"#1", "#0", "#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN"}), *list);
    EXPECT_EQ((test::RecordingOperator::Status{"", false}), operator_->statuses.back());
    EXPECT_EQ("Wczytywanie danych", operator_->statuses.at(operator_->statuses.size() - 2).text);
}

TEST_F(RegisterGoodsListRead, ReadRefreshesTheCodeTableToWhatTheRegisterHolds) {
    Stock({12, 13});
    RegisterCodeTable(CurrentKodyPath()).Put({77, "Nie w kasie", 1.0, "", ""});
    RegisterCodeTable(CurrentKodyPath()).Remove(13);
    ASSERT_TRUE(e_.WczytajTowary().has_value());
    EXPECT_EQ((std::vector<RegisterCodeRow>{{12, "Towar 12", 12.0, "", ""},
                                            {13, "Towar 13", 13.0, "", ""}}),
              RegisterCodeTable(CurrentKodyPath()).Rows());
}

TEST_F(RegisterGoodsListRead, FailedReadLeavesTheCodeTableAndShowsTheError) {
    Stock({12});
    ASSERT_EQ(0, dir_.Tool({"fail", "1", "TowarMax", "25"}));
    RegisterCodeTable(CurrentKodyPath()).Put({77, "Zostaje", 1.0, "", ""});
    EXPECT_FALSE(e_.WczytajTowary().has_value());
    EXPECT_EQ(0u, operator_->StatusText().find("[TowarMax] Error 25 : "));
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ((std::vector<std::int64_t>{12, 77}), MirrorCodes());
}

TEST_F(RegisterGoodsListRead, EachRegisterHasItsOwnCodeTable) {
    Stock({12});
    SelectRegister(test::DefinitionOf(2));
    dir_.SetRegisterKey(2, "NrKasySystem", "2");
    ASSERT_TRUE(e_.WczytajTowary().has_value());
    EXPECT_TRUE(MirrorCodes().empty());
    EXPECT_EQ(App().dataDir + "Kody02.db", CurrentKodyPath());
    SelectRegister(test::DefinitionOf(1));
    EXPECT_EQ(std::vector<std::int64_t>{12}, MirrorCodes());
}

}  // namespace
}  // namespace rubso
