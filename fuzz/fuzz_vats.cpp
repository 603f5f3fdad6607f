// vats.dat on arbitrary bytes: the loader, the single-rate reader, the dialog's boxes and the
// category lookup. The bytes after the five rates double as a sale line's rate text.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/vat_table.h"
#include "fuzz_support.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameRate(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    static const fuzz::MemFile file("vats.dat");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    file.set(input);

    VatRates rates{};
    Check(LoadVatRates(rates, file.path()) == 0);
    for (std::size_t i = 0; i < rates.size(); ++i) {
        Check(SameRate(VatRate(static_cast<int>(i), file.path()), rates[i]));
        // A rate the file does not hold completely reads as 0.
        if ((i + 1) * 8 > size) Check(rates[i] == 0);
    }
    Check(VatRate(-1, file.path()) == 0);
    Check(VatRate(1 << 30, file.path()) == 0);

    // The boxes show every finite rate so that collecting them gives the same rate back, and
    // each box's text, as a sale line's rate, finds its own category or a later one.
    VatRateTexts boxes = ShowVatRates(file.path());
    VatRateTexts collected = boxes;
    VatRates back{};
    Check(CollectVatRates(collected, back) == 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!std::isfinite(rates[i])) continue;
        Check(back[i] == rates[i]);
        const std::string category = VatCategory(boxes[i], file.path());
        Check(category.size() == 1 && category[0] >= static_cast<char>('1' + i) &&
              category[0] <= '5');
    }

    // The rest of the file as a rate text: a category is one digit or nothing.
    const std::string_view rateText = size > 40 ? input.substr(40) : std::string_view();
    const std::string category = VatCategory(rateText, file.path());
    Check(category.empty() || (category.size() == 1 && category[0] >= '1' && category[0] <= '5'));

    // The same text typed into every box either parses in all of them or fails.
    VatRateTexts typed;
    typed.fill(std::string(rateText));
    VatRates typedRates{};
    const int typedStatus = CollectVatRates(typed, typedRates);
    Check(typedStatus == 0 || typedStatus == -1);
    return 0;
}
