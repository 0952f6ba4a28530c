// The goods-file consistency report on a goods catalogue in the shared
// database, and the catalogue's column lists for the transfer parameters.

#include <gmock/gmock.h>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "fixture/trading_database.h"
#include "tests/db/tdm_test_base.h"
#include "tests/support/names.h"
#include "trading/consistency_report.h"
#include "trading/transfer_settings.h"

namespace rubso::test {
namespace {

constexpr int kYear = 2009;
const std::string kEnd(22, '-');

class ConsistencyReportTest : public TdmTestBase {
  protected:
    void SetUp() override {
        ConnectAsAdministrator();
        fb::Attachment attachment;
        db_.Attach(attachment);
        fixture::Execute(attachment, fixture::GoodsTableDdl(kYear, kind_));
        App().goodsTable = fixture::GoodsTableName(kYear);
    }

    // Goods with distinct bar codes unless a test gives them.
    void Add(std::vector<fixture::Good> goods) {
        for (fixture::Good& good : goods) {
            if (good.kodEan.empty()) good.kodEan = "EAN-" + good.asort;
        }
        fb::Attachment attachment;
        db_.Attach(attachment);
        fixture::AddGoods(attachment, kYear, kind_, goods);
    }
    void Sql(const std::string& statement) { db_.Execute({statement}); }

    std::vector<std::string> Report() {
        Tdmu(dm_, ConsistencyReportPath(logDir_.Path())).ConsistencyReport();
        return SplitLines(ReadFileText(logDir_.Path() + "Error.txt"));
    }

    static fixture::Good Good(const std::string& asort, const std::string& nazwa,
                              std::optional<int> kodKasa = std::nullopt) {
        fixture::Good good;
        good.asort = asort;
        good.nazwa = nazwa;
        good.kodKasa = kodKasa;
        return good;
    }

    fixture::KodKasaKind kind_ = fixture::KodKasaKind::Integer;
    ScopedFixedClock clock_{QDateTime(QDate(2009, 5, 14), QTime(10, 15, 30))};
    const std::string header_ = "Raport 14.05.2009 10:15:30";
    const std::string names_ = Cp1250("-- Powtarzające się nazwy");
    const std::string barcodes_ = Cp1250("-- Powtarzające się kody kreskowe");
    const std::string codes_ = Cp1250("-- Powtarzające się kody kasowe");
};

TEST_F(ConsistencyReportTest, ACatalogueWithoutDuplicatesGivesTheHeaderOnly) {
    Add({Good("A", "Alfa", 1), Good("B", "Beta", 2)});
    EXPECT_EQ((std::vector<std::string>{header_}), Report());
}

TEST_F(ConsistencyReportTest, NamesEqualInTheirFirst24CharactersShowBothPartsOfTheName) {
    const std::string first = "Czekolada mleczna z orzechami laskowymi 100g";
    const std::string second = "Czekolada mleczna z orzechami laskowymi 250g";
    Sql("ALTER TABLE KARTAS2009 ALTER COLUMN NAZWA TYPE VARCHAR(80)");
    const std::string longName = "Czekolada mleczna z orze" + std::string(45, 'x');  // 69
    Add({Good("CZ2", second), Good("CZ1", first), Good("CZ3", longName), Good("INNE", "Inne")});
    EXPECT_EQ((std::vector<std::string>{
                  header_, names_, "    CZ1  Czekolada mleczna z orze ... chami laskowymi 100g",
                  "    CZ2  Czekolada mleczna z orze ... chami laskowymi 250g",
                  "    CZ3  Czekolada mleczna z orze ... " + std::string(40, 'x'), kEnd}),
              Report());
}

TEST_F(ConsistencyReportTest, GroupsComeInTheOrderOfTheirValue) {
    Add({Good("B1", "Bulka"), Good("A1", "Agrest"), Good("B2", "Bulka"), Good("A2", "Agrest")});
    EXPECT_EQ(
        (std::vector<std::string>{header_, names_, "    A1  Agrest ... ", "    A2  Agrest ... ",
                                  "    B1  Bulka ... ", "    B2  Bulka ... ", kEnd}),
        Report());
}

TEST_F(ConsistencyReportTest, BarcodeLinesPadAndCutTheSymbolAndTheCode) {
    // Symbols wider than the fixture's (a trading program may keep them so).
    Sql("ALTER TABLE KARTAS2009 DROP CONSTRAINT PK_KARTAS2009");
    Sql("ALTER TABLE KARTAS2009 ALTER COLUMN ASORT TYPE VARCHAR(30)");
    const std::string longSymbol = "SYMBOL-DLUZSZY-NIZ-22-ZNAKI";  // 27
    fixture::Good a = Good(longSymbol, "Pierwszy");
    a.kodEan = "123456789012345678";  // 18
    fixture::Good b = Good("KROTKI", "Drugi");
    b.kodEan = a.kodEan;
    fixture::Good c = Good("C", "Trzeci");
    c.kodEan = "5901";
    fixture::Good d = Good("D", "Czwarty");
    d.kodEan = "5901";
    Add({a, b, c, d});
    EXPECT_EQ((std::vector<std::string>{header_, barcodes_,
                                        "    KROTKI                1234567890123456Drugi",
                                        "    SYMBOL-DLUZSZY-NIZ-22-1234567890123456Pierwszy",
                                        "    C                     5901            Trzeci",
                                        "    D                     5901            Czwarty", kEnd}),
              Report());
}

TEST_F(ConsistencyReportTest, GoodsWithoutBarcodeFormOneGroupThatListsTheEmptyBarcodes) {
    Add({Good("N1", "Bez kodu 1"), Good("N2", "Bez kodu 2"), Good("E1", "Pusty kod"),
         Good("Z", "Zwykly")});
    Sql("UPDATE KARTAS2009 SET KOD_EAN = NULL WHERE ASORT IN ('N1', 'N2')");
    Sql("UPDATE KARTAS2009 SET KOD_EAN = '' WHERE ASORT = 'E1'");
    EXPECT_EQ((std::vector<std::string>{
                  header_, barcodes_, "    E1                                    Pusty kod", kEnd}),
              Report());
}

TEST_F(ConsistencyReportTest, GoodsWithoutBarcodeAndNoEmptyOneGiveASectionWithoutDetails) {
    Add({Good("N1", "Bez kodu 1"), Good("N2", "Bez kodu 2")});
    Sql("UPDATE KARTAS2009 SET KOD_EAN = NULL");
    EXPECT_EQ((std::vector<std::string>{header_, barcodes_, kEnd}), Report());
}

TEST_F(ConsistencyReportTest, TheBarcodeSettingNamesTheColumnTested) {
    fixture::Good a = Good("A", "Alfa");
    a.atest = "777";
    fixture::Good b = Good("B", "Beta");
    b.atest = "777";
    fixture::Good c = Good("C", "Gamma");
    c.kodEan = "EAN-A";  // a duplicate in kod_ean, which is not the bar-code column now
    Add({a, b, c});
    App().mainSettings.barKod = BarCodeSetting("ATEST");
    EXPECT_EQ((std::vector<std::string>{header_, barcodes_,
                                        "    A                     777             Alfa",
                                        "    B                     777             Beta", kEnd}),
              Report());
}

TEST_F(ConsistencyReportTest, RegisterCodesNullAndZeroAreNoCodesAndFormNoGroup) {
    Add({Good("A", "Alfa", 7), Good("B", "Beta", 7), Good("C", "Gamma", 0), Good("D", "Delta", 0),
         Good("E", "Epsilon"), Good("F", "Fi"), Good("G", "Gimel", 12345678)});
    EXPECT_EQ((std::vector<std::string>{header_, codes_, "    A                     7      Alfa",
                                        "    B                     7      Beta", kEnd}),
              Report());
}

TEST_F(ConsistencyReportTest, ValuesWithAnApostropheAreListed) {
    fixture::Good a = Good("S1", "Ser 'Gouda' plaster 150g", 3);
    a.kodEan = "59'01";
    fixture::Good b = Good("S2", "Ser 'Gouda' plaster 150g", 3);
    b.kodEan = "59'01";
    Add({a, b});
    EXPECT_EQ((std::vector<std::string>{
                  header_, names_, "    S1  Ser 'Gouda' plaster 150g ... ",
                  "    S2  Ser 'Gouda' plaster 150g ... ", kEnd, barcodes_,
                  "    S1                    59'01           Ser 'Gouda' plaster 150g",
                  "    S2                    59'01           Ser 'Gouda' plaster 150g", kEnd,
                  codes_, "    S1                    3      Ser 'Gouda' plaster 150g",
                  "    S2                    3      Ser 'Gouda' plaster 150g", kEnd}),
              Report());
}

TEST_F(ConsistencyReportTest, ASecondRunLeavesOnlyTheSecondReport) {
    Add({Good("A", "Alfa", 7), Good("B", "Beta", 7)});
    Report();
    Sql("UPDATE KARTAS2009 SET KOD_KASA = 8 WHERE ASORT = 'B'");
    EXPECT_EQ((std::vector<std::string>{header_}), Report());
}

TEST_F(ConsistencyReportTest, AFailingQueryRaisesAndLeavesTheLinesWrittenSoFar) {
    Add({Good("A", "Alfa"), Good("B", "Alfa")});
    App().mainSettings.barKod = BarCodeSetting("NO_SUCH_COLUMN");
    EXPECT_THROW(Tdmu(dm_, ConsistencyReportPath(logDir_.Path())).ConsistencyReport(), fb::FbError);
    EXPECT_EQ(
        (std::vector<std::string>{header_, names_, "    A  Alfa ... ", "    B  Alfa ... ", kEnd}),
        SplitLines(ReadFileText(logDir_.Path() + "Error.txt")));
    EXPECT_FALSE(operator_->busy);
}

class ConsistencyReportTextCodesTest : public ConsistencyReportTest {
  protected:
    void SetUp() override {
        kind_ = fixture::KodKasaKind::Text;
        ConsistencyReportTest::SetUp();
    }
};

TEST_F(ConsistencyReportTextCodesTest, RegisterCodesKeptAsTextAreShownAsStored) {
    Add({Good("A", "Alfa", 7), Good("B", "Beta", 7), Good("C", "Gamma", 0), Good("D", "Delta", 0)});
    EXPECT_EQ((std::vector<std::string>{header_, codes_, "    A                         7  Alfa",
                                        "    B                         7  Beta", kEnd}),
              Report());
}

// --- The catalogue's columns for the transfer parameters -------------------------------------

TEST_F(ConsistencyReportTest, TheCataloguesColumnsGiveTheBarcodeAndPriceLists) {
    const CatalogueColumns columns = ReadCatalogueColumns(dm_, Name("KARTAS2009"), "kod_ean");
    EXPECT_TRUE(columns.opened);
    EXPECT_EQ((std::vector<std::string>{"ASORT", "NAZWA", "STAWKA_VAT", "KOD_VAT", "KOD_KASA", "JM",
                                        "GRUPA", "ATEST", "KOD_EAN", "TYPASORT"}),
              columns.barcodeNames);
    EXPECT_EQ((std::vector<std::string>{"CENA_1", "CENA_2", "CENA_3", "CENA_4"}),
              columns.priceNames);
    EXPECT_EQ(8, columns.barcodeSelection);
}

TEST_F(ConsistencyReportTest, AMissingCatalogueGivesNoListsAndLeavesTheQueryUsable) {
    const CatalogueColumns columns = ReadCatalogueColumns(dm_, Name("KARTAS1999"), "kod_ean");
    EXPECT_FALSE(columns.opened);
    EXPECT_TRUE(columns.barcodeNames.empty());
    EXPECT_TRUE(ReadCatalogueColumns(dm_, Name("KARTAS2009"), "").opened);
}

}  // namespace
}  // namespace rubso::test
