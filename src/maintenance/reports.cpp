#include "maintenance/reports.h"
