// Tdmh on the trading program's tables: opening and closing by list, the
// document values and record defaults, appending rows and stock cards, and
// removing a package.

#include <filesystem>

#include <gmock/gmock.h>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "tests/trading/trading_tables_test_base.h"

namespace rubso::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

const QDateTime kZero(QDate(1899, 12, 30), QTime(0, 0));

class TdmhTablesTest : public TradingTablesTest {
  protected:
    std::string Month() const { return root_.Path() + "Rok2009/Dane05"; }
    bool AnyOpen() const {
        return tdmh_.tblKama.IsOpen() || tdmh_.tblMaga.IsOpen() || tdmh_.tblRejZaSp.IsOpen() ||
               tdmh_.tblAsor.IsOpen();
    }
};

// --- Directories and opening ---------------------------------------------------------------

TEST_F(TdmhTablesTest, TablesLieInTheYearAndMonthDirectoriesOfTheWorkingDate) {
    EXPECT_EQ(root_.Path() + "Rok2009/Dane05", tdmh_.MonthDirectory());
    EXPECT_EQ(root_.Path() + "Rok2009", tdmh_.YearDirectory());
}

TEST_F(TdmhTablesTest, APathWithoutTrailingSeparatorGetsOne) {
    App().mainSettings.asorPth = DropRight(root_.Path(), 1);
    EXPECT_EQ(root_.Path() + "Rok2009/Dane05", tdmh_.MonthDirectory());
}

TEST_F(TdmhTablesTest, TheTransferListOpensFourTablesAndTheGoodsFileReadOnly) {
    ASSERT_TRUE(tdmh_.OpenHandel("Kama,Maga,RejSprz,Asor"));
    EXPECT_EQ(paths_.kama, tdmh_.tblKama.FileName());
    EXPECT_EQ(paths_.maga, tdmh_.tblMaga.FileName());
    EXPECT_EQ(paths_.rejSprz, tdmh_.tblRejZaSp.FileName());
    EXPECT_EQ(paths_.asort, tdmh_.tblAsor.FileName());
    EXPECT_TRUE(tdmh_.tblAsor.IsReadOnly());
    EXPECT_FALSE(tdmh_.tblMaga.IsReadOnly());
    EXPECT_TRUE(tdmh_.CloseHandel("Kama,Maga,RejSprz,Asor"));
    EXPECT_FALSE(AnyOpen());
}

TEST_F(TdmhTablesTest, NamesMatchWithoutRegardToCaseAndUnknownNamesAreSkipped) {
    EXPECT_TRUE(tdmh_.OpenHandel("kama,Towary,,"));
    EXPECT_TRUE(tdmh_.tblKama.IsOpen());
    EXPECT_FALSE(tdmh_.tblMaga.IsOpen());
    EXPECT_TRUE(operator_->statuses.empty());
}

TEST_F(TdmhTablesTest, RejZakOpensThePurchaseRegisterAndRejSprzClosesIt) {
    ASSERT_TRUE(tdmh_.OpenHandel("RejZak"));
    EXPECT_EQ(paths_.rejZak, tdmh_.tblRejZaSp.FileName());
    EXPECT_TRUE(tdmh_.CloseHandel("RejZak"));  // not a closing name
    EXPECT_TRUE(tdmh_.tblRejZaSp.IsOpen());
    EXPECT_TRUE(tdmh_.CloseHandel("RejSprz"));
    EXPECT_FALSE(tdmh_.tblRejZaSp.IsOpen());
}

TEST_F(TdmhTablesTest, AWrongPathFailsOnTheFirstTableNamingTheMonthDirectory) {
    App().mainSettings.asorPth = root_.Path() + "Hndl/";
    EXPECT_FALSE(tdmh_.OpenHandel("Kama,Maga,RejSprz,Asor"));
    const std::string expected = Cp1250("Nieudana próba otwarcia ") + "KAMA na sciezce " +
                                 root_.Path() + "Hndl/Rok2009/Dane05";
    ASSERT_EQ(1u, operator_->statuses.size());
    EXPECT_EQ((RecordingOperator::Status{expected, true}), operator_->statuses[0]);
    EXPECT_EQ(expected, tdmh_.LastOpenFailure());
    EXPECT_FALSE(AnyOpen());
    EXPECT_THAT(LogEntries(), Contains(expected));
}

TEST_F(TdmhTablesTest, AFailureLaterInTheListClosesTheTablesOpenedBeforeIt) {
    std::filesystem::remove(paths_.rejSprz);
    EXPECT_FALSE(tdmh_.OpenHandel("Kama,Maga,RejSprz,Asor"));
    EXPECT_THAT(operator_->StatusText(), HasSubstr("REJSPRZ na sciezce " + Month()));
    EXPECT_FALSE(AnyOpen());
}

TEST_F(TdmhTablesTest, TheGoodsFileFailureNamesTheYearDirectory) {
    std::filesystem::remove(paths_.asort);
    EXPECT_FALSE(tdmh_.OpenHandel("Kama,Asor"));
    EXPECT_EQ(Cp1250("Nieudana próba otwarcia ") + "ASOR na sciezce " + root_.Path() + "Rok2009",
              operator_->StatusText());
    EXPECT_FALSE(AnyOpen());
}

// The trading program's engine keeps keyed tables with an index file, and
// lock files beside the tables it has open: writing then would break its
// index or its work, so the table is not opened at all.
TEST_F(TdmhTablesTest, AKeyedTableIsAnOpeningFailureAndStaysUntouched) {
    fixture::MakeKeyed(paths_.maga);
    const std::string before = ReadFileText(paths_.maga);
    EXPECT_FALSE(tdmh_.OpenHandel("Kama,Maga,RejSprz,Asor"));
    EXPECT_THAT(operator_->StatusText(), HasSubstr("MAGA na sciezce"));
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(before, ReadFileText(paths_.maga));
    EXPECT_FALSE(AnyOpen());
}

TEST_F(TdmhTablesTest, ATableInUseByTheTradingProgramIsAnOpeningFailure) {
    fixture::LockTable(paths_.kama);
    EXPECT_FALSE(tdmh_.OpenHandel("Kama,Maga"));
    EXPECT_THAT(operator_->StatusText(), HasSubstr("KAMA na sciezce"));
    const auto log = LogEntries();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& e) {
        return e.find("Kama.LCK") != e.npos;
    })) << ::testing::PrintToString(log);
}

// --- Document values and records -----------------------------------------------------------

TEST_F(TdmhTablesTest, AWzDocumentTakesItsValuesAndTheSettings) {
    tdmh_.InitDok("WZ");
    const DocumentParameters& d = tdmh_.Document();
    EXPECT_EQ(0, d.typZ);
    EXPECT_EQ(1, d.typS);
    EXPECT_EQ(2, d.robrMovement);
    EXPECT_EQ(9, d.robrRegister);
    EXPECT_EQ(7, d.rej);
    EXPECT_EQ(1, d.fvMovement);
    EXPECT_EQ(9, d.rfMovement);
    EXPECT_EQ(1, d.fvRegister);
    EXPECT_EQ(9, d.rfRegister);
    EXPECT_EQ(90, d.fano);
    EXPECT_EQ("WZ", d.documentType);
    EXPECT_EQ("SD", d.kierunek);
}

TEST_F(TdmhTablesTest, AnotherDocumentTypeKeepsItsTextZerosTheNumbersAndKeepsTheDirection) {
    tdmh_.InitDok("WZ");
    tdmh_.InitDok("wz");
    const DocumentParameters& d = tdmh_.Document();
    EXPECT_EQ("wz", d.documentType);
    EXPECT_EQ(0, d.typS);
    EXPECT_EQ(0, d.robrMovement);
    EXPECT_EQ(0, d.rej);
    EXPECT_EQ(0, d.fano);
    EXPECT_EQ("SD", d.kierunek);
}

TEST_F(TdmhTablesTest, RecordDefaultsComeFromTheDocumentAndTheSettings) {
    tdmh_.InitDok("WZ");
    TRekMaga maga;
    maga.Asort = "left over";
    tdmh_.InitMaga(maga);
    EXPECT_EQ("", maga.Asort);
    EXPECT_EQ(1, maga.TypS);
    EXPECT_EQ(1, maga.TypM);
    EXPECT_EQ(1234, maga.Kod);
    EXPECT_EQ("kg", maga.Jm);
    EXPECT_EQ("01", maga.Magazyn);
    EXPECT_EQ("SD", maga.Kierunek);
    EXPECT_EQ(90, maga.Fano);
    EXPECT_EQ(7, maga.Rej);
    EXPECT_EQ(2, maga.Robr);
    EXPECT_EQ(1, maga.FV);
    EXPECT_EQ(9, maga.RF);
    EXPECT_EQ(kZero, maga.Data_faktury);

    TRekKama kama;
    tdmh_.InitKama(kama);
    EXPECT_EQ(1, kama.Typm);
    EXPECT_EQ("01", kama.Magazyn);
    EXPECT_EQ("kg", kama.JM);
    EXPECT_EQ(kZero, kama.Data);

    TRekRejZaSp rej;
    tdmh_.InitRejZaSp(rej);
    EXPECT_EQ(7, rej.Rej);
    EXPECT_EQ(1234, rej.Kod);
    EXPECT_EQ(9, rej.Robr);
    EXPECT_EQ(1, rej.Fv);
    EXPECT_EQ(90, rej.Fano);
    EXPECT_EQ(9, rej.Rf);
    EXPECT_EQ("01", rej.Magazyn);
    EXPECT_EQ(kZero, rej.Data_pop);
}

// --- Appending -------------------------------------------------------------------------------

TEST_F(TdmhTablesTest, DatesLeftAtTheirDefaultAreStoredAsTheZeroDateNotBlank) {
    ASSERT_TRUE(tdmh_.OpenHandel("Maga,RejSprz"));
    tdmh_.InitDok("WZ");
    TRekMaga maga;
    tdmh_.InitMaga(maga);
    tdmh_.AddMaga(maga);
    TRekRejZaSp rej;
    tdmh_.InitRejZaSp(rej);
    tdmh_.AddRejZaSp(rej);
    ASSERT_TRUE(tdmh_.CloseHandel("Maga,RejSprz"));

    const auto movements = ReadTable(paths_.maga);
    ASSERT_EQ(1u, movements.size());
    EXPECT_EQ(kZero, movements[0].Moment("Data_Part"));
    EXPECT_EQ(kZero, movements[0].Moment("Data_waznosci"));
    EXPECT_EQ(kZero, movements[0].Moment("Data_wpisu"));
    EXPECT_EQ("WZ", movements[0].Text("Rodz_dok"));
    const auto register_ = ReadTable(paths_.rejSprz);
    ASSERT_EQ(1u, register_.size());
    EXPECT_EQ(kZero, register_[0].Moment("Term_zapl"));
    EXPECT_EQ(kZero, register_[0].Moment("Data_wpisu"));
}

TEST_F(TdmhTablesTest, EachAppendedRowIsHandedToTheSystemAtOnce) {
    ASSERT_TRUE(tdmh_.OpenHandel("Maga"));
    tdmh_.InitDok("WZ");
    TRekMaga maga;
    tdmh_.InitMaga(maga);
    maga.Asort = "CUKIER";
    tdmh_.AddMaga(maga);
    // Read by another reader while the table is still open.
    const auto rows = ReadTable(paths_.maga);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("CUKIER", rows[0].Text("Asort"));
    EXPECT_TRUE(tdmh_.CloseHandel("Maga"));
}

TEST_F(TdmhTablesTest, AnExistingCardOnlyGetsItsIncomesAndIssuesRaised) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 10, 4, 3.5, "PZ/1",
                                          QDateTime(QDate(2009, 5, 2), QTime(0, 0))}});
    ASSERT_TRUE(tdmh_.OpenHandel("Kama"));
    TRekKama card;
    tdmh_.InitKama(card);
    card.Asort = "CUKIER";
    card.Cena = 99;
    card.PARTIA = "WZ/1";
    card.Data = QDateTime(QDate(2009, 5, 14), QTime(0, 0));
    card.Rozchody = 2.5;
    card.Przychody = 1;
    tdmh_.AddKama(card);
    ASSERT_TRUE(tdmh_.CloseHandel("Kama"));

    const auto cards = ReadTable(paths_.kama);
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ(6.5, cards[0].Number("Rozchody"));
    EXPECT_EQ(11, cards[0].Number("Przychody"));
    EXPECT_EQ(3.5, cards[0].Number("Cena"));
    EXPECT_EQ("PZ/1", cards[0].Text("PARTIA"));
    EXPECT_EQ(QDate(2009, 5, 2), cards[0].Moment("Data").date());
}

TEST_F(TdmhTablesTest, ACardOfAnotherWarehouseIsANewCardWithAllItsFields) {
    fixture::AddStockCards(paths_.kama, {{"02", "CUKIER", 10, 4}});
    ASSERT_TRUE(tdmh_.OpenHandel("Kama"));
    TRekKama card;
    tdmh_.InitKama(card);
    card.Asort = "CUKIER";
    card.Grupa_As = "SPO";
    card.Cena = 10;
    card.PARTIA = "WZ/101090514";
    card.Data = QDateTime(QDate(2009, 5, 14), QTime(0, 0));
    card.Rozchody = 2;
    tdmh_.AddKama(card);
    ASSERT_TRUE(tdmh_.CloseHandel("Kama"));

    const auto cards = ReadTable(paths_.kama);
    ASSERT_EQ(2u, cards.size());
    EXPECT_EQ(4, cards[0].Number("Rozchody"));
    const TableRow& added = cards[1];
    EXPECT_EQ(1, added.Integer("Typm"));
    EXPECT_EQ("01", added.Text("Magazyn"));
    EXPECT_EQ("SPO", added.Text("Grupa_As"));
    EXPECT_EQ("kg", added.Text("JM"));
    EXPECT_EQ(10, added.Number("Cena"));
    EXPECT_EQ(2, added.Number("Rozchody"));
    EXPECT_EQ(0, added.Number("Przychody"));
    EXPECT_EQ("WZ/101090514", added.Text("PARTIA"));
    EXPECT_EQ(QDate(2009, 5, 14), added.Moment("Data").date());
    EXPECT_EQ(kZero, added.Moment("Data_inw"));
}

TEST_F(TdmhTablesTest, AValueTooLongForItsColumnRaisesAndWritesNoRow) {
    ASSERT_TRUE(tdmh_.OpenHandel("Maga"));
    tdmh_.InitDok("WZ");
    TRekMaga maga;
    tdmh_.InitMaga(maga);
    maga.Asort = std::string(21, 'X');
    EXPECT_THROW(tdmh_.AddMaga(maga), DesktopTableError);
    ASSERT_TRUE(tdmh_.CloseHandel("Maga"));
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
}

// --- Removing a package --------------------------------------------------------------------

TEST_F(TdmhTablesTest, RemovingAPackageTakesItsIssuesOffTheCardAndDeletesItsRows) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 0, 10}, {"01", "MLEKO", 0, 5}});
    fixture::AddMovements(paths_.maga, {{500, "01", "CUKIER", 1, 2},
                                        {600, "01", "MLEKO", 4, 2},
                                        {500, "01", "CUKIER", 2, 2},
                                        {500, "01", "CUKIER", 3, 2}});
    ASSERT_TRUE(tdmh_.OpenHandel("Kama,Maga"));
    tdmh_.UsunPaczkeZMaga(500);
    ASSERT_TRUE(tdmh_.CloseHandel("Kama,Maga"));

    const auto cards = ReadTable(paths_.kama);
    EXPECT_EQ(4, cards[0].Number("Rozchody"));
    EXPECT_EQ(5, cards[1].Number("Rozchody"));
    const auto movements = ReadTable(paths_.maga);
    ASSERT_EQ(1u, movements.size());
    EXPECT_EQ(600, movements[0].Integer("Nr_paczki"));
}

TEST_F(TdmhTablesTest, RemovingAReceiptTakesItOffTheIncomes) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 10, 3}});
    fixture::AddMovements(paths_.maga, {{500, "01", "CUKIER", 4, 1}});
    ASSERT_TRUE(tdmh_.OpenHandel("Kama,Maga"));
    tdmh_.UsunPaczkeZMaga(500);
    ASSERT_TRUE(tdmh_.CloseHandel("Kama,Maga"));
    const auto cards = ReadTable(paths_.kama);
    EXPECT_EQ(6, cards[0].Number("Przychody"));
    EXPECT_EQ(3, cards[0].Number("Rozchody"));
}

TEST_F(TdmhTablesTest, ARowWhoseCardIsMissingIsRemovedAllTheSame) {
    fixture::AddMovements(paths_.maga, {{500, "01", "NIEMA", 1, 2}});
    ASSERT_TRUE(tdmh_.OpenHandel("Kama,Maga"));
    tdmh_.UsunPaczkeZMaga(500);
    ASSERT_TRUE(tdmh_.CloseHandel("Kama,Maga"));
    EXPECT_TRUE(ReadTable(paths_.maga).empty());
    EXPECT_TRUE(ReadTable(paths_.kama).empty());
}

TEST_F(TdmhTablesTest, RemovingAPackageWithoutRowsChangesNothing) {
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 0, 10}});
    fixture::AddMovements(paths_.maga, {{600, "01", "CUKIER", 1, 2}});
    const auto movements = ReadTable(paths_.maga);
    const auto cards = ReadTable(paths_.kama);
    ASSERT_TRUE(tdmh_.OpenHandel("Kama,Maga"));
    tdmh_.UsunPaczkeZMaga(500);
    ASSERT_TRUE(tdmh_.CloseHandel("Kama,Maga"));
    EXPECT_EQ(movements, ReadTable(paths_.maga));
    EXPECT_EQ(cards, ReadTable(paths_.kama));
}

TEST_F(TdmhTablesTest, RemovingFromTheRegisterDeletesEveryRowOfThePackageOnly) {
    fixture::AddRegisterRow(paths_.rejSprz, 500, "WZ/500", 1);
    fixture::AddRegisterRow(paths_.rejSprz, 600, "WZ/600", 2);
    fixture::AddRegisterRow(paths_.rejSprz, 500, "WZ/500", 3);
    ASSERT_TRUE(tdmh_.OpenHandel("RejSprz"));
    tdmh_.UsunPaczkeZRej(500, tdmh_.tblRejZaSp);
    ASSERT_TRUE(tdmh_.CloseHandel("RejSprz"));
    const auto rows = ReadTable(paths_.rejSprz);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(600, rows[0].Integer("Nr_paczki"));
}

TEST_F(TdmhTablesTest, AFailedRemovalIsLoggedNamingThePackageAndTheTableAndReported) {
    // A trading program that keeps issues as whole numbers cannot take 1.5 off.
    RecreateTable(paths_.kama,
                  fixture::WithField(fixture::KamaFields(), "Rozchody", DesktopFieldKind::Short));
    fixture::AddStockCards(paths_.kama, {{"01", "CUKIER", 0, 3}});
    fixture::AddMovements(paths_.maga, {{500, "01", "CUKIER", 1.5, 2}});
    ASSERT_TRUE(tdmh_.OpenHandel("Kama,Maga"));
    std::string raised;
    try {
        tdmh_.UsunPaczkeZMaga(500);
    } catch (const DesktopTableError& error) {
        raised = error.what();
    }
    ASSERT_TRUE(tdmh_.CloseHandel("Kama,Maga"));
    EXPECT_THAT(LogEntries(), Contains(Cp1250("Nieudana próba usunięcia paczki 500 Kama")));
    EXPECT_THAT(raised, HasSubstr(Cp1250("Nieudana próba usunięcia paczki 500 Kama: ")));
    EXPECT_EQ(1u, ReadTable(paths_.maga).size());
}

}  // namespace
}  // namespace rubso::test
