#include "app/core/command_guard.h"
