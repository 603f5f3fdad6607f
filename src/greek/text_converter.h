// The external converter seam: every text bound for the register passes through it first.
// The program writes a text with a flag and reads the converted text back; the default converter
// Cnv437869G hands the text back unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varkon {

class TextConverter {
  public:
    virtual ~TextConverter() = default;
    virtual void Write(std::string_view text, std::int16_t flag) = 0;
    virtual std::string Read() const = 0;
};

class Cnv437869G final : public TextConverter {
  public:
    void Write(std::string_view text, std::int16_t flag) override;
    std::string Read() const override { return text_; }

  private:
    std::string text_;
};

}  // namespace varkon
