#include "app/core/file_utils.h"
