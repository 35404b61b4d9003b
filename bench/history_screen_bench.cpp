// Opening the history screen over a history of 10,000 records: the load and grouping on
// appearance, then the first screenful of headers and rows. Run from a release build.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/preference_store.h"
#include "screens/rating_prompt.h"
#include "screens/test_records_vc.h"
#include "store/history.h"

namespace voltaro {
namespace {

constexpr int kRecords = 10000;
// About what a phone-sized window shows: a few tests with their rows.
constexpr size_t kScreenfulSections = 6;

struct FixedClock final : Clock {
    AbsoluteTime now() const override { return 700100000.5; }
};

// Toolkit services and preferences that do nothing.
struct Quiet final : ui::Navigator, ui::Alerts, ui::Animator, ui::ScreenCapture, ui::PhotoAlbum,
                     ui::ShareSheet, ui::UrlOpener, PreferenceStore {
    void present(const std::string&, ui::Transition, const ui::ScreenArguments&) override {}
    void dismiss(ui::Transition) override {}
    void show(const std::string&, const std::string&, std::vector<ui::AlertButton>) override {}
    void animate(double, std::function<void()> changes, std::function<void(bool)>) override {
        changes();
    }
    void animateSpring(double, ui::SpringParameters, std::function<void()> changes,
                       std::function<void(bool)>) override {
        changes();
    }
    std::shared_ptr<ui::Image> captureScreen() override { return nullptr; }
    std::shared_ptr<ui::Image> compose(const ui::Image&, const std::string&, ui::Rect,
                                       double) override {
        return nullptr;
    }
    std::optional<std::string> save(const ui::Image&) override { return std::nullopt; }
    void share(std::shared_ptr<ui::Image>, std::function<void()>) override {}
    void open(const std::string&) override {}
    void openApplicationSettings() override {}
    int64_t integerForKey(std::string_view) const override { return 0; }
    bool setInteger(std::string_view, int64_t) override { return true; }
    std::optional<std::vector<std::string>> dataArrayForKey(std::string_view) const override {
        return std::nullopt;
    }
    bool setDataArray(std::string_view, const std::vector<std::string>&) override { return true; }
    std::optional<std::string> stringForKey(std::string_view) const override { return std::nullopt; }
    bool setString(std::string_view, std::string_view) override { return true; }
    bool removeObject(std::string_view) override { return true; }
    void exclusively(const std::function<void()>& work) override { work(); }
};

// Five thousand tests of two records each, half of them labelled.
void writeHistory() {
    std::vector<TestRecord> records;
    for (int i = 0; i < kRecords; ++i) {
        const double start = 700000000.0 + (i / 2) * 3600.123;
        TestRecord record = {{"date", 1678307200.0 + i}, {"watt", 18.123}, {"min", 36},
                             {"amp", 44.43},  {"startlevel", 57}, {"finishlevel", 100},
                             {"userStartlevel", 57 + (i % 2)}, {"starttime", start},
                             {"finishtime", start + 1548.25}, {"userStartTime", start + 2},
                             {"averageTime", 36}, {"type", (i / 2) % 2 ? 1.0 : 0.0},
                             {"brandid", 0}, {"watts", (i / 2) % 2 ? 18.0 : 0.0}, {"port", 2}};
        records.push_back(std::move(record));
    }
    saveHistory(records);
}

void BM_OpenHistoryScreen(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("voltaro-bench-screen-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Paths::setDataDirectory(dir);
    writeHistory();
    Quiet quiet;
    ui::Services services{quiet, quiet, quiet, quiet, quiet, quiet, quiet};
    FixedClock clock;
    RatingPrompt rating(quiet, clock, [] {});
    for (auto _ : state) {
        TestRecordsVC screen(services, rating);
        screen.view.setSize(390, 844);
        screen.viewDidLoad();
        screen.viewDidAppear();
        for (size_t s = 0; s < kScreenfulSections && s < screen.numberOfSections(); ++s) {
            benchmark::DoNotOptimize(screen.header(s));
            for (size_t r = 0; r < screen.numberOfRows(s); ++r) {
                benchmark::DoNotOptimize(screen.cell(s, r));
            }
        }
    }
    Paths::setDataDirectory({});
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_OpenHistoryScreen)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace voltaro
