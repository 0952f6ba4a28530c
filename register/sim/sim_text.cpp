#include "register/sim/sim_text.h"

#include <array>

namespace rubso::sim {
namespace {

constexpr std::int64_t kClamp = 1'000'000'000'000'000'000;

struct PolishLetter {
    char32_t codePoint;
    unsigned char cp1250;
    unsigned char cp852;
};

constexpr std::array<PolishLetter, 18> kPolishLetters = {{
    {0x0105, 0xB9, 0xA5},
    {0x0107, 0xE6, 0x86},
    {0x0119, 0xEA, 0xA9},
    {0x0142, 0xB3, 0x88},
    {0x0144, 0xF1, 0xE4},
    {0x00F3, 0xF3, 0xA2},
    {0x015B, 0x9C, 0x98},
    {0x017A, 0x9F, 0xAB},
    {0x017C, 0xBF, 0xBE},
    {0x0104, 0xA5, 0xA4},
    {0x0106, 0xC6, 0x8F},
    {0x0118, 0xCA, 0xA8},
    {0x0141, 0xA3, 0x9D},
    {0x0143, 0xD1, 0xE3},
    {0x00D3, 0xD3, 0xE0},
    {0x015A, 0x8C, 0x97},
    {0x0179, 0x8F, 0x8D},
    {0x017B, 0xAF, 0xBD},
}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

void SplitTabs(std::string_view text, std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (std::size_t tab = text.find('\t'); tab != std::string_view::npos;
         tab = text.find('\t', start)) {
        fields.push_back(text.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(text.substr(start));
}

std::vector<std::string> SplitTabs(std::string_view text) {
    std::vector<std::string_view> views;
    SplitTabs(text, views);
    return {views.begin(), views.end()};
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

NumberParse ParseDigits(std::string_view text, std::int64_t& value) {
    if (text.empty()) return NumberParse::kMalformed;
    std::int64_t result = 0;
    for (char c : text) {
        if (!IsDigit(c)) return NumberParse::kMalformed;
        const int digit = c - '0';
        // Checked before multiplying: the value never leaves [0, kClamp],
        // however many digits follow.
        result = result > (kClamp - digit) / 10 ? kClamp : result * 10 + digit;
    }
    value = result;
    return NumberParse::kOk;
}

NumberParse ParseInteger(std::string_view text, std::int64_t& value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    std::int64_t magnitude = 0;
    if (ParseDigits(text, magnitude) != NumberParse::kOk) return NumberParse::kMalformed;
    value = negative ? -magnitude : magnitude;
    return NumberParse::kOk;
}

NumberParse ParseQuantity(std::string_view text, std::int64_t& thousandths) {
    const std::size_t separator = text.find_first_of(".,");
    std::string_view whole = text.substr(0, separator);
    std::string_view fraction =
        separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
    if (separator != std::string_view::npos && fraction.empty()) return NumberParse::kMalformed;
    if (fraction.size() > 3) return NumberParse::kMalformed;
    std::int64_t units = 0;
    if (ParseDigits(whole, units) != NumberParse::kOk) return NumberParse::kMalformed;
    std::int64_t parts = 0;
    if (!fraction.empty() && ParseDigits(fraction, parts) != NumberParse::kOk) {
        return NumberParse::kMalformed;
    }
    for (std::size_t i = fraction.size(); i < 3; ++i) parts *= 10;
    if (units >= kClamp / 1000) units = kClamp / 1000;
    thousandths = units * 1000 + parts;
    return NumberParse::kOk;
}

std::string QuantityText(std::int64_t thousandths) {
    std::string text = std::to_string(thousandths / 1000);
    std::int64_t fraction = thousandths % 1000;
    if (fraction == 0) return text;
    std::string digits = std::to_string(fraction);
    digits.insert(0, 3 - digits.size(), '0');
    while (digits.back() == '0') digits.pop_back();
    return text + "." + digits;
}

std::string CodeText(std::int64_t code) {
    std::string digits = std::to_string(code);
    if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
    return digits;
}

std::string TwoDigits(int number) {
    std::string digits = std::to_string(number);
    if (digits.size() < 2) digits.insert(0, 1, '0');
    return digits;
}

std::string Utf8ToCp1250(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t cp = 0;
        if (length == 2 && i + 1 < utf8.size()) {
            cp = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        }
        char mapped = '?';
        for (const PolishLetter& letter : kPolishLetters) {
            if (letter.codePoint == cp) mapped = static_cast<char>(letter.cp1250);
        }
        out += mapped;
        i += length;
    }
    return out;
}

std::string Cp852ToUtf8(std::string_view cp852) {
    std::string out;
    for (char c : cp852) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
            continue;
        }
        char32_t cp = '?';
        for (const PolishLetter& letter : kPolishLetters) {
            if (letter.cp852 == byte) cp = letter.codePoint;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace rubso::sim
