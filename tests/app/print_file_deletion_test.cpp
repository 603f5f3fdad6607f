#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>
#include <utility>

#include "app/engine_notices.h"
#include "app/print_jobs.h"
#include "greek/cp1253.h"
#include "platform/files.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"
#include "support/utf8_paths.h"

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

using test::At;
using test::Cp;
using test::RecordingNotices;
using test::RecordingSurface;
using test::TempDir;
using test::Utf8;
using test::Write;

TEST(EngineNotices, EveryAnswerRaisesMessageShown) {
    for (int answer : {kAnswerOk, kAnswerCancel}) {
        RecordingSurface surface;
        surface.answers = {answer};
        EngineNotices notices(surface);
        EXPECT_EQ(answer, notices.showMessage("Έτοιμο", 64, "τίτλος"));
        EXPECT_TRUE(notices.messageShown());
        ASSERT_EQ(1u, surface.boxes.size());
        EXPECT_EQ("Έτοιμο|64|τίτλος", surface.boxes[0].text + "|" +
                                          std::to_string(surface.boxes[0].style) + "|" +
                                          surface.boxes[0].title);
        notices.clearMessageShown();
        EXPECT_FALSE(notices.messageShown());
    }
}

TEST(DeleteFileWithRetry, GoneOrDeletableFileNeedsNoQuestion) {
    TempDir dir;
    dir.write("job.prn", "x");
    RecordingNotices notices;
    int stops = 0;
    DeleteFileWithRetry(Cp(dir / "missing.prn"), notices, [&] { ++stops; });
    DeleteFileWithRetry(Cp(dir / "job.prn"), notices, [&] { ++stops; });
    EXPECT_FALSE(fs::exists(dir / "job.prn"));
    EXPECT_TRUE(notices.boxes.empty());
    EXPECT_EQ(0, stops);
}

// Notices that let the world change when the question comes.
class ActingNotices : public RecordingNotices {
  public:
    int showMessage(const std::string& text, int style, const std::string& title) override {
        if (onBox) onBox();
        return RecordingNotices::showMessage(text, style, title);
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
    ActingNotices notices;
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

TEST_F(DeleteStuckFile, CancelRunsTheStopActionAndKeepsTheFile) {
    notices.answers = {kAnswerOk, kAnswerCancel};
    DeleteFileWithRetry(path, notices, stop, std::chrono::milliseconds(10));
    ASSERT_EQ(2u, notices.boxes.size());
    EXPECT_EQ("Αδύνατη η διαγραφή του αρχείου [" + Utf8(folder / "status") +
                  "]\r\rΝα συνεχιστεί η προσπάθεια?",
              notices.boxes[1].text);
    EXPECT_EQ(17, notices.boxes[1].style);
    EXPECT_EQ("", notices.boxes[1].title);
    EXPECT_EQ(1, stops);
    EXPECT_TRUE(FileExists(path));
}

TEST_F(DeleteStuckFile, OkStartsANewPeriodThatCanSucceed) {
    notices.onBox = [this] { letGo(); };
    DeleteFileWithRetry(path, notices, stop, std::chrono::milliseconds(10));
    EXPECT_EQ(1u, notices.boxes.size());
    EXPECT_EQ(0, stops);
    EXPECT_FALSE(fs::exists(released));
}

}  // namespace
}  // namespace varkon
