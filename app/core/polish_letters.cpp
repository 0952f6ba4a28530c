#include "app/core/polish_letters.h"
