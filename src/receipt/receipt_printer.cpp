#include "receipt/receipt_printer.h"
