// A register library whose answers a test writes beforehand, for the cases
// the substitute library never produces (a successful call without output,
// damaged output). Files under "scripted/" in the current directory:
//   result          the byte every call returns (decimal; 0 when missing)
//   output          copied to the output path by the reading functions
//                   (nothing is written when it is missing)
//   calls.txt       one line per call: the function's name, TAB, the input
//                   path, TAB, the output path (empty for one-path calls)

#include <cstdio>
#include <cstdlib>
#include <string>

#include "register/sim/winip_export.h"

namespace {

std::string ReadAll(const char* path, bool& found) {
    std::string text;
    std::FILE* file = std::fopen(path, "rb");
    found = file != nullptr;
    if (file == nullptr) return text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
}

unsigned char Answer(const char* name, const char* input, const char* output) {
    if (std::FILE* calls = std::fopen("scripted/calls.txt", "ab")) {
        std::fprintf(calls, "%s\t%s\t%s\n", name, input, output != nullptr ? output : "");
        std::fclose(calls);
    }
    bool found = false;
    if (output != nullptr) {
        const std::string text = ReadAll("scripted/output", found);
        if (found) {
            if (std::FILE* file = std::fopen(output, "wb")) {
                std::fwrite(text.data(), 1, text.size(), file);
                std::fclose(file);
            }
        }
    }
    const std::string result = ReadAll("scripted/result", found);
    return found ? static_cast<unsigned char>(std::atoi(result.c_str())) : 0;
}

}  // namespace

extern "C" {

WINIP_EXPORT unsigned char WINIP_CALL __ModStart(char* in) {
    return Answer("ModStart", in, nullptr);
}
WINIP_EXPORT unsigned char WINIP_CALL __ModStop(char* in) {
    return Answer("ModStop", in, nullptr);
}
WINIP_EXPORT unsigned char WINIP_CALL __ZTowar(char* in) {
    return Answer("ZTowar", in, nullptr);
}
WINIP_EXPORT unsigned char WINIP_CALL __ZCTowar(char* in) {
    return Answer("ZCTowar", in, nullptr);
}
WINIP_EXPORT unsigned char WINIP_CALL __KTowar(char* in) {
    return Answer("KTowar", in, nullptr);
}
WINIP_EXPORT unsigned char WINIP_CALL __KTowMax(char* in) {
    return Answer("KTowMax", in, nullptr);
}
WINIP_EXPORT unsigned char WINIP_CALL __TowarMax(char* in, char* out) {
    return Answer("TowarMax", in, out);
}
WINIP_EXPORT unsigned char WINIP_CALL __OSprzed(char* in, char* out) {
    return Answer("OSprzed", in, out);
}
WINIP_EXPORT unsigned char WINIP_CALL __OTSpMax(char* in, char* out) {
    return Answer("OTSpMax", in, out);
}
WINIP_EXPORT unsigned char WINIP_CALL __KSprOp(char* in) {
    return Answer("KSprOp", in, nullptr);
}

}  // extern "C"
