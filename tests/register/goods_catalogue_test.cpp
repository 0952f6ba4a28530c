// The goods catalogue queries of the exchange against a database brought up
// by the system's own upgrade, with the goods table in both KOD_KASA forms.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/installation_settings.h"
#include "db/goods_catalogue.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "tests/register/exchange_db_test_support.h"
#include "tests/support/names.h"

namespace rubso {
namespace {

using test::Name;

using fixture::KodKasaKind;
using test::MakeGood;

// --- Register definitions ---------------------------------------------------------------

using RegisterDefinitions = test::ExchangeDbTest;

TEST_F(RegisterDefinitions, UpgradeDefaultRegisterIsReadWhole) {
    SelectRegisterNo(3);
    ASSERT_TRUE(CurrentRegister().has_value());
    const RegisterDefinition& definition = *CurrentRegister();
    EXPECT_EQ(2, definition.id);  // ids start at 0
    EXPECT_EQ("3", definition.kodKasa);
    EXPECT_EQ(1, definition.port);
    EXPECT_EQ(9600, definition.szybkosc);
    EXPECT_EQ("KASA 3", definition.nazwa);
    EXPECT_EQ(1, definition.vyrNrSzt);
    EXPECT_EQ(2, definition.vyrNrKg);
    EXPECT_EQ(0, definition.timeOut);
    EXPECT_EQ(3, App().registerNo);  // the register's code, not its id
    EXPECT_EQ(App().dayDir + "Kasa03/", App().kasaDir);
}

TEST_F(RegisterDefinitions, MissingIdGivesNothing) {
    EXPECT_FALSE(ReadRegisterDefinition(dm_, 99).has_value());
}

TEST_F(RegisterDefinitions, TwoRegistersOfOneDayGetTheirOwnDirectoriesAndPackageNumbers) {
    SelectRegisterNo(1);
    const std::string first = App().kasaDir;
    const std::int64_t firstDocument = TransferDocumentNumber();
    SelectRegisterNo(2);
    EXPECT_NE(first, App().kasaDir);
    EXPECT_NE(firstDocument, TransferDocumentNumber());
}

TEST(RegisterLabels, KasaAndPriceDisplay) {
    EXPECT_EQ("Kasa 07", KasaDisplayText("7"));
    EXPECT_EQ("Kasa 12", KasaDisplayText(" 12"));
    EXPECT_EQ("Kasa 00", KasaDisplayText(""));
    EXPECT_EQ("2.50", PriceDisplayText(2.5));
    EXPECT_EQ("0.00", PriceDisplayText(0));
}

TEST(RegisterCodeOf, NullEmptyAndTextThatIsNoNumberAreNoCode) {
    struct Case {
        std::string stored;
        std::int64_t code;
    };
    const std::vector<Case> cases = {
        {"", 0},     {"     ", 0}, {"    7", 7}, {"00012", 12}, {"12", 12},       {"12AB", 12},
        {"AB12", 0}, {"1-2", 0},   {"-", 0},     {"0", 0},      {"99999", 99999},
    };
    for (const Case& c : cases) EXPECT_EQ(c.code, RegisterCodeOf(c.stored)) << c.stored;
}

// --- The goods table, in both KOD_KASA forms ------------------------------------------------

class GoodsTableQueries : public test::ExchangeDbTest,
                          public ::testing::WithParamInterface<KodKasaKind> {
  protected:
    GoodsTableQueries() : ExchangeDbTest(GetParam()) {}
};

TEST_P(GoodsTableQueries, KodKasaKindIsTakenFromTheCatalogue) {
    EXPECT_EQ(
        GetParam() == KodKasaKind::Text ? rubso::KodKasaKind::Text : rubso::KodKasaKind::Integer,
        KodKasaKindOf(dm_, App().goodsTable));
}

TEST_P(GoodsTableQueries, CodeMapHoldsEveryCodedGoodOnce) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12), MakeGood("CHLEB", "Chleb", 3.99, std::nullopt),
              MakeGood("WODA", "Woda", 1.99, 0), MakeGood("B-SOK", "Sok B", 4.0, 13),
              MakeGood("A-SOK", "Sok A", 4.0, 13), MakeGood("Z-SOK", "Sok Z", 4.0, 13)});
    const RegisterCodeMap codes = FetchRegisterCodeMap(dm_, GoodsTableIdentifier());
    EXPECT_EQ((RegisterCodeMap{{12, "MLEKO"}, {13, "A-SOK"}}), codes);
}

TEST_P(GoodsTableQueries, GoodIsReadWithTheChosenPriceAndBarCodeColumns) {
    fixture::Good good = MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0, "020");
    good.kodEan = "5901234123457";
    AddGoods({good});
    ExportGoodsReader reader(dm_, GoodsTableIdentifier(), Name("CENA_2"), Name("Stawka_Vat"),
                             Name("KOD_EAN"));
    const std::optional<ExportGood> read = reader.Find("MLEKO");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ("Mleko", read->nazwa);
    EXPECT_DOUBLE_EQ(3.49, read->cena);
    EXPECT_DOUBLE_EQ(8.0, read->stawkaVat);
    EXPECT_EQ("020", read->jm);
    EXPECT_EQ(12, read->kodKasa);
    EXPECT_EQ("5901234123457", read->barCode);
    EXPECT_FALSE(reader.Find("BRAK").has_value());
}

TEST_P(GoodsTableQueries, PrefetchedBatchIsAnsweredWithoutTheServer) {
    const std::string polish = Cp1250("ŁĄKA");
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12), MakeGood(polish, "Trawa", 1.0, 13)});
    ExportGoodsReader reader(dm_, GoodsTableIdentifier(), Name("CENA_1"), Name("Stawka_Vat"),
                             std::nullopt);
    reader.Prefetch({"MLEKO", "BRAK", polish});
    dm_.IBBaza.Detach();
    EXPECT_EQ(12, reader.Find("MLEKO")->kodKasa);
    EXPECT_EQ("Trawa", reader.Find(polish)->nazwa);
    EXPECT_FALSE(reader.Find("BRAK").has_value());
}

TEST_P(GoodsTableQueries, CodesOfAReadFindWhatTheWholeMapFindsForThem) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12), MakeGood("CHLEB", "Chleb", 3.99, std::nullopt),
              MakeGood("WODA", "Woda", 1.99, 0), MakeGood("B-SOK", "Sok B", 4.0, 13),
              MakeGood("A-SOK", "Sok A", 4.0, 13), MakeGood("MAKA", "Maka", 3.0, 14),
              MakeGood("CUKIER", "Cukier", 3.0, 15), MakeGood("PIWO", "Piwo", 3.0, 99999)});
    const std::vector<std::int64_t> read = {12, 13, 13, 14, 15, 0, 77, -1, 99999, 123456789012};
    RegisterCodeMap expected = FetchRegisterCodeMap(dm_, GoodsTableIdentifier());
    std::erase_if(expected, [&](const auto& entry) {
        return std::find(read.begin(), read.end(), entry.first) == read.end();
    });
    ASSERT_EQ(5u, expected.size());
    for (const bool indexed : {false, true}) {
        if (indexed) db_.Execute({"create index kody on " + App().goodsTable + " (kod_kasa)"});
        const RegisterCodeColumn column = RegisterCodeColumnOf(dm_, App().goodsTable);
        EXPECT_EQ(indexed, column.indexed);
        EXPECT_EQ(expected, FetchRegisterCodes(dm_, GoodsTableIdentifier(), column, read));
    }
}

TEST_P(GoodsTableQueries, ColumnTheTableLacksIsTheServersError) {
    EXPECT_THROW(ExportGoodsReader(dm_, GoodsTableIdentifier(), Name("CENA_9"), Name("Stawka_Vat"),
                                   std::nullopt),
                 fb::FbError);
}

TEST_P(GoodsTableQueries, GoodsTableIsReachableOnlyWhileConnectedAndPresent) {
    EXPECT_TRUE(GoodsTableReachable(dm_, App().goodsTable));
    EXPECT_FALSE(GoodsTableReachable(dm_, "Kartas1999"));
    dm_.IBBaza.Detach();
    EXPECT_FALSE(GoodsTableReachable(dm_, App().goodsTable));
}

INSTANTIATE_TEST_SUITE_P(BothKodKasaForms, GoodsTableQueries,
                         ::testing::Values(KodKasaKind::Integer, KodKasaKind::Text),
                         test::KodKasaKindName);

// --- FSeekAsort ---------------------------------------------------------------------------

class SeekAsort : public test::ExchangeDbTest {
  protected:
    SeekAsort() {
        fixture::Good good = MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0);
        good.kodEan = "5901234123457";
        fixture::Good noEan = MakeGood("CHLEB", "Chleb", 3.99, 13, 5.0);
        AddGoods({good, noEan});
        RegisterCodeTable table(CurrentKodyPath());
        table.Put({12, "Mleko", 2.49, "", "5901234123457"});
        table.Put({14, "Nieznany", 1.0, "", "2000000000001"});
        table.Put({15, "Bez kodu", 1.0, "", ""});
    }
    SeekAsortResult Seek(std::int64_t code) {
        return FSeekAsort(dm_, CurrentKodyPath(), code, GoodsTableIdentifier(), Name("KOD_EAN"));
    }
};

TEST_F(SeekAsort, CodeWithoutARowGivesTheDefaults) {
    EXPECT_EQ((SeekAsortResult{"", "", 23, "23"}), Seek(99));
}

TEST_F(SeekAsort, KnownBarCodeGivesTheGood) {
    EXPECT_EQ((SeekAsortResult{"MLEKO", "5901234123457", 8, "8"}), Seek(12));
}

TEST_F(SeekAsort, BarCodeThatNoGoodHasGivesTheBarCodeAlone) {
    EXPECT_EQ((SeekAsortResult{"", "2000000000001", 23, "23"}), Seek(14));
}

TEST_F(SeekAsort, EmptyBarCodeNeverFindsAGoodWithoutOne) {
    EXPECT_EQ((SeekAsortResult{"", "", 23, "23"}), Seek(15));
}

TEST_F(SeekAsort, MissingCodeTableFindsNothing) {
    SelectRegisterNo(4);
    EXPECT_EQ((SeekAsortResult{"", "", 23, "23"}), Seek(12));
}

}  // namespace
}  // namespace rubso
