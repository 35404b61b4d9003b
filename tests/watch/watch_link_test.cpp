#include "watch/watch_link.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/fake_battery.h"
#include "support/recording_watch_channel.h"
#include "watch/battery_message.h"

namespace voltaro {
namespace {

using nlohmann::json;

json message(const std::string& level, const std::string& state) {
    return {{"level", level}, {"state", state}, {"model", "iPhone 13"}};
}

class WatchLinkTest : public ::testing::Test {
protected:
    const FixedModelSource model{"iPhone14,5"};
    testing::FakeBattery battery;
    const Device device{model, battery};
    testing::RecordingWatchChannel channel;
};

TEST(BatteryMessage, TheLevelIsTruncatedAndNeverNegative) {
    const std::pair<float, const char*> cases[] = {
        {0.576f, "57"},
        {0.57f, "57"},  // a little under 0.57, but x100 rounds up
        {-0.004f, "0"},
        {kUnknownBatteryLevel, "100"},  // the watch application only takes digits
        {std::numeric_limits<float>::quiet_NaN(), "0"},
    };
    for (const auto& [level, text] : cases) EXPECT_EQ(watchLevelText(level), text) << level;
}

TEST_F(WatchLinkTest, PushesOnlyToAPairedWatchThatHasTheApplication) {
    battery.set(BatteryState::Charging, 0.8f);
    channel.paired = false;
    updateToWatch(channel, device);
    channel.paired = true;
    channel.installed = false;
    updateToWatch(channel, device);
    EXPECT_TRUE(channel.sent.empty());

    channel.installed = true;
    updateToWatch(channel, device);
    ASSERT_EQ(channel.sent.size(), 1u);
    EXPECT_EQ(channel.sent[0], message("80", "1"));
}

TEST_F(WatchLinkTest, AnswersAnyMessageWithTheBatteryOfThatMoment) {
    const WatchLink link(channel, device);
    ASSERT_TRUE(channel.handler);
    // The state is "0" only while unplugged.
    const std::tuple<BatteryState, float, json, json> cases[] = {
        {BatteryState::Charging, 0.8f, json::object(), message("80", "1")},
        {BatteryState::Unplugged, 0.42f, nullptr, message("42", "0")},
        {BatteryState::Unknown, 0.05f, {{"anything", 1}}, message("5", "1")},
    };
    for (const auto& [state, level, asked, expected] : cases) {
        battery.set(state, level);
        std::vector<json> replies;
        channel.handler(asked, [&](const json& r) { replies.push_back(r); });
        EXPECT_EQ(replies, std::vector<json>{expected}) << asked;
    }
}

}  // namespace
}  // namespace voltaro
