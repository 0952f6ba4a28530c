#include "core/ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/codepage.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

enum class LineKind {
    kOther,         // blank, comment or junk: kept, never read
    kHeader,        // "[name]"
    kBrokenHeader,  // "[name" without "]": ends a section, opens none
    kKey,           // "key=value"
};

struct Line {
    std::string text;  // the line as stored, without its line end
    std::string end;   // "\r\n", "\n", "\r", or empty for a last line without one
    LineKind kind = LineKind::kOther;
    std::string name;  // section name of a header, key name of a key line
    std::string value;
};

// The file as a list of lines, each with its own line end, so that writing
// it back unchanged reproduces the original bytes.
struct Document {
    std::vector<Line> lines;
    std::string newLineEnd = "\r\n";  // for lines the program adds
    // False when an existing file could not be read: writing the list back
    // would then replace the operator's file with a fragment.
    bool readable = true;
};

std::string Unquoted(std::string value) {
    if (value.size() >= 2) {
        const char first = value.front();
        if ((first == '"' || first == '\'') && value.back() == first) {
            return value.substr(1, value.size() - 2);
        }
    }
    return value;
}

void Classify(Line& line, bool firstLine) {
    std::string_view raw = line.text;
    if (firstLine && raw.substr(0, kUtf8Bom.size()) == kUtf8Bom) raw.remove_prefix(kUtf8Bom.size());
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == ';') return;
    if (text[0] == '[') {
        const std::size_t close = text.rfind(']');
        if (close == std::string::npos) {
            line.kind = LineKind::kBrokenHeader;
        } else {
            line.kind = LineKind::kHeader;
            line.name = Trim(std::string_view(text).substr(1, close - 1));
        }
        return;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return;
    std::string key = Trim(std::string_view(text).substr(0, equals));
    if (key.empty()) return;
    line.kind = LineKind::kKey;
    line.name = std::move(key);
    line.value = Unquoted(Trim(std::string_view(text).substr(equals + 1)));
}

// False when the file exists but cannot be read whole (no permission, a
// directory, an I/O error); a missing file reads as empty.
bool ReadRawFile(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::error_code ec;
        return !std::filesystem::exists(path, ec) && !ec;
    }
    char buffer[8192];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, count);
    const bool complete = std::ferror(file) == 0;
    std::fclose(file);
    return complete;
}

Document Load(const std::string& path) {
    Document doc;
    std::string bytes;
    doc.readable = ReadRawFile(path, bytes);
    bool styleKnown = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t stop = start;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n') ++stop;
        Line line;
        line.text = bytes.substr(start, stop - start);
        std::size_t next = stop;
        if (stop < bytes.size()) {
            next = (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n')
                       ? stop + 2
                       : stop + 1;
            line.end = bytes.substr(stop, next - stop);
            if (!styleKnown) {
                doc.newLineEnd = line.end;
                styleKnown = true;
            }
        }
        Classify(line, doc.lines.empty());
        doc.lines.push_back(std::move(line));
        start = next;
    }
    return doc;
}

bool Save(const std::string& path, const Document& doc) {
    if (!doc.readable) return false;
    std::string bytes;
    for (const Line& line : doc.lines) bytes += line.text + line.end;
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

Line MakeLine(std::string text, const Document& doc) {
    Line line;
    line.text = std::move(text);
    line.end = doc.newLineEnd;
    Classify(line, false);
    return line;
}

bool IsSectionBoundary(const Line& line) {
    return line.kind == LineKind::kHeader || line.kind == LineKind::kBrokenHeader;
}

// Index of the header of the first section named `section`; kNone if absent.
std::size_t FindSection(const Document& doc, std::string_view section, std::size_t from = 0) {
    if (section.empty()) return kNone;
    for (std::size_t i = from; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::kHeader && SameTextIgnoringCase(line.name, section)) return i;
    }
    return kNone;
}

// One past the last line of the section whose header is at `header`.
std::size_t SectionEnd(const Document& doc, std::size_t header) {
    std::size_t i = header + 1;
    while (i < doc.lines.size() && !IsSectionBoundary(doc.lines[i])) ++i;
    return i;
}

std::size_t FindKey(const Document& doc, std::size_t header, std::string_view key) {
    const std::size_t end = SectionEnd(doc, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::kKey && SameTextIgnoringCase(line.name, key)) return i;
    }
    return kNone;
}

const Line* FindValue(const Document& doc, std::string_view section, std::string_view key) {
    const std::size_t header = FindSection(doc, section);
    if (header == kNone) return nullptr;
    const std::size_t index = FindKey(doc, header, key);
    return index == kNone ? nullptr : &doc.lines[index];
}

// Gives the last line a line end before another line is put after it.
void CloseLastLine(Document& doc) {
    if (!doc.lines.empty() && doc.lines.back().end.empty()) {
        doc.lines.back().end = doc.newLineEnd;
    }
}

bool ParseInteger(const std::string& text, int& value) {
    std::int64_t number = 0;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
    } else if (digits.size() > 1 && digits[0] == '$') {
        digits.remove_prefix(1);
    } else {
        if (!TryTextToInt(text, number)) return false;
        digits = {};
    }
    if (!digits.empty()) {
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
        if (ec != std::errc() || end != digits.data() + digits.size() || number < 0) return false;
    }
    if (number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const Document doc = Load(path_);
    const Line* line = FindValue(doc, Trim(section), Trim(key));
    return line == nullptr ? std::string(defaultValue) : line->value;
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    int value = 0;
    return ParseInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key,
                          double defaultValue) const {
    double value = 0.0;
    const std::string text = ReplaceAll(ReadString(section, key, ""), ",", ".");
    return TryTextToFloat(text, value) ? value : defaultValue;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string sectionName = Trim(section);
    const std::string keyName = Trim(key);
    if (sectionName.empty() || keyName.empty()) return false;
    std::string valueText(value);
    for (char& c : valueText) {
        if (c == '\r' || c == '\n') c = ' ';
    }

    Document doc = Load(path_);
    const std::size_t header = FindSection(doc, sectionName);
    if (header == kNone) {
        CloseLastLine(doc);
        if (!doc.lines.empty() && !Trim(doc.lines.back().text).empty()) {
            doc.lines.push_back(MakeLine("", doc));
        }
        doc.lines.push_back(MakeLine("[" + sectionName + "]", doc));
        doc.lines.push_back(MakeLine(keyName + "=" + valueText, doc));
        return Save(path_, doc);
    }

    const std::size_t existing = FindKey(doc, header, keyName);
    if (existing != kNone) {
        Line& line = doc.lines[existing];
        // A value that already reads back the same leaves the operator's
        // spelling of the line (blanks, quotes) alone.
        if (line.value == valueText) return true;
        line.text = line.name + "=" + valueText;
        return Save(path_, doc);
    }

    // After the section's last key, so that trailing blank lines and comments
    // that lead into the next section stay where they are.
    std::size_t last = header;
    const std::size_t end = SectionEnd(doc, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (doc.lines[i].kind == LineKind::kKey) last = i;
    }
    if (last + 1 == doc.lines.size()) CloseLastLine(doc);
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                     MakeLine(keyName + "=" + valueText, doc));
    return Save(path_, doc);
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    return WriteString(section, key, FloatText(value));
}

bool IniFile::SectionExists(std::string_view section) const {
    return FindSection(Load(path_), Trim(section)) != kNone;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindValue(Load(path_), Trim(section), Trim(key)) != nullptr;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    const Document doc = Load(path_);
    const std::size_t header = FindSection(doc, Trim(section));
    if (header == kNone) return keys;
    const std::size_t end = SectionEnd(doc, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::kKey && FindKey(doc, header, line.name) == i) {
            keys.push_back(line.name);
        }
    }
    return keys;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> sections;
    const Document doc = Load(path_);
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::kHeader && !line.name.empty() &&
            FindSection(doc, line.name) == i) {
            sections.push_back(line.name);
        }
    }
    return sections;
}

bool IniFile::EraseSection(std::string_view section) {
    const std::string sectionName = Trim(section);
    Document doc = Load(path_);
    bool erased = false;
    std::size_t header = FindSection(doc, sectionName);
    while (header != kNone) {
        const std::size_t end = SectionEnd(doc, header);
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(header),
                        doc.lines.begin() + static_cast<std::ptrdiff_t>(end));
        erased = true;
        header = FindSection(doc, sectionName, header);
    }
    return !erased || Save(path_, doc);
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
    const std::string keyName = Trim(key);
    Document doc = Load(path_);
    const std::size_t header = FindSection(doc, Trim(section));
    if (header == kNone) return true;
    bool deleted = false;
    std::size_t index = FindKey(doc, header, keyName);
    while (index != kNone) {
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(index));
        deleted = true;
        index = FindKey(doc, header, keyName);
    }
    return !deleted || Save(path_, doc);
}

}  // namespace rubso
