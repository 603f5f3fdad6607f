// 64-bit FNV-1a fed piece by piece: the content hash of ReadFileContent on every system, so a file
// that is read in chunks hashes the same as the whole of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varkon {

class Fnv1a {
  public:
    void add(const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            hash_ ^= static_cast<unsigned char>(bytes[i]);
            hash_ *= 0x100000001b3ULL;
        }
    }
    std::uint64_t value() const { return hash_; }

  private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace varkon
