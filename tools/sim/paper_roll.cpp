#include "sim/paper_roll.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace varkon::sim {

namespace {

using Glyphs = std::array<const char*, 256>;

// The register's character codes that are not ASCII letters, as the letters they print.
constexpr Glyphs MakeGlyphs() {
    Glyphs g{};
    g[102] = "Σ";
    g[133] = "Γ", g[134] = "Δ", g[135] = "Θ", g[136] = "Λ", g[137] = "Ξ";
    g[138] = "Π", g[139] = "Φ", g[140] = "Ψ", g[141] = "Ω";
    g[155] = "ά", g[157] = "έ", g[158] = "ή", g[159] = "ί", g[162] = "ό", g[163] = "ύ";
    g[214] = "α", g[215] = "β", g[216] = "γ", g[221] = "δ", g[222] = "ε", g[224] = "ζ";
    g[225] = "η", g[226] = "θ", g[227] = "ι", g[228] = "κ", g[229] = "λ", g[230] = "μ";
    g[231] = "ν", g[232] = "ξ", g[233] = "ο", g[234] = "π", g[235] = "ρ", g[236] = "σ";
    g[237] = "ς", g[238] = "τ", g[242] = "υ", g[243] = "φ", g[244] = "χ", g[245] = "ψ";
    g[250] = "ω", g[251] = "ϋ";
    return g;
}
constexpr Glyphs kGlyphs = MakeGlyphs();

// Sums stay within what any till could show, so absurd input cannot overflow them.
std::int64_t Cents(long double value) {
    constexpr long double kMax = 1e15L;
    return static_cast<std::int64_t>(std::llround(std::clamp(value, -kMax, kMax)));
}

std::string Hex(unsigned char c) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02X", c);
    return buf;
}

std::size_t Columns(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string Line(std::string_view text) {
    return std::string(text) + '\n';
}

// Left text and right text on one line of the roll's width, at least one blank between.
std::string Line(std::string_view left, std::string_view right) {
    const std::size_t used = Columns(left) + Columns(right);
    const std::size_t gap = used < PaperRoll::kWidth ? PaperRoll::kWidth - used : 1;
    return std::string(left) + std::string(gap, ' ') + std::string(right) + '\n';
}

std::string TrimRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string Description(std::string_view registerText) {
    return TrimRight(PaperRoll::FromRegisterCodes(registerText));
}

std::string Money(std::int64_t cents) {
    const std::int64_t a = cents < 0 ? -cents : cents;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld,%02lld", cents < 0 ? "-" : "",
                  static_cast<long long>(a / 100), static_cast<long long>(a % 100));
    return buf;
}

std::string Quantity(std::int64_t thousandths) {
    char buf[32];
    if (thousandths % 1000 == 0) {
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(thousandths / 1000));
    } else {
        std::snprintf(buf, sizeof buf, "%lld,%03lld", static_cast<long long>(thousandths / 1000),
                      static_cast<long long>(thousandths % 1000));
    }
    return buf;
}

// The leading number of a key command: "-"? digits ("," digits)?, as the register reads amounts:
// plain digits carry two implied decimals, a "," marks the decimals as written.
struct Number {
    std::size_t length = 0;  // 0: no number
    std::int64_t cents = 0;
    std::string digits;  // the whole part as written, for quantities
};

Number LeadingNumber(std::string_view s) {
    Number n;
    std::size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
    const std::size_t start = i;
    while (i < s.size() && i - start < 15 && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == start) return n;
    n.digits = std::string(s.substr(start, i - start));
    const std::int64_t whole = std::stoll(n.digits);
    n.cents = whole;
    if (i < s.size() && s[i] == ',') {
        std::size_t j = i + 1;
        std::int64_t frac = 0;
        int places = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            if (places < 2) frac = frac * 10 + (s[j] - '0'), ++places;
            ++j;
        }
        while (places < 2) frac *= 10, ++places;
        n.cents = whole * 100 + frac;
        i = j;
    }
    if (start == 1) n.cents = -n.cents;
    n.length = i;
    return n;
}

std::string Banner(std::string_view title) {
    const std::string stars(PaperRoll::kWidth, '*');
    return Line(stars) + Line(title) + Line(stars);
}

}  // namespace

std::string PaperRoll::FromRegisterCodes(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (kGlyphs[c] != nullptr) {
            out += kGlyphs[c];
        } else if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            out += Hex(c);
        }
    }
    return out;
}

std::string PaperRoll::Escaped(std::string_view raw) {
    std::string out;
    for (const char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += ch;
        } else {
            out += Hex(c);
        }
    }
    return out;
}

std::string PaperRoll::accepted(std::string_view command) {
    const bool repeatedSubtotal = lastWasSubtotal_;
    lastWasSubtotal_ = false;
    if (command.starts_with("KP") || command.starts_with("KY")) {
        return Line("ΠΡΟΓΡ. " + FromRegisterCodes(command));
    }
    if (!command.starts_with("KX")) return Line("?? " + Escaped(command));
    const std::string_view rest = command.substr(2);

    if (rest == "794ST") return Line("[ΤΕΛΟΣ ΣΥΝΔΕΣΗΣ]");
    if (rest == "CL") return {};
    if (rest == "- ") {
        minus_ = true;
        return {};
    }
    if (rest == "ST") {
        lastWasSubtotal_ = true;
        afterSubtotal_ = true;
        return repeatedSubtotal ? std::string() : subtotal();
    }
    if (rest == "CO") return Line("");
    if (rest.starts_with("CO ")) return Line(TrimRight(FromRegisterCodes(rest.substr(3))));
    if (rest == "0T1") return Banner("ΙΣΟΖΥΓΙΟ X ΟΙΚΟΝΟΜΙΚΟ");
    if (rest == "5T1") return Banner("ΙΣΟΖΥΓΙΟ X ΠΕΡΙΟΔΟΥ");
    if (rest == "021T1") return Banner("ΙΣΟΖΥΓΙΟ Z ΟΙΚΟΝΟΜΙΚΟ-ΗΜΕΡΗΣΙΟ");
    if (rest == "521T1") return Banner("ΙΣΟΖΥΓΙΟ Z ΠΕΡΙΟΔΟΥ");
    if (rest.starts_with("T")) return payment(std::nullopt, rest.substr(1));

    const Number number = LeadingNumber(rest);
    const std::string_view tail = rest.substr(number.length);
    if (number.length > 0) {
        if (tail == "* ") {
            std::int64_t q = std::stoll(number.digits) * 1000;
            if (wholeQuantity_) {
                std::string frac = number.digits.substr(0, 3);
                frac.resize(3, '0');
                q = std::stoll(*wholeQuantity_) * 1000 + std::stoll(frac);
            }
            wholeQuantity_.reset();
            quantity_ = q;
            return {};
        }
        if (tail == ". ") {
            wholeQuantity_ = number.digits;
            return {};
        }
        if (tail.starts_with("R") && tail.size() >= 2) {
            return sale(number.cents, tail.substr(1, 1), tail.substr(2));
        }
        if (tail.starts_with("AC")) {
            if (department_) {
                const std::string key = *department_;
                department_.reset();
                return sale(number.cents, key, tail.substr(2));
            }
            return Line("  ΚΩΔ. " + number.digits);
        }
        if (tail.starts_with("GE")) return adjustment(number.cents, tail.substr(2));
        if (tail.starts_with("% ")) return percentage(number.cents, tail.substr(2));
        if (tail.starts_with("T")) return payment(number.cents, tail.substr(1));
        if (tail.starts_with("PLK")) return Line("  " + FromRegisterCodes(tail.substr(2)));
    }
    // Keyboard mode: a department key (one to three characters) chosen before its sale.
    if (rest.size() > 2 && rest.size() <= 5 && rest.ends_with("PL")) {
        department_ = std::string(rest.substr(0, rest.size() - 2));
        return {};
    }
    return Line("?? " + Escaped(command));
}

std::string PaperRoll::openReceipt() {
    if (open_) return {};
    open_ = true;
    return Line("ΑΠΟΔΕΙΞΗ");
}

std::string PaperRoll::sale(std::int64_t price, std::string_view key,
                            std::string_view description) {
    std::string out = openReceipt();
    const std::int64_t q = quantity_.value_or(1000);
    if (minus_) price = -(price < 0 ? -price : price);
    const std::int64_t amount = Cents(static_cast<long double>(price) * q / 1000);
    if (q != 1000) out += Line("  " + Quantity(q) + " x " + Money(price));
    std::string text = Description(description);
    if (text.empty()) text = "ΕΙΔΟΣ";
    // The key in front of the amount keeps the amounts of every line in one column.
    std::string money = Money(amount);
    money.insert(0, money.size() < 10 ? 10 - money.size() : 0, ' ');
    out += Line(text, "Φ" + Escaped(key) + money);
    subtotal_ = Cents(static_cast<long double>(subtotal_) + amount);
    lastItem_ = amount;
    quantity_.reset();
    minus_ = false;
    afterSubtotal_ = false;
    return out;
}

std::string PaperRoll::adjustment(std::int64_t amount, std::string_view text) {
    if (minus_) amount = -amount;
    std::string label = Description(text);
    if (label.empty()) label = amount < 0 ? "ΕΚΠΤΩΣΗ" : "ΕΠΙΒΑΡΥΝΣΗ";
    subtotal_ = Cents(static_cast<long double>(subtotal_) + amount);
    minus_ = false;
    return openReceipt() + Line(label, Money(amount));
}

std::string PaperRoll::percentage(std::int64_t hundredths, std::string_view text) {
    const std::int64_t base = afterSubtotal_ ? subtotal_ : lastItem_;
    std::int64_t amount = Cents(static_cast<long double>(base) * hundredths / 10000);
    if (minus_) amount = -amount;
    std::string label = Description(text);
    if (label.empty()) label = amount < 0 ? "ΕΚΠΤΩΣΗ" : "ΕΠΙΒΑΡΥΝΣΗ";
    label += " " + Money(minus_ ? -hundredths : hundredths) + "%";
    subtotal_ = Cents(static_cast<long double>(subtotal_) + amount);
    minus_ = false;
    return openReceipt() + Line(label, Money(amount));
}

std::string PaperRoll::subtotal() {
    return Line("ΜΕΡ. ΣΥΝΟΛΟ", Money(subtotal_));
}

std::string PaperRoll::payment(std::optional<std::int64_t> amount, std::string_view key) {
    std::string out;
    if (!totalShown_) {
        out += Line("ΣΥΝΟΛΟ", Money(subtotal_));
        totalShown_ = true;
    }
    const std::int64_t due = subtotal_ - paid_;
    const std::int64_t paid = amount.value_or(due > 0 ? due : 0);
    out += Line("ΠΛΗΡΩΜΗ " + Escaped(key), Money(paid));
    paid_ = Cents(static_cast<long double>(paid_) + paid);
    if (paid_ >= subtotal_) {
        if (paid_ > subtotal_) out += Line("ΡΕΣΤΑ", Money(paid_ - subtotal_));
        out += Line(std::string(kWidth, '='));
        *this = PaperRoll();
    }
    return out;
}

std::string PaperRoll::refused(std::string_view command, std::string_view code) const {
    return Line("[DE" + Escaped(code) + "] " + Escaped(command));
}

std::string PaperRoll::discarded(std::size_t bytes) const {
    return Line("[" + std::to_string(bytes) + " bytes χωρίς CR: απορρίφθηκαν]");
}

std::string PaperRoll::hungUp(std::string_view newDevice) const {
    return Line("[ΑΠΟΣΥΝΔΕΣΗ· ΝΕΑ ΘΥΡΑ " + std::string(newDevice) + "]");
}

std::string PaperRoll::lineDead() const {
    return Line("[ΝΕΚΡΗ ΓΡΑΜΜΗ]");
}

std::string PaperRoll::lineBack(std::size_t lost) const {
    return Line("[Η ΓΡΑΜΜΗ ΕΠΕΣΤΡΕΨΕ· " + std::to_string(lost) + " bytes χάθηκαν]");
}

}  // namespace varkon::sim
