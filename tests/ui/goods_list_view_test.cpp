#include "app/ui/goods_list_view.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include "core/codepage.h"
#include "core/polish_letters.h"
#include "tests/support/recording_operator.h"
#include "tests/ui/fake_goods_source.h"

namespace rubso {
namespace {

using test::FakeGoodsSource;

std::string Shown(const GoodsListView& view, int row, int column) {
    return view.Grid()->model()->index(row, column).data().toString().toStdString();
}

class GoodsListViewTest : public ::testing::Test {
  protected:
    GoodsListViewTest() {
        source_.goods = {FakeGoodsSource::Good("MLEKO", "Mleko 2%", "01", 5),
                         FakeGoodsSource::Good("CHLEB", "Chleb zwykły", "02"),
                         FakeGoodsSource::Good("MASLO", "Masło", "01", 0),
                         FakeGoodsSource::Good("BULKA", "Bułka", "02", 7)};
        for (GoodsListRow& row : source_.goods) row.nazwa = Cp1250(row.nazwa);
        source_.groups = {{"01", Cp1250("Nabiał")}, {"02", "Pieczywo"}};
        source_.dates = {QDate(2024, 3, 14), QDate(2024, 3, 1)};
        view_.resize(900, 600);
        view_.show();
        view_.activateWindow();
        (void)QTest::qWaitForWindowActive(&view_);
    }

    std::vector<std::string> Messages() { return operator_->MessageTexts(); }

    FakeGoodsSource source_;
    GoodsListView view_{source_};
    test::ScopedRecordingOperator operator_;
};

// --- Loading and the list choice -------------------------------------------------

TEST_F(GoodsListViewTest, LoadingShowsTheCountAndSortsBySymbol) {
    view_.LoadGoodsList();
    EXPECT_EQ("Ilość pozycji: 4", view_.CountLabel()->text().toStdString());
    EXPECT_EQ("BULKA", Shown(view_, 0, GoodsListModel::kAsortColumn));
    EXPECT_EQ(0, view_.CurrentRow());
}

TEST_F(GoodsListViewTest, AnEmptyListCountsZero) {
    source_.goods.clear();
    view_.LoadGoodsList();
    EXPECT_EQ("Ilość pozycji: 0", view_.CountLabel()->text().toStdString());
}

TEST_F(GoodsListViewTest, ChoicesLoadTheWholeListExceptNotSentAndByDate) {
    view_.ListChoiceButton(GoodsListView::kAll)->click();
    ASSERT_EQ(1u, source_.goodsRequests.size());
    EXPECT_FALSE(source_.goodsRequests.back().withoutRegisterCode);
    EXPECT_FALSE(source_.goodsRequests.back().priceChangedOn.has_value());

    view_.ListChoiceButton(GoodsListView::kNotSent)->click();
    EXPECT_TRUE(source_.goodsRequests.back().withoutRegisterCode);
    EXPECT_EQ("Ilość pozycji: 2", view_.CountLabel()->text().toStdString());  // CHLEB, MASLO
}

TEST_F(GoodsListViewTest, ByPriceDateShowsTheDatesAndLoadsTheNewestHidingTheGroups) {
    view_.ListChoiceButton(GoodsListView::kByPriceDate)->click();
    EXPECT_TRUE(view_.DatesBox()->isVisible());
    EXPECT_FALSE(view_.GroupList()->isVisible());
    EXPECT_EQ("14.03.2024", view_.DateButton(0)->text().toStdString());
    EXPECT_EQ("01.03.2024", view_.DateButton(1)->text().toStdString());
    EXPECT_FALSE(view_.DateButton(2)->isVisible());
    EXPECT_TRUE(view_.DateButton(0)->isChecked());
    ASSERT_EQ(1u, source_.goodsRequests.size());
    EXPECT_EQ(QDate(2024, 3, 14), source_.goodsRequests.back().priceChangedOn);

    view_.DateButton(1)->click();
    EXPECT_EQ(QDate(2024, 3, 1), source_.goodsRequests.back().priceChangedOn);

    view_.ListChoiceButton(GoodsListView::kActive)->click();
    EXPECT_FALSE(view_.DatesBox()->isVisible());
    EXPECT_TRUE(view_.GroupList()->isVisible());
    EXPECT_FALSE(source_.goodsRequests.back().priceChangedOn.has_value());
}

TEST_F(GoodsListViewTest, NoPriceChangeDateLeavesTheBoxEmptyAndTheListEmpty) {
    view_.LoadGoodsList();
    source_.dates.clear();
    view_.ListChoiceButton(GoodsListView::kByPriceDate)->click();
    EXPECT_TRUE(view_.DatesBox()->isVisible());
    EXPECT_FALSE(view_.DateButton(0)->isVisible());
    EXPECT_EQ(1u, source_.goodsRequests.size());  // nothing asked for the empty choice
    EXPECT_EQ(0, view_.Model().rowCount());
}

TEST_F(GoodsListViewTest, SettingTheChoiceAlreadyChosenRunsNothing) {
    view_.SetListChoice(GoodsListView::kDefaultListChoice);
    EXPECT_TRUE(source_.goodsRequests.empty());
    view_.SetListChoice(GoodsListView::kAll);
    EXPECT_EQ(1u, source_.goodsRequests.size());
}

TEST_F(GoodsListViewTest, AFailedLoadIsReportedAndTheShownListStays) {
    view_.LoadGoodsList();
    view_.Model().SetMarked(0, true);
    source_.failGoods = true;
    view_.ListChoiceButton(GoodsListView::kAll)->click();
    EXPECT_EQ(std::vector<std::string>{"Brak kartoteki towarow"}, Messages());
    EXPECT_EQ(4, view_.Model().rowCount());
    EXPECT_EQ(1, view_.Model().MarkedCount());
}

// --- Groups -------------------------------------------------------------------------

TEST_F(GoodsListViewTest, GroupsAreListedAsCodeAndName) {
    view_.LoadGroupsIfEmpty();
    view_.LoadGroupsIfEmpty();
    EXPECT_EQ(1, source_.groupRequests);
    ASSERT_EQ(2, view_.GroupCount());
    EXPECT_EQ("01 Nabiał", view_.GroupList()->item(0)->text().toStdString());
}

TEST_F(GoodsListViewTest, GroupNamesInMazoviaAreShownWithPolishLetters) {
    source_.letterStandard = kRowMazovia;
    source_.groups = {{"01", ConvertPolishLetters(Cp1250("Nabiał"), kRowWindows1250, kRowMazovia)}};
    view_.LoadGroupsIfEmpty();
    EXPECT_EQ("01 Nabiał", view_.GroupList()->item(0)->text().toStdString());
}

TEST_F(GoodsListViewTest, TickingAGroupMarksItsGoodsAndUntickingUnmarksThem) {
    view_.LoadGoodsList();
    view_.LoadGroupsIfEmpty();
    view_.GroupList()->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ((std::vector<std::string>{"MASLO", "MLEKO"}), view_.MarkedSymbols());
    view_.GroupList()->item(1)->setCheckState(Qt::Checked);
    view_.GroupList()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ((std::vector<std::string>{"BULKA", "CHLEB"}), view_.MarkedSymbols());
    EXPECT_EQ((std::vector<std::string>{"02 Pieczywo"}), view_.TickedGroups());
}

TEST_F(GoodsListViewTest, UntickingAllGroupsKeepsTheMarks) {
    view_.LoadGoodsList();
    view_.LoadGroupsIfEmpty();
    view_.GroupList()->item(0)->setCheckState(Qt::Checked);
    view_.UntickGroups();
    EXPECT_TRUE(view_.TickedGroups().empty());
    EXPECT_EQ(2, view_.Model().MarkedCount());
}

// --- Search -------------------------------------------------------------------------

TEST_F(GoodsListViewTest, TypingMovesToTheFirstSymbolStartingWithTheText) {
    view_.LoadGoodsList();
    view_.FocusSearch();
    QTest::keyClicks(view_.SearchField(), "ma");
    EXPECT_EQ("MA", view_.SearchField()->text().toStdString());  // upper case as typed
    EXPECT_EQ("MASLO", view_.Model().Good(view_.CurrentRow()).asort);
}

TEST_F(GoodsListViewTest, TypingWithRegisterCodeModeSearchesByName) {
    view_.LoadGoodsList();
    view_.SetSearchMode(GoodsListView::kByRegisterCode);
    QTest::keyClicks(view_.SearchField(), "bu");
    EXPECT_EQ("BULKA", view_.Model().Good(view_.CurrentRow()).asort);
}

TEST_F(GoodsListViewTest, EnterInTheSearchFieldMovesTheFocusToTheGrid) {
    view_.LoadGoodsList();
    view_.FocusSearch();
    QTest::keyClick(view_.SearchField(), Qt::Key_Return);
    EXPECT_TRUE(view_.Grid()->hasFocus());
}

TEST_F(GoodsListViewTest, SearchButtonFindsExactSymbolCodeOrNameStart) {
    view_.LoadGoodsList();
    view_.SearchField()->setText("MASL");
    view_.SearchButton()->click();
    EXPECT_TRUE(view_.SearchField()->hasFocus());
    EXPECT_EQ(0, view_.CurrentRow());  // no exact match: the grid stays where it was

    view_.SearchField()->setText("MLEKO");
    view_.SearchButton()->click();
    EXPECT_EQ("MLEKO", view_.Model().Good(view_.CurrentRow()).asort);
    EXPECT_TRUE(view_.Grid()->hasFocus());

    view_.SetSearchMode(GoodsListView::kByRegisterCode);
    view_.SearchField()->setText("7 szt");
    view_.SearchButton()->click();
    EXPECT_EQ("BULKA", view_.Model().Good(view_.CurrentRow()).asort);

    view_.SearchField()->setText("abc");  // no number: code 0
    view_.SearchButton()->click();
    EXPECT_EQ("MASLO", view_.Model().Good(view_.CurrentRow()).asort);

    view_.SetSearchMode(GoodsListView::kByName);
    view_.SearchField()->setText(QString::fromUtf8("CHLEB Z"));
    view_.SearchButton()->click();
    EXPECT_EQ("CHLEB", view_.Model().Good(view_.CurrentRow()).asort);
}

TEST_F(GoodsListViewTest, SearchModeSortsByNameOrSymbolAndKeepsTheCurrentGood) {
    view_.LoadGoodsList();
    view_.SetCurrentRow(view_.Model().FindAsort("MLEKO"));
    view_.SearchModeButton(GoodsListView::kByName)->click();
    EXPECT_EQ("BULKA", Shown(view_, 0, GoodsListModel::kAsortColumn));  // Bułka < Chleb
    EXPECT_EQ("MLEKO", view_.Model().Good(view_.CurrentRow()).asort);
    EXPECT_TRUE(view_.SearchField()->hasFocus());
    view_.SearchModeButton(GoodsListView::kBySymbol)->click();
    EXPECT_EQ(GoodsListModel::kAsortColumn, view_.Model().SortColumn());
}

// --- Marks, sorting and keys ------------------------------------------------------------

TEST_F(GoodsListViewTest, MarksStayWithTheirGoodsWhenATitleIsClicked) {
    view_.LoadGoodsList();
    view_.Model().SetMarked(view_.Model().FindAsort("CHLEB"), true);
    view_.Model().SetMarked(view_.Model().FindAsort("MLEKO"), true);
    view_.Grid()->horizontalHeader()->sectionClicked(GoodsListModel::kPluColumn);
    EXPECT_EQ(GoodsListModel::kPluColumn, view_.Model().SortColumn());
    EXPECT_EQ((std::vector<std::string>{"CHLEB", "MLEKO"}), view_.MarkedSymbols());  // no code, 5
    EXPECT_TRUE(view_.Model().IsMarked(view_.Model().FindAsort("CHLEB")));
}

TEST_F(GoodsListViewTest, SpaceMarksTheCurrentGoodAndMovesToTheNext) {
    view_.LoadGoodsList();
    view_.FocusGrid();
    QTest::keyClick(view_.Grid(), Qt::Key_Space);
    EXPECT_EQ(1, view_.CurrentRow());
    EXPECT_EQ(std::vector<std::string>{"BULKA"}, view_.MarkedSymbols());
}

TEST_F(GoodsListViewTest, NavigatorMovesTheCurrentRow) {
    view_.LoadGoodsList();
    view_.MoveToLast();
    EXPECT_EQ(3, view_.CurrentRow());
    view_.MoveToNext();
    EXPECT_EQ(3, view_.CurrentRow());
    view_.MoveToPrevious();
    EXPECT_EQ(2, view_.CurrentRow());
    view_.MoveToFirst();
    EXPECT_EQ(0, view_.CurrentRow());
}

TEST_F(GoodsListViewTest, ReloadKeepsTheCurrentGoodAndDropsMarks) {
    view_.LoadGoodsList();
    view_.SetCurrentRow(view_.Model().FindAsort("MLEKO"));
    view_.MarkAll();
    view_.ReloadKeepingCurrentGood();
    EXPECT_EQ("MLEKO", view_.Model().Good(view_.CurrentRow()).asort);
    EXPECT_EQ(0, view_.Model().MarkedCount());
}

}  // namespace
}  // namespace rubso
