#include "app/core/text_utils.h"
