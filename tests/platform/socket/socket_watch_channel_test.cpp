#include "platform/socket/socket_watch_channel.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/curl/run_until.h"
#include "platform/socket/watch_companion.h"
#include "platform/system_main_loop.h"
#include "support/log_capture.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using testing::runUntil;

sockaddr_un unixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

class RawClient {
public:
    explicit RawClient(const std::string& path) {
        const timeval sendLimit{5, 0};  // a write the application never takes fails, not hangs
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
        const sockaddr_un address = unixAddress(path);
        connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    ~RawClient() { close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    // Blocking, so a line goes out whole.
    bool write(const std::string& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == std::ssize(bytes);
    }

    std::optional<std::string> nextLine() {
        closed();
        const std::size_t newline = received_.find('\n');
        if (newline == std::string::npos) return std::nullopt;
        std::string line = received_.substr(0, newline);
        received_.erase(0, newline + 1);
        return line;
    }

    bool got(const std::string& text) {
        return !closed() && received_.find(text) != std::string::npos;
    }

    // Takes in whatever arrived; true once the application closed the link.
    bool closed() {
        char buffer[4096];
        ssize_t size;
        while ((size = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
            received_.append(buffer, static_cast<std::size_t>(size));
        }
        closed_ = closed_ || size == 0 || (errno != EAGAIN && errno != EINTR);
        return closed_;
    }

private:
    int fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool closed_ = false;
    std::string received_;
};

mode_t modeOf(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? status.st_mode : 0;
}

class SocketWatchChannelTest : public ::testing::Test {
protected:
    SocketWatchChannel::Settings settings() const {
        SocketWatchChannel::Settings s;
        s.socketPath = directory() + "/watch.sock";
        return s;
    }
    std::string directory() const { return (temp.path() / "link").string(); }

    void start(SocketWatchChannel::Settings s, json answer = {{"ok", "1"}}) {
        channel = std::make_unique<SocketWatchChannel>(loop, std::move(s));
        channel->setMessageHandler(
            [this, answer](const json& message, const WatchChannel::Reply& reply) {
                EXPECT_EQ(std::this_thread::get_id(), mainThread);
                received.push_back(message);
                reply(answer);
            });
        EXPECT_TRUE(channel->activate());
    }

    json nextLine(RawClient& client) {
        std::optional<std::string> line;
        EXPECT_TRUE(runUntil(loop, [&] { return (line = client.nextLine()).has_value(); }));
        return json::parse(line.value_or("null"));
    }

    void waitUntilPaired(bool paired) {
        ASSERT_TRUE(runUntil(loop, [&] { return channel->isPaired() == paired; }));
    }

    const std::thread::id mainThread = std::this_thread::get_id();
    testing::LogCapture logs{log::Category::Watch};
    testing::TempDir temp;
    SystemMainLoop loop;
    std::unique_ptr<SocketWatchChannel> channel;
    std::vector<json> received;
};

TEST_F(SocketWatchChannelTest, ARefusedPlaceLeavesTheChannelInactive) {
    ASSERT_EQ(mkdir(directory().c_str(), 0755), 0);
    chmod(directory().c_str(), 0755);  // whatever the umask: a directory others may enter
    EXPECT_FALSE(SocketWatchChannel(loop, settings()).activate());

    chmod(directory().c_str(), 0700);
    std::ofstream(settings().socketPath) << "not a socket";
    EXPECT_FALSE(SocketWatchChannel(loop, settings()).activate());
    EXPECT_TRUE(S_ISREG(modeOf(settings().socketPath)));

    SocketWatchChannel::Settings longPath = settings();
    longPath.socketPath = directory() + "/" + std::string(120, 's');  // more than an address holds
    EXPECT_FALSE(SocketWatchChannel(loop, longPath).activate());
}

TEST_F(SocketWatchChannelTest, TheSocketIsTheUsersAloneAndOnlyAStaleOneIsReplaced) {
    const std::string path = settings().socketPath;
    start(settings());
    EXPECT_EQ(modeOf(directory()), S_IFDIR | 0700u);
    EXPECT_EQ(modeOf(path), S_IFSOCK | 0600u);
    EXPECT_FALSE(SocketWatchChannel(loop, settings()).activate());  // a live server keeps it
    EXPECT_TRUE(RawClient(path).write("{}\n"));                     // connected
    channel.reset();
    EXPECT_EQ(modeOf(path), 0u);

    // A socket file nobody listens on, as a crashed run leaves it.
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = unixAddress(path);
    ASSERT_EQ(bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(stale);
    start(settings());
    EXPECT_TRUE(RawClient(path).write("{}\n"));  // connected
}

TEST_F(SocketWatchChannelTest, AcceptsAgainByItselfAfterRunningOutOfFileDescriptors) {
    SocketWatchChannel::Settings s = settings();
    s.acceptRetrySeconds = 0.02;
    start(s);
    // The loop turned once first: the undefined-behaviour sanitizer checks a call's type the first
    // time through a pipe, which it cannot open while descriptors are out.
    runUntil(loop, [turns = 0]() mutable { return ++turns > 2; });
    // Every descriptor but one taken, and that one the companion's: the channel cannot accept it.
    rlimit limits{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limits), 0);
    const int lowestFree = dup(STDERR_FILENO);
    close(lowestFree);
    rlimit lowered = limits;
    lowered.rlim_cur = static_cast<rlim_t>(lowestFree) + 8;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> taken;
    for (int fd; (fd = dup(STDERR_FILENO)) >= 0;) taken.push_back(fd);
    close(taken.back());
    taken.pop_back();
    RawClient companion(channel->socketPath());
    const bool refused = runUntil(loop, [&] { return logs.count("cannot accept companions") > 0; });
    for (const int fd : taken) close(fd);
    setrlimit(RLIMIT_NOFILE, &limits);
    ASSERT_TRUE(refused);

    // Descriptors are free again, and nobody left: the channel takes the companion all the same.
    ASSERT_TRUE(companion.write("{\"hello\":\"watch\"}\n"));
    waitUntilPaired(true);
}

TEST_F(SocketWatchChannelTest, HelloPairsACompanionForAsLongAsItStaysAndOnlyItGetsPushes) {
    start(settings(), {{"level", "57"}});
    RawClient unpaired(channel->socketPath());
    ASSERT_TRUE(unpaired.write("{\"hello\":\"someone\"}\n{\"id\":7,\"message\":{}}\n"));
    EXPECT_EQ(nextLine(unpaired), json::parse(R"({"id":7,"reply":{"level":"57"}})"));
    EXPECT_FALSE(channel->isPaired());  // the hello was read first, and was no pairing
    auto paired = std::make_unique<RawClient>(channel->socketPath());
    ASSERT_TRUE(paired->write("{\"hello\":\"watch\"}\n"));
    waitUntilPaired(true);
    channel->sendMessage({{"level", "80"}}, nullptr, nullptr);
    EXPECT_EQ(nextLine(*paired), json::parse(R"({"message":{"level":"80"}})"));
    paired.reset();
    waitUntilPaired(false);

    // Had the push gone to the unpaired companion, it would arrive before these replies.
    ASSERT_TRUE(unpaired.write("{\"id\":\"x\",\"message\":\"a\"}\r\n{\"message\":[1,2]}\n"));
    EXPECT_EQ(nextLine(unpaired), json::parse(R"({"id":"x","reply":{"level":"57"}})"));
    EXPECT_EQ(nextLine(unpaired), json::parse(R"({"reply":{"level":"57"}})"));
    EXPECT_EQ(received, (std::vector<json>{json::object(), "a", json::array({1, 2})}));
}

// The link goes on. Which lines are refused is the reader's test.
TEST_F(SocketWatchChannelTest, MalformedAndOversizedLinesAreDropped) {
    start(settings());
    RawClient companion(channel->socketPath());
    ASSERT_TRUE(companion.write("garbage\n[1]\n" + std::string(70 * 1024, 'x') + "\n"));
    ASSERT_TRUE(companion.write("{\"id\":2,\"message\":{}}\n"));
    EXPECT_EQ(nextLine(companion)["id"], 2);
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(SocketWatchChannelTest, ACompanionThatStopsReadingIsDroppedAndTheRestGoOn) {
    SocketWatchChannel::Settings small = settings();
    small.maxPendingOutputBytes = 4096;
    small.socketSendBufferBytes = 4096;
    start(small);
    RawClient sleepy(channel->socketPath());
    RawClient awake(channel->socketPath());
    ASSERT_TRUE(sleepy.write("{\"hello\":\"watch\"}\n"));
    ASSERT_TRUE(awake.write("{\"hello\":\"watch\"}\n"));
    ASSERT_TRUE(runUntil(loop, [&] { return logs.count("companion paired") == 2; }));

    // One push per check, the awake companion reading as it goes; the sleepy one never reads.
    std::string error;
    int pushes = 0;
    const auto onError = [&](const std::string& why) { error = why; };
    ASSERT_TRUE(runUntil(
        loop,
        [&] {
            EXPECT_FALSE(awake.closed());  // reads all that came
            ++pushes;
            channel->sendMessage({{"filler", std::string(1000, 'f')}}, nullptr, onError);
            return !error.empty();
        },
        20.0));
    EXPECT_EQ(error, "the companion stopped reading");
    EXPECT_GT(pushes, 4);

    // The sleepy companion finds the link closed; the awake one goes on.
    channel->sendMessage({{"last", "1"}}, nullptr, nullptr);
    EXPECT_TRUE(runUntil(loop, [&] { return sleepy.closed() && awake.got("\"last\""); }));
}

TEST_F(SocketWatchChannelTest, ASendNobodyCanReceiveReportsAnError) {
    int errors = 0;
    const auto onError = [&](const std::string&) { ++errors; };
    start(settings());
    channel->sendMessage({{"level", "1"}}, nullptr, onError);
    EXPECT_TRUE(runUntil(loop, [&] { return errors == 1; }));
}

TEST_F(SocketWatchChannelTest, TheCompanionAsksAnswersPushesAndWaitsWithATimeOut) {
    EXPECT_FALSE(WatchCompanion(directory() + "/nobody.sock").connect());

    start(settings(), {{"level", "80"}});
    WatchCompanion companion(channel->socketPath());
    companion.onPush([&](const json& message) {
        companion.answerPush({{"seen", message.value("level", "?")}});
    });
    bool disconnected = false;
    companion.onDisconnect([&] { disconnected = true; });
    ASSERT_TRUE(companion.connect());
    waitUntilPaired(true);

    std::vector<json> replies;
    const auto onReply = [&](const json& reply) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        replies.push_back(reply);
    };
    channel->sendMessage({{"level", "42"}}, onReply,
                         [](const std::string& why) { ADD_FAILURE() << why; });
    ASSERT_TRUE(runUntil(loop, [&] { return !replies.empty(); }));
    EXPECT_EQ(replies, (std::vector<json>{{{"seen", "42"}}}));

    // Nobody runs the main loop: no answer comes in time.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(companion.ask(json::object(), 100ms));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);

    auto answer = std::async(std::launch::async, [&] { return companion.ask({}, 5s); });
    ASSERT_TRUE(runUntil(loop, [&] { return answer.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), json({{"level", "80"}}));

    channel.reset();
    EXPECT_TRUE(companion.waitForDisconnect(5s));
    EXPECT_TRUE(disconnected);
    EXPECT_FALSE(companion.ask({}, 5s));
}

TEST(WatchSocketPath, FollowsTheRuntimeDirectory) {
    const std::string fallback = "/tmp/voltaro-" + std::to_string(getuid()) + "/watch.sock";
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {"/run/user/1234", "/run/user/1234/voltaro/watch.sock"},
        {"relative", fallback},
        {std::nullopt, fallback}};
    for (const auto& [runtime, path] : cases) {
        const testing::ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(defaultWatchSocketPath(), path);
    }
}

TEST(WatchLine, ObjectsNestedPastTheLimitAreRefused) {
    // A message holding `depth` levels in all, the line's own object included.
    const auto nested = [](int depth) {
        return "{\"message\":" + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}";
    };
    const std::pair<int, bool> cases[] = {
        {kWatchMaxLineDepth, true}, {kWatchMaxLineDepth + 1, false}, {30000, false}};
    for (const auto& [depth, accepted] : cases) {
        EXPECT_EQ(parseWatchLine(nested(depth)).has_value(), accepted) << depth;
    }
}

}  // namespace
}  // namespace voltaro
