// The register's receipt lines (the library's output of OSprzed), read as the
// end of day reads them: a text is refused with a reason or gives lines whose
// fields hold no separator, and a quantity read is the one its sign and
// digits say.

#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "register/receipts_format.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace {

// `thousandths` written as the register writes a quantity ("-1.250").
std::string QuantityText(std::int64_t thousandths) {
    const std::uint64_t magnitude =
        thousandths < 0 ? 0 - static_cast<std::uint64_t>(thousandths) : thousandths;
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%03llu", thousandths < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 1000),
                  static_cast<unsigned long long>(magnitude % 1000));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = Bytes(data, size);
    std::string problem;
    const auto receipts = ParseReceipts(text, problem);
    Expect(receipts.has_value() || !problem.empty(), "refused receipts say why");
    if (receipts) {
        for (const ReceiptLine& line : *receipts) {
            Expect(line.receipt >= 0 && line.code >= 0,
                   "receipt numbers and codes are not negative");
            Expect(line.name.find_first_of("\t\r\n") == std::string::npos,
                   "a name holds no separator");
            Expect(line.text.find_first_of("\r\n") == std::string::npos, "a line is one line");
        }
    }
    // Each line of the text as a quantity.
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::optional<std::int64_t> quantity = ThousandthsOf(text.substr(start, end - start));
        if (quantity) {
            Expect((*quantity < 0) == (text[start] == '-' && *quantity != 0),
                   "a quantity is negative when written with a minus");
            Expect(ThousandthsOf(QuantityText(*quantity)) == quantity,
                   "a quantity read is the one its digits say");
        }
        start = end + 1;
    }
    return 0;
}
