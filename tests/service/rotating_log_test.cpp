#include "service/rotating_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace varkon {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A message as LogSurface writes one: in pieces, then a flush.
void Log(std::ostream& out, int n, std::size_t length = 20) {
    const std::string text = "message " + std::to_string(n);
    out << text << ": " << std::string(length - text.size() - 3, '.') << '\n';
    out.flush();
}

std::string Message(int n, std::size_t length = 20) {
    std::ostringstream out;
    Log(out, n, length);
    return out.str();
}

// The messages from `first` to `last`, in order.
std::string Messages(int first, int last) {
    std::string all;
    for (int n = first; n <= last; ++n) all += Message(n);
    return all;
}

TEST(RotatingLog, RotatesAtItsSizeKeepingWholeMessagesAndTheNewestOlderFiles) {
    TempDir dir;
    const fs::path file = dir / "varkond.log";
    {
        RotatingLog log(file, 50, 2);
        for (int n = 1; n <= 11; ++n) Log(log, n);
    }
    // 50 bytes take two messages of 20: a third would cross the size and starts the next file.
    EXPECT_EQ(Messages(11, 11), Read(file));
    EXPECT_EQ(Messages(9, 10), Read(dir / "varkond.log.1"));
    EXPECT_EQ(Messages(7, 8), Read(dir / "varkond.log.2"));
    EXPECT_FALSE(fs::exists(dir / "varkond.log.3"));

    // A start goes on with the file as it is, and a message longer than the size stays whole.
    {
        RotatingLog log(file, 50, 2);
        Log(log, 12);
        Log(log, 13, 70);
        Log(log, 14);
    }
    EXPECT_EQ(Messages(14, 14), Read(file));
    EXPECT_EQ(Message(13, 70), Read(dir / "varkond.log.1"));
    EXPECT_EQ(Messages(11, 12), Read(dir / "varkond.log.2"));
}

TEST(RotatingLog, ARotationThatFailsLosesNeitherTheMessageNorTheOlderFiles) {
    TempDir dir;
    const fs::path file = dir / "varkond.log";
    // Where the newest older file would go stands something that cannot be removed.
    fs::create_directories(dir / "varkond.log.1" / "held");
    {
        RotatingLog log(file, 50, 1);
        for (int n = 1; n <= 4; ++n) Log(log, n);
    }
    EXPECT_EQ(Messages(1, 4), Read(file));  // grown past its size, but whole
    fs::remove_all(dir / "varkond.log.1");
    {
        RotatingLog log(file, 50, 1);
        Log(log, 5);
    }
    EXPECT_EQ(Messages(5, 5), Read(file));
    EXPECT_EQ(Messages(1, 4), Read(dir / "varkond.log.1"));

    // A rotation that failed halfway leaves a gap at .1: that is filled, the older ones stay.
    fs::rename(dir / "varkond.log.1", dir / "varkond.log.3");
    std::ofstream(dir / "varkond.log.2", std::ios::binary) << "older\n";
    std::ofstream(file, std::ios::binary) << Messages(6, 8);
    {
        RotatingLog log(file, 50, 3);
        Log(log, 9);
    }
    EXPECT_EQ(Messages(9, 9), Read(file));
    EXPECT_EQ(Messages(6, 8), Read(dir / "varkond.log.1"));
    EXPECT_EQ("older\n", Read(dir / "varkond.log.2"));
    EXPECT_EQ(Messages(1, 4), Read(dir / "varkond.log.3"));
}

}  // namespace
}  // namespace varkon
