#include "db/fb_client.h"
