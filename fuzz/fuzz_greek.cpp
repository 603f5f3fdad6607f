// The Greek text chain on arbitrary bytes: code page 1253 to UTF-8 and back, the case tables,
// the register codes and the chains that prepare descriptions and footers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "greek/cp1253.h"
#include "greek/register_charset.h"
#include "greek/register_text.h"
#include "greek/text_converter.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Every byte string survives the trip through UTF-8.
    Check(Utf8ToCp1253(Cp1253ToUtf8(input)) == input);

    // The input read as UTF-8 (malformed or not) gives code page 1253 text, which in turn
    // survives the trip; no output is longer than its input.
    const std::string fromUtf8 = Utf8ToCp1253(input);
    Check(fromUtf8.size() <= input.size());
    Check(Utf8ToCp1253(Cp1253ToUtf8(fromUtf8)) == fromUtf8);

    // The case tables keep one byte per byte, and upper case is stable.
    const std::string upper = UpperCp1253(input);
    const std::string lower = LowerCp1253(input);
    Check(upper.size() == input.size() && lower.size() == input.size());
    Check(UpperCp1253(upper) == upper);
    Check(UpperCp1253(LowerCp1253(upper)) == upper);

    // The register code tables are byte for byte as well.
    RegisterCharset charset;
    charset.convert(input, 0);
    Check(charset.converted() == RegisterCharset::ToMikroCodes(input));
    charset.convert(input, -1);
    Check(charset.converted() == RegisterCharset::FromDosGreek(input));
    charset.convert("unchanged", 7);
    Check(charset.converted() == RegisterCharset::FromDosGreek(input));

    Cnv437869G converter;
    Check(PrepareRegisterText(converter, charset, input, true).size() == input.size());
    Check(PrepareRegisterText(converter, charset, input, false).size() == input.size());
    Check(PrepareFooterText(charset, input).size() == input.size());
    return 0;
}
