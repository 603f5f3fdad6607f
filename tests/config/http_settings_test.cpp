#include "config/http_settings.h"

#include <gtest/gtest.h>

#include "config/param_settings.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

TEST(HttpSettings, AbsentLineMeansNoInterfaceAndLoopbackIsTheDefaultAddress) {
    EXPECT_FALSE(ParseHttpSettings("[port] com1\r\n[baud] 9600\r\n").enabled);
    const HttpSettings portOnly = ParseHttpSettings("[http] 8901\r\n");
    EXPECT_TRUE(portOnly.enabled);
    EXPECT_EQ("127.0.0.1", portOnly.address);
    EXPECT_EQ(8901, portOnly.port);
    const HttpSettings local = ParseHttpSettings("[http]  localhost:8900  \n");
    EXPECT_EQ("127.0.0.1", local.address);
    const HttpSettings shop = ParseHttpSettings("[http] 192.168.1.20:8080\r");
    EXPECT_EQ("192.168.1.20", shop.address);
    EXPECT_EQ(8080, shop.port);
}

TEST(HttpSettings, UnreadableLineSaysWhyAndLeavesTheInterfaceOff) {
    for (const char* text :
         {"[http] 127.0.0.1:0", "[http] 127.0.0.1:70000", "[http] :x", "[http] 300.1.1.1:8900",
          "[http] 1.2.3:8900", "[http] example.com:80", "[http] "}) {
        const HttpSettings settings = ParseHttpSettings(text);
        EXPECT_FALSE(settings.enabled) << text;
        EXPECT_NE(std::string::npos, settings.error.find("[http]")) << text;
    }
    // A later good line wins over an earlier bad one.
    const HttpSettings mended = ParseHttpSettings("[http] x\r\n[http] 8900\r\n");
    EXPECT_TRUE(mended.enabled);
    EXPECT_TRUE(mended.error.empty());
}

TEST(HttpSettings, OriginsAddUpOverLinesAndBlanks) {
    const HttpSettings settings = ParseHttpSettings(
        "[http_origins] https://pos.example.com  http://localhost:3000\r\n"
        "[http_origins]\thttps://other.example\r\n[http] 8900\r\n");
    EXPECT_EQ((std::vector<std::string>{"https://pos.example.com", "http://localhost:3000",
                                        "https://other.example"}),
              settings.origins);
}

TEST(HttpSettings, TheSettingsDialogKeepsTheHttpLinesWhenItWritesParamIni) {
    test::TempDir dir;
    dir.write("param.ini",
              "[port] com1\r\n[http] 127.0.0.1:8900\r\n[http_origins] http://a.test\r\n");
    SettingsForm form;
    form.port = "com2";
    form.baud = "9600";
    ASSERT_EQ(0, WriteSettings(form, "01-02-2003", dir / "param.ini"));
    const std::string written = dir.read("param.ini");
    EXPECT_NE(std::string::npos, written.find("[port] com2\r\n"));
    const HttpSettings kept = ReadHttpSettings(dir / "param.ini");
    EXPECT_TRUE(kept.enabled);
    EXPECT_EQ(8900, kept.port);
    EXPECT_EQ(std::vector<std::string>{"http://a.test"}, kept.origins);
    EXPECT_TRUE(written.ends_with("# End of parameter file #\r\n"));
}

}  // namespace
}  // namespace varkon
