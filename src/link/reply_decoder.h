// DecodeReply: the register's answer judged by its code. "DE<code> ..." is a refusal, its code
// recorded and, where the register's code table has a message for it, the reply replaced by that
// message; anything else is an answer. Which message the operator is shown is decided above.
#pragma once

#include <string>

#include "link/exchange_result.h"

namespace varkon {

// `result.reply` is the cleaned reply (code page 1253); sets the status and the code, and puts the
// code's message in place of the reply when the code is known.
void DecodeReply(ExchangeResult& result);

// The message for a code text ("2", "7", ...), code page 1253; empty when the code is unknown.
std::string ErrorMessageForCode(const std::string& code);

}  // namespace varkon
