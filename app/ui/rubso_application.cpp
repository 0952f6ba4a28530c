#include "app/ui/rubso_application.h"
