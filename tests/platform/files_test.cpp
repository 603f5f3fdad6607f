#include <gtest/gtest.h>

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
#endif

namespace fs = std::filesystem;

namespace varkon {
namespace {

using test::At;
using test::Cp;
using test::TempDir;
using test::Utf8;
using test::Write;

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

}  // namespace
}  // namespace varkon
