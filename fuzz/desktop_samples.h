#pragma once
// Sample desktop tables for the fuzz targets of the table layer and their
// seeds: fields of every kind the layer writes, filled with plain values.

#include <QDateTime>
#include <string>
#include <vector>

#include "db/desktop/desktop_table.h"

namespace rubso::fuzz {

inline const std::vector<DesktopNewField>& EveryKindOfField() {
    static const std::vector<DesktopNewField> fields = {
        {"Nazwa", DesktopFieldKind::Alpha, 20},     {"Ilosc", DesktopFieldKind::Short, 0},
        {"Kod", DesktopFieldKind::Long, 0},         {"Nr", DesktopFieldKind::AutoInc, 0},
        {"Cena", DesktopFieldKind::Number, 0},      {"Wartosc", DesktopFieldKind::Currency, 0},
        {"Data", DesktopFieldKind::Date, 0},        {"Godz", DesktopFieldKind::Time, 0},
        {"Chwila", DesktopFieldKind::Timestamp, 0}, {"Zak", DesktopFieldKind::Logical, 0},
    };
    return fields;
}

// Appends `records` records to the open table, record i holding values made
// of i.
inline void AppendSampleRecords(DesktopTable& table, int records) {
    const QDateTime moment(QDate(2024, 5, 17), QTime(12, 30, 15));
    for (int i = 0; i < records; ++i) {
        table.Append();
        for (const DesktopField& field : table.Fields()) {
            switch (field.kind) {
                case DesktopFieldKind::Alpha:
                    table.SetText(field.name, "Towar " + std::to_string(i));
                    break;
                case DesktopFieldKind::Short:
                case DesktopFieldKind::Long:
                    table.SetInteger(field.name, i - 1);
                    break;
                case DesktopFieldKind::Number:
                case DesktopFieldKind::Currency:
                    table.SetFloat(field.name, i * 2.5);
                    break;
                case DesktopFieldKind::Date:
                case DesktopFieldKind::Time:
                case DesktopFieldKind::Timestamp:
                    table.SetDateTime(field.name, moment.addDays(i));
                    break;
                case DesktopFieldKind::Logical:
                    table.SetBoolean(field.name, i % 2 == 0);
                    break;
                case DesktopFieldKind::AutoInc:
                case DesktopFieldKind::Other:
                    break;
            }
        }
        table.Post();
    }
}

// Creates the table file with `records` sample records.
inline void MakeSampleTable(const std::string& path, const std::vector<DesktopNewField>& fields,
                            int records) {
    DesktopTable::Create(path, fields);
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadWrite);
    AppendSampleRecords(table, records);
    table.Close();
}

}  // namespace rubso::fuzz
