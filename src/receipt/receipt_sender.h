// ReceiptSender holds `comms`, the step that turns one ReceiptLine into the register's key
// commands and sends them one by one through the link. It keeps nothing between records; the
// link and the notices belong to the caller.
#pragma once

#include <string>

#include "config/settings_values.h"
#include "link/register_link.h"
#include "maintenance/operator_notices.h"
#include "receipt/receipt_line.h"

namespace varkon {

class ReceiptSender {
  public:
    ReceiptSender(RegisterLink& link, OperatorNotices& notices) : link_(link), notices_(notices) {}

    // Sends the record's commands. Rewrites `price` and `quantity` of a sale and resets
    // `linetype` to 0 after a line adjustment. ZeroSubtotal: the receipt's subtotal is zero or
    // not yet known, so a zero payment may close it.
    void comms(ReceiptLine& line, const ReceiptSettings& settings, bool ZeroSubtotal);

  private:
    void send(const std::string& command);
    void signStep(ReceiptLine& line);
    void quantityStep(ReceiptLine& line);
    void sale(ReceiptLine& line, const ReceiptSettings& settings);
    void payment(ReceiptLine& line, const ReceiptSettings& settings, bool ZeroSubtotal);
    void subtotalAdjustment(const ReceiptLine& line);
    void lineAdjustment(ReceiptLine& line);

    RegisterLink& link_;
    OperatorNotices& notices_;
};

}  // namespace varkon
