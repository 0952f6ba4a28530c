#pragma once
// The page "Eksport towarów do kasy" (tbsTowary): the goods list view with
// the export button, its two options and a record navigator. The main
// window runs the export.

#include <QWidget>

#include "app/ui/goods_list_view.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace rubso {

class GoodsPage : public QWidget {
  public:
    // `source` must outlive the page.
    explicit GoodsPage(GoodsListSource& source, QWidget* parent = nullptr);

    GoodsListView* List() const { return list_; }
    QPushButton* ExportButton() const { return export_; }
    QCheckBox* StopOnFirstError() const { return stopOnError_; }
    // " Dane o towarach ": "pełne " sends whole goods, "częściowe (cena)"
    // prices only.
    bool FullData() const;
    void SetFullData(bool full);

  private:
    GoodsListView* list_ = nullptr;
    QPushButton* export_ = nullptr;
    QCheckBox* stopOnError_ = nullptr;
    QRadioButton* partial_ = nullptr;
    QRadioButton* full_ = nullptr;
};

}  // namespace rubso
