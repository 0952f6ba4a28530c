#include "app/ui/register_goods_model.h"

#include <algorithm>
#include <set>

#include "core/codepage.h"
#include "db/goods_catalogue.h"

namespace rubso {

RegisterGoodsModel::RegisterGoodsModel(QObject* parent) : QAbstractTableModel(parent) {}

void RegisterGoodsModel::SetRows(std::vector<RegisterCodeRow> rows) {
    const std::vector<std::int64_t> kept = MarkedCodes();
    beginResetModel();
    rows_ = std::move(rows);
    marked_.assign(rows_.size(), 0);
    endResetModel();
    MarkCodes(kept);
}

int RegisterGoodsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RegisterGoodsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RegisterGoodsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const RegisterCodeRow& row = Row(index.row());
    if (role == Qt::CheckStateRole && index.column() == kTickColumn) {
        return IsMarked(index.row()) ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::TextAlignmentRole &&
        (index.column() == kKodColumn || index.column() == kCenaColumn)) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case kKodColumn:
            return QString::number(row.kod);
        case kNazwaColumn:
            return FromCp1250(row.nazwa);
        case kCenaColumn:
            return FromCp1250(PriceDisplayText(row.cena));
        case kEanColumn:
            return FromCp1250(row.kodEan);
        default:
            return {};
    }
}

QVariant RegisterGoodsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case kKodColumn:
            return QStringLiteral("Kod");
        case kNazwaColumn:
            return QStringLiteral("Nazwa");
        case kCenaColumn:
            return QStringLiteral("Cena");
        case kEanColumn:
            return QStringLiteral("Kod EAN");
        default:
            return QString();
    }
}

Qt::ItemFlags RegisterGoodsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kTickColumn) result |= Qt::ItemIsUserCheckable;
    return result;
}

bool RegisterGoodsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.column() != kTickColumn || role != Qt::CheckStateRole) {
        return false;
    }
    SetMarked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

void RegisterGoodsModel::SetMarked(int row, bool marked) {
    char& flag = marked_.at(static_cast<std::size_t>(row));
    if ((flag != 0) == marked) return;
    flag = marked ? 1 : 0;
    const QModelIndex cell = index(row, kTickColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void RegisterGoodsModel::SetAll(char value, bool invert) {
    for (char& flag : marked_) flag = invert ? static_cast<char>(flag == 0) : value;
    if (rows_.empty()) return;
    emit dataChanged(index(0, kTickColumn), index(rowCount() - 1, kTickColumn),
                     {Qt::CheckStateRole});
}

void RegisterGoodsModel::MarkAll() {
    SetAll(1, false);
}

void RegisterGoodsModel::ClearMarks() {
    SetAll(0, false);
}

void RegisterGoodsModel::InvertMarks() {
    SetAll(0, true);
}

std::vector<std::int64_t> RegisterGoodsModel::MarkedCodes() const {
    std::vector<std::int64_t> codes;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (marked_[i] != 0) codes.push_back(rows_[i].kod);
    }
    return codes;
}

void RegisterGoodsModel::MarkCodes(const std::vector<std::int64_t>& codes) {
    const std::set<std::int64_t> wanted(codes.begin(), codes.end());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        marked_[i] = wanted.count(rows_[i].kod) != 0 ? 1 : 0;
    }
    if (rows_.empty()) return;
    emit dataChanged(index(0, kTickColumn), index(rowCount() - 1, kTickColumn),
                     {Qt::CheckStateRole});
}

}  // namespace rubso
