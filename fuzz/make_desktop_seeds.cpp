// Writes the seed tables of fuzz_desktop_table into the given directory:
// an empty table, one with a field of every kind the layer writes, and one
// whose records fill several blocks.

#include <QDateTime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "db/desktop/desktop_table.h"

using namespace rubso;

namespace {

const std::vector<DesktopNewField> kEveryKind = {
    {"Nazwa", DesktopFieldKind::Alpha, 20},     {"Ilosc", DesktopFieldKind::Short, 0},
    {"Kod", DesktopFieldKind::Long, 0},         {"Nr", DesktopFieldKind::AutoInc, 0},
    {"Cena", DesktopFieldKind::Number, 0},      {"Wartosc", DesktopFieldKind::Currency, 0},
    {"Data", DesktopFieldKind::Date, 0},        {"Godz", DesktopFieldKind::Time, 0},
    {"Chwila", DesktopFieldKind::Timestamp, 0}, {"Zak", DesktopFieldKind::Logical, 0},
};

void Fill(const std::string& path, const std::vector<DesktopNewField>& fields, int records) {
    DesktopTable::Create(path, fields);
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadWrite);
    const QDateTime moment(QDate(2024, 5, 17), QTime(12, 30, 15));
    for (int i = 0; i < records; ++i) {
        table.Append();
        for (const DesktopNewField& field : fields) {
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
                default:
                    break;
            }
        }
        table.Post();
    }
    table.Close();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_desktop_seeds DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    std::filesystem::create_directories(directory);
    Fill(directory + "/empty.db", kEveryKind, 0);
    Fill(directory + "/every_kind.db", kEveryKind, 3);
    // Wide records: a handful per block, so three blocks hold them.
    Fill(directory + "/blocks.db",
         {{"Opis", DesktopFieldKind::Alpha, 255}, {"Kod", DesktopFieldKind::Long, 0}}, 40);
    return 0;
}
