#include "app/core/error_report.h"
