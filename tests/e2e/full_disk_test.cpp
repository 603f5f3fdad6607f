// A work folder whose disk fills up in the middle of a receipt: the job record can no longer
// record the register's answers, so the receipt stops before the next command goes out and goes
// on, exactly once, when the record can be written again. The folder is a small tmpfs of its own
// (mounting one needs root; elsewhere these cases are skipped).
#include <sys/mount.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

constexpr int kSales = 300;
const std::string kSettled = "KX66000T1\r";

std::string LongReceipt() {
    std::string text;
    for (int i = 0; i < kSales; ++i) {
        text += " PLU 5209876543210 PIE                           1.000       2.20   13.00\r\n";
    }
    return text + " to    1     660.00\r\n";
}

class FullDisk : public FaultMatrix {
  protected:
    void SetUp() override {
        FaultMatrix::SetUp();
        disk = dir / "disk";
        fs::create_directory(disk);
        if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0) {
            GTEST_SKIP() << "no tmpfs of our own here: " << std::strerror(errno);
        }
        mounted = true;
        fs::copy_file(dir / "param.ini", disk / "param.ini");
        fs::copy_file(dir / "vats.dat", disk / "vats.dat");
    }
    void TearDown() override {
        service.reset();
        sim.reset();
        if (mounted) umount2(disk.c_str(), MNT_DETACH);
    }

    void startOnDisk(const std::vector<std::string>& misbehaviour) {
        startRegister(misbehaviour);
        startService({}, false, disk);
        ASSERT_TRUE(Eventually([&] { return logHas("status: " + kWaiting); }));
    }

    // The disk is filled up to its last free page: the next page the job record needs is not
    // there.
    void fillAllButAPage() {
        const fs::path filler = disk / "filler";
        std::FILE* file = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size() &&
               std::fflush(file) == 0) {
        }
        std::fclose(file);
        fs::resize_file(filler, fs::file_size(filler) / 4096 * 4096 - 4096);
    }

    // The print file is written first, then the disk is filled, then the file is handed over.
    void dropOnFullDisk(const std::string& name, const std::string& bytes) {
        {
            std::ofstream out(disk / (name + ".tmp"), std::ios::binary);
            out << bytes;
        }
        fs::last_write_time(disk / (name + ".tmp"), fs::file_time_type::clock::now() - 2s);
        fillAllButAPage();
        fs::rename(disk / (name + ".tmp"), disk / name);
    }

    std::vector<std::string> recordMessages() const {
        std::vector<std::string> told;
        for (const std::string& text : logged("message")) {
            if (text.find("varkon.job") != std::string::npos) told.push_back(text);
        }
        return told;
    }

    // The line the receipt stopped at, as the message tells it.
    int stoppedAtLine() const {
        const std::vector<std::string> told = recordMessages();
        if (told.empty()) return -1;
        const std::string& text = told.front();
        const std::string head = "από τη γραμμή ";
        const std::size_t at = text.find(head);
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + head.size());
    }

    fs::path disk;
    bool mounted = false;
};

TEST_F(FullDisk, ReceiptStopsBeforeTheNextCommandAndGoesOnOnceWhenTheRecordCanBeWritten) {
    // The job record starts empty: its first page is the last one free, and the answers of
    // the receipt's first two hundred commands or so fill it.
    startOnDisk({"--latency", "2"});
    dropOnFullDisk("print.1", LongReceipt());
    ASSERT_TRUE(Eventually([&] { return !recordMessages().empty(); })) << dir.read("varkond.log");
    const int line = stoppedAtLine();
    ASSERT_GT(line, 1);
    ASSERT_LT(line, kSales);
    // The command of that line went out and was answered; nothing after it.
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(line, sent(kPie));
    EXPECT_EQ(0, sent(kSettled));
    EXPECT_TRUE(fs::exists(disk / "print.1"));

    fs::remove(disk / "filler");
    ASSERT_TRUE(Eventually([&] { return !fs::exists(disk / "print.1"); }));
    EXPECT_EQ(kSales, sent(kPie));  // every sale once: the rest went out from the next line
    EXPECT_EQ(1, sent(kSettled));
    EXPECT_EQ(1u, recordMessages().size());
}

TEST_F(FullDisk, ReceiptStoppedCleanlyWhileTheDiskIsFullIsFinishedAfterTheRestart) {
    startOnDisk({"--latency", "2"});
    dropOnFullDisk("print.1", LongReceipt());
    ASSERT_TRUE(Eventually([&] { return !recordMessages().empty(); })) << dir.read("varkond.log");
    service->signal(SIGTERM);
    ASSERT_EQ(0, service->waitExit());

    fs::remove(disk / "filler");
    startService({}, false, disk);
    ASSERT_TRUE(Eventually([&] { return !fs::exists(disk / "print.1"); }));
    // The answer that could not be recorded was known only to the stopped program: that one
    // command, and no other, is sent again.
    EXPECT_GE(sent(kPie), kSales);
    EXPECT_LE(sent(kPie), kSales + 1);
    EXPECT_EQ(1, sent(kSettled));
}

}  // namespace
}  // namespace varkon::e2e
