#include "http/http_token.h"

#include <random>

#include "platform/files.h"

namespace varkon {

namespace {

constexpr std::size_t kTokenDigits = 64;

bool IsToken(std::string_view text) {
    if (text.size() != kTokenDigits) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace

std::string ReadOrMakeHttpToken(const std::filesystem::path& file, std::string& error) {
    std::string kept = ReadWholeFile(FromFsPath(file));
    while (!kept.empty() && (kept.back() == '\n' || kept.back() == '\r')) kept.pop_back();
    if (IsToken(kept)) return kept;

    std::random_device random;
    std::string token;
    static constexpr char kDigits[] = "0123456789abcdef";
    while (token.size() < kTokenDigits) {
        const unsigned value = random();
        for (int shift = 0; shift < 32 && token.size() < kTokenDigits; shift += 4) {
            token += kDigits[(value >> shift) & 0xf];
        }
    }
    if (ReplaceFileAtomically(file, token + "\n", /*ownerOnly=*/true) != 0) {
        error =
            "Το αρχείο " + kHttpTokenFile.string() + " δεν γράφεται: η διεπαφή HTTP δεν ξεκινά.";
        return {};
    }
    return token;
}

bool SameToken(std::string_view given, std::string_view token) {
    if (token.empty()) return false;
    unsigned char difference = given.size() == token.size() ? 0 : 1;
    for (std::size_t i = 0; i < given.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i] ^ token[i % token.size()]);
    }
    return difference == 0;
}

}  // namespace varkon
