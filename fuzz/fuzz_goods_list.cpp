// The register's goods list (the library's output of TowarMax): read as the
// program reads it, in both letter standards.

#include <string>
#include <vector>

#include "core/text_utils.h"
#include "fuzz/fuzz_support.h"
#include "register/register_code_table.h"

using namespace rubso;
using namespace rubso::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = SplitLines(Bytes(data, size));
    for (const int letterStandardIndex : {0, 1}) {
        std::string problem;
        const auto rows = ParseRegisterGoodsList(lines, letterStandardIndex, problem);
        Expect(rows.has_value() || !problem.empty(), "a refused list says why");
        if (!rows) continue;
        for (const RegisterCodeRow& row : *rows) {
            Expect(row.kod >= 0 && row.cena >= 0, "codes and prices are not negative");
        }
    }
    return 0;
}
