#include "app/ui/error_report_page.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/codepage.h"
#include "core/file_utils.h"

namespace rubso {

ErrorReportPage::ErrorReportPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tbsErrLog");
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("Memo2");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    text_->setFont(fixed);

    menu_ = new QMenu(this);
    goodsFileTest_ = menu_->addAction(QStringLiteral("Testowanie kartoteki asortymentowej"));
    workLog_ = menu_->addAction(QStringLiteral("Dzisiejsza historia pracy"));
    menu_->addSeparator();
    clearReport_ = menu_->addAction(QStringLiteral("Zerowanie raportu o błędach"));
    print_ = menu_->addAction(QStringLiteral("Wydruk raportu"));

    menuButton_ = new QPushButton(QStringLiteral("Men&u"), this);
    menuButton_->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(menuButton_);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addLayout(bar);
}

void ErrorReportPage::ShowFile(const std::string& path, const std::string& missingLine) {
    if (!FileExists(path)) {
        text_->setPlainText(FromCp1250(missingLine));
        return;
    }
    QString text = FromCp1250(ReadFileText(path));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text_->setPlainText(text);
}

void ErrorReportPage::Clear() {
    text_->clear();
}

std::string ErrorReportPage::Text() const {
    return ToCp1250(text_->toPlainText());
}

}  // namespace rubso
