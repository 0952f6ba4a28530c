// The library's error descriptions ("koment.txt"), loaded as the register
// exchange loads them and looked up for every code a call can return.

#include <string>
#include <vector>

#include "core/file_utils.h"
#include "core/text_utils.h"
#include "fuzz/fuzz_support.h"

using namespace rubso;
using namespace rubso::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteScratchFile("koment.txt", Bytes(data, size));
    const std::vector<std::string> lines = SplitLines(ReadFileText(path));
    for (int code = 0; code < 256; ++code) {
        const std::string description = FindLineByKey(IntPadLeft(code, 3) + "\t", lines, true);
        Expect(description.find_first_of("\r\n") == std::string::npos, "a description is one line");
    }
    return 0;
}
