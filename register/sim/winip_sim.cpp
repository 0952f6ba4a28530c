// The exported surface of the substitute register library: the ten functions
// of the vendor's library under their exported names, C linkage, one byte
// back (0 = success). Each hands over to the simulator, which never raises.

#include "register/sim/sim_register.h"
#include "register/sim/winip_export.h"

using rubso::sim::Function;
using rubso::sim::RunFunction;

extern "C" {

WINIP_EXPORT unsigned char WINIP_CALL __ModStart(char* input) {
    return RunFunction(Function::kModStart, input, nullptr);
}

WINIP_EXPORT unsigned char WINIP_CALL __ModStop(char* input) {
    return RunFunction(Function::kModStop, input, nullptr);
}

WINIP_EXPORT unsigned char WINIP_CALL __ZTowar(char* input) {
    return RunFunction(Function::kZTowar, input, nullptr);
}

WINIP_EXPORT unsigned char WINIP_CALL __ZCTowar(char* input) {
    return RunFunction(Function::kZCTowar, input, nullptr);
}

WINIP_EXPORT unsigned char WINIP_CALL __KTowar(char* input) {
    return RunFunction(Function::kKTowar, input, nullptr);
}

WINIP_EXPORT unsigned char WINIP_CALL __KTowMax(char* input) {
    return RunFunction(Function::kKTowMax, input, nullptr);
}

WINIP_EXPORT unsigned char WINIP_CALL __TowarMax(char* input, char* output) {
    return RunFunction(Function::kTowarMax, input, output);
}

WINIP_EXPORT unsigned char WINIP_CALL __OSprzed(char* input, char* output) {
    return RunFunction(Function::kOSprzed, input, output);
}

WINIP_EXPORT unsigned char WINIP_CALL __OTSpMax(char* input, char* output) {
    return RunFunction(Function::kOTSpMax, input, output);
}

WINIP_EXPORT unsigned char WINIP_CALL __KSprOp(char* input) {
    return RunFunction(Function::kKSprOp, input, nullptr);
}

}  // extern "C"
