#include "platform/curl/curl_http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/curl/local_http_server.h"
#include "platform/curl/run_until.h"
#include "platform/system_main_loop.h"
#include "support/counting_loop.h"

namespace voltaro {
namespace {

using namespace std::chrono_literals;
using testing::LocalHttpServer;
using testing::runUntil;
using Request = httplib::Request;
using Response = httplib::Response;

constexpr auto kGet = HttpRequest::Method::Get;
constexpr size_t kMiB = 1024 * 1024;

// Stays connected, writing a byte whenever `interval` passes, until the client hangs up.
void trickle(Response& response, std::chrono::milliseconds interval) {
    response.set_chunked_content_provider(
        "application/json", [interval](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(interval);  // the server's thread, not the test's, waits
            return sink.write(" ", 1);
        });
}

class CurlHttpClientTest : public ::testing::Test {
protected:
    // One request per connection: a kept-alive connection would hold a server thread.
    CurlHttpClientTest() { server.routes().set_keep_alive_max_count(1); }

    std::optional<HttpReply> fetch(CurlHttpClient& client, HttpRequest request) {
        std::optional<HttpReply> reply;
        client.send(std::move(request), [&](const HttpReply& got) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            reply = got;
        });
        EXPECT_TRUE(runUntil(loop, [&] { return reply.has_value(); }));
        return reply;
    }

    const std::thread::id mainThread = std::this_thread::get_id();
    CurlHttpClient::Settings settings{2s, 3s, 4 * kMiB};
    SystemMainLoop realLoop;
    testing::CountingLoop loop{realLoop};
    LocalHttpServer server;
};

TEST_F(CurlHttpClientTest, FormParametersGoInTheQueryOrTheBodyInOrder) {
    testing::RequestLog log;
    const auto record = [&](const Request& request, Response& response) {
        log.add(request);
        response.set_content("{}", "application/json");
    };
    server.routes().Get("/echo", record);
    server.routes().Post("/form", record);
    server.start();
    CurlHttpClient client(loop, settings);

    // Long enough that libcurl would otherwise announce it with "Expect: 100-continue".
    const std::string longValue(2000, 'v');
    const std::pair<HttpRequest, std::string> cases[] = {
        {{kGet, server.url("/echo"), {{"b", "2"}, {"a", "x y&z=\xC3\xA9/+"}, {"empty", ""}}},
         "GET /echo?b=2&a=x%20y%26z%3D%C3%A9%2F%2B&empty= "},
        {{kGet, server.url("/echo?fixed=1"), {{"b", "2"}}}, "GET /echo?fixed=1&b=2 "},
        {{HttpRequest::Method::Post,
          server.url("/form"),
          {{"name", "A b"}, {"n", "18"}, {"long", longValue}}},
         "POST /form name=A%20b&n=18&long=" + longValue},
    };
    for (const auto& [request, expected] : cases) {
        ASSERT_TRUE(fetch(client, request));
        const testing::SeenRequest seen = log.all().back();
        EXPECT_EQ(seen.method + " " + seen.target + " " + seen.body, expected);
    }
    const httplib::Headers headers = log.all().back().headers;
    ASSERT_EQ(headers.count("Content-Type"), 1u);
    EXPECT_EQ(headers.find("Content-Type")->second,
              "application/x-www-form-urlencoded; charset=utf-8");
    for (const char* absent : {"Expect", "Authorization", "Accept-Encoding"}) {
        EXPECT_EQ(headers.count(absent), 0u) << absent;
    }
}

// Every status is a reply, its body read as JSON where it is JSON; a body over the limit fails.
TEST_F(CurlHttpClientTest, ReadsEveryStatusAndItsBodyUpToTheLimit) {
    server.routes().Get("/reply", [](const Request& request, Response& response) {
        response.status = std::stoi(request.get_param_value("status"));
        response.set_content(request.get_param_value("body"), "text/plain");
    });
    server.start();
    settings.maxBodyBytes = 1000;
    CurlHttpClient client(loop, settings);

    const std::tuple<std::string, std::string, bool, bool> cases[] = {
        // status, body, failed, read as JSON
        {"500", "{\"error\":true}", false, true},
        {"404", "<html><body>Not Found</body></html>", false, false},
        {"200", "\"" + std::string(998, 'a') + "\"", false, true},
        {"200", "\"" + std::string(999, 'a') + "\"", true, false},
    };
    for (const auto& [status, body, failed, json] : cases) {
        SCOPED_TRACE(status + " " + body.substr(0, 20));
        const auto reply =
            fetch(client, {kGet, server.url("/reply"), {{"status", status}, {"body", body}}});
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->failed(), failed);
        EXPECT_EQ(reply->status, failed ? 0 : std::stol(status));
        EXPECT_EQ(reply->body, failed ? "" : body);
        EXPECT_EQ(reply->json.has_value(), json);
    }
}

// Servers that misbehave, or none at all: every request fails within its time-out.
TEST_F(CurlHttpClientTest, RequestsThatCannotSucceedFailWithinTheLimits) {
    // Static: a server thread may still send from it after the test body, until the fixture ends.
    static const std::string block(64 * 1024, ' ');
    server.routes().Get("/trickle",
                        [](const Request&, Response& response) { trickle(response, 1000ms); });
    server.routes().Get("/endless", [](const Request&, Response& response) {
        response.set_chunked_content_provider(
            "application/json",
            [](size_t, httplib::DataSink& sink) { return sink.write(block.data(), block.size()); });
    });
    // Says 1000 bytes and breaks off after 100.
    server.routes().Get("/broken", [](const Request&, Response& response) {
        response.set_content_provider(1000, "application/json",
                                      [](size_t offset, size_t, httplib::DataSink& sink) {
                                          return offset == 0 && sink.write(block.data(), 100);
                                      });
    });
    server.start();
    const std::string refused = [] {
        LocalHttpServer gone;
        gone.start();
        return gone.url("/");
    }();
    settings.totalTimeout = 700ms;
    settings.maxBodyBytes = 4 * block.size();  // reached well within the time-out, sanitizers too
    CurlHttpClient client(loop, settings);

    for (const std::string& url :
         {refused, std::string("no address"), std::string("ftp://127.0.0.1/file"),
          server.url("/trickle"), server.url("/broken")}) {
        SCOPED_TRACE(url);
        const auto started = std::chrono::steady_clock::now();
        const auto reply = fetch(client, {kGet, url, {}});
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->failed());
        EXPECT_EQ(reply->status, 0);
        EXPECT_FALSE(reply->json);
        EXPECT_LT(std::chrono::steady_clock::now() - started, settings.totalTimeout + 1s);
        EXPECT_EQ(loop.outstanding, 0);
    }
    // The size limit, not the time-out, ends a body that never does: nothing past it is held.
    const auto endless = fetch(client, {kGet, server.url("/endless"), {}});
    ASSERT_TRUE(endless);
    EXPECT_EQ(endless->error,
              "reply larger than " + std::to_string(settings.maxBodyBytes) + " bytes");
}

TEST_F(CurlHttpClientTest, ConcurrentRequestsAreAnsweredIndependentlyOnTheMainThread) {
    std::promise<void> release;
    // By value: should the test end early, the broken promise lets the handler go.
    const std::shared_future<void> held = release.get_future().share();
    server.routes().Get("/slow", [held](const Request&, Response& response) {
        held.wait_for(10s);
        response.set_content("\"slow\"", "application/json");
    });
    server.routes().Get("/fast", [](const Request&, Response& response) {
        response.set_content("1", "application/json");
    });
    server.start();
    CurlHttpClient client(loop, settings);

    std::vector<std::string> order;
    const auto record = [&](const HttpReply& reply) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        order.push_back(reply.json ? reply.json->dump() : "failed");
        if (order.size() == 2) release.set_value();  // the slow one answers only after the others
    };
    for (const char* path : {"/slow", "/fast", "/fast"})
        client.send({kGet, server.url(path), {}}, record);
    EXPECT_EQ(loop.outstanding, 3);  // holds a virtual clock until the replies are in
    ASSERT_TRUE(runUntil(loop, [&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"1", "1", "\"slow\""}));
    EXPECT_EQ(loop.outstanding, 0);
}

TEST_F(CurlHttpClientTest, ClosingWhileAHundredRequestsRunEndsAtOnceAndRunsNoHandler) {
    server.routes().Get("/trickle",
                        [](const Request&, Response& response) { trickle(response, 50ms); });
    server.start();
    settings.totalTimeout = 60s;  // so that only the closing can end them
    bool handled = false;
    auto client = std::make_unique<CurlHttpClient>(loop, settings);
    for (int i = 0; i < 100; ++i) {
        client->send({kGet, server.url("/trickle"), {}}, [&](const HttpReply&) { handled = true; });
    }
    runUntil(
        loop, [] { return false; }, 0.2);  // some are under way when the client closes
    const auto started = std::chrono::steady_clock::now();
    client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    loop.run();  // nothing holds the loop any more
    EXPECT_FALSE(handled);
}

TEST(JsonReply, AcceptsAnyJsonValueNestedNoDeeperThanTheLimitAndNothingElse) {
    using nlohmann::json;
    const auto nested = [](size_t depth) {
        return std::string(depth, '[') + std::string(depth, ']');
    };
    const std::tuple<long, std::string, std::optional<json>> cases[] = {
        {200, "\"text\"", json("text")},
        {500, "\n[1, {\"a\": []}]\n", json::parse("[1,{\"a\":[]}]")},
        {204, "", json(nullptr)},
        {200, "", std::nullopt},
        {204, " ", std::nullopt},
        {200, "{\"a\":1} trailing", std::nullopt},
        {200, "\"\xFF\xFE\"", std::nullopt},  // not UTF-8
        {200, nested(512), json::parse(nested(512))},
        {200, nested(513), std::nullopt},
        // Two million levels in 4 MiB: refused while streaming, before anything is built.
        {200, nested(2 * kMiB), std::nullopt},
    };
    for (const auto& [status, body, value] : cases) {
        EXPECT_EQ(readJsonReply(status, body), value) << status << " " << body.substr(0, 40);
    }
}

}  // namespace
}  // namespace voltaro
