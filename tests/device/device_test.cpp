#include "device/device.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/fake_battery.h"

namespace voltaro {
namespace {

// Answers with the next identifier of its list on every call, counting the calls.
class ChangingModelSource final : public ModelSource {
public:
    std::string modelIdentifier() const override { return answers[calls++ % answers.size()]; }
    std::vector<std::string> answers = {"iPhone14,5", "iPhone9,1"};
    mutable size_t calls = 0;
};

// The answers alternate, so a cached identifier would repeat the first model's values.
TEST(Device, AsksTheModelSourceOnEveryCall) {
    ChangingModelSource model;
    testing::FakeBattery battery;
    const Device device(model, battery);
    EXPECT_EQ(device.modelIdentifier(), "iPhone14,5");
    EXPECT_EQ(device.modelIdentifier(), "iPhone9,1");
    EXPECT_EQ(device.modelName(), "iPhone 13");
    EXPECT_EQ(device.modelName(), "iPhone 7");
    EXPECT_EQ(device.batteryCapacity(), 3227);
    EXPECT_EQ(device.batteryCapacity(), 1960);
    EXPECT_EQ(device.maxChargingWatts(), 27);
    EXPECT_EQ(device.maxChargingWatts(), 10);
    EXPECT_TRUE(device.supportsPDCharging());
    EXPECT_FALSE(device.supportsPDCharging());
    EXPECT_EQ(model.calls, 10u);
}

TEST(UnameModelSource, GivesTheMachineText) {
    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    const std::string identifier = UnameModelSource().modelIdentifier();
    EXPECT_EQ(identifier, std::string(names.machine, strnlen(names.machine, sizeof names.machine)));
    EXPECT_FALSE(identifier.empty());
}

}  // namespace
}  // namespace voltaro
