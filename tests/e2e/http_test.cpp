// varkond's HTTP interface end to end: a real HTTP client against the real varkond and the
// virtual register. Each case is one of the faults of a local HTTP intake that a shop would meet:
// a retried sale printed twice, a task lost with a restart, a receipt or a Z report from anyone
// on the network, a receipt half-sent for a bad body.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

using Json = nlohmann::json;

// A port of the loopback that nothing listens on now.
int FreePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

const std::string kZReport = "KX021T1\r";

class HttpIntake : public FaultMatrix {
  protected:
    void SetUp() override {
        FaultMatrix::SetUp();
        port = FreePort();
        dir.write("param.ini", dir.read("param.ini") + "[http] 127.0.0.1:" + std::to_string(port) +
                                   "\r\n[http_origins] http://till.example\r\n");
    }
    // varkond serving, and its token.
    void startServing(const std::vector<std::string>& misbehaviour = {}) {
        startWaiting(misbehaviour);
        waitForServer();
    }
    // The log of every start goes on in the same file: the start counts the lines said so far.
    void waitForServer() {
        ASSERT_TRUE(Eventually([&] { return servingSaid() > served; }));
        served = servingSaid();
        token = dir.read("http.token").substr(0, 64);
    }
    httplib::Headers authorised() const { return {{"Authorization", "Bearer " + token}}; }
    httplib::Result put(const std::string& id, const std::string& body,
                        const std::string& query = "") const {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(std::chrono::seconds(40));
        return client.Put(("/receipts/" + id + query).c_str(), authorised(), body, "text/plain");
    }
    httplib::Result get(const std::string& path) const {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(std::chrono::seconds(40));
        return client.Get(path.c_str(), authorised());
    }
    static Json JsonOf(const httplib::Result& result) {
        return result ? Json::parse(result->body, nullptr, false) : Json();
    }
    std::size_t keptPrintFiles() const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(dir / "http-receipts")) {
            if (entry.path().extension() == ".prn") ++count;
        }
        return count;
    }

    int servingSaid() const {
        int n = 0;
        for (const std::string& line : logged("http")) n += line.starts_with("http://") ? 1 : 0;
        return n;
    }

    int port = 0;
    int served = 0;
    std::string token;
};

TEST_F(HttpIntake, OnlyTheTokenPrintsAndAnythingElseGets401WithNothingDone) {
    startServing();
    httplib::Client client("127.0.0.1", port);
    const auto noToken = client.Put("/receipts/a1", kReceipt, "text/plain");
    ASSERT_TRUE(noToken);
    EXPECT_EQ(401, noToken->status);
    const auto wrong =
        client.Put("/receipts/a1", {{"Authorization", "Bearer " + std::string(64, '0')}}, kReceipt,
                   "text/plain");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(401, wrong->status);
    EXPECT_EQ(401, client.Get("/status")->status);
    EXPECT_EQ(401, client.Post("/reports/z", "", "text/plain")->status);
    // /health is for monitoring and tells nothing of the receipts.
    EXPECT_EQ(200, client.Get("/health")->status);
    // The token was not guessed: the same key with the right token is a new receipt.
    const auto right = put("a1", kReceipt, "?wait=20");
    ASSERT_TRUE(right);
    EXPECT_EQ(201, right->status);
    EXPECT_EQ("done", JsonOf(right)["state"]);
    EXPECT_EQ(1, sent(kCoffee));
    EXPECT_EQ(0, sent(kZReport));
}

TEST_F(HttpIntake, SameIdPutTwiceAtOnceIsPrintedOnceAndBothGetTheOneOutcome) {
    startServing({"--latency", "50"});
    auto first =
        std::async(std::launch::async, [&] { return put("sale-7", kReceipt, "?wait=20"); });
    auto second =
        std::async(std::launch::async, [&] { return put("sale-7", kReceipt, "?wait=20"); });
    const httplib::Result a = first.get();
    const httplib::Result b = second.get();
    ASSERT_TRUE(a && b);
    // One took it (201), the other found it (200); both see it printed, with one number.
    EXPECT_EQ(200 + 201, a->status + b->status);
    EXPECT_EQ("done", JsonOf(a)["state"]);
    EXPECT_EQ(JsonOf(a)["receipt"], JsonOf(b)["receipt"]);
    // A retry after a lost answer prints nothing either.
    const auto retry = put("sale-7", kReceipt);
    EXPECT_EQ(200, retry->status);
    // The same key for another receipt is refused.
    const auto other = put("sale-7", kReceipt + " to    1      10.00\r\n");
    EXPECT_EQ(409, other->status);
    EXPECT_EQ("id_conflict", JsonOf(other)["error"]);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(kReceiptWire, wire().substr(wire().find(kQuantity)));
}

TEST_F(HttpIntake, KilledBetweenThePutAndItsAnswerTheReceiptIsFinishedOnceAfterTheRestart) {
    startServing({"--latency", "200"});
    auto waiting = std::async(std::launch::async, [&] { return put("k-1", kReceipt, "?wait=30"); });
    ASSERT_TRUE(Eventually([&] { return sent(kCoffee) > 0; }));
    service->signal(SIGKILL);
    service->waitExit(10s);
    // The client's answer never came.
    EXPECT_FALSE(waiting.get());
    EXPECT_EQ(0, sent(kPayment));

    startService();
    waitForServer();
    // The state is on the disk: asked again after the restart, the receipt is known and done.
    const auto after = get("/receipts/k-1?wait=30");
    ASSERT_TRUE(after);
    EXPECT_EQ("done", JsonOf(after)["state"]) << after->body;
    EXPECT_EQ(1, sent(kQuantity));
    EXPECT_LE(sent(kCoffee), 2);  // the one in doubt when the kill came
    EXPECT_EQ(1, sent(kPie));
    EXPECT_EQ(1, sent(kPayment));
    // The client retries its PUT, as it would after a lost answer: nothing more goes out.
    EXPECT_EQ(200, put("k-1", kReceipt)->status);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(1, sent(kPayment));
    EXPECT_EQ(0u, keptPrintFiles());
}

TEST_F(HttpIntake, DeadLineWhileAPutWaitsAnswersStoppedWithTheLineThenFinishesOnce) {
    startServing({"--dead-after", "3", "--dead-for", "3000"});
    const auto stopped = put("d-1", kReceipt, "?wait=30");
    ASSERT_TRUE(stopped);
    const Json state = JsonOf(stopped);
    EXPECT_EQ("stopped", state["state"]) << stopped->body;
    EXPECT_EQ(2, state["line"]);
    EXPECT_NE(std::string::npos,
              state["message"].get<std::string>().find("δεν απάντησε στη γραμμή 2"));
    // /status names the receipt that waits: nothing else may go to the register meanwhile.
    EXPECT_EQ("d-1", JsonOf(get("/status"))["unfinished"]);
    ASSERT_TRUE(Eventually([&] { return JsonOf(get("/receipts/d-1"))["state"] == "done"; }))
        << get("/receipts/d-1")->body;
    EXPECT_EQ(1, sent(kQuantity));
    EXPECT_EQ(1, sent(kCoffee));
    EXPECT_EQ(1, sent(kPie));
    EXPECT_EQ(1, sent(kPayment));
}

TEST_F(HttpIntake, ZReportAskedWhileAReceiptPrintsRunsOnlyAfterTheReceiptIsClosed) {
    startServing({"--latency", "150"});
    ASSERT_EQ(201, put("z-1", kReceipt)->status);
    ASSERT_TRUE(Eventually([&] { return sent(kQuantity) > 0; }));
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(std::chrono::seconds(40));
    const auto report = client.Post("/reports/z?wait=30", authorised(), "", "text/plain");
    ASSERT_TRUE(report);
    EXPECT_EQ(200, report->status);
    EXPECT_EQ("done", JsonOf(report)["state"]) << report->body;
    const std::string all = wire();
    ASSERT_NE(std::string::npos, all.find(kZReport));
    EXPECT_LT(all.find(kPayment), all.find(kZReport));
    EXPECT_EQ(1, sent(kZReport));
    EXPECT_EQ("done", JsonOf(get("/receipts/z-1"))["state"]);
}

TEST_F(HttpIntake, BodiesThatAreNoReceiptAreRefusedWholeAndNothingIsSent) {
    startServing();
    // Ten megabytes: refused before it is read.
    const auto huge = put("big", std::string(10 << 20, 'a'));
    ASSERT_TRUE(huge);
    EXPECT_EQ(413, huge->status);
    // A good first line and a broken second one: not even the first is sent.
    const std::string broken =
        " PLU 5201234567890 COFFEE                        2.000       1.50   24.00\r\n"
        " mod  %\r\n";
    const auto bad = put("bad", broken);
    ASSERT_TRUE(bad);
    EXPECT_EQ(400, bad->status);
    const Json error = JsonOf(bad);
    EXPECT_EQ("bad_receipt", error["error"]);
    EXPECT_EQ(2, error["line"]) << bad->body;
    EXPECT_GT(error["column"].get<int>(), 0);
    EXPECT_EQ(400, put("nothing", "just words\r\n")->status);
    // A key is never a file name: one that would climb out of a folder is no receipt's key.
    EXPECT_EQ(404, put("..%2F..%2Fparam.ini", kReceipt)->status);
    EXPECT_EQ(400, put("bad%20key", kReceipt)->status);
    EXPECT_EQ(400, put(std::string(65, 'k'), kReceipt)->status);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(0, sent(kCoffee));
    EXPECT_EQ(0u, keptPrintFiles());
    EXPECT_EQ(404, get("/receipts/bad")->status);
}

TEST_F(HttpIntake, BrowsersGetCorsAnswersOnlyForTheOriginsOfParamIni) {
    startServing();
    httplib::Client client("127.0.0.1", port);
    const auto allowed =
        client.Options("/receipts/w1", {{"Origin", "http://till.example"},
                                        {"Access-Control-Request-Method", "PUT"},
                                        {"Access-Control-Request-Private-Network", "true"}});
    ASSERT_TRUE(allowed);
    EXPECT_EQ(204, allowed->status);
    EXPECT_EQ("http://till.example", allowed->get_header_value("Access-Control-Allow-Origin"));
    EXPECT_EQ("true", allowed->get_header_value("Access-Control-Allow-Private-Network"));
    EXPECT_NE(std::string::npos,
              allowed->get_header_value("Access-Control-Allow-Headers").find("Authorization"));

    httplib::Headers foreign = authorised();
    foreign.emplace("Origin", "http://elsewhere.example");
    const auto refused = client.Put("/receipts/w2", foreign, kReceipt, "text/plain");
    ASSERT_TRUE(refused);
    EXPECT_EQ(403, refused->status);
    EXPECT_FALSE(refused->has_header("Access-Control-Allow-Origin"));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(0, sent(kCoffee));
}

}  // namespace
}  // namespace varkon::e2e
