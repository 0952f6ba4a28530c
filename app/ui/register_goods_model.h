#pragma once
// The model of the deletion page's grid (XDBGK): the current register's code
// table, what the register is known to hold, with a tick per code. Marks
// belong to codes and are handed on in display order (code order).

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "register/register_code_table.h"

namespace rubso {

class RegisterGoodsModel : public QAbstractTableModel {
  public:
    enum Column { kTickColumn, kKodColumn, kNazwaColumn, kCenaColumn, kEanColumn };
    static constexpr int kColumnCount = 5;

    explicit RegisterGoodsModel(QObject* parent = nullptr);

    // Replaces the rows; marks of codes still present are kept.
    void SetRows(std::vector<RegisterCodeRow> rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    const RegisterCodeRow& Row(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    bool IsMarked(int row) const { return marked_.at(static_cast<std::size_t>(row)) != 0; }
    void SetMarked(int row, bool marked);
    void ToggleMark(int row) { SetMarked(row, !IsMarked(row)); }
    void MarkAll();
    void ClearMarks();
    void InvertMarks();
    // The marked codes in display order.
    std::vector<std::int64_t> MarkedCodes() const;
    // Marks exactly these codes.
    void MarkCodes(const std::vector<std::int64_t>& codes);

  private:
    void SetAll(char value, bool invert);

    std::vector<RegisterCodeRow> rows_;
    std::vector<char> marked_;
};

}  // namespace rubso
