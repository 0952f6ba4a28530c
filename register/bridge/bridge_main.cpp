// winip-bridge.exe: the register vendor's WinIP.dll (32-bit Windows) called
// on behalf of the program, which runs this under Wine and talks to it
// through its standard input and output (register/bridge/bridge_protocol.h).
// One call at a time, until the input closes. Whatever the library writes
// to the standard output goes to the standard error instead, so that it
// never mixes with the answers.
//
// Exit status: 0 the input closed between frames; 1 it closed within one;
// 2 the opening failed (reported in the opening answer); 3 the output
// closed; a fault in the library ends it at once with the fault's code
// (0xC0000005, seen from Linux as 5), no crash dialog waiting for anyone.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "register/bridge/bridge_protocol.h"
#include "register/bridge/windows_path.h"

namespace {

using namespace rubso::bridge;

using OnePathFunction = unsigned char(__cdecl*)(char*);
using TwoPathFunction = unsigned char(__cdecl*)(char*, char*);

// The protocol's own ends of the standard input and output.
int protocolIn = -1;
int protocolOut = -1;

// Reads exactly `count` bytes; false when the input ends first.
bool ReadExactly(void* target, std::size_t count) {
    auto* bytes = static_cast<char*>(target);
    while (count > 0) {
        const int chunk = count > 0x10000 ? 0x10000 : static_cast<int>(count);
        const int got = ::_read(protocolIn, bytes, static_cast<unsigned>(chunk));
        if (got <= 0) return false;
        bytes += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const int wrote =
            ::_write(protocolOut, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// A length field and the bytes it announces.
bool ReadField(std::string& field) {
    unsigned char length[2];
    if (!ReadExactly(length, sizeof length)) return false;
    field.assign(ReadLength(length), '\0');
    return field.empty() || ReadExactly(field.data(), field.size());
}

// Takes the standard input and output for the protocol and points the
// process's own at the standard error and the null device, in binary mode.
bool TakeStandardChannels() {
    ::_setmode(0, _O_BINARY);
    ::_setmode(1, _O_BINARY);
    protocolIn = ::_dup(0);
    protocolOut = ::_dup(1);
    if (protocolIn < 0 || protocolOut < 0) return false;
    ::_setmode(protocolIn, _O_BINARY);
    ::_setmode(protocolOut, _O_BINARY);
    std::fflush(stdout);
    ::_dup2(2, 1);
    ::SetStdHandle(STD_OUTPUT_HANDLE, ::GetStdHandle(STD_ERROR_HANDLE));
    const int nothing = ::_open("NUL", _O_RDONLY | _O_BINARY);
    if (nothing >= 0) {
        ::_dup2(nothing, 0);
        ::_close(nothing);
    }
    return true;
}

bool SendOpening(StartStatus status, const std::string& text) {
    std::string frame(kMagic, sizeof kMagic);
    frame += static_cast<char>(kVersion);
    frame += static_cast<char>(status);
    AppendLength(frame, text.size() > kMaxFieldLength ? kMaxFieldLength : text.size());
    frame.append(text, 0, kMaxFieldLength);
    return WriteAll(frame);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// Reads the opening frame, loads the library and resolves the ten
// functions; answers the opening either way. The module handle stays
// loaded for the life of the process.
bool Open(std::array<FARPROC, kFunctionCount>& functions) {
    char magic[sizeof kMagic + 1];
    std::string directory;
    if (!ReadExactly(magic, sizeof magic) ||
        std::string(magic, sizeof kMagic) != std::string(kMagic, sizeof kMagic) ||
        static_cast<std::uint8_t>(magic[sizeof kMagic]) != kVersion || !ReadField(directory)) {
        SendOpening(StartStatus::kBadOpening, "");
        return false;
    }
    std::wstring path = WindowsPath(directory);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += L"WinIP.dll";
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        SendOpening(StartStatus::kNoLibrary, Utf8(path));
        return false;
    }
    // The library's directory is searched for the libraries it needs.
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        SendOpening(StartStatus::kNotLoadable, "LoadLibrary: " + std::to_string(::GetLastError()));
        return false;
    }
    std::string missing;
    for (int i = 0; i < kFunctionCount; ++i) {
        functions[static_cast<std::size_t>(i)] = ::GetProcAddress(module, kExportNames[i]);
        if (functions[static_cast<std::size_t>(i)] == nullptr) {
            missing += (missing.empty() ? "" : ", ") + std::string(kExportNames[i]);
        }
    }
    if (!missing.empty()) {
        SendOpening(StartStatus::kMissingFunctions, missing);
        return false;
    }
    return SendOpening(StartStatus::kReady, std::to_string(::GetACP()));
}

std::string AnswerFrame(Answer answer, unsigned char value) {
    return {static_cast<char>(answer), static_cast<char>(value)};
}

std::string PathRefusal(PathResult result, unsigned char which) {
    return AnswerFrame(
        result == PathResult::kTooLong ? Answer::kPathTooLong : Answer::kPathNotEncodable, which);
}

// One request, already read: checked, converted, called.
std::string Serve(const std::array<FARPROC, kFunctionCount>& functions, int function,
                  const std::string& input, const std::string& output) {
    if (function < 0 || function >= kFunctionCount || TakesOutputPath(function) == output.empty()) {
        return AnswerFrame(Answer::kBadRequest, 0);
    }
    char inputBuffer[kLibraryPathSize];
    char outputBuffer[kLibraryPathSize];
    if (PathResult r = ToLibraryPath(input, inputBuffer); r != PathResult::kOk) {
        return PathRefusal(r, 1);
    }
    // Through void(*)() to say the cast is meant.
    const auto entry = reinterpret_cast<void (*)()>(functions[static_cast<std::size_t>(function)]);
    if (!TakesOutputPath(function)) {
        return AnswerFrame(Answer::kCalled, reinterpret_cast<OnePathFunction>(entry)(inputBuffer));
    }
    if (PathResult r = ToLibraryPath(output, outputBuffer); r != PathResult::kOk) {
        return PathRefusal(r, 2);
    }
    return AnswerFrame(Answer::kCalled,
                       reinterpret_cast<TwoPathFunction>(entry)(inputBuffer, outputBuffer));
}

LONG WINAPI EndOnFault(EXCEPTION_POINTERS* fault) {
    ::TerminateProcess(::GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(EndOnFault);
    if (!TakeStandardChannels()) return 3;
    std::array<FARPROC, kFunctionCount> functions{};
    if (!Open(functions)) return 2;
    std::string input;
    std::string output;
    for (;;) {
        unsigned char function = 0;
        if (!ReadExactly(&function, 1)) return 0;
        if (!ReadField(input) || !ReadField(output)) return 1;
        if (!WriteAll(Serve(functions, function, input, output))) return 3;
    }
}
