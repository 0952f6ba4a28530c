#pragma once
// The bridge as the tests reach it: the Wine found when the build was
// configured (RUBSO_WINE), the prefix of the test run (RUBSO_WINE_PREFIX,
// made by wine-prefix.sh) and the bridge of the build (RUBSO_BRIDGE).

#include <cstdlib>
#include <string>

#include "register/winip_library.h"

namespace rubso::test {

// The Windows library in `directory` through the bridge. Wine runs without
// a display, as on a shop's machine without one.
inline WinIpSource WineSource(const std::string& directory) {
    ::unsetenv("DISPLAY");
    WinIpSource source;
    source.directory = directory;
    source.throughWine = true;
    source.wineCommand = RUBSO_WINE;
    source.winePrefix = RUBSO_WINE_PREFIX;
    source.bridgePath = RUBSO_BRIDGE;
    return source;
}

}  // namespace rubso::test
