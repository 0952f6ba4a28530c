// A transfer with "UseEAN" on, matching goods through the register's code
// table and the goods catalogue in the shared database (FSeekAsort).

#include <gmock/gmock.h>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "db/goods_catalogue.h"
#include "fixture/trading_database.h"
#include "fixture/trading_tables.h"
#include "tests/db/tdm_test_base.h"
#include "trading/catalogue_lookup.h"
#include "trading/trading_tables.h"

namespace rubso::test {
namespace {

class CatalogueLookupTest : public TdmTestBase {
  protected:
    void SetUp() override {
        ConnectAsAdministrator();
        fb::Attachment attachment;
        db_.Attach(attachment);
        fixture::Execute(attachment, fixture::GoodsTableDdl(2009, fixture::KodKasaKind::Integer));
        fixture::Good cukier;
        cukier.asort = "CUKIER";
        cukier.kodEan = "5900000000012";
        fixture::Good mleko;
        mleko.asort = "MLEKO";
        mleko.stawkaVat = 8;
        mleko.kodVat = "08";
        mleko.kodEan = "5900000000013";
        fixture::AddGoods(attachment, 2009, fixture::KodKasaKind::Integer, {cukier, mleko});

        App().dataDir = tables_.Path();
        App().registerNo = 1;
        App().goodsTable = "KARTAS2009";
        App().vatColumn = "Stawka_Vat";
        App().mainSettings.barKod = BarCodeSetting("KOD_EAN");
        App().mainSettings.useEan = true;
        App().mainSettings.asorPth = tables_.Path();
        App().saleDate = QDate(2009, 5, 14);
        SetWorkingDate(QDate(2009, 5, 20));
        paths_ = fixture::CreateTradingTables(tables_.Path(), 2009, 5);

        DesktopTable kody;
        OpenKody(kody, KodyTablePath(App().dataDir, 1), DesktopOpenMode::ReadWrite);
        for (const auto& [kod, ean] : std::vector<std::pair<int, std::string>>{
                 {12, "5900000000012"}, {13, "5900000000013"}, {14, "5909999999999"}}) {
            kody.Append();
            kody.SetInteger("Kod", kod);
            kody.SetText("Kod_Ean", ean);
            kody.Post();
        }
        kody.Close();

        tdmh_.SetTransferSettings({"01", "SD", 7, 1234});
        tdmh_.SetGoodsLookup(CatalogueGoodsLookup(dm_));
    }

    TransferOutcome Transfer(const std::vector<std::string>& codes) {
        std::string text;
        for (const std::string& code : codes) text += "1;" + code + ";;1;10.80;20090514;10:15\r\n";
        const std::string file = tables_.File("20090514_1.txt");
        EXPECT_TRUE(WriteFileText(text, file));
        return tdmh_.WZ2Hndl(file);
    }

    std::vector<std::pair<std::string, std::string>> Movements() const {
        DesktopTable maga;
        maga.Open(paths_.maga, DesktopOpenMode::ReadOnly);
        std::vector<std::pair<std::string, std::string>> rows;
        for (maga.First(); !maga.Eof(); maga.Next()) {
            rows.emplace_back(maga.AsText("Asort"), maga.AsText("Kod_vat"));
        }
        return rows;
    }

    TempDir tables_;
    fixture::TradingTablePaths paths_;
    Tdmh tdmh_;
};

TEST_F(CatalogueLookupTest, RegisterCodesFindTheirGoodsThroughTheirBarcodes) {
    const TransferOutcome outcome = Transfer({"00013", "12"});
    ASSERT_TRUE(outcome.ok) << outcome.reason;
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"MLEKO", "08"}, {"CUKIER", "23"}}),
              Movements());
}

TEST_F(CatalogueLookupTest, CodesWithoutGoodsOrWithoutABarcodeStopTheTransfer) {
    const TransferOutcome outcome = Transfer({"12", "14", "99"});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Cp1250("Brak symbolu towaru dla kodów kasowych: 14, 99"), outcome.reason);
    EXPECT_TRUE(Movements().empty());
}

TEST_F(CatalogueLookupTest, ABlankBarcodeColumnStopsTheTransferWithTheReason) {
    App().mainSettings.barKod = BarCodeSetting("");
    const TransferOutcome outcome = Transfer({"12"});
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.reason, ::testing::HasSubstr(Cp1250("Nieudany eksport dokumentu ")));
    EXPECT_TRUE(Movements().empty());
}

}  // namespace
}  // namespace rubso::test
