#include <gtest/gtest.h>

#include <thread>

#include "platform/sim/virtual_time.h"

namespace voltaro {
namespace {

TEST(VirtualTime, TimersFireAtTheirTimesInSchedulingOrderWithoutDrift) {
    VirtualTime loop(100.0);
    std::vector<std::string> fired;
    loop.scheduleOnce(5, [&] { fired.push_back("b@" + std::to_string(loop.now())); });
    loop.scheduleOnce(2, [&] { fired.push_back("a@" + std::to_string(loop.now())); });
    loop.scheduleOnce(5, [&] { fired.push_back("c"); });
    loop.advanceBy(1.99);
    EXPECT_TRUE(fired.empty());
    loop.advanceBy(0.01);
    EXPECT_EQ(fired, std::vector<std::string>{"a@102.000000"});
    std::vector<double> times;
    std::shared_ptr<Timer> timer = loop.scheduleRepeating(0.1, [&] {
        times.push_back(loop.now());
        if (times.size() == 1000) timer->invalidate();
    });
    loop.run();
    EXPECT_EQ(fired, (std::vector<std::string>{"a@102.000000", "b@105.000000", "c"}));
    ASSERT_EQ(times.size(), 1000u);
    EXPECT_DOUBLE_EQ(times.back(), 202.0);
}

TEST(VirtualTime, WaitsForWorkOnOtherThreadsBeforeMovingOn) {
    VirtualTime loop(0.0);
    std::vector<std::string> order;
    loop.scheduleOnce(1, [&] { order.push_back("timer"); });
    loop.beginExternalWork();
    std::thread worker([&] {
        loop.post([&] {
            order.push_back("reply at " + std::to_string(static_cast<int>(loop.now())));
            loop.endExternalWork();
        });
    });
    loop.run();
    worker.join();
    EXPECT_EQ(order, (std::vector<std::string>{"reply at 0", "timer"}));
}

}  // namespace
}  // namespace voltaro
