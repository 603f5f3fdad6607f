// RegisterCharset turns Windows Greek text into the register's own character codes (ToMikroCodes)
// and DOS Greek (code page 737) text into Windows Greek (FromDosGreek). One object lives for the
// whole run; it keeps the result of its last conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varkon {

// The conversions `RegisterCharset::convert` knows.
inline constexpr std::int16_t kToRegisterCodes = 0;
inline constexpr std::int16_t kFromDosGreek = -1;

class RegisterCharset {
  public:
    // kToRegisterCodes or kFromDosGreek; any other value leaves the previous result in place.
    void convert(std::string_view text, std::int16_t conversion);
    const std::string& converted() const { return result_; }

    // The two table conversions; one output byte per input byte.
    static std::string ToMikroCodes(std::string_view text);
    static std::string FromDosGreek(std::string_view text);

  private:
    std::string result_;
};

}  // namespace varkon
