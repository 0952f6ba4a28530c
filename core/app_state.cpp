#include "app/core/app_state.h"

#include "app/core/ini_file.h"

namespace rubso {

AppState& App() {
    static AppState state;
    return state;
}

}  // namespace rubso
