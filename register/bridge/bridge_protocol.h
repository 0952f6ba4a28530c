#pragma once
// The framed protocol between the program and winip-bridge.exe, the 32-bit
// Windows program that loads the register vendor's WinIP.dll under Wine and
// calls its ten functions on the program's behalf. Plain C++ without Qt:
// the program's loader (register/winip_bridge_client.cpp) and the bridge
// (register/bridge/) both build from this file. Numbers are little-endian.
//
// The bridge runs in the program's working directory, so a relative path
// names the same file on both sides. Paths travel as the program has them
// (bytes of the Linux file system); the bridge turns them into Windows paths
// in the ANSI code page, the form the library expects.
//
// Opening, once:
//   program -> bridge: "WIPB", version, directory length (2 bytes), the
//                      directory of WinIP.dll.
//   bridge -> program: "WIPB", version, a StartStatus byte, text length
//                      (2 bytes), text. kReady: the ten functions are
//                      resolved, the text is the ANSI code page ("1250").
//                      Any other status: the text says what failed and the
//                      bridge ends.
//
// Calls, one at a time, until the program closes the bridge's input:
//   program -> bridge: function (1 byte, 0 to 9 in the order of
//                      WinIpFunction), input path length (2 bytes), input
//                      path, output path length (2 bytes), output path
//                      (length 0 for the functions without one).
//   bridge -> program: an Answer byte and a value byte.
//
// A request the bridge cannot take is answered and skipped: its lengths
// keep both sides in step. Input that ends within a frame ends the bridge.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rubso::bridge {

inline constexpr char kMagic[4] = {'W', 'I', 'P', 'B'};
inline constexpr std::uint8_t kVersion = 1;
inline constexpr int kFunctionCount = 10;
// The longest text a frame carries (the length field's range).
inline constexpr std::size_t kMaxFieldLength = 0xFFFF;

// The exported names, in the order of the function byte.
inline constexpr const char* kExportNames[kFunctionCount] = {
    "__ModStart", "__ModStop",  "__ZTowar",  "__ZCTowar", "__KTowar",
    "__KTowMax",  "__TowarMax", "__OSprzed", "__OTSpMax", "__KSprOp",
};

// TowarMax, OSprzed and OTSpMax (6 to 8) take an output path too.
inline constexpr bool TakesOutputPath(int function) {
    return function >= 6 && function <= 8;
}

enum class StartStatus : std::uint8_t {
    kReady = 0,
    kNoLibrary = 1,         // text: the Windows path looked for
    kNotLoadable = 2,       // text: "LoadLibrary: " + the Windows error code
    kMissingFunctions = 3,  // text: the missing names, ", " between them
    kBadOpening = 4,        // the opening frame was not one
};

enum class Answer : std::uint8_t {
    kCalled = 0,            // value: the library's byte
    kBadRequest = 1,        // unknown function or wrong number of paths
    kPathTooLong = 2,       // value: 1 input, 2 output; over 255 as a Windows path
    kPathNotEncodable = 3,  // value: 1 input, 2 output; outside the ANSI code page
};

inline void AppendLength(std::string& frame, std::size_t length) {
    frame += static_cast<char>(length & 0xFF);
    frame += static_cast<char>((length >> 8) & 0xFF);
}

inline std::size_t ReadLength(const unsigned char* bytes) {
    return static_cast<std::size_t>(bytes[0]) | (static_cast<std::size_t>(bytes[1]) << 8);
}

// Fields longer than kMaxFieldLength are the caller's to refuse.
inline std::string OpeningFrame(std::string_view directory) {
    std::string frame(kMagic, sizeof kMagic);
    frame += static_cast<char>(kVersion);
    AppendLength(frame, directory.size());
    frame += directory;
    return frame;
}

inline std::string RequestFrame(int function, std::string_view input, std::string_view output) {
    std::string frame(1, static_cast<char>(function));
    AppendLength(frame, input.size());
    frame += input;
    AppendLength(frame, output.size());
    frame += output;
    return frame;
}

}  // namespace rubso::bridge
