#include "core/app_state.h"

#include "core/ini_file.h"

namespace rubso {

AppState& App() {
    static AppState state;
    return state;
}

}  // namespace rubso
