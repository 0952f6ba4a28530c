#include "app/core/ini_file.h"
