#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "config/command_line.h"
#include "config/param_settings.h"
#include "greek/cp1253.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

// The replaced global operator new and delete below pair malloc with free; GCC cannot see that
// once it inlines them into test bodies and warns about a mismatch that is not there.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Counts the largest single allocation, so that a test can tell whether a reader stored a whole
// long line instead of its first bytes.
namespace {
std::atomic<std::size_t> largestAllocation{0};
}  // namespace

void* operator new(std::size_t size) {
    std::size_t seen = largestAllocation.load();
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace varkon {
namespace {

using test::TempDir;
using namespace std::literals;

std::vector<std::string> Fields(const ParamSettings& s) {
    return {s.port,         s.baud,
            s.file,         s.codeType,
            s.registerType, s.multi,
            s.delay,        s.printDescription,
            s.printCode,    s.comment,
            s.currency,     s.converter,
            s.keyboardOff,  s.directDepartments,
            s.quantity,     s.hostFile,
            s.location,     s.autoStart ? "auto" : "-"};
}

ParamSettings Read(const TempDir& dir, const std::string& bytes, ParamSettings start = {}) {
    dir.write("param.ini", bytes);
    EXPECT_EQ(0, ReadSettings(start, dir / "param.ini"));
    return start;
}

TEST(SettingsWriter, WritesTheWholeLayoutWithCrLf) {
    TempDir dir;
    SettingsForm form{"Com2", "9600",     "print.1", "Pos21", true, true, false, true,        false,
                      2,      "conv.bat", true,      false,   true, true, false, "c:\\data\\"};
    ASSERT_EQ(0, WriteSettings(form, "03-07-2025", dir / "param.ini"));
    EXPECT_EQ(dir.read("param.ini"),
              "# Set up for varkon program\r\nCreated by  Varkon on 03-07-2025\r\n"
              "# Serial port setup. This can be Com1 or Com2,Com3,Com4 \r\n[port] com2\r\n"
              "# Baud rate setup. This usually is 9600. Valid baude rates are : 19200,9600\r\n"
              "# 4800,2400,1200. It can go low as 120 but with not tested results.\r\n"
              "[baud] 9600\r\n"
              "# The file that the main application is exchanging data with Quorvel.\r\n"
              "# Depending on the application this can be managed to process receipts in a "
              "row.\r\n"
              "# Setup the application to generate  \\myapp\\print.1 and varcon will\r\n"
              "# try to see if pending receipts are in files \\myapp\\print.2 ... print.10\r\n"
              "# This has also to do with [multi type] on or off\r\n[file] print.1\r\n\r\n"
              "# yes or no Depending on type structure\r\n[code] no\r\n# Type of machine\r\n"
              "[ecrt] pos21\r\n[multi type] true\r\n[time] 0\r\n[subtotal] yes\r\n"
              "[print_desc] true\r\n[print_code] true N\r\n[comments] false\r\n[currency]=2\r\n"
              "[convert2]=conv.bat\r\n[keyb_off]=true \r\n[dir_depa]=false\r\n"
              "[quantity]=true\r\n[AutoStar]=yes\r\n################################\r\n"
              "# Customer Specific Parameters #\r\n################################\r\n"
              "[Defacto_]=no\r\n[location] c:\\data\\\r\n# End of parameter file #\r\n");
    EXPECT_EQ(Fields(Read(dir, dir.read("param.ini"))),
              (std::vector<std::string>{"com2", "9600", "print.1", "no", "pos21", "true", "0",
                                        "true", "true N", "fals", "2", "conv.bat", "true", "fals",
                                        "true", "no", "c:\\data\\", "auto"}));

    form = {"COM1", "4800", "noname.prn",          "MikroPos", false, false, true,  false,
            true,   0,      Utf8ToCp1253("Xωρις"), false,      true,  false, false, true,
            ""};
    ASSERT_EQ(0, WriteSettings(form, "03-07-2025", dir / "param.ini"));
    EXPECT_EQ(std::string::npos, dir.read("param.ini").find("[convert2]"));
    EXPECT_NE(std::string::npos, dir.read("param.ini").find("\r\n[location] \r\n"));
    EXPECT_EQ(Fields(Read(dir, dir.read("param.ini"))),
              (std::vector<std::string>{"com1", "4800", "noname.prn", "no", "mikro", "fals", "0",
                                        "fals", "true A", "true", "0", "", "fals", "true", "fals",
                                        "ye", "", "-"}));
}

TEST(SettingsWriter, TypeBoxTextIsMatchedWithoutRegardToCase) {
    EXPECT_EQ("mikro", EcrtFromTypeText("MIKROPOS"));
    EXPECT_EQ("pos21", EcrtFromTypeText("Poseidon 21"));
    EXPECT_EQ("TECFP", EcrtFromTypeText("Tec  Fiscal Printer"));
    EXPECT_EQ("", EcrtFromTypeText("Tec Fiscal Printer"));
    TempDir dir;
    SettingsForm form;
    form.type = "Pos 21";
    form.converter = "";
    ASSERT_EQ(0, WriteSettings(form, "01-01-2025", dir / "param.ini"));
    EXPECT_EQ(std::string::npos, dir.read("param.ini").find("[ecrt]"));
    EXPECT_NE(std::string::npos, dir.read("param.ini").find("\r\n[convert2]=\r\n"));
}

TEST(SettingsWriter, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    EXPECT_EQ(-1, WriteSettings({}, "01-01-2025", dir / "missing" / "param.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));

    std::filesystem::create_directory(dir / "param.ini");  // rename cannot replace a folder
    EXPECT_EQ(-1, WriteSettings({}, "01-01-2025", dir / "param.ini"));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
#ifndef _WIN32
    // A disk that fills up half-way through the write, even for root.
    TempDir full;
    full.write("param.ini", "[port] com3\r\n");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    int status = WriteSettings({}, "01-01-2025", full / "param.ini");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(-1, status);
    EXPECT_EQ("[port] com3\r\n", full.read("param.ini"));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(full.path()), {}));
#endif
}

TEST(SettingsReader, KeysMatchExactlyAndLaterLinesWin) {
    TempDir dir;
    EXPECT_EQ("com2", Read(dir, "[port]=com2\r\n").port);
    EXPECT_EQ("com2", Read(dir, "[port] com2\r\n").port);
    EXPECT_EQ("", Read(dir, "[PORT] com2\r\n").port);
    EXPECT_EQ("FALS", Read(dir, "[multi type] FALSE\r\n").multi);
    ParamSettings s = Read(dir, "[file] a.prn\r\n[file] b.prn\r\n[port]\r\n");
    EXPECT_EQ("b.prn", s.file);
    EXPECT_EQ("", s.port);  // a line without a value still replaces
    s = Read(dir, "[file] " + std::string(40, 'f') + "\n[convert2]=1234567890abcdef\n[ecrt]");
    EXPECT_EQ(std::string(30, 'f'), s.file);
    EXPECT_EQ("1234567890ab", s.converter);
    EXPECT_EQ("", s.registerType);
}

TEST(SettingsReader, OnlyPortBaudAndAutoStartOutliveARead) {
    TempDir dir;
    ParamSettings start = Read(dir, "[port] com4\n[baud] 2400\n[file] old\n[currency]=1");
    EXPECT_EQ(Fields(Read(dir, "# nothing\r\n", start)),
              (std::vector<std::string>{"com4", "2400", "", "", "", "", "", "", "", "", "", "", "",
                                        "", "", "", "", "-"}));
    for (const char* line : {"[autostar]=yes", "[AUTOSTAR]=YES", "[AutoStar]=yes!"}) {
        EXPECT_TRUE(Read(dir, line).autoStart) << line;
    }
    EXPECT_FALSE(Read(dir, "[AutoStar]=no\r\n[AutoStar]=ye").autoStart);
    start.autoStart = true;
    EXPECT_TRUE(Read(dir, "[AutoStar]=no", start).autoStart);
    EXPECT_EQ(-1, ReadSettings(start, dir / "absent.ini"));
    EXPECT_EQ(-1, ReadSettings(start, dir.path()));  // a folder cannot be read as a file
    EXPECT_EQ("com4", start.port);
}

TEST(SettingsReader, AnyBytesAndLineEndsAreReadByTheSameRules) {
    TempDir dir;
    ParamSettings s = Read(dir, "[port] com1\r[baud] 9600\n\n[file] a\r\n\r[ecrt] mikro");
    EXPECT_EQ((std::vector<std::string>{s.port, s.baud, s.file, s.registerType}),
              (std::vector<std::string>{"com1", "9600", "a", "mikro"}));
    s = Read(dir, std::string("[location] \0\xff\x80\xe1\x01z\r\n[port] \0\0"sv));
    EXPECT_EQ("\0\xff\x80\xe1\x01z"sv, s.location);
    EXPECT_EQ("\0\0"sv, s.port);
    EXPECT_EQ("", Read(dir, std::string("\0[port] com1"sv)).port);

    // A 4 MB line, and a file with no line end at all, are read within a small buffer.
    std::string huge = "[file] " + std::string(4 << 20, 'x');
    dir.write("param.ini", huge + "\r\n[port] com5\r\n");
    dir.write("flat.ini", huge);
    largestAllocation = 0;
    int status = ReadSettings(s, dir / "param.ini");
    ProgrammingSettings p;
    int narrowStatus = ReadProgrammingSettings(p, dir / "flat.ini");
    EXPECT_LT(largestAllocation.load(), 64u * 1024);
    EXPECT_EQ(0, status);
    EXPECT_EQ(0, narrowStatus);
    EXPECT_EQ(std::string(30, 'x'), s.file);
    EXPECT_EQ("com5", s.port);
    EXPECT_EQ(std::string(12, 'x'), p.file);
}

TEST(ProgrammingSettingsReader, TakesThreeValuesTrimmed) {
    TempDir dir;
    dir.write("param.ini",
              "[file]   abcdefghijklmnopqrst\r\n[location]   c:\\data\\  \r\n"
              "[multi type] true\r\n[multi type] false\r\n[file]x.prn\r\n");
    ProgrammingSettings p;
    ASSERT_EQ(0, ReadProgrammingSettings(p, dir / "param.ini"));
    EXPECT_EQ("abcdefghij", p.file);
    EXPECT_EQ("c:\\data\\", p.location);
    EXPECT_TRUE(p.numbered);
    EXPECT_EQ(-1, ReadProgrammingSettings(p, dir / "absent.ini"));
}

TEST(CommandLineSettings, SplitsSixFieldsAtTheFirstFiveSeparators) {
    ParamSettings s;
    s.converter = "x.bat";
    s.autoStart = true;
    ASSERT_EQ(0, ReadCommandLineSettings("com2,9600,print.1,0,pos21,1110000", s));
    EXPECT_EQ(Fields(s), (std::vector<std::string>{"com2", "9600", "print.1", "true", "pos21",
                                                   "fals", "0", "true", "true N", "true", "0", "",
                                                   "fals", "fals", "fals", "", "", "auto"}));
    ASSERT_EQ(0, ReadCommandLineSettings("com1,,print.1 0,mikro,2 1,1010", s));
    EXPECT_EQ((std::vector<std::string>{s.port, s.baud, s.file, s.delay, s.registerType}),
              (std::vector<std::string>{"com1", "e", "print.1", "0", "mikro"}));
    EXPECT_EQ((std::vector<std::string>{s.printCode, s.printDescription, s.comment, s.currency,
                                        s.keyboardOff}),
              (std::vector<std::string>{"true A", "fals", "true", ",", "true"}));
    ASSERT_EQ(0, ReadCommandLineSettings("a b c d e 9000000", s));
    EXPECT_EQ("", s.printCode);
    ASSERT_EQ(0, ReadCommandLineSettings("a,b,c,d,e,0000000", s));
    EXPECT_EQ("fals", s.printCode);
}

TEST(CommandLineSettings, ShortOrMissingOptionFieldIsRejectedAndNamed) {
    ParamSettings s;
    EXPECT_EQ(-1, ReadCommandLineSettings("com1,9600,print.1,0,mikro,111000", s));
    EXPECT_EQ("mikro", s.registerType);
    EXPECT_EQ("111000", OptionField("com1,9600,print.1,0,mikro,111000"));
    EXPECT_EQ(-1, ReadCommandLineSettings("com1,9600,print.1", s));
    EXPECT_EQ(
        (std::vector<std::string>{s.port, s.baud, s.file, s.delay, s.registerType, s.printCode}),
        (std::vector<std::string>{"com1", "9600", "e", "e", "e", ""}));
    EXPECT_EQ(std::nullopt, OptionField("com1,9600,print.1"));
    EXPECT_EQ("", OptionField("com1,9600,print.1,0,mikro,"));
    EXPECT_EQ(
        0, ReadCommandLineSettings(std::string("\0,\xff,,,,\0"sv) + std::string(1 << 20, ','), s));
    EXPECT_EQ(std::string("\xff"), s.baud);
}

}  // namespace
}  // namespace varkon
