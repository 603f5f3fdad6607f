// DecodeReply: the register's answer "DE<code> ..." turned into a Greek message for the
// operator, with the code recorded in EcrError and shown unless the exchange is quiet.
#pragma once

#include <string>

namespace varkon {

class FiscalTecModule;

// `reply` is the cleaned reply (code page 1253), replaced by the message when its code is known.
void DecodeReply(FiscalTecModule& link, std::string& reply, bool quiet);

// True when the cleaned reply is the register's refusal ("DE" and a code other than "00").
bool IsRefusal(const std::string& reply);

// The message for a code text ("2", "7", ...), code page 1253; empty when the code is unknown.
std::string ErrorMessageForCode(const std::string& code);

}  // namespace varkon
