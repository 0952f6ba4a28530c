#pragma once
// The pages "Kasowanie towarów w kasie" (tbsDel: the register's goods with a
// tick each, deletion of the ticked ones or of all) and "Wykaz towarów w
// kasie" (tbsWykazTow: the register's goods list as the library wrote it).
// The main window runs their commands.

#include <QWidget>
#include <string>
#include <vector>

#include "app/ui/register_goods_model.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

namespace rubso {

class DeletionPage : public QWidget {
  public:
    explicit DeletionPage(QWidget* parent = nullptr);

    RegisterGoodsModel& Model() { return model_; }
    QTableView* Grid() const { return grid_; }
    QGroupBox* DeletionGroup() const { return group_; }
    QPushButton* SelectedButton() const { return selected_; }
    QPushButton* AllButton() const { return all_; }
    QPushButton* RefreshButton() const { return refresh_; }

    // Space: the tick of the current row changes and the next row becomes
    // current.
    void MarkAndMoveOn();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    RegisterGoodsModel model_;
    QTableView* grid_ = nullptr;
    QGroupBox* group_ = nullptr;
    QPushButton* selected_ = nullptr;
    QPushButton* all_ = nullptr;
    QPushButton* refresh_ = nullptr;
};

// The register's goods list is shown as a table: every line is a row and
// its TAB-separated fields are the columns. The lines starting with "#"
// before the first record are the file's header: the last of them that has
// several fields names the columns, the others are shown above the table.
// Nothing else of the library's format is assumed.
class RegisterGoodsListPage : public QWidget {
  public:
    explicit RegisterGoodsListPage(QWidget* parent = nullptr);

    QPushButton* LoadButton() const { return load_; }
    // The lines as the library wrote them (Windows-1250).
    void ShowLines(const std::vector<std::string>& lines);
    std::vector<std::string> Lines() const { return lines_; }
    QTableWidget* Table() const { return table_; }

  private:
    QPushButton* load_ = nullptr;
    QLabel* header_ = nullptr;
    QTableWidget* table_ = nullptr;
    std::vector<std::string> lines_;
};

}  // namespace rubso
