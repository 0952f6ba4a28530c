#include "app/ui/goods_list_view.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTableView>
#include <QVBoxLayout>

#include "app/ui/command_frame.h"
#include "app/ui/tick_column.h"
#include "app/ui/upper_case_edit.h"
#include "core/codepage.h"
#include "core/operator.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

constexpr int kMaxPriceDates = 5;

QString CountText(int count) {
    return QStringLiteral("Ilość pozycji: ") + QString::number(count);
}

}  // namespace

GoodsListView::GoodsListView(GoodsListSource& source, QWidget* parent)
    : QWidget(parent), source_(source) {
    grid_ = new QTableView(this);
    grid_->setObjectName("XDBG");
    grid_->setModel(&model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Tab leaves the grid; the arrows move inside it.
    grid_->setTabKeyNavigation(false);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionsClickable(true);
    grid_->horizontalHeader()->setSortIndicatorShown(true);
    // The name takes the room left; the other columns fit their contents
    // after every load (measured on the first rows, so a large list costs
    // no more than a small one).
    grid_->horizontalHeader()->setSectionResizeMode(GoodsListModel::kNazwaColumn,
                                                    QHeaderView::Stretch);
    grid_->horizontalHeader()->setResizeContentsPrecision(500);
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        for (const int column : {GoodsListModel::kTickColumn, GoodsListModel::kAsortColumn,
                                 GoodsListModel::kCenaColumn, GoodsListModel::kVatColumn,
                                 GoodsListModel::kPluColumn, GoodsListModel::kRegisterNameColumn}) {
            grid_->resizeColumnToContents(column);
        }
    });
    grid_->installEventFilter(this);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        RunUiCommand([&] {
            const Qt::SortOrder order =
                column == model_.SortColumn() &&
                        grid_->horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder
                    ? Qt::DescendingOrder
                    : Qt::AscendingOrder;
            model_.sort(column, order);
            grid_->horizontalHeader()->setSortIndicator(model_.SortColumn(), order);
        });
    });
    UseTickColumn(grid_, GoodsListModel::kTickColumn, [this](int row) { model_.ToggleMark(row); });

    // Empty until a list is loaded: no count is shown for rows still coming.
    count_ = new QLabel(this);
    count_->setObjectName("lbIlosc");

    // The search runs along the top, so the side column keeps its height
    // for the list choice, the price-change dates and the groups.
    QWidget* search = BuildSearchGroup();
    auto* side = new QVBoxLayout;
    side->addWidget(count_);
    datesBox_ = new QGroupBox(QStringLiteral("Daty zmiany ceny "), this);
    datesBox_->setObjectName("rgDaty");
    datesLayout_ = new QVBoxLayout(datesBox_);
    dates_ = new QButtonGroup(this);
    for (int i = 0; i < kMaxPriceDates; ++i) {
        auto* button = new QRadioButton(datesBox_);
        button->hide();
        dates_->addButton(button, i);
        datesLayout_->addWidget(button);
    }
    connect(dates_, &QButtonGroup::idClicked, this,
            [this](int index) { RunUiCommand([&] { ChooseDate(index); }); });
    datesBox_->hide();
    side->addWidget(datesBox_);
    side->addSpacing(5);
    side->addWidget(BuildListChoice());
    groupsLabel_ = new QLabel(QStringLiteral("Grupy asortymentowe"), this);
    groups_ = new QListWidget(this);
    groups_->setObjectName("cbGrupy");
    connect(groups_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (fillingGroups_) return;
        RunUiCommand([&] { GroupTicked(item); });
    });
    side->addWidget(groupsLabel_);
    side->addWidget(groups_, 2);
    // Takes the height the hidden group list leaves while dates are shown.
    side->addStretch(0);

    // Tab goes from the search along the top into the grid, then down the
    // side column.
    setTabOrder(seekButton_, grid_);
    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(search);
    layout->addLayout(body, 1);
}

QWidget* GoodsListView::BuildListChoice() {
    listChoiceBox_ = new QGroupBox(QStringLiteral(" Wykaz towarów "), this);
    listChoiceBox_->setObjectName("rgFW");
    auto* layout = new QVBoxLayout(listChoiceBox_);
    listChoice_ = new QButtonGroup(this);
    const char* captions[] = {"Z niezerowymi stanami", "Aktywne ", "Wszystkie",
                              "Nie wysłane do kasy", "Wg daty zmiany ceny"};
    int id = 0;
    for (const char* caption : captions) {
        auto* button = new QRadioButton(QString::fromUtf8(caption), listChoiceBox_);
        listChoice_->addButton(button, id++);
        layout->addWidget(button);
    }
    listChoice_->button(kDefaultListChoice)->setChecked(true);
    connect(listChoice_, &QButtonGroup::idClicked, this,
            [this](int choice) { RunUiCommand([&] { ChooseList(choice); }); });
    return listChoiceBox_;
}

QWidget* GoodsListView::BuildSearchGroup() {
    auto* box = new QGroupBox(QStringLiteral("Wyszukiwanie "), this);
    auto* layout = new QHBoxLayout(box);
    searchMode_ = new QButtonGroup(this);
    const char* captions[] = {"Symbol asortymentu", "Nazwa", "Kod w kasie"};
    int id = 0;
    for (const char* caption : captions) {
        auto* button = new QRadioButton(QString::fromUtf8(caption), box);
        searchMode_->addButton(button, id++);
        layout->addWidget(button);
    }
    searchMode_->button(kBySymbol)->setChecked(true);
    connect(searchMode_, &QButtonGroup::idClicked, this,
            [this](int) { RunUiCommand([&] { SearchModeChosen(); }); });

    seek_ = new UpperCaseEdit(box);
    seek_->setObjectName("edSeek");
    seek_->setPlaceholderText(QStringLiteral("Enter - szukaj"));
    seek_->setToolTip(QStringLiteral("Enter - szukaj"));
    seek_->installEventFilter(this);
    seekButton_ = new QPushButton(QStringLiteral("Szukaj"), box);
    seekButton_->setAutoDefault(false);
    connect(seekButton_, &QPushButton::clicked, this,
            [this] { RunUiCommand([&] { SearchExactly(); }); });
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("F2"), box));
    layout->addWidget(seek_, 1);
    layout->addWidget(seekButton_);
    return box;
}

// --- Loading -------------------------------------------------------------------

void GoodsListView::LoadList(const GoodsListFilter& filter) {
    // Shown before the fetch starts; a failed fetch puts the old count back.
    count_->setText(QStringLiteral("Wczytywanie wykazu towarów…"));
    const auto restoreCount = qScopeGuard(
        [this] { count_->setText(loaded_ ? CountText(model_.rowCount()) : QString()); });
    BusyCursorScope busy;
    std::vector<GoodsListRow> rows = source_.Goods(filter);
    const int letterStandard = source_.LetterStandardIndex();
    model_.SetRows(std::move(rows), letterStandard);
    loaded_ = true;
    SortBySearchMode();
    if (model_.rowCount() > 0) SetCurrentRow(0);
}

void GoodsListView::LoadGoodsList() {
    GoodsListFilter filter;
    const int choice = ListChoice();
    if (choice == kNotSent) filter.withoutRegisterCode = true;
    if (choice == kByPriceDate) {
        const int date = dates_->checkedId();
        if (date < 0 || date >= static_cast<int>(dateValues_.size())) {
            model_.Clear();
            count_->setText(CountText(0));
            return;
        }
        filter.priceChangedOn = dateValues_[static_cast<std::size_t>(date)];
    }
    LoadList(filter);
}

void GoodsListView::ReloadKeepingCurrentGood() {
    const int row = CurrentRow();
    const std::string asort = row >= 0 ? model_.Good(row).asort : std::string();
    LoadGoodsList();
    const int found = asort.empty() ? -1 : model_.FindAsort(asort);
    if (found >= 0) SetCurrentRow(found);
}

int GoodsListView::ListChoice() const {
    return listChoice_->checkedId();
}

void GoodsListView::SetListChoice(int choice) {
    if (choice < kWithStock || choice > kByPriceDate || choice == ListChoice()) return;
    listChoice_->button(choice)->setChecked(true);
    ChooseList(choice);
}

void GoodsListView::ChooseList(int choice) {
    if (choice != kByPriceDate) {
        datesBox_->hide();
        groupsLabel_->show();
        groups_->show();
        LoadGoodsList();
        return;
    }
    ShowPriceChangeDates();
}

void GoodsListView::ShowPriceChangeDates() {
    dateValues_ = source_.PriceChangeDates();
    if (dateValues_.size() > kMaxPriceDates) dateValues_.resize(kMaxPriceDates);
    dates_->setExclusive(false);
    for (int i = 0; i < kMaxPriceDates; ++i) {
        QAbstractButton* button = dates_->button(i);
        button->setChecked(false);
        const bool used = i < static_cast<int>(dateValues_.size());
        button->setVisible(used);
        button->setText(used ? FromCp1250(DateText(dateValues_[static_cast<std::size_t>(i)]))
                             : QString());
    }
    dates_->setExclusive(true);
    datesBox_->show();
    groupsLabel_->hide();
    groups_->hide();
    if (dateValues_.empty()) {
        LoadGoodsList();  // nothing to choose: an empty list
        return;
    }
    dates_->button(0)->setChecked(true);
    ChooseDate(0);
}

void GoodsListView::ChooseDate(int) {
    LoadGoodsList();
}

// --- Groups -----------------------------------------------------------------------

void GoodsListView::LoadGroupsIfEmpty() {
    if (groups_->count() > 0) return;
    const std::vector<GoodsGroup> groups = source_.Groups();
    const int letterStandard = source_.LetterStandardIndex();
    fillingGroups_ = true;
    for (const GoodsGroup& group : groups) {
        auto* item = new QListWidgetItem(
            FromCp1250(group.grupa + " " + ScreenName(group.nazwa, letterStandard)), groups_);
        item->setData(Qt::UserRole, QByteArray::fromStdString(group.grupa));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    fillingGroups_ = false;
}

void GoodsListView::ClearGroups() {
    fillingGroups_ = true;
    groups_->clear();
    fillingGroups_ = false;
}

void GoodsListView::UntickGroups() {
    fillingGroups_ = true;
    for (int i = 0; i < groups_->count(); ++i) groups_->item(i)->setCheckState(Qt::Unchecked);
    fillingGroups_ = false;
}

std::vector<std::string> GoodsListView::TickedGroups() const {
    std::vector<std::string> ticked;
    for (int i = 0; i < groups_->count(); ++i) {
        const QListWidgetItem* item = groups_->item(i);
        if (item->checkState() == Qt::Checked) ticked.push_back(ToCp1250(item->text()));
    }
    return ticked;
}

int GoodsListView::GroupCount() const {
    return groups_->count();
}

void GoodsListView::GroupTicked(QListWidgetItem* item) {
    const std::string grupa = item->data(Qt::UserRole).toByteArray().toStdString();
    grid_->setUpdatesEnabled(false);
    model_.MarkGroup(grupa, item->checkState() == Qt::Checked);
    grid_->setUpdatesEnabled(true);
}

// --- Search -----------------------------------------------------------------------

GoodsListView::SearchMode GoodsListView::CurrentSearchMode() const {
    return static_cast<SearchMode>(searchMode_->checkedId());
}

void GoodsListView::SetSearchMode(SearchMode mode) {
    searchMode_->button(mode)->setChecked(true);
    SearchModeChosen();
}

void GoodsListView::SearchModeChosen() {
    seek_->setFocus();
    SortBySearchMode();
}

void GoodsListView::SortBySearchMode() {
    const int column = CurrentSearchMode() == kBySymbol ? GoodsListModel::kAsortColumn
                                                        : GoodsListModel::kNazwaColumn;
    const int row = CurrentRow();
    const std::string asort = row >= 0 ? model_.Good(row).asort : std::string();
    model_.sort(column, Qt::AscendingOrder);
    grid_->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    if (!asort.empty()) SetCurrentRow(model_.FindAsort(asort));
}

void GoodsListView::SearchWhileTyping() {
    const std::string text = ToCp1250(seek_->text());
    const int row = CurrentSearchMode() == kBySymbol ? model_.FindAsortPrefix(text)
                                                     : model_.FindNamePrefix(text);
    if (row >= 0) SetCurrentRow(row);
}

void GoodsListView::SearchExactly() {
    const std::string text = ToCp1250(seek_->text());
    int row = -1;
    switch (CurrentSearchMode()) {
        case kBySymbol:
            row = model_.FindAsort(text);
            break;
        case kByRegisterCode:
            row = model_.FindRegisterCode(LeadingInt(text));
            break;
        case kByName:
            row = model_.FindNamePrefix(text);
            break;
    }
    if (row < 0) {
        seek_->setFocus();
        return;
    }
    SetCurrentRow(row);
    FocusGrid();
}

void GoodsListView::FocusSearch() {
    seek_->setFocus();
    seek_->selectAll();
}

void GoodsListView::FocusGrid() {
    grid_->setFocus();
}

// --- Current row ------------------------------------------------------------------

int GoodsListView::CurrentRow() const {
    const QModelIndex current = grid_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void GoodsListView::SetCurrentRow(int row) {
    if (row < 0 || row >= model_.rowCount()) return;
    const QModelIndex index = model_.index(row, GoodsListModel::kAsortColumn);
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
}

void GoodsListView::MoveToFirst() {
    SetCurrentRow(0);
}

void GoodsListView::MoveToPrevious() {
    SetCurrentRow(std::max(0, CurrentRow() - 1));
}

void GoodsListView::MoveToNext() {
    SetCurrentRow(std::min(model_.rowCount() - 1, CurrentRow() + 1));
}

void GoodsListView::MoveToLast() {
    SetCurrentRow(model_.rowCount() - 1);
}

void GoodsListView::MarkAndMoveOn() {
    const int row = CurrentRow();
    if (row < 0) return;
    model_.ToggleMark(row);
    MoveToNext();
}

QRadioButton* GoodsListView::ListChoiceButton(int choice) const {
    return static_cast<QRadioButton*>(listChoice_->button(choice));
}

QRadioButton* GoodsListView::DateButton(int index) const {
    return static_cast<QRadioButton*>(dates_->button(index));
}

QRadioButton* GoodsListView::SearchModeButton(SearchMode mode) const {
    return static_cast<QRadioButton*>(searchMode_->button(mode));
}

bool GoodsListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == seek_ && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            RunUiCommand([&] { FocusGrid(); });
        } else {
            RunUiCommand([&] { SearchWhileTyping(); });
        }
        return false;
    }
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        RunUiCommand([&] { MarkAndMoveOn(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace rubso
