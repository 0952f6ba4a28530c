#include "tests/desktop/desktop_test_support.h"

#include <fstream>
#include <iterator>

namespace rubso::test {

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

unsigned U16At(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

unsigned U32At(const std::string& bytes, std::size_t at) {
    return U16At(bytes, at) | (U16At(bytes, at + 2) << 16);
}

void PutU16At(std::string& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

TableLayout LayoutOf(const std::string& fileBytes) {
    TableLayout layout{};
    layout.recordSize = static_cast<int>(U16At(fileBytes, 0));
    layout.headerSize = static_cast<int>(U16At(fileBytes, 2));
    layout.blockSize = static_cast<unsigned char>(fileBytes[5]) * 1024;
    layout.recordsPerBlock = (layout.blockSize - 6) / layout.recordSize;
    return layout;
}

std::vector<DesktopNewField> KodyFields() {
    return {{"Kod", DesktopFieldKind::Long, 0},
            {"Nazwa", DesktopFieldKind::Alpha, 30},
            {"Cena", DesktopFieldKind::Number, 0},
            {"Inne", DesktopFieldKind::Alpha, 40},
            {"Kod_Ean", DesktopFieldKind::Alpha, 40}};
}

std::vector<DesktopNewField> AllKindsFields() {
    return {{"Tekst", DesktopFieldKind::Alpha, 10},   {"Krotka", DesktopFieldKind::Short, 0},
            {"Dluga", DesktopFieldKind::Long, 0},     {"Liczba", DesktopFieldKind::Number, 0},
            {"Kwota", DesktopFieldKind::Currency, 0}, {"Data", DesktopFieldKind::Date, 0},
            {"Czas", DesktopFieldKind::Time, 0},      {"Chwila", DesktopFieldKind::Timestamp, 0},
            {"Znak", DesktopFieldKind::Logical, 0}};
}

void MakeKody(const std::string& path, int count) {
    DesktopTable::Create(path, KodyFields());
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadWrite);
    for (int kod = 1; kod <= count; ++kod) {
        table.Append();
        table.SetInteger("Kod", kod);
        table.SetText("Nazwa", "N" + std::to_string(kod));
        table.Post();
    }
    table.Close();
}

std::vector<long long> KodColumn(const std::string& path) {
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadOnly);
    std::vector<long long> kods;
    for (table.First(); !table.Eof(); table.Next()) kods.push_back(table.AsInteger("Kod"));
    return kods;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace rubso::test
