// What the operator is told of the register link's outcomes: the one place that chooses the
// Greek message, its style and title for a failed open and for an exchange, and when an outcome
// is told at all. The link reports; the callers show through their OperatorNotices.
#pragma once

#include <string>

#include "link/exchange_result.h"
#include "link/serial_port.h"
#include "maintenance/operator_notices.h"

namespace varkon {

// The text the operator reads for an exchange's outcome (UTF-8): the no-answer message, or the
// reply as the link decoded it.
std::string ExchangeText(const ExchangeResult& result);

// Tells the outcome of an exchange unless it was quiet: a refusal, a code that is no number and
// any answer other than an acknowledgement as "Λάθος : <code>\r<text>" (critical, no title); no
// answer as its own message (information, "Μύνημα Φορολ. Εκτυπωτή"), except while a receipt is
// being sent, whose loop tells a dead line once. Each with the caption "Σφάλμα !!!<text>" and a
// repaint before the box.
void TellExchangeOutcome(OperatorNotices& notices, const ExchangeResult& result);

// The message of an open that failed ("Πρόβλημα στην Θύρα :com1", UTF-8), empty when the port
// opened. portName is code page 1253.
std::string OpenFailureText(PortOpening outcome, const std::string& portName);
// Shows it, when there is one (critical, "Μύνημα Varkon").
void TellOpenOutcome(OperatorNotices& notices, PortOpening outcome, const std::string& portName);

}  // namespace varkon
