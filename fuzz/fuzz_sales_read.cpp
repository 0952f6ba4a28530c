// The register's sales totals (the library's output of OTSpMax) turned into
// lines of the sales-read file: a line is refused with a reason, or becomes
// a line of exactly seven fields.

#include <QDate>
#include <algorithm>
#include <string>
#include <vector>

#include "core/text_utils.h"
#include "fuzz/fuzz_support.h"
#include "register/sales_read_format.h"

using namespace rubso;
using namespace rubso::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = SplitLines(Bytes(data, size));
    for (std::size_t i = kSalesHeaderLines; i < lines.size(); ++i) {
        if (IsBlank(lines[i])) continue;
        std::string problem;
        const auto parsed = ParseSalesTotalsLine(lines[i], problem);
        if (!parsed) {
            Expect(!problem.empty(), "a refused line says why");
            continue;
        }
        const std::string line = SalesReadLine("01", *parsed, "ASORT", QDate(2024, 5, 17), "12:30");
        Expect(std::count(line.begin(), line.end(), ';') == 6,
               "a sales-read line has seven fields");
        Expect(line.find_first_of("\r\n") == std::string::npos, "a sales-read line is one line");
    }
    return 0;
}
