#include "link/reply_decoder.h"
