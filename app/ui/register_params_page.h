#pragma once
// The register parameters page (TfmParamE), embedded in "Parametry kas":
// one register's section of the settings file ("KASA 1" …) at a time. Every
// field is written as soon as it is left or changed; there is no save
// button and nothing to cancel.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "register/register_parameters.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QTableWidget;
class QWidget;

namespace rubso {

class IniFile;

class TfmParamE : public QWidget {
  public:
    // `ini` is read and written through at every use; it must outlive the page.
    explicit TfmParamE(IniFile& ini, QWidget* parent = nullptr);

    // FormShow: the price column choice gets `priceColumns` (names beginning
    // with "CENA_" are kept), then the section is shown again.
    void Refresh(const std::vector<std::string>& priceColumns);
    // rgKasyParamClick: the register's section (1 to 5) becomes the one shown.
    void SelectRegister(int registerNumber);
    int SelectedRegister() const;
    std::string Section() const;

    // Runs after a price column was stored for a section (the goods list may
    // have to follow).
    std::function<void(const std::string& section)> onPriceColumnSaved;

    // The values as the fields stand.
    RegisterParameters Gathered() const;

    // --- Controls, for the window's tests ------------------------------------
    QGroupBox* ParametersGroup() const { return group_; }
    QLineEdit* TimeoutEdit() const { return timeout_; }
    QLineEdit* SystemNumberEdit() const { return nrKasySystem_; }
    QLineEdit* WarehouseEdit() const { return nrMag_; }
    QLineEdit* DirectionEdit() const { return kierWz_; }
    QLineEdit* SalesRegisterEdit() const { return nrRej_; }
    QLineEdit* PhoneEdit() const { return nrTel_; }
    QButtonGroup* ConnectionChoice() const { return connection_; }
    QListWidget* ChannelList() const { return channels_; }
    QComboBox* PriceColumnChoice() const { return cena_; }
    QTableWidget* UnitGrid() const { return units_; }
    QTableWidget* VatGrid() const { return vat_; }

  private:
    QWidget* BuildConnection();
    QWidget* BuildModem();
    QWidget* BuildExport();
    QWidget* BuildUnits();
    QWidget* BuildVat();
    void Load();
    void ApplyChannelChoice(int connectionKind, int rememberedPosition);
    void SaveConnection();
    void SaveUnits();
    void SaveVat();
    void SavePrice();

    IniFile& ini_;
    bool loading_ = false;
    QButtonGroup* registers_ = nullptr;
    QGroupBox* group_ = nullptr;
    QLineEdit* timeout_ = nullptr;
    QLineEdit* nrKasySystem_ = nullptr;
    QButtonGroup* port_ = nullptr;
    QButtonGroup* connection_ = nullptr;
    QListWidget* channels_ = nullptr;
    QButtonGroup* rate_ = nullptr;
    QButtonGroup* dialling_ = nullptr;
    QLineEdit* nrTel_ = nullptr;
    QLineEdit* tsat_ = nullptr;
    QLineEdit* tkm_ = nullptr;
    QLineEdit* mlr_ = nullptr;
    std::vector<QWidget*> modemOnly_;
    QLineEdit* nrMag_ = nullptr;
    QLineEdit* kierWz_ = nullptr;
    QLineEdit* nrRej_ = nullptr;
    QComboBox* cena_ = nullptr;
    QTableWidget* units_ = nullptr;
    QTableWidget* vat_ = nullptr;
};

}  // namespace rubso
