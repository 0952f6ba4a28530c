// A Windows register library for the bridge's tests: each function returns
// 0, except while "die.txt" exists in the current directory: then it ends
// its process, as a library that crashes in the middle of a call.

#include <windows.h>

#include "register/sim/winip_export.h"

namespace {

unsigned char Probe() {
    if (::GetFileAttributesA("die.txt") != INVALID_FILE_ATTRIBUTES) {
        ::TerminateProcess(::GetCurrentProcess(), 9);
    }
    return 0;
}

}  // namespace

extern "C" {

WINIP_EXPORT unsigned char WINIP_CALL __ModStart(char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __ModStop(char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __ZTowar(char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __ZCTowar(char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __KTowar(char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __KTowMax(char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __TowarMax(char*, char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __OSprzed(char*, char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __OTSpMax(char*, char*) {
    return Probe();
}
WINIP_EXPORT unsigned char WINIP_CALL __KSprOp(char*) {
    return Probe();
}

}  // extern "C"
