#include "app/ui/deletion_page.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/command_frame.h"
#include "app/ui/tick_column.h"
#include "core/codepage.h"
#include "core/text_utils.h"

namespace rubso {

DeletionPage::DeletionPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tbsDel");
    grid_ = new QTableView(this);
    grid_->setObjectName("XDBGK");
    grid_->setModel(&model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Tab leaves the grid; the arrows move inside it.
    grid_->setTabKeyNavigation(false);
    grid_->verticalHeader()->hide();
    // The name takes the room left; the codes, prices and bar codes fit
    // their contents whenever the rows change.
    grid_->horizontalHeader()->setSectionResizeMode(RegisterGoodsModel::kNazwaColumn,
                                                    QHeaderView::Stretch);
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        for (const int column : {RegisterGoodsModel::kTickColumn, RegisterGoodsModel::kKodColumn,
                                 RegisterGoodsModel::kCenaColumn, RegisterGoodsModel::kEanColumn}) {
            grid_->resizeColumnToContents(column);
        }
    });
    grid_->installEventFilter(this);
    UseTickColumn(grid_, RegisterGoodsModel::kTickColumn,
                  [this](int row) { model_.ToggleMark(row); });

    group_ = new QGroupBox(QStringLiteral(" Kasowanie towarów w kasie "), this);
    selected_ = new QPushButton(QStringLiteral("Zaznaczone &pozycje"), group_);
    all_ = new QPushButton(QStringLiteral("Wszystkie &towary"), group_);
    auto* groupLayout = new QVBoxLayout(group_);
    groupLayout->addWidget(selected_);
    groupLayout->addWidget(all_);
    refresh_ = new QPushButton(QStringLiteral("&Odśwież wykaz"), this);
    refresh_->setObjectName("btnRefeshDel");
    for (QPushButton* button : {selected_, all_, refresh_}) button->setAutoDefault(false);

    auto* side = new QVBoxLayout;
    side->addWidget(group_);
    side->addWidget(refresh_);
    side->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(side);
}

void DeletionPage::MarkAndMoveOn() {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) return;
    model_.ToggleMark(current.row());
    if (current.row() + 1 < model_.rowCount()) {
        grid_->setCurrentIndex(model_.index(current.row() + 1, RegisterGoodsModel::kKodColumn));
    }
}

bool DeletionPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        RunUiCommand([&] { MarkAndMoveOn(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

RegisterGoodsListPage::RegisterGoodsListPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tbsWykazTow");
    load_ = new QPushButton(QStringLiteral("W&czytaj wykaz"), this);
    load_->setObjectName("btnRefrWykaz");
    load_->setAutoDefault(false);
    header_ = new QLabel(this);
    table_ = new QTableWidget(this);
    table_->setObjectName("Memo1");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    // Codes, prices and bar codes line up in a fixed-width font.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    table_->setFont(fixed);
    table_->verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + 6);
    auto* bar = new QHBoxLayout;
    bar->addWidget(load_);
    bar->addWidget(header_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table_, 1);
}

void RegisterGoodsListPage::ShowLines(const std::vector<std::string>& lines) {
    lines_ = lines;
    std::size_t first = 0;  // the first record line
    QStringList titles;
    QStringList headerLines;
    for (; first < lines.size() && StartsWith(lines[first], "#"); ++first) {
        const QStringList fields = FromCp1250(lines[first]).mid(1).split(QLatin1Char('\t'));
        if (fields.size() > 1) {
            titles = fields;
        } else {
            headerLines.push_back(FromCp1250(lines[first]));
        }
    }
    std::vector<QStringList> rows;
    qsizetype columns = titles.size();
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (IsBlank(lines[i])) continue;
        rows.push_back(FromCp1250(lines[i]).split(QLatin1Char('\t')));
        columns = std::max(columns, rows.back().size());
    }
    while (titles.size() < columns) titles.push_back(QString::number(titles.size() + 1));
    header_->setText(headerLines.join(QStringLiteral("   ")));
    table_->clear();
    table_->setColumnCount(static_cast<int>(columns));
    table_->setRowCount(static_cast<int>(rows.size()));
    table_->setHorizontalHeaderLabels(titles);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            table_->setItem(static_cast<int>(r), static_cast<int>(c),
                            new QTableWidgetItem(rows[r][c]));
        }
    }
    table_->resizeColumnsToContents();
}

}  // namespace rubso
