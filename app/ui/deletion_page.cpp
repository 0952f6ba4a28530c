#include "app/ui/deletion_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/core/codepage.h"
#include "app/core/text_utils.h"
#include "app/ui/command_frame.h"

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
    grid_->verticalHeader()->hide();
    grid_->setColumnWidth(RegisterGoodsModel::kTickColumn, 24);
    grid_->setColumnWidth(RegisterGoodsModel::kNazwaColumn, 220);
    grid_->installEventFilter(this);
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() != RegisterGoodsModel::kTickColumn) return;
        RunUiCommand([&] { model_.ToggleMark(index.row()); });
    });

    group_ = new QGroupBox(QStringLiteral(" Kasowanie towarów w kasie "), this);
    selected_ = new QPushButton(QStringLiteral("Zaznaczone pozycje"), group_);
    all_ = new QPushButton(QStringLiteral("Wszystkie towary"), group_);
    auto* groupLayout = new QVBoxLayout(group_);
    groupLayout->addWidget(selected_);
    groupLayout->addWidget(all_);
    refresh_ = new QPushButton(QStringLiteral("Odśwież wykaz"), this);
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
    load_ = new QPushButton(QStringLiteral("Wczytaj wykaz"), this);
    load_->setObjectName("btnRefrWykaz");
    load_->setAutoDefault(false);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("Memo1");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    text_->setFont(fixed);
    auto* bar = new QHBoxLayout;
    bar->addWidget(load_);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(text_, 1);
}

void RegisterGoodsListPage::ShowLines(const std::vector<std::string>& lines) {
    QStringList shown;
    for (const std::string& line : lines) shown.push_back(FromCp1250(line));
    text_->setPlainText(shown.join(QLatin1Char('\n')));
}

std::vector<std::string> RegisterGoodsListPage::Lines() const {
    if (text_->document()->isEmpty()) return {};
    return SplitLines(ToCp1250(text_->toPlainText()));
}

}  // namespace rubso
