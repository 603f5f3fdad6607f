#include "receipt/key_commands.h"

#include <optional>
#include <type_traits>
#include <utility>

#include "greek/cp1253.h"
#include "receipt/amounts.h"

namespace varkon {

namespace {

// The article command's key texts: "PLK" then the register codes of Ω and Δ.
const std::string kArticleCommand = std::string("KX10PLK") + "\x8D\x86" + ":";

// A pos21 register shows 20 columns of a description or comment, the others 24.
constexpr std::size_t kPos21Width = 20;
constexpr std::size_t kTextWidth = 24;
// A comment line on the register holds 20 characters.
constexpr std::size_t kCommentWidth = 20;

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

std::string Slice(const std::string& text, std::size_t from, std::size_t count) {
    return from < text.size() ? text.substr(from, count) : std::string();
}

// Direct department sales: the register's keys for departments 10 to 16 skip E and F.
std::string DepartmentKey(const std::string& department) {
    static const std::pair<const char*, const char*> kKeys[] = {
        {"10", "0"}, {"11", "A"}, {"12", "B"}, {"13", "C"}, {"14", "D"}, {"15", "G"}, {"16", "H"},
    };
    for (const auto& [number, key] : kKeys) {
        if (department == number) return key;
    }
    return department;
}

// The description a sale shows: upper case, cut to the register's width, on pos21 with the
// quantity in front when the settings ask for it.
std::string SaleDescription(const SaleRecord& sale, const ReceiptSettings& settings) {
    const bool pos21 = settings.pos21;
    std::string description;
    if (settings.printDescription) {
        description = UpperCp1253(sale.description.substr(0, pos21 ? kPos21Width : kTextWidth));
    }
    if (settings.quantityInDescription && sale.quantity != "1.000" && pos21) {
        const std::string shown = QuantityDisplayText(sale.quantity);
        const std::size_t room = IsWholeQuantity(sale.quantity) ? 18 : 17;
        const std::size_t kept = room > shown.size() ? room - shown.size() : 0;
        description = (shown + "* " + description.substr(0, kept)).substr(0, kPos21Width);
    }
    return description;
}

class CommandList {
  public:
    explicit CommandList(KeyCommands& out) : out_(out) {}
    void key(std::string text, bool quiet = false) {
        out_.commands.push_back({std::move(text), quiet});
    }

  private:
    KeyCommands& out_;
};

// The register takes a fractional quantity as its whole number, the point key and the thousandths.
void KeyQuantity(std::string quantity, CommandList& send) {
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
        send.key("KX" + whole + "* ");
    } else {
        send.key("KX" + whole + ". \r\n");
        send.key("KX" + fraction + "* ");
    }
}

void SaleCommands(const SaleRecord& sale, const std::string& vat, const std::string& description,
                  const ReceiptSettings& settings, KeyCommands& out) {
    CommandList send(out);
    std::string price = sale.price;
    std::string quantity = sale.quantity;
    if (!quantity.empty()) {
        // The price is checked before anything is keyed, so that a price the register cannot
        // take leaves no half-keyed sale behind.
        std::string decimal = price;
        CommasForPoints(decimal);
        const std::optional<std::string> registerPrice = RegisterSalePrice(decimal);
        if (!registerPrice) {
            out.warning = SaleWarning::kBadPrice;
            return;
        }
        if (StartsWith(quantity, '-')) {
            send.key("KX- ");
            quantity = TrimTrailingBlanks(Slice(quantity, 1, 8));
        }
        CommasForPoints(quantity);
        price = *registerPrice;
    }
    // A negative price is keyed as the minus key followed by the amount, unless the quantity
    // already carries the sign.
    auto keySign = [&] {
        if (StartsWith(price, '-') && !StartsWith(quantity, '-')) {
            send.key("KX- ");
            price = Slice(price, 1, 9);
        }
    };
    const bool keyboardOff = settings.keyboardOff;
    if (settings.itemCodes != ItemCodes::kNone) {
        if (settings.itemCodes == ItemCodes::kArticle) send.key(kArticleCommand + sale.code);
        keySign();
        if (!keyboardOff) {
            send.key("KX" + price + "R" + vat + description);
        } else {
            send.key("KX" + vat + "PL");
            send.key("KX" + price + "AC" + description);
        }
        if (settings.itemCodes == ItemCodes::kNumeric) {
            send.key("KX" + std::string(TrimBlanks(sale.code)) + "AC");
        }
        return;
    }
    keySign();
    if (!keyboardOff) {
        KeyQuantity(quantity, send);
        send.key("KX" + price + "R" + vat + description);
    } else {
        send.key("KX" + vat + "PL");
        send.key("KX" + price + "AC" + description);
    }
}

void Sale(const SaleRecord& sale, const PreparedTexts& texts, const ReceiptSettings& settings,
          KeyCommands& out) {
    std::string vat = texts.vatCategory;
    if (settings.departments && !sale.department.empty()) vat = sale.department;
    vat = DepartmentKey(vat);
    if (vat.empty()) {
        out.warning = SaleWarning::kUnknownVatCategory;
        return;
    }
    out.announce = true;
    SaleCommands(sale, vat, texts.text, settings, out);
}

void Discount(const DiscountRecord& discount, KeyCommands& out) {
    CommandList send(out);
    out.announce = true;
    if (!discount.discount.empty() && LeadingNumber(discount.discount) > 0) {
        send.key("KXST");
        send.key("KXST");
        send.key("KX- ");
        send.key("KX" + discount.discount + "GE");
    }
    if (!discount.surcharge.empty()) {
        send.key("KXST");
        send.key("KX" + discount.surcharge + "GE");
    }
}

void Modifier(const ModifierRecord& modifier, const std::string& text, KeyCommands& out) {
    CommandList send(out);
    out.announce = true;
    if (modifier.value.empty() || LeadingNumber(modifier.value) == 0) return;
    const bool percentage = modifier.kind == Adjustment::kPercentDiscount ||
                            modifier.kind == Adjustment::kPercentSurcharge;
    if (modifier.kind == Adjustment::kPercentDiscount ||
        modifier.kind == Adjustment::kAmountDiscount) {
        send.key("KX- ");
    }
    send.key("KX" + modifier.value + (percentage ? "% " : "GE") + text);
}

void Tender(const TenderRecord& tender, const ReceiptSettings& settings, ReceiptState& state,
            KeyCommands& out) {
    CommandList send(out);
    const Settlement settlement = settings.settlement;
    ++state.tenders;
    if (settlement == Settlement::kSecondCurrency) {
        // The register takes the whole payment from the subtotal: only the first tender counts.
        // The amount is never keyed, so a zero one does not leave the receipt unsettled.
        if (state.tenders != 1) return;
        out.announce = true;
        send.key("KXST");
        send.key("KXT2");
        return;
    }
    if (tender.key.empty() || !tender.hasAmount) return;
    out.announce = true;
    const std::string& price = tender.amount;
    // A zero payment only closes a receipt whose total is zero.
    if (LeadingNumber(price) == 0 && !state.subtotalZero) return;
    const bool amount = !price.empty() && price != "0";
    switch (settlement) {
        case Settlement::kTenderKey:
            send.key(amount ? "KX" + price + "T" + tender.key : "KXT" + tender.key);
            break;
        case Settlement::kMainCurrency:
            send.key(amount ? "KX" + price + "T1" : "KXT1");
            break;
        case Settlement::kThirdCurrency:
            send.key(amount ? "KX" + price + "T3" : "KXT3");
            break;
        case Settlement::kSecondCurrency:
        case Settlement::kNone:
            break;
    }
}

}  // namespace

std::optional<TextToPrepare> TextToPrepareFor(const PrintRecord& record,
                                              const ReceiptSettings& settings) {
    using Chain = TextToPrepare::Chain;
    if (const auto* sale = std::get_if<SaleRecord>(&record)) {
        return TextToPrepare{SaleDescription(*sale, settings), Chain::kSaleDescription};
    }
    if (const auto* modifier = std::get_if<ModifierRecord>(&record)) {
        if (settings.pos21) return std::nullopt;
        return TextToPrepare{modifier->text, Chain::kRegister};
    }
    if (const auto* comment = std::get_if<CommentRecord>(&record)) {
        if (!settings.comments) return std::nullopt;
        const std::size_t width = settings.pos21 ? kPos21Width : kTextWidth;
        return TextToPrepare{UpperCp1253(comment->text.substr(0, width)), Chain::kRegister};
    }
    if (const auto* footer = std::get_if<FooterRecord>(&record)) {
        if (!settings.comments) return std::nullopt;
        return TextToPrepare{footer->text, Chain::kFooter};
    }
    if (const auto* programming = std::get_if<ProgrammingRecord>(&record)) {
        return TextToPrepare{programming->command, Chain::kRegister};
    }
    return std::nullopt;
}

KeyCommands KeyCommandsFor(const PrintRecord& record, const PreparedTexts& texts,
                           const ReceiptSettings& settings, ReceiptState& state) {
    KeyCommands out;
    CommandList send(out);
    std::visit(
        [&](const auto& r) {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, SaleRecord>) {
                Sale(r, texts, settings, out);
            } else if constexpr (std::is_same_v<R, DiscountRecord>) {
                Discount(r, out);
            } else if constexpr (std::is_same_v<R, ModifierRecord>) {
                Modifier(r, texts.text, out);
            } else if constexpr (std::is_same_v<R, TenderRecord>) {
                Tender(r, settings, state, out);
            } else if constexpr (std::is_same_v<R, CommentRecord>) {
                if (!settings.comments) return;
                send.key("KXCO " + texts.text.substr(0, kCommentWidth));
                send.key("KXCO " + std::string(kCommentWidth, '-'));
            } else if constexpr (std::is_same_v<R, FooterRecord>) {
                if (settings.comments) state.footerLines.push_back(texts.text);
            } else if constexpr (std::is_same_v<R, ProgrammingRecord>) {
                out.announce = true;
                send.key(texts.text);
            } else if constexpr (std::is_same_v<R, SettlementRecord>) {
                // Quiet, yet a refusal here leaves the receipt open on the register.
                out.closesReceipt = true;
                send.key("KXT" + r.tender, true);
                send.key("KXCL", true);
            } else if constexpr (std::is_same_v<R, DailyZRecord>) {
                out.dailyZReport = true;
            } else {
                static_assert(std::is_same_v<R, SubtotalRecord>);
                state.subtotalZero = r.zero;
            }
        },
        record);
    return out;
}

KeyCommands FooterCommands(const ReceiptState& state) {
    KeyCommands out;
    CommandList send(out);
    send.key("KXCO " + std::string(18, '-'), true);
    for (const std::string& line : state.footerLines) send.key("KXCO " + line + "\r\n");
    for (int i = 0; i < 5; ++i) send.key("KXCO");
    return out;
}

}  // namespace varkon
