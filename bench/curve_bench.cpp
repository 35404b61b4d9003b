// Drawing the curve of a test of 10,000 samples (a slow charge timed at every percent would have
// about a hundred): into a page of the application, a terminal and an SVG picture. The target is
// under 50 ms for each. Run from a release build.
#include <benchmark/benchmark.h>

#include "curve/charge_curve.h"
#include "curve/curve_svg.h"
#include "curve/curve_text.h"

namespace voltaro {
namespace {

constexpr int kSamples = 10000;

struct Samples {
    std::vector<double> times;
    std::vector<double> levels;
};

// Levels from 1 to 100 % over 10,000 samples, a step of a few seconds each, some of them repeated
// levels as a hand-made file might hold.
const Samples& tenThousand() {
    static const Samples samples = [] {
        Samples made;
        for (int i = 0; i < kSamples; ++i) {
            made.times.push_back(700000000.0 + i * 3.5 + (i % 7) * 0.25);
            made.levels.push_back(1 + i * 99 / (kSamples - 1));
        }
        return made;
    }();
    return samples;
}

void BM_CurveForThePage(benchmark::State& state) {
    const Samples& samples = tenThousand();
    for (auto _ : state) {
        const ChargeCurve curve = makeChargeCurve(samples.times, samples.levels, {2716, 30});
        const CurveAxes axes = axesOf({&curve});
        const PlotArea area{1200, 500};
        benchmark::DoNotOptimize(levelLine(curve, axes, area));
        benchmark::DoNotOptimize(powerLines(curve, axes, area));
    }
}
BENCHMARK(BM_CurveForThePage)->Unit(benchmark::kMillisecond);

void BM_CurveForATerminal(benchmark::State& state) {
    const Samples& samples = tenThousand();
    for (auto _ : state) {
        const ChargeCurve curve = makeChargeCurve(samples.times, samples.levels, {2716, 30});
        benchmark::DoNotOptimize(curveTextLines(curve, 200));
    }
}
BENCHMARK(BM_CurveForATerminal)->Unit(benchmark::kMillisecond);

void BM_CurveAsSvg(benchmark::State& state) {
    const Samples& samples = tenThousand();
    for (auto _ : state) {
        const ChargeCurve curve = makeChargeCurve(samples.times, samples.levels, {2716, 30});
        benchmark::DoNotOptimize(curveSvg(curve, "Test", {"Power 8.1 W"}));
    }
}
BENCHMARK(BM_CurveAsSvg)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voltaro
