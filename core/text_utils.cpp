#include "core/text_utils.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace rubso {
namespace {

bool IsBlankChar(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Index of the first character after the digits starting at `pos`.
std::size_t SkipDigits(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos;
}

std::string InvalidIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string InvalidFloatMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

// "-0.00" would read as a negative amount in a file; a value that rounds to
// zero is written without its sign.
void DropSignOfZero(std::string& text) {
    if (text.empty() || text[0] != '-') return;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '0' && text[i] != '.') return;
    }
    text.erase(0, 1);
}

}  // namespace

// --- Trimming ---------------------------------------------------------------

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

std::string TrimLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlankChar(text[begin])) ++begin;
    return std::string(text.substr(begin));
}

std::string TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlankChar(text[end - 1])) --end;
    return std::string(text.substr(0, end));
}

// --- Text -------------------------------------------------------------------

std::string TextBefore(std::string_view separator, std::string_view text) {
    const std::size_t pos = separator.empty() ? std::string_view::npos : text.find(separator);
    if (pos == std::string_view::npos) return std::string(text);
    return std::string(text.substr(0, pos));
}

std::string TextAfter(std::string_view separator, std::string_view text) {
    const std::size_t pos = separator.empty() ? std::string_view::npos : text.find(separator);
    if (pos == std::string_view::npos) return std::string(text);
    return std::string(text.substr(pos + separator.size()));
}

bool IsBlank(std::string_view text) {
    for (const char c : text) {
        if (!IsBlankChar(c)) return false;
    }
    return true;
}

std::string PadRight(std::string_view text, int width, char fill) {
    if (width <= 0) return {};
    const auto w = static_cast<std::size_t>(width);
    std::string out(text.substr(0, w));
    out.append(w - out.size(), fill);
    return out;
}

std::string PadLeft(std::string_view text, int width, char fill) {
    if (width <= 0) return {};
    const auto w = static_cast<std::size_t>(width);
    if (text.size() >= w) return std::string(text.substr(text.size() - w));
    std::string out(w - text.size(), fill);
    out.append(text);
    return out;
}

std::string IntPadLeft(std::int64_t value, int width, char fill) {
    return PadLeft(std::to_string(value), width, fill);
}

std::string NthField(std::string_view line, int n, char separator) {
    if (n < 1) return {};
    // Collapsing runs one pair at a time leaves no doubled separator, which
    // is what repeated replacing of a doubled separator by one comes to.
    std::string collapsed;
    collapsed.reserve(line.size() + 1);
    for (const char c : line) {
        if (c == separator && !collapsed.empty() && collapsed.back() == separator) continue;
        collapsed.push_back(c);
    }
    collapsed.push_back(separator);

    std::size_t start = 0;
    for (int field = 1; start < collapsed.size(); ++field) {
        const std::size_t end = collapsed.find(separator, start);
        if (field == n) return collapsed.substr(start, end - start);
        start = end + 1;
    }
    return {};
}

std::string DropRight(std::string_view text, int n) {
    if (n <= 0) return std::string(text);
    const auto drop = static_cast<std::size_t>(n);
    if (drop >= text.size()) return {};
    return std::string(text.substr(0, text.size() - drop));
}

std::string RemoveAll(std::string_view text, std::string_view pattern) {
    return ReplaceAll(text, pattern, {});
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c != '\r' && c != '\n') {
            ++pos;
            continue;
        }
        lines.emplace_back(text.substr(start, pos - start));
        ++pos;
        if (c == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
        start = pos;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<std::string_view> SplitTabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

// --- Numbers ----------------------------------------------------------------

bool TryTextToInt(std::string_view text, std::int64_t& value) {
    const std::string trimmed = Trim(text);
    std::string_view s = trimmed;
    const bool plus = !s.empty() && s[0] == '+';
    if (plus) s.remove_prefix(1);
    const std::size_t digitsFrom = (!plus && !s.empty() && s[0] == '-') ? 1 : 0;
    if (digitsFrom == s.size() || SkipDigits(s, digitsFrom) != s.size()) return false;
    std::int64_t result = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), result);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    value = result;
    return true;
}

bool TryTextToFloat(std::string_view text, double& value) {
    const std::string trimmed = Trim(text);
    std::string_view s = trimmed;
    // The number's shape is checked here so that nothing else (hex floats,
    // "inf", "nan") slips through the conversion below.
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t intEnd = SkipDigits(s, pos);
    std::size_t mantissaDigits = intEnd - pos;
    pos = intEnd;
    if (pos < s.size() && s[pos] == '.') {
        const std::size_t fracEnd = SkipDigits(s, pos + 1);
        mantissaDigits += fracEnd - (pos + 1);
        pos = fracEnd;
    }
    if (mantissaDigits == 0) return false;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
        const std::size_t expEnd = SkipDigits(s, pos);
        if (expEnd == pos) return false;
        pos = expEnd;
    }
    if (pos != s.size()) return false;

    if (s[0] == '+') s.remove_prefix(1);
    double result = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), result);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    value = result;
    return true;
}

std::int64_t TextToInt(std::string_view text) {
    std::int64_t value = 0;
    if (!TryTextToInt(text, value)) throw ConvertError(InvalidIntegerMessage(text));
    return value;
}

double TextToFloat(std::string_view text) {
    double value = 0.0;
    if (!TryTextToFloat(text, value)) throw ConvertError(InvalidFloatMessage(text));
    return value;
}

std::int64_t LeadingInt(std::string_view text) {
    const std::string trimmed = Trim(text);
    std::size_t end = 0;
    while (end < trimmed.size() && (IsDigit(trimmed[end]) || trimmed[end] == '-')) ++end;
    if (end == 0) return 0;
    return TextToInt(std::string_view(trimmed).substr(0, end));
}

double ParseDecimal(std::string_view text, double fallback) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) return fallback;

    std::string collected;
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (c == '-') {
            if (i == 0) collected.push_back(c);
            continue;
        }
        if (c != ',' && c != '.' && !IsDigit(c)) break;
        collected.push_back(c);
    }

    // Two tries, as the files were always read: "." turned into "," first,
    // which reads only numbers without any separator, then "," into ".".
    // A text with both separators ("1,234.5") fails both and gives 0.
    double value = 0.0;
    if (!TryTextToFloat(ReplaceAll(collected, ".", ","), value)) value = 0.0;
    if (value == 0.0 && !collected.empty()) {
        if (!TryTextToFloat(ReplaceAll(collected, ",", "."), value)) value = 0.0;
    }
    return value;
}

double RoundDecimals(int decimals, double value) {
    const double scale = std::pow(10.0, decimals);
    // The bias turns an exact half (which nearbyint would send to the even
    // neighbour) into a round up, and catches halves that binary fractions
    // store a hair too low, such as 1.005.
    const double rounded = std::nearbyint(scale * std::fabs(value) + 0.00001) / scale;
    return value < 0 ? -rounded : rounded;
}

std::string FloatText(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0.0) return "0";

    // 15 significant digits, rounded once: d.dddddddddddddde±x
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific, 14);
    std::string_view s(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const bool negative = s[0] == '-';
    if (negative) s.remove_prefix(1);
    const std::size_t ePos = s.find('e');
    std::string digits(1, s[0]);
    digits.append(s.substr(2, ePos - 2));
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string_view expText = s.substr(ePos + 1);
    if (expText[0] == '+') expText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    }
    return out;
}

std::string FixedText(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (!std::isfinite(value)) return FloatText(value);
    std::string buffer(330 + static_cast<std::size_t>(decimals), '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    buffer.resize(static_cast<std::size_t>(result.ptr - buffer.data()));
    DropSignOfZero(buffer);
    return buffer;
}

std::string DateDigits(const QDate& date) {
    if (!date.isValid()) return {};
    return std::to_string(date.year()) + IntPadLeft(date.month(), 2, '0') +
           IntPadLeft(date.day(), 2, '0');
}

std::string DateText(const QDate& date) {
    if (!date.isValid()) return {};
    return IntPadLeft(date.day(), 2, '0') + "." + IntPadLeft(date.month(), 2, '0') + "." +
           IntPadLeft(date.year(), 4, '0');
}

std::string TimeText(const QTime& time) {
    if (!time.isValid()) return {};
    return IntPadLeft(time.hour(), 2, '0') + ":" + IntPadLeft(time.minute(), 2, '0') + ":" +
           IntPadLeft(time.second(), 2, '0');
}

std::string DateTimeText(const QDateTime& moment) {
    if (!moment.isValid()) return {};
    const std::string date = DateText(moment.date());
    // Only a moment with no time at all, to the millisecond, is shown as a date.
    if (moment.time() == QTime(0, 0)) return date;
    return date + " " + TimeText(moment.time());
}

// --- SQL lists --------------------------------------------------------------

std::string SqlQuoted(std::string_view text, bool last) {
    return "'" + ReplaceAll(text, "'", "\"") + (last ? "'" : "',");
}

std::string SqlIntItem(std::int64_t value, bool last) {
    return std::to_string(value) + (last ? "" : ",");
}

// --- Keyed lines ------------------------------------------------------------

int FindItemByKey(std::string_view key, const std::vector<std::string>& lines, bool fromLeft) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if ((fromLeft && StartsWith(lines[i], key)) || EndsWith(lines[i], key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string FindLineByKey(std::string_view key, const std::vector<std::string>& lines,
                          bool fromLeft) {
    const int index = FindItemByKey(key, lines, fromLeft);
    if (index < 0) return {};
    const std::string_view line = lines[static_cast<std::size_t>(index)];
    // From the left the key's length is cut from the front even when the line
    // matched at its end: the caller asked for what follows a leading key.
    if (fromLeft) return Trim(line.substr(key.size()));
    return Trim(line.substr(0, line.size() - key.size()));
}

}  // namespace rubso
