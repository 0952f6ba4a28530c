// Line splitting and number parsing, as every file the program reads goes
// through them: no line keeps a line break, the conversions never raise
// anything but ConvertError, and a number written by the program reads back
// as the same text.

#include <cmath>
#include <string>

#include "core/text_utils.h"
#include "fuzz/fuzz_support.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace {

void CheckNumbers(const std::string& text) {
    ParseDecimal(text, -1.0);
    try {
        LeadingInt(text);
    } catch (const ConvertError&) {
    }

    std::int64_t integer = 0;
    if (TryTextToInt(text, integer)) {
        Expect(TextToInt(std::to_string(integer)) == integer, "an integer reads back");
    }
    double number = 0.0;
    if (TryTextToFloat(text, number)) {
        FixedText(number, 2);
        RoundDecimals(2, number);
    }
    // Fifteen significant digits survive a trip through a double (next to
    // the largest double they round beyond it).
    if (TryTextToFloat(text, number) && std::fabs(number) < 1e300) {
        const std::string written = FloatText(number);
        double again = 0.0;
        Expect(TryTextToFloat(written, again), "a written number reads");
        Expect(FloatText(again) == written, "a written number reads back as written");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = Bytes(data, size);
    CheckNumbers(std::string(text));
    const std::vector<std::string> lines = SplitLines(text);
    std::size_t kept = 0;
    for (const std::string& line : lines) {
        Expect(line.find_first_of("\r\n") == std::string::npos, "a line holds no line break");
        kept += line.size();
        CheckNumbers(line);
        for (int field = 0; field < 4; ++field) CheckNumbers(NthField(line, field, ';'));
    }
    Expect(kept <= text.size(), "lines hold no more than the text");
    if (!lines.empty()) {
        FindLineByKey(lines.front(), lines, true);
        FindLineByKey(lines.back(), lines, false);
    }
    return 0;
}
