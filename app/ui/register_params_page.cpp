#include "app/ui/register_params_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/ui/command_frame.h"
#include "app/ui/upper_case_edit.h"
#include "core/app_state.h"
#include "core/codepage.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

QString Q(const std::string& cp1250) {
    return FromCp1250(cp1250);
}

std::string S(const QString& text) {
    return ToCp1250(text);
}

QLineEdit* ShortEdit(QWidget* parent, int maxLength) {
    auto* edit = new QLineEdit(parent);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

// A radio group laid out in rows of `perRow` buttons; ids are the positions.
QButtonGroup* Radios(QGroupBox* box, const std::vector<const char*>& captions, int perRow) {
    auto* group = new QButtonGroup(box);
    auto* layout = new QGridLayout(box);
    int id = 0;
    for (const char* caption : captions) {
        auto* button = new QRadioButton(QString::fromUtf8(caption), box);
        group->addButton(button, id);
        layout->addWidget(button, id / perRow, id % perRow);
        ++id;
    }
    return group;
}

// A grid that asks for room for all its rows and columns, so the page's
// layout never squeezes it into a scrolling sliver.
void FitToContents(QTableWidget* grid) {
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    grid->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Check(QButtonGroup* group, int id) {
    QAbstractButton* button = group->button(id);
    if (button == nullptr) button = group->button(0);
    if (button != nullptr) button->setChecked(true);
}

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item != nullptr ? item->text() : QString();
}

}  // namespace

TfmParamE::TfmParamE(IniFile& ini, QWidget* parent) : QWidget(parent), ini_(ini) {
    setObjectName("fmParamE");

    auto* registersBox = new QGroupBox(QStringLiteral(" Kasy "), this);
    std::vector<std::string> names;
    for (int n = 1; n <= App().registerSlots; ++n) names.push_back("Kasa nr " + std::to_string(n));
    std::vector<const char*> captions;
    for (const std::string& name : names) captions.push_back(name.c_str());
    registers_ = Radios(registersBox, captions, static_cast<int>(captions.size()));
    connect(registers_, &QButtonGroup::idClicked, this,
            [this](int id) { RunUiCommand([&] { SelectRegister(id + 1); }); });

    // Three columns: the connection, the modem and the export to the trading
    // program, the unit and VAT tables.
    group_ = new QGroupBox(this);
    auto* columns = new QHBoxLayout(group_);
    auto* middle = new QVBoxLayout;
    middle->addWidget(BuildModem());
    middle->addWidget(BuildExport());
    middle->addStretch();
    auto* tables = new QHBoxLayout;
    tables->addWidget(BuildUnits(), 0, Qt::AlignTop);
    tables->addWidget(BuildVat(), 0, Qt::AlignTop);
    columns->addWidget(BuildConnection(), 0, Qt::AlignTop);
    columns->addLayout(middle);
    columns->addLayout(tables);
    columns->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(registersBox);
    layout->addWidget(group_);
    layout->addStretch();

    Check(registers_, 0);
    SelectRegister(1);
}

QWidget* TfmParamE::BuildConnection() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    timeout_ = ShortEdit(box, 2);
    nrKasySystem_ = ShortEdit(box, 2);
    form->addRow(QStringLiteral("Timeout dla pracy z kasą"), timeout_);
    form->addRow(QStringLiteral("Nr kasy w systemie kas"), nrKasySystem_);
    layout->addLayout(form);

    auto* portBox = new QGroupBox(QStringLiteral(" Port szeregowy "), box);
    port_ = Radios(portBox, {"COM1", "COM2", "COM3", "COM4"}, 2);
    auto* connectionBox = new QGroupBox(QStringLiteral(" Połączenie z kasą "), box);
    connection_ = Radios(connectionBox, {"bezpośrednie", "multiplekser 4xRS232", "modemowe"}, 1);
    auto* channelBox = new QGroupBox(QStringLiteral(" Kanał multipleksera "), box);
    channels_ = new QListWidget(channelBox);
    channels_->setFlow(QListView::LeftToRight);
    channels_->setFixedHeight(channels_->fontMetrics().height() + 14);
    channels_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    (new QVBoxLayout(channelBox))->addWidget(channels_);
    auto* rateBox = new QGroupBox(QStringLiteral(" Prędkość transmisji "), box);
    rate_ = Radios(rateBox, {"4800", "9600", "19200"}, 3);
    layout->addWidget(portBox);
    layout->addWidget(connectionBox);
    layout->addWidget(channelBox);
    layout->addWidget(rateBox);

    for (QLineEdit* edit : {timeout_, nrKasySystem_}) {
        connect(edit, &QLineEdit::editingFinished, this,
                [this] { RunUiCommand([&] { SaveConnection(); }); });
    }
    for (QButtonGroup* group : {port_, rate_}) {
        connect(group, &QButtonGroup::idClicked, this,
                [this](int) { RunUiCommand([&] { SaveConnection(); }); });
    }
    connect(connection_, &QButtonGroup::idClicked, this, [this](int kind) {
        RunUiCommand([&] {
            ApplyChannelChoice(kind, channels_->currentRow());
            SaveConnection();
        });
    });
    connect(channels_, &QListWidget::currentRowChanged, this, [this](int) {
        if (!loading_) RunUiCommand([&] { SaveConnection(); });
    });
    return box;
}

QWidget* TfmParamE::BuildModem() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* diallingBox = new QGroupBox(QStringLiteral("Rodzaj wybierania centrali "), box);
    dialling_ = Radios(diallingBox, {"impulsowe", "tonowe"}, 2);
    auto* form = new QFormLayout;
    nrTel_ = ShortEdit(box, 0);
    tsat_ = ShortEdit(box, 2);
    tkm_ = ShortEdit(box, 2);
    mlr_ = ShortEdit(box, 1);
    form->addRow(QStringLiteral("Nr telefonu"), nrTel_);
    form->addRow(QStringLiteral("Timeout sekwencji AT"), tsat_);
    form->addRow(QStringLiteral("Timeout komunikacji z modemem"), tkm_);
    form->addRow(QStringLiteral("Maksymalna liczba retransmisji"), mlr_);
    layout->addWidget(diallingBox);
    layout->addLayout(form);
    modemOnly_ = {diallingBox, nrTel_, tsat_, tkm_, mlr_};
    for (QLineEdit* edit : {nrTel_, tsat_, tkm_, mlr_}) {
        connect(edit, &QLineEdit::editingFinished, this,
                [this] { RunUiCommand([&] { SaveConnection(); }); });
    }
    connect(dialling_, &QButtonGroup::idClicked, this,
            [this](int) { RunUiCommand([&] { SaveConnection(); }); });
    return box;
}

QWidget* TfmParamE::BuildExport() {
    auto* box = new QGroupBox(QStringLiteral(" Eksport do programu handlowego "), this);
    auto* form = new QFormLayout(box);
    nrMag_ = new UpperCaseEdit(box);
    kierWz_ = ShortEdit(box, 0);
    nrRej_ = ShortEdit(box, 0);
    cena_ = new QComboBox(box);
    cena_->setObjectName("cmbCena");
    form->addRow(QStringLiteral("Nr magazynu"), nrMag_);
    form->addRow(QStringLiteral("Kierunek sprzedaży"), kierWz_);
    form->addRow(QStringLiteral("Rejestr sprzedaży"), nrRej_);
    form->addRow(QStringLiteral("Nazwa pola z ceną"), cena_);
    for (QLineEdit* edit : {nrMag_, kierWz_, nrRej_}) {
        connect(edit, &QLineEdit::editingFinished, this,
                [this] { RunUiCommand([&] { SaveConnection(); }); });
    }
    connect(cena_, &QComboBox::activated, this,
            [this](int) { RunUiCommand([&] { SavePrice(); }); });
    return box;
}

QWidget* TfmParamE::BuildUnits() {
    units_ = new QTableWidget(kRegisterUnitCount, 3, this);
    units_->setObjectName("sgJM");
    units_->setHorizontalHeaderLabels(
        {QStringLiteral("W kasie"), QStringLiteral("W ANVO"), QStringLiteral("Skrót")});
    units_->verticalHeader()->hide();
    for (int row = 0; row < kRegisterUnitCount; ++row) {
        auto* number = new QTableWidgetItem(QString::number(row + 1));
        number->setFlags(Qt::ItemIsEnabled);
        units_->setItem(row, 0, number);
    }
    FitToContents(units_);
    connect(units_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem*) {
        if (!loading_) RunUiCommand([&] { SaveUnits(); });
    });
    return units_;
}

QWidget* TfmParamE::BuildVat() {
    auto* box = new QGroupBox(QStringLiteral("Stawki VAT"), this);
    vat_ = new QTableWidget(kRegisterVatGroupCount, 1, box);
    vat_->setObjectName("vleStawki");
    vat_->horizontalHeader()->hide();
    QStringList keys;
    for (int row = 0; row < kRegisterVatGroupCount; ++row) keys << QString(QChar('A' + row));
    vat_->setVerticalHeaderLabels(keys);
    FitToContents(vat_);
    vat_->horizontalHeader()->setStretchLastSection(true);
    vat_->horizontalHeader()->setMinimumSectionSize(
        vat_->fontMetrics().horizontalAdvance(QStringLiteral("-100")) + 16);
    (new QVBoxLayout(box))->addWidget(vat_);
    connect(vat_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem*) {
        if (!loading_) RunUiCommand([&] { SaveVat(); });
    });
    return box;
}

// --- Loading -------------------------------------------------------------------

void TfmParamE::Refresh(const std::vector<std::string>& priceColumns) {
    loading_ = true;
    cena_->clear();
    for (const std::string& name : priceColumns) {
        if (StartsWith(name, "CENA_")) cena_->addItem(Q(name));
    }
    loading_ = false;
    Load();
}

void TfmParamE::SelectRegister(int registerNumber) {
    if (registerNumber < 1 || registerNumber > App().registerSlots) return;
    Check(registers_, registerNumber - 1);
    group_->setTitle(Q(" Parametry pracy kasy " + std::to_string(registerNumber) + " "));
    Load();
}

int TfmParamE::SelectedRegister() const {
    return registers_->checkedId() + 1;
}

std::string TfmParamE::Section() const {
    return KasaSectionName(SelectedRegister());
}

void TfmParamE::Load() {
    loading_ = true;
    const RegisterParameters p = ReadRegisterParameters(ini_, Section());
    timeout_->setText(Q(p.timeout));
    nrKasySystem_->setText(Q(p.nrKasySystem));
    Check(port_, p.comIndx);
    Check(connection_, p.connection);
    Check(rate_, p.rateIndx);
    Check(dialling_, p.wyborCentr);
    nrTel_->setText(Q(p.nrTel));
    tsat_->setText(Q(p.tsat));
    tkm_->setText(Q(p.tkm));
    mlr_->setText(Q(p.mlr));
    nrMag_->setText(Q(p.nrMag));
    kierWz_->setText(Q(p.kierWz));
    nrRej_->setText(Q(p.nrRej));
    // The stored price column wins over whatever the goods list shows.
    cena_->setCurrentIndex(cena_->findText(Q(PriceColumnText(p))));
    for (int row = 0; row < kRegisterUnitCount; ++row) {
        const auto i = static_cast<std::size_t>(row);
        units_->setItem(row, 1, new QTableWidgetItem(Q(p.unitCodes[i])));
        units_->setItem(row, 2, new QTableWidgetItem(Q(p.unitAbbreviations[i])));
    }
    for (int row = 0; row < kRegisterVatGroupCount; ++row) {
        vat_->setItem(row, 0, new QTableWidgetItem(Q(p.vatRates[static_cast<std::size_t>(row)])));
    }
    ApplyChannelChoice(p.connection, p.kanalMulti);
    loading_ = false;
}

void TfmParamE::ApplyChannelChoice(int connectionKind, int rememberedPosition) {
    const bool wasLoading = loading_;
    loading_ = true;
    const ChannelChoice choice = ChannelChoiceFor(connectionKind, rememberedPosition);
    channels_->clear();
    for (const std::string& entry : choice.entries) channels_->addItem(Q(entry));
    channels_->setEnabled(choice.enabled);
    channels_->setCurrentRow(choice.position);
    for (QWidget* widget : modemOnly_) widget->setEnabled(choice.modemFieldsEnabled);
    loading_ = wasLoading;
}

// --- Saving --------------------------------------------------------------------

RegisterParameters TfmParamE::Gathered() const {
    RegisterParameters p = DefaultRegisterParameters();
    p.timeout = S(timeout_->text());
    p.nrKasySystem = S(nrKasySystem_->text());
    p.comIndx = port_->checkedId();
    p.connection = connection_->checkedId();
    p.kanalMulti = channels_->currentRow() < 0 ? 0 : channels_->currentRow();
    p.rateIndx = rate_->checkedId();
    p.wyborCentr = dialling_->checkedId();
    p.nrTel = S(nrTel_->text());
    p.tsat = S(tsat_->text());
    p.tkm = S(tkm_->text());
    p.mlr = S(mlr_->text());
    p.nrMag = S(nrMag_->text());
    p.kierWz = S(kierWz_->text());
    p.nrRej = S(nrRej_->text());
    p.cena = S(cena_->currentText());
    for (int row = 0; row < kRegisterUnitCount; ++row) {
        const auto i = static_cast<std::size_t>(row);
        p.unitCodes[i] = S(Cell(units_, row, 1));
        p.unitAbbreviations[i] = S(Cell(units_, row, 2));
    }
    for (int row = 0; row < kRegisterVatGroupCount; ++row) {
        p.vatRates[static_cast<std::size_t>(row)] = S(Cell(vat_, row, 0));
    }
    return p;
}

void TfmParamE::SaveConnection() {
    if (loading_) return;
    SaveConnectionParameters(ini_, Section(), Gathered());
}

void TfmParamE::SaveUnits() {
    SaveUnitTable(ini_, Section(), Gathered());
}

void TfmParamE::SaveVat() {
    SaveVatTable(ini_, Section(), Gathered());
}

void TfmParamE::SavePrice() {
    if (loading_) return;
    if (SavePriceColumn(ini_, Section(), S(cena_->currentText())) && onPriceColumnSaved) {
        onPriceColumnSaved(Section());
    }
}

}  // namespace rubso
