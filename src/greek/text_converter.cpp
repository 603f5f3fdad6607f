#include "greek/text_converter.h"
