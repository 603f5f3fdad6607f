#include <gtest/gtest.h>

#include "maintenance/reports.h"
#include "receipt/recording_port.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace varkon::test {
namespace {

TEST(Reports, EachReportSendsItsCommandWhileTheStartButtonIsOff) {
    const std::string wait = "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκληρωσή του";
    const std::tuple<void (Reports::*)(), const char*, std::string> cases[] = {
        {&Reports::xrep0, "KX0T1",
         "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκλήρωση του"},
        {&Reports::xrep5, "KX5T1", wait},
        {&Reports::zrep021, "KX021T1", wait},
        {&Reports::zrep521, "KX521T1", wait},
    };
    for (const auto& [handler, command, status] : cases) {
        for (bool silent : {false, true}) {
            TempDir dir;
            RecordingSurface surface;
            Messages messages(surface);
            auto wire = std::make_shared<Wire>();
            LinkTimings timings;
            timings.replyWindow = std::chrono::milliseconds(1);
            FiscalTecModule link(messages, std::make_unique<RecordingPort>(wire), timings,
                                 dir.path());
            std::string ecrErrorText;
            Reports reports(link, ecrErrorText);
            if (silent) wire->silent = {command};
            std::vector<std::string> seen;
            wire->onCommand = [&] {
                seen = {surface.enabled("Command1") ? "on" : "off", surface.status};
            };

            (reports.*handler)();
            const int sends = silent ? timings.attempts : 1;
            std::string expected;
            for (int i = 0; i < sends; ++i) expected += std::string(command) + "\r";
            EXPECT_EQ(expected, wire->bytes);
            EXPECT_EQ((std::vector<std::string>{"off", status}), seen) << command;
            EXPECT_EQ(silent ? 1u : 0u, surface.boxes.size()) << command;
            EXPECT_TRUE(surface.enabled("Command1"));
            EXPECT_EQ("Το Ισοζύγιο ολοκληρώθηκε", surface.status);
            EXPECT_EQ("Varkon- Έτοιμο", surface.caption);
        }
    }
}

}  // namespace
}  // namespace varkon::test
