// 'watch' against an application end on a thread of the test; the link is tested in tests/watch.
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

namespace voltaro::cli {
namespace {

// Serves one companion on its own thread: `serve` gets the connected socket.
class OneShotApplication {
public:
    explicit OneShotApplication(std::function<void(int fd)> serve) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listen_, 1) != 0)
            throw std::runtime_error("cannot listen on " + path);
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
        unlink(path.c_str());
    }

    const std::string path = std::string(getenv("XDG_RUNTIME_DIR")) + "/watch-test.sock";

private:
    int listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::thread thread_;
};

std::string readLineWith(int fd, const std::string& text) {
    std::string received;
    char c = 0;
    while (received.find(text) == std::string::npos && read(fd, &c, 1) == 1) received += c;
    while (c != '\n' && read(fd, &c, 1) == 1) received += c;
    return received;
}

void sendText(int fd, const std::string& text) {
    [[maybe_unused]] const ssize_t sent = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

// The companion's thread must not outlive what it uses, whoever closes the link.
TEST(WatchCommand, AnAnswerAndAHangUpEndTheAskCleanly) {
    for (const bool hangUpAtOnce : {true, false}) {
        OneShotApplication application([hangUpAtOnce](int fd) {
            std::string asked = readLineWith(fd, "\"message\"");
            asked.pop_back();  // the newline
            const auto question = nlohmann::json::parse(asked.substr(asked.rfind('\n') + 1));
            sendText(fd, R"({"id":)" + question["id"].dump() +
                             R"(,"reply":{"level":"80","state":"1","model":"Test phone"}})" + "\n");
            char byte = 0;
            while (!hangUpAtOnce && read(fd, &byte, 1) > 0) {
            }
        });
        const CliRun r = run({"watch", "--ask", "--socket", application.path});
        EXPECT_EQ(r.status, kExitResult) << r.err;
        EXPECT_EQ(r.out, "80%  charger connected  Test phone\n");
    }
    const CliRun alone = run({"watch", "--socket", "/nonexistent/watch.sock"});
    EXPECT_EQ(alone.status, kExitNoResult);
    EXPECT_NE(alone.err.find("cannot reach"), std::string::npos);
}

TEST(WatchCommand, LinesFromTheLinkAndTheCommandNeverInterleave) {
    std::multiset<std::string> expected = {"Connected; waiting for battery messages (Ctrl-C ends).",
                                           "The application closed the link."};
    std::string pushes;
    for (int i = 0; i < 200; ++i) {
        const std::string level = std::to_string(i % 100);
        pushes += R"({"message":{"level":")" + level + R"(","state":"0","model":"P"}})" + "\n";
        expected.insert(level + "%  unplugged  P");
    }
    OneShotApplication application([&pushes](int fd) {
        readLineWith(fd, "hello");
        sendText(fd, pushes);
    });
    std::istringstream out(run({"watch", "--socket", application.path}).out);
    std::multiset<std::string> lines;
    for (std::string line; std::getline(out, line);) lines.insert(line);
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace voltaro::cli
