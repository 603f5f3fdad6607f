#include "http/request_rate.h"

#include <algorithm>

namespace varkon {

namespace {
constexpr std::size_t kMostAddresses = 4096;
}

RequestRate::Bucket& RequestRate::bucket(const std::string& address,
                                         std::chrono::steady_clock::time_point now) {
    auto found = buckets_.find(address);
    if (found == buckets_.end()) {
        // Full buckets say nothing: forgetting them costs nobody anything.
        if (buckets_.size() >= kMostAddresses) {
            for (auto it = buckets_.begin(); it != buckets_.end();) {
                const double seconds =
                    std::chrono::duration<double>(now - it->second.filled).count();
                it = it->second.tokens + seconds * perSecond_ >= burst_ ? buckets_.erase(it)
                                                                        : std::next(it);
            }
            if (buckets_.size() >= kMostAddresses) buckets_.erase(buckets_.begin());
        }
        found = buckets_.emplace(address, Bucket{burst_, now}).first;
    }
    Bucket& bucket = found->second;
    const double seconds = std::chrono::duration<double>(now - bucket.filled).count();
    bucket.tokens = std::min(burst_, bucket.tokens + std::max(0.0, seconds) * perSecond_);
    bucket.filled = now;
    return bucket;
}

bool RequestRate::take(const std::string& address, std::chrono::steady_clock::time_point now) {
    std::lock_guard lock(mutex_);
    Bucket& found = bucket(address, now);
    if (found.tokens < 1) return false;
    found.tokens -= 1;
    return true;
}

bool RequestRate::exhausted(const std::string& address, std::chrono::steady_clock::time_point now) {
    std::lock_guard lock(mutex_);
    return bucket(address, now).tokens < 1;
}

}  // namespace varkon
