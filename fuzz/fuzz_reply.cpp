// The register's answers on arbitrary bytes: the decoder alone, quiet and not, and the whole
// exchange with the answer arriving in pieces of any size across several attempts.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "link/register_link.h"
#include "link/reply_decoder.h"
#include "link/serial_port.h"
#include "maintenance/link_messages.h"
#include "support/quiet_notices.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The refusal rule written out on its own, for the decoder to be checked against: the reply's
// first word begins with "DE", and with every non-overlapping "DE" taken out it is not "00".
bool IsRefusal(std::string_view reply) {
    const std::string_view firstWord = reply.substr(0, reply.find(' '));
    if (!firstWord.starts_with("DE")) return false;
    std::string code;
    for (std::size_t i = 0; i < firstWord.size(); ++i) {
        if (firstWord[i] == 'D' && i + 1 < firstWord.size() && firstWord[i + 1] == 'E') {
            ++i;
        } else {
            code += firstWord[i];
        }
    }
    return code != "00";
}

// A port that is never opened: nothing is written, nothing is read.
class ClosedPort final : public varkon::SerialPort {
  public:
    varkon::PortOpening open(const std::string&,
                             const std::optional<varkon::LineFormat>&) override {
        return varkon::PortOpening::kNotOpened;
    }
    bool isOpen() const override { return false; }
    void close() override {}
    bool write(std::string_view) override { return false; }
    std::string read(std::size_t) override { return {}; }
};

// Hands out the answer in pieces whose sizes come from the input, one piece per read.
class PiecewisePort final : public varkon::SerialPort {
  public:
    PiecewisePort(std::string_view answer, std::string_view sizes)
        : answer_(answer), sizes_(sizes) {}
    varkon::PortOpening open(const std::string&,
                             const std::optional<varkon::LineFormat>&) override {
        return varkon::PortOpening::kOpened;
    }
    bool isOpen() const override { return true; }
    void close() override {}
    bool write(std::string_view) override { return true; }
    std::string read(std::size_t maxBytes) override {
        std::size_t piece = answer_.size();
        if (next_ < sizes_.size()) piece = static_cast<unsigned char>(sizes_[next_++]);
        piece = std::min({piece, maxBytes, answer_.size() - offset_});
        std::string out(answer_.substr(offset_, piece));
        offset_ += piece;
        return out;
    }

  private:
    std::string_view answer_;
    std::string_view sizes_;
    std::size_t next_ = 0;
    std::size_t offset_ = 0;
};

varkon::LinkTimings NoWaiting(int attempts) {
    varkon::LinkTimings timings;
    timings.replyWindow = std::chrono::milliseconds(0);
    timings.attempts = attempts;
    return timings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    test::QuietNotices notices;
    {
        ExchangeResult result;
        result.reply = std::string(input);
        result.quiet = true;
        DecodeReply(result);
        // Only a reply beginning with "DE" is a refusal, and only a refusal's text is replaced;
        // only a refusal with a number carries a code.
        Check(result.refused() == IsRefusal(input));
        if (!input.starts_with("DE")) Check(result.reply == input && !result.refused());
        if (result.status != ExchangeStatus::kRefused) Check(result.code == 0);
        // A quiet outcome is never told.
        TellExchangeOutcome(notices, result);
        Check(notices.boxes == 0);
    }
    RegisterLink closed(notices, std::make_unique<ClosedPort>(), NoWaiting(1));
    Check(closed.open("com1", std::nullopt) == PortOpening::kNotOpened);
    Check(closed.portState() == PortState::kFailed);
    const int shownBefore = notices.boxes;

    // The whole exchange: the first byte gives the attempts, the next eight the piece sizes of
    // the reads, the rest is the answer.
    if (size >= 9) {
        const int attempts = 1 + data[0] % 8;
        RegisterLink link(notices,
                          std::make_unique<PiecewisePort>(input.substr(9), input.substr(1, 8)),
                          NoWaiting(attempts));
        const ExchangeResult result = link.exchange("KX0T1\r", true);
        // Quietly the outcome is only ever success or no answer; an answer is handed on cleaned.
        Check(result.ok() || result.status == ExchangeStatus::kNoAnswer);
        Check(result.reply.find('\x04') == std::string::npos);
    }
    Check(notices.boxes == shownBefore);
    return 0;
}
