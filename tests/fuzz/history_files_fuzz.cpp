// The data directory's "history", "samples" and "brandInfo" as other programs may have left them,
// loaded, grouped and drawn as the history screen and the curve page do.
#include "curve/charge_curve.h"
#include "curve/curve_svg.h"
#include "curve/curve_text.h"
#include "fuzz_support.h"
#include "platform/paths.h"
#include "store/brand_catalogue.h"
#include "store/display_text.h"
#include "store/history.h"
#include "store/kept_samples.h"

VOLTARO_FUZZ(bytes) {
    Paths::setDataDirectory(fuzz::scratchFiles(bytes, {kHistoryKey, kSamplesKey, "brandInfo"}));
    loadBrandCatalogue();
    const std::vector<KeptSamples> kept = loadKeptSamples();
    const HistoryGroups groups = groupHistory(loadHistory());
    for (size_t section = 0; section < groups.sectionCount() && section < 4; ++section) {
        shortDateText(groups.sectionStartTime(section));
        for (size_t row = 0; row < groups.rowCount(section) && row < 4; ++row) {
            const TestRecord& record = groups.recordAt(section, row);
            const ChargeCurve curve = curveOfRecord(record, samplesOfRecord(kept, record));
            fuzz::check(curve.steps.empty() || curve.steps.size() + 1 == curve.samples.size(),
                        "a curve's steps do not join its samples");
            recordFigures(record, curve);
            curveTextLines(curve, 60);
            curveSampleLines(curve);
            curveSvg(curve, "title", {"caption"});
        }
    }
}
