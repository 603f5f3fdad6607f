// GreekMikro turns Windows Greek text into the register's own character codes (ToMikroCodes) and
// DOS Greek (code page 737) text into Windows Greek (FromDosGreek). One object lives for the whole
// run; it keeps the result of its last conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varkon {

class GreekMikro {
  public:
    // cnvType_ 0 converts to register codes, -1 converts from DOS Greek; any other value leaves
    // the previous result in place.
    void InSring(std::string_view cnvNewstring, std::int16_t cnvType_);
    std::string GreekString() const { return result_; }

    // The two table conversions; one output byte per input byte.
    static std::string ToMikroCodes(std::string_view text);
    static std::string FromDosGreek(std::string_view text);

  private:
    std::string result_;
};

}  // namespace varkon
