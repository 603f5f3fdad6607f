#include <gtest/gtest.h>

#include "config/pacing_delay.h"
#include "greek/cp1253.h"
#include "maintenance/link_messages.h"
#include "receipt/receipt_rig.h"
#include "support/child_process.h"

namespace varkon::test {
namespace {

TEST(ReceiptOnVirtualRegister, SampleReceiptArrivesByteForByte) {
    TempDir dir;
    // varkon-sim without a shell; the first line it prints names its device.
    ChildProcess sim({VARKON_SIM, "--transcript", (dir / "wire.bin").string(), "--paper",
                      (dir / "paper.txt").string()});
    const std::string device = sim.readLine();
    ASSERT_FALSE(device.empty());
    {
        RecordingNotices notices;
        RegisterLink link(notices, nullptr, LinkTimings{},
                          [&] { return ReadPacingDelay({}, dir.path()); });
        const PortOpening opened = link.open(device, LineFormatForSpeed("9600"));
        EXPECT_EQ(PortOpening::kOpened, opened) << OpenFailureText(opened, device);
        Cnv437869G converter;
        RegisterCharset charset;
        ReceiptPrinter printer(link, converter, charset, notices);
        SaveVatRates({0, 13, 0, 0, 0}, dir / "vats.dat");
        printer.vatFile = dir / "vats.dat";
        dir.write("print.prn", kSampleReceipt);
        if (opened == PortOpening::kOpened) {
            EXPECT_EQ(
                0, printer.print(FromFsPath(dir / "print.prn"), ReceiptSettingsOf(SampleSettings()))
                       .error);
        }
        EXPECT_TRUE(notices.boxes.empty());
        link.close();
    }
    sim.stop();  // the transcript is complete once the register has ended
    EXPECT_EQ(kSampleWire, dir.read("wire.bin"));
}

}  // namespace
}  // namespace varkon::test
