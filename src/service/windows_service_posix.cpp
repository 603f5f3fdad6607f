#include "service/windows_service.h"

namespace varkon {
namespace {

int NotHere(std::ostream& out) {
    out << "varkond: Windows services exist only on Windows; here systemd runs "
           "varkond@NAME.service (see README.md)\n";
    return 1;
}

}  // namespace

int InstallService(const std::string&, const std::string&, std::ostream& out) {
    return NotHere(out);
}

int RemoveService(const std::string&, std::ostream& out) {
    return NotHere(out);
}

int RunAsService(const std::string&, const std::string&, const std::function<int()>&,
                 std::ostream& out) {
    return NotHere(out);
}

}  // namespace varkon
