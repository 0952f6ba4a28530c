#include "trading/undo_journal.h"

namespace rubso {
namespace {

constexpr const char* kPackageColumn = "Nr_Paczki";
constexpr const char* kCardKey = "Typm;Magazyn;Asort";

void DeletePackageRows(DesktopTable& table, std::int32_t package) {
    while (table.Locate(kPackageColumn, {DesktopValue(std::int64_t{package})})) table.Delete();
    table.Flush();
}

void SyncIfWritable(DesktopTable& table) {
    if (table.IsOpen() && !table.IsReadOnly()) table.Sync();
}

}  // namespace

RowValues ReadRowValues(const DesktopTable& table) {
    RowValues values;
    values.reserve(table.Fields().size());
    for (const DesktopField& field : table.Fields()) {
        if (table.IsNull(field.name)) {
            values.emplace_back();
            continue;
        }
        switch (field.kind) {
            case DesktopFieldKind::Alpha:
                values.emplace_back(table.AsText(field.name));
                break;
            case DesktopFieldKind::Short:
            case DesktopFieldKind::Long:
            case DesktopFieldKind::AutoInc:
                values.emplace_back(table.AsInteger(field.name));
                break;
            case DesktopFieldKind::Number:
            case DesktopFieldKind::Currency:
                values.emplace_back(table.AsFloat(field.name));
                break;
            case DesktopFieldKind::Date:
            case DesktopFieldKind::Time:
            case DesktopFieldKind::Timestamp:
                values.emplace_back(table.AsDateTime(field.name));
                break;
            case DesktopFieldKind::Logical:
                values.emplace_back(table.AsBoolean(field.name));
                break;
            case DesktopFieldKind::Other:
                values.emplace_back();
                break;
        }
    }
    return values;
}

void AppendRowValues(DesktopTable& table, const RowValues& values) {
    const auto& fields = table.Fields();
    table.Append();
    for (std::size_t i = 0; i < fields.size() && i < values.size(); ++i) {
        const DesktopField& field = fields[i];
        if (field.kind == DesktopFieldKind::AutoInc || field.kind == DesktopFieldKind::Other) {
            continue;
        }
        const DesktopValue& value = values[i];
        if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            table.SetInteger(field.name, *integer);
        } else if (const auto* floating = std::get_if<double>(&value)) {
            table.SetFloat(field.name, *floating);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            table.SetText(field.name, *text);
        } else if (const auto* flag = std::get_if<bool>(&value)) {
            table.SetBoolean(field.name, *flag);
        } else if (const auto* moment = std::get_if<QDateTime>(&value)) {
            table.SetDateTime(field.name, *moment);
        }
    }
    table.Post();
    table.Flush();
}

void UndoJournal::Begin(std::int32_t package) {
    End();
    active_ = true;
    package_ = package;
}

void UndoJournal::End() {
    active_ = false;
    removedMaga_.clear();
    removedRegister_.clear();
    appendedMaga_ = 0;
    appendedRegister_ = 0;
    cards_.clear();
}

void UndoJournal::RowRemoved(Table table, RowValues values) {
    if (!active_) return;
    (table == Table::Maga ? removedMaga_ : removedRegister_).push_back(std::move(values));
}

void UndoJournal::RowAppended(Table table) {
    if (!active_) return;
    ++(table == Table::Maga ? appendedMaga_ : appendedRegister_);
}

void UndoJournal::CardTouched(const std::string& magazyn, const std::string& asort, bool created,
                              double przychody, double rozchody) {
    if (!active_) return;
    cards_.try_emplace({magazyn, asort}, CardBefore{created, przychody, rozchody});
}

void UndoJournal::Undo(DesktopTable& maga, DesktopTable& kama, DesktopTable& registerTable) {
    if (!active_) return;
    struct Forget {
        UndoJournal* journal;
        ~Forget() { journal->End(); }
    } forget{this};

    if (appendedRegister_ > 0) DeletePackageRows(registerTable, package_);
    for (const RowValues& row : removedRegister_) AppendRowValues(registerTable, row);

    if (appendedMaga_ > 0) DeletePackageRows(maga, package_);
    for (const RowValues& row : removedMaga_) AppendRowValues(maga, row);

    for (const auto& [key, before] : cards_) {
        const std::vector<DesktopValue> values = {std::int64_t{1}, key.first, key.second};
        if (!kama.Locate(kCardKey, values)) continue;
        if (before.created) {
            kama.Delete();
        } else {
            kama.Edit();
            kama.SetFloat("Przychody", before.przychody);
            kama.SetFloat("Rozchody", before.rozchody);
            kama.Post();
        }
    }
    if (!cards_.empty()) kama.Flush();

    SyncIfWritable(registerTable);
    SyncIfWritable(maga);
    SyncIfWritable(kama);
}

}  // namespace rubso
