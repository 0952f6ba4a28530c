#include "register/receipts_format.h"

#include "core/codepage.h"
#include "core/text_utils.h"
#include "db/goods_catalogue.h"
#include "register/sales_read_format.h"

namespace rubso {
namespace {

constexpr std::size_t kReceiptFields = 8;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A whole number with an optional leading "-".
std::optional<std::int64_t> SignedNumber(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::optional<std::int64_t> magnitude = WholeNumber(text.substr(negative ? 1 : 0));
    if (!magnitude) return std::nullopt;
    return negative ? -*magnitude : *magnitude;
}

std::optional<ReceiptLine> ParseLine(const std::string& line, std::string& problem) {
    const std::vector<std::string_view> f = SplitTabFields(line);
    if (f.size() != kReceiptFields) {
        problem = Cp1250("nie osiem pól");
        return std::nullopt;
    }
    ReceiptLine parsed;
    parsed.text = line;
    const std::optional<std::int64_t> receipt = WholeNumber(Trim(f[0]));
    const std::string code = Trim(f[1]);
    const std::optional<std::int64_t> codeNumber =
        code.size() > 1 && code[0] == '$' ? WholeNumber(code.substr(1)) : std::nullopt;
    const std::optional<std::int64_t> quantity = ThousandthsOf(Trim(f[3]));
    const std::optional<std::int64_t> value = SignedNumber(Trim(f[6]));
    const std::string status = Trim(f[7]);
    if (!receipt || !codeNumber || !quantity || !value || (status != "S" && status != "A")) {
        problem = Cp1250("niepoprawny numer, kod, ilość, wartość lub status");
        return std::nullopt;
    }
    parsed.receipt = *receipt;
    parsed.codeText = code.substr(1);
    parsed.code = *codeNumber;
    parsed.name = TrimRight(f[2]);
    parsed.quantity = *quantity;
    parsed.value = *value;
    parsed.cancelled = status == "A";
    return parsed;
}

}  // namespace

std::optional<std::int64_t> ThousandthsOf(std::string_view text) {
    // One minus at most: "--1" is a damaged line, not a sale of one.
    if (!text.empty() && text.front() == '-') {
        const std::string_view rest = text.substr(1);
        if (!rest.empty() && rest.front() == '-') return std::nullopt;
        const std::optional<std::int64_t> magnitude = ThousandthsOf(rest);
        if (!magnitude) return std::nullopt;
        return -*magnitude;
    }
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (point != std::string_view::npos && (fraction.empty() || fraction.size() > 3)) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> units = WholeNumber(whole);
    if (!units) return std::nullopt;
    std::int64_t thousandths = *units * 1000;
    std::int64_t scale = 100;
    for (char c : fraction) {
        if (!IsDigit(c)) return std::nullopt;
        thousandths += (c - '0') * scale;
        scale /= 10;
    }
    return thousandths;
}

std::optional<std::vector<ReceiptLine>> ParseReceipts(std::string_view output,
                                                      std::string& problem) {
    const std::vector<std::string> lines = SplitLines(output);
    if (lines.size() < static_cast<std::size_t>(kSalesHeaderLines)) {
        problem = Cp1250("niepełny nagłówek paragonów");
        return std::nullopt;
    }
    std::vector<ReceiptLine> receipts;
    for (std::size_t i = kSalesHeaderLines; i < lines.size(); ++i) {
        if (IsBlank(lines[i])) continue;
        std::string why;
        std::optional<ReceiptLine> line = ParseLine(lines[i], why);
        if (!line) {
            problem = Cp1250("niepoprawny wiersz ") + std::to_string(i + 1) +
                      Cp1250(" paragonów (") + why + "): " + lines[i];
            return std::nullopt;
        }
        receipts.push_back(std::move(*line));
    }
    return receipts;
}

}  // namespace rubso
