#include "app/ui/goods_list_model.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <stdexcept>

#include "core/codepage.h"
#include "db/goods_catalogue.h"
#include "register/register_records.h"

namespace rubso {
namespace {

// The screen's bytes for every byte of a letter standard: one table, built
// once per load, instead of a conversion table per name.
std::array<char, 256> ScreenByteMap(int letterStandardIndex) {
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b) all[static_cast<std::size_t>(b)] = static_cast<char>(b);
    const std::string converted = rubso::ScreenName(all, letterStandardIndex);
    std::array<char, 256> map{};
    for (std::size_t b = 0; b < 256; ++b) map[b] = converted[b];
    return map;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (UpperChar(text[i]) != UpperChar(prefix[i])) return false;
    }
    return true;
}

// Orders optional values with "no value" first.
template <typename T>
int CompareOptional(const std::optional<T>& a, const std::optional<T>& b) {
    if (!a || !b) return static_cast<int>(a.has_value()) - static_cast<int>(b.has_value());
    return *a < *b ? -1 : (*b < *a ? 1 : 0);
}

}  // namespace

GoodsListModel::GoodsListModel(QObject* parent) : QAbstractTableModel(parent) {}

void GoodsListModel::SetRows(std::vector<GoodsListRow> rows, int letterStandardIndex) {
    beginResetModel();
    rows_ = std::move(rows);
    letterStandardIndex_ = letterStandardIndex;
    screenNames_.clear();
    screenNames_.reserve(rows_.size());
    const std::array<char, 256> map = ScreenByteMap(letterStandardIndex);
    for (const GoodsListRow& row : rows_) {
        std::string& name = screenNames_.emplace_back(row.nazwa);
        for (char& c : name) c = map[static_cast<unsigned char>(c)];
    }
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    marked_.assign(rows_.size(), 0);
    markedCount_ = 0;
    sorted_ = false;
    endResetModel();
    sort(sortColumn_, sortOrder_);
}

void GoodsListModel::Clear() {
    SetRows({}, 0);
}

int GoodsListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int GoodsListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant GoodsListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int row = index.row();
    const GoodsListRow& good = Good(row);
    switch (role) {
        case Qt::CheckStateRole:
            if (index.column() == kTickColumn) return IsMarked(row) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() >= kCenaColumn && index.column() <= kPluColumn) {
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            }
            return {};
        case Qt::DisplayRole:
            switch (index.column()) {
                case kAsortColumn:
                    return FromCp1250(good.asort);
                case kNazwaColumn:
                    return FromCp1250(ScreenName(row));
                case kCenaColumn:
                    return good.cena ? FromCp1250(PriceDisplayText(*good.cena)) : QString();
                case kVatColumn:
                    return FromCp1250(VatText(good.stawkaVat));
                case kPluColumn:
                    return good.kodKasa ? QString::number(*good.kodKasa) : QString();
                case kRegisterNameColumn:
                    return RegisterNameShown(good.nazwa, letterStandardIndex_);
                default:
                    return {};
            }
        default:
            return {};
    }
}

QVariant GoodsListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case kAsortColumn:
            return QStringLiteral("ASORT");
        case kNazwaColumn:
            return QStringLiteral("NAZWA");
        case kCenaColumn:
            return QStringLiteral("Cena");
        case kVatColumn:
            return QStringLiteral("VAT");
        case kPluColumn:
            return QStringLiteral("PLU");
        case kRegisterNameColumn:
            return QStringLiteral("Nazwa w kasie");
        default:
            return QString();
    }
}

Qt::ItemFlags GoodsListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kTickColumn) result |= Qt::ItemIsUserCheckable;
    return result;
}

bool GoodsListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.column() != kTickColumn || role != Qt::CheckStateRole) {
        return false;
    }
    SetMarked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

void GoodsListModel::sort(int column, Qt::SortOrder order) {
    if (column <= kTickColumn || column >= kColumnCount) return;
    // The rows do not change between loads: the same order again is a no-op.
    if (sorted_ && column == sortColumn_ && order == sortOrder_) return;
    sortColumn_ = column;
    sortOrder_ = order;
    sorted_ = true;
    if (order_.size() < 2) return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> storageOfPersistent;
    storageOfPersistent.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) {
        storageOfPersistent.push_back(order_[static_cast<std::size_t>(index.row())]);
    }

    // The register's names are made once for the sort, not per comparison.
    std::vector<QString> registerNames;
    if (column == kRegisterNameColumn) {
        registerNames.reserve(rows_.size());
        for (const GoodsListRow& row : rows_) {
            registerNames.push_back(RegisterNameShown(row.nazwa, letterStandardIndex_));
        }
    }
    auto compare = [this, column, &registerNames](int a, int b) {
        const GoodsListRow& x = rows_[static_cast<std::size_t>(a)];
        const GoodsListRow& y = rows_[static_cast<std::size_t>(b)];
        switch (column) {
            case kAsortColumn:
                return x.asort.compare(y.asort);
            case kNazwaColumn:
                return screenNames_[static_cast<std::size_t>(a)].compare(
                    screenNames_[static_cast<std::size_t>(b)]);
            case kCenaColumn:
                return CompareOptional(x.cena, y.cena);
            case kVatColumn:
                return CompareOptional(x.stawkaVat, y.stawkaVat);
            case kRegisterNameColumn:
                return registerNames[static_cast<std::size_t>(a)].compare(
                    registerNames[static_cast<std::size_t>(b)]);
            default:
                return CompareOptional(x.kodKasa, y.kodKasa);
        }
    };
    std::iota(order_.begin(), order_.end(), 0);
    if (order == Qt::AscendingOrder) {
        std::stable_sort(order_.begin(), order_.end(),
                         [&](int a, int b) { return compare(a, b) < 0; });
    } else {
        std::stable_sort(order_.begin(), order_.end(),
                         [&](int a, int b) { return compare(a, b) > 0; });
    }

    std::vector<int> displayOf(order_.size());
    for (std::size_t row = 0; row < order_.size(); ++row) {
        displayOf[static_cast<std::size_t>(order_[row])] = static_cast<int>(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int storage = storageOfPersistent[static_cast<std::size_t>(i)];
        after.push_back(index(displayOf[static_cast<std::size_t>(storage)], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const GoodsListRow& GoodsListModel::Good(int row) const {
    return rows_.at(static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row))));
}

const std::string& GoodsListModel::ScreenName(int row) const {
    return screenNames_.at(static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row))));
}

bool GoodsListModel::IsMarked(int row) const {
    return marked_.at(static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row)))) != 0;
}

void GoodsListModel::SetMarked(int row, bool marked) {
    char& flag = marked_.at(static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row))));
    if ((flag != 0) == marked) return;
    flag = marked ? 1 : 0;
    markedCount_ += marked ? 1 : -1;
    const QModelIndex cell = index(row, kTickColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void GoodsListModel::ToggleMark(int row) {
    SetMarked(row, !IsMarked(row));
}

void GoodsListModel::EmitTicksChanged() {
    if (order_.empty()) return;
    emit dataChanged(index(0, kTickColumn), index(rowCount() - 1, kTickColumn),
                     {Qt::CheckStateRole});
}

void GoodsListModel::MarkAll() {
    std::fill(marked_.begin(), marked_.end(), 1);
    markedCount_ = static_cast<int>(marked_.size());
    EmitTicksChanged();
}

void GoodsListModel::ClearMarks() {
    std::fill(marked_.begin(), marked_.end(), 0);
    markedCount_ = 0;
    EmitTicksChanged();
}

void GoodsListModel::InvertMarks() {
    for (char& flag : marked_) flag = flag != 0 ? 0 : 1;
    markedCount_ = static_cast<int>(marked_.size()) - markedCount_;
    EmitTicksChanged();
}

int GoodsListModel::MarkGroup(std::string_view grupa, bool marked) {
    int members = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].grupa != grupa) continue;
        ++members;
        if ((marked_[i] != 0) == marked) continue;
        marked_[i] = marked ? 1 : 0;
        markedCount_ += marked ? 1 : -1;
    }
    if (members > 0) EmitTicksChanged();
    return members;
}

std::vector<std::string> GoodsListModel::MarkedSymbols() const {
    std::vector<std::string> symbols;
    symbols.reserve(static_cast<std::size_t>(markedCount_));
    for (int storage : order_) {
        if (marked_[static_cast<std::size_t>(storage)] != 0) {
            symbols.push_back(rows_[static_cast<std::size_t>(storage)].asort);
        }
    }
    return symbols;
}

void GoodsListModel::MarkSymbols(const std::vector<std::string>& symbols) {
    for (const std::string& symbol : symbols) {
        const int row = FindAsort(symbol);
        if (row >= 0) SetMarked(row, true);
    }
}

template <typename Match>
int GoodsListModel::FindFirst(Match match) const {
    for (std::size_t row = 0; row < order_.size(); ++row) {
        if (match(static_cast<std::size_t>(order_[row]))) return static_cast<int>(row);
    }
    return -1;
}

int GoodsListModel::FindAsortPrefix(std::string_view prefix) const {
    return FindFirst([&](std::size_t i) { return StartsWithIgnoringCase(rows_[i].asort, prefix); });
}

int GoodsListModel::FindNamePrefix(std::string_view prefix) const {
    return FindFirst(
        [&](std::size_t i) { return StartsWithIgnoringCase(screenNames_[i], prefix); });
}

int GoodsListModel::FindAsort(std::string_view asort) const {
    return FindFirst([&](std::size_t i) { return rows_[i].asort == asort; });
}

int GoodsListModel::FindRegisterCode(std::int64_t code) const {
    return FindFirst([&](std::size_t i) { return rows_[i].kodKasa == code; });
}

}  // namespace rubso
