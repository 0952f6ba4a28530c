// The substitute library's input files: read as a call reads them, every
// record parsed as a goods record and as a deletion record. A record either
// passes with values inside the register's ranges or is refused with a code.

#include <string>

#include "fuzz/fuzz_support.h"
#include "register/sim/sim_input.h"
#include "register/sim/sim_state.h"

using namespace rubso::fuzz;
using namespace rubso::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteScratchFile("input.txt", Bytes(data, size));
    InputFile input;
    if (ReadInputFile(path.c_str(), input) != Error::kNone) return 0;
    Expect(input.registerNo >= 1 && input.registerNo <= 99, "the register number is 1 to 99");
    for (const std::string& line : input.records) {
        GoodsRecord record;
        if (ParseGoodsRecord(line, kDefaultMaxCode, record) == Error::kNone) {
            Expect(record.code >= 1 && record.code <= kDefaultMaxCode, "a code in range");
            Expect(record.price >= 1 && record.price <= kMaxPrice, "a price in range");
            Expect(record.name.size() <= kMaxNameLength, "a name that fits the display");
        }
        std::int64_t code = 0;
        if (ParseDeletionRecord(line, kDefaultMaxCode, code) == Error::kNone) {
            Expect(code >= 1 && code <= kDefaultMaxCode, "a deleted code in range");
        }
    }
    return 0;
}
