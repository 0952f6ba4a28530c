#include "app/core/installation_settings.h"
