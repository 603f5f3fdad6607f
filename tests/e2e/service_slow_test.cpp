// varkond end to end, the slow cases: a register that never answers.
#include "service_harness.h"

namespace varkon::e2e {
namespace {

TEST_F(ServiceTest, SilentRegisterIsProbedThreeTimesThenTheServiceEndsWithStatusThree) {
    startRegister({"--offline"});
    settings();
    startService();
    EXPECT_EQ(3, service->waitExit());
    for (const char* attempt : {"Προσπάθεια 1/3", "Προσπάθεια 2/3", "Προσπάθεια 3/3"}) {
        EXPECT_TRUE(logHas(attempt)) << attempt;
    }
    std::string probes;
    for (int i = 0; i < 12; ++i) probes += "KXCL\r";
    EXPECT_EQ(probes, wire());
}

}  // namespace
}  // namespace varkon::e2e
