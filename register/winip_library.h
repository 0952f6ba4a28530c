#pragma once
// Run-time binding of the register vendor's communication library: ten C
// functions, each taking one or two pointers to 256-byte zero-terminated
// path buffers and returning one byte (0 = success). The library is loaded
// by file name from a given directory (the program's own), into this
// process, or, for the vendor's Windows library on Linux, driven through the
// bridge program under Wine (register/winip_bridge_client.h). A missing
// file or function is reported as an error text for the operator and
// nothing is called. Errors never raise.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace rubso {

class IniFile;
class WinIpBridgeClient;

inline constexpr char kWinIpDllName[] = "WinIP.dll";
inline constexpr char kWinIpSharedObjectName[] = "libWinIP.so";
// The file name the loader looks for on this platform.
#ifdef _WIN32
inline constexpr const char* kWinIpLibraryFileName = kWinIpDllName;
#else
inline constexpr const char* kWinIpLibraryFileName = kWinIpSharedObjectName;
#endif

enum class WinIpFunction {
    kModStart,
    kModStop,
    kZTowar,
    kZCTowar,
    kKTowar,
    kKTowMax,
    kTowarMax,
    kOSprzed,
    kOTSpMax,
    kKSprOp,
};
inline constexpr int kWinIpFunctionCount = 10;

// The operation name ("ZTowar"), used for file names and messages.
std::string_view WinIpOperationName(WinIpFunction function);
// The exported name ("__ZTowar").
std::string WinIpExportName(WinIpFunction function);
// TowarMax, OSprzed and OTSpMax take an input and an output path; the
// others the input path only.
bool WinIpTakesOutputPath(WinIpFunction function);

// A path as the library receives it: the text, a zero byte, zeros after.
inline constexpr std::size_t kDriverPathSize = 256;
using DriverPath = std::array<char, kDriverPathSize>;

// Fills `buffer` with the path. A path of more than 255 characters, or one
// holding a zero byte, would reach the library cut short: it is refused
// (false, buffer untouched), never shortened.
bool ToDriverPath(std::string_view path, DriverPath& buffer);

// The byte a caller keeps in place of a result when the library was not
// called; non-zero, so a sequence that stops on a non-zero result stops.
inline constexpr std::uint8_t kNotCalledResult = 255;

// What a call came to: the library's byte, or no call at all. The library
// may return any byte, 255 included; only Called() tells the two apart.
class WinIpResult {
  public:
    static WinIpResult Returned(std::uint8_t byte) { return WinIpResult(true, byte); }
    static WinIpResult NotCalled() { return WinIpResult(false, kNotCalledResult); }

    bool Called() const { return called_; }
    // The library's byte, or kNotCalledResult when nothing was called.
    std::uint8_t Byte() const { return byte_; }
    bool Succeeded() const { return called_ && byte_ == 0; }

  private:
    WinIpResult(bool called, std::uint8_t byte) : called_(called), byte_(byte) {}
    bool called_;
    std::uint8_t byte_;
};

// The bridge program that drives the Windows library under Wine, beside
// the program.
inline constexpr char kWinIpBridgeName[] = "winip-bridge.exe";

// How the program reaches the library.
struct WinIpSource {
    // The directory of the library file; empty: the current directory.
    std::string directory;
    // False: kWinIpLibraryFileName, loaded into this process. True:
    // kWinIpDllName, the vendor's Windows library, called through the
    // bridge program under Wine.
    bool throughWine = false;
    std::string wineCommand = "wine";  // a program and its arguments
    std::string winePrefix;            // WINEPREFIX; empty: the environment's
    std::string bridgePath;            // the bridge program
    bool operator==(const WinIpSource&) const = default;
};

// The settings of the program's settings file, section "Rubso", that choose
// the library: "WinIPDll", the directory of the vendor's WinIP.dll (relative
// to `appDir` unless absolute); when it is set the library is reached
// through Wine with the command "Wine" (default "wine"), the prefix
// "WinePrefix" (default: Wine's own) and the bridge "WinIPBridge" (default
// `appDir` + kWinIpBridgeName). Without it, or without a settings file:
// kWinIpLibraryFileName from `appDir`, in this process.
WinIpSource WinIpSourceFromSettings(const IniFile* settings, const std::string& appDir);

// The loaded library. Unloaded in the destructor; not copyable (two owners
// of one handle would unload it twice).
class WinIpLibrary {
  public:
    WinIpLibrary();
    ~WinIpLibrary();
    WinIpLibrary(const WinIpLibrary&) = delete;
    WinIpLibrary& operator=(const WinIpLibrary&) = delete;

    // Loads `directory` + kWinIpLibraryFileName (an empty directory means the
    // current one) and resolves all ten functions. A library loaded before is
    // unloaded first. On failure nothing stays loaded and LastError() names
    // the missing file or functions.
    bool Load(const std::string& directory);
    // As above, from where `source` says. Through Wine, loading checks that
    // the library, the bridge and Wine are there; the bridge starts at the
    // first call and stays for the next ones. A bridge that ended (killed,
    // crashed) fails the call it was in and is started again at the next.
    bool Load(const WinIpSource& source);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr || bridge_ != nullptr; }
    bool ThroughWine() const { return bridge_ != nullptr; }

    // The library file of the last Load.
    const std::string& Path() const { return path_; }
    // The reason for the last refusal (Windows-1250 text for the operator);
    // empty after a successful Load or call.
    const std::string& LastError() const { return lastError_; }

    // Calls a one-path function with the input path. Not called (and
    // LastError() set) when the library is not loaded, the path is refused by
    // ToDriverPath or the function needs an output path too; through Wine
    // also when the bridge cannot start, refuses a path it cannot give the
    // library, or ends during the call (the call's outcome is then unknown).
    WinIpResult Call(WinIpFunction function, const std::string& inputPath);
    // Calls a two-path function (TowarMax, OSprzed, OTSpMax).
    WinIpResult Call(WinIpFunction function, const std::string& inputPath,
                     const std::string& outputPath);

  private:
    WinIpResult Refuse(std::string message);
    WinIpResult CallBridge(WinIpFunction function, const std::string& inputPath,
                           const std::string& outputPath);

    void* handle_ = nullptr;
    std::unique_ptr<WinIpBridgeClient> bridge_;
    std::array<void*, kWinIpFunctionCount> functions_{};
    std::string path_;
    std::string lastError_;
};

}  // namespace rubso
