#include "db/desktop/desktop_table.h"
