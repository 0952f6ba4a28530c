// The sales transfer: a sales-read file becomes one WZ document in Maga, Kama
// and RejSprz; what stops it before anything is written; what a failure half
// way leaves (nothing); a repeated transfer of the same register and day.

#include <filesystem>
#include <map>

#include <gmock/gmock.h>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "tests/trading/trading_tables_test_base.h"
#include "trading/sales_transfer_command.h"

namespace rubso::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

constexpr std::int64_t kPackage = 101090514;
const char* const kDocument = "WZ/101090514";

std::string Line(const std::string& code, const std::string& symbol, const std::string& quantity,
                 const std::string& value) {
    return "1;" + code + ";" + symbol + ";" + quantity + ";" + value + ";20090514;10:15";
}

// Every table of the month, to compare before and after.
struct Snapshot {
    std::vector<TableRow> maga, kama, rejSprz;
    bool operator==(const Snapshot&) const = default;
};

class WzTransferTest : public TradingTablesTest {
  protected:
    TransferOutcome Transfer(const std::vector<std::string>& lines) {
        return tdmh_.WZ2Hndl(SalesRead(lines));
    }

    Snapshot Tables(bool sorted = false) const {
        auto read = sorted ? SortedTable : ReadTable;
        return {read(paths_.maga), read(paths_.kama), read(paths_.rejSprz)};
    }
};

void PrintTo(const Snapshot& s, std::ostream* out) {
    *out << "Maga " << ::testing::PrintToString(s.maga) << "\nKama "
         << ::testing::PrintToString(s.kama) << "\nRejSprz " << ::testing::PrintToString(s.rejSprz);
}

// --- Fields of a sales-read line -------------------------------------------------------------

struct FieldCase {
    const char* line;
    int n;
    const char* expected;
};

class SalesReadFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(SalesReadFieldTest, FieldsAreTakenByPosition) {
    EXPECT_EQ(GetParam().expected, SalesReadField(GetParam().line, GetParam().n));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SalesReadFieldTest,
    ::testing::Values(FieldCase{"1;00012;CUKIER;2;24.6;20090514;10:15", 3, "CUKIER"},
                      FieldCase{"1;00012;;2;24.6;20090514;10:15", 3, ""},
                      FieldCase{"1;00012;;2;24.6;20090514;10:15", 4, "2"},
                      FieldCase{"1;00012;;2;24.6;20090514;10:15", 5, "24.6"},
                      FieldCase{";00012;CUKIER;2;24.6;20090514;10:15", 2, "00012"},
                      FieldCase{"1;00012;CUKIER;2;24.6;20090514;10:15", 7, "10:15"},
                      FieldCase{"1;00012;CUKIER;2;24.6;20090514;10:15", 8, ""},
                      FieldCase{"1;00012", 0, ""}, FieldCase{"", 1, ""}));

// --- Worked examples ---------------------------------------------------------------------------

TEST_F(WzTransferTest, OneLineAt23PercentGivesTheMovementCardAndRegisterRow) {
    const TransferOutcome outcome = Transfer({Line("00012", "CUKIER", "2", "24.60")});
    ASSERT_TRUE(outcome.ok) << outcome.reason;
    EXPECT_EQ(kPackage, outcome.package);

    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(1u, maga.size());
    const TableRow& m = maga[0];
    EXPECT_EQ(kPackage, m.Integer("Nr_paczki"));
    EXPECT_EQ(1, m.Integer("Lp"));
    EXPECT_EQ("CUKIER", m.Text("Asort"));
    EXPECT_EQ("SPO", m.Text("Grupa_As"));
    EXPECT_EQ(2, m.Number("Ilosc"));
    EXPECT_EQ(12.30, m.Number("Cena_brutto"));
    EXPECT_EQ(24.60, m.Number("Wart_Brutto"));
    EXPECT_EQ(20.00, m.Number("Wartosc"));
    EXPECT_EQ(20.00, m.Number("Wart_zak"));
    EXPECT_NEAR(4.60, m.Number("Podatek"), 1e-9);
    EXPECT_EQ(10.00, m.Number("Cena"));
    EXPECT_EQ(10.00, m.Number("Cena_UPUST"));
    EXPECT_EQ(10.00, m.Number("Cena_Netto"));
    EXPECT_EQ(10.00, m.Number("Cena_zakupu"));
    EXPECT_EQ("23", m.Text("Kod_vat"));
    EXPECT_EQ(23, m.Integer("Stawka_vat"));
    EXPECT_EQ("WZ", m.Text("Rodz_dok"));
    EXPECT_EQ("kg", m.Text("Jm"));
    EXPECT_EQ("01", m.Text("Magazyn"));
    EXPECT_EQ("SD", m.Text("Kierunek"));
    EXPECT_EQ(1234, m.Integer("Kod"));
    EXPECT_EQ(7, m.Integer("Rej"));
    EXPECT_EQ(kDocument, m.Text("Numfak"));
    EXPECT_EQ(kDocument, m.Text("Nr_dok"));
    EXPECT_EQ(QDate(2009, 5, 14), m.Moment("Data_faktury").date());
    EXPECT_EQ(QDate(2009, 5, 14), m.Moment("Data_wpisu").date());
    EXPECT_EQ(QDate(1899, 12, 30), m.Moment("Data_Part").date());

    const auto cards = ReadTable(paths_.kama);
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ("CUKIER", cards[0].Text("Asort"));
    EXPECT_EQ(2, cards[0].Number("Rozchody"));
    EXPECT_EQ(10, cards[0].Number("Cena"));
    EXPECT_EQ(kDocument, cards[0].Text("PARTIA"));
    EXPECT_EQ(QDate(2009, 5, 14), cards[0].Moment("Data").date());

    const auto reg = ReadTable(paths_.rejSprz);
    ASSERT_EQ(1u, reg.size());
    const TableRow& r = reg[0];
    EXPECT_EQ(kPackage, r.Integer("Nr_paczki"));
    EXPECT_EQ(7, r.Integer("Rej"));
    EXPECT_EQ(0, r.Integer("Lp_rej"));
    EXPECT_EQ(1234, r.Integer("Kod"));
    EXPECT_EQ(24.60, r.Number("Wartosc"));
    EXPECT_EQ(20.00, r.Number("Netto"));
    EXPECT_NEAR(4.60, r.Number("Podatek"), 1e-9);
    EXPECT_EQ(20.00, r.Number("War_23"));
    EXPECT_NEAR(4.60, r.Number("Vat_23"), 1e-9);
    EXPECT_EQ(kDocument, r.Text("Nr_pz"));
    EXPECT_EQ(QDate(2009, 5, 14), r.Moment("Term_zapl").date());
    EXPECT_EQ(QDate(1899, 12, 30), r.Moment("Data_fakor").date());
    EXPECT_EQ("01", r.Text("Magazyn"));

    EXPECT_THAT(LogEntries(),
                Contains("Eksport : " + logDir_.File("20090514_1.txt") + " -> " + kDocument));
}

struct RateCase {
    const char* symbol;
    const char* gross;
    double net;
    double vat;
    const char* netColumn;  // nullptr: the rate has no column of its own
    const char* vatColumn;
};

class WzRateTest : public WzTransferTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(WzRateTest, TheLineCountsInTheTotalsAndInItsRatesColumns) {
    const RateCase& c = GetParam();
    ASSERT_TRUE(Transfer({Line("1", c.symbol, "1", c.gross)}).ok);
    const auto reg = ReadTable(paths_.rejSprz);
    ASSERT_EQ(1u, reg.size());
    EXPECT_NEAR(c.net, reg[0].Number("Netto"), 1e-9);
    EXPECT_NEAR(c.vat, reg[0].Number("Podatek"), 1e-9);
    for (const char* column : {"War_05", "War_08", "War_23", "War_00"}) {
        const bool own = c.netColumn != nullptr && std::string(column) == c.netColumn;
        EXPECT_NEAR(own ? c.net : 0, reg[0].Number(column), 1e-9) << column;
    }
    for (const char* column : {"Vat_05", "Vat_08", "Vat_23"}) {
        const bool own = c.vatColumn != nullptr && std::string(column) == c.vatColumn;
        EXPECT_NEAR(own ? c.vat : 0, reg[0].Number(column), 1e-9) << column;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rates, WzRateTest,
    ::testing::Values(RateCase{"MLEKO", "10.80", 10.00, 0.80, "War_08", "Vat_08"},
                      RateCase{"CHLEB", "10.50", 10.00, 0.50, "War_05", "Vat_05"},
                      RateCase{"CUKIER", "12.30", 10.00, 2.30, "War_23", "Vat_23"},
                      RateCase{"JAJA", "7.00", 7.00, 0, nullptr, nullptr},
                      // 22.9 in the goods file: the rate is its whole part.
                      RateCase{"WODA", "12.20", 10.00, 2.20, nullptr, nullptr}));

TEST_F(WzTransferTest, TheVatCodeIsTheRateInTwoDigits) {
    ASSERT_TRUE(Transfer({Line("1", "CHLEB", "1", "1.05"), Line("2", "JAJA", "1", "1"),
                          Line("3", "WODA", "1", "1")})
                    .ok);
    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(3u, maga.size());
    EXPECT_EQ("05", maga[0].Text("Kod_vat"));
    EXPECT_EQ("00", maga[1].Text("Kod_vat"));
    EXPECT_EQ("22", maga[2].Text("Kod_vat"));
    EXPECT_EQ(22, maga[2].Integer("Stawka_vat"));
}

TEST_F(WzTransferTest, TwoLinesOfOneSymbolAreTwoMovementsOnOneCard) {
    ASSERT_TRUE(
        Transfer({Line("1", "CUKIER", "2", "24.60"), Line("1", "CUKIER", "1.5", "18.45")}).ok);
    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(2u, maga.size());
    EXPECT_EQ(1, maga[0].Integer("Lp"));
    EXPECT_EQ(2, maga[1].Integer("Lp"));
    const auto cards = ReadTable(paths_.kama);
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ(3.5, cards[0].Number("Rozchody"));
    const auto reg = ReadTable(paths_.rejSprz);
    EXPECT_NEAR(43.05, reg[0].Number("Wartosc"), 1e-9);
}

TEST_F(WzTransferTest, AValueWithACommaOrAPointIsTheSameAmount) {
    ASSERT_TRUE(
        Transfer({Line("1", "CUKIER", "1", "12,50"), Line("2", "CUKIER", "1", "12.50")}).ok);
    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(2u, maga.size());
    EXPECT_EQ(12.5, maga[0].Number("Wart_Brutto"));
    EXPECT_EQ(12.5, maga[1].Number("Wart_Brutto"));
}

TEST_F(WzTransferTest, AGrossUnitPriceIsRoundedHalfAwayFromZero) {
    // 0.25 / 2 = 0.125 gives 0.13; the net value keeps its own rounding.
    ASSERT_TRUE(Transfer({Line("1", "JAJA", "2", "0.25")}).ok);
    const auto maga = ReadTable(paths_.maga);
    EXPECT_EQ(0.13, maga[0].Number("Cena_brutto"));
    EXPECT_EQ(0.13, maga[0].Number("Cena"));
    EXPECT_EQ(0.25, maga[0].Number("Wartosc"));
}

TEST_F(WzTransferTest, ASymbolTheGoodsFileDoesNotKnowIsWrittenAt23PercentWithoutGroup) {
    ASSERT_TRUE(Transfer({Line("1", "NOWY", "1", "12.30")}).ok);
    const auto maga = ReadTable(paths_.maga);
    EXPECT_EQ("NOWY", maga[0].Text("Asort"));
    EXPECT_EQ("23", maga[0].Text("Kod_vat"));
    EXPECT_EQ("", maga[0].Text("Grupa_As"));
}

// The year and month directories follow the working date (today at start);
// the package number and the document's dates follow the sales date.
TEST_F(WzTransferTest, TablesFollowTheWorkingDateAndTheDocumentTheSalesDate) {
    ScopedFixedClock clock(QDateTime(QDate(2009, 6, 2), QTime(9, 0)));
    SetWorkingDate(Clock::Today());
    const auto june = MakeTables(2009, 6);
    fixture::AddAsortGoods(june.asort, {{"CUKIER", "Cukier", 23, "SPO"}});
    App().saleDate = QDate(2009, 5, 30);
    const TransferOutcome outcome = Transfer({Line("1", "CUKIER", "1", "1.23")});
    ASSERT_TRUE(outcome.ok) << outcome.reason;
    EXPECT_EQ(101090530, outcome.package);
    const auto maga = ReadTable(june.maga);
    ASSERT_EQ(1u, maga.size());
    EXPECT_EQ("WZ/101090530", maga[0].Text("Nr_dok"));
    EXPECT_EQ(QDate(2009, 5, 30), maga[0].Moment("Data_faktury").date());
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
}

// --- Goods matched through EAN codes ----------------------------------------------------------

class WzEanTest : public WzTransferTest {
  protected:
    WzEanTest() {
        App().mainSettings.useEan = true;
        tdmh_.SetGoodsLookup([this](std::int64_t code) {
            asked.push_back(code);
            const auto it = catalogue.find(code);
            return it == catalogue.end() ? GoodsMatch{} : it->second;
        });
    }
    std::map<std::int64_t, GoodsMatch> catalogue = {
        {12, {"CUKIER", "5900000000012", 23, "23"}},
        {13, {"MLEKO", "5900000000013", 8, "08"}},
    };
    std::vector<std::int64_t> asked;
};

TEST_F(WzEanTest, TheRegisterCodeFindsSymbolAndRateAndTheGroupStaysEmpty) {
    ASSERT_TRUE(
        Transfer({Line("00013", "", "1", "10.80"), Line(" 12 ", "IGNORED", "1", "1.23")}).ok);
    EXPECT_EQ((std::vector<std::int64_t>{13, 12}), asked);
    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(2u, maga.size());
    EXPECT_EQ("MLEKO", maga[0].Text("Asort"));
    EXPECT_EQ("08", maga[0].Text("Kod_vat"));
    EXPECT_EQ(8, maga[0].Integer("Stawka_vat"));
    EXPECT_EQ("", maga[0].Text("Grupa_As"));
    EXPECT_EQ("CUKIER", maga[1].Text("Asort"));
    const auto reg = ReadTable(paths_.rejSprz);
    EXPECT_NEAR(10.0, reg[0].Number("War_08"), 1e-9);
}

TEST_F(WzEanTest, ACodeTheCatalogueCannotMatchStopsTheTransferBeforeWriting) {
    const TransferOutcome outcome =
        Transfer({Line("12", "CUKIER", "1", "1.23"), Line("00099", "CUKIER", "1", "1")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Cp1250("Brak symbolu towaru dla kodów kasowych: 00099"), outcome.reason);
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
    EXPECT_TRUE(ReadTable(paths_.rejSprz).empty());
}

TEST_F(WzEanTest, ALookupThatFailsEndsTheTransferWithItsMessage) {
    tdmh_.SetGoodsLookup(
        [](std::int64_t) -> GoodsMatch { throw std::runtime_error("Column unknown BARKOD"); });
    const TransferOutcome outcome = Transfer({Line("12", "", "1", "1.23")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.reason, HasSubstr("Column unknown BARKOD"));
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
}

// --- What stops a transfer before anything is written ------------------------------------------

TEST_F(WzTransferTest, AnEmptyFileIsReportedAndNoTableIsOpened) {
    App().mainSettings.asorPth = root_.Path() + "missing/";
    const TransferOutcome outcome = Transfer({});
    EXPECT_FALSE(outcome.ok);
    ASSERT_EQ(1u, operator_->statuses.size());
    EXPECT_EQ((RecordingOperator::Status{Cp1250("Pusty zbiór z odczytem sprzedaży"), true}),
              operator_->statuses[0]);
}

TEST_F(WzTransferTest, BlankLinesCarryNoSaleAndAFileOfBlankLinesIsEmpty) {
    ASSERT_TRUE(
        Transfer({"", Line("1", "CUKIER", "1", "1.23"), "  ", Line("2", "MLEKO", "1", "1.08")}).ok);
    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(2u, maga.size());
    EXPECT_EQ(2, maga[1].Integer("Lp"));

    const TransferOutcome blank = tdmh_.WZ2Hndl(SalesRead({"", " "}, "20090514_2.txt"));
    EXPECT_FALSE(blank.ok);
    EXPECT_EQ(Cp1250("Pusty zbiór z odczytem sprzedaży"), blank.reason);
}

TEST_F(WzTransferTest, AMissingFileIsReportedAndNoTableIsOpened) {
    const TransferOutcome outcome = tdmh_.WZ2Hndl(logDir_.File("20090514_9.txt"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Cp1250("Brak zbioru z odczytem sprzedaży ") + logDir_.File("20090514_9.txt"),
              outcome.reason);
    EXPECT_TRUE(operator_->statuses.empty());
}

TEST_F(WzTransferTest, LinesWithoutGoodsSymbolStopTheTransferNamingTheirRegisterCodes) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 0, 1}});
    const Snapshot before = Tables();
    const std::string file =
        SalesRead({Line("00012", "", "2", "24.60"), Line("1", "CUKIER", "1", "1"),
                   Line("00015", "", "1", "5"), Line("00012", "", "1", "1")});
    const TransferOutcome outcome = tdmh_.WZ2Hndl(file);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Cp1250("Brak symbolu towaru dla kodów kasowych: 00012, 00015"), outcome.reason);
    EXPECT_EQ(before, Tables());
    EXPECT_TRUE(FileExists(file));
    EXPECT_THAT(LogEntries(), Contains(outcome.reason));
}

TEST_F(WzTransferTest, AZeroQuantityStopsTheTransferNamingTheLine) {
    const TransferOutcome outcome =
        Transfer({Line("1", "CUKIER", "1", "1.23"), Line("2", "MLEKO", "0", "5.00")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Cp1250("Zerowa ilość w wierszu 2: ") + Line("2", "MLEKO", "0", "5.00"),
              outcome.reason);
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
    EXPECT_TRUE(ReadTable(paths_.kama).empty());
}

struct RefusalCase {
    const char* name;
    int registerNo;
    std::size_t lines;
    const char* reason;
};

class WzRefusalTest : public WzTransferTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(WzRefusalTest, IsRefusedWithItsReasonBeforeAnyTableIsOpened) {
    App().registerNo = GetParam().registerNo;
    fixture::LockTable(paths_.maga);  // an opening would fail with another reason
    const TransferOutcome outcome =
        Transfer(std::vector<std::string>(GetParam().lines, Line("1", "CUKIER", "1", "1.23")));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Cp1250(GetParam().reason), outcome.reason);
    EXPECT_THAT(LogEntries(), Contains(outcome.reason));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, WzRefusalTest,
    ::testing::Values(
        RefusalCase{"MoreLinesThanLpHolds", 1, 32768,
                    "Odczyt sprzedaży ma 32768 wierszy, a dokument WZ mieści najwyżej 32767 "
                    "(numer wiersza Lp ma 16 bitów). Nic nie zapisano."},
        RefusalCase{"RegisterBeyondThePackageNumbers", 2100, 1,
                    "Kasa nr 2100 nie ma własnego numeru paczki w liczbie 32-bitowej (kasy mają "
                    "numery od 0 do 2046). Nic nie zapisano."},
        RefusalCase{"NegativeRegister", -1, 1,
                    "Kasa nr -1 nie ma własnego numeru paczki w liczbie 32-bitowej (kasy mają "
                    "numery od 0 do 2046). Nic nie zapisano."}),
    [](const auto& refusal) { return std::string(refusal.param.name); });

TEST_F(WzTransferTest, AMovementTableWhoseHeaderLagsIsRefusedNamingTheRepair) {
    fixture::AddMovements(paths_.maga, {{555, "01", "CUKIER", 4, 2}});
    std::string bytes = test::ReadBytes(paths_.maga);
    bytes[6] = 0;  // the header counts no rows: a write stopped before the header
    test::WriteBytes(paths_.maga, bytes);
    const TransferOutcome outcome = Transfer({Line("1", "CUKIER", "1", "1.23")});
    EXPECT_THAT(outcome.reason, HasSubstr(Cp1250("MAGA na sciezce ")));
    EXPECT_THAT(outcome.reason, HasSubstr(Cp1250("podaje 0 wierszy, a bloki zawierają 1")));
    EXPECT_THAT(outcome.reason, HasSubstr("rubso-repair-table \"" + paths_.maga + "\""));
    EXPECT_EQ(bytes, test::ReadBytes(paths_.maga));
}

TEST_F(WzTransferTest, ALockedTableWritesNothingAnywhere) {
    fixture::LockTable(paths_.maga);
    const TransferOutcome outcome = Transfer({Line("1", "CUKIER", "1", "1.23")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(
        Cp1250("Nieudana próba otwarcia ") + "MAGA na sciezce " + root_.Path() + "Rok2009/Dane05",
        outcome.reason);
    EXPECT_TRUE(ReadTable(paths_.kama).empty());
    EXPECT_FALSE(tdmh_.tblKama.IsOpen());
}

TEST_F(WzTransferTest, AKeyedRegisterTableWritesNothingAnywhere) {
    fixture::MakeKeyed(paths_.rejSprz);
    const TransferOutcome outcome = Transfer({Line("1", "CUKIER", "1", "1.23")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.reason, HasSubstr("REJSPRZ na sciezce"));
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
    EXPECT_TRUE(ReadTable(paths_.kama).empty());
}

// --- Repeating and failing half way --------------------------------------------------------------

TEST_F(WzTransferTest, ARepeatedTransferLeavesOnlyTheSecondRunAndCardsAsIfTheFirstNeverHappened) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 20, 10}, {"01", "CHLEB", 5, 1}});
    fixture::AddMovements(paths_.maga, {{555, "01", "CUKIER", 4, 2}});
    fixture::AddRegisterRow(paths_.rejSprz, 555, "WZ/555", 9);
    ASSERT_TRUE(Transfer({Line("1", "CUKIER", "2", "24.60"), Line("2", "MLEKO", "3", "32.40"),
                          Line("3", "CUKIER", "1", "12.30")})
                    .ok);
    ASSERT_TRUE(Transfer({Line("1", "CUKIER", "5", "61.50"), Line("4", "CHLEB", "2", "21.00")}).ok);

    const auto maga = ReadTable(paths_.maga);
    ASSERT_EQ(3u, maga.size());
    EXPECT_EQ(555, maga[0].Integer("Nr_paczki"));
    EXPECT_EQ("CUKIER", maga[1].Text("Asort"));
    EXPECT_EQ(5, maga[1].Number("Ilosc"));
    EXPECT_EQ(1, maga[1].Integer("Lp"));
    EXPECT_EQ("CHLEB", maga[2].Text("Asort"));
    EXPECT_EQ(2, maga[2].Integer("Lp"));

    std::map<std::string, double> issues;
    for (const TableRow& card : ReadTable(paths_.kama))
        issues[card.Text("Asort")] = card.Number("Rozchody");
    EXPECT_EQ(15, issues["CUKIER"]);
    EXPECT_EQ(3, issues["CHLEB"]);
    EXPECT_EQ(0, issues["MLEKO"]);  // made by the first run, its issues taken off again

    const auto reg = ReadTable(paths_.rejSprz);
    ASSERT_EQ(2u, reg.size());
    EXPECT_EQ(555, reg[0].Integer("Nr_paczki"));
    EXPECT_EQ(kPackage, reg[1].Integer("Nr_paczki"));
    EXPECT_NEAR(82.50, reg[1].Number("Wartosc"), 1e-9);
}

TEST_F(WzTransferTest, AWriteFailingHalfWayLeavesTheTablesExactlyAsBefore) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 20, 10}});
    fixture::AddMovements(paths_.maga, {{555, "01", "CUKIER", 4, 2}});
    fixture::AddRegisterRow(paths_.rejSprz, 555, "WZ/555", 9);
    const Snapshot before = Tables();
    // The third symbol is longer than Maga's Asort column: two lines are
    // written, two cards changed or made, then the third row is refused.
    const TransferOutcome outcome =
        Transfer({Line("1", "CUKIER", "2", "24.60"), Line("2", "MLEKO", "3", "32.40"),
                  Line("3", std::string(25, 'S'), "1", "1.00"), Line("4", "CUKIER", "1", "12.30")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.reason,
                HasSubstr(Cp1250("Nieudany eksport dokumentu ") + kDocument + ": "));
    EXPECT_EQ(before, Tables());
    EXPECT_FALSE(tdmh_.tblMaga.IsOpen());
}

TEST_F(WzTransferTest, ARegisterRowRefusedAtTheEndPutsTheEarlierDocumentBack) {
    ASSERT_TRUE(Transfer({Line("1", "CUKIER", "2", "24.60"), Line("2", "MLEKO", "3", "32.40")}).ok);
    // The register table is replaced by one whose Nr_pz cannot hold a
    // document number; it holds the earlier document's row.
    RecreateTable(paths_.rejSprz, fixture::WithField(fixture::RegisterFields(), "Nr_pz",
                                                     DesktopFieldKind::Alpha, 5));
    fixture::AddRegisterRow(paths_.rejSprz, static_cast<std::int32_t>(kPackage), kDocument, 57);
    const Snapshot before = Tables(true);

    const TransferOutcome outcome =
        Transfer({Line("1", "CUKIER", "5", "61.50"), Line("3", "CHLEB", "1", "10.50")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(before, Tables(true));
}

TEST_F(WzTransferTest, ARemovalThatFailsEndsTheTransferBeforeTheNewDocumentIsWritten) {
    RecreateTable(paths_.kama,
                  fixture::WithField(fixture::KamaFields(), "Rozchody", DesktopFieldKind::Short));
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 0, 3}});
    // The second row of the earlier package cannot be taken off a card that
    // keeps whole numbers.
    fixture::AddMovements(paths_.maga,
                          {{static_cast<std::int32_t>(kPackage), "01", "CUKIER", 1, 2},
                           {static_cast<std::int32_t>(kPackage), "01", "CUKIER", 0.5, 2}});
    const Snapshot before = Tables(true);
    const TransferOutcome outcome = Transfer({Line("1", "CUKIER", "1", "12.30")});
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.reason,
                HasSubstr(Cp1250("Nieudana próba usunięcia paczki 101090514 Kama")));
    EXPECT_EQ(before, Tables(true));
}

// --- The window's command ------------------------------------------------------------------------

struct ParameterCase {
    const char* warehouse;
    const char* direction;
    const char* type;
    const char* labels;
};

class MissingParametersTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(MissingParametersTest, EachBlankParameterAddsALineWithItsLabel) {
    TransferSettings settings;
    settings.warehouse = GetParam().warehouse;
    settings.salesDirection = GetParam().direction;
    EXPECT_EQ(Cp1250(GetParam().labels), MissingExportParameters(settings, GetParam().type));
}

INSTANTIATE_TEST_SUITE_P(
    Blanks, MissingParametersTest,
    ::testing::Values(ParameterCase{"01", "SD", "WZ", ""},
                      ParameterCase{" ", "SD", "WZ", "\r\nNr magazynu"},
                      ParameterCase{"01", "", "WZ", "\r\nKierunel sprzedaży"},
                      ParameterCase{"", "SD", " ", "\r\nNr magazynu\r\nTyp dok.sprz"},
                      ParameterCase{"", "", "",
                                    "\r\nNr magazynu\r\nKierunel sprzedaży\r\nTyp dok.sprz"}));

TEST_F(WzTransferTest, TheCommandRefusesBlankParametersInAMessageBoxAndTransfersNothing) {
    TransferSettings settings = DefaultSettings();
    settings.warehouse = "";
    App().mainSettings.typDokum = "";
    const TransferOutcome outcome =
        SendSalesRead(tdmh_, SalesRead({Line("1", "CUKIER", "1", "1.23")}), settings);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(
        (std::vector<std::string>{"Niestalone parametry eksportu \r\nNr magazynu\r\nTyp dok.sprz"}),
        operator_->MessageTexts());
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
}

TEST_F(WzTransferTest, TheCommandShowsTheDocumentNumberAfterASuccessAndTheReasonAfterAFailure) {
    ASSERT_TRUE(
        SendSalesRead(tdmh_, SalesRead({Line("1", "CUKIER", "1", "1.23")}), DefaultSettings()).ok);
    EXPECT_EQ((RecordingOperator::Status{Cp1250("Przesłany dok. WZ/101090514"), false}),
              operator_->statuses.back());

    const TransferOutcome failed = SendSalesRead(
        tdmh_, SalesRead({Line("1", "", "1", "1.23")}, "20090514_2.txt"), DefaultSettings());
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ((RecordingOperator::Status{failed.reason, true}), operator_->statuses.back());
}

TEST_F(WzTransferTest, TheCommandUsesTheSettingsItIsGiven) {
    TransferSettings settings = DefaultSettings();
    settings.warehouse = "M2";
    settings.salesRegister = 3;
    ASSERT_TRUE(SendSalesRead(tdmh_, SalesRead({Line("1", "CUKIER", "1", "1.23")}), settings).ok);
    EXPECT_EQ("M2", ReadTable(paths_.maga)[0].Text("Magazyn"));
    EXPECT_EQ(3, ReadTable(paths_.rejSprz)[0].Integer("Rej"));
    EXPECT_EQ("M2", ReadTable(paths_.kama)[0].Text("Magazyn"));
}

}  // namespace
}  // namespace rubso::test
