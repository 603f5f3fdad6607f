#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "greek/cp1253.h"
#include "receipt/receipt_rig.h"

extern char** environ;

namespace varkon::test {
namespace {

TEST(ReceiptOnVirtualRegister, SampleReceiptArrivesByteForByte) {
    TempDir dir;
    // varkon-sim without a shell; the first line it prints names its device.
    std::string program = VARKON_SIM, transcript = "--transcript", wireFile = dir / "wire.bin",
                paper = "--paper", paperFile = dir / "paper.txt";
    char* argv[] = {program.data(), transcript.data(), wireFile.data(),
                    paper.data(),   paperFile.data(),  nullptr};
    int out[2];
    ASSERT_EQ(0, ::pipe(out));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string device;
    for (char c = 0; spawned == 0 && ::read(out[0], &c, 1) == 1 && c != '\n';) device += c;
    ::close(out[0]);
    ASSERT_EQ(0, spawned);
    {
        RecordingSurface surface;
        Messages messages(surface);
        FiscalTecModule link(messages, nullptr, LinkTimings{}, dir.path());
        std::string ecrErrorText;
        link.OpenPort(device, "9600", ecrErrorText, false);
        EXPECT_EQ(0, link.EcrError) << Cp1253ToUtf8(ecrErrorText);
        Cnv437869G converter;
        GreekMikro mikro;
        Reports reports(link, ecrErrorText);
        ReceiptPrinter printer(link, ecrErrorText, converter, mikro, reports);
        SaveVatRates({0, 13, 0, 0, 0}, dir / "vats.dat");
        printer.vatFile = dir / "vats.dat";
        dir.write("print.prn", kSampleReceipt);
        if (link.EcrError == 0) {
            EXPECT_EQ(0, printer.getdata(FromFsPath(dir / "print.prn"), SampleSettings()).error);
        }
        EXPECT_TRUE(surface.boxes.empty());
        link.ClosePort();
    }
    if (pid > 0) ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(kSampleWire, dir.read("wire.bin"));
}

}  // namespace
}  // namespace varkon::test
