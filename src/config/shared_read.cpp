#include "config/shared_read.h"

#ifdef _WIN32
#include <share.h>
#endif

namespace varkon {

std::FILE* OpenForReading(const std::filesystem::path& file) {
#ifdef _WIN32
    // Windows' plain open denies others while the file is open; this one shares it.
    return _wfsopen(file.c_str(), L"rb", _SH_DENYNO);
#else
    return std::fopen(file.c_str(), "rb");
#endif
}

}  // namespace varkon
