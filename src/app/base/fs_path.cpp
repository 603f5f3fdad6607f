#include "app/base/fs_path.h"
