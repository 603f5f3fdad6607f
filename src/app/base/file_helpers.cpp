#include "app/base/file_helpers.h"
