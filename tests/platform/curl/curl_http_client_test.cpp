#include "platform/curl/curl_http_client.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
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

    std::optional<HttpReply> get(CurlHttpClient& client, const std::string& path) {
        return fetch(client, {HttpRequest::Method::Get, server.url(path), {}});
    }

    const std::thread::id mainThread = std::this_thread::get_id();
    SystemMainLoop realLoop;
    CountingLoop loop{realLoop};
    LocalHttpServer server;
    RequestLog log;
    Gate gate;
};

TEST_F(CurlHttpClientTest, GetAppendsTheFormEncodedQueryInOrder) {
    server.routes().Get("/echo", [&](const httplib::Request& request, httplib::Response& response) {
        log.add(request);
        response.set_content("{}", "application/json");
    });
    server.start();
    CurlHttpClient client(loop, quickSettings());

    const FormParameters parameters{{"b", "2"}, {"a", "x y&z=\xC3\xA9/+"}, {"empty", ""}};
    ASSERT_TRUE(fetch(client, {HttpRequest::Method::Get, server.url("/echo"), parameters}));
    ASSERT_TRUE(
        fetch(client, {HttpRequest::Method::Get, server.url("/echo?fixed=1"), {{"b", "2"}}}));
    ASSERT_TRUE(fetch(client, {HttpRequest::Method::Get, server.url("/echo"), {}}));

    const auto seen = log.all();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, "/echo?b=2&a=x%20y%26z%3D%C3%A9%2F%2B&empty=");
    EXPECT_EQ(seen[0].body, "");
    EXPECT_EQ(seen[1].target, "/echo?fixed=1&b=2");
    EXPECT_EQ(seen[2].target, "/echo");
}

TEST_F(CurlHttpClientTest, PostSendsAFormBodyAndNoHeadersOfItsOwn) {
    server.routes().Post("/form",
                         [&](const httplib::Request& request, httplib::Response& response) {
                             log.add(request);
                             response.set_content("{}", "application/json");
                         });
    server.start();
    CurlHttpClient client(loop, quickSettings());

    // Long enough that libcurl would otherwise announce it with "Expect: 100-continue".
    const std::string longValue(2000, 'v');
    ASSERT_TRUE(fetch(client, {HttpRequest::Method::Post,
                               server.url("/form"),
                               {{"name", "A b"}, {"n", "18"}, {"long", longValue}}}));

    const auto seen = log.all();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].target, "/form");
    EXPECT_EQ(seen[0].body, "name=A%20b&n=18&long=" + longValue);
    const auto header = [&](const char* name) {
        const auto found = seen[0].headers.find(name);
        return found == seen[0].headers.end() ? std::string("(none)") : found->second;
    };
    EXPECT_EQ(header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(header("Expect"), "(none)");
    EXPECT_EQ(header("Authorization"), "(none)");
    EXPECT_EQ(header("Accept-Encoding"), "(none)");
}

TEST_F(CurlHttpClientTest, ReadsEveryStatusAndItsBodyAsJsonWhereItIsJson) {
    // /reply?status=N&body=B answers with exactly that.
    server.routes().Get("/reply", [](const httplib::Request& request, httplib::Response& response) {
        response.status = std::stoi(request.get_param_value("status"));
        response.set_content(request.get_param_value("body"), "text/plain");
    });
    server.start();
    CurlHttpClient client(loop, quickSettings());
    const auto ask = [&](const std::string& status, const std::string& body) {
        return fetch(
            client,
            {HttpRequest::Method::Get, server.url("/reply"), {{"status", status}, {"body", body}}});
    };

    auto reply = ask("200", "\"hi\"");
    ASSERT_TRUE(reply && reply->json);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(*reply->json, "hi");

    reply = ask("200", " 5 ");
    ASSERT_TRUE(reply && reply->json);
    EXPECT_EQ(*reply->json, 5);

    reply = ask("500", "{\"error\":true}");
    ASSERT_TRUE(reply && reply->json);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(reply->status, 500);
    EXPECT_EQ((*reply->json)["error"], true);

    reply = ask("500", "<html><body>Internal Server Error</body></html>");
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(reply->status, 500);
    EXPECT_FALSE(reply->json);

    reply = ask("204", "");
    ASSERT_TRUE(reply && reply->json);
    EXPECT_TRUE(reply->json->is_null());

    reply = ask("200", "");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    EXPECT_FALSE(reply->json);
}

TEST_F(CurlHttpClientTest, ARequestNobodyAnswersTimesOut) {
    server.routes().Get("/silent",
                        [&](const httplib::Request&, httplib::Response&) { gate.wait(); });
    server.start();
    CurlHttpClient::Settings settings = quickSettings();
    settings.totalTimeout = 300ms;
    CurlHttpClient client(loop, settings);

    const auto started = std::chrono::steady_clock::now();
    const auto reply = get(client, "/silent");
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->failed());
    EXPECT_FALSE(reply->json);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_EQ(loop.outstanding, 0);
}

TEST_F(CurlHttpClientTest, AReplyOverTheSizeLimitFails) {
    const std::string fiveMiB(5 * 1024 * 1024, ' ');
    server.routes().Get("/sized", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(fiveMiB, "application/json");
    });
    // Without a Content-Length the limit can only be enforced while the body streams in.
    server.routes().Get("/chunked", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("application/json",
                                              [&](size_t offset, httplib::DataSink& sink) {
                                                  if (offset >= fiveMiB.size()) {
                                                      sink.done();
                                                  } else {
                                                      sink.write(fiveMiB.data(), 64 * 1024);
                                                  }
                                                  return true;
                                              });
    });
    server.routes().Get("/limit", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(std::string(std::stoul(request.get_param_value("n")), '7'),
                             "application/json");
    });
    server.start();
    CurlHttpClient client(loop, quickSettings());

    auto reply = get(client, "/sized");
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->failed());
    EXPECT_TRUE(reply->body.empty());
    reply = get(client, "/chunked");
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->failed());

    CurlHttpClient::Settings small = quickSettings();
    small.maxBodyBytes = 1000;
    CurlHttpClient limited(loop, small);
    reply = fetch(limited, {HttpRequest::Method::Get, server.url("/limit"), {{"n", "1000"}}});
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->failed());
    EXPECT_EQ(reply->body.size(), 1000u);
    reply = fetch(limited, {HttpRequest::Method::Get, server.url("/limit"), {{"n", "1001"}}});
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->failed());
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

TEST_F(CurlHttpClientTest, DestroyingTheClientAbandonsItsTransfers) {
    server.routes().Get("/silent",
                        [&](const httplib::Request&, httplib::Response&) { gate.wait(); });
    server.start();
    bool handled = false;
    {
        CurlHttpClient client(loop, quickSettings());
        client.send({HttpRequest::Method::Get, server.url("/silent"), {}},
                    [&](const HttpReply&) { handled = true; });
        EXPECT_EQ(loop.outstanding, 1);
    }
    // The loop is no longer held by the request: it ends at once for lack of work.
    EXPECT_EQ(loop.outstanding, 0);
    loop.run();
    EXPECT_FALSE(handled);
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
    EXPECT_EQ(readJsonReply(200, "\"text\""), nlohmann::json("text"));
    EXPECT_EQ(readJsonReply(200, "-1.5e2"), nlohmann::json(-150.0));
    EXPECT_EQ(readJsonReply(200, "null"), nlohmann::json(nullptr));
    EXPECT_EQ(readJsonReply(500, "\n[1, {\"a\": []}]\n"), nlohmann::json::parse("[1,{\"a\":[]}]"));
    EXPECT_EQ(readJsonReply(205, ""), nlohmann::json(nullptr));

    EXPECT_FALSE(readJsonReply(200, ""));
    EXPECT_FALSE(readJsonReply(204, " "));
    EXPECT_FALSE(readJsonReply(200, "{\"a\":1} trailing"));
    EXPECT_FALSE(readJsonReply(200, "{'a':1}"));
    EXPECT_FALSE(readJsonReply(200, "\"\xFF\xFE\""));  // not UTF-8
    EXPECT_FALSE(readJsonReply(200, std::string("\"a\0b\"", 5)));
    EXPECT_FALSE(readJsonReply(200, "[1,2"));
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

}  // namespace
}  // namespace voltaro
