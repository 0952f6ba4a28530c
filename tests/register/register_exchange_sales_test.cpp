// The sales read and the counter reset: a shop day rung up on the
// substitute register with kasa-sim, read, converted into sales-read files
// with the goods symbols of the database, and the counters reset.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "register/code_assignment.h"
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

class SalesRead : public test::ExchangeDbTest {
  protected:
    explicit SalesRead(KodKasaKind kind = KodKasaKind::Integer) : ExchangeDbTest(kind) {}

    // Mleko (12) and Chleb (13) in the goods table and in the register, and
    // Woda (14) in the register only.
    void StockTheShop() {
        AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0),
                  MakeGood("CHLEB", "Chleb", 3.99, 13, 5.0), MakeGood("WODA", "Woda", 1.99, 14)});
        std::vector<std::string> marked = {"MLEKO", "CHLEB", "WODA"};
        e_.aExpoTowarExecute(marked, {true, true});
        ASSERT_TRUE(marked.empty()) << operator_->StatusText();
        db_.Execute({"update " + App().goodsTable + " set kod_kasa = null where asort = 'WODA'"});
    }
    // Two receipts and a third with a good the goods table does not know.
    void PlayTheDay() {
        ASSERT_EQ(0, dir_.Tool({"sell", "1", "12", "2", "13", "0.5"})) << dir_.ToolOutput();
        ASSERT_EQ(0, dir_.Tool({"sell", "1", "12", "1", "--discount=20"})) << dir_.ToolOutput();
        ASSERT_EQ(0, dir_.Tool({"sell", "1", "14", "1"})) << dir_.ToolOutput();
    }
    std::string SalesFile(int number) const {
        return App().kasaDir + "20260316_" + std::to_string(number) + ".txt";
    }
    std::vector<std::string> KasaFiles() const {
        std::vector<std::string> names;
        ListFiles(names, App().kasaDir, "*.*");
        for (std::string& name : names) name = name.substr(App().kasaDir.size());
        return names;
    }

    const std::string kDay =
        "1;00012;MLEKO;3;7.27;20260316;10:30\r\n"
        "1;00013;CHLEB;0.5;2;20260316;10:30\r\n"
        "1;00014;;1;1.99;20260316;10:30\r\n";
};

TEST_F(SalesRead, ShopDayBecomesTheFirstSalesReadFile) {
    StockTheShop();
    PlayTheDay();
    operator_->ClearSalesMemo();
    e_.ElzabSprz();
    EXPECT_EQ(0, e_.LastResult());
    EXPECT_EQ(kDay, ReadBytes(SalesFile(1)));
    EXPECT_EQ(SalesFile(1), e_.LastSalesReadFile());
    EXPECT_EQ((std::vector<std::string>{
                  Cp1250("Ilość pozycji sprzedaży : 3"),
                  "Brak odpowiednika dla kodu kasowego 00014",
                  "$00014\t1\t199",
                  "$00013\t0.5\t200",
                  "$00012\t3\t727",
                  "Odczyt nr : 1",
                  "Czas transmisji: 0 sek.",
                  "Start 10:30:00",
              }),
              operator_->salesMemo);
}

TEST_F(SalesRead, SecondReadOfTheDayIsNumberTwoAndLeavesTheFirst) {
    StockTheShop();
    PlayTheDay();
    e_.ElzabSprz();
    e_.ElzabSprz();
    EXPECT_EQ(kDay, ReadBytes(SalesFile(1)));
    EXPECT_EQ(kDay, ReadBytes(SalesFile(2)));
    EXPECT_EQ("Odczyt nr : 2", operator_->salesMemo.at(operator_->salesMemo.size() - 3));
}

TEST_F(SalesRead, DeletedEarlierReadNeverLetsANewOneReplaceAnExistingFile) {
    StockTheShop();
    PlayTheDay();
    EnsureDir(App().kasaDir);
    WriteBytes(SalesFile(2), "wcześniejszy odczyt\r\n");  // _1 was deleted
    e_.ElzabSprz();
    EXPECT_EQ("wcześniejszy odczyt\r\n", ReadBytes(SalesFile(2)));
    EXPECT_EQ(kDay, ReadBytes(SalesFile(3)));
}

TEST_F(SalesRead, NameAndDateFollowTodayWhileTheDirectoryFollowsTheSalesDate) {
    StockTheShop();
    PlayTheDay();
    SetSaleDate(QDate(2026, 3, 10));
    e_.ElzabSprz();
    EXPECT_NE(std::string::npos, App().kasaDir.find("20260310/Kasa01/"));
    EXPECT_EQ(kDay, ReadBytes(App().kasaDir + "20260316_1.txt"));
}

TEST_F(SalesRead, ResetCountersLeavesTheNextReadEmpty) {
    StockTheShop();
    PlayTheDay();
    e_.aZerujLicznikiExecute();
    EXPECT_EQ(0, e_.LastResult());
    EXPECT_EQ((std::vector<std::string>{"Czas transmisji: 0 sek.", "Start:10:30:00"}),
              operator_->salesMemo);
    EXPECT_TRUE(fs::exists(App().kasaDir + "OSprzed.out"));
    e_.ElzabSprz();
    EXPECT_EQ("", ReadBytes(SalesFile(1)));
    EXPECT_EQ(Cp1250("Ilość pozycji sprzedaży : 0"), operator_->salesMemo.front());
}

TEST_F(SalesRead, FailedSalesReadBeforeTheResetKeepsTheCounters) {
    StockTheShop();
    PlayTheDay();
    ASSERT_EQ(0, dir_.Tool({"fail", "1", "OSprzed", "25"}));
    e_.aZerujLicznikiExecute();
    EXPECT_EQ(25, e_.LastResult());
    EXPECT_EQ(0u, operator_->StatusText().find("[OSprzed] Error 25 : "));
    EXPECT_EQ(std::vector<std::string>{"Start:10:30:00"}, operator_->salesMemo);
    e_.ElzabSprz();
    EXPECT_EQ(kDay, ReadBytes(SalesFile(1)));  // no sale lost
}

TEST_F(SalesRead, FailedReadLeavesNoFileAndTheErrorInReportAndField) {
    StockTheShop();
    PlayTheDay();
    ASSERT_EQ(0, dir_.Tool({"fail", "1", "OTSpMax", "25"}));
    e_.ElzabSprz();
    EXPECT_EQ((std::vector<std::string>{}), KasaFiles());
    const std::string message = "[OTSpMax] Error 25 : " + e_.ErrorDescription(25);
    EXPECT_EQ((test::RecordingOperator::Status{message, true}), operator_->statuses.back());
    EXPECT_EQ(std::vector<std::string>{message}, dir_.ErrorReportEntries());
    EXPECT_EQ((std::vector<std::string>{"Czas transmisji: 0 sek.", "Start 10:30:00"}),
              operator_->salesMemo);
}

TEST_F(SalesRead, CodeGivenAfterAnEarlierReadIsFoundByTheNextOne) {
    StockTheShop();
    PlayTheDay();
    e_.ElzabSprz();
    db_.Execute({"update " + App().goodsTable +
                 " set kod_kasa = " + (kind_ == KodKasaKind::Text ? std::string("'   14'") : "14") +
                 " where asort = 'WODA'"});
    e_.ElzabSprz();
    EXPECT_NE(std::string::npos, ReadBytes(SalesFile(2)).find("1;00014;WODA;1;1.99"));
}

TEST_F(SalesRead, ResetCodesAreSeenByTheNextRead) {
    StockTheShop();
    PlayTheDay();
    e_.ElzabSprz();
    ASSERT_TRUE(ZerujKodyKasy(dm_, GoodsTableIdentifier(), CodeResetValue::Zero));
    e_.ElzabSprz();
    EXPECT_EQ(
        "1;00012;;3;7.27;20260316;10:30\r\n1;00013;;0.5;2;20260316;10:30\r\n"
        "1;00014;;1;1.99;20260316;10:30\r\n",
        ReadBytes(SalesFile(2)));
}

TEST_F(SalesRead, UnreachableGoodsTableStopsBeforeAnyFile) {
    StockTheShop();
    PlayTheDay();
    App().goodsTable = "Kartas1999";
    e_.ElzabSprz();
    EXPECT_EQ((test::RecordingOperator::Status{
                  Cp1250("Brak dostępu do kartotek programu handlowego"), true}),
              operator_->statuses.back());
    EXPECT_EQ(std::vector<std::string>{"OTSpMax.out"}, KasaFiles());
    EXPECT_TRUE(operator_->messages.empty());
}

TEST_F(SalesRead, GoodsTableWithoutRegisterCodesIsReportedAsWrongStructure) {
    StockTheShop();
    PlayTheDay();
    db_.Execute({"create table KARTAS1998 (ASORT varchar(20))"});
    App().goodsTable = "Kartas1998";
    e_.ElzabSprz();
    EXPECT_EQ(std::vector<std::string>{"Niepoprawna struktura kartoteki"},
              operator_->MessageTexts());
    EXPECT_EQ(std::vector<std::string>{"OTSpMax.out"}, KasaFiles());
}

TEST_F(SalesRead, LookupByBarCodeGoesThroughTheCodeTable) {
    fixture::Good mleko = MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0);
    mleko.kodEan = "5901234123457";
    AddGoods({mleko});
    App().mainSettings.barKod = BarCodeSetting("KOD_EAN");
    App().mainSettings.useEan = true;
    std::vector<std::string> marked = {"MLEKO"};
    e_.aExpoTowarExecute(marked, {true, true});
    RegisterCodeTable(CurrentKodyPath()).Put({14, "Woda", 1.99, "", "2000000000001"});
    ASSERT_EQ(0, dir_.Tool({"sell", "1", "12", "1"}));
    e_.ElzabSprz();
    EXPECT_EQ("1;00012;MLEKO;1;2.49;20260316;10:30\r\n", ReadBytes(SalesFile(1)));

    // A code whose bar code no good has: the bar code goes into the memo.
    WriteBytes(App().kasaDir + "totals.out", "#1\r\n#1\r\n#KOD\r\n$00014\t1\t199\r\n");
    ASSERT_TRUE(e_.ConvertSalesRead(App().kasaDir + "totals.out"));
    EXPECT_EQ("Brak odpowiednika dla kodu kasowego 00014(EAN 2000000000001)",
              operator_->salesMemo.at(1));
}

TEST_F(SalesRead, WithoutARegisterDefinitionFieldOneIsEmpty) {
    StockTheShop();
    ClearCurrentRegister();
    EnsureDir(App().kasaDir);
    WriteBytes(App().kasaDir + "totals.out", "#1\r\n#1\r\n#KOD\r\n$00012\t1\t249\r\n");
    ASSERT_TRUE(e_.ConvertSalesRead(App().kasaDir + "totals.out"));
    EXPECT_EQ(";00012;MLEKO;1;2.49;20260316;10:30\r\n",
              ReadBytes(App().kasaDir + "20260316_1.txt"));
}

// --- Library output that cannot be trusted --------------------------------------------------

class DamagedSalesOutput : public SalesRead {
  protected:
    DamagedSalesOutput() {
        AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0)});
        EnsureDir(App().kasaDir);
    }
    // Converts `text` as if OTSpMax had written it.
    bool Convert(const std::string& text) {
        WriteBytes(App().kasaDir + "OTSpMax.out", text);
        return e_.ConvertSalesRead(App().kasaDir + "OTSpMax.out");
    }
};

TEST_F(DamagedSalesOutput, LineEndsCrLfLfOrCrGiveTheSameFile) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        const std::string e(end);
        ASSERT_TRUE(Convert("#1" + e + "#1" + e + "#KOD" + e + "$00012\t2\t498" + e)) << end;
    }
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ("1;00012;MLEKO;2;4.98;20260316;10:30\r\n", ReadBytes(SalesFile(n))) << n;
    }
}

TEST_F(DamagedSalesOutput, ControlZEndsTheOutput) {
    ASSERT_TRUE(Convert("#1\r\n#1\r\n#KOD\r\n$00012\t2\t498\r\n\x1A$00013\tx\ty\r\n"));
    EXPECT_EQ("1;00012;MLEKO;2;4.98;20260316;10:30\r\n", ReadBytes(SalesFile(1)));
}

TEST_F(DamagedSalesOutput, HeaderOnlyGivesAnEmptyFile) {
    ASSERT_TRUE(Convert("#1\r\n#0\r\n#KOD\r\n"));
    EXPECT_EQ("", ReadBytes(SalesFile(1)));
    EXPECT_EQ(Cp1250("Ilość pozycji sprzedaży : 0"), operator_->salesMemo.front());
}

TEST_F(DamagedSalesOutput, BlankLinesAreNoSales) {
    ASSERT_TRUE(Convert("#1\r\n#1\r\n#KOD\r\n\r\n$00012\t2\t498\r\n  \r\n"));
    EXPECT_EQ("1;00012;MLEKO;2;4.98;20260316;10:30\r\n", ReadBytes(SalesFile(1)));
    EXPECT_EQ(Cp1250("Ilość pozycji sprzedaży : 1"), operator_->salesMemo.front());
}

TEST_F(DamagedSalesOutput, LineThatWouldLoseASaleFailsTheWholeReadAndLeavesNoFile) {
    const std::vector<std::string> damaged = {
        "$00013\t1",           // value missing
        "$00013\tjeden\t399",  // letters in the quantity
        "$00013\t1\t3,99zl",   // letters in the value
        "$00013\t\t399",       // quantity empty
    };
    for (const std::string& line : damaged) {
        operator_->messages.clear();
        EXPECT_FALSE(Convert("#1\r\n#2\r\n#KOD\r\n$00012\t2\t498\r\n" + line + "\r\n")) << line;
        EXPECT_EQ(std::vector<std::string>{Cp1250("Błąd przenoszenia danych ")},
                  operator_->MessageTexts())
            << line;
        EXPECT_EQ(0u, operator_->salesMemo.front().find(Cp1250("Niepoprawny wiersz 5 "))) << line;
    }
    EXPECT_EQ(std::vector<std::string>{"OTSpMax.out"}, KasaFiles());
}

TEST_F(DamagedSalesOutput, TruncatedHeaderFailsTheRead) {
    EXPECT_FALSE(Convert("#1\r\n#0\r\n"));
    EXPECT_EQ(std::vector<std::string>{Cp1250("Błąd przenoszenia danych ")},
              operator_->MessageTexts());
    EXPECT_EQ(std::vector<std::string>{"OTSpMax.out"}, KasaFiles());
}

TEST_F(DamagedSalesOutput, MissingOutputAfterASuccessfulCallFailsTheRead) {
    EXPECT_FALSE(e_.ConvertSalesRead(App().kasaDir + "OTSpMax.out"));
    EXPECT_EQ(std::vector<std::string>{Cp1250("Błąd przenoszenia danych ")},
              operator_->MessageTexts());
    EXPECT_TRUE(KasaFiles().empty());
}

TEST_F(DamagedSalesOutput, CodeWithoutANumberIsStillWritten) {
    ASSERT_TRUE(Convert("#1\r\n#1\r\n#KOD\r\n$ABC\t1\t100\r\n"));
    EXPECT_EQ("1;ABC;;1;1;20260316;10:30\r\n", ReadBytes(SalesFile(1)));
    EXPECT_EQ("Brak odpowiednika dla kodu kasowego ABC", operator_->salesMemo.at(1));
}

TEST_F(DamagedSalesOutput, UnwritableRegisterDirectoryFailsWithoutAPartFile) {
    WriteBytes(App().kasaDir + "totals.out", "#1\r\n#1\r\n#KOD\r\n$00012\t2\t498\r\n");
    fs::create_directory(App().kasaDir + "20260316_1.txt.part");  // the file cannot be made
    EXPECT_FALSE(e_.ConvertSalesRead(App().kasaDir + "totals.out"));
    EXPECT_FALSE(fs::exists(SalesFile(1)));
}

// --- Both KOD_KASA forms -----------------------------------------------------------------

class SalesReadBothForms : public SalesRead, public ::testing::WithParamInterface<KodKasaKind> {
  protected:
    SalesReadBothForms() : SalesRead(GetParam()) {}
};

TEST_P(SalesReadBothForms, SymbolsAreFoundWhateverFormTheCodesHave) {
    StockTheShop();
    PlayTheDay();
    e_.ElzabSprz();
    EXPECT_EQ(kDay, ReadBytes(SalesFile(1)));
}

INSTANTIATE_TEST_SUITE_P(BothKodKasaForms, SalesReadBothForms,
                         ::testing::Values(KodKasaKind::Integer, KodKasaKind::Text),
                         test::KodKasaKindName);

}  // namespace
}  // namespace rubso
