// WholeAnswerPort: the engine's serial line, which hands over a register's refusal ("DE", code,
// CR, 0x04) whole even when the code comes in a later read than "DE". It owns the port it wraps;
// the engine owns it through the register link.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "link/link_timings.h"
#include "link/serial_port.h"

namespace varkon {

// The exchange judges an answer as soon as "DE" is in: a code still on its way would be lost, and
// then taken for the next command's answer. So after "DE" reads go on until the answer's 0x04 has
// arrived or a whole read brings nothing, for at most the reply window.
class WholeAnswerPort final : public SerialPort {
  public:
    WholeAnswerPort(std::unique_ptr<SerialPort> port, const LinkTimings& timings);

    int open(const std::string& portName, const std::string& lineSettings) override;
    bool isOpen() const override { return port_->isOpen(); }
    void close() override { port_->close(); }
    // A command starts a new answer.
    bool write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;

  private:
    void follow(std::string_view bytes);

    std::unique_ptr<SerialPort> port_;
    LinkTimings timings_;
    char last_ = 0;
    bool refusalOpen_ = false;  // "DE" has arrived, the 0x04 that ends its answer not yet
};

}  // namespace varkon
