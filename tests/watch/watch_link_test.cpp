#include "watch/watch_link.h"

#include <gtest/gtest.h>

#include <limits>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "engine/charge_test_session.h"
#include "platform/curl/run_until.h"
#include "platform/socket/socket_watch_channel.h"
#include "platform/socket/watch_companion.h"
#include "platform/socket/watch_test_support.h"
#include "platform/system_main_loop.h"
#include "support/fake_battery.h"
#include "support/recording_session_view.h"
#include "support/recording_watch_channel.h"
#include "support/temp_dir.h"
#include "watch/battery_message.h"

namespace voltaro {
namespace {

using nlohmann::json;
using testing::FakeBattery;
using testing::LogCapture;
using testing::RecordingSessionView;
using testing::RecordingWatchChannel;
using testing::runUntil;

json message(const std::string& level, const std::string& state, const std::string& model) {
    return {{"level", level}, {"state", state}, {"model", model}};
}

TEST(BatteryMessage, FollowsTheDeviceAsItIsNow) {
    const FixedModelSource model("iPhone14,5");
    FakeBattery battery;
    const Device device(model, battery);
    // The state is "0" only while unplugged.
    const std::tuple<BatteryState, float, json> cases[] = {
        {BatteryState::Charging, 0.8f, message("80", "1", "iPhone 13")},
        {BatteryState::Full, 1.0f, message("100", "1", "iPhone 13")},
        {BatteryState::Unplugged, 0.42f, message("42", "0", "iPhone 13")},
        {BatteryState::Unknown, 0.05f, message("5", "1", "iPhone 13")},
    };
    for (const auto& [state, level, expected] : cases) {
        battery.set(state, level);
        EXPECT_EQ(batteryMessage(device), expected);
    }
}

TEST(BatteryMessage, TheLevelIsTruncatedAndNeverNegative) {
    const std::pair<float, const char*> cases[] = {
        {0.576f, "57"},
        {0.57f, "57"},  // a little under 0.57, but x100 rounds up
        {0.999f, "99"},
        {0.0f, "0"},
        {-0.004f, "0"},
        {kUnknownBatteryLevel, "100"},  // the watch application only takes digits
        {std::numeric_limits<float>::quiet_NaN(), "0"},
    };
    for (const auto& [level, text] : cases) EXPECT_EQ(watchLevelText(level), text) << level;
}

TEST(WatchLink, PushesOnlyToAPairedWatchThatHasTheApplication) {
    const FixedModelSource model("iPhone14,5");
    FakeBattery battery;
    battery.set(BatteryState::Charging, 0.8f);
    const Device device(model, battery);
    RecordingWatchChannel channel;

    channel.paired = false;
    updateToWatch(channel, device);
    channel.paired = true;
    channel.installed = false;
    updateToWatch(channel, device);
    EXPECT_TRUE(channel.sent.empty());

    channel.installed = true;
    updateToWatch(channel, device);
    ASSERT_EQ(channel.sent.size(), 1u);
    EXPECT_EQ(channel.sent[0], message("80", "1", "iPhone 13"));

    // Replies and errors are only logged.
    const LogCapture logs(log::Category::Watch);
    channel.lastReply({{"got", "it"}});
    channel.lastError("watch unreachable");
    EXPECT_EQ(logs.lines(), (std::vector<std::string>{"reply is {\"got\":\"it\"}",
                                                      "error is watch unreachable"}));
}

TEST(WatchLink, AnswersAnyMessageWithTheBatteryOfThatMoment) {
    const FixedModelSource model("iPhone14,5");
    FakeBattery battery;
    const Device device(model, battery);
    RecordingWatchChannel channel;
    const WatchLink link(channel, device);
    ASSERT_TRUE(channel.handler);

    std::vector<json> replies;
    const auto reply = [&](const json& r) { replies.push_back(r); };
    battery.set(BatteryState::Charging, 0.8f);
    channel.handler(json::object(), reply);
    battery.set(BatteryState::Unplugged, 0.3f);
    channel.handler({{"anything", 1}}, reply);
    channel.handler(nullptr, reply);
    EXPECT_EQ(replies,
              (std::vector<json>{message("80", "1", "iPhone 13"), message("30", "0", "iPhone 13"),
                                 message("30", "0", "iPhone 13")}));
}

class WatchHandoffs final : public SessionHandoffs {
public:
    explicit WatchHandoffs(WatchChannel& channel) : channel_(channel) {}
    void appendTestRecord(TestSession& session) override { session.showRating(); }
    void updateToWatch(TestSession& session) override {
        voltaro::updateToWatch(channel_, session.device());
    }

private:
    WatchChannel& channel_;
};

// The whole road: a level change processed by the test session reaches a companion over the socket
// (the terminal's watch tests ask the application over it).
TEST(WatchLinkOverTheSocket, ProcessedLevelChangesArePushedToTheCompanion) {
    testing::TempDir temp;
    SystemMainLoop loop;
    const FixedModelSource model("iPhone14,5");
    FakeBattery battery;
    battery.set(BatteryState::Charging, 0.50f);
    Device device(model, battery);

    SocketWatchChannel::Settings settings;
    settings.socketPath = (temp.path() / "link" / "watch.sock").string();
    SocketWatchChannel channel(loop, settings);
    const WatchLink link(channel, device);
    ASSERT_TRUE(channel.activate());

    RecordingSessionView view;
    WatchHandoffs handoffs(channel);
    TestSession session(loop, device, view, handoffs);
    session.viewDidLoad();

    std::mutex mutex;
    std::vector<json> pushes;
    WatchCompanion companion(settings.socketPath);
    companion.onPush([&](const json& pushed) {
        std::lock_guard lock(mutex);
        pushes.push_back(pushed);
    });
    ASSERT_TRUE(companion.connect());
    ASSERT_TRUE(runUntil(loop, [&] { return channel.isPaired(); }));
    const auto pushed = [&] {
        std::lock_guard lock(mutex);
        return pushes;
    };

    battery.changeLevel(0.49f);   // below the last sample: ignored, nothing sent
    battery.changeLevel(0.52f);   // processed
    battery.changeLevel(0.576f);  // processed: the session rounds to 58, the watch reads 57
    ASSERT_TRUE(runUntil(loop, [&] { return pushed().size() >= 2; }));
    EXPECT_EQ(pushed(), (std::vector<json>{message("52", "1", "iPhone 13"),
                                           message("57", "1", "iPhone 13")}));
}

}  // namespace
}  // namespace voltaro
