// The virtual register's paper roll: turns the key commands it takes into readable UTF-8 lines
// (sales, adjustments, payments, comments, reports) with the register's character codes turned
// back into Greek. It keeps just enough of the open receipt to print sums; it owns no output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varkon::sim {

class PaperRoll {
  public:
    static constexpr std::size_t kWidth = 40;

    // The lines (each ending in '\n', possibly none) printed for a command the register took.
    std::string accepted(std::string_view command);
    // A command answered with an error code: a note, nothing is booked.
    std::string refused(std::string_view command, std::string_view code) const;
    std::string discarded(std::size_t bytes) const;
    std::string hungUp(std::string_view newDevice) const;
    // The line went dead; it came back after `lost` bytes had been sent into it.
    std::string lineDead() const;
    std::string lineBack(std::size_t lost) const;

    // Register character codes to UTF-8: Greek letters for the register's own codes, ASCII for
    // ASCII (Greek capitals that look Latin arrive as Latin letters and stay so), \xNN otherwise.
    static std::string FromRegisterCodes(std::string_view text);
    // Printable ASCII as it is, every other byte (and the backslash) as an escape.
    static std::string Escaped(std::string_view raw);

  private:
    std::string sale(std::int64_t price, std::string_view key, std::string_view description);
    std::string adjustment(std::int64_t amount, std::string_view text);
    std::string percentage(std::int64_t hundredths, std::string_view text);
    std::string payment(std::optional<std::int64_t> amount, std::string_view key);
    std::string subtotal();
    std::string openReceipt();

    std::int64_t subtotal_ = 0;  // cents of the open receipt
    std::int64_t paid_ = 0;
    std::int64_t lastItem_ = 0;
    bool open_ = false;
    bool totalShown_ = false;
    bool minus_ = false;          // "- " was keyed: the next entry is negative
    bool afterSubtotal_ = false;  // an adjustment now applies to the subtotal, not the last item
    bool lastWasSubtotal_ = false;
    std::optional<std::int64_t> quantity_;  // thousandths, keyed before a sale
    std::optional<std::string> wholeQuantity_;
    std::optional<std::string> department_;  // keyed with "PL" before a sale with "AC"
};

}  // namespace varkon::sim
