#include "register/winip_library.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#define RUBSO_WINIP_CALL __cdecl
#else
#include <dlfcn.h>
#define RUBSO_WINIP_CALL
#endif

#include <filesystem>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "register/winip_bridge_client.h"

namespace rubso {
namespace {

using OnePathFunction = unsigned char(RUBSO_WINIP_CALL*)(char*);
using TwoPathFunction = unsigned char(RUBSO_WINIP_CALL*)(char*, char*);

constexpr std::array<std::string_view, kWinIpFunctionCount> kOperationNames = {
    "ModStart", "ModStop",  "ZTowar",  "ZCTowar", "KTowar",
    "KTowMax",  "TowarMax", "OSprzed", "OTSpMax", "KSprOp",
};

// --- Messages for the operator, each composed here only ---------------------

std::string MissingLibraryMessage(const std::string& path) {
    return Cp1250("Brak biblioteki kasy ") + path;
}

std::string UnloadableLibraryMessage(const std::string& path, const std::string& reason) {
    return Cp1250("Nie można załadować biblioteki kasy ") + path + " (" + reason + ")";
}

std::string MissingFunctionsMessage(const std::string& names, const std::string& path) {
    return Cp1250("Brak funkcji ") + names + Cp1250(" w bibliotece kasy ") + path;
}

std::string NotLoadedMessage(WinIpFunction function) {
    return Cp1250("Biblioteka kasy nie jest załadowana - nie wywołano funkcji ") +
           WinIpExportName(function);
}

std::string RefusedPathMessage(WinIpFunction function, std::string_view path) {
    if (path.find('\0') != std::string_view::npos) {
        return Cp1250("Niedozwolony znak w ścieżce pliku - nie wywołano funkcji ") +
               WinIpExportName(function);
    }
    return Cp1250("Ścieżka pliku dłuższa niż 255 znaków - nie wywołano funkcji ") +
           WinIpExportName(function) + ": " + std::string(path);
}

std::string WrongPathCountMessage(WinIpFunction function) {
    const char* need = WinIpTakesOutputPath(function) ? " wymaga ścieżki pliku wyjściowego"
                                                      : " nie przyjmuje pliku wyjściowego";
    return Cp1250("Funkcja ") + WinIpExportName(function) + Cp1250(" biblioteki kasy") +
           Cp1250(need) + Cp1250(" - nie wywołano jej");
}

// What the bridge under Wine may add.

std::string MissingBridgeMessage(const std::string& path) {
    return Cp1250("Brak mostka biblioteki kasy ") + path;
}

std::string WineNotFoundMessage(const std::string& command, const std::string& path) {
    return Cp1250("Nie znaleziono programu Wine (") + command +
           Cp1250(") - nie można załadować biblioteki kasy ") + path;
}

std::string BridgeEndedAtStartMessage(const std::string& path, const std::string& how) {
    return Cp1250("Mostek biblioteki kasy zakończył pracę przed załadowaniem biblioteki ") + path +
           " (" + how + ")";
}

std::string NoOpeningMessage(const std::string& path) {
    return Cp1250("Mostek biblioteki kasy nie załadował biblioteki ") + path + Cp1250(" w ciągu ") +
           std::to_string(kBridgeStartSeconds) + " s";
}

std::string StrangeOpeningMessage(const std::string& bridgePath) {
    return Cp1250("Mostek biblioteki kasy ") + bridgePath +
           Cp1250(" odpowiada w nieznanej postaci - nie wywołano funkcji");
}

std::string BridgeEndedInCallMessage(WinIpFunction function, const std::string& how) {
    return Cp1250("Mostek biblioteki kasy przerwał pracę w trakcie funkcji ") +
           WinIpExportName(function) + " (" + how +
           Cp1250(") - wynik nieznany; następne polecenie uruchomi go ponownie");
}

std::string RequestRefusedMessage(WinIpFunction function) {
    return Cp1250("Mostek biblioteki kasy odrzucił wywołanie funkcji ") + WinIpExportName(function);
}

std::string WindowsPathTooLongMessage(WinIpFunction function, const std::string& path) {
    return Cp1250(
               "Ścieżka pliku w postaci Windows dłuższa niż 255 znaków - nie wywołano funkcji ") +
           WinIpExportName(function) + ": " + path;
}

std::string PathNotEncodableMessage(WinIpFunction function, const std::string& path) {
    return Cp1250(
               "Ścieżki pliku nie da się zapisać w stronie kodowej Windows - nie wywołano "
               "funkcji ") +
           WinIpExportName(function) + ": " + path;
}

// --- Platform ---------------------------------------------------------------

void* OpenLibrary(const std::string& path, std::string& reason) {
#ifdef _WIN32
    HMODULE module = ::LoadLibraryA(path.c_str());
    if (module == nullptr) reason = "LoadLibrary: " + std::to_string(::GetLastError());
    return reinterpret_cast<void*>(module);
#else
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        reason = error != nullptr ? error : "dlopen";
    }
    return handle;
#endif
}

void* FindFunction(void* handle, const std::string& name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle), name.c_str()));
#else
    return ::dlsym(handle, name.c_str());
#endif
}

void CloseLibrary(void* handle) {
#ifdef _WIN32
    ::FreeLibrary(static_cast<HMODULE>(handle));
#else
    ::dlclose(handle);
#endif
}

}  // namespace

std::string_view WinIpOperationName(WinIpFunction function) {
    return kOperationNames[static_cast<std::size_t>(function)];
}

std::string WinIpExportName(WinIpFunction function) {
    return "__" + std::string(WinIpOperationName(function));
}

bool WinIpTakesOutputPath(WinIpFunction function) {
    return function == WinIpFunction::kTowarMax || function == WinIpFunction::kOSprzed ||
           function == WinIpFunction::kOTSpMax;
}

bool ToDriverPath(std::string_view path, DriverPath& buffer) {
    if (path.size() >= kDriverPathSize || path.find('\0') != std::string_view::npos) return false;
    buffer.fill('\0');
    std::copy(path.begin(), path.end(), buffer.begin());
    return true;
}

WinIpSource WinIpSourceFromSettings(const IniFile* settings, const std::string& appDir) {
    WinIpSource source;
    source.directory = appDir;
    if (settings == nullptr) return source;
    constexpr const char* kSection = "Rubso";
    const std::string dll = settings->ReadString(kSection, "WinIPDll", "");
    if (dll.empty()) return source;
    source.throughWine = true;
    source.directory = std::filesystem::path(dll).is_absolute() ? dll : appDir + dll;
    source.wineCommand = settings->ReadString(kSection, "Wine", "");
    if (source.wineCommand.empty()) source.wineCommand = "wine";
    source.winePrefix = settings->ReadString(kSection, "WinePrefix", "");
    source.bridgePath = settings->ReadString(kSection, "WinIPBridge", "");
    if (source.bridgePath.empty()) source.bridgePath = appDir + kWinIpBridgeName;
    return source;
}

WinIpLibrary::WinIpLibrary() = default;

WinIpLibrary::~WinIpLibrary() {
    Unload();
}

void WinIpLibrary::Unload() {
    if (handle_ != nullptr) CloseLibrary(handle_);
    handle_ = nullptr;
    functions_.fill(nullptr);
    bridge_.reset();
}

bool WinIpLibrary::Load(const std::string& directory) {
    WinIpSource source;
    source.directory = directory;
    return Load(source);
}

bool WinIpLibrary::Load(const WinIpSource& source) {
    Unload();
    const std::string folder = source.directory.empty() ? std::string(".") : source.directory;
    const std::string slash(1, kPathSeparator);
    if (source.throughWine) {
        path_ = WithTrailingSeparator(folder, slash) + kWinIpDllName;
        if (!FileExists(path_)) {
            lastError_ = MissingLibraryMessage(path_);
        } else if (!FileExists(source.bridgePath)) {
            lastError_ = MissingBridgeMessage(source.bridgePath);
        } else if (!WinIpBridgeClient::WineFound(source.wineCommand)) {
            lastError_ = WineNotFoundMessage(source.wineCommand, path_);
        } else {
            bridge_ = std::make_unique<WinIpBridgeClient>(WineBridgeSettings{
                folder, source.wineCommand, source.winePrefix, source.bridgePath});
            lastError_.clear();
        }
        return bridge_ != nullptr;
    }
    path_ = WithTrailingSeparator(folder, slash) + kWinIpLibraryFileName;
    if (!FileExists(path_)) {
        lastError_ = MissingLibraryMessage(path_);
        return false;
    }
    std::string reason;
    void* handle = OpenLibrary(path_, reason);
    if (handle == nullptr) {
        lastError_ = UnloadableLibraryMessage(path_, reason);
        return false;
    }
    std::array<void*, kWinIpFunctionCount> found{};
    std::string missing;
    for (int i = 0; i < kWinIpFunctionCount; ++i) {
        const std::string name = WinIpExportName(static_cast<WinIpFunction>(i));
        found[static_cast<std::size_t>(i)] = FindFunction(handle, name);
        if (found[static_cast<std::size_t>(i)] == nullptr) {
            missing += (missing.empty() ? "" : ", ") + name;
        }
    }
    if (!missing.empty()) {
        CloseLibrary(handle);
        lastError_ = MissingFunctionsMessage(missing, path_);
        return false;
    }
    handle_ = handle;
    functions_ = found;
    lastError_.clear();
    return true;
}

WinIpResult WinIpLibrary::Refuse(std::string message) {
    lastError_ = std::move(message);
    return WinIpResult::NotCalled();
}

WinIpResult WinIpLibrary::Call(WinIpFunction function, const std::string& inputPath) {
    if (WinIpTakesOutputPath(function)) return Refuse(WrongPathCountMessage(function));
    if (!IsLoaded()) return Refuse(NotLoadedMessage(function));
    DriverPath input;
    if (!ToDriverPath(inputPath, input)) return Refuse(RefusedPathMessage(function, inputPath));
    if (bridge_) return CallBridge(function, inputPath, {});
    auto entry = reinterpret_cast<OnePathFunction>(functions_[static_cast<std::size_t>(function)]);
    lastError_.clear();
    return WinIpResult::Returned(entry(input.data()));
}

WinIpResult WinIpLibrary::Call(WinIpFunction function, const std::string& inputPath,
                               const std::string& outputPath) {
    if (!WinIpTakesOutputPath(function)) return Refuse(WrongPathCountMessage(function));
    if (!IsLoaded()) return Refuse(NotLoadedMessage(function));
    DriverPath input;
    DriverPath output;
    if (!ToDriverPath(inputPath, input)) return Refuse(RefusedPathMessage(function, inputPath));
    if (!ToDriverPath(outputPath, output)) return Refuse(RefusedPathMessage(function, outputPath));
    if (bridge_) return CallBridge(function, inputPath, outputPath);
    auto entry = reinterpret_cast<TwoPathFunction>(functions_[static_cast<std::size_t>(function)]);
    lastError_.clear();
    return WinIpResult::Returned(entry(input.data(), output.data()));
}

WinIpResult WinIpLibrary::CallBridge(WinIpFunction function, const std::string& inputPath,
                                     const std::string& outputPath) {
    const BridgeOutcome outcome = bridge_->Call(static_cast<int>(function), inputPath, outputPath);
    const std::string& path = outcome.value == 2 ? outputPath : inputPath;
    switch (outcome.problem) {
        case BridgeProblem::kNone:
            lastError_.clear();
            return WinIpResult::Returned(outcome.value);
        case BridgeProblem::kWineNotStarted:
            return Refuse(WineNotFoundMessage(outcome.detail, path_));
        case BridgeProblem::kEndedAtStart:
            return Refuse(BridgeEndedAtStartMessage(path_, outcome.detail));
        case BridgeProblem::kNoOpening:
            return Refuse(NoOpeningMessage(path_));
        case BridgeProblem::kStrangeOpening:
            return Refuse(StrangeOpeningMessage(bridge_->Settings().bridgePath));
        case BridgeProblem::kNoLibrary:
            return Refuse(MissingLibraryMessage(path_));
        case BridgeProblem::kNotLoadable:
            return Refuse(UnloadableLibraryMessage(path_, outcome.detail));
        case BridgeProblem::kMissingFunctions:
            return Refuse(MissingFunctionsMessage(outcome.detail, path_));
        case BridgeProblem::kEndedInCall:
            return Refuse(BridgeEndedInCallMessage(function, outcome.detail));
        case BridgeProblem::kPathTooLong:
            return Refuse(WindowsPathTooLongMessage(function, path));
        case BridgeProblem::kPathNotEncodable:
            return Refuse(PathNotEncodableMessage(function, path));
        case BridgeProblem::kRequestRefused:
            break;
    }
    return Refuse(RequestRefusedMessage(function));
}

}  // namespace rubso
