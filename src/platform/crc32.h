// CRC-32 (the reflected 0xEDB88320 polynomial of zip and PNG): the check that closes every record
// of the job record, so that a record torn by a crash is known as torn. Beside fnv1a.h, the
// content hash of print files.
#pragma once

#include <cstdint>
#include <string_view>

namespace varkon {

inline std::uint32_t Crc32(std::string_view text) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : text) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace varkon
