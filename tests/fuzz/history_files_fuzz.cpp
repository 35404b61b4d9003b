// The files of the data directory as other programs may have left them: "history", "samples" and
// "brandInfo" (in that order, cut by fuzz::kFileSeparator), loaded as the history screen and the
// curve page load them, and drawn.
#include <cmath>

#include "curve/charge_curve.h"
#include "curve/curve_svg.h"
#include "curve/curve_text.h"
#include "fuzz_support.h"
#include "platform/paths.h"
#include "store/brand_catalogue.h"
#include "store/display_text.h"
#include "store/history.h"
#include "store/kept_samples.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace voltaro;
    static const fuzz::ScratchDirectory scratch;
    scratch.clear();
    Paths::setDataDirectory(scratch.path());

    const auto parts = fuzz::partsOf(fuzz::bytesOf(data, size), fuzz::kFileSeparator);
    const char* names[] = {kHistoryKey, kSamplesKey, "brandInfo"};
    for (size_t i = 0; i < parts.size() && i < std::size(names); ++i)
        scratch.write(names[i], parts[i]);

    const std::vector<TestRecord> history = loadHistory();
    const std::vector<KeptSamples> kept = loadKeptSamples();
    for (const BrandRecord& brand : loadBrandCatalogue()) {
        if (const auto id = brand.find("brandid"); id != brand.end()) {
            brandNameForId(static_cast<int64_t>(std::atoll(id->second.c_str())));
        }
    }

    const HistoryGroups groups = groupHistory(history);
    for (size_t section = 0; section < groups.sectionCount() && section < 4; ++section) {
        shortDateText(groups.sectionStartTime(section));
        for (size_t row = 0; row < groups.rowCount(section) && row < 4; ++row) {
            const TestRecord& record = groups.recordAt(section, row);
            for (const char* key : {"type", "port"}) {
                if (const auto code = record.find(key); code != record.end() &&
                                                        std::isfinite(code->second) &&
                                                        std::fabs(code->second) < 1e18) {
                    portName(static_cast<int64_t>(code->second));
                    chargerKindName(static_cast<int64_t>(code->second));
                }
            }
            const ChargeCurve curve = curveOfRecord(record, samplesOfRecord(kept, record));
            fuzz::check(curve.steps.empty() || curve.steps.size() + 1 == curve.samples.size(),
                        "a curve's steps do not join its samples");
            recordFigures(record, curve);
            curveTextLines(curve, 60);
            curveSampleLines(curve);
            curveSvg(curve, "title", {"caption"});
        }
    }
    return 0;
}
