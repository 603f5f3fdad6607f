#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/base/file_helpers.h"
#include "app/base/messages.h"
#include "greek/cp1253.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace varkon {
namespace {

using test::RecordingSurface;
using test::TempDir;

// The code page 1253 form of a path in a temporary folder.
std::string Cp(const fs::path& path) {
    return Utf8ToCp1253(path.string());
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
        fs::create_directories((dir / name).parent_path());
        dir.write(name, "x");
    }
    fs::create_directory(dir / "folder.log");

    EXPECT_TRUE(FileExists(Cp(dir / "a.prn")));
    EXPECT_TRUE(FileExists(Cp(dir / "απόδειξη.dat")));
    EXPECT_FALSE(FileExists(Cp(dir / "missing.prn")));
    EXPECT_FALSE(FileExists(Cp(dir / "folder.log")));
    EXPECT_TRUE(FileExists(Cp(dir / "?.p*")));
    EXPECT_FALSE(FileExists(Cp(dir / "??.prn")));
    EXPECT_TRUE(FileExists(Cp(dir / "*.*")));            // also names without a dot
    EXPECT_TRUE(FileExists(Cp(dir / "απ*")));            // Greek names
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

// A file nobody may delete, not even root: a file of /proc reached through a link in the
// temporary folder. Pointing the link elsewhere stands for the other program letting go.
class DeleteStuckFile : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_regular_file("/proc/self/status")) GTEST_SKIP() << "no /proc here";
        fs::create_directory_symlink("/proc/self", link);
        fs::create_directory(dir / "released");
        dir.write("released/status", "x");
    }
    TempDir dir;
    fs::path link = dir / "φάκελος";
    std::string path = Cp(link / "status");
    ActingSurface surface;
    Messages messages{surface};
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };
};

TEST_F(DeleteStuckFile, CancelRunsTheStopActionAndKeepsTheFile) {
    surface.answers = {kAnswerOk, kAnswerCancel};
    DeleteFileWithRetry(path, messages, stop, std::chrono::milliseconds(10));
    ASSERT_EQ(2u, surface.boxes.size());
    EXPECT_EQ("Αδύνατη η διαγραφή του αρχείου [" + (link / "status").string() +
                  "]\r\rΝα συνεχιστεί η προσπάθεια?",
              surface.boxes[1].text);
    EXPECT_EQ(17, surface.boxes[1].style);
    EXPECT_EQ("", surface.boxes[1].title);
    EXPECT_TRUE(messages.MessageShown);
    EXPECT_EQ(1, stops);
    EXPECT_TRUE(FileExists(path));
}

TEST_F(DeleteStuckFile, OkStartsANewPeriodThatCanSucceed) {
    surface.onBox = [this] {
        fs::remove(link);
        fs::create_directory_symlink(dir / "released", link);
    };
    DeleteFileWithRetry(path, messages, stop, std::chrono::milliseconds(10));
    EXPECT_EQ(1u, surface.boxes.size());
    EXPECT_EQ(0, stops);
    EXPECT_FALSE(fs::exists(dir / "released/status"));
}

TEST(ReadWholeFile, GivesEveryByteOrNothing) {
    TempDir dir;
    std::string binary = "line\r\n";
    for (int b = 0; b < 256; ++b) binary += static_cast<char>(b);
    binary += std::string(40000, '\xE1');  // more than one read's worth
    dir.write("data.bin", binary);
    dir.write("καθυστέρηση.inf", "250");
    dir.write("empty", "");
    EXPECT_EQ(binary, ReadWholeFile(Cp(dir / "data.bin")));
    EXPECT_EQ("250", ReadWholeFile(Cp(dir / "καθυστέρηση.inf")));
    for (const auto& name : {"empty", "missing", "", "*"}) {
        EXPECT_EQ("", ReadWholeFile(Cp(dir / name))) << name;
    }
}

}  // namespace
}  // namespace varkon
