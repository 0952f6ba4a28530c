#include "app/ui/tick_column.h"

#include <QStyledItemDelegate>
#include <QTableView>

#include "app/ui/command_frame.h"

namespace rubso {
namespace {

// Draws the tick as usual but never changes it on its own.
class TickDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                     const QModelIndex&) override {
        return false;
    }
};

}  // namespace

void UseTickColumn(QTableView* grid, int column, std::function<void(int row)> toggle) {
    grid->setItemDelegateForColumn(column, new TickDelegate(grid));
    QObject::connect(grid, &QTableView::clicked, grid,
                     [column, toggle = std::move(toggle)](const QModelIndex& index) {
                         if (index.column() != column) return;
                         RunUiCommand([&] { toggle(index.row()); });
                     });
}

}  // namespace rubso
