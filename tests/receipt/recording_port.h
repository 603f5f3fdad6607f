// A SerialPort test double: records every byte written and answers each command (a write ending
// in CR) with 0x04 at once, unless its text is listed as silent. The test keeps the Wire.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace varkon::test {

struct Wire {
    std::string bytes;
    std::vector<std::string> commands;  // without their final CR
    std::set<std::string> silent;
    std::function<void()> onCommand;
    int answers = 0;
};

class RecordingPort : public SerialPort {
  public:
    explicit RecordingPort(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}
    PortOpening open(const std::string&, const std::optional<LineFormat>&) override {
        return PortOpening::kOpened;
    }
    bool isOpen() const override { return true; }
    void close() override {}
    bool write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;

  private:
    std::shared_ptr<Wire> wire_;
    std::string current_;
};

}  // namespace varkon::test
