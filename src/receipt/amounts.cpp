#include "receipt/amounts.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "greek/cp1253.h"

namespace varkon {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Largest register value (times 100) still written in plain digits at 15 significant digits.
constexpr double kLargestRegisterValue = 1e15;

}  // namespace

std::string StripAmount(std::string_view text) {
    std::string out;
    for (char c : TrimBlanks(text)) {
        if (c != '.' && c != ',' && c != ' ') out += c;
    }
    return out;
}

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && IsDigit(text[i])) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0;
    if (number.back() == '.') number.pop_back();
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    return result.ec == std::errc() ? value : 0;
}

std::optional<double> ParseCommaDecimal(std::string_view text) {
    text = TrimBlanks(text);
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    bool digits = false;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            number += c;
            digits = true;
        } else if (c == ',' && !separator) {
            number += '.';
            separator = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

std::string LeadingWholeNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    while (i < text.size() && text[i] == '0') ++i;
    std::string digits;
    while (i < text.size() && IsDigit(text[i])) digits += text[i++];
    if (digits.empty()) return "0";
    return negative ? "-" + digits : digits;
}

std::optional<std::string> RegisterSalePrice(std::string_view price) {
    if (price.find(',') == std::string_view::npos) return LeadingWholeNumber(price);
    const auto value = ParseCommaDecimal(price);
    if (!value) return std::nullopt;
    const double cents = *value * 100;
    if (!(std::fabs(cents) < kLargestRegisterValue)) return std::nullopt;
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, cents, std::chars_format::general, 15);
    if (result.ec != std::errc()) return std::nullopt;
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    // Below the largest value only a fraction of a cent is written with an exponent ("1e-05"):
    // its whole part is 0, not the digit in front of the "e".
    if (text.find('e') != std::string_view::npos) return std::string("0");
    // The fraction left after 15 significant digits ends at the ".", as does the whole number.
    return LeadingWholeNumber(text);
}

bool IsWholeQuantity(std::string_view quantity) {
    return quantity.size() >= 3 && quantity.substr(quantity.size() - 3) == "000";
}

std::string QuantityDisplayText(std::string_view quantity) {
    if (quantity.size() < 4) return std::string(quantity);
    const auto whole = quantity.substr(0, quantity.size() - 4);
    if (IsWholeQuantity(quantity)) return std::string(whole);
    return std::string(whole) + "," + std::string(quantity.substr(quantity.size() - 3));
}

bool IsZeroSubtotal(std::string_view amount) {
    amount = TrimBlanks(amount);
    std::size_t i = 0;
    if (i < amount.size() && (amount[i] == '-' || amount[i] == '+')) ++i;
    bool digits = false;
    bool nonZero = false;
    for (; i < amount.size(); ++i) {
        const char c = amount[i];
        if (IsDigit(c)) {
            digits = true;
            nonZero = nonZero || c != '0';
        } else if (c != '.' && c != ',') {
            return false;
        }
    }
    return digits && !nonZero;
}

}  // namespace varkon
