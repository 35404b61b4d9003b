// The curve in a terminal and as an SVG picture; the CLI tests compare a whole drawing.

#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <limits>

#include "curve/curve_svg.h"
#include "curve/curve_text.h"

namespace voltaro {
namespace {

// Characters (code points) of a UTF-8 line: what a terminal gives a column each.
size_t columnsOf(const std::string& line) {
    size_t count = 0;
    for (const char c : line) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// Nothing when `xml` is well-formed, else the parser's complaint.
std::string xmlError(const std::string& xml) {
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    while (!reader.atEnd()) reader.readNext();
    return reader.hasError() ? reader.errorString().toStdString() : "";
}

ChargeCurve aTest() {
    // Fast to 80 %, then slower.
    std::vector<double> times;
    std::vector<double> levels;
    double time = 700000000;
    for (int level = 50; level <= 100; ++level) {
        times.push_back(time);
        levels.push_back(level);
        time += level < 80 ? 40 : 110;
    }
    return makeChargeCurve(times, levels, StepFigures{2716, 30});
}

TEST(CurveTextLines, FitTheTerminalWidth) {
    const ChargeCurve curves[] = {aTest(), makeChargeCurve({5000}, {50}, {2716, 30}),
                                  makeChargeCurve({}, {}, {})};
    for (const ChargeCurve& curve : curves) {
        for (const int columns : {20, 80, 200}) {
            const std::vector<std::string> lines = curveTextLines(curve, columns, 8, 3);
            ASSERT_EQ(lines.size(), 8u + 3u + 2u);
            for (const std::string& line : lines) {
                EXPECT_LE(columnsOf(line), static_cast<size_t>(columns)) << line;
            }
        }
    }
}

TEST(Sparkline, ScalesFromZeroToTheHighest) {
    EXPECT_EQ(sparkline({0, 7, 3.5, std::numeric_limits<double>::quiet_NaN(), -7}), "▅█▆ ▁");
    EXPECT_EQ(sparkline({}), "");
    EXPECT_EQ(sparkline({0, 0}), "▁▁");
}

TEST(CurveSvg, IsWellFormedWhateverTheTexts) {
    const ChargeCurve endsOnly = curveOfRecord({{"starttime", 5000},
                                                {"finishtime", 5000},
                                                {"startlevel", 40},
                                                {"finishlevel", 40},
                                                {"watt", std::numeric_limits<double>::infinity()}},
                                               {});
    const std::string hostile = "<b>Volt & \"Co\"</b>\x01\xFF\xC0\xAF\xED\xA0\x80 電源";
    for (const ChargeCurve& curve : {aTest(), endsOnly, makeChargeCurve({}, {}, {})}) {
        const std::string svg = curveSvg(curve, hostile, {"Power 8.1 W", hostile});
        EXPECT_EQ(xmlError(svg), "") << svg;
        EXPECT_EQ(svg.find("nan"), std::string::npos);
        EXPECT_EQ(svg.find("inf"), std::string::npos);
    }
    const std::string svg = curveSvg(aTest(), hostile, {});
    EXPECT_NE(svg.find("&lt;b&gt;Volt &amp; &quot;Co&quot;&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(svg.find("電源"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
}

}  // namespace
}  // namespace voltaro
