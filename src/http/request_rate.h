// RequestRate: how often one client address may do a thing — a token bucket per address that
// fills at `perSecond` up to `burst`. The HTTP interface keeps one for requests that print or run
// a report and one for wrong tokens, so that a careless or hostile page can neither flood the
// register nor guess the token. Thread-safe; the addresses kept are bounded.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace varkon {

class RequestRate {
  public:
    RequestRate(double perSecond, double burst) : perSecond_(perSecond), burst_(burst) {}

    // Takes one from the address's bucket; false when it is empty (the request is refused).
    bool take(const std::string& address,
              std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // True when the address's bucket is empty now, without taking anything.
    bool exhausted(const std::string& address,
                   std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());

  private:
    struct Bucket {
        double tokens = 0;
        std::chrono::steady_clock::time_point filled;
    };
    Bucket& bucket(const std::string& address, std::chrono::steady_clock::time_point now);

    double perSecond_;
    double burst_;
    std::mutex mutex_;
    std::map<std::string, Bucket> buckets_;
};

}  // namespace varkon
