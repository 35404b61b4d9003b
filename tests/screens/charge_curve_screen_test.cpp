#include <filesystem>

#include "screen_fixture.h"
#include "screens/charge_curve_vc.h"
#include "store/kept_samples.h"

namespace voltaro {
namespace {

constexpr double kNewest = 818000000;
constexpr double kOldest = 817000000;

// Over tests/data/curve_history: three tests of one device, the two newer with their samples.
class ChargeCurveScreenTest : public testing::ScreenTest {
protected:
    ChargeCurveScreenTest() {
        for (const char* file : {"history", "samples"}) {
            std::filesystem::copy_file(
                std::string(VOLTARO_TEST_DATA_DIR) + "/curve_history/" + file,
                dataDir.path() / file);
        }
    }
    std::unique_ptr<ChargeCurveVC> open(ui::ScreenArguments arguments) {
        auto screen = std::make_unique<ChargeCurveVC>(services, arguments);
        screen->viewDidLoad();
        screen->chartView.setSize(320, 200);
        return screen;
    }
};

TEST_F(ChargeCurveScreenTest, ShowsTheResultsFiguresChargerAndCurve) {
    const auto screen = open({.startTime = kNewest, .finishTime = kNewest + 3200});
    EXPECT_EQ(screen->titleLabel.text(), "18W / USB-C");
    EXPECT_EQ(screen->wattLabel.text(), "7.6 W");
    EXPECT_EQ(screen->timeLabel.text(), "64 s");
    EXPECT_EQ(screen->durationLabel.text(), "53 min 20 s");
    EXPECT_TRUE(screen->noteLabel.hidden());

    // 51 samples over 3,200 s on a time axis to 3,600 s, drawn again when the size changes.
    ASSERT_EQ(screen->drawing().level.size(), 51u);
    EXPECT_DOUBLE_EQ(screen->drawing().level.back().x, 320 * 3200.0 / 3600);
    screen->chartView.setSize(640, 200);
    EXPECT_DOUBLE_EQ(screen->drawing().level.back().x, 640 * 3200.0 / 3600);

    // Opened without a result (from the command line): the newest.
    EXPECT_EQ(open({})->titleLabel.text(), "18W / USB-C");
    // Of the oldest, only the ends of the curve are kept.
    const auto oldest = open({.startTime = kOldest, .finishTime = kOldest + 1800});
    EXPECT_FALSE(oldest->noteLabel.hidden());
    EXPECT_EQ(oldest->noteLabel.text(), localized("curveEndsOnly"));
    EXPECT_EQ(oldest->drawing().level.size(), 2u);
}

TEST_F(ChargeCurveScreenTest, LaysAnotherTestOfTheDeviceOverIt) {
    // A test of another model is not offered.
    std::vector<TestRecord> history = loadHistory();
    history.push_back({{"starttime", 818100000}, {"finishtime", 818100060}, {"watt", 8}});
    ASSERT_TRUE(saveHistory(history));
    KeptSamples other{818100000, 818100060, {818100000, 818100060}, {50, 51}, 3000, 20, "Pine64"};
    ASSERT_TRUE(keepSamples(other));

    const auto screen = open({.startTime = kNewest, .finishTime = kNewest + 3200});
    ASSERT_FALSE(screen->compareButton.hidden());
    ASSERT_EQ(screen->numberOfChoices(), 2u);  // newest first
    EXPECT_NE(screen->choiceText(0).find("10000mAh / USB-A"), std::string::npos);
    EXPECT_NE(screen->choiceText(1).find("5.4 W"), std::string::npos);

    screen->compareButtonTapped();
    EXPECT_FALSE(screen->compareSheet.hidden());
    screen->didSelectChoice(0);
    EXPECT_TRUE(screen->compareSheet.hidden());
    // The other test ran 3,600 s: the shared time axis ends there, this one earlier.
    EXPECT_DOUBLE_EQ(screen->drawing().comparedLevel.back().x, 320);
    EXPECT_LT(screen->drawing().level.back().x, 320);

    screen->compareButtonTapped();
    EXPECT_TRUE(screen->drawing().comparedLevel.empty());
}

}  // namespace
}  // namespace voltaro
