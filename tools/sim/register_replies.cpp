#include "sim/register_replies.h"

#include <algorithm>

namespace varkon::sim {

namespace {
constexpr char kCr = '\r';
constexpr char kEot = '\x04';
}  // namespace

void CommandFramer::feed(std::string_view bytes, std::vector<FramedCommand>& out) {
    while (!bytes.empty()) {
        const auto cr = bytes.find(kCr);
        const auto piece = bytes.substr(0, cr);
        if (discarding_ > 0 || pending_.size() + piece.size() > kMaxCommand) {
            discarding_ += pending_.size() + piece.size();
            pending_.clear();
        } else {
            pending_.append(piece);
        }
        if (cr == std::string_view::npos) return;
        bytes.remove_prefix(cr + 1);

        if (discarding_ > 0) {
            out.push_back({{}, discarding_});
            discarding_ = 0;
            continue;
        }
        const auto start = pending_.find_first_not_of('\n');
        if (start != std::string::npos) out.push_back({pending_.substr(start), 0});
        pending_.clear();
    }
}

Reply ReplyPlanner::replyTo(std::string_view command) {
    ++commands_;
    Reply reply;
    if (options_.offline || commands_ <= options_.silent) return reply;
    if (command == "KX794ST") {
        reply.kind = Reply::Kind::kNoAnswer;
        return reply;
    }
    const std::string text(command);
    const auto rule =
        std::find_if(options_.failRules.begin(), options_.failRules.end(),
                     [&](const FailRule& r) { return std::regex_search(text, r.regex); });

    const auto late =
        std::find_if(options_.lateRules.begin(), options_.lateRules.end(),
                     [&](const LateRule& r) { return std::regex_search(text, r.regex); });
    reply.late = late != options_.lateRules.end();
    const std::chrono::milliseconds latency(reply.late ? late->delayMs : options_.latencyMs);
    std::string first = options_.noise ? noise() : std::string();
    if (rule == options_.failRules.end()) {
        reply.kind = Reply::Kind::kDone;
        reply.pieces.push_back({latency, first + kEot});
        return reply;
    }
    reply.kind = Reply::Kind::kRefused;
    reply.code = rule->code;
    const std::string rest = rule->code + kCr + kEot;
    if (options_.splitMs > 0) {
        reply.pieces.push_back({latency, first + "DE"});
        reply.pieces.push_back({std::chrono::milliseconds(options_.splitMs), rest});
    } else {
        reply.pieces.push_back({latency, first + "DE" + rest});
    }
    return reply;
}

// Line noise: one to eight bytes of anything except 0x04, 'D' and 'E', so the garbage can never
// end an answer early nor form "DE" with its neighbours.
std::string ReplyPlanner::noise() {
    std::uniform_int_distribution<int> length(1, 8);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string garbage;
    for (int n = length(random_); static_cast<int>(garbage.size()) < n;) {
        const char c = static_cast<char>(byte(random_));
        if (c != kEot && c != 'D' && c != 'E') garbage.push_back(c);
    }
    return garbage;
}

}  // namespace varkon::sim
