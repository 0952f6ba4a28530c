#include "app/ui/goods_list_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "core/polish_letters.h"

namespace rubso {
namespace {

// UTF-8 literal -> bytes as the trading program stores them in Mazovia.
std::string Mazovia(const std::string& utf8) {
    return ConvertPolishLetters(Cp1250(utf8), kRowWindows1250, kRowMazovia);
}

GoodsListRow Good(std::string asort, std::string nazwa, std::optional<double> cena = 1.0,
                  std::string grupa = "", std::optional<std::int64_t> kod = std::nullopt) {
    GoodsListRow row;
    row.asort = std::move(asort);
    row.nazwa = std::move(nazwa);
    row.cena = cena;
    row.stawkaVat = 23.0;
    row.kodKasa = kod;
    row.grupa = std::move(grupa);
    return row;
}

std::vector<std::string> ShownColumn(const GoodsListModel& model, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.push_back(model.index(row, column).data().toString().toStdString());
    }
    return texts;
}

class GoodsListModelTest : public ::testing::Test {
  protected:
    void Load(std::vector<GoodsListRow> rows, int letterStandardIndex = 0) {
        model_.SetRows(std::move(rows), letterStandardIndex);
    }
    GoodsListModel model_;
    QAbstractItemModelTester tester_{&model_,
                                     QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// --- What the grid shows ------------------------------------------------------

TEST_F(GoodsListModelTest, ColumnsAreTickSymbolNamePriceVatRegisterCodeAndRegisterName) {
    std::vector<std::string> headers;
    for (int c = 0; c < model_.columnCount(); ++c) {
        headers.push_back(model_.headerData(c, Qt::Horizontal).toString().toStdString());
    }
    EXPECT_EQ(
        (std::vector<std::string>{"", "ASORT", "NAZWA", "Cena", "VAT", "PLU", "Nazwa w kasie"}),
        headers);
}

TEST_F(GoodsListModelTest, PricesHaveTwoDecimalsAndMissingValuesShowBlank) {
    GoodsListRow a = Good("A", "Chleb", 3.5, "", 12);
    a.stawkaVat = 5.0;
    GoodsListRow b = Good("B", "Woda", std::nullopt);
    b.stawkaVat = std::nullopt;
    Load({a, b});
    EXPECT_EQ((std::vector<std::string>{"3.50", ""}),
              ShownColumn(model_, GoodsListModel::kCenaColumn));
    EXPECT_EQ((std::vector<std::string>{"5", ""}), ShownColumn(model_, GoodsListModel::kVatColumn));
    EXPECT_EQ((std::vector<std::string>{"12", ""}),
              ShownColumn(model_, GoodsListModel::kPluColumn));
}

// What the register will show: control bytes blank, 19 characters, code page
// 852 decoded back, so a letter the register cannot show is seen as it will be.
TEST_F(GoodsListModelTest, RegisterNameColumnShowsTheNameAsTheRegisterWillShowIt) {
    Load({Good("M1", Mazovia("Mąka żytnia ŁĘCZYCKA typ 720"))}, kRowMazovia);
    EXPECT_EQ("Mąka żytnia ŁĘCZYCK",
              ShownColumn(model_, GoodsListModel::kRegisterNameColumn).front());
    Load({Good("W1", Cp1250("Woda\tźródlana"))}, 0);  // Windows-1250 sent unconverted
    EXPECT_EQ("Woda črˇdlana", ShownColumn(model_, GoodsListModel::kRegisterNameColumn).front());
}

TEST_F(GoodsListModelTest, NamesStoredInMazoviaAreShownWithPolishLettersAndKeptAsStored) {
    const std::string stored = Mazovia("Mąka żytnia ŁĘCZYCKA");
    Load({Good("M1", stored)}, kRowMazovia);
    EXPECT_EQ("Mąka żytnia ŁĘCZYCKA",
              model_.index(0, GoodsListModel::kNazwaColumn).data().toString().toStdString());
    EXPECT_EQ(stored, model_.Good(0).nazwa);
}

TEST_F(GoodsListModelTest, NamesAreShownAsStoredWithoutALetterStandard) {
    Load({Good("M1", Cp1250("Mąka"))}, 0);
    EXPECT_EQ("Mąka",
              model_.index(0, GoodsListModel::kNazwaColumn).data().toString().toStdString());
}

// --- Order ----------------------------------------------------------------------

TEST_F(GoodsListModelTest, ListIsSortedBySymbolAfterLoading) {
    Load({Good("C", "a"), Good("A", "c"), Good("B", "b")});
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}),
              ShownColumn(model_, GoodsListModel::kAsortColumn));
}

TEST_F(GoodsListModelTest, SortByNameUsesTheNamesAsShown) {
    // In Mazovia "Ą" is 0x8f, below "B"; as shown (Windows-1250, 0xa5) it is above.
    Load({Good("1", Mazovia("Ąb")), Good("2", "Ba")}, kRowMazovia);
    model_.sort(GoodsListModel::kNazwaColumn);
    EXPECT_EQ((std::vector<std::string>{"2", "1"}),
              ShownColumn(model_, GoodsListModel::kAsortColumn));
}

TEST_F(GoodsListModelTest, NumbersSortAsNumbersWithMissingValuesFirst) {
    Load({Good("A", "x", 10.0), Good("B", "y", 9.5), Good("C", "z", std::nullopt)});
    model_.sort(GoodsListModel::kCenaColumn);
    EXPECT_EQ((std::vector<std::string>{"C", "B", "A"}),
              ShownColumn(model_, GoodsListModel::kAsortColumn));
    model_.sort(GoodsListModel::kCenaColumn, Qt::DescendingOrder);
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}),
              ShownColumn(model_, GoodsListModel::kAsortColumn));
}

TEST_F(GoodsListModelTest, ReloadKeepsTheSortColumn) {
    Load({Good("A", "b"), Good("B", "a")});
    model_.sort(GoodsListModel::kNazwaColumn);
    Load({Good("X", "z"), Good("Y", "y")});
    EXPECT_EQ((std::vector<std::string>{"Y", "X"}),
              ShownColumn(model_, GoodsListModel::kAsortColumn));
}

TEST_F(GoodsListModelTest, PersistentIndexFollowsItsGoodAcrossASort) {
    Load({Good("A", "c"), Good("B", "a"), Good("C", "b")});
    const QPersistentModelIndex kept(model_.index(0, GoodsListModel::kNazwaColumn));  // good A
    model_.sort(GoodsListModel::kNazwaColumn);
    EXPECT_EQ(2, kept.row());
    EXPECT_EQ("c", kept.data().toString().toStdString());
}

// --- Marks ----------------------------------------------------------------------

TEST_F(GoodsListModelTest, MarksFollowTheirGoodsAcrossAReSortAndComeOutInDisplayOrder) {
    Load({Good("A", "c"), Good("B", "a"), Good("C", "b")});
    model_.SetMarked(0, true);                  // A
    model_.SetMarked(2, true);                  // C
    model_.sort(GoodsListModel::kNazwaColumn);  // B, C, A
    EXPECT_EQ((std::vector<std::string>{"C", "A"}), model_.MarkedSymbols());
    EXPECT_FALSE(model_.IsMarked(0));
    EXPECT_TRUE(model_.IsMarked(1));
    EXPECT_TRUE(model_.IsMarked(2));
}

TEST_F(GoodsListModelTest, LoadingANewListDropsTheMarks) {
    Load({Good("A", "a"), Good("B", "b")});
    model_.MarkAll();
    Load({Good("A", "a"), Good("B", "b")});
    EXPECT_EQ(0, model_.MarkedCount());
    EXPECT_TRUE(model_.MarkedSymbols().empty());
}

TEST_F(GoodsListModelTest, MarkAllClearAndInvert) {
    Load({Good("A", "a"), Good("B", "b"), Good("C", "c")});
    model_.SetMarked(1, true);
    model_.InvertMarks();
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), model_.MarkedSymbols());
    EXPECT_EQ(2, model_.MarkedCount());
    model_.MarkAll();
    EXPECT_EQ(3, model_.MarkedCount());
    model_.ClearMarks();
    EXPECT_EQ(0, model_.MarkedCount());
    EXPECT_TRUE(model_.MarkedSymbols().empty());
}

TEST_F(GoodsListModelTest, TickColumnMarksThroughCheckStateRole) {
    Load({Good("A", "a")});
    const QModelIndex tick = model_.index(0, GoodsListModel::kTickColumn);
    EXPECT_TRUE(model_.flags(tick).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_TRUE(model_.setData(tick, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(Qt::Checked, tick.data(Qt::CheckStateRole).value<Qt::CheckState>());
    EXPECT_EQ(1, model_.MarkedCount());
    EXPECT_FALSE(model_.setData(model_.index(0, GoodsListModel::kAsortColumn), Qt::Checked,
                                Qt::CheckStateRole));
}

TEST_F(GoodsListModelTest, SettingAMarkTwiceCountsOnce) {
    Load({Good("A", "a")});
    model_.SetMarked(0, true);
    model_.SetMarked(0, true);
    EXPECT_EQ(1, model_.MarkedCount());
}

TEST_F(GoodsListModelTest, TickingAGroupMarksOnlyItsGoodsAndUntickingUnmarksThem) {
    Load({Good("A", "a", 1.0, "01"), Good("B", "b", 1.0, "02"), Good("C", "c", 1.0, "01")});
    model_.SetMarked(1, true);
    EXPECT_EQ(2, model_.MarkGroup("01", true));
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), model_.MarkedSymbols());
    EXPECT_EQ(2, model_.MarkGroup("01", false));
    EXPECT_EQ((std::vector<std::string>{"B"}), model_.MarkedSymbols());
    EXPECT_EQ(0, model_.MarkGroup("0", true));  // codes match whole, not by prefix
}

TEST_F(GoodsListModelTest, MarkSymbolsSkipsGoodsNoLongerInTheList) {
    Load({Good("A", "a"), Good("B", "b")});
    model_.MarkSymbols({"B", "GONE"});
    EXPECT_EQ((std::vector<std::string>{"B"}), model_.MarkedSymbols());
}

// --- Search ---------------------------------------------------------------------

TEST_F(GoodsListModelTest, SymbolPrefixSearchIgnoresCaseAndFindsTheFirstInDisplayOrder) {
    Load({Good("MLEKO2", "b"), Good("MLEKO1", "a"), Good("CHLEB", "c")});
    EXPECT_EQ(1, model_.FindAsortPrefix("mleko"));  // MLEKO1 is shown before MLEKO2
    EXPECT_EQ(-1, model_.FindAsortPrefix("x"));
    EXPECT_EQ(0, model_.FindAsortPrefix(""));
}

TEST_F(GoodsListModelTest, NamePrefixSearchMatchesPolishLettersInEitherCase) {
    Load({Good("1", Mazovia("CHLEB")), Good("2", Mazovia("ŻUBRÓWKA"))}, kRowMazovia);
    EXPECT_EQ(1, model_.FindNamePrefix(Cp1250("żubr")));
    EXPECT_EQ(-1, model_.FindNamePrefix(Cp1250("zubr")));
}

TEST_F(GoodsListModelTest, ExactSymbolSearchWantsTheWholeSymbol) {
    Load({Good("AB", "a"), Good("ABC", "b")});
    EXPECT_EQ(1, model_.FindAsort("ABC"));
    EXPECT_EQ(-1, model_.FindAsort("abc"));
}

TEST_F(GoodsListModelTest, RegisterCodeSearchSkipsGoodsWithoutACode) {
    Load({Good("A", "a", 1.0, "", std::nullopt), Good("B", "b", 1.0, "", 0),
          Good("C", "c", 1.0, "", 7)});
    EXPECT_EQ(2, model_.FindRegisterCode(7));
    EXPECT_EQ(1, model_.FindRegisterCode(0));
    EXPECT_EQ(-1, model_.FindRegisterCode(8));
}

TEST_F(GoodsListModelTest, EmptyListHasNoRowsAndNothingToFind) {
    Load({});
    EXPECT_EQ(0, model_.rowCount());
    EXPECT_EQ(-1, model_.FindAsortPrefix("A"));
    model_.MarkAll();
    model_.sort(GoodsListModel::kNazwaColumn);
    EXPECT_EQ(0, model_.MarkedCount());
}

}  // namespace
}  // namespace rubso
