#pragma once
// The Windows library in `directory` through the bridge of the build, with
// the Wine found when the build was configured and the test run's prefix
// (wine-prefix.sh). Wine runs without a display, as on a shop's machine.

#include <cstdlib>
#include <string>

#include "register/winip_library.h"

namespace rubso::test {

inline WinIpSource WineSource(const std::string& directory) {
    ::unsetenv("DISPLAY");
    return WinIpSource{directory, true, RUBSO_WINE, RUBSO_WINE_PREFIX, RUBSO_BRIDGE};
}

}  // namespace rubso::test
