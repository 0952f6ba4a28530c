#include "register/register_code_table.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/polish_letters.h"
#include "core/text_utils.h"
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

std::string ScreenName(std::string_view registerName, int letterStandardIndex) {
    std::string name = TrimRight(registerName);
    if (letterStandardIndex != 0) name = ConvertPolishLetters(name, kRowLatin2, kRowWindows1250);
    return name;
}

void Apply(DesktopTable& table, const RegisterCodeChange& change) {
    const RegisterCodeRow& row = change.row;
    switch (change.kind) {
        case RegisterCodeChange::Kind::Put:
            if (LocateCode(table, row.kod)) {
                table.Edit();
            } else {
                table.Append();
            }
            SetRow(table, row);
            table.Post();
            break;
        case RegisterCodeChange::Kind::Price:
            if (LocateCode(table, row.kod)) {
                table.Edit();
                table.SetFloat("Cena", row.cena);
            } else {
                table.Append();
                SetRow(table, row);
            }
            table.Post();
            break;
        case RegisterCodeChange::Kind::Remove:
            if (LocateCode(table, row.kod)) table.Delete();
            break;
    }
}

// --- The journal of pending changes ---------------------------------------------------
//
// One line per change, ended by LF: kind ("P" put, "C" price, "R" remove),
// code, name, price, other, bar code, separated by TAB; "\", TAB, CR and LF
// inside a text are written "\\", "\t", "\r", "\n". A line without its LF (a
// write cut short) and whatever follows a line that cannot be read are not
// changes.

std::string JournalPath(const std::string& tablePath) {
    return tablePath + ".pending";
}

void AppendEscaped(std::string& line, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\n':
                line += "\\n";
                break;
            default:
                line += c;
        }
    }
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            default:
                return false;
        }
    }
    return true;
}

std::string JournalLine(const RegisterCodeChange& change) {
    static constexpr char kKinds[] = {'P', 'C', 'R'};
    std::string line(1, kKinds[static_cast<int>(change.kind)]);
    line += '\t';
    line += std::to_string(change.row.kod);
    line += '\t';
    AppendEscaped(line, change.row.nazwa);
    char price[32];
    const auto written = std::to_chars(price, price + sizeof price, change.row.cena);
    line += '\t';
    line.append(price, written.ptr);
    line += '\t';
    AppendEscaped(line, change.row.inne);
    line += '\t';
    AppendEscaped(line, change.row.kodEan);
    line += '\n';
    return line;
}

std::optional<RegisterCodeChange> ParseJournalLine(std::string_view line) {
    const std::vector<std::string_view> fields = SplitTabFields(line);
    if (fields.size() != 6 || fields[0].size() != 1) return std::nullopt;
    RegisterCodeChange change;
    switch (fields[0][0]) {
        case 'P':
            change.kind = RegisterCodeChange::Kind::Put;
            break;
        case 'C':
            change.kind = RegisterCodeChange::Kind::Price;
            break;
        case 'R':
            change.kind = RegisterCodeChange::Kind::Remove;
            break;
        default:
            return std::nullopt;
    }
    RegisterCodeRow& row = change.row;
    const auto kod =
        std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), row.kod);
    const auto cena =
        std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), row.cena);
    if (kod.ec != std::errc() || kod.ptr != fields[1].data() + fields[1].size() ||
        cena.ec != std::errc() || cena.ptr != fields[3].data() + fields[3].size() ||
        !Unescape(fields[2], row.nazwa) || !Unescape(fields[4], row.inne) ||
        !Unescape(fields[5], row.kodEan)) {
        return std::nullopt;
    }
    return change;
}

// The changes the journal holds, and in `validBytes` the length of the
// lines they come from.
std::vector<RegisterCodeChange> ReadJournal(const std::string& journalPath,
                                            std::size_t& validBytes) {
    std::vector<RegisterCodeChange> changes;
    validBytes = 0;
    std::ifstream file(journalPath, std::ios::binary);
    if (!file) return changes;
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) break;
        std::optional<RegisterCodeChange> change =
            ParseJournalLine(std::string_view(text).substr(start, end - start));
        if (!change) break;
        changes.push_back(std::move(*change));
        start = end + 1;
        validBytes = start;
    }
    return changes;
}

// Writes `changes` into the table: the table is checked for writing where
// it lies (a lock file or an index beside it refuses), copied, changed in
// the copy with one flush when closed, and the copy renamed over it.
void WriteChanges(const std::string& path, const std::vector<RegisterCodeChange>& changes) {
    if (changes.empty()) return;
    { OpenTable check(path, DesktopOpenMode::ReadWrite); }
    const std::string copy = path + ".new";
    std::error_code error;
    std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) {
        throw DesktopTableError("Cannot copy " + path + " to " + copy + ": " + error.message());
    }
    try {
        OpenTable table(copy, DesktopOpenMode::ReadWrite);
        for (const RegisterCodeChange& change : changes) Apply(*table, change);
        table.Close();
    } catch (...) {
        std::filesystem::remove(copy, error);
        throw;
    }
    std::filesystem::rename(copy, path, error);
    if (error) {
        std::filesystem::remove(copy, error);
        throw DesktopTableError("Cannot replace " + path + ": " + error.message());
    }
}

// The pending changes and `more` written into the table; the journal goes.
void WriteWithPending(const std::string& path, std::vector<RegisterCodeChange> more = {}) {
    const std::string journal = JournalPath(path);
    std::size_t validBytes = 0;
    std::vector<RegisterCodeChange> changes = ReadJournal(journal, validBytes);
    changes.insert(changes.end(), std::make_move_iterator(more.begin()),
                   std::make_move_iterator(more.end()));
    WriteChanges(path, changes);
    std::error_code ignored;
    std::filesystem::remove(journal, ignored);
}

}  // namespace

void ApplyPendingCodeTableChanges(const std::string& tablePath) {
    if (FileExists(JournalPath(tablePath))) WriteWithPending(tablePath);
}

void RegisterCodeTable::Put(const RegisterCodeRow& row) {
    WriteWithPending(path_, {{RegisterCodeChange::Kind::Put, row}});
}

void RegisterCodeTable::PutPrice(const RegisterCodeRow& row) {
    WriteWithPending(path_, {{RegisterCodeChange::Kind::Price, row}});
}

void RegisterCodeTable::Remove(std::int64_t kod) {
    RegisterCodeRow row;
    row.kod = kod;
    WriteWithPending(path_, {{RegisterCodeChange::Kind::Remove, row}});
}

void RegisterCodeTable::Clear() {
    ApplyPendingCodeTableChanges(path_);
    OpenTable table(path_, DesktopOpenMode::ReadWrite);
    DeleteAll(*table);
    table.Close();
}

void RegisterCodeTable::Replace(const std::vector<RegisterCodeRow>& rows) {
    ApplyPendingCodeTableChanges(path_);
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
    ApplyPendingCodeTableChanges(path_);
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

RegisterCodeBatch::RegisterCodeBatch(std::string tablePath) : path_(std::move(tablePath)) {}

RegisterCodeBatch::~RegisterCodeBatch() {
    try {
        Commit();
    } catch (const std::exception&) {
        // The changes wait in the journal.
    }
    if (journal_ != nullptr) std::fclose(journal_);
}

void RegisterCodeBatch::Put(const RegisterCodeRow& row) {
    Note({RegisterCodeChange::Kind::Put, row});
}

void RegisterCodeBatch::PutPrice(const RegisterCodeRow& row) {
    Note({RegisterCodeChange::Kind::Price, row});
}

void RegisterCodeBatch::Remove(std::int64_t kod) {
    RegisterCodeRow row;
    row.kod = kod;
    Note({RegisterCodeChange::Kind::Remove, row});
}

void RegisterCodeBatch::Note(const RegisterCodeChange& change) {
    changes_.push_back(change);
    const std::string journal = JournalPath(path_);
    if (!journalOpened_) {
        journalOpened_ = true;
        // Changes left by a batch cut short go first; a line its cut left
        // half-written is dropped, so that the next line starts a line.
        std::size_t validBytes = 0;
        std::vector<RegisterCodeChange> pending = ReadJournal(journal, validBytes);
        std::error_code error;
        if (FileExists(journal)) std::filesystem::resize_file(journal, validBytes, error);
        changes_.insert(changes_.begin(), pending.begin(), pending.end());
        journal_ = error ? nullptr : std::fopen(journal.c_str(), "ab");
        if (journal_ == nullptr) problem_ = Cp1250("nie można zapisać pliku ") + journal;
    }
    if (journal_ == nullptr) return;
    const std::string line = JournalLine(change);
    if (std::fwrite(line.data(), 1, line.size(), journal_) != line.size() ||
        std::fflush(journal_) != 0) {
        problem_ = Cp1250("nie można zapisać pliku ") + journal;
        std::fclose(journal_);
        journal_ = nullptr;
    }
}

void RegisterCodeBatch::Commit() {
    if (changes_.empty()) return;
    if (journal_ != nullptr) {
        std::fclose(journal_);
        journal_ = nullptr;
    }
    WriteChanges(path_, changes_);
    changes_.clear();
    journalOpened_ = false;
    std::error_code ignored;
    std::filesystem::remove(JournalPath(path_), ignored);
}

std::optional<std::vector<RegisterCodeRow>> ParseRegisterGoodsList(
    const std::vector<std::string>& lines, int letterStandardIndex, std::string& problem) {
    std::vector<RegisterCodeRow> rows;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (IsBlank(lines[i])) continue;
        const std::vector<std::string_view> fields = SplitTabFields(lines[i]);
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
