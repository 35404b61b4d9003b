#include "platform/curl/curl_http_client.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/curl/local_http_server.h"
#include "platform/curl/run_until.h"
#include "platform/sim/virtual_time.h"
#include "platform/system_main_loop.h"
#include "support/counting_loop.h"

namespace voltaro {
namespace {

using namespace std::chrono_literals;
using testing::CountingLoop;
using testing::Gate;
using testing::LocalHttpServer;
using testing::RequestLog;
using testing::runUntil;

CurlHttpClient::Settings quickSettings() {
    CurlHttpClient::Settings settings;
    settings.connectTimeout = 2s;
    settings.totalTimeout = 3s;
    return settings;
}

constexpr size_t kMiB = 1024 * 1024;

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kMemoryAllowance = 16;
#else
constexpr size_t kMemoryAllowance = 3;
#endif

size_t peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<size_t>(usage.ru_maxrss) * 1024;
}

// A port on 127.0.0.1 that nothing listens on.
int closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

class CurlHttpClientTest : public ::testing::Test {
protected:
    void TearDown() override {
        gate.open();
        server.stop();
    }

    // Sends one request and runs the loop until its handler ran, on this thread.
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
    SystemMainLoop realLoop;
    CountingLoop loop{realLoop};
    LocalHttpServer server;
    RequestLog log;
    Gate gate;
};

TEST_F(CurlHttpClientTest, FormParametersGoInTheQueryOrTheBodyInOrder) {
    const auto record = [&](const httplib::Request& request, httplib::Response& response) {
        log.add(request);
        response.set_content("{}", "application/json");
    };
    server.routes().Get("/echo", record);
    server.routes().Post("/form", record);
    server.start();
    CurlHttpClient client(loop, quickSettings());

    const FormParameters parameters{{"b", "2"}, {"a", "x y&z=\xC3\xA9/+"}, {"empty", ""}};
    ASSERT_TRUE(fetch(client, {HttpRequest::Method::Get, server.url("/echo"), parameters}));
    ASSERT_TRUE(
        fetch(client, {HttpRequest::Method::Get, server.url("/echo?fixed=1"), {{"b", "2"}}}));
    ASSERT_TRUE(fetch(client, {HttpRequest::Method::Get, server.url("/echo"), {}}));
    // Long enough that libcurl would otherwise announce it with "Expect: 100-continue".
    const std::string longValue(2000, 'v');
    ASSERT_TRUE(fetch(client, {HttpRequest::Method::Post,
                               server.url("/form"),
                               {{"name", "A b"}, {"n", "18"}, {"long", longValue}}}));

    const auto seen = log.all();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].method + " " + seen[0].target + " " + seen[0].body,
              "GET /echo?b=2&a=x%20y%26z%3D%C3%A9%2F%2B&empty= ");
    EXPECT_EQ(seen[1].target, "/echo?fixed=1&b=2");
    EXPECT_EQ(seen[2].target, "/echo");
    EXPECT_EQ(seen[3].method + " " + seen[3].target, "POST /form");
    EXPECT_EQ(seen[3].body, "name=A%20b&n=18&long=" + longValue);
    const auto header = [&](const char* name) {
        const auto found = seen[3].headers.find(name);
        return found == seen[3].headers.end() ? std::string("(none)") : found->second;
    };
    EXPECT_EQ(header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    for (const char* absent : {"Expect", "Authorization", "Accept-Encoding"}) {
        EXPECT_EQ(header(absent), "(none)") << absent;
    }
}

// Every status is a reply, with its body read as JSON where it is JSON (readJsonReply below).
TEST_F(CurlHttpClientTest, ReadsEveryStatusAndItsBody) {
    server.routes().Get("/reply", [](const httplib::Request& request, httplib::Response& response) {
        response.status = std::stoi(request.get_param_value("status"));
        response.set_content(request.get_param_value("body"), "text/plain");
    });
    server.start();
    CurlHttpClient::Settings settings = quickSettings();
    settings.maxBodyBytes = 1000;
    CurlHttpClient client(loop, settings);
    const auto ask = [&](const std::string& status, const std::string& body) {
        return fetch(
            client,
            {HttpRequest::Method::Get, server.url("/reply"), {{"status", status}, {"body", body}}});
    };

    auto reply = ask("500", "{\"error\":true}");
    ASSERT_TRUE(reply && reply->json);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(reply->status, 500);
    EXPECT_EQ((*reply->json)["error"], true);

    reply = ask("500", "<html><body>Internal Server Error</body></html>");
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(reply->status, 500);
    EXPECT_FALSE(reply->json);

    reply = ask("200", std::string(1000, '7'));
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(reply->body.size(), 1000u);
    reply = ask("200", std::string(1001, '7'));  // over the limit; the stress test streams more
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->failed());
    EXPECT_TRUE(reply->body.empty());
}

TEST_F(CurlHttpClientTest, RefusedConnectionsAndBadAddressesFail) {
    CurlHttpClient client(loop, quickSettings());
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    for (const std::string& url : {refused, std::string(), std::string("no address"),
                                   std::string("ftp://127.0.0.1/file"), std::string("http://")}) {
        SCOPED_TRACE(url);
        const auto reply = fetch(client, {HttpRequest::Method::Get, url, {}});
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->failed());
        EXPECT_EQ(reply->status, 0);
    }
    EXPECT_EQ(loop.outstanding, 0);
}

TEST_F(CurlHttpClientTest, ConcurrentRequestsAreAnsweredIndependentlyOnTheMainThread) {
    server.routes().Get("/slow", [&](const httplib::Request&, httplib::Response& response) {
        gate.wait();
        response.set_content("\"slow\"", "application/json");
    });
    server.routes().Get(R"(/fast/(\d+))",
                        [](const httplib::Request& request, httplib::Response& response) {
                            response.set_content(request.matches[1].str(), "application/json");
                        });
    server.start();
    CurlHttpClient client(loop, quickSettings());

    std::vector<std::string> order;
    const auto record = [&](const HttpReply& reply) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        order.push_back(reply.json ? reply.json->dump() : "failed");
        if (order.size() == 3) gate.open();  // the slow one answers only after the others
    };
    client.send({HttpRequest::Method::Get, server.url("/slow"), {}}, record);
    for (int i = 1; i <= 3; ++i) {
        client.send({HttpRequest::Method::Get, server.url("/fast/" + std::to_string(i)), {}},
                    record);
    }
    ASSERT_TRUE(runUntil(loop, [&] { return order.size() == 4; }));
    EXPECT_EQ(order.back(), "\"slow\"");
    std::sort(order.begin(), order.end() - 1);
    EXPECT_EQ(order, (std::vector<std::string>{"1", "2", "3", "\"slow\""}));
    EXPECT_EQ(loop.outstanding, 0);
}

TEST(CurlHttpClientVirtualTime, TheVirtualClockWaitsForTheReply) {
    LocalHttpServer server;
    server.routes().Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("1", "application/json");
    });
    server.start();
    VirtualTime loop;
    CurlHttpClient client(loop);

    std::vector<std::string> events;
    client.send({HttpRequest::Method::Get, server.url("/"), {}}, [&](const HttpReply& reply) {
        events.push_back(reply.failed() ? "failed" : "reply");
    });
    // Were the clock to jump ahead, this would run first and report a time-out that never was.
    loop.scheduleOnce(60.0, [&] { events.push_back("timer"); });
    loop.run();
    EXPECT_EQ(events, (std::vector<std::string>{"reply", "timer"}));
}

TEST(JsonReply, AcceptsAnyJsonValueAndNothingElse) {
    using nlohmann::json;
    const std::tuple<long, std::string, std::optional<json>> cases[] = {
        {200, "\"text\"", json("text")},
        {200, " -1.5e2 ", json(-150.0)},
        {200, "null", json(nullptr)},
        {500, "\n[1, {\"a\": []}]\n", json::parse("[1,{\"a\":[]}]")},
        {204, "", json(nullptr)},
        {205, "", json(nullptr)},
        {200, "", std::nullopt},
        {204, " ", std::nullopt},
        {200, "{\"a\":1} trailing", std::nullopt},
        {200, "{'a':1}", std::nullopt},
        {200, "\"\xFF\xFE\"", std::nullopt},  // not UTF-8
        {200, std::string("\"a\0b\"", 5), std::nullopt},
        {200, "[1,2", std::nullopt},
    };
    for (const auto& [status, body, value] : cases) {
        EXPECT_EQ(readJsonReply(status, body), value) << status << " " << body;
    }
}

TEST(JsonReply, RefusesNestingTooDeepToHandleSafely) {
    const auto nested = [](size_t depth) {
        return std::string(depth, '[') + std::string(depth, ']');
    };
    EXPECT_TRUE(readJsonReply(200, nested(512)));
    EXPECT_FALSE(readJsonReply(200, nested(513)));
    // Two million levels in 4 MiB: refused while streaming, before anything is built.
    EXPECT_FALSE(readJsonReply(200, nested(2 * 1024 * 1024)));
}

// Servers that misbehave: nothing may wait past its time-out, hold more memory than the size
// limit, or crash when the client goes.
class CurlStressTest : public CurlHttpClientTest {
protected:
    CurlStressTest() {
        settings.connectTimeout = 1s;
        settings.totalTimeout = 700ms;
        settings.maxBodyBytes = 4 * kMiB;
        // One request per connection: a kept-alive connection would hold a server thread.
        server.routes().set_keep_alive_max_count(1);
    }

    CurlHttpClient::Settings settings;
};

// Stays connected, writing a byte whenever `interval` passes, until the client hangs up.
void trickle(httplib::Response& response, std::chrono::milliseconds interval) {
    response.set_chunked_content_provider(
        "application/json", [interval](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(interval);  // the server's thread, not the test's, waits
            return sink.write(" ", 1);
        });
}

TEST_F(CurlStressTest, RepliesThatTrickleNeverEndOrAreHugeFailWithinTheLimits) {
    // Static: a server thread may still send from it after the test body, until TearDown.
    static const std::string block(64 * 1024, ' ');
    server.routes().Get("/trickle", [&](const httplib::Request&, httplib::Response& response) {
        trickle(response, 1000ms);
    });
    server.routes().Get("/endless", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("application/json",
                                              [&](size_t, httplib::DataSink& sink) {
                                                  return sink.write(block.data(), block.size());
                                              });
    });
    // Announced as 100 MiB, and sent in full unless the client hangs up.
    server.routes().Get("/huge", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            100 * kMiB, "application/json", [&](size_t, size_t length, httplib::DataSink& sink) {
                return sink.write(block.data(), std::min(length, block.size()));
            });
    });
    // Says 1000 bytes and breaks off after 100.
    server.routes().Get("/broken", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(1000, "application/json",
                                      [&](size_t offset, size_t, httplib::DataSink& sink) {
                                          if (offset > 0) return false;
                                          return sink.write(block.data(), 100);
                                      });
    });
    server.start();
    CurlHttpClient client(loop, settings);

    const size_t peakBefore = peakResidentBytes();
    for (const char* path : {"/trickle", "/endless", "/huge", "/broken"}) {
        SCOPED_TRACE(path);
        const auto started = std::chrono::steady_clock::now();
        const auto reply = fetch(client, {HttpRequest::Method::Get, server.url(path), {}});
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->failed());
        EXPECT_FALSE(reply->json);
        EXPECT_LT(std::chrono::steady_clock::now() - started, settings.totalTimeout + 1s);
        EXPECT_EQ(loop.outstanding, 0);
    }
    // 100 MiB never came near memory (the address sanitizer's quarantine gets more room).
    EXPECT_LT(peakResidentBytes() - peakBefore, kMemoryAllowance * settings.maxBodyBytes);
}

TEST_F(CurlStressTest, AHundredOutstandingRequestsAreEachAnsweredOnce) {
    std::atomic<int> waiting{0};
    server.routes().Get("/held", [&](const httplib::Request&, httplib::Response& response) {
        ++waiting;
        gate.wait();
        response.set_content("1", "application/json");
    });
    server.start();
    // The server's listen queue is short (5): the kernel retries the others after 1, 3, 7, 15 s.
    settings.connectTimeout = 30s;
    settings.totalTimeout = 40s;
    CurlHttpClient client(loop, settings);

    std::vector<HttpReply> replies;
    for (int i = 0; i < 100; ++i) {
        client.send({HttpRequest::Method::Get, server.url("/held"), {}},
                    [&](const HttpReply& reply) { replies.push_back(reply); });
    }
    // Held until every request was sent and the first ones reached the server.
    ASSERT_TRUE(runUntil(loop, [&] { return waiting > 0; }));
    EXPECT_TRUE(replies.empty());
    gate.open();
    ASSERT_TRUE(runUntil(
        loop, [&] { return replies.size() == 100; }, 45));
    // A connection the listen queue leaves unserved may time out; each request gets one reply.
    for (const HttpReply& reply : replies) {
        if (reply.json) {
            EXPECT_EQ(*reply.json, nlohmann::json(1));
        } else {
            EXPECT_TRUE(reply.failed());
        }
    }
}

TEST_F(CurlStressTest, ClosingWhileAHundredRequestsRunEndsAtOnceAndRunsNoHandler) {
    server.routes().Get("/trickle", [&](const httplib::Request&, httplib::Response& response) {
        trickle(response, 50ms);
    });
    server.start();
    settings.totalTimeout = 60s;  // so that only the closing can end them
    bool handled = false;
    auto client = std::make_unique<CurlHttpClient>(loop, settings);
    for (int i = 0; i < 100; ++i) {
        client->send({HttpRequest::Method::Get, server.url("/trickle"), {}},
                     [&](const HttpReply&) { handled = true; });
    }
    // Some are under way when the client closes.
    runUntil(
        loop, [] { return false; }, 0.2);
    const auto started = std::chrono::steady_clock::now();
    client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    loop.run();  // nothing holds the loop any more
    EXPECT_FALSE(handled);
}

}  // namespace
}  // namespace voltaro
