#include <gtest/gtest.h>

#include "maintenance/reports.h"
#include "receipt/recording_port.h"
#include "support/recording_notices.h"
#include "support/temp_dir.h"

namespace varkon::test {
namespace {

TEST(Reports, EachReportSendsItsCommandWhileTheStartButtonIsOff) {
    const std::string wait = "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκληρωσή του";
    const std::tuple<Report, const char*, std::string> cases[] = {
        {Report::kXFinancial, "KX0T1",
         "Εκτέλεση Ισοζυγίου!!! Παρακαλώ περιμένετε για την ολοκλήρωση του"},
        {Report::kXPeriod, "KX5T1", wait},
        {Report::kZDaily, "KX021T1", wait},
        {Report::kZPeriod, "KX521T1", wait},
    };
    for (const auto& [report, command, status] : cases) {
        for (bool silent : {false, true}) {
            TempDir dir;
            RecordingNotices notices;
            auto wire = std::make_shared<Wire>();
            LinkTimings timings;
            timings.replyWindow = std::chrono::milliseconds(1);
            timings.reportReplyWindow = std::chrono::milliseconds(5);
            RegisterLink link(notices, std::make_unique<RecordingPort>(wire), timings);
            Reports reports(link, notices);
            if (silent) wire->silent = {command};
            std::vector<std::string> seen;
            wire->onCommand = [&] { seen = {notices.startEnabled ? "on" : "off", notices.status}; };

            reports.run(report);
            // Once, answered or not: a report sent again would be printed again.
            EXPECT_EQ(std::string(command) + "\r", wire->bytes);
            EXPECT_EQ((std::vector<std::string>{"off", status}), seen) << command;
            EXPECT_EQ(silent ? 1u : 0u, notices.boxes.size()) << command;
            EXPECT_TRUE(notices.startEnabled);
            EXPECT_EQ("Το Ισοζύγιο ολοκληρώθηκε", notices.status);
            EXPECT_EQ("Varkon- Έτοιμο", notices.caption);
        }
    }
}

}  // namespace
}  // namespace varkon::test
