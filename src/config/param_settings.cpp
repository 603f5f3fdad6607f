#include "config/param_settings.h"
