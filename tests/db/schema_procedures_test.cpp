// The stored procedures the system installs, run on the server against the
// trading program's side made by the fixture: the booking of a read as a WZ
// document, the free register code, and the sales comparisons.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "db/schema_upgrade.h"
#include "tests/db/schema_test_base.h"

namespace rubso {
namespace {

using fixture::Good;
using fixture::KodKasaKind;
using test::kTestYear;
using test::SchemaTestBase;

const std::string kYear = std::to_string(kTestYear);
const QDate kDay(kTestYear, 3, 16);

// One receipt line of PARAGONY; the defaults make a complete, valid goods
// line of read "R1" on kDay.
struct Line {
    std::string asort = "A1";
    double cena = 10.0;
    std::optional<double> upust{};
    double ilosc = 1.0;
    double wartosc = 10.0;
    int storno = 0;
    int komplet = 1;
    int opak = 0;
    std::string odczyt = "R1";
    QDate data = kDay;
    int kasa = 1;
    int numer = 1;
    QTime czas = QTime(10, 0);
    double kwota1 = 0.0;
    double kwota2 = 0.0;
};

struct Booking {
    int package = 0;
    int lines = 0;
};

class ProcedureTest : public SchemaTestBase {
  protected:
    void SetUp() override {
        CreateTradingSide(kodKasa_);
        ConnectAndCheck();
        ASSERT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
        attachment_.Attach(db_.Path(), db_.Server().user, db_.Server().password);
    }
    void TearDown() override { attachment_.Detach(); }

    void AddGoods(const std::vector<Good>& goods) {
        fixture::AddGoods(attachment_, kTestYear, kodKasa_, goods);
    }
    void AddLines(const std::vector<Line>& lines) {
        fb::Transaction transaction(attachment_);
        transaction.Start();
        fb::Statement insert(
            attachment_,
            "insert into PARAGONY (ODCZYT, DATASPRZ, DATA, NUMER, STORNO, ASORT, ILOSC, WARTOSC, "
            "CENA, UPUST, KASA, KOMPLET, OPAK, KWOTA1, KWOTA2) values (:odczyt, :datasprz, "
            ":data, :numer, :storno, :asort, :ilosc, :wartosc, :cena, :upust, :kasa, :komplet, "
            ":opak, :kwota1, :kwota2)");
        for (const Line& line : lines) {
            insert.SetString("odczyt", line.odczyt);
            insert.SetDateTime("datasprz", QDateTime(line.data, line.czas));
            insert.SetDate("data", line.data);
            insert.SetInt("numer", line.numer);
            insert.SetInt("storno", line.storno);
            insert.SetString("asort", line.asort);
            insert.SetDouble("ilosc", line.ilosc);
            insert.SetDouble("wartosc", line.wartosc);
            insert.SetDouble("cena", line.cena);
            if (line.upust) {
                insert.SetDouble("upust", *line.upust);
            } else {
                insert.SetNull("upust");
            }
            insert.SetInt("kasa", line.kasa);
            insert.SetInt("komplet", line.komplet);
            insert.SetInt("opak", line.opak);
            insert.SetDouble("kwota1", line.kwota1);
            insert.SetDouble("kwota2", line.kwota2);
            insert.Execute(transaction);
        }
        transaction.Commit();
    }
    Booking Book(const std::string& odczyt, int contractor = 7) {
        fb::Transaction transaction(attachment_);
        transaction.Start();
        fb::Statement call(attachment_, "execute procedure P_ZAPISZ_WZ_KASY" + kYear +
                                            " (:rokmc, :magazyn, :kierunek, :rej, :kod, "
                                            ":odczyt, :numfak, :data)");
        call.SetString("rokmc", kYear + ".03");
        call.SetString("magazyn", "1");
        call.SetString("kierunek", "SP");
        call.SetInt("rej", 4);
        call.SetInt("kod", contractor);
        call.SetString("odczyt", odczyt);
        call.SetString("numfak", "SP16.03");
        call.SetDate("data", kDay);
        fb::ResultSet row = call.Open(transaction);
        Booking booking{row.AsInt("NUMER_PACZKI"), row.AsInt("ILEPOZFA")};
        row.Close();
        transaction.Commit();
        return booking;
    }
    // One column of the MAGA row of a good, as text.
    std::string Maga(const std::string& asort, const std::string& column) const {
        return Scalar("select " + column + " from MAGA" + kYear + " where asort = '" + asort + "'");
    }
    std::string Rejestr(const std::string& column) const {
        return Scalar("select " + column + " from REJSPRZ");
    }

    KodKasaKind kodKasa_ = KodKasaKind::Integer;
    fb::Attachment attachment_;
};

// --- P_ZAPISZ_WZ_KASY -------------------------------------------------------------

TEST_F(ProcedureTest, ADiscountedGroupIsBookedAtTheDiscountedPrice) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb", .stawkaVat = 23, .kodVat = "23"}});
    AddLines({{.cena = 10.0, .upust = 15.0, .ilosc = 3, .wartosc = 25.50}});
    EXPECT_EQ(Book("R1").lines, 1);

    EXPECT_EQ(Maga("A1", "cena"), "10");
    EXPECT_EQ(Maga("A1", "procent_upustu"), "15");
    EXPECT_EQ(Maga("A1", "cena_upust"), "8.5");
    EXPECT_EQ(Maga("A1", "kwota_upustu"), "4.5");
    EXPECT_EQ(Maga("A1", "cena_brutto"), "8.5");
    EXPECT_EQ(Maga("A1", "cena_netto"), "6.91");  // 8.50 / 1.23
    EXPECT_EQ(Maga("A1", "wart_brutto"), "25.5");
    EXPECT_EQ(Maga("A1", "podatek"), "4.77");  // 25.50 - 25.50 / 1.23
    EXPECT_EQ(Maga("A1", "wartosc"), "20.73");
    EXPECT_EQ(Rejestr("kwota_upustu"), "4.5");
}

TEST_F(ProcedureTest, AGroupWithoutDiscountKeepsItsPrice) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb"}});
    AddLines({{.cena = 4.20, .ilosc = 2, .wartosc = 8.40}});
    Book("R1");
    EXPECT_EQ(Maga("A1", "procent_upustu"), "0");
    EXPECT_EQ(Maga("A1", "cena_upust"), "4.2");
    EXPECT_EQ(Maga("A1", "kwota_upustu"), "0");
}

TEST_F(ProcedureTest, TheRegisterRowSplitsTheGrossByVatRate) {
    AddGoods({{.asort = "A23", .nazwa = "Kawa", .stawkaVat = 23, .kodVat = "23"},
              {.asort = "A08", .nazwa = "Mleko", .stawkaVat = 8, .kodVat = "08"},
              {.asort = "AZW", .nazwa = "Usluga", .stawkaVat = 0, .kodVat = "ZW"},
              {.asort = "AK", .nazwa = "Butelka", .stawkaVat = 0, .kodVat = "ZW", .typAsort = 1}});
    AddLines({{.asort = "A23", .cena = 123.0, .ilosc = 1, .wartosc = 123.0},
              {.asort = "A08", .cena = 54.0, .ilosc = 2, .wartosc = 108.0},
              {.asort = "AZW", .cena = 50.0, .ilosc = 1, .wartosc = 50.0},
              {.asort = "AK", .cena = 0.5, .ilosc = 1, .wartosc = 0.5}});
    EXPECT_EQ(Book("R1").lines, 4);

    EXPECT_EQ(Rejestr("war_23"), "100");
    EXPECT_EQ(Rejestr("vat_23"), "23");
    EXPECT_EQ(Rejestr("war_08"), "100");
    EXPECT_EQ(Rejestr("vat_08"), "8");
    EXPECT_EQ(Rejestr("war_zw"), "50");
    EXPECT_EQ(Rejestr("war_22 + vat_22 + war_07 + war_05 + war_03 + war_00 + war_np"), "0");
    // The deposit item is kept apart from the sales.
    EXPECT_EQ(Rejestr("kaucja"), "0.5");
    EXPECT_EQ(Rejestr("wartosc"), "281");
    EXPECT_EQ(Rejestr("podatek"), "31");
    EXPECT_EQ(Rejestr("netto"), "250");
    EXPECT_EQ(Rejestr("lp_rej || ' ' || rej || ' ' || robr || ' ' || fano || ' ' || numfak"),
              "1 4 9 90 SP16.03");
}

TEST_F(ProcedureTest, OnlyCompleteValidGoodsLinesOfTheReadAndDayAreBooked) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb"}});
    AddLines({{.ilosc = 1, .wartosc = 10.0},
              {.ilosc = 2, .wartosc = 20.0, .storno = 1},
              {.ilosc = 4, .wartosc = 40.0, .komplet = 0},
              {.ilosc = 8, .wartosc = 80.0, .opak = 1},
              {.ilosc = 16, .wartosc = 160.0, .odczyt = "R2"},
              {.ilosc = 32, .wartosc = 320.0, .data = kDay.addDays(-1)}});
    EXPECT_EQ(Book("R1").lines, 1);
    EXPECT_EQ(Maga("A1", "ilosc"), "1");
    EXPECT_EQ(Rejestr("wartosc"), "10");
}

TEST_F(ProcedureTest, AReadWithoutCompleteLinesBooksNothing) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb"}});
    AddLines({{.komplet = 0}, {.storno = 1}});
    const Booking first = Book("R1");
    const Booking second = Book("R1");
    EXPECT_EQ(first.lines, 0);
    EXPECT_EQ(second.package, first.package + 1);  // a package number is drawn anyway
    EXPECT_EQ(Count("select count(*) from MAGA" + kYear), 0);
    EXPECT_EQ(Count("select count(*) from REJSPRZ"), 0);
}

TEST_F(ProcedureTest, TheWarehouseRowCarriesTheDocumentAndTheContractorsDefaults) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb", .jm = "kg", .grupa = "PIE"}});
    fixture::AddContractor(attachment_, 7, "Sprzedaz kasowa", std::nullopt, std::nullopt);
    AddLines({Line{}});
    const Booking booking = Book("R1");
    EXPECT_EQ(Maga("A1", "nr_paczki"), std::to_string(booking.package));
    EXPECT_EQ(Maga("A1", "jakplaci || ' ' || nrceny"), "1 1");
    EXPECT_EQ(Maga("A1", "rodz_dok || ' ' || fano || ' ' || robr || ' ' || lp || ' ' || kod"),
              "WZ 90 2 1 7");
    EXPECT_EQ(Maga("A1", "jm || ' ' || grupa_as || ' ' || magazyn || ' ' || kierunek"),
              "kg PIE 1 SP");
    EXPECT_EQ(Maga("A1", "operator"), "SYSDBA");
    EXPECT_EQ(Scalar("select rozchody from KAMA" + kYear + " where asort = 'A1'"), "1");
}

TEST_F(ProcedureTest, TheContractorsPaymentKindAndPriceNumberAreUsed) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb"}});
    fixture::AddContractor(attachment_, 8, "Hurt", 3, std::string("2"));
    AddLines({Line{}});
    Book("R1", 8);
    EXPECT_EQ(Maga("A1", "jakplaci || ' ' || nrceny"), "3 2");
}

TEST_F(ProcedureTest, EachDocumentGetsTheNextRegisterPosition) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb"}});
    AddLines({{.odczyt = "R1"}, {.odczyt = "R2"}});
    Book("R1");
    Book("R2");
    EXPECT_EQ(Scalar("select list(lp_rej) from (select lp_rej from REJSPRZ order by lp_rej)"),
              "1,2");
}

// --- The sales comparisons ---------------------------------------------------------

TEST_F(ProcedureTest, TheStatisticsGiveTotalsAndFirstAndLastReceiptPerRegister) {
    AddLines({{.wartosc = 10.0, .numer = 5, .czas = QTime(10, 0)},
              {.wartosc = 5.0, .numer = 5, .czas = QTime(10, 0)},
              {.wartosc = 7.0, .numer = 6, .czas = QTime(12, 0)},
              {.wartosc = 100.0, .storno = 1, .numer = 7, .czas = QTime(13, 0)},
              {.wartosc = 3.0, .kasa = 2, .numer = 1, .czas = QTime(9, 0)}});
    EXPECT_EQ(Names("select kasa || ' ' || brutto || ' ' || ilepar || ' ' || numer_p || ' ' || "
                    "numer_k || ' ' || extract(hour from poczatek) || '-' || extract(hour from "
                    "koniec) from P_VYR_STATYSTYKA('" +
                    kYear + "-03-16', '" + kYear + "-03-16')"),
              (std::set<std::string>{"1 22.00 2 5 6 10-12", "2 3.00 1 1 1 9-9"}));
}

TEST_F(ProcedureTest, TheReceiptCheckListsReceiptsWhoseLinesDoNotAddUp) {
    AddLines({{.wartosc = 10.0, .numer = 1, .kwota1 = 10.0},
              {.wartosc = 5.0, .numer = 2, .czas = QTime(11, 0), .kwota1 = 6.0, .kwota2 = 0.5}});
    const std::string call =
        "select numer || ' ' || sumapoz || ' ' || dozap || ' ' || r from "
        "P_VYR_POR_2('" +
        kYear + "-03-16', '" + kYear + "-03-16', ";
    EXPECT_EQ(Names(call + "1)"), std::set<std::string>{"2 5.00 5.50 -0.50"});
    EXPECT_EQ(Names(call + "0)").size(), 2u);
}

TEST_F(ProcedureTest, TheDailyComparisonMatchesReceiptsWithTheBookedSales) {
    AddGoods({{.asort = "A1", .nazwa = "Chleb"}});
    AddLines({{.ilosc = 2, .wartosc = 24.6}});
    const std::string day = "'" + kYear + "-03-16'";
    const std::string all = "select bruttop || ' ' || bruttom || ' ' || bruttor from P_VYR_POR" +
                            kYear + "(" + day + ", " + day + ")";
    const std::string one = "select bruttop || ' ' || bruttom || ' ' || bruttor from P_VYR_POR_1_" +
                            kYear + "('', '1', 'SP', 4, 7, " + day + ", " + day + ")";
    EXPECT_EQ(Names(all), std::set<std::string>{"24.60 0.00 24.60"});
    EXPECT_EQ(Names(one), std::set<std::string>{"24.60 0.00 24.60"});
    Book("R1");
    EXPECT_EQ(Names(all), std::set<std::string>{"24.60 24.60 0.00"});
    EXPECT_EQ(Names(one), std::set<std::string>{"24.60 24.60 0.00"});
}

TEST_F(ProcedureTest, DaysWithoutSalesAreLeftOut) {
    const std::string from = "'" + kYear + "-03-10'";
    const std::string to = "'" + kYear + "-03-20'";
    AddLines({Line{}});
    EXPECT_EQ(Names("select data from P_VYR_POR" + kYear + "(" + from + ", " + to + ")"),
              std::set<std::string>{"16.03." + kYear});
}

// --- P_WOLNYKOD ----------------------------------------------------------------------

struct FreeCodeCase {
    KodKasaKind kind;
    std::vector<int> taken;
    int expected;
};

void PrintTo(const FreeCodeCase& c, std::ostream* out) {
    *out << (c.kind == KodKasaKind::Integer ? "integer" : "text") << " codes taken:";
    for (int code : c.taken) *out << ' ' << code;
}

class FreeCodeTest : public ProcedureTest, public ::testing::WithParamInterface<FreeCodeCase> {
  protected:
    void SetUp() override {
        kodKasa_ = GetParam().kind;
        ProcedureTest::SetUp();
    }
};

TEST_P(FreeCodeTest, GivesTheLowestCodeNoGoodHoldsUpToTheMaximum) {
    std::vector<Good> goods;
    for (int code : GetParam().taken) {
        goods.push_back({.asort = "A" + std::to_string(code), .nazwa = "x", .kodKasa = code});
    }
    goods.push_back({.asort = "BEZ", .nazwa = "bez kodu"});
    AddGoods(goods);
    EXPECT_EQ(Scalar("execute procedure P_WOLNYKOD" + kYear + " 3"),
              std::to_string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Codes, FreeCodeTest,
                         ::testing::Values(FreeCodeCase{KodKasaKind::Integer, {1, 2}, 3},
                                           FreeCodeCase{KodKasaKind::Integer, {1, 2, 3}, -1},
                                           FreeCodeCase{KodKasaKind::Integer, {2, 5}, 1},
                                           FreeCodeCase{KodKasaKind::Integer, {}, 1},
                                           FreeCodeCase{KodKasaKind::Text, {1, 2}, 3},
                                           FreeCodeCase{KodKasaKind::Text, {1, 2, 3}, -1},
                                           FreeCodeCase{KodKasaKind::Text, {1, 3}, 2}));

}  // namespace
}  // namespace rubso
