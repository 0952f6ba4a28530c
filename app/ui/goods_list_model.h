#pragma once
// The goods grid's model: the fetched goods list, a tick per good and the
// order the grid shows them in.
//
// A mark belongs to a good (its symbol is the table's key), not to a screen
// position: re-sorting moves the marks with their goods; loading a new list
// drops them. Marked goods are handed on in display order.
//
// Texts are stored bytes; names are shown with their Polish letters
// converted from the trading program's letter standard to the screen's code
// page (display only).

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/goods_list.h"

namespace rubso {

class GoodsListModel : public QAbstractTableModel {
  public:
    // kRegisterNameColumn ("Nazwa w kasie") previews the name exactly as the
    // current register will receive and show it: control bytes made blanks,
    // cut to the register's 19 characters, converted to its code page 852
    // and decoded back (RegisterNameShown), so a cut or a letter the
    // register cannot show is seen before the export.
    enum Column {
        kTickColumn,
        kAsortColumn,
        kNazwaColumn,
        kCenaColumn,
        kVatColumn,
        kPluColumn,
        kRegisterNameColumn
    };
    static constexpr int kColumnCount = 7;

    explicit GoodsListModel(QObject* parent = nullptr);

    // Replaces the list (a model reset), drops every mark and keeps the
    // current sort column. `letterStandardIndex` is the row of the Polish-letter
    // table the names are stored in (0: shown as stored).
    void SetRows(std::vector<GoodsListRow> rows, int letterStandardIndex);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The tick column takes Qt::CheckStateRole: it marks or unmarks the good.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Stable sort by the column's values (names as shown, numbers as numbers,
    // goods without a value first); the tick column does not sort.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int SortColumn() const { return sortColumn_; }

    // The good shown at `row` (0-based display position).
    const GoodsListRow& Good(int row) const;
    // Its name as the screen shows it (Windows-1250 bytes).
    const std::string& ScreenName(int row) const;

    // --- Marks ---------------------------------------------------------------
    bool IsMarked(int row) const;
    void SetMarked(int row, bool marked);
    void ToggleMark(int row);
    void MarkAll();
    void ClearMarks();
    void InvertMarks();
    // Marks (or unmarks) every good of the group; returns how many goods
    // the group holds.
    int MarkGroup(std::string_view grupa, bool marked);
    int MarkedCount() const { return markedCount_; }
    // Symbols of the marked goods in display order.
    std::vector<std::string> MarkedSymbols() const;
    // Marks the goods with these symbols; symbols not in the list are skipped.
    void MarkSymbols(const std::vector<std::string>& symbols);

    // --- Search (display order; -1 when nothing matches) -----------------------
    // First good whose symbol begins with `prefix`, ignoring letter case.
    int FindAsortPrefix(std::string_view prefix) const;
    // First good whose name as shown begins with `prefix`, ignoring letter case.
    int FindNamePrefix(std::string_view prefix) const;
    // First good whose symbol equals `asort` exactly.
    int FindAsort(std::string_view asort) const;
    // First good with this register code (no code counts as no match).
    int FindRegisterCode(std::int64_t code) const;

  private:
    template <typename Match>
    int FindFirst(Match match) const;
    void EmitTicksChanged();

    std::vector<GoodsListRow> rows_;
    int letterStandardIndex_ = 0;
    std::vector<std::string> screenNames_;  // by storage index
    std::vector<int> order_;                // display row -> storage index
    std::vector<char> marked_;              // by storage index
    int markedCount_ = 0;
    int sortColumn_ = kAsortColumn;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool sorted_ = false;  // order_ follows sortColumn_ and sortOrder_
};

}  // namespace rubso
