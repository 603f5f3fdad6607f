// varkon-sim: a virtual cash register on a pseudo-terminal, for tests, benchmarks and for
// developers of host applications who have no register at hand.
#include <unistd.h>

#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim/simulator.h"

int main(int argc, char** argv) {
    using namespace varkon::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    ParsedOptions parsed = ParseSimOptions(args);
    if (!parsed.error.empty()) {
        WriteAll(STDERR_FILENO,
                 "varkon-sim: " + parsed.error + "\n(varkon-sim --help lists the options)\n");
        return 2;
    }
    if (parsed.options.version) {
        WriteAll(STDOUT_FILENO, std::string("varkon-sim (Varkon) ") + VARKON_VERSION + "\n");
        return 0;
    }
    if (parsed.options.help) {
        WriteAll(STDOUT_FILENO, SimUsage());
        return 0;
    }
    Simulator simulator(std::move(parsed.options));
    return simulator.run();
}
