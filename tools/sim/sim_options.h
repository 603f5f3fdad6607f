// The command line of varkon-sim: where its output goes and how the virtual register misbehaves.
// ParseSimOptions owns no resources; the Simulator keeps the parsed SimOptions for its whole run.
#pragma once

#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace varkon::sim {

// A command whose text matches `regex` (anywhere in it) is refused with the register error `code`.
struct FailRule {
    std::string pattern;
    std::regex regex;
    std::string code;
};

// A command whose text matches `regex` (anywhere in it) is answered only `delayMs` after it came.
struct LateRule {
    std::string pattern;
    std::regex regex;
    int delayMs = 0;
};

struct SimOptions {
    std::string linkPath;        // symlink kept pointing at the current slave; empty for none
    std::string transcriptPath;  // every received byte, raw; empty for none
    std::string paperPath;       // the paper roll; empty for standard output
    long silent = 0;             // the first `silent` commands get no answer
    bool offline = false;        // no command gets an answer
    std::vector<FailRule> failRules;
    std::vector<LateRule> lateRules;
    int splitMs = 0;       // pause between "DE" and the rest of an error answer
    bool noise = false;    // garbage bytes in front of every answer
    int latencyMs = 0;     // pause before every answer
    long baud = 0;         // commands and answers take this line speed (10 bits a byte); 0 none
    long hangupAfter = 0;  // hang up once after this many commands; 0 never
    // The line goes dead once, after the register has taken this many commands (0: from the
    // start), and comes back after deadForMs (none: stays dead).
    std::optional<long> deadAfter;
    std::optional<int> deadForMs;
    bool help = false;
    bool version = false;
};

struct ParsedOptions {
    SimOptions options;
    std::string error;  // empty when the command line was good
};

// `args` are the arguments without the program name; "--name value" and "--name=value" both work.
ParsedOptions ParseSimOptions(const std::vector<std::string>& args);

std::string SimUsage();

}  // namespace varkon::sim
