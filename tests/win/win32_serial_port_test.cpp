#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "config/line_format.h"
#include "greek/cp1253.h"
#include "link/register_link.h"
#include "link/win32_serial_port.h"
#include "maintenance/link_messages.h"
#include "platform/files.h"
#include "support/recording_notices.h"

namespace varkon {
namespace {

// scripts/windows-test starts varkon-sim, links a COM port of the wine prefix to its
// pseudo-terminal and names them here, with a port that has no device behind it. The sim refuses
// every command containing PAPEROUT with the register's code 2 (paper end).
struct SimulatedRegister {
    std::string port = Env("VARKON_SIM_PORT");              // "COM5"
    std::string transcript = Env("VARKON_SIM_TRANSCRIPT");  // a Windows path
    std::string missingPort = Env("VARKON_SIM_MISSING_PORT");

    bool present() const { return !port.empty() && !transcript.empty() && !missingPort.empty(); }

    static std::string Env(const char* name) {
        const char* value = std::getenv(name);
        return value ? value : "";
    }
};

#define REQUIRE_SIM(sim)                                                                \
    if (!(sim).present()) {                                                             \
        GTEST_SKIP() << "no virtual register on a COM port (run scripts/windows-test)"; \
    }

class ComPortTest : public ::testing::Test {
  protected:
    // As the engine opens: the speed text of the settings, a failure told.
    PortOpening open(const std::string& name, const std::string& baud = "9600") {
        const PortOpening outcome = link.open(name, LineFormatForSpeed(baud));
        message = OpenFailureText(outcome, name);
        TellOpenOutcome(notices, outcome, name);
        return outcome;
    }
    // The text the operator reads for the outcome; the outcome itself is kept in `last`.
    std::string send(const std::string& command) {
        last = link.send(command);
        return ExchangeText(last);
    }

    SimulatedRegister sim;
    test::RecordingNotices notices;
    RegisterLink link{notices, nullptr};  // the platform's port with the real time-outs
    std::string message;                  // the open's failure message (UTF-8)
    ExchangeResult last;
};

TEST(Win32SerialPort, OnlyComTenAndAboveGetTheDevicePrefix) {
    EXPECT_EQ("COM1", Win32SerialPort::DeviceName("COM1"));
    EXPECT_EQ("com9", Win32SerialPort::DeviceName("com9"));
    EXPECT_EQ("\\\\.\\COM10", Win32SerialPort::DeviceName("COM10"));
    EXPECT_EQ("\\\\.\\Com256", Win32SerialPort::DeviceName("Com256"));
    for (const char* asSet : {"LPT1", "COM", "COMX1", "COM1x", "\\\\.\\COM12", ""}) {
        EXPECT_EQ(asSet, Win32SerialPort::DeviceName(asSet));
    }
}

TEST_F(ComPortTest, MissingPortIsShownAndStaysFailedUntilClosed) {
    REQUIRE_SIM(sim);
    EXPECT_EQ(PortOpening::kNotOpened, open(sim.missingPort));
    EXPECT_EQ("Πρόβλημα στην Θύρα :" + sim.missingPort, message);
    EXPECT_EQ(PortState::kFailed, link.portState());
    ASSERT_EQ(1u, notices.boxes.size());
    EXPECT_EQ(16, notices.boxes[0].style);
    EXPECT_EQ("Μύνημα Varkon", notices.boxes[0].title);
    link.close();
    EXPECT_EQ(PortState::kClosed, link.portState());
}

TEST_F(ComPortTest, SpeedWithoutLineSettingsIsASetUpFailureWithThePortLeftOpen) {
    REQUIRE_SIM(sim);
    EXPECT_EQ(PortOpening::kSetUpFailed, open(sim.port, "abc"));
    EXPECT_EQ("Πρόβλημα στο Set-Up τής Θύρας :" + sim.port, message);
    EXPECT_EQ(PortState::kOpen, link.portState());
    EXPECT_EQ(1u, notices.boxes.size());
    link.close();

    // The handle stays usable with the line as it was.
    Win32SerialPort port{LinkTimings{}};
    EXPECT_EQ(PortOpening::kSetUpFailed, port.open(sim.port, ParseLineFormat(",n,8,1")));
    ASSERT_TRUE(port.isOpen());
    EXPECT_TRUE(port.write("KXCL\r"));
    EXPECT_EQ("\x04", port.read(255));
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(ComPortTest, RegisterAnswersThroughTheComPortAndHearsEveryByte) {
    REQUIRE_SIM(sim);
    const std::size_t before = ReadWholeFile(sim.transcript).size();
    ASSERT_EQ(PortOpening::kOpened, open(sim.port)) << message;

    EXPECT_EQ("", send("KXCL"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);

    EXPECT_EQ("Τέλος Χαρτιού !", send("KXPAPEROUT"));
    EXPECT_EQ(ExchangeStatus::kRefused, last.status);
    EXPECT_EQ(2, last.code);
    ASSERT_EQ(1u, notices.boxes.size());
    EXPECT_EQ("Λάθος : 2\rΤέλος Χαρτιού !", notices.boxes[0].text);

    // Line feeds, XON/XOFF, 0x04 and the upper half go out untouched: a raw 8-bit line.
    std::string everyByte;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r') everyByte += static_cast<char>(b);
    }
    EXPECT_EQ("", send(everyByte));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    link.close();

    const std::string wire = ReadWholeFile(sim.transcript);
    ASSERT_GE(wire.size(), before);
    EXPECT_EQ("KXCL\rKXPAPEROUT\r" + everyByte + "\r", wire.substr(before));
}

// An answer left unread (a refusal here, its first two bytes read) is thrown away before the
// next command, so that command gets its own answer.
TEST_F(ComPortTest, AnswerLeftUnreadIsDiscardedBeforeTheNextCommand) {
    REQUIRE_SIM(sim);
    Win32SerialPort port{LinkTimings{}};
    ASSERT_EQ(PortOpening::kOpened, port.open(sim.port, LineFormat{}));
    EXPECT_EQ(0u, port.discardInput());
    ASSERT_TRUE(port.write("KXPAPEROUT\r"));
    // A read of two bytes waits only a few milliseconds for them.
    std::string head;
    for (int tries = 0; tries < 1000 && head.size() < 2; ++tries)
        head += port.read(2 - head.size());
    EXPECT_EQ("DE", head);
    EXPECT_EQ(3u, port.discardInput());  // "2", CR and 0x04
    ASSERT_TRUE(port.write("KXCL\r"));
    EXPECT_EQ("\x04", port.read(255));
    port.close();
    EXPECT_EQ(0u, port.discardInput());
}

}  // namespace
}  // namespace varkon
