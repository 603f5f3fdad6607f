#include "config/command_line.h"
