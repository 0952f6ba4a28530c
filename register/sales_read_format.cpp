#include "register/sales_read_format.h"

#include <cmath>
#include <vector>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "db/goods_catalogue.h"

namespace rubso {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An optional "-", digits, and at most one "." or "," with digits after it.
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        std::size_t fraction = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++fraction;
        if (fraction == 0) return false;
    }
    return digits > 0 && i == text.size();
}

}  // namespace

std::optional<SalesTotalsLine> ParseSalesTotalsLine(std::string_view line, std::string& problem) {
    const std::vector<std::string_view> fields = SplitTabFields(line);
    if (fields.size() < 3) {
        problem = Cp1250("mniej niż trzy pola");
        return std::nullopt;
    }
    SalesTotalsLine parsed;
    parsed.codeText = fields[0].size() > 1 ? Trim(fields[0].substr(1, 20)) : std::string();
    if (parsed.codeText.empty()) {
        problem = Cp1250("brak kodu towaru");
        return std::nullopt;
    }
    // The code is a field of the sales-read line: a ";" in it would move the
    // quantity and the value into other fields.
    if (parsed.codeText.find(';') != std::string::npos) {
        problem = Cp1250("średnik w kodzie towaru");
        return std::nullopt;
    }
    parsed.code = RegisterCodeOf(parsed.codeText);
    parsed.quantity = Trim(fields[1]);
    if (!IsDecimalNumber(parsed.quantity)) {
        problem = Cp1250("ilość nie jest liczbą");
        return std::nullopt;
    }
    parsed.valueText = Trim(fields[2]);
    if (!IsDecimalNumber(parsed.valueText)) {
        problem = Cp1250("wartość nie jest liczbą");
        return std::nullopt;
    }
    return parsed;
}

std::string SalesValueText(std::string_view valueText) {
    const double grosze = ParseDecimal(valueText);
    // Whole grosze, halves to even (the default rounding mode), then zloty.
    const double whole = std::nearbyint(grosze);
    return FloatText(whole / 100.0);
}

std::string SalesReadLine(std::string_view registerCode, const SalesTotalsLine& line,
                          std::string_view asort, const QDate& today, std::string_view time) {
    std::string text(registerCode);
    text += ';';
    text += line.codeText;
    text += ';';
    text += asort;
    text += ';';
    text += line.quantity;
    text += ';';
    text += SalesValueText(line.valueText);
    text += ';';
    text += DateDigits(today);
    text += ';';
    text += time;
    return text;
}

std::string SalesReadFileName(const QDate& today, int number) {
    return DateDigits(today) + "_" + std::to_string(number) + ".txt";
}

int NextSalesReadNumber(const std::string& kasaDir, const QDate& today) {
    int number = CountFiles(kasaDir, DateDigits(today) + "*.txt") + 1;
    while (FileExists(kasaDir + SalesReadFileName(today, number))) ++number;
    return number;
}

}  // namespace rubso
