// ReceiptSender holds `comms`, the step that turns one ReceiptLine into the register's key
// commands and sends them one by one through the link. It keeps nothing between records; the
// link, the engine's reply text and the notices belong to the caller.
#pragma once

#include <string>

#include "config/settings_values.h"
#include "link/fiscal_tec_module.h"
#include "link/notices.h"
#include "receipt/receipt_line.h"

namespace varkon {

class ReceiptSender {
  public:
    ReceiptSender(FiscalTecModule& link, std::string& ecrErrorText, Notices& notices)
        : link_(link), ecrErrorText_(ecrErrorText), notices_(notices) {}

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

    FiscalTecModule& link_;
    std::string& ecrErrorText_;
    Notices& notices_;
};

}  // namespace varkon
