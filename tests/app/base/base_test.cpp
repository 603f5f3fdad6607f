#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>
#include <utility>

#include "app/base/file_helpers.h"
#include "app/base/messages.h"
#include "greek/cp1253.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace varkon {
namespace {

using test::RecordingSurface;
using test::TempDir;

// Names in these tests are UTF-8 literals. On Windows std::filesystem reads a narrow name in the
// system's code page, so names go in and come out as char8_t.
fs::path At(const TempDir& dir, std::string_view utf8Name) {
    return dir.path() / std::u8string(utf8Name.begin(), utf8Name.end());
}

std::string Utf8(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// The code page 1253 form of a path in a temporary folder.
std::string Cp(const fs::path& path) {
    return Utf8ToCp1253(Utf8(path));
}

void Write(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(Messages, EveryAnswerRaisesMessageShown) {
    for (int answer : {kAnswerOk, kAnswerCancel}) {
        RecordingSurface surface;
        surface.answers = {answer};
        Messages messages(surface);
        EXPECT_EQ(answer, messages.ShowMessage("Έτοιμο", 64, "τίτλος"));
        EXPECT_TRUE(messages.MessageShown);
        ASSERT_EQ(1u, surface.boxes.size());
        EXPECT_EQ("Έτοιμο|64|τίτλος", surface.boxes[0].text + "|" +
                                          std::to_string(surface.boxes[0].style) + "|" +
                                          surface.boxes[0].title);
    }
}

TEST(FileExists, OnlyOrdinaryFilesAnswerToNamesAndPatterns) {
    TempDir dir;
    for (const char* name : {"a.prn", "noext", ".hidden.txt", "απόδειξη.dat", "d1/inner.prn"}) {
        fs::create_directories(At(dir, name).parent_path());
        Write(At(dir, name), "x");
    }
#ifdef _WIN32
    ::SetFileAttributesW(At(dir, ".hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
    fs::create_directory(dir / "folder.log");

    EXPECT_TRUE(FileExists(Cp(dir / "a.prn")));
    EXPECT_TRUE(FileExists(Cp(At(dir, "απόδειξη.dat"))));
    EXPECT_FALSE(FileExists(Cp(dir / "missing.prn")));
    EXPECT_FALSE(FileExists(Cp(dir / "folder.log")));
    EXPECT_TRUE(FileExists(Cp(dir / "?.p*")));
    EXPECT_FALSE(FileExists(Cp(dir / "??.prn")));
    EXPECT_TRUE(FileExists(Cp(dir / "*.*")));     // also names without a dot
    EXPECT_TRUE(FileExists(Cp(At(dir, "απ*"))));  // Greek names
    EXPECT_FALSE(FileExists(Cp(At(dir, "απ?"))));
    EXPECT_FALSE(FileExists(Cp(dir / "*.log")));         // only a directory matches
    EXPECT_FALSE(FileExists(Cp(dir / "*.txt")));         // hidden files are not listed
    EXPECT_TRUE(FileExists(Cp(dir / ".*.txt")));         // unless asked for by name
    EXPECT_FALSE(FileExists(Cp(dir / "d*/inner.prn")));  // wildcards in the last part only
    EXPECT_FALSE(FileExists(Cp(dir / "nofolder/*")));

    const fs::path before = fs::current_path();  // no folder part: the working directory
    fs::current_path(dir.path());
    const bool found = FileExists("*.prn"), notFound = FileExists("*.log");
    fs::current_path(before);
    EXPECT_TRUE(found);
    EXPECT_FALSE(notFound);
}

TEST(DeleteFileWithRetry, GoneOrDeletableFileNeedsNoQuestion) {
    TempDir dir;
    dir.write("job.prn", "x");
    RecordingSurface surface;
    Messages messages(surface);
    int stops = 0;
    DeleteFileWithRetry(Cp(dir / "missing.prn"), messages, [&] { ++stops; });
    DeleteFileWithRetry(Cp(dir / "job.prn"), messages, [&] { ++stops; });
    EXPECT_FALSE(fs::exists(dir / "job.prn"));
    EXPECT_TRUE(surface.boxes.empty());
    EXPECT_EQ(0, stops);
}

// A surface that lets the world change when the question comes.
class ActingSurface : public RecordingSurface {
  public:
    int messageBox(const std::string& text, int style, const std::string& title) override {
        if (onBox) onBox();
        return RecordingSurface::messageBox(text, style, title);
    }
    std::function<void()> onBox;
};

// A file another program holds. On Linux a file of /proc, which nobody may delete, not even root,
// reached through a link in the temporary folder; pointing the link elsewhere stands for the other
// program letting go. On Windows the file is held open here without delete sharing until closed.
class DeleteStuckFile : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        fs::create_directory(folder);
        Write(released, "x");
        held = ::CreateFileW(released.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
#else
        if (!fs::is_regular_file("/proc/self/status")) GTEST_SKIP() << "no /proc here";
        fs::create_directory_symlink("/proc/self", folder);
        fs::create_directory(released.parent_path());
        Write(released, "x");
#endif
    }
#ifdef _WIN32
    void TearDown() override {
        letGo();
    }
#endif

    void letGo() {
#ifdef _WIN32
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
#else
        fs::remove(folder);
        fs::create_directory_symlink(released.parent_path(), folder);
#endif
    }

    TempDir dir;
    fs::path folder = At(dir, "φάκελος");
    std::string path = Cp(folder / "status");
#ifdef _WIN32
    fs::path released = folder / "status";  // the same file, once closed
    HANDLE held = INVALID_HANDLE_VALUE;
#else
    fs::path released = dir / "released" / "status";
#endif
    ActingSurface surface;
    Messages messages{surface};
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

TEST_F(DeleteStuckFile, CancelRunsTheStopActionAndKeepsTheFile) {
    surface.answers = {kAnswerOk, kAnswerCancel};
    DeleteFileWithRetry(path, messages, stop, std::chrono::milliseconds(10));
    ASSERT_EQ(2u, surface.boxes.size());
    EXPECT_EQ("Αδύνατη η διαγραφή του αρχείου [" + Utf8(folder / "status") +
                  "]\r\rΝα συνεχιστεί η προσπάθεια?",
              surface.boxes[1].text);
    EXPECT_EQ(17, surface.boxes[1].style);
    EXPECT_EQ("", surface.boxes[1].title);
    EXPECT_TRUE(messages.MessageShown);
    EXPECT_EQ(1, stops);
    EXPECT_TRUE(FileExists(path));
}

TEST_F(DeleteStuckFile, OkStartsANewPeriodThatCanSucceed) {
    surface.onBox = [this] { letGo(); };
    DeleteFileWithRetry(path, messages, stop, std::chrono::milliseconds(10));
    EXPECT_EQ(1u, surface.boxes.size());
    EXPECT_EQ(0, stops);
    EXPECT_FALSE(fs::exists(released));
}

TEST(ReadWholeFile, GivesEveryByteOrNothing) {
    TempDir dir;
    std::string binary = "line\r\n";
    for (int b = 0; b < 256; ++b) binary += static_cast<char>(b);
    binary += std::string(40000, '\xE1');  // more than one read's worth
    dir.write("data.bin", binary);
    Write(At(dir, "καθυστέρηση.inf"), "250");
    dir.write("empty", "");
    EXPECT_EQ(binary, ReadWholeFile(Cp(dir / "data.bin")));
    EXPECT_EQ("250", ReadWholeFile(Cp(At(dir, "καθυστέρηση.inf"))));
    for (const auto& name : {"empty", "missing", "", "*"}) {
        EXPECT_EQ("", ReadWholeFile(Cp(dir / name))) << name;
    }
}

TEST(WildcardMatch, FollowsTheHostPlatformsNameRules) {
    EXPECT_TRUE(WildcardMatch("*.prn", "a.PRN"));
    EXPECT_TRUE(WildcardMatch("print?.*", "print7.txt"));
    EXPECT_TRUE(WildcardMatch("*a*b*", "xxaxxbxx"));
    EXPECT_FALSE(WildcardMatch("*.prn", "a.prn.bak"));
    EXPECT_FALSE(WildcardMatch("print?.*", "print.1"));
    EXPECT_FALSE(WildcardMatch("*a*b*", std::string(4000, 'a')));  // no blow-up
}

}  // namespace
}  // namespace varkon
