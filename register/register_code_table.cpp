#include "register/register_code_table.h"

#include <algorithm>
#include <map>

#include "app/core/codepage.h"
#include "app/core/polish_letters.h"
#include "app/core/text_utils.h"
#include "db/desktop/desktop_table.h"
#include "register/register_records.h"

namespace rubso {
namespace {

constexpr int kBarCodeWidth = 13;

// A code table made by another program may keep Kod as a number with a
// fraction or as text: codes would be looked up and written as something
// else. Only the kind this program writes is accepted.
void RequireOwnKodColumn(DesktopTable& table) {
    const bool hasKod = table.HasField("Kod");
    if (hasKod && table.FieldKind("Kod") == DesktopFieldKind::Long) return;
    const std::string kind = hasKod ? std::string(DesktopKindName(table.FieldKind("Kod"))) : "-";
    const std::string path = table.FileName();
    table.Close();
    throw DesktopTableError(
        Cp1250("Tabela kodów kasy ") + path +
        Cp1250(" nie została założona przez ten program: jej kolumna Kod ma typ ") + kind +
        Cp1250(" zamiast liczby całkowitej (long integer). Przenieś ją w inne miejsce; program "
               "założy nową, a odczyt listy towarów z kasy ją wypełni."));
}

// The table, open for writing, closed (and flushed) when the object dies or
// by Close() to see a failure. A table whose Kod is not ours is refused.
class OpenTable {
  public:
    OpenTable(const std::string& path, DesktopOpenMode mode) {
        OpenKody(table_, path, mode);
        RequireOwnKodColumn(table_);
    }
    DesktopTable* operator->() { return &table_; }
    DesktopTable& operator*() { return table_; }
    void Close() { table_.Close(); }

  private:
    DesktopTable table_;
};

bool LocateCode(DesktopTable& table, std::int64_t kod) {
    return table.Locate("Kod", {DesktopValue(kod)});
}

// The text cut to the field's width: a name longer than the table keeps is
// stored shortened rather than refused.
std::string Fit(const DesktopTable& table, std::string_view field, std::string_view text) {
    return std::string(text.substr(0, static_cast<std::size_t>(table.FieldLength(field))));
}

void SetRow(DesktopTable& table, const RegisterCodeRow& row) {
    table.SetInteger("Kod", row.kod);
    table.SetText("Nazwa", Fit(table, "Nazwa", row.nazwa));
    table.SetFloat("Cena", row.cena);
    table.SetText("Inne", Fit(table, "Inne", row.inne));
    table.SetText("Kod_Ean", Fit(table, "Kod_Ean", row.kodEan));
}

void DeleteAll(DesktopTable& table) {
    while (table.RecordCount() > 0) {
        table.First();
        table.Delete();
    }
}

bool AllZeros(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == '0'; });
}

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string_view> TabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

std::string ScreenName(std::string_view registerName, int letterStandardIndex) {
    std::string name = TrimRight(registerName);
    if (letterStandardIndex != 0) name = ConvertPolishLetters(name, kRowLatin2, kRowWindows1250);
    return name;
}

}  // namespace

void RegisterCodeTable::Put(const RegisterCodeRow& row) {
    OpenTable table(path_, DesktopOpenMode::ReadWrite);
    if (LocateCode(*table, row.kod)) {
        table->Edit();
    } else {
        table->Append();
    }
    SetRow(*table, row);
    table->Post();
    table.Close();
}

void RegisterCodeTable::PutPrice(const RegisterCodeRow& row) {
    OpenTable table(path_, DesktopOpenMode::ReadWrite);
    if (LocateCode(*table, row.kod)) {
        table->Edit();
        table->SetFloat("Cena", row.cena);
    } else {
        table->Append();
        SetRow(*table, row);
    }
    table->Post();
    table.Close();
}

void RegisterCodeTable::Remove(std::int64_t kod) {
    OpenTable table(path_, DesktopOpenMode::ReadWrite);
    if (LocateCode(*table, kod)) table->Delete();
    table.Close();
}

void RegisterCodeTable::Clear() {
    OpenTable table(path_, DesktopOpenMode::ReadWrite);
    DeleteAll(*table);
    table.Close();
}

void RegisterCodeTable::Replace(const std::vector<RegisterCodeRow>& rows) {
    std::map<std::int64_t, std::string> storedBarCodes;
    for (const RegisterCodeRow& stored : Rows()) storedBarCodes.emplace(stored.kod, stored.kodEan);

    OpenTable table(path_, DesktopOpenMode::ReadWrite);
    DeleteAll(*table);
    for (RegisterCodeRow row : rows) {
        const auto stored = storedBarCodes.find(row.kod);
        if (stored != storedBarCodes.end() &&
            PadLeft(stored->second, kBarCodeWidth, '0') == row.kodEan) {
            row.kodEan = stored->second;
        } else if (AllZeros(row.kodEan)) {
            row.kodEan.clear();
        }
        table->Append();
        SetRow(*table, row);
        table->Post();
    }
    table.Close();
}

std::vector<RegisterCodeRow> RegisterCodeTable::Rows() const {
    OpenTable table(path_, DesktopOpenMode::ReadOnly);
    std::vector<RegisterCodeRow> rows;
    for (table->First(); !table->Eof(); table->Next()) {
        RegisterCodeRow row;
        row.kod = table->AsInteger("Kod");
        row.nazwa = table->AsText("Nazwa");
        row.cena = table->AsFloat("Cena");
        row.inne = table->AsText("Inne");
        row.kodEan = table->AsText("Kod_Ean");
        rows.push_back(std::move(row));
    }
    table.Close();
    std::stable_sort(
        rows.begin(), rows.end(),
        [](const RegisterCodeRow& a, const RegisterCodeRow& b) { return a.kod < b.kod; });
    return rows;
}

std::optional<std::vector<RegisterCodeRow>> ParseRegisterGoodsList(
    const std::vector<std::string>& lines, int letterStandardIndex, std::string& problem) {
    std::vector<RegisterCodeRow> rows;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (IsBlank(lines[i])) continue;
        const std::vector<std::string_view> fields = TabFields(lines[i]);
        const std::string code = fields[0].size() > 1 ? Trim(fields[0].substr(1)) : std::string();
        const std::string price = fields.size() >= 5 ? Trim(fields[4]) : std::string();
        if (fields.size() < 6 || fields[0].empty() || fields[0].front() != '$' || !IsDigits(code) ||
            !IsDigits(price) || code.size() > 9 || price.size() > 15) {
            problem = Cp1250("niepoprawny wiersz ") + std::to_string(i + 1) + ": " + lines[i];
            return std::nullopt;
        }
        RegisterCodeRow row;
        row.kod = std::stoll(code);
        row.nazwa = ScreenName(fields[1], letterStandardIndex);
        row.cena = static_cast<double>(std::stoll(price)) / 100.0;
        row.kodEan = Trim(fields[5]);
        rows.push_back(std::move(row));
    }
    return rows;
}

RegisterCodeRow SentGoodRow(const ExportGood& good, int letterStandardIndex) {
    RegisterCodeRow row;
    row.kod = SentRegisterCode(good.kodKasa);
    row.nazwa = ScreenName(RegisterName(good.nazwa, letterStandardIndex), letterStandardIndex);
    row.cena = static_cast<double>(PriceInGrosze(good.cena)) / 100.0;
    row.kodEan = good.barCode;
    return row;
}

}  // namespace rubso
