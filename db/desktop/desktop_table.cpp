#include "db/desktop/desktop_table.h"

#include <QTime>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "core/codepage.h"
#include "db/desktop/desktop_journal.h"

namespace rubso {
namespace {

std::string TableMessage(const std::string& path, const std::string& detail) {
    return "Desktop table '" + path + "': " + detail;
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// What a file beside the table says about writing to it, by its extension
// (lower case): an index that writing would leave out of step, or a lock of
// the program that has the table open.
enum class Neighbour { None, Index, Lock };

Neighbour Classify(const std::string& extension) {
    if (extension == "px") return Neighbour::Index;
    if (extension == "lck") return Neighbour::Lock;
    if (extension.size() == 3 && (extension[0] == 'x' || extension[0] == 'y') &&
        ((IsHexDigit(extension[1]) && IsHexDigit(extension[2])) ||
         (extension[1] == 'g' && IsHexDigit(extension[2])))) {
        return Neighbour::Index;
    }
    return Neighbour::None;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool AllZero(const char* bytes, int size) {
    return std::all_of(bytes, bytes + size, [](char c) { return c == 0; });
}

}  // namespace

DesktopTable::DesktopTable() = default;

DesktopTable::~DesktopTable() {
    try {
        Close();
    } catch (const DesktopTableError&) {
        // Close() is the place to learn about a failed close.
    }
}

void DesktopTable::Create(const std::string& path, const std::vector<DesktopNewField>& fields,
                          int codePage) {
    DesktopFile::Create(path, fields, codePage);
}

// --- Opening and closing -------------------------------------------------------

void DesktopTable::Open(const std::string& path, DesktopOpenMode mode) {
    Close();
    const bool writable = mode == DesktopOpenMode::ReadWrite;
    std::filesystem::path directory = std::filesystem::path(path).parent_path();
    RecoverInterruptedChange(directory.empty() ? std::string(".") : directory.string());
    if (writable) CheckCanWrite(path);
    std::unique_ptr<DesktopFile> file = DesktopFile::Open(path, writable);
    if (writable && file->IsKeyed()) {
        throw DesktopTableError(TableMessage(
            path, "the table is keyed; writing would break its key order and its index"));
    }
    path_ = path;
    file_ = std::move(file);
    fieldByName_.clear();
    const auto& fields = file_->Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fieldByName_.emplace(LowerCase(fields[i].name), static_cast<int>(i));
    }
    state_ = State::Browse;
    currentRecno_ = -1;
    eof_ = false;
    current_.clear();
    buffer_.clear();
    indexes_.clear();
}

void DesktopTable::CheckCanWrite(const std::string& path) const {
    const std::filesystem::path table(path);
    std::filesystem::path directory = table.parent_path();
    if (directory.empty()) directory = ".";
    const std::string stem = AsciiLower(table.stem().string());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        const std::string lower = AsciiLower(name);
        if (lower.size() <= stem.size() + 1 || lower.compare(0, stem.size(), stem) != 0 ||
            lower[stem.size()] != '.') {
            continue;
        }
        switch (Classify(lower.substr(stem.size() + 1))) {
            case Neighbour::Index:
                throw DesktopTableError(TableMessage(
                    path, "the index file " + name +
                              " lies beside the table; writing would leave it out of step "
                              "with the data"));
            case Neighbour::Lock:
                throw DesktopTableError(TableMessage(
                    path, "the table is in use by another program (lock file " + name + ")"));
            case Neighbour::None:
                break;
        }
    }
}

void DesktopTable::Close() {
    if (!file_) return;
    Discard();
    indexes_.clear();
    fieldByName_.clear();
    currentRecno_ = -1;
    eof_ = false;
    current_.clear();
    std::unique_ptr<DesktopFile> file = std::move(file_);
    file->Close();
}

bool DesktopTable::IsReadOnly() const {
    return file_ != nullptr && !file_->Writable();
}

// --- Header facts ----------------------------------------------------------------

int DesktopTable::CodePage() const {
    CheckOpen();
    return file_->CodePage();
}

int DesktopTable::RecordCount() const {
    CheckOpen();
    return file_->RecordCount();
}

const std::vector<DesktopField>& DesktopTable::Fields() const {
    CheckOpen();
    return file_->Fields();
}

bool DesktopTable::HasField(std::string_view name) const {
    CheckOpen();
    return fieldByName_.count(LowerCase(name)) != 0;
}

int DesktopTable::FieldLength(std::string_view name) const {
    return file_->Fields()[static_cast<std::size_t>(FieldIndex(name))].size;
}

DesktopFieldKind DesktopTable::FieldKind(std::string_view name) const {
    return file_->Fields()[static_cast<std::size_t>(FieldIndex(name))].kind;
}

// --- Moving ------------------------------------------------------------------------

bool DesktopTable::Locate(std::string_view columns, const std::vector<DesktopValue>& values) {
    CheckOpen();
    Discard();
    std::vector<int> fields;
    std::string_view rest = columns;
    while (true) {
        const std::size_t cut = rest.find(';');
        const std::string_view name = Trim(rest.substr(0, cut));
        if (name.empty()) Fail("Locate: the column list '" + std::string(columns) + "' has a gap");
        fields.push_back(FieldIndex(name));
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    if (fields.size() != values.size()) {
        Fail("Locate: " + std::to_string(fields.size()) + " columns but " +
             std::to_string(values.size()) + " values");
    }
    std::string key;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const DesktopField& field = file_->Fields()[static_cast<std::size_t>(fields[i])];
        std::string bytes(static_cast<std::size_t>(field.size), '\0');
        const auto result = desktop_codec::EncodeValue(field, values[i], bytes.data());
        if (result.status == desktop_codec::EncodeStatus::TooLong) return false;
        if (result.status != desktop_codec::EncodeStatus::Ok) {
            Fail("Locate on field '" + field.name + "': " + result.problem);
        }
        key += bytes;
    }
    const std::optional<int> recno = IndexFor(fields).First(key);
    if (!recno) return false;
    LoadCurrent(*recno);
    eof_ = false;
    return true;
}

void DesktopTable::First() {
    CheckOpen();
    Discard();
    if (file_->RecordCount() == 0) {
        currentRecno_ = -1;
        eof_ = true;
        return;
    }
    LoadCurrent(0);
    eof_ = false;
}

void DesktopTable::Next() {
    CheckOpen();
    Discard();
    if (currentRecno_ < 0 || currentRecno_ + 1 >= file_->RecordCount()) {
        currentRecno_ = -1;
        current_.clear();
        eof_ = true;
        return;
    }
    LoadCurrent(currentRecno_ + 1);
}

// --- Writing -----------------------------------------------------------------------

void DesktopTable::Append() {
    CheckWritable();
    Discard();
    buffer_.assign(static_cast<std::size_t>(file_->RecordSize()), '\0');
    state_ = State::Appending;
}

void DesktopTable::Edit() {
    CheckWritable();
    Discard();
    if (currentRecno_ < 0) Fail("Edit: no record is current");
    buffer_ = current_;
    state_ = State::Editing;
}

void DesktopTable::Cancel() {
    Discard();
}

void DesktopTable::Post() {
    CheckWritable();
    if (state_ == State::Browse) Fail("Post: no record was started with Append or Edit");
    const auto& fields = file_->Fields();
    if (state_ == State::Appending) {
        for (const DesktopField& field : fields) {
            char* bytes = buffer_.data() + field.offset;
            if (field.kind == DesktopFieldKind::AutoInc) {
                desktop_codec::PutInteger(bytes, field.size, file_->NextAutoIncrement());
            } else if (blankDatesAsZeroDate_ && AllZero(bytes, field.size) &&
                       (field.kind == DesktopFieldKind::Date ||
                        field.kind == DesktopFieldKind::Timestamp)) {
                const QDateTime zero(desktop_codec::DateFromDays(desktop_codec::kZeroDateDays),
                                     QTime(0, 0));
                desktop_codec::EncodeValue(field, zero, bytes);
            }
        }
        const int recno = file_->AppendRecord(buffer_.data());
        for (auto& entry : indexes_) entry.second->Add(recno, buffer_.data());
        currentRecno_ = recno;
    } else {
        file_->UpdateRecord(currentRecno_, buffer_.data());
        for (auto& entry : indexes_) {
            entry.second->Update(currentRecno_, current_.data(), buffer_.data());
        }
    }
    current_.swap(buffer_);
    buffer_.clear();
    state_ = State::Browse;
    eof_ = false;
}

void DesktopTable::Delete() {
    CheckWritable();
    if (state_ == State::Appending) Fail("Delete: a new record is being appended");
    Discard();
    if (currentRecno_ < 0) Fail("Delete: no record is current");
    file_->DeleteRecord(currentRecno_);
    for (auto& entry : indexes_) entry.second->Erase(currentRecno_, current_.data());
    currentRecno_ = -1;
    current_.clear();
}

void DesktopTable::Flush() {
    CheckOpen();
    file_->Flush();
}

void DesktopTable::Sync() {
    CheckOpen();
    file_->Sync();
}

// --- Fields -------------------------------------------------------------------------

void DesktopTable::SetInteger(std::string_view name, std::int64_t value) {
    Set(name, value);
}

void DesktopTable::SetFloat(std::string_view name, double value) {
    Set(name, value);
}

void DesktopTable::SetText(std::string_view name, std::string_view bytes) {
    Set(name, std::string(bytes));
}

void DesktopTable::SetBoolean(std::string_view name, bool value) {
    Set(name, value);
}

void DesktopTable::SetDateTime(std::string_view name, const QDateTime& value) {
    Set(name, value);
}

void DesktopTable::SetNull(std::string_view name) {
    Set(name, std::monostate{});
}

void DesktopTable::Set(std::string_view name, const DesktopValue& value) {
    CheckOpen();
    const int index = FieldIndex(name);
    const DesktopField& field = file_->Fields()[static_cast<std::size_t>(index)];
    if (state_ == State::Browse) {
        Fail("field '" + field.name + "': no record was started with Append or Edit");
    }
    if (field.kind == DesktopFieldKind::AutoInc) {
        Fail("field '" + field.name + "' is numbered by the table and cannot be set");
    }
    std::string bytes(static_cast<std::size_t>(field.size), '\0');
    const auto result = desktop_codec::EncodeValue(field, value, bytes.data());
    if (result.status != desktop_codec::EncodeStatus::Ok) {
        Fail("field '" + field.name + "': " + result.problem);
    }
    std::memcpy(buffer_.data() + field.offset, bytes.data(), bytes.size());
}

const DesktopField& DesktopTable::Readable(std::string_view name, Reading reading) const {
    CheckOpen();
    const DesktopField& field = file_->Fields()[static_cast<std::size_t>(FieldIndex(name))];
    // Whether a kind can be read a way depends on the kind alone, never on the
    // value a record happens to hold.
    const DesktopFieldKind kind = field.kind;
    const bool numeric = kind == DesktopFieldKind::Short || kind == DesktopFieldKind::Long ||
                         kind == DesktopFieldKind::AutoInc || kind == DesktopFieldKind::Number ||
                         kind == DesktopFieldKind::Currency || kind == DesktopFieldKind::Alpha;
    const bool dated = kind == DesktopFieldKind::Date || kind == DesktopFieldKind::Time ||
                       kind == DesktopFieldKind::Timestamp;
    bool allowed = kind != DesktopFieldKind::Other;
    const char* as = "text";
    switch (reading) {
        case Reading::Integer:
            allowed = numeric;
            as = "an integer";
            break;
        case Reading::Float:
            allowed = numeric;
            as = "a number";
            break;
        case Reading::Boolean:
            allowed = kind == DesktopFieldKind::Logical;
            as = "a boolean";
            break;
        case Reading::DateTime:
            allowed = dated;
            as = "a date-time";
            break;
        case Reading::Text:
            break;
    }
    if (!allowed) {
        Fail("field '" + field.name + "' (" + std::string(DesktopKindName(kind)) +
             ") cannot be read as " + as);
    }
    return field;
}

DesktopValue DesktopTable::Decode(const DesktopField& field) const {
    return desktop_codec::DecodeValue(field, RowData() + field.offset);
}

std::int64_t DesktopTable::AsInteger(std::string_view name) const {
    const DesktopField& field = Readable(name, Reading::Integer);
    const auto value = desktop_codec::ValueAsInteger(Decode(field));
    if (!value) {
        Fail("field '" + field.name + "': '" +
             desktop_codec::ValueAsText(Decode(field), field.kind) + "' is not a whole number");
    }
    return *value;
}

double DesktopTable::AsFloat(std::string_view name) const {
    const DesktopField& field = Readable(name, Reading::Float);
    const auto value = desktop_codec::ValueAsFloat(Decode(field));
    if (!value) {
        Fail("field '" + field.name + "': '" +
             desktop_codec::ValueAsText(Decode(field), field.kind) + "' is not a number");
    }
    return *value;
}

std::string DesktopTable::AsText(std::string_view name) const {
    const DesktopField& field = Readable(name, Reading::Text);
    return desktop_codec::ValueAsText(Decode(field), field.kind);
}

bool DesktopTable::AsBoolean(std::string_view name) const {
    return desktop_codec::ValueAsBoolean(Decode(Readable(name, Reading::Boolean))).value_or(false);
}

QDateTime DesktopTable::AsDateTime(std::string_view name) const {
    return desktop_codec::ValueAsDateTime(Decode(Readable(name, Reading::DateTime)))
        .value_or(QDateTime());
}

bool DesktopTable::IsNull(std::string_view name) const {
    CheckOpen();
    const DesktopField& field = file_->Fields()[static_cast<std::size_t>(FieldIndex(name))];
    return AllZero(RowData() + field.offset, field.size);
}

std::vector<DesktopValue> DesktopTable::Values() const {
    CheckOpen();
    std::vector<DesktopValue> values;
    for (const DesktopField& field : file_->Fields()) values.push_back(Decode(field));
    return values;
}

// --- Helpers -------------------------------------------------------------------------

void DesktopTable::Fail(const std::string& detail) const {
    throw DesktopTableError(TableMessage(path_, detail));
}

void DesktopTable::CheckOpen() const {
    if (!file_) {
        Fail(path_.empty() ? std::string("the table is not open") : "the table is closed");
    }
    file_->CheckUsable();
}

void DesktopTable::CheckWritable() const {
    CheckOpen();
    if (!file_->Writable()) Fail("the table is open for reading only");
}

void DesktopTable::Discard() {
    state_ = State::Browse;
    buffer_.clear();
}

int DesktopTable::FieldIndex(std::string_view name) const {
    CheckOpen();
    const auto it = fieldByName_.find(LowerCase(name));
    if (it == fieldByName_.end()) Fail("the table has no field '" + std::string(name) + "'");
    return it->second;
}

const char* DesktopTable::RowData() const {
    if (state_ != State::Browse) return buffer_.data();
    if (currentRecno_ < 0) Fail("no record is current");
    return current_.data();
}

void DesktopTable::LoadCurrent(int recno) {
    std::string record(static_cast<std::size_t>(file_->RecordSize()), '\0');
    file_->ReadRecord(recno, record.data());
    current_.swap(record);
    currentRecno_ = recno;
}

DesktopKeyIndex& DesktopTable::IndexFor(const std::vector<int>& fields) {
    const auto found = indexes_.find(fields);
    if (found != indexes_.end()) return *found->second;
    std::vector<DesktopKeyIndex::Part> parts;
    for (const int index : fields) {
        const DesktopField& field = file_->Fields()[static_cast<std::size_t>(index)];
        auto form = DesktopKeyIndex::Part::Form::Bytes;
        if (field.kind == DesktopFieldKind::Alpha) form = DesktopKeyIndex::Part::Form::Text;
        if (field.kind == DesktopFieldKind::Number || field.kind == DesktopFieldKind::Currency ||
            field.kind == DesktopFieldKind::Timestamp) {
            form = DesktopKeyIndex::Part::Form::Double;
        }
        parts.push_back({field.offset, field.size, form});
    }
    auto index = std::make_unique<DesktopKeyIndex>(std::move(parts));
    file_->ForEachRecord([&index](int recno, const char* record) { index->Add(recno, record); });
    return *indexes_.emplace(fields, std::move(index)).first->second;
}

std::optional<std::string> LookupText(const std::string& file, std::string_view resultColumn,
                                      std::string_view keyColumn, const DesktopValue& key) {
    DesktopTable table;
    table.Open(file, DesktopOpenMode::ReadOnly);
    table.FieldKind(resultColumn);  // raises for a missing column even when no record matches
    if (!table.Locate(keyColumn, {key})) return std::nullopt;
    return table.AsText(resultColumn);
}

}  // namespace rubso
