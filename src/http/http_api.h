// HttpApi: varkond's local HTTP interface for web and cloud point-of-sale programs. It answers on
// its own threads and does nothing itself but check and hand over: receipts and reports go to
// HandedInReceipts, which the engine's job loop takes them from, so a receipt handed in here is
// printed exactly as a print file of the folder is, through the same job record.
//   PUT  /receipts/{key}     a print file's text; the key is the client's: a repeat with the same
//                            text answers the first outcome, with another text 409
//   GET  /receipts/{key}     its state
//   POST /reports/{x|x-period|z|z-period}, GET /reports/{n}
//   GET  /status, GET /health (the only one without the token)
// ?wait=N (seconds, at most 60) waits for the outcome. Every answer is JSON (UTF-8).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "config/http_settings.h"
#include "http/handed_in_receipts.h"
#include "http/request_rate.h"

namespace httplib {
class Server;
}

namespace varkon {

// The largest body a PUT may carry: a receipt of thousands of lines is a few hundred kilobytes.
inline constexpr std::size_t kMostBodyBytes = 1 << 20;

class HttpApi {
  public:
    HttpApi(HandedInReceipts& receipts, HttpSettings settings, std::string token,
            std::string version);
    ~HttpApi();
    HttpApi(const HttpApi&) = delete;
    HttpApi& operator=(const HttpApi&) = delete;

    // Binds the address and serves on a thread of its own; false when the address cannot be
    // had (`error` says why, UTF-8).
    bool start(std::string& error);
    void stop();

  private:
    void route();

    HandedInReceipts& receipts_;
    HttpSettings settings_;
    std::string token_;
    std::string version_;
    RequestRate printing_{10, 30};      // receipts and reports, per address
    RequestRate wrongTokens_{0.2, 10};  // ten wrong tokens, then one every five seconds
    std::unique_ptr<httplib::Server> server_;
    std::thread serving_;
};

}  // namespace varkon
