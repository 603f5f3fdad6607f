#include "sim/sim_options.h"

#include <charconv>
#include <limits>
#include <optional>

namespace varkon::sim {

namespace {

std::optional<long> ParseCount(const std::string& text, long max) {
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0 || value > max) {
        return std::nullopt;
    }
    return value;
}

// OPTION's REGEX=VALUE, split at the last '=' so that the pattern may itself contain '=': the
// pattern and its compiled regex go into `rule`, the value is returned; an error, if any, in
// `error`.
template <typename Rule>
std::string SplitRule(const std::string& option, const char* valueName, const std::string& text,
                      Rule& rule, std::string& error) {
    const auto eq = text.rfind('=');
    if (eq == std::string::npos) {
        error = option + " needs REGEX=" + valueName + ", got \"" + text + "\"";
        return {};
    }
    rule.pattern = text.substr(0, eq);
    try {
        rule.regex = std::regex(rule.pattern, std::regex::ECMAScript);
    } catch (const std::regex_error& e) {
        error = option + ": bad regular expression \"" + rule.pattern + "\": " + e.what();
    }
    return text.substr(eq + 1);
}

std::string AddFailRule(const std::string& text, std::vector<FailRule>& rules) {
    FailRule rule;
    std::string error;
    rule.code = SplitRule("--fail", "CODE", text, rule, error);
    if (error.empty() && rule.code.find_first_of("\r\x04") != std::string::npos) {
        error = "--fail: the code must not contain CR or 0x04";
    }
    if (error.empty()) rules.push_back(std::move(rule));
    return error;
}

std::string AddLateRule(const std::string& text, long maxMs, std::vector<LateRule>& rules) {
    LateRule rule;
    std::string error;
    const std::string delayText = SplitRule("--late", "MS", text, rule, error);
    if (!error.empty()) return error;
    const auto delay = ParseCount(delayText, maxMs);
    if (!delay) return "--late: \"" + delayText + "\" is not a whole number in range";
    rule.delayMs = static_cast<int>(*delay);
    rules.push_back(std::move(rule));
    return {};
}

}  // namespace

ParsedOptions ParseSimOptions(const std::vector<std::string>& args) {
    ParsedOptions result;
    SimOptions& o = result.options;
    constexpr long kMaxMs = 3'600'000;
    constexpr long kMaxCount = std::numeric_limits<int>::max();

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        auto flag = [&]() {
            if (inlineValue) result.error = name + " takes no value";
            return true;
        };
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) return inlineValue;
            if (i + 1 < args.size()) return args[++i];
            result.error = name + " needs a value";
            return std::nullopt;
        };
        auto number = [&](long max) -> std::optional<long> {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto n = ParseCount(*text, max);
            if (!n) result.error = name + ": \"" + *text + "\" is not a whole number in range";
            return n;
        };

        if (name == "--help" || name == "-h") {
            o.help = flag();
        } else if (name == "--version") {
            o.version = flag();
        } else if (name == "--offline") {
            o.offline = flag();
        } else if (name == "--noise") {
            o.noise = flag();
        } else if (name == "--link") {
            if (auto v = value()) o.linkPath = *v;
        } else if (name == "--transcript") {
            if (auto v = value()) o.transcriptPath = *v;
        } else if (name == "--paper") {
            if (auto v = value()) o.paperPath = (*v == "-") ? std::string() : *v;
        } else if (name == "--fail") {
            if (auto v = value()) result.error = AddFailRule(*v, o.failRules);
        } else if (name == "--late") {
            if (auto v = value()) result.error = AddLateRule(*v, kMaxMs, o.lateRules);
        } else if (name == "--silent") {
            if (auto n = number(kMaxCount)) o.silent = *n;
        } else if (name == "--split") {
            if (auto n = number(kMaxMs)) o.splitMs = static_cast<int>(*n);
        } else if (name == "--latency") {
            if (auto n = number(kMaxMs)) o.latencyMs = static_cast<int>(*n);
        } else if (name == "--baud") {
            if (auto n = number(4'000'000)) o.baud = *n;
            if (result.error.empty() && o.baud == 0) result.error = "--baud must be above 0";
        } else if (name == "--hangup-after") {
            if (auto n = number(kMaxCount)) o.hangupAfter = *n;
        } else if (name == "--dead-after") {
            if (auto n = number(kMaxCount)) o.deadAfter = *n;
        } else if (name == "--dead-for") {
            if (auto n = number(kMaxMs)) o.deadForMs = static_cast<int>(*n);
            if (result.error.empty() && o.deadForMs == 0) {
                result.error = "--dead-for must be above 0";
            }
        } else {
            result.error = "unknown option \"" + args[i] + "\"";
        }
        if (!result.error.empty()) break;
    }
    if (result.error.empty() && o.deadForMs && !o.deadAfter) {
        result.error = "--dead-for needs --dead-after";
    }
    return result;
}

std::string SimUsage() {
    return R"(Usage: varkon-sim [options]

A virtual cash register on a pseudo-terminal. The first line on standard output is the
device to open (a new line follows whenever the register is plugged in again). Every
command (bytes up to CR) is answered with 0x04, except KX794ST, which gets no answer.
SIGTERM or SIGINT end it.

  --link PATH          keep a symlink PATH pointing at the current device
  --transcript FILE    write every byte received, raw, to FILE
  --paper FILE         write the readable paper roll to FILE (default: standard output)
  --silent N           give no answer to the first N commands
  --offline            never answer
  --fail REGEX=CODE    answer a matching command with "DE" CODE CR 0x04 (may repeat)
  --split MS           send "DE" first and the rest of an error answer MS later
  --late REGEX=MS      answer a matching command only MS after it came (may repeat): the
                       client's reply window passes and it sends again. The register is busy
                       meanwhile; what arrives then (the command sent again) is answered in
                       turn after it, --latency apart. A late answer is not lost when the
                       client closes the line: it goes out once a client has it open again
  --noise              put some garbage bytes in front of every answer
  --latency MS         wait MS before every answer
  --baud N             take commands and send answers at the pace of an N baud line
  --hangup-after N     after N commands hang up, then come back on a new device
  --dead-after N       once N commands are taken (answered, refused or KX794ST) the
                       line goes dead: what arrives is lost, neither answered nor
                       printed nor written to the transcript; the open receipt stays
  --dead-for MS        the dead line comes back after MS (default: it stays dead)
  --version            show the version
  --help               show this text
)";
}

}  // namespace varkon::sim
