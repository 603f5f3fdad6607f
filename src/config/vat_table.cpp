#include "config/vat_table.h"
