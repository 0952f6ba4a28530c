// A register library that lacks __KSprOp: the loader must refuse it whole.
// Each function leaves "called.txt" in the current directory, so a test can
// tell that nothing was called.

#include <cstdio>

#include "register/sim/winip_export.h"

namespace {

unsigned char MarkCalled() {
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

}  // extern "C"
