#include "engine/kernel_power_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/sim/virtual_time.h"
#include "support/fake_battery.h"

namespace voltaro {
namespace {

TEST(KernelPowerMeter, AveragesOverTimeAndLeavesOutStretchesWithoutAFigure) {
    VirtualTime loop(100.0);
    testing::FakeBattery battery;
    battery.changeReportedWatts(30.0);  // before the meter: its first reading
    const KernelPowerMeter meter(loop, battery);
    loop.advanceTo(110);
    battery.changeReportedWatts(10.0);
    loop.advanceTo(130);
    battery.changeReportedWatts(std::nullopt);  // the figure goes away for 20 s
    loop.advanceTo(150);
    battery.changeReportedWatts(std::numeric_limits<double>::infinity());
    loop.advanceTo(160);
    battery.changeReportedWatts(40.0);
    loop.advanceTo(200);

    // 10 s at 30 W and 20 s at 10 W.
    EXPECT_NEAR(meter.averageBetween(100, 130).value_or(-1), 500.0 / 30.0, 1e-9);
    EXPECT_NEAR(meter.averageBetween(105, 115).value_or(-1), 20.0, 1e-9);
    // The gap counts for nothing: 20 s at 10 W and 20 s at 40 W.
    EXPECT_NEAR(meter.averageBetween(110, 180).value_or(-1), 25.0, 1e-9);
    EXPECT_EQ(meter.averageBetween(130, 160), std::nullopt) << "a window without a figure";
    EXPECT_EQ(meter.averageBetween(120, 120), std::nullopt);
    EXPECT_EQ(meter.averageBetween(150, 50), std::nullopt) << "a window that runs backwards";
    EXPECT_NEAR(meter.averageBetween(0, 101).value_or(-1), 30.0, 1e-9) << "nothing before 100";
}

}  // namespace
}  // namespace voltaro
