#include "greek/cp1253.h"
