#include "app/ui/goods_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/command_frame.h"

namespace rubso {

GoodsPage::GoodsPage(GoodsListSource& source, QWidget* parent) : QWidget(parent) {
    setObjectName("tbsTowary");
    list_ = new GoodsListView(source, this);

    export_ = new QPushButton(QStringLiteral("&Eksport do kasy"), this);
    export_->setObjectName("btnExpo");
    export_->setAutoDefault(false);
    stopOnError_ = new QCheckBox(QStringLiteral("Zatrzymaj eksport po pierwszym &błędzie"), this);
    stopOnError_->setObjectName("cbStopExpo");

    auto* dataBox = new QGroupBox(QStringLiteral(" Dane o towarach "), this);
    dataBox->setObjectName("rgDane");
    partial_ = new QRadioButton(QStringLiteral("&częściowe (cena)"), dataBox);
    full_ = new QRadioButton(QStringLiteral("&pełne "), dataBox);
    full_->setChecked(true);
    auto* dataLayout = new QHBoxLayout(dataBox);
    dataLayout->addWidget(partial_);
    dataLayout->addWidget(full_);

    // The record navigator: first, previous, next, last.
    auto* navigator = new QHBoxLayout;
    const QStyle::StandardPixmap icons[] = {
        QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward, QStyle::SP_MediaSeekForward,
        QStyle::SP_MediaSkipForward};
    void (GoodsListView::*moves[])() = {&GoodsListView::MoveToFirst, &GoodsListView::MoveToPrevious,
                                        &GoodsListView::MoveToNext, &GoodsListView::MoveToLast};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(style()->standardIcon(icons[i]));
        const auto move = moves[i];
        connect(button, &QToolButton::clicked, this,
                [this, move] { RunUiCommand([&] { (list_->*move)(); }); });
        navigator->addWidget(button);
    }

    auto* bar = new QHBoxLayout;
    bar->addLayout(navigator);
    bar->addSpacing(16);
    bar->addWidget(export_);
    bar->addWidget(stopOnError_);
    bar->addWidget(dataBox);
    bar->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(bar);
}

bool GoodsPage::FullData() const {
    return full_->isChecked();
}

void GoodsPage::SetFullData(bool full) {
    (full ? full_ : partial_)->setChecked(true);
}

}  // namespace rubso
