// ReceiptSender holds `comms`, the step that turns one ReceiptLine into the register's key
// commands and sends them one by one through the link. It keeps nothing between records; the
// link and the main window's reply text belong to the caller.
#pragma once

#include <string>

#include "link/fiscal_tec_module.h"
#include "receipt/receipt_line.h"

namespace varkon {

struct ReceiptSettings;

class ReceiptSender {
  public:
    ReceiptSender(FiscalTecModule& link, std::string& ecrErrorText)
        : link_(link), ecrErrorText_(ecrErrorText) {}

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
};

}  // namespace varkon
