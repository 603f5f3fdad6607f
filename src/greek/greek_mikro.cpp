#include "greek/greek_mikro.h"
