#include "config/vat_table.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "greek/cp1253.h"

#include "platform/files.h"

namespace varkon {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRecordSize = 8;
constexpr std::size_t kTableSize = kRecordSize * std::tuple_size_v<VatRates>;

// The file holds little-endian doubles whatever the byte order of the machine reading it.
double DecodeRate(const unsigned char* bytes) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    return std::bit_cast<double>(bits);
}

void EncodeRate(double rate, unsigned char* bytes) {
    auto bits = std::bit_cast<std::uint64_t>(rate);
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
}

// A plain decimal number: an optional sign, digits, at most one decimal point, at least one digit.
struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<Decimal> ParseDecimal(std::string_view text, char point) {
    Decimal number;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t at = text.find(point);
    number.whole = text.substr(0, at);
    if (at != std::string_view::npos) {
        number.fraction = text.substr(at + 1);
    }
    if (!IsDigits(number.whole) || !IsDigits(number.fraction) ||
        number.whole.size() + number.fraction.size() == 0) {
        return std::nullopt;
    }
    return number;
}

// Two decimals with "." as the point, rounded half away from zero on the decimal digits
// themselves, so that 6,505 typed and 6.505 stored both become 6.51.
std::string FormatTwoDecimals(const Decimal& number) {
    std::string digits(
        number.whole.substr(std::min(number.whole.find_first_not_of('0'), number.whole.size())));
    if (digits.empty()) {
        digits = "0";
    }
    std::string fraction(number.fraction.substr(0, 2));
    fraction.resize(2, '0');
    digits += fraction;
    if (number.fraction.size() > 2 && number.fraction[2] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out = number.negative && !zero ? "-" : "";
    out += digits.substr(0, digits.size() - 2);
    out += '.';
    out += digits.substr(digits.size() - 2);
    return out;
}

// The shortest decimal text that reads back as `rate`, with "." as the point.
std::optional<std::string> ShortestText(double rate) {
    if (!std::isfinite(rate)) {
        return std::nullopt;
    }
    char buffer[512];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return std::string(buffer, result.ptr);
}

std::optional<std::string> RateWithTwoDecimals(double rate) {
    std::optional<std::string> text = ShortestText(rate);
    if (!text) {
        return std::nullopt;
    }
    std::optional<Decimal> number = ParseDecimal(*text, '.');
    if (!number) {
        return std::nullopt;
    }
    return FormatTwoDecimals(*number);
}

std::optional<double> ParseRateBox(std::string_view box) {
    std::optional<Decimal> number = ParseDecimal(TrimBlanks(box), ',');
    if (!number) {
        return std::nullopt;
    }
    std::string plain = number->negative ? "-" : "";
    plain += number->whole.empty() ? "0" : number->whole;
    plain += '.';
    plain += number->fraction.empty() ? "0" : number->fraction;
    double value = 0;
    auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int LoadVatRates(VatRates& rates, const std::filesystem::path& file) {
    std::FILE* stream = OpenForReadWrite(file);
    if (stream == nullptr) {
        return -1;
    }
    unsigned char bytes[kTableSize];
    std::size_t got = std::fread(bytes, 1, kTableSize, stream);
    bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed) {
        return -1;
    }
    // A short file leaves the rates it does not hold completely at 0.
    VatRates read{};
    for (std::size_t i = 0; i < read.size() && (i + 1) * kRecordSize <= got; ++i) {
        read[i] = DecodeRate(bytes + i * kRecordSize);
    }
    rates = read;
    return 0;
}

int SaveVatRates(const VatRates& rates, const std::filesystem::path& file) {
    std::FILE* stream = OpenForReadWrite(file);
    if (stream == nullptr) {
        return -1;
    }
    unsigned char bytes[kTableSize];
    for (std::size_t i = 0; i < rates.size(); ++i) {
        EncodeRate(rates[i], bytes + i * kRecordSize);
    }
    bool ok = std::fwrite(bytes, 1, kTableSize, stream) == kTableSize;
    ok = std::fflush(stream) == 0 && ok;
    ok = std::fclose(stream) == 0 && ok;
    return ok ? 0 : -1;
}

double VatRate(int index, const std::filesystem::path& file) {
    if (index < 0) {
        return 0;
    }
    std::FILE* stream = OpenForReading(file);
    if (stream == nullptr) {
        return 0;
    }
    unsigned char bytes[kRecordSize];
    bool ok = SeekTo(stream, static_cast<std::uint64_t>(index) * kRecordSize) &&
              std::fread(bytes, 1, kRecordSize, stream) == kRecordSize;
    std::fclose(stream);
    return ok ? DecodeRate(bytes) : 0;
}

std::string VatCategory(std::string_view rateText, const std::filesystem::path& file) {
    std::string text(TrimBlanks(rateText));
    std::replace(text.begin(), text.end(), '.', ',');
    std::optional<Decimal> number = ParseDecimal(text, ',');
    if (!number) {
        // Not a number: no rate can match it, only the empty text has a category.
        return text.empty() ? "5" : "";
    }
    std::string wanted = FormatTwoDecimals(*number);
    std::string category;
    for (int i = 0; i < static_cast<int>(std::tuple_size_v<VatRates>); ++i) {
        if (RateWithTwoDecimals(VatRate(i, file)) == wanted) {
            category = std::string(1, static_cast<char>('1' + i));
        }
    }
    return category;
}

VatRateTexts ShowVatRates(const std::filesystem::path& file) {
    VatRateTexts boxes;
    VatRates rates{};
    if (LoadVatRates(rates, file) != 0) {
        boxes.fill("0");
        return boxes;
    }
    for (std::size_t i = 0; i < rates.size(); ++i) {
        std::string text = ShortestText(rates[i]).value_or("0");
        std::replace(text.begin(), text.end(), '.', ',');
        boxes[i] = text == "-0" ? "0" : text;
    }
    return boxes;
}

int CollectVatRates(VatRateTexts& boxes, VatRates& rates) {
    VatRates read{};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        std::replace(boxes[i].begin(), boxes[i].end(), '.', ',');
        std::optional<double> rate = ParseRateBox(boxes[i]);
        if (!rate) {
            return -1;
        }
        read[i] = *rate;
    }
    rates = read;
    return 0;
}

}  // namespace varkon
