#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include "cli_runner.h"
#include "device/device.h"
#include "platform/model_source.h"
#include "platform/socket/socket_watch_channel.h"
#include "platform/system_main_loop.h"
#include "support/fake_battery.h"
#include "watch/watch_link.h"

namespace voltaro::cli {
namespace {

// An application end of the watch link that serves one companion on its own thread: `serve` gets
// the connected socket and what the companion has sent so far, and hangs up when it returns.
class OneShotApplication {
public:
    using Serve = std::function<void(int fd)>;

    OneShotApplication(const std::string& path, Serve serve) : path_(path) {
        listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(listen_, 1) == 0;
        thread_ = std::thread([this, serve = std::move(serve)] {
            const int fd = accept(listen_, nullptr, nullptr);
            if (fd < 0) return;
            serve(fd);
            close(fd);
        });
    }
    ~OneShotApplication() {
        shutdown(listen_, SHUT_RDWR);
        thread_.join();
        close(listen_);
        unlink(path_.c_str());
    }
    bool bound() const { return bound_; }

    // Reads up to the first line that holds `text`.
    static std::string readLineWith(int fd, const std::string& text) {
        std::string received;
        char c = 0;
        while (received.find(text) == std::string::npos && read(fd, &c, 1) == 1) received += c;
        while (c != '\n' && read(fd, &c, 1) == 1) received += c;
        return received;
    }
    static void send(int fd, const std::string& text) {
        [[maybe_unused]] const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    }

private:
    std::string path_;
    int listen_ = -1;
    bool bound_ = false;
    std::thread thread_;
};

std::string socketPath() {
    return std::string(getenv("XDG_RUNTIME_DIR")) + "/watch-test-" + std::to_string(getpid()) +
           ".sock";
}

// Run under the address and thread sanitizers: the companion's thread must not outlive what it
// uses, whether the application hangs up at once or the command's own leaving closes the link.
TEST(WatchCommand, AnAnswerAndAHangUpEndTheAskCleanly) {
    for (const bool hangUpAtOnce : {true, false}) {
        const std::string path = socketPath();
        OneShotApplication application(path, [hangUpAtOnce](int fd) {
            std::string asked = OneShotApplication::readLineWith(fd, "\"message\"");
            asked.pop_back();  // the newline
            const auto question = nlohmann::json::parse(asked.substr(asked.rfind('\n') + 1));
            OneShotApplication::send(
                fd, R"({"id":)" + question["id"].dump() +
                        R"(,"reply":{"level":"80","state":"1","model":"Test phone"}})" + "\n");
            char byte = 0;
            while (!hangUpAtOnce && read(fd, &byte, 1) > 0) {
            }
        });
        ASSERT_TRUE(application.bound());
        const CliRun r = run({"watch", "--ask", "--socket", path});
        EXPECT_EQ(r.status, kExitResult) << r.err;
        EXPECT_EQ(r.out, "80%  charger connected  Test phone\n");
    }
}

TEST(WatchCommand, LinesFromTheLinkAndTheCommandNeverInterleave) {
    const std::string path = socketPath();
    constexpr int kPushes = 200;
    OneShotApplication application(path, [](int fd) {
        OneShotApplication::readLineWith(fd, "hello");
        std::string pushes;
        for (int i = 0; i < kPushes; ++i) {
            pushes += R"({"message":{"level":")" + std::to_string(i % 100) +
                      R"(","state":"0","model":"Test phone"}})" + "\n";
        }
        OneShotApplication::send(fd, pushes);
    });
    ASSERT_TRUE(application.bound());
    const CliRun r = run({"watch", "--socket", path});
    EXPECT_EQ(r.status, kExitResult) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    int pushed = 0;
    std::set<std::string> others;
    while (std::getline(lines, line)) {
        if (line.size() > 3 && line.find("%  unplugged  Test phone") != std::string::npos &&
            line.find("Connected") == std::string::npos) {
            ++pushed;
        } else {
            others.insert(line);
        }
    }
    EXPECT_EQ(pushed, kPushes) << r.out;
    EXPECT_EQ(others,
              (std::set<std::string>{"Connected; waiting for battery messages (Ctrl-C ends).",
                                     "The application closed the link."}))
        << r.out;
}

TEST(WatchCommand, AsksTheRunningApplicationForTheBattery) {
    SystemMainLoop loop;
    SocketWatchChannel::Settings settings;
    settings.socketPath = socketPath();
    SocketWatchChannel channel(loop, settings);
    testing::FakeBattery battery;
    battery.set(BatteryState::Charging, 0.576f);
    FixedModelSource model("iPhone14,5");
    Device device(model, battery);
    WatchLink link(channel, device);
    ASSERT_TRUE(channel.activate());
    // Keeps the loop alive while the companion asks.
    std::shared_ptr<Timer> keepAlive = loop.scheduleRepeating(0.01, [] {});
    std::thread serving([&] { loop.run(); });
    const CliRun asked = run({"watch", "--ask", "--socket", settings.socketPath});
    loop.post([&] {
        keepAlive->invalidate();
        loop.quit();
    });
    serving.join();
    ASSERT_EQ(asked.status, kExitResult) << asked.err;
    EXPECT_EQ(asked.out, "57%  charger connected  iPhone 13\n");

    const CliRun alone = run({"watch", "--socket", socketPath() + ".none"});
    EXPECT_EQ(alone.status, kExitNoResult);
    EXPECT_NE(alone.err.find("cannot reach"), std::string::npos);
}

}  // namespace
}  // namespace voltaro::cli
