// ReceiptLine: one record of a print file as the translation hands it to `comms`. The translation
// owns it for the length of one file; `comms` may rewrite `price`, `quantity` and `linetype`, and
// those values stay for the following records of the same file.
#pragma once

#include <string>

namespace varkon {

struct ReceiptLine {
    // Record kinds.
    static constexpr int kSale = 1;
    static constexpr int kTender = 2;
    static constexpr int kSubtotalAdjustment = 3;
    static constexpr int kRaw = 9;
    static constexpr int kPercentDiscount = 51;
    static constexpr int kPercentSurcharge = 52;
    static constexpr int kAmountDiscount = 53;
    static constexpr int kAmountSurcharge = 54;

    std::string price{};       // sale: unit price as written; tender: amount without separators
    std::string char_{};       // `char`: register-ready description, modifier text or raw command
    std::string CODE{};        // item code behind its kind letter "N" or "A"; empty without codes
    std::string vat{};         // sale: register key of the VAT category or department
    std::string total{};       // tender: tender key number
    std::string addon{};       // surcharge amount, separators removed
    std::string discount{};    // discount amount, separators removed
    std::string percentdis{};  // discount percentage
    std::string percentadd{};  // surcharge percentage
    std::string quantity{};    // sale: quantity as written
    int linetype = 0;
};

}  // namespace varkon
