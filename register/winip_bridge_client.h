#pragma once
// The register vendor's Windows library reached from Linux: winip-bridge.exe
// (register/bridge/) runs under Wine, loads WinIP.dll and calls it for the
// program, one call at a time, over its standard input and output
// (register/bridge/bridge_protocol.h). The bridge is started at the first
// call and kept until Stop() or the destructor; one that has ended (killed,
// crashed) is started again at the next call.
//
// Outcomes are plain values; WinIpLibrary turns them into the operator's
// messages. One thread; every wait blocks it (a call as long as the
// library takes, the start at most kBridgeStartSeconds).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QProcess;

namespace rubso {

// How long the bridge may take to load the library and answer: a Wine
// prefix made at the first start takes tens of seconds.
inline constexpr int kBridgeStartSeconds = 120;

struct WineBridgeSettings {
    std::string libraryDirectory;  // the directory of WinIP.dll (a Linux path)
    std::string wineCommand;       // program and arguments, blank-separated
    std::string winePrefix;        // WINEPREFIX; empty: the environment's
    std::string bridgePath;        // winip-bridge.exe
};

enum class BridgeProblem {
    kNone,
    kWineNotStarted,    // detail: the command
    kEndedAtStart,      // detail: how it ended (and Wine's last words)
    kNoOpening,         // no opening answer within kBridgeStartSeconds
    kStrangeOpening,    // an answer that is not the bridge's
    kNoLibrary,         // detail: the Windows path looked for
    kNotLoadable,       // detail: the Windows error
    kMissingFunctions,  // detail: the names
    kEndedInCall,       // detail: how it ended
    kRequestRefused,
    kPathTooLong,       // value: 1 input path, 2 output path
    kPathNotEncodable,  // value: as above
};

struct BridgeOutcome {
    BridgeProblem problem = BridgeProblem::kNone;
    std::uint8_t value = 0;  // the library's byte when problem is kNone
    std::string detail;
};

class WinIpBridgeClient {
  public:
    explicit WinIpBridgeClient(WineBridgeSettings settings);
    ~WinIpBridgeClient();
    WinIpBridgeClient(const WinIpBridgeClient&) = delete;
    WinIpBridgeClient& operator=(const WinIpBridgeClient&) = delete;

    const WineBridgeSettings& Settings() const { return settings_; }
    // True when the Wine command's program is found (on PATH or as given).
    static bool WineFound(const std::string& wineCommand);

    // Starts the bridge unless it runs and waits for its opening answer;
    // anything but kNone leaves no process behind.
    BridgeOutcome Start();
    bool Running();
    // One call of function 0 to 9 (WinIpFunction order) with the paths as
    // the program has them; `output` empty for the one-path functions.
    // Starts the bridge first when it is not running (also one that ended
    // between calls). kEndedInCall: the
    // bridge ended before answering; the library may or may not have done
    // its work.
    BridgeOutcome Call(int function, std::string_view input, std::string_view output);
    // Closes the bridge's input and waits for it to end (killed after a few
    // seconds).
    void Stop();

  private:
    // Reads exactly `count` bytes; false when the bridge ended or the
    // deadline passed first.
    bool Read(std::string& bytes, std::size_t count, int timeoutMs);
    std::string HowItEnded();

    WineBridgeSettings settings_;
    std::unique_ptr<QProcess> process_;
};

}  // namespace rubso
