// Register codes and short names in the goods table of the database, in
// both KOD_KASA forms.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "db/goods_catalogue.h"
#include "register/code_assignment.h"
#include "tests/register/exchange_db_test_support.h"
#include "tests/support/stations.h"

namespace rubso {
namespace {

using fixture::KodKasaKind;
using test::MakeGood;

TEST(GroupFilter, CodeBeforeTheFirstBlankPaddedOrCutToThree) {
    EXPECT_EQ((std::set<std::string>{"SPO", "AB ", "ABC"}),
              GroupFilter({"SPO Spożywcze", "AB Napoje", "ABCD Inne"}));
    // An entry starting with a blank has an empty code: only goods without a
    // group match it.
    EXPECT_EQ((std::set<std::string>{"   "}), GroupFilter({" X"}));
    EXPECT_TRUE(GroupFilter({}).empty());
}

class CodeAssignment : public test::ExchangeDbTest,
                       public ::testing::WithParamInterface<KodKasaKind> {
  protected:
    CodeAssignment() : ExchangeDbTest(GetParam()) {}

    // The stored form of a code: the number, or 5 characters right-aligned.
    std::string Stored(int code) const {
        const std::string digits = std::to_string(code);
        return kind_ == KodKasaKind::Text ? std::string(5 - digits.size(), ' ') + digits : digits;
    }
};

TEST_P(CodeAssignment, NoTickedGroupChangesNothing) {
    AddGoods({MakeGood("A", "Towar A", 1.0, std::nullopt)});
    EXPECT_EQ(0, e_.aInitKodKasaE({}));
    EXPECT_EQ("<null>", StoredKodKasa("A"));
    EXPECT_EQ("", AtestOf("A"));
}

TEST_P(CodeAssignment, NewCodesFollowTheHighestInTableOrder) {
    AddGoods({
        MakeGood("X", "Obcy", 1.0, 57, 23.0, "020", "OTH"),  // highest code, other group
        MakeGood("C", "Ma kod", 1.0, 5),                     // keeps 5, gets a short name
        MakeGood("B", "Drugi", 1.0, std::nullopt),           // 59
        MakeGood("A", "Pierwszy", 1.0, 0),                   // 58
        MakeGood("D", "Bez VAT", 1.0, std::nullopt, 0.0),    // rate 0: never
        MakeGood("E", "", 1.0, std::nullopt),                // no name: never
        MakeGood("F", "Inna grupa", 1.0, std::nullopt, 23.0, "020", "OTH"),
    });
    EXPECT_EQ(3, e_.aInitKodKasaE({"SPO Spożywcze"}));
    EXPECT_EQ(Stored(58), StoredKodKasa("A"));
    EXPECT_EQ(Stored(59), StoredKodKasa("B"));
    EXPECT_EQ(Stored(5), StoredKodKasa("C"));
    EXPECT_EQ("Ma kod", AtestOf("C"));
    EXPECT_EQ("Pierwszy", AtestOf("A"));
    EXPECT_EQ("<null>", StoredKodKasa("D"));
    EXPECT_EQ("<null>", StoredKodKasa("E"));
    EXPECT_EQ("<null>", StoredKodKasa("F"));
    EXPECT_EQ(57, KodKasaOf("X"));
    EXPECT_TRUE(operator_->busyCalls > 0 && !operator_->busy);
}

TEST_P(CodeAssignment, GoodWithCodeAndShortNameIsLeftAlone) {
    fixture::Good good = MakeGood("A", "Towar A", 1.0, 7);
    good.atest = "Krotka";
    AddGoods({good});
    EXPECT_EQ(0, e_.aInitKodKasaE({"SPO x"}));
    EXPECT_EQ("Krotka", AtestOf("A"));
    EXPECT_EQ(7, KodKasaOf("A"));
}

TEST_P(CodeAssignment, ShortNameIsTheFirstEighteenCharacters) {
    AddGoods({MakeGood("A", "Czekolada gorzka 70 procent kakao", 1.0, 3)});
    e_.aInitKodKasaE({"SPO"});
    EXPECT_EQ("Czekolada gorzka 7", AtestOf("A"));
}

TEST_P(CodeAssignment, ZeroingStoresZeroInTheColumnsFormAndCtrlF10StoresNull) {
    AddGoods({MakeGood("A", "Towar A", 1.0, 7)});
    ASSERT_TRUE(ZerujKodyKasy(dm_, GoodsTableIdentifier(), CodeResetValue::Zero));
    EXPECT_EQ(Stored(0), StoredKodKasa("A"));
    EXPECT_EQ(0, KodKasaOf("A"));
    ASSERT_TRUE(ZerujKodyKasy(dm_, GoodsTableIdentifier(), CodeResetValue::Null));
    EXPECT_EQ("<null>", StoredKodKasa("A"));
}

TEST_P(CodeAssignment, ZeroedCodesAreGivenAgainFromOne) {
    AddGoods({MakeGood("A", "Towar A", 1.0, 7), MakeGood("B", "Towar B", 1.0, 9)});
    ASSERT_TRUE(ZerujKodyKasy(dm_, GoodsTableIdentifier(), CodeResetValue::Zero));
    EXPECT_EQ(2, e_.aInitKodKasaE({"SPO"}));
    EXPECT_EQ(1, KodKasaOf("A"));
    EXPECT_EQ(2, KodKasaOf("B"));
}

// Two workstations, as the cashier, give codes at the same moment to the
// goods of two groups: the second waits for the first and goes on from its
// codes, so every good gets a code of its own.
TEST_P(CodeAssignment, TwoStationsAtOnceNeverGiveTheSameCode) {
    test::CashierUserLock lock(db_.Server().dataDir, test::CashierUserLock::kUsesCashier);
    ConnectAsAdministrator();  // KASJER is there while the lock is held
    constexpr int kPerGroup = 150;
    std::vector<fixture::Good> goods;
    for (int i = 0; i < 2 * kPerGroup; ++i) {
        goods.push_back(MakeGood("T" + std::to_string(1000 + i), "Towar " + std::to_string(i), 1.0,
                                 std::nullopt, 23.0, "020", i % 2 == 0 ? "SPO" : "NAP"));
    }
    AddGoods(goods);
    auto station = [&](const std::string& group) {
        return std::vector<std::string>{
            RUBSO_TEST_STATION, db_.Path(),       "KASJER", KasjerInitialPassword(),
            "assign",           App().goodsTable, group};
    };
    for (const test::StationResult& result :
         test::RunStationsTogether({station("SPO"), station("NAP")})) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output, "connect 0\nchanged " + std::to_string(kPerGroup) + "\n");
    }
    const std::string table = App().goodsTable;
    EXPECT_EQ(std::to_string(2 * kPerGroup),
              Scalar("select count(distinct kod_kasa) from " + table));
    EXPECT_EQ(2 * kPerGroup, RegisterCodeOf(Scalar("select max(kod_kasa) from " + table)));
}

INSTANTIATE_TEST_SUITE_P(BothKodKasaForms, CodeAssignment,
                         ::testing::Values(KodKasaKind::Integer, KodKasaKind::Text),
                         test::KodKasaKindName);

}  // namespace
}  // namespace rubso
