#include "app/ui/transfer_params_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/ui/command_frame.h"
#include "core/app_state.h"
#include "core/codepage.h"
#include "core/ini_file.h"

namespace rubso {
namespace {

std::string DefaultChooseFolder(QWidget* parent) {
    return ToCp1250(QFileDialog::getExistingDirectory(parent, QStringLiteral("Wybierz katalog")));
}

}  // namespace

TfmPOE::TfmPOE(QWidget* parent) : QWidget(parent) {
    setObjectName("fmPOE");
    chooseFolder = DefaultChooseFolder;

    auto* box = new QGroupBox(QStringLiteral(" Parametry ogólne "), this);
    auto* form = new QFormLayout(box);
    path_ = new QLineEdit(box);
    path_->setObjectName("lbeHndlPth");
    path_->setToolTip(QStringLiteral("Prawy przycisk myszy - wybór ścieżki"));
    path_->setContextMenuPolicy(Qt::NoContextMenu);
    path_->installEventFilter(this);
    barKod_ = new QComboBox(box);
    barKod_->setObjectName("cmbBarKod");
    barKod_->setEditable(true);
    standLiter_ = new QComboBox(box);
    standLiter_->setObjectName("cmbStandLiter");
    standLiter_->setEditable(true);
    standLiter_->addItems({QStringLiteral("Mazovia"), QStringLiteral("Latin 2"),
                           QStringLiteral("Bez polskich liter")});
    standLiter_->setCurrentIndex(-1);
    typDokum_ = new QLineEdit(box);
    typDokum_->setObjectName("lbeTypDokum");
    ean_ = new QCheckBox(QStringLiteral("Wymiana danych z kasą za pośrednictwem kodów EAN"), box);
    ean_->setObjectName("cbEAN");

    form->addRow(QStringLiteral("Ścieżka dostępu do programu handlowego ANVO"), path_);
    form->addRow(QStringLiteral("Nazwa pola z kodem kreskowym"), barKod_);
    form->addRow(QStringLiteral("Standard polskich znaków w programie handlowym"), standLiter_);
    form->addRow(ean_);
    // The document type is kept in the settings but its edit is not shown.
    typDokum_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addStretch();

    connect(path_, &QLineEdit::editingFinished, this,
            [this] { RunUiCommand([&] { PathLeft(); }); });
    connect(barKod_, &QComboBox::activated, this,
            [this](int) { RunUiCommand([&] { BarcodeLeft(); }); });
    connect(barKod_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { RunUiCommand([&] { BarcodeLeft(); }); });
    connect(standLiter_, &QComboBox::activated, this,
            [this](int) { RunUiCommand([&] { LetterStandardLeft(); }); });
    connect(standLiter_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { RunUiCommand([&] { LetterStandardLeft(); }); });
    connect(ean_, &QCheckBox::clicked, this,
            [this](bool checked) { RunUiCommand([&] { SetUseEan(values_, checked); }); });
}

void TfmPOE::Refresh() {
    const IniFile ini = App().iniFile ? *App().iniFile : IniFile(std::string());
    values_ = ReadTransferParameters(ini);
    path_->setText(FromCp1250(values_.path));
    typDokum_->setText(FromCp1250(values_.typDokum));
    ean_->setChecked(values_.useEan);
    // The box shows the standard the settings hold, so the operator sees
    // which letters are in force; showing it saves nothing and changes no
    // conversion.
    {
        const QSignalBlocker quiet(standLiter_);
        const QString standard = FromCp1250(values_.standLiter);
        standLiter_->setCurrentIndex(standLiter_->findText(standard));
        standLiter_->setCurrentText(standard);
    }
    FillColumnLists();
}

void TfmPOE::FillColumnLists() {
    const CatalogueColumns columns = readColumns ? readColumns(values_.barKod) : CatalogueColumns{};
    if (!columns.opened) {
        barKod_->setCurrentText(FromCp1250(values_.barKod));
        return;
    }
    barKod_->clear();
    for (const std::string& name : columns.barcodeNames) barKod_->addItem(FromCp1250(name));
    barKod_->setCurrentIndex(columns.barcodeSelection);
    if (onPriceColumnsRead) onPriceColumnsRead(columns.priceNames);
}

void TfmPOE::AfterPathChange(PathChange change) {
    switch (change) {
        case PathChange::Restored:
            path_->setText(FromCp1250(values_.path));
            break;
        case PathChange::Accepted:
            FillColumnLists();
            if (onGoodsSourceChanged) onGoodsSourceChanged();
            break;
        case PathChange::Unchanged:
        case PathChange::Refused:
            break;
    }
}

void TfmPOE::PathLeft() {
    values_.path = ToCp1250(path_->text());
    AfterPathChange(LeaveTradingPath(values_));
}

void TfmPOE::FolderChosen() {
    const std::string folder = chooseFolder ? chooseFolder(this) : std::string();
    if (folder.empty()) return;
    path_->setText(FromCp1250(folder));
    AfterPathChange(ChooseTradingPath(values_, folder));
}

void TfmPOE::BarcodeLeft() {
    // A refused name gives way to the stored one, which stays in force.
    if (!LeaveBarcodeColumn(values_, ToCp1250(barKod_->currentText()))) {
        barKod_->setCurrentText(FromCp1250(values_.barKod));
    }
}

void TfmPOE::LetterStandardLeft() {
    const QString text = standLiter_->currentText();
    const int item = standLiter_->findText(text);
    if (LeaveLetterStandard(values_, ToCp1250(text), item) && onGoodsSourceChanged) {
        onGoodsSourceChanged();
    }
}

bool TfmPOE::eventFilter(QObject* watched, QEvent* event) {
    if (watched == path_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        RunUiCommand([&] { FolderChosen(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace rubso
