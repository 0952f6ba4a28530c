// A register library that lacks __KSprOp: the loader must refuse it whole.
// Each function leaves "called.txt" in the current directory, so a test can
// tell that nothing was called. Built with RUBSO_TEN_FUNCTIONS it has all
// ten, and while "die.txt" exists in the current directory each function
// faults instead (on Windows an access violation), as a library that
// crashes in a call.

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#endif

#include "register/sim/winip_export.h"

namespace {

unsigned char MarkCalled() {
    if (std::fopen("die.txt", "rb") != nullptr) {
#ifdef _WIN32
        ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#endif
        std::_Exit(9);
    }
    if (std::FILE* file = std::fopen("called.txt", "wb")) std::fclose(file);
    return 0;
}

}  // namespace

extern "C" {

WINIP_EXPORT unsigned char WINIP_CALL __ModStart(char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __ModStop(char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __ZTowar(char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __ZCTowar(char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __KTowar(char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __KTowMax(char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __TowarMax(char*, char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __OSprzed(char*, char*) {
    return MarkCalled();
}
WINIP_EXPORT unsigned char WINIP_CALL __OTSpMax(char*, char*) {
    return MarkCalled();
}

#ifdef RUBSO_TEN_FUNCTIONS
WINIP_EXPORT unsigned char WINIP_CALL __KSprOp(char*) {
    return MarkCalled();
}
#endif

}  // extern "C"
