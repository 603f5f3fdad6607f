// The five VAT rates of the register's categories 1 to 5, kept as five little-endian doubles in
// vats.dat; the lookup that turns a sale line's rate into a category; and the text side of the
// settings dialog's five rate boxes. The file is read afresh on every use, never cached.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace varkon {

using VatRates = std::array<double, 5>;
using VatRateTexts = std::array<std::string, 5>;

inline const std::filesystem::path kVatFile = "vats.dat";

// Reads the first 40 bytes (a missing file is created empty; missing bytes read as 0).
int LoadVatRates(VatRates& rates, const std::filesystem::path& file = kVatFile);
// Writes 40 bytes at offset 0; bytes after offset 40 stay.
int SaveVatRates(const VatRates& rates, const std::filesystem::path& file = kVatFile);
// Rate of category index + 1; 0 on any failure or beyond the end of the file.
double VatRate(int index, const std::filesystem::path& file = kVatFile);

// The category ("1" to "5") for a sale line's rate text; "5" for an empty rate; "" when no rate
// matches. Rates are compared as texts with two decimals, the highest matching category wins.
std::string VatCategory(std::string_view rateText, const std::filesystem::path& file = kVatFile);

// The texts of the five rate boxes: the rates in their shortest form with "," as the decimal
// point ("24", "6,5", "0"), or "0" in every box when the file cannot be read.
VatRateTexts ShowVatRates(const std::filesystem::path& file = kVatFile);
// Puts "," for every "." back into the boxes and parses them; -1 at the first box that is not a
// number (the boxes before it are already rewritten).
int CollectVatRates(VatRateTexts& boxes, VatRates& rates);

}  // namespace varkon
