#include "db/fb_sql_params.h"

#include <cctype>

namespace rubso::fb {
namespace {

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$';
}

// Length of the quoted text, quoted name or comment starting at `pos`, or 0
// when none starts there. An unterminated one runs to the end of the text.
std::size_t SkippedLength(std::string_view sql, std::size_t pos) {
    const char c = sql[pos];
    const char next = pos + 1 < sql.size() ? sql[pos + 1] : '\0';
    std::size_t end = std::string_view::npos;
    if (c == '\'' || c == '"') {
        // A doubled quote inside is two adjacent quoted parts: same result.
        end = sql.find(c, pos + 1);
        if (end != std::string_view::npos) ++end;
    } else if (c == '-' && next == '-') {
        end = sql.find('\n', pos + 2);
    } else if (c == '/' && next == '*') {
        end = sql.find("*/", pos + 2);
        if (end != std::string_view::npos) end += 2;
    } else {
        return 0;
    }
    return (end == std::string_view::npos ? sql.size() : end) - pos;
}

// The words of the statement's beginning, upper-cased, skipping blanks and
// comments; at most `count` of them.
std::vector<std::string> LeadingWords(std::string_view sql, std::size_t count) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < sql.size() && words.size() < count) {
        const char c = sql[pos];
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            ++pos;
        } else if ((c == '-' || c == '/') && SkippedLength(sql, pos) > 0) {
            pos += SkippedLength(sql, pos);
        } else if (IsIdentStart(c)) {
            std::string word;
            while (pos < sql.size() && IsIdentChar(sql[pos])) {
                word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[pos])));
                ++pos;
            }
            words.push_back(std::move(word));
        } else {
            break;
        }
    }
    return words;
}

bool IsRoutineKind(const std::string& word) {
    return word == "PROCEDURE" || word == "TRIGGER" || word == "FUNCTION" || word == "PACKAGE";
}

}  // namespace

bool IsRoutineDefinition(std::string_view sql) {
    const std::vector<std::string> w = LeadingWords(sql, 4);
    auto at = [&w](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    if (at(0) == "EXECUTE") return at(1) == "BLOCK";
    if (at(0) == "CREATE" && at(1) == "OR" && at(2) == "ALTER") return IsRoutineKind(at(3));
    if (at(0) == "CREATE" || at(0) == "ALTER" || at(0) == "RECREATE") return IsRoutineKind(at(1));
    return false;
}

ServerStatement TranslateNamedParams(std::string_view sql) {
    ServerStatement result;
    if (IsRoutineDefinition(sql)) {
        result.text = std::string(sql);
        return result;
    }
    result.text.reserve(sql.size());
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const char c = sql[pos];
        if (const std::size_t skip = SkippedLength(sql, pos); skip > 0) {
            result.text.append(sql.substr(pos, skip));
            pos += skip;
        } else if (c == ':' && pos + 1 < sql.size() && IsIdentStart(sql[pos + 1])) {
            std::size_t end = pos + 1;
            while (end < sql.size() && IsIdentChar(sql[end])) ++end;
            result.markers.emplace_back(sql.substr(pos + 1, end - pos - 1));
            result.text += '?';
            pos = end;
        } else {
            if (c == '?') result.markers.emplace_back();
            result.text += c;
            ++pos;
        }
    }
    return result;
}

}  // namespace rubso::fb
