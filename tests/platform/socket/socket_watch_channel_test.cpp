#include "platform/socket/socket_watch_channel.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/curl/run_until.h"
#include "platform/socket/watch_companion.h"
#include "platform/socket/watch_test_support.h"
#include "platform/system_main_loop.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using testing::LogCapture;
using testing::RawClient;
using testing::runUntil;

mode_t modeOf(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return 0;
    return status.st_mode;
}

class SocketWatchChannelTest : public ::testing::Test {
protected:
    SocketWatchChannel::Settings settings() const {
        SocketWatchChannel::Settings s;
        s.socketPath = directory() + "/watch.sock";
        return s;
    }
    std::string directory() const { return (temp.path() / "link").string(); }

    // Starts a channel whose companions' messages get `answer` as their reply.
    SocketWatchChannel& start(SocketWatchChannel::Settings s, json answer = {{"ok", "1"}}) {
        channel = std::make_unique<SocketWatchChannel>(loop, std::move(s));
        channel->setMessageHandler(
            [this, answer](const json& message, const WatchChannel::Reply& reply) {
                EXPECT_EQ(std::this_thread::get_id(), mainThread);
                received.push_back(message);
                reply(answer);
            });
        EXPECT_TRUE(channel->activate());
        return *channel;
    }

    // Waits for the next line a raw client receives, as JSON (a string when it is not JSON).
    json nextLine(RawClient& client) {
        std::optional<std::string> line;
        EXPECT_TRUE(runUntil(loop, [&] { return (line = client.nextLine()).has_value(); }));
        if (!line) return nullptr;
        const json value = json::parse(*line, nullptr, false);
        return value.is_discarded() ? json(*line) : value;
    }

    void waitUntilPaired(bool paired) {
        ASSERT_TRUE(runUntil(loop, [&] { return channel->isPaired() == paired; }));
    }

    const std::thread::id mainThread = std::this_thread::get_id();
    LogCapture logs{log::Category::Watch};
    testing::TempDir temp;
    SystemMainLoop loop;
    std::unique_ptr<SocketWatchChannel> channel;
    std::vector<json> received;
};

TEST_F(SocketWatchChannelTest, TheSocketIsTheUsersAloneAndGoesAwayWithTheChannel) {
    start(settings());
    EXPECT_EQ(modeOf(directory()) & 07777, 0700u);
    EXPECT_TRUE(S_ISDIR(modeOf(directory())));
    EXPECT_EQ(modeOf(channel->socketPath()) & 07777, 0600u);
    EXPECT_TRUE(S_ISSOCK(modeOf(channel->socketPath())));
    channel.reset();
    EXPECT_EQ(modeOf(directory() + "/watch.sock"), 0u);
}

TEST_F(SocketWatchChannelTest, ARefusedPlaceLeavesTheChannelInactive) {
    // A directory others may enter.
    ASSERT_EQ(mkdir(directory().c_str(), 0755), 0);
    chmod(directory().c_str(), 0755);
    SocketWatchChannel open(loop, settings());
    EXPECT_FALSE(open.activate());
    EXPECT_FALSE(open.isPaired());

    // Something that is not a socket at the path.
    chmod(directory().c_str(), 0700);
    { std::ofstream(directory() + "/watch.sock") << "data"; }
    SocketWatchChannel file(loop, settings());
    EXPECT_FALSE(file.activate());

    // A path longer than a socket address holds.
    SocketWatchChannel::Settings longPath = settings();
    longPath.socketPath = directory() + "/" + std::string(120, 's');
    SocketWatchChannel tooLong(loop, longPath);
    EXPECT_FALSE(tooLong.activate());
    EXPECT_GE(logs.count("watch link not started"), 3u);
}

TEST_F(SocketWatchChannelTest, ALiveServerKeepsItsSocketAndAStaleOneIsReplaced) {
    start(settings());
    SocketWatchChannel second(loop, settings());
    EXPECT_FALSE(second.activate());

    // A socket file nobody listens on, as a crashed run leaves it.
    channel.reset();
    {
        RawClient none(directory() + "/watch.sock");
        EXPECT_FALSE(none.connected());
    }
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    const std::string path = directory() + "/watch.sock";
    const sockaddr_un address = testing::unixAddress(path);
    ASSERT_EQ(bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(stale);

    SocketWatchChannel third(loop, settings());
    EXPECT_TRUE(third.activate());
    RawClient client(path);
    EXPECT_TRUE(client.connected());
}

TEST_F(SocketWatchChannelTest, HelloPairsACompanionForAsLongAsItStays) {
    start(settings());
    EXPECT_FALSE(channel->isPaired());
    {
        RawClient companion(channel->socketPath());
        ASSERT_TRUE(companion.connected());
        ASSERT_TRUE(companion.write("{\"hello\":\"someone\"}\n"));
        ASSERT_TRUE(companion.write("{\"id\":1,\"message\":{}}\n"));
        nextLine(companion);  // the hello before it was read, and was no pairing
        EXPECT_FALSE(channel->isPaired());

        ASSERT_TRUE(companion.write("{\"hello\":\"watch\"}\n"));
        waitUntilPaired(true);
        EXPECT_TRUE(channel->isWatchAppInstalled());
    }
    waitUntilPaired(false);
    EXPECT_FALSE(channel->isWatchAppInstalled());
}

TEST_F(SocketWatchChannelTest, AcceptsAgainByItselfAfterRunningOutOfFileDescriptors) {
    SocketWatchChannel::Settings s = settings();
    s.acceptRetrySeconds = 0.02;
    start(s);
    // Every descriptor but one taken, and that one the companion's: the channel cannot accept it.
    rlimit limits{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limits), 0);
    int highest = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        highest = std::max(highest, std::stoi(entry.path().filename().string()));
    }
    rlimit lowered = limits;
    lowered.rlim_cur = static_cast<rlim_t>(highest) + 8;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> taken;
    for (int fd; (fd = dup(STDERR_FILENO)) >= 0;) taken.push_back(fd);
    close(taken.back());
    taken.pop_back();
    RawClient companion(channel->socketPath());
    const bool refused = runUntil(loop, [&] { return logs.count("cannot accept companions") > 0; });
    for (const int fd : taken) close(fd);
    setrlimit(RLIMIT_NOFILE, &limits);
    ASSERT_TRUE(companion.connected());
    ASSERT_TRUE(refused);

    // Descriptors are free again, and nobody left: the channel takes the companion all the same.
    ASSERT_TRUE(companion.write("{\"hello\":\"watch\"}\n"));
    waitUntilPaired(true);
}

TEST_F(SocketWatchChannelTest, MessagesAreAnsweredWithTheirIdAndPushesReachOnlyPairedCompanions) {
    start(settings(), {{"level", "57"}});
    RawClient paired(channel->socketPath());
    RawClient unpaired(channel->socketPath());
    ASSERT_TRUE(paired.write("{\"hello\":\"watch\"}\n"));
    waitUntilPaired(true);
    channel->sendMessage({{"level", "80"}}, nullptr, nullptr);
    EXPECT_EQ(nextLine(paired), json::parse(R"({"message":{"level":"80"}})"));

    // Lines to one companion keep their order: had the push gone to the unpaired one, it would
    // arrive before these replies.
    ASSERT_TRUE(unpaired.write("{\"id\":7,\"message\":{}}\n"));
    EXPECT_EQ(nextLine(unpaired), json::parse(R"({"id":7,"reply":{"level":"57"}})"));
    ASSERT_TRUE(unpaired.write("{\"id\":\"x\",\"message\":\"anything\"}\r\n"));
    EXPECT_EQ(nextLine(unpaired)["id"], "x");
    ASSERT_TRUE(unpaired.write("{\"message\":[1,2]}\n"));
    EXPECT_EQ(nextLine(unpaired), json::parse(R"({"reply":{"level":"57"}})"));
    EXPECT_EQ(received, (std::vector<json>{json::object(), "anything", json::array({1, 2})}));
}

TEST_F(SocketWatchChannelTest, MalformedAndOversizedLinesAreDroppedWithOneDebugLineEach) {
    start(settings());
    RawClient companion(channel->socketPath());
    const std::string padding(70 * 1024, 'x');
    ASSERT_TRUE(companion.write("garbage\n"));
    ASSERT_TRUE(companion.write("[1]\n"));
    ASSERT_TRUE(
        companion.write("{\"message\":" + std::string(40, '[') + std::string(40, ']') + "}\n"));
    ASSERT_TRUE(companion.write("{\"id\":1,\"message\":{\"pad\":\"" + padding + "\"}}\n"));
    ASSERT_TRUE(companion.write(padding + "\n"));
    ASSERT_TRUE(companion.write("{\"id\":2,\"message\":{}}\n"));

    EXPECT_EQ(nextLine(companion)["id"], 2);
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(logs.count("malformed line dropped"), 3u);
    EXPECT_EQ(logs.count("line over 65536 bytes dropped"), 2u);
}

TEST_F(SocketWatchChannelTest, ACompanionThatStopsReadingIsDroppedAndTheRestGoOn) {
    SocketWatchChannel::Settings small = settings();
    small.maxPendingOutputBytes = 4096;
    small.socketSendBufferBytes = 4096;
    start(small);
    RawClient sleepy(channel->socketPath(), 4096);
    RawClient awake(channel->socketPath());
    ASSERT_TRUE(sleepy.write("{\"hello\":\"watch\"}\n"));
    ASSERT_TRUE(awake.write("{\"hello\":\"watch\"}\n"));
    ASSERT_TRUE(runUntil(loop, [&] { return logs.count("companion paired") == 2; }));

    std::vector<std::string> errors;
    int pushes = 0;
    int awakeLines = 0;
    const std::string filler(1000, 'f');
    // One push per check, the awake companion reading as it goes; the sleepy one never reads.
    ASSERT_TRUE(runUntil(
        loop,
        [&] {
            while (awake.nextLine()) ++awakeLines;
            if (!errors.empty()) return true;
            ++pushes;
            channel->sendMessage({{"filler", filler}}, nullptr,
                                 [&](const std::string& error) { errors.push_back(error); });
            return false;
        },
        20.0));
    EXPECT_EQ(errors.front(), "the companion stopped reading");
    EXPECT_GT(pushes, 4);
    EXPECT_TRUE(channel->isPaired());

    channel->sendMessage({{"last", "1"}}, nullptr, nullptr);
    ASSERT_TRUE(runUntil(loop, [&] {
        while (auto line = awake.nextLine()) {
            if (json::parse(*line)["message"].contains("last")) return true;
        }
        return false;
    }));
    // The sleepy companion finds the link closed once it reads what had fitted.
    EXPECT_TRUE(runUntil(loop, [&] { return sleepy.closed(); }));
}

TEST_F(SocketWatchChannelTest, AnswersToPushesReachTheSendersReplyHandler) {
    start(settings());
    WatchCompanion companion(channel->socketPath());
    companion.onPush([&](const json& message) {
        companion.answerPush({{"seen", message.value("level", "?")}});
    });
    ASSERT_TRUE(companion.connect());
    waitUntilPaired(true);

    std::vector<json> replies;
    channel->sendMessage(
        {{"level", "42"}},
        [&](const json& reply) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            replies.push_back(reply);
        },
        [](const std::string& error) { ADD_FAILURE() << error; });
    ASSERT_TRUE(runUntil(loop, [&] { return !replies.empty(); }));
    EXPECT_EQ(replies, (std::vector<json>{{{"seen", "42"}}}));
}

TEST_F(SocketWatchChannelTest, ASendNobodyCanReceiveReportsAnError) {
    SocketWatchChannel inactive(loop, settings());
    std::vector<std::string> errors;
    const auto onError = [&](const std::string& error) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        errors.push_back(error);
    };
    inactive.sendMessage({{"level", "1"}}, nullptr, onError);
    ASSERT_TRUE(runUntil(loop, [&] { return errors.size() == 1; }));
    EXPECT_EQ(errors[0], "the watch link is not active");

    start(settings());
    channel->sendMessage({{"level", "1"}}, nullptr, onError);
    ASSERT_TRUE(runUntil(loop, [&] { return errors.size() == 2; }));
    EXPECT_EQ(errors[1], "no companion connected");
}

TEST_F(SocketWatchChannelTest, TheCompanionAsksAndWaitsWithATimeOut) {
    start(settings(), {{"level", "80"}});
    WatchCompanion companion(channel->socketPath());
    bool disconnected = false;
    companion.onDisconnect([&] { disconnected = true; });
    ASSERT_TRUE(companion.connect());

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

TEST(WatchCompanion, ReportsWhyItCouldNotConnect) {
    testing::TempDir temp;
    WatchCompanion companion((temp.path() / "nobody.sock").string());
    std::string error;
    EXPECT_FALSE(companion.connect(&error));
    EXPECT_NE(error.find("nobody.sock"), std::string::npos);
    EXPECT_FALSE(companion.isConnected());
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
    const std::pair<int, bool> cases[] = {{1 + 1, true},
                                          {kWatchMaxLineDepth, true},
                                          {kWatchMaxLineDepth + 1, false},
                                          {999, false},
                                          {30000, false}};
    for (const auto& [depth, accepted] : cases) {
        EXPECT_EQ(parseWatchLine(nested(depth)).has_value(), accepted) << depth;
    }
}

TEST(LineSplitter, CutsAStreamIntoBoundedLines) {
    LineSplitter splitter(8);
    std::vector<std::string> lines;
    int oversized = 0;
    const auto feed = [&](std::string_view bytes) {
        splitter.feed(
            bytes, [&](std::string_view line) { lines.emplace_back(line); }, [&] { ++oversized; });
    };
    feed("ab");
    feed("c\r\n\n12345678\nde");
    feed("f\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"abc", "12345678", "def"}));

    feed("123456789\nok\n");  // one byte over, newline in the same chunk
    feed("0123");
    feed("456789");  // over without a newline yet: dropped up to the next newline
    feed("still the same line\nnext\n");
    EXPECT_EQ(oversized, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"abc", "12345678", "def", "ok", "next"}));
}

}  // namespace
}  // namespace voltaro
