#include "platform/launcher.h"

namespace varkon {

std::vector<std::string> SplitCommand(const std::string& command) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : command) {
        if (c == ' ' || c == '\t') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

}  // namespace varkon
