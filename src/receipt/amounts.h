// The number rules of receipt translation. The host application writes amounts, rates and
// quantities as decimal texts with "." or ","; the register wants digit strings with two implied
// decimals. Values stay texts; the few numeric tests parse strictly and never depend on a locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varkon {

// Trims the text and deletes every ".", "," and blank: 1.234,50 becomes 123450.
std::string StripAmount(std::string_view text);

// The leading number of a text, as a reader of "12abc" sees 12: blanks skipped, an optional sign,
// digits, optionally "." and more digits. 0 when the text does not begin with a number.
double LeadingNumber(std::string_view text);

// A decimal number with "," as the separator: optional blanks, an optional sign, digits with at
// most one ",". Anything else (two commas, letters, no digit at all) is not a number.
std::optional<double> ParseCommaDecimal(std::string_view text);

// An optional "-" and the digits up to the first other character, without leading zeros; "0" when
// the text does not begin with a number.
std::string LeadingWholeNumber(std::string_view text);

// A sale price (its "." already made ",") in register form: a price with "," is read as a decimal
// number, times 100 to 15 significant digits, fraction dropped; then its leading whole number.
// Empty when the price holds "," but is not a decimal number the register can take.
std::optional<std::string> RegisterSalePrice(std::string_view price);

// A quantity whose last three characters are "000" is a whole quantity.
bool IsWholeQuantity(std::string_view quantity);

// The quantity as printed in front of a description: 2.000 shows as 2, 2.500 as 2,500. Texts
// shorter than four characters show as written.
std::string QuantityDisplayText(std::string_view quantity);

// True when the trimmed subtotal is a number equal to zero ("0.00", "0,00", "0").
bool IsZeroSubtotal(std::string_view amount);

}  // namespace varkon
