#pragma once
// The transfer parameters page (TfmPOE), embedded in "Parametry ogólne":
// the trading program's path, the bar-code column, the Polish-letter
// standard, the sales document type and the EAN exchange, all in section
// "Main" of the settings file, saved at every change.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "trading/transfer_settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace rubso {

class TfmPOE : public QWidget {
  public:
    explicit TfmPOE(QWidget* parent = nullptr);

    // FormShow: the controls from the settings file; then the column lists.
    void Refresh();

    // Runs after the column lists were read from the goods catalogue, with
    // its price columns (for the register parameters page).
    std::function<void(const std::vector<std::string>& priceColumns)> onPriceColumnsRead;
    // Runs when the trading program's tables or letters changed: the goods
    // list and the group list must be read again.
    std::function<void()> onGoodsSourceChanged;

    // Reads the goods catalogue's columns for the lists (set by the window).
    std::function<CatalogueColumns(const std::string& barKod)> readColumns;

    // The folder dialog behind the right mouse button; replaceable for tests.
    // Returns the chosen folder, or empty when none was chosen.
    std::function<std::string(QWidget* parent)> chooseFolder;

    QLineEdit* PathEdit() const { return path_; }
    QComboBox* BarcodeChoice() const { return barKod_; }
    QComboBox* LetterStandardChoice() const { return standLiter_; }
    QCheckBox* EanBox() const { return ean_; }
    const TransferParameterValues& Values() const { return values_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillColumnLists();
    void PathLeft();
    void FolderChosen();
    void BarcodeLeft();
    void LetterStandardLeft();
    void AfterPathChange(PathChange change);

    TransferParameterValues values_;
    QLineEdit* path_ = nullptr;
    QComboBox* barKod_ = nullptr;
    QComboBox* standLiter_ = nullptr;
    QLineEdit* typDokum_ = nullptr;
    QCheckBox* ean_ = nullptr;
};

}  // namespace rubso
