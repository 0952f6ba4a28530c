#include "app/ui/about_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"

namespace rubso {

TfmInfProg::TfmInfProg(const std::string& title, const std::string& programFile, QWidget* parent)
    : QWidget(parent) {
    setObjectName("fmInfProg");
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    auto* heading = new QLabel(FromCp1250(title), this);
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    heading->setFont(big);

    auto* details = new QGridLayout;
    details->addWidget(new QLabel(QStringLiteral("Wersja:"), this), 0, 0);
    details->addWidget(new QLabel(QString::fromLatin1(kProgramVersion), this), 0, 1);
    auto* file = new QHBoxLayout;
    file->setSpacing(5);
    file->addWidget(new QLabel(FromCp1250(programFile), this));
    file->addWidget(new QLabel(FromCp1250("( " + FileDateText(programFile) + " )"), this));
    file->addStretch();
    details->addLayout(file, 1, 0, 1, 2);
    details->addWidget(new QLabel(FromCp1250(App().dbPath), this), 2, 0, 1, 2);

    auto* close = new QPushButton(QStringLiteral("Zamknij"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(heading, 0, Qt::AlignHCenter);
    layout->addSpacing(16);
    layout->addLayout(details);
    layout->addSpacing(16);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void TfmInfProg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace rubso
