#include <gtest/gtest.h>

#include "greek/cp1253.h"
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
        FiscalTecModule link(notices, nullptr, LinkTimings{}, dir.path());
        std::string ecrErrorText;
        link.OpenPort(device, "9600", ecrErrorText, false);
        EXPECT_EQ(0, link.EcrError) << Cp1253ToUtf8(ecrErrorText);
        Cnv437869G converter;
        GreekMikro mikro;
        ReceiptPrinter printer(link, ecrErrorText, converter, mikro, notices);
        SaveVatRates({0, 13, 0, 0, 0}, dir / "vats.dat");
        printer.vatFile = dir / "vats.dat";
        dir.write("print.prn", kSampleReceipt);
        if (link.EcrError == 0) {
            EXPECT_EQ(
                0, printer.print(FromFsPath(dir / "print.prn"), ReceiptSettingsOf(SampleSettings()))
                       .error);
        }
        EXPECT_TRUE(notices.boxes.empty());
        link.ClosePort();
    }
    sim.stop();  // the transcript is complete once the register has ended
    EXPECT_EQ(kSampleWire, dir.read("wire.bin"));
}

}  // namespace
}  // namespace varkon::test
