// The goods grid's queries against a real goods table on the private server.

#include "db/goods_list.h"

#include <gtest/gtest.h>

#include <QDate>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/fb_client.h"
#include "fixture/trading_database.h"
#include "tests/db/tdm_test_base.h"
#include "tests/support/names.h"

namespace rubso {
namespace {

using test::Name;

constexpr int kYear = 2024;

class GoodsListQueryTest : public test::TdmTestBase {
  protected:
    void SetUp() override { ConnectAsAdministrator(); }

    void MakeGoodsTable(fixture::KodKasaKind kind, const std::vector<fixture::Good>& goods) {
        fb::Attachment attachment;
        db_.Attach(attachment);
        fixture::Execute(attachment, fixture::GoodsTableDdl(kYear, kind));
        fixture::AddGoods(attachment, kYear, kind, goods);
    }

    static fixture::Good Good(std::string asort, std::optional<int> kod = std::nullopt) {
        fixture::Good good;
        good.asort = std::move(asort);
        good.nazwa = "N" + good.asort;
        good.cena1 = 1.5;
        good.cena2 = 2.25;
        good.kodKasa = kod;
        good.grupa = "G1";
        return good;
    }

    static std::vector<std::string> Symbols(const std::vector<GoodsListRow>& rows) {
        std::vector<std::string> symbols;
        for (const GoodsListRow& row : rows) symbols.push_back(row.asort);
        return symbols;
    }

    const std::string table_ = fixture::GoodsTableName(kYear);
};

TEST_F(GoodsListQueryTest, FetchReadsTheShownColumnsWithTheChosenPriceColumn) {
    MakeGoodsTable(fixture::KodKasaKind::Integer, {Good("A", 7)});
    const std::vector<GoodsListRow> rows = FetchGoodsList(dm_, Name(table_), Name("CENA_2"));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("A", rows[0].asort);
    EXPECT_EQ("NA", rows[0].nazwa);
    EXPECT_EQ(2.25, rows[0].cena.value_or(-1));
    EXPECT_EQ(23.0, rows[0].stawkaVat.value_or(-1));
    EXPECT_EQ(7, rows[0].kodKasa.value_or(-1));
    EXPECT_EQ("G1", rows[0].grupa);
    EXPECT_FALSE(dm_.IBTTowary.IsActive());  // no browsing transaction stays open
}

TEST_F(GoodsListQueryTest, RegisterCodesStoredAsTextAreReadAsNumbers) {
    MakeGoodsTable(fixture::KodKasaKind::Text, {Good("A", 12), Good("B")});
    const std::vector<GoodsListRow> rows = FetchGoodsList(dm_, Name(table_), Name("CENA_1"));
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(12, rows[0].kodKasa.value_or(-1));
    EXPECT_FALSE(rows[1].kodKasa.has_value());
}

TEST_F(GoodsListQueryTest, GoodsNotSentToARegisterAreThoseWithoutACodeOrWithCodeZero) {
    MakeGoodsTable(fixture::KodKasaKind::Integer, {Good("A", 3), Good("B", 0), Good("C")});
    GoodsListFilter filter;
    filter.withoutRegisterCode = true;
    EXPECT_EQ((std::vector<std::string>{"B", "C"}),
              Symbols(FetchGoodsList(dm_, Name(table_), Name("CENA_1"), filter)));
}

TEST_F(GoodsListQueryTest, ADateNarrowsTheListToGoodsWhosePriceChangedThatDay) {
    MakeGoodsTable(fixture::KodKasaKind::Integer, {Good("A"), Good("B"), Good("C")});
    db_.Execute({"UPDATE " + table_ + " SET DATAZMIA_2 = '2024-03-01' WHERE ASORT IN ('A','C')",
                 "UPDATE " + table_ + " SET DATAZMIA_1 = '2024-03-01' WHERE ASORT = 'B'"});
    GoodsListFilter filter;
    filter.priceChangedOn = QDate(2024, 3, 1);
    EXPECT_EQ((std::vector<std::string>{"A", "C"}),
              Symbols(FetchGoodsList(dm_, Name(table_), Name("CENA_2"), filter)));
}

TEST_F(GoodsListQueryTest, AMissingGoodsTableRaisesAndLeavesNoTransactionOpen) {
    EXPECT_THROW(FetchGoodsList(dm_, Name("KARTAS1999"), Name("CENA_1")), fb::FbError);
    EXPECT_FALSE(dm_.IBTTowary.IsActive());
}

TEST_F(GoodsListQueryTest, PriceChangeDatesFollowThePriceColumnNewestFirstAtMostFive) {
    std::vector<fixture::Good> goods;
    for (int i = 1; i <= 7; ++i) goods.push_back(Good("G" + std::to_string(i)));
    MakeGoodsTable(fixture::KodKasaKind::Integer, goods);
    for (int i = 1; i <= 6; ++i) {
        db_.Execute({"UPDATE " + table_ + " SET DATAZMIA_2 = '2024-03-0" + std::to_string(i) +
                     "' WHERE ASORT = 'G" + std::to_string(i) + "'"});
    }
    db_.Execute({"UPDATE " + table_ + " SET DATAZMIA_1 = '2024-04-30'"});
    const std::vector<QDate> expected = {QDate(2024, 3, 6), QDate(2024, 3, 5), QDate(2024, 3, 4),
                                         QDate(2024, 3, 3), QDate(2024, 3, 2)};
    EXPECT_EQ(expected, FetchPriceChangeDates(dm_, Name(table_), Name("CENA_2")));
    EXPECT_EQ(std::vector<QDate>{QDate(2024, 4, 30)},
              FetchPriceChangeDates(dm_, Name(table_), Name("cena_1")));
}

TEST_F(GoodsListQueryTest, NoPriceChangeDateGivesAnEmptyList) {
    MakeGoodsTable(fixture::KodKasaKind::Integer, {Good("A")});
    EXPECT_TRUE(FetchPriceChangeDates(dm_, Name(table_), Name("CENA_1")).empty());
}

TEST_F(GoodsListQueryTest, GroupsComeAsStored) {
    fb::Attachment attachment;
    db_.Attach(attachment);
    fixture::Execute(attachment, fixture::GroupsTableDdl());
    fixture::AddGroup(attachment, "01", "Pieczywo");
    fixture::AddGroup(attachment, "02", "Nabial");
    const std::vector<GoodsGroup> groups = FetchGoodsGroups(dm_, Name("GrupyAs"));
    ASSERT_EQ(2u, groups.size());
    EXPECT_EQ("01", groups[0].grupa);
    EXPECT_EQ("Pieczywo", groups[0].nazwa);
    EXPECT_EQ("02", groups[1].grupa);
}

TEST_F(GoodsListQueryTest, RegistersComeInIdOrder) {
    db_.Execute({"CREATE TABLE COM_DEF (ID INTEGER, KOD_KASA VARCHAR(5))",
                 "INSERT INTO COM_DEF VALUES (2, '2')", "INSERT INTO COM_DEF VALUES (0, '1')"});
    const std::vector<RegisterListRow> registers = FetchRegisterList(dm_);
    ASSERT_EQ(2u, registers.size());
    EXPECT_EQ(0, registers[0].id);
    EXPECT_EQ("1", registers[0].kodKasa);
    EXPECT_EQ(2, registers[1].id);
}

TEST(GoodsListDisplayTest, DateColumnFollowsThePriceColumnsNumber) {
    EXPECT_EQ("DATAZMIA_2", PriceChangeDateColumn(Name("CENA_2")).Text());
    EXPECT_EQ("DATAZMIA_1", PriceChangeDateColumn(Name("cena_1")).Text());
}

TEST(GoodsListDisplayTest, VatRatesHaveNoTrailingZeros) {
    EXPECT_EQ("23", VatText(23.0));
    EXPECT_EQ("5.5", VatText(5.5));
    EXPECT_EQ("", VatText(std::nullopt));
}

}  // namespace
}  // namespace rubso
