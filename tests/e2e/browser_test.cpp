// A real browser's page hands a receipt to varkond: headless Chromium loads a page from a web
// server of the test and the page's script PUTs the receipt with the token. Because of the
// Authorization header the browser first asks varkond (a preflight); from an origin param.ini
// lists the receipt is printed, from any other the browser never sends it. Skipped where
// Chromium is not installed (scripts/test installs it).
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cctype>
#include <nlohmann/json.hpp>
#include <thread>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

const fs::path kChromium = "/usr/bin/chromium";

// A port of the loopback address that nothing listens on now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

// The text of an element as Chromium's --dump-dom writes it, with its entities read back.
std::string TextOf(const std::string& dom, const std::string& openTag) {
    const auto from = dom.find(openTag);
    if (from == std::string::npos) return {};
    const auto start = from + openTag.size();
    const auto end = dom.find("</", start);
    std::string text = dom.substr(start, end == std::string::npos ? end : end - start);
    for (const auto& [entity, character] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&nbsp;", "\u00a0"}, {"&amp;", "&"}}) {
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at)) {
            text.replace(at, std::string_view(entity).size(), character);
            ++at;
        }
    }
    return text;
}

// One origin's web server: every page it serves is the shop's page for the receipt its path
// names (/web-1 hands in receipt web-1). Its port is taken at once, so that param.ini can name
// the origin; it answers from serve() on, when the page has all it needs.
class PageServer {
  public:
    PageServer() { port_ = server_.bind_to_any_port("127.0.0.1"); }
    ~PageServer() {
        if (!serving_.joinable()) return;
        server_.stop();
        serving_.join();
    }
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    void serve(std::function<std::string(const std::string&)> page) {
        server_.Get(R"(/(web-\d+))",
                    [page](const httplib::Request& request, httplib::Response& response) {
                        response.set_content(page(request.matches[1]), "text/html; charset=utf-8");
                    });
        // The socket listens since the binding: a browser that comes early waits in its queue.
        serving_ = std::thread([this] { server_.listen_after_bind(); });
    }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread serving_;
};

class BrowserPage : public FaultMatrix {
  protected:
    void SetUp() override {
        if (!fs::exists(kChromium)) {
            GTEST_SKIP() << kChromium << " is not installed (apt-get install chromium): no "
                         << "browser to call varkond's HTTP interface from.";
        }
        FaultMatrix::SetUp();
        apiPort = FreePort();
        ASSERT_NE(0, apiPort);
        dir.write("param.ini", dir.read("param.ini") +
                                   "[http] 127.0.0.1:" + std::to_string(apiPort) +
                                   "\r\n[http_origins] " + allowed.origin() + "\r\n");
        startWaiting();
        ASSERT_TRUE(Eventually([&] { return logHas("http: http://127.0.0.1:"); }));
        token = dir.read("http.token");
        while (!token.empty() && std::isspace(static_cast<unsigned char>(token.back()))) {
            token.pop_back();
        }
        ASSERT_EQ(64u, token.size());
        for (PageServer* server : {&allowed, &other}) {
            server->serve([this](const std::string& id) { return page(id); });
        }
    }

    // The shop's page: on loading it hands in the receipt and shows what came back, or why the
    // browser would not let it through.
    std::string page(const std::string& id) const {
        return "<!doctype html><html><body><pre id=\"outcome\">pending</pre><script>\n"
               "fetch(\"http://127.0.0.1:" +
               std::to_string(apiPort) + "/receipts/" + id +
               "?wait=20\", {method: \"PUT\", headers: {Authorization: \"Bearer " + token +
               "\"}, body: " + nlohmann::json(kReceipt).dump() +
               "})\n"
               "  .then(r => r.text().then(t => { show(r.status + \" \" + t); }))\n"
               "  .catch(e => { show(\"blocked: \" + e); });\n"
               "function show(text) { document.getElementById(\"outcome\").textContent = text; }\n"
               "</script></body></html>\n";
    }

    // What the page shows once Chromium has loaded it and its script has had its answer. The
    // virtual time stands still while a fetch is pending, so the dump waits for the answer;
    // a Chromium that hangs anyway is ended.
    std::string outcomeOf(const std::string& url) {
        Child chromium({kChromium.string(), "--headless", "--no-sandbox", "--disable-gpu",
                        "--no-first-run", "--user-data-dir=" + (dir / "chromium").string(),
                        "--virtual-time-budget=30000", "--dump-dom", url},
                       dir.path(), {}, dir / "chromium.log");
        const auto exit = chromium.waitExit(90s);
        if (!exit) chromium.stop(5s);
        EXPECT_EQ(std::optional<int>(0), exit) << "Chromium:\n" << dir.read("chromium.log");
        return TextOf(dir.read("chromium.log"), "<pre id=\"outcome\">");
    }

    // The receipt as varkond knows it, asked without a browser.
    httplib::Result receipt(const std::string& id) {
        httplib::Client client("127.0.0.1", apiPort);
        client.set_read_timeout(10s);
        return client.Get("/receipts/" + id, {{"Authorization", "Bearer " + token}});
    }

    PageServer allowed;  // the origin param.ini lists
    PageServer other;    // one it does not
    int apiPort = 0;
    std::string token;
};

TEST_F(BrowserPage, PageOfAListedOriginHandsInAReceiptThatIsPrinted) {
    const std::string outcome = outcomeOf(allowed.origin() + "/web-1");
    ASSERT_TRUE(outcome.starts_with("201 ")) << outcome;
    const auto answer = nlohmann::json::parse(outcome.substr(4), nullptr, false);
    ASSERT_FALSE(answer.is_discarded()) << outcome;
    EXPECT_EQ("web-1", answer.value("id", ""));
    EXPECT_EQ("done", answer.value("state", "")) << outcome;
    EXPECT_EQ(kProbe + kReceiptWire, wire());  // its four commands, once
}

TEST_F(BrowserPage, PageOfAnotherOriginIsStoppedByTheBrowserAndNothingReachesTheRegister) {
    const std::string outcome = outcomeOf(other.origin() + "/web-2");
    // Chromium's words for a request its CORS check refused.
    EXPECT_EQ("blocked: TypeError: Failed to fetch", outcome);
    const auto asked = receipt("web-2");
    ASSERT_TRUE(asked) << "varkond does not answer";
    EXPECT_EQ(404, asked->status) << asked->body;
    EXPECT_EQ(kProbe, wire());
}

}  // namespace
}  // namespace varkon::e2e
