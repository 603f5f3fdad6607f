#include "link/fiscal_tec_module.h"
