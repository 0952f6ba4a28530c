#include "register/bridge/windows_path.h"

#include <windows.h>

#include <cstring>
#include <cwctype>

namespace rubso::bridge {
namespace {

// Wine's code page of Unix file names (its own value, unknown to Windows).
constexpr UINT kUnixCodePage = 65010;

// Wine's own function turning a Unix path into a Windows one through its
// drive mappings; the caller frees the result from the process heap.
using DosFileNameFunction = WCHAR*(CDECL*)(const char*);

DosFileNameFunction WineDosFileName() {
    static const DosFileNameFunction function = [] {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        FARPROC found =
            kernel != nullptr ? ::GetProcAddress(kernel, "wine_get_dos_file_name") : nullptr;
        // Through void(*)() to say the cast is meant.
        return reinterpret_cast<DosFileNameFunction>(reinterpret_cast<void (*)()>(found));
    }();
    return function;
}

std::wstring Decode(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

// "X:\…" without "X:" when X is the current directory's drive.
bool DropCurrentDrive(std::wstring& form) {
    if (form.size() < 3 || form[1] != L':' || form[2] != L'\\') return false;
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH + 1, current);
    if (length < 2 || length > MAX_PATH || current[1] != L':' ||
        std::towupper(current[0]) != std::towupper(form[0])) {
        return false;
    }
    form.erase(0, 2);
    return true;
}

// The ANSI bytes of `form`; false when a character has none.
bool Encode(const std::wstring& form, std::string& bytes) {
    bytes.clear();
    if (form.empty()) return true;
    const UINT codePage = ::GetACP();
    // UTF-8 takes no flags and has every character.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    BOOL* defaultedOut = codePage == CP_UTF8 ? nullptr : &defaulted;
    const int size = static_cast<int>(form.size());
    const int length =
        ::WideCharToMultiByte(codePage, flags, form.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    bytes.assign(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, form.data(), size, bytes.data(), length, nullptr,
                          defaultedOut);
    return !defaulted;
}

}  // namespace

std::wstring WindowsPath(const std::string& unixPath) {
    if (unixPath.find('\0') != std::string::npos) return {};
    if (!unixPath.empty() && unixPath[0] == '/') {
        if (DosFileNameFunction function = WineDosFileName()) {
            if (WCHAR* dos = function(unixPath.c_str())) {
                std::wstring form(dos);
                ::HeapFree(::GetProcessHeap(), 0, dos);
                return form;
            }
        }
    }
    // A relative path (or no Wine): the same names, Windows separators.
    std::wstring form = Decode(unixPath, kUnixCodePage);
    if (form.empty()) form = Decode(unixPath, CP_UTF8);
    for (wchar_t& c : form) {
        if (c == L'/') c = L'\\';
    }
    return form;
}

PathResult ToLibraryPath(const std::string& unixPath, char* buffer) {
    std::wstring form = WindowsPath(unixPath);
    std::string bytes;
    if ((form.empty() && !unixPath.empty()) || !Encode(form, bytes)) {
        return PathResult::kNotEncodable;
    }
    if (bytes.size() >= kLibraryPathSize && DropCurrentDrive(form) && !Encode(form, bytes)) {
        return PathResult::kNotEncodable;
    }
    if (bytes.size() >= kLibraryPathSize) return PathResult::kTooLong;
    std::memset(buffer, 0, kLibraryPathSize);
    std::memcpy(buffer, bytes.data(), bytes.size());
    return PathResult::kOk;
}

}  // namespace rubso::bridge
