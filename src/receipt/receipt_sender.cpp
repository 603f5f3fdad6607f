#include "receipt/receipt_sender.h"

#include <optional>

#include "greek/cp1253.h"
#include "receipt/amounts.h"

namespace varkon {

namespace {

const char* const kPrintingStatus = "Εκτυπωση Ενεργή.. Παρακαλώ Περιμένετε";
const char* const kPrintingCaption = "Varkon - Eκτυπώνει";  // Latin E, as the window always had it
const char* const kBadPrice = "Λανθασμένη τιμή είδους, το είδος δεν πουλήθηκε: ";

// The article command's key texts: "PLK" then the register codes of Ω and Δ.
const std::string kArticleCommand = std::string("KX10PLK") + "\x8D\x86" + ":";

bool StartsWith(const std::string& text, char c) {
    return !text.empty() && text.front() == c;
}

std::string TrimTrailingBlanks(std::string text) {
    const auto last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}

void CommasForPoints(std::string& text) {
    for (char& c : text) {
        if (c == '.') c = ',';
    }
}

std::string Part(const std::string& text, std::size_t from, std::size_t count) {
    return from < text.size() ? text.substr(from, count) : std::string();
}

}  // namespace

void ReceiptSender::send(const std::string& command) {
    (void)link_.send(command);
}

void ReceiptSender::comms(ReceiptLine& line, const ReceiptSettings& settings, bool ZeroSubtotal) {
    notices_.showStatus(kPrintingStatus);
    notices_.showCaption(kPrintingCaption);
    notices_.repaint();

    switch (line.linetype) {
        case ReceiptLine::kSale:
            sale(line, settings);
            break;
        case ReceiptLine::kTender:
            payment(line, settings, ZeroSubtotal);
            break;
        case ReceiptLine::kSubtotalAdjustment:
            subtotalAdjustment(line);
            break;
        case ReceiptLine::kPercentDiscount:
        case ReceiptLine::kPercentSurcharge:
        case ReceiptLine::kAmountDiscount:
        case ReceiptLine::kAmountSurcharge:
            lineAdjustment(line);
            break;
        case ReceiptLine::kRaw:
            send(line.char_);
            break;
        default:
            break;
    }
}

// A negative price is keyed as the minus key followed by the amount, unless the quantity already
// carries the sign.
void ReceiptSender::signStep(ReceiptLine& line) {
    if (StartsWith(line.price, '-') && !StartsWith(line.quantity, '-')) {
        send("KX- ");
        line.price = Part(line.price, 1, 9);
    }
}

// The register takes a fractional quantity as its whole part, the point key and the thousandths.
void ReceiptSender::quantityStep(ReceiptLine& line) {
    std::string& quantity = line.quantity;
    if (quantity.size() > 3 && quantity.find(',') == std::string::npos) {
        quantity.insert(quantity.size() - 3, ",");
    }
    const std::string_view trimmed = TrimBlanks(quantity);
    const auto firstComma = trimmed.find(',');
    const std::string whole(trimmed.substr(0, firstComma));
    std::string fraction;
    if (firstComma != std::string_view::npos) {
        const auto rest = trimmed.substr(firstComma + 1);
        fraction = std::string(rest.substr(0, rest.find(',')));
    }
    const auto fractionValue = ParseCommaDecimal(fraction);
    if (!fractionValue || LeadingNumber(whole) < 0) return;
    const auto value = ParseCommaDecimal(trimmed);
    if (value && *value == 1) return;
    if (*fractionValue == 0) {
        send("KX" + whole + "* ");
    } else {
        send("KX" + whole + ". \r\n");
        send("KX" + fraction + "* ");
    }
}

void ReceiptSender::sale(ReceiptLine& line, const ReceiptSettings& settings) {
    if (!line.quantity.empty()) {
        // The price is checked before anything is keyed, so that a price the register cannot
        // take leaves no half-keyed sale behind.
        std::string price = line.price;
        CommasForPoints(price);
        const std::optional<std::string> registerPrice = RegisterSalePrice(price);
        if (!registerPrice) {
            notices_.showMessage(kBadPrice + Cp1253ToUtf8(line.price), kMsgExclamation);
            return;
        }
        if (StartsWith(line.quantity, '-')) {
            send("KX- ");
            line.quantity = TrimTrailingBlanks(Part(line.quantity, 1, 8));
        }
        CommasForPoints(line.quantity);
        line.price = *registerPrice;
    }

    const bool keyboardOff = settings.keyboardOff;
    if (!line.CODE.empty()) {
        if (StartsWith(line.CODE, 'A')) send(kArticleCommand + Part(line.CODE, 1, 14));
        signStep(line);
        if (!keyboardOff) {
            send("KX" + line.price + "R" + line.vat + line.char_);
        } else {
            send("KX" + line.vat + "PL");
            send("KX" + line.price + "AC" + line.char_);
        }
        if (StartsWith(line.CODE, 'N')) {
            send("KX" + std::string(TrimBlanks(Part(line.CODE, 1, 15))) + "AC");
        }
        return;
    }
    signStep(line);
    if (!keyboardOff) {
        quantityStep(line);
        send("KX" + line.price + "R" + line.vat + line.char_);
    } else {
        send("KX" + line.vat + "PL");
        send("KX" + line.price + "AC" + line.char_);
    }
}

void ReceiptSender::payment(ReceiptLine& line, const ReceiptSettings& settings, bool ZeroSubtotal) {
    const Settlement settlement = settings.settlement;
    // A zero payment only closes a receipt whose total is zero. Settling always in the secondary
    // currency never carries an amount (the register takes the whole subtotal), so there the
    // empty amount is no zero payment: the receipt must still be settled.
    if (LeadingNumber(line.price) == 0 && !ZeroSubtotal &&
        settlement != Settlement::kSecondCurrency) {
        return;
    }
    const bool amount = !line.price.empty() && line.price != "0";
    switch (settlement) {
        case Settlement::kTenderKey:
            send(amount ? "KX" + line.price + "T" + line.total : "KXT" + line.total);
            break;
        case Settlement::kMainCurrency:
            send(amount ? "KX" + line.price + "T1" : "KXT1");
            break;
        case Settlement::kSecondCurrency:
            send("KXST");
            send("KXT2");
            break;
        case Settlement::kThirdCurrency:
            send(amount ? "KX" + line.price + "T3" : "KXT3");
            break;
        case Settlement::kNone:
            break;
    }
}

void ReceiptSender::subtotalAdjustment(const ReceiptLine& line) {
    if (!line.discount.empty() && LeadingNumber(line.discount) > 0) {
        send("KXST");
        send("KXST");
        send("KX- ");
        send("KX" + line.discount + "GE");
    }
    if (!line.addon.empty()) {
        send("KXST");
        send("KX" + line.addon + "GE");
    }
}

void ReceiptSender::lineAdjustment(ReceiptLine& line) {
    const std::string* amount = nullptr;
    bool minus = false;
    const char* key = "GE";
    switch (line.linetype) {
        case ReceiptLine::kPercentDiscount:
            amount = &line.percentdis;
            minus = true;
            key = "% ";
            break;
        case ReceiptLine::kPercentSurcharge:
            amount = &line.percentadd;
            key = "% ";
            break;
        case ReceiptLine::kAmountDiscount:
            amount = &line.discount;
            minus = true;
            break;
        default:
            amount = &line.addon;
            break;
    }
    if (amount->empty() || LeadingNumber(*amount) == 0) return;
    if (minus) send("KX- ");
    send("KX" + *amount + key + line.char_);
    line.linetype = 0;
}

}  // namespace varkon
