#pragma once
// Paths of the program's (Linux) file system as the Windows library opens
// them: "/home/sklep/rubso/Dane/x.out" becomes "Z:\home\sklep\rubso\Dane\x.out"
// under Wine (the drive Wine maps to that directory), "in/ZTowar.in" becomes
// "in\ZTowar.in"; the result is in the process's ANSI code page (1250 under
// a Polish locale), the code page the library's file functions read.

#include <string>

#include "register/bridge/bridge_protocol.h"

namespace rubso::bridge {

// The library's buffers: 255 characters and the terminating zero.
inline constexpr std::size_t kLibraryPathSize = 256;

enum class PathResult { kOk, kTooLong, kNotEncodable };

// Fills `buffer` (kLibraryPathSize bytes) with the Windows form of
// `unixPath`, zero-terminated and zero-filled. An absolute path whose full
// form ("Z:\…") would not fit is given without its drive letter when that
// drive is the current one ("\…", the same file), so every path of up to
// 255 characters on the current drive reaches the library whole.
PathResult ToLibraryPath(const std::string& unixPath, char* buffer);

// The full Windows form of a path ("Z:\…"); empty when it has none.
std::wstring WindowsPath(const std::string& unixPath);

}  // namespace rubso::bridge
