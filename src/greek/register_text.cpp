#include "greek/register_text.h"
