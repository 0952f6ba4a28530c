#include "app/ui/sales_page.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "core/codepage.h"
#include "core/text_utils.h"

namespace rubso {

SalesPage::SalesPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tbsOdczyt");
    date_ = new QDateEdit(this);
    date_->setObjectName("dtpSprz");
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_->setCalendarPopup(true);
    auto* dateLabel = new QLabel(QStringLiteral("&Data sprzedaży"), this);
    dateLabel->setBuddy(date_);

    read_ = new QPushButton(QStringLiteral("&Odczyt"), this);
    read_->setObjectName("btnRead");
    reset_ = new QPushButton(QStringLiteral("&Zerowanie liczników sprzedaży"), this);
    reset_->setObjectName("btnZeruj");
    send_ = new QPushButton(QStringLiteral("&Prześlij dane do Handlu"), this);
    send_->setObjectName("btnHandel");
    for (QPushButton* button : {read_, reset_, send_}) button->setAutoDefault(false);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    memo_->setFont(fixed);

    reads_ = new QListWidget(this);
    reads_->setObjectName("lbOdczyty");
    reads_->setContextMenuPolicy(Qt::CustomContextMenu);
    reads_->hide();
    readsMenu_ = new QMenu(this);

    auto* controls = new QVBoxLayout;
    controls->addWidget(dateLabel);
    controls->addWidget(date_);
    controls->addSpacing(12);
    controls->addWidget(read_);
    controls->addWidget(reset_);
    controls->addSpacing(12);
    controls->addWidget(send_);
    controls->addWidget(reads_, 1);
    controls->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(memo_, 1);
}

void SalesPage::AddMemoLine(const std::string& line) {
    QTextCursor cursor(memo_->document());
    cursor.movePosition(QTextCursor::Start);
    const bool empty = memo_->document()->isEmpty();
    cursor.insertText(FromCp1250(line) + (empty ? QString() : QStringLiteral("\n")));
}

void SalesPage::ClearMemo() {
    memo_->clear();
}

void SalesPage::ShowMemoText(const std::string& text) {
    memo_->setPlainText(FromCp1250(text));
}

std::vector<std::string> SalesPage::MemoLines() const {
    if (memo_->document()->isEmpty()) return {};
    return SplitLines(ToCp1250(memo_->toPlainText()));
}

void SalesPage::ShowReads(const std::vector<std::string>& fileNames) {
    reads_->clear();
    for (const std::string& name : fileNames) reads_->addItem(FromCp1250(name));
    if (reads_->count() > 0) reads_->setCurrentRow(0);
    reads_->show();
}

void SalesPage::HideReads() {
    reads_->hide();
}

std::string SalesPage::SelectedRead() const {
    const QListWidgetItem* item = reads_->currentItem();
    return item != nullptr ? ToCp1250(item->text()) : std::string();
}

}  // namespace rubso
