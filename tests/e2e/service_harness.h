// The harness of the end-to-end tests: the real varkond against the real varkon-sim on a
// pseudo-terminal, in a temporary folder, each a child process of the test; the wire is compared
// byte for byte through the simulator's transcript.
#pragma once

#include <gtest/gtest.h>

#include "e2e/child_process.h"
#include "support/temp_dir.h"

namespace varkon::e2e {

class ServiceTest : public ::testing::Test {
  protected:
    void startRegister(const std::vector<std::string>& misbehaviour = {}) {
        std::vector<std::string> argv{
            VARKON_SIM_PATH,         "--link",  (dir / "register").string(), "--transcript",
            (dir / "wire").string(), "--paper", (dir / "paper").string()};
        argv.insert(argv.end(), misbehaviour.begin(), misbehaviour.end());
        sim.emplace(argv, dir.path(), std::vector<std::string>{}, dir / "sim.log");
        ASSERT_TRUE(Eventually([&] { return fs::exists(dir / "register"); }));
    }
    // varkond in the temporary folder (or in `workDir`), with the short time-outs of the tests
    // unless `realTimings`.
    void startService(const std::vector<std::string>& arguments = {}, bool realTimings = false,
                      const fs::path& workDir = {}) {
        std::vector<std::string> argv{VARKOND_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> env{"VARKON_COM1=" + (dir / "register").string()};
        if (!realTimings) env.push_back("VARKON_TEST_TIMINGS=fast");
        service.emplace(argv, workDir.empty() ? dir.path() : workDir, env, dir / "varkond.log");
    }
    void settings() {
        dir.write("param.ini",
                  "[port] com1\r\n[baud] 9600\r\n[file] print\r\n[ecrt] mikro\r\n"
                  "[multi type] true\r\n[Defacto_]=no\r\n[location] \r\n");
    }
    bool logHas(const std::string& text) const {
        return dir.read("varkond.log").find(text) != std::string::npos;
    }
    std::string wire() const { return dir.read("wire"); }
    bool exists(const std::string& name) const { return fs::exists(dir / name); }

    test::TempDir dir;
    std::optional<Child> sim;
    std::optional<Child> service;
};

}  // namespace varkon::e2e
