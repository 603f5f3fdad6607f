#include "http/http_api.h"

#include <httplib.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "http/http_token.h"
#include "http/receipt_body.h"

namespace varkon {

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kMostWaitSeconds = 60;

void Answer(httplib::Response& response, int status, const Json& body) {
    response.status = status;
    response.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace),
                         "application/json; charset=utf-8");
}

void Refuse(httplib::Response& response, int status, const std::string& error,
            const std::string& message) {
    Answer(response, status, {{"error", error}, {"message", message}});
}

Json ReceiptJson(const HandedInReceipt& receipt) {
    Json json = {{"id", receipt.key}, {"state", HandedInStateName(receipt.state)}};
    switch (receipt.state) {
        case HandedInState::kQueued:
            break;
        case HandedInState::kPrinting:
            json["line"] = receipt.line;
            json["lines"] = receipt.lines;
            break;
        case HandedInState::kDone:
            json["receipt"] = receipt.receiptNumber;
            if (!receipt.message.empty()) json["message"] = receipt.message;
            break;
        case HandedInState::kStopped:
            json["line"] = receipt.line;
            json["message"] = receipt.message;
            break;
        case HandedInState::kRefused:
            json["line"] = receipt.line;
            json["code"] = receipt.code;
            json["message"] = receipt.message;
            break;
        case HandedInState::kFailed:
            json["message"] = receipt.message;
            break;
    }
    return json;
}

const char* ReportStateName(ReportState state) {
    switch (state) {
        case ReportState::kQueued:
            return "queued";
        case ReportState::kRunning:
            return "running";
        case ReportState::kDone:
            return "done";
        case ReportState::kRefused:
            return "refused";
    }
    return "refused";
}

Json ReportJson(const AskedReport& asked) {
    Json json = {{"report", asked.number},
                 {"kind", std::string(ReportShortName(asked.report))},
                 {"state", ReportStateName(asked.state)}};
    if (asked.state == ReportState::kRefused) {
        json["code"] = asked.code;
        json["message"] = asked.message;
    }
    return json;
}

// ?wait=N: how long the answer may wait for the outcome; none when absent or 0.
std::optional<Clock::time_point> WaitDeadline(const httplib::Request& request) {
    if (!request.has_param("wait")) return std::nullopt;
    const std::string text = request.get_param_value("wait");
    int seconds = 0;
    for (const char c : text.substr(0, 4)) {
        if (c < '0' || c > '9') return std::nullopt;
        seconds = seconds * 10 + (c - '0');
    }
    if (seconds == 0) return std::nullopt;
    return Clock::now() + std::chrono::seconds(std::min(seconds, kMostWaitSeconds));
}

}  // namespace

HttpApi::HttpApi(HandedInReceipts& receipts, HttpSettings settings, std::string token,
                 std::string version)
    : receipts_(receipts),
      settings_(std::move(settings)),
      token_(std::move(token)),
      version_(std::move(version)),
      server_(std::make_unique<httplib::Server>()) {}

HttpApi::~HttpApi() {
    stop();
}

bool HttpApi::start(std::string& error) {
    route();
    if (!server_->bind_to_port(settings_.address, settings_.port)) {
        error = "Η διεπαφή HTTP δεν ξεκινά: η διεύθυνση " + settings_.address + ":" +
                std::to_string(settings_.port) + " δεν είναι διαθέσιμη.";
        return false;
    }
    serving_ = std::thread([this] { server_->listen_after_bind(); });
    return true;
}

void HttpApi::stop() {
    if (!serving_.joinable()) return;
    server_->stop();
    serving_.join();
}

void HttpApi::route() {
    httplib::Server& server = *server_;
    // Enough threads that fifty clients asking for the status all get answers while others
    // wait for their receipts.
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    server.set_payload_max_length(kMostBodyBytes);
    // An answer goes out in pieces (head, then body): without this the client's delayed
    // acknowledgement holds the second piece back some 40 ms.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(std::chrono::seconds(10));
    server.set_write_timeout(std::chrono::seconds(10));

    // A browser's page may call only from an origin param.ini lists; any other is refused before
    // anything is done, and gets no CORS answer its browser would let through.
    server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            const std::string origin = request.get_header_value("Origin");
            if (origin.empty()) return httplib::Server::HandlerResponse::Unhandled;
            const auto& origins = settings_.origins;
            if (std::find(origins.begin(), origins.end(), origin) == origins.end()) {
                Refuse(response, 403, "origin_not_allowed",
                       "Η προέλευση " + origin + " δεν επιτρέπεται (param.ini, [http_origins]).");
                return httplib::Server::HandlerResponse::Handled;
            }
            response.set_header("Access-Control-Allow-Origin", origin);
            response.set_header("Vary", "Origin");
            return httplib::Server::HandlerResponse::Unhandled;
        });
    server.Options(R"(/.*)", [](const httplib::Request& request, httplib::Response& response) {
        response.status = 204;
        response.set_header("Access-Control-Allow-Methods", "GET, PUT, POST, OPTIONS");
        response.set_header("Access-Control-Allow-Headers", "Authorization, Content-Type");
        response.set_header("Access-Control-Max-Age", "600");
        // Private Network Access: a page of the internet asking the till's own address.
        if (request.get_header_value("Access-Control-Request-Private-Network") == "true") {
            response.set_header("Access-Control-Allow-Private-Network", "true");
        }
    });
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;
        if (response.status == 413) {
            Refuse(response, 413, "body_too_large",
                   "Το σώμα ξεπερνά το 1 MB: δεν είναι απόδειξη. Τίποτα δεν τυπώθηκε.");
        } else if (response.status == 404) {
            Refuse(response, 404, "not_found", "Δεν υπάρχει τέτοια διεύθυνση.");
        } else {
            Refuse(response, response.status, "bad_request", "Η αίτηση δεν διαβάζεται.");
        }
    });

    // The token, and how often an address may get it wrong.
    auto authorised = [this](const httplib::Request& request, httplib::Response& response) {
        if (wrongTokens_.exhausted(request.remote_addr)) {
            Refuse(response, 429, "too_many_wrong_tokens",
                   "Πολλές αιτήσεις με λάθος κλειδί από αυτή τη διεύθυνση· δοκιμάστε αργότερα.");
            return false;
        }
        const std::string header = request.get_header_value("Authorization");
        constexpr std::string_view kBearer = "Bearer ";
        if (header.starts_with(kBearer) &&
            SameToken(std::string_view(header).substr(kBearer.size()), token_)) {
            return true;
        }
        wrongTokens_.take(request.remote_addr);
        response.set_header("WWW-Authenticate", "Bearer");
        Refuse(response, 401, "unauthorized",
               "Λείπει ή είναι λάθος το κλειδί (Authorization: Bearer, varkond --http-token).");
        return false;
    };
    auto withinRate = [this](const httplib::Request& request, httplib::Response& response) {
        if (printing_.take(request.remote_addr)) return true;
        response.set_header("Retry-After", "1");
        Refuse(response, 429, "too_many_requests",
               "Πάρα πολλές αιτήσεις από αυτή τη διεύθυνση· δοκιμάστε σε λίγο.");
        return false;
    };

    server.Get("/health", [this](const httplib::Request&, httplib::Response& response) {
        Answer(response, 200, {{"ok", true}, {"version", version_}});
    });

    server.Put(
        R"(/receipts/([^/]+))", [this, authorised, withinRate](const httplib::Request& request,
                                                               httplib::Response& response) {
            if (!authorised(request, response) || !withinRate(request, response)) return;
            const std::string key = request.matches[1];
            if (!IsReceiptKey(key)) {
                Refuse(response, 400, "bad_id",
                       "Το κλειδί της απόδειξης: 1 έως 64 χαρακτήρες A-Z a-z 0-9 - . _ ~");
                return;
            }
            const BodyCheck check = CheckReceiptBody(request.body);
            if (!check.ok) {
                Json json = {{"error", "bad_receipt"}, {"message", check.message}};
                if (check.line != 0) json["line"] = check.line;
                if (check.column != 0) json["column"] = check.column;
                Answer(response, 400, json);
                return;
            }
            HandedInReceipt now;
            switch (receipts_.put(key, request.body, now)) {
                case HandedInReceipts::PutResult::kQueued:
                    response.status = 201;
                    break;
                case HandedInReceipts::PutResult::kRepeated:
                    response.status = 200;
                    break;
                case HandedInReceipts::PutResult::kConflict:
                    Answer(response, 409,
                           {{"error", "id_conflict"},
                            {"message", "Το κλειδί " + key +
                                            " δόθηκε ήδη σε άλλη απόδειξη· δεν τυπώθηκε ξανά."},
                            {"receipt", ReceiptJson(now)}});
                    return;
                case HandedInReceipts::PutResult::kFull:
                    Refuse(response, 503, "queue_full",
                           "Πάρα πολλές αποδείξεις περιμένουν· δοκιμάστε αργότερα.");
                    return;
                case HandedInReceipts::PutResult::kNotKept:
                    Refuse(response, 507, "not_kept",
                           "Η απόδειξη δεν γράφτηκε στον δίσκο (γεμάτος δίσκος;)· δεν θα τυπωθεί.");
                    return;
            }
            const int status = response.status;
            if (const auto until = WaitDeadline(request)) {
                if (auto ended = receipts_.waitForEnd(key, *until)) now = *ended;
            }
            Answer(response, status, ReceiptJson(now));
        });

    server.Get(R"(/receipts/([^/]+))",
               [this, authorised](const httplib::Request& request, httplib::Response& response) {
                   if (!authorised(request, response)) return;
                   const std::string key = request.matches[1];
                   const auto until = WaitDeadline(request);
                   const std::optional<HandedInReceipt> receipt =
                       until ? receipts_.waitForEnd(key, *until) : receipts_.find(key);
                   if (!receipt) {
                       Refuse(response, 404, "unknown_id",
                              "Καμία απόδειξη με αυτό το κλειδί (ή ξεχάστηκε μετά από 7 ημέρες).");
                       return;
                   }
                   Answer(response, 200, ReceiptJson(*receipt));
               });

    server.Post(R"(/reports/(x|x-period|z|z-period))",
                [this, authorised, withinRate](const httplib::Request& request,
                                               httplib::Response& response) {
                    if (!authorised(request, response) || !withinRate(request, response)) return;
                    const std::string name = request.matches[1];
                    // The route admits only the four names.
                    const Report report = *ReportOfShortName(name);
                    std::optional<AskedReport> asked = receipts_.askReport(report);
                    if (!asked) {
                        Refuse(response, 503, "queue_full", "Πάρα πολλές αναφορές περιμένουν.");
                        return;
                    }
                    if (const auto until = WaitDeadline(request)) {
                        if (auto ended = receipts_.waitForReport(asked->number, *until))
                            asked = ended;
                    }
                    const bool ended =
                        asked->state == ReportState::kDone || asked->state == ReportState::kRefused;
                    Answer(response, ended ? 200 : 202, ReportJson(*asked));
                });

    server.Get(R"(/reports/(\d{1,18}))", [this, authorised](const httplib::Request& request,
                                                            httplib::Response& response) {
        if (!authorised(request, response)) return;
        const std::uint64_t number = std::stoull(request.matches[1]);
        const auto until = WaitDeadline(request);
        const std::optional<AskedReport> asked =
            until ? receipts_.waitForReport(number, *until) : receipts_.findReport(number);
        if (!asked) {
            Refuse(response, 404, "unknown_report", "Καμία τέτοια αναφορά.");
            return;
        }
        Answer(response, 200, ReportJson(*asked));
    });

    server.Get("/status", [this, authorised](const httplib::Request& request,
                                             httplib::Response& response) {
        if (!authorised(request, response)) return;
        const EngineStatus status = receipts_.status();
        Json json = {{"version", version_}, {"queued", status.queued}};
        json["register"] = !status.registerAnswering   ? "unknown"
                           : *status.registerAnswering ? "answering"
                                                       : "not answering";
        json["printing"] = status.printing ? ReceiptJson(*status.printing) : Json(nullptr);
        json["unfinished"] = status.unfinished.empty() ? Json(nullptr) : Json(status.unfinished);
        Answer(response, 200, json);
    });
}

}  // namespace varkon
