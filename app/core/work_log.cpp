#include "app/core/work_log.h"
