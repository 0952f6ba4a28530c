#pragma once
// The goods list view of the export page: the goods grid (XDBG) with a tick
// per good, the count label, the list choice " Wykaz towarów " with its
// price-change dates, the goods-group check list and the search group.
//
// The view asks its GoodsListSource for data and shows what comes back; every
// operator action runs as one command (RunUiCommand), so a failure reaches
// the application-wide handler and leaves the view as it was.

#include <QWidget>
#include <string>
#include <vector>

#include "app/ui/goods_list_model.h"
#include "app/ui/goods_list_source.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTableView;
class QVBoxLayout;

namespace rubso {

class GoodsListView : public QWidget {
  public:
    // The five choices of " Wykaz towarów ", in order.
    enum ListChoice { kWithStock, kActive, kAll, kNotSent, kByPriceDate };
    static constexpr int kDefaultListChoice = kActive;
    enum SearchMode { kBySymbol, kByName, kByRegisterCode };

    // `source` must outlive the view.
    explicit GoodsListView(GoodsListSource& source, QWidget* parent = nullptr);

    // Loads the list the current choice names (LoadGoodsList): the marks are
    // dropped, the count label follows, the grid is sorted by symbol when
    // "Symbol asortymentu" is checked, otherwise by name. Raises what the
    // source raises; the old list then stays.
    void LoadGoodsList();
    // LoadGoodsList, then the row of the same good as before, if it is still
    // there.
    void ReloadKeepingCurrentGood();
    bool IsLoaded() const { return loaded_; }

    int ListChoice() const;
    // Selects the choice; when it differs from the current one, runs its
    // action as a click would (options 0-3 load the list, option 4 the dates).
    void SetListChoice(int choice);

    // The group check list: filled from the source when empty (OpenGrupy);
    // emptied when the trading program's tables moved.
    void LoadGroupsIfEmpty();
    void ClearGroups();
    // Unticks every group without touching the marks.
    void UntickGroups();
    // The texts of the ticked groups ("code name"), in list order.
    std::vector<std::string> TickedGroups() const;
    int GroupCount() const;

    void MarkAll() { model_.MarkAll(); }
    void ClearMarks() { model_.ClearMarks(); }
    void InvertMarks() { model_.InvertMarks(); }
    // Symbols of the marked goods in display order.
    std::vector<std::string> MarkedSymbols() const { return model_.MarkedSymbols(); }

    // F2: the focus into the search field.
    void FocusSearch();
    void FocusGrid();
    // Moves the grid's current row (the record navigator).
    void MoveToFirst();
    void MoveToPrevious();
    void MoveToNext();
    void MoveToLast();

    SearchMode CurrentSearchMode() const;
    void SetSearchMode(SearchMode mode);
    // The search button (aSeek) on the search field's text.
    void SearchExactly();

    // The goods shown at `row` (display order), -1 when none.
    int CurrentRow() const;
    void SetCurrentRow(int row);

    GoodsListModel& Model() { return model_; }
    QTableView* Grid() const { return grid_; }
    QLineEdit* SearchField() const { return seek_; }
    QLabel* CountLabel() const { return count_; }
    QGroupBox* DatesBox() const { return datesBox_; }
    QListWidget* GroupList() const { return groups_; }
    QRadioButton* ListChoiceButton(int choice) const;
    QRadioButton* DateButton(int index) const;
    QRadioButton* SearchModeButton(SearchMode mode) const;
    QPushButton* SearchButton() const { return seekButton_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildListChoice();
    QWidget* BuildSearchGroup();
    void ChooseList(int choice);
    void ChooseDate(int index);
    void ShowPriceChangeDates();
    void LoadList(const GoodsListFilter& filter);
    void GroupTicked(QListWidgetItem* item);
    void SearchWhileTyping();
    void SearchModeChosen();
    void SortBySearchMode();
    void MarkAndMoveOn();

    GoodsListSource& source_;
    GoodsListModel model_;
    QTableView* grid_ = nullptr;
    QLabel* count_ = nullptr;
    QGroupBox* listChoiceBox_ = nullptr;
    QButtonGroup* listChoice_ = nullptr;
    QGroupBox* datesBox_ = nullptr;
    QVBoxLayout* datesLayout_ = nullptr;
    QButtonGroup* dates_ = nullptr;
    std::vector<QDate> dateValues_;
    QLabel* groupsLabel_ = nullptr;
    QListWidget* groups_ = nullptr;
    QButtonGroup* searchMode_ = nullptr;
    QLineEdit* seek_ = nullptr;
    QPushButton* seekButton_ = nullptr;
    bool loaded_ = false;
    bool fillingGroups_ = false;
};

}  // namespace rubso
