#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>
#include <utility>

#include "greek/cp1253.h"
#include "platform/files.h"
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
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace fs = std::filesystem;

namespace varkon {
namespace {

using test::At;
using test::Cp;
using test::TempDir;
using test::Utf8;
using test::Write;
using namespace std::chrono_literals;

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

// The hash of a whole string at once, against which the streamed read is measured.
std::uint64_t Fnv1aOf(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

TEST(ReadFileContent, TellsARewriteInPlaceAndAReplacementFromTheSameFile) {
    TempDir dir;
    const fs::path file = At(dir, "εκτύπωση.1");
    Write(file, "foobar");
    const auto first = ReadFileContent(Cp(file));
    ASSERT_TRUE(first);
    EXPECT_EQ(first, ReadFileContent(Cp(file)));
    EXPECT_EQ(0x85944171f73967e8ULL, first->hash);  // the published FNV-1a value of "foobar"
    EXPECT_EQ(6u, first->size);
    EXPECT_EQ(IdentifyFile(Cp(file)), first->identity);

    Write(file, "foobaz");  // the same file, truncated and written anew
    const auto rewritten = ReadFileContent(Cp(file));
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(first->identity, rewritten->identity);
    EXPECT_EQ(first->size, rewritten->size);
    EXPECT_NE(first->hash, rewritten->hash);

    ASSERT_EQ(0, ReplaceFileAtomically(file, "foobar"));  // another file, the first bytes
    const auto replaced = ReadFileContent(Cp(file));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(first->hash, replaced->hash);
    EXPECT_NE(first->identity, replaced->identity);

    EXPECT_FALSE(ReadFileContent(Cp(dir / "missing")));
    EXPECT_FALSE(ReadFileContent(Cp(dir.path())));  // a folder has no content to read
}

TEST(ReadFileContent, HashesEveryByteOfAFileLargerThanOneRead) {
    TempDir dir;
    std::string bytes;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 3 * 65536 + 17; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>(seed >> 24);
    }
    dir.write("big.prn", bytes);
    const auto content = ReadFileContent(Cp(dir / "big.prn"));
    ASSERT_TRUE(content);
    EXPECT_EQ(bytes.size(), content->size);
    EXPECT_EQ(Fnv1aOf(bytes), content->hash);
}

TEST(FolderLock, OneHolderAtATimeAndTheFileStays) {
    TempDir dir;
    const fs::path file = At(dir, "κλείδωμα.lock");
    {
        FolderLock first;
        ASSERT_TRUE(first.acquire(file));
        EXPECT_TRUE(first.held());
        FolderLock second;
        EXPECT_FALSE(second.acquire(file));
        EXPECT_FALSE(second.held());
    }
    EXPECT_TRUE(fs::exists(file));
    FolderLock again;
    EXPECT_TRUE(again.acquire(file));

    FolderLock nowhere;
    EXPECT_FALSE(nowhere.acquire(dir / "no-such-folder" / "varkon.lock"));
    EXPECT_FALSE(nowhere.held());
}

// Keeps a file open, without any lock, until the object goes: for writing in another process
// (POSIX), or through a handle that lets others read and write (Windows), as a host application
// or a virus scanner would.
class HeldOpen {
  public:
    HeldOpen(const fs::path& file, bool forWriting) {
#ifdef _WIN32
        handle_ = ::CreateFileW(file.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        if (!forWriting) {
            fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
            return;
        }
        // `sleep` with the file open as its descriptor 3.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 3, file.c_str(), O_WRONLY | O_APPEND, 0);
        char sleep[] = "sleep", seconds[] = "60";
        char* argv[] = {sleep, seconds, nullptr};
        if (::posix_spawnp(&pid_, "sleep", &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
#endif
    }
    ~HeldOpen() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
#else
        if (fd_ >= 0) ::close(fd_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
#endif
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;

    bool open() const {
#ifdef _WIN32
        return handle_ != INVALID_HANDLE_VALUE;
#else
        return fd_ >= 0 || pid_ > 0;
#endif
    }

  private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
    pid_t pid_ = -1;
#endif
};

TEST(PrintFileWatch, AFileOpenForWritingIsNotDoneHoweverOldItsTime) {
    TempDir dir;
    const fs::path file = dir / "print.1";
    Write(file, "receipt");
#ifndef _WIN32
#ifdef F_SETLEASE
    const int probe = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    const bool leases = probe >= 0 && ::fcntl(probe, F_SETLEASE, F_RDLCK) == 0;
    if (probe >= 0) ::close(probe);
    if (!leases) GTEST_SKIP() << "this file system or user gets no leases";
#else
    GTEST_SKIP() << "no leases on this system";
#endif
#endif
    fs::last_write_time(file, fs::last_write_time(file) - 1h);
    PrintFileWatch watch(500ms);
    ASSERT_EQ(PrintFileState::kReady, watch.check(Cp(file)));
    {
        HeldOpen reader(file, false);  // a reader alongside does not hold the file up
        ASSERT_TRUE(reader.open());
        EXPECT_EQ(PrintFileState::kReady, watch.check(Cp(file)));
    }
    {
        HeldOpen writer(file, true);
        ASSERT_TRUE(writer.open());
        EXPECT_EQ(PrintFileState::kBeingWritten, watch.check(Cp(file)));
        EXPECT_EQ(PrintFileState::kBeingWritten, watch.check(Cp(file)));
    }
    EXPECT_EQ(PrintFileState::kReady, watch.check(Cp(file)));
    EXPECT_EQ(PrintFileState::kMissing, watch.check(Cp(dir / "print.2")));
}

}  // namespace
}  // namespace varkon
