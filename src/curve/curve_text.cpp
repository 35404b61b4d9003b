#include "curve/curve_text.h"

#include <algorithm>
#include <cmath>

namespace voltaro {
namespace {

// The eight block heights, lowest first, and a blank for none.
constexpr const char* kBlocks[] = {" ", "▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};

// The braille character of a cell's eight dots (bit i set: dot i of the standard order).
std::string brailleCell(unsigned bits) {
    if (bits == 0) return " ";
    const unsigned code = 0x2800 + bits;
    return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
            static_cast<char>(0x80 | (code & 0x3F))};
}

// A grid of braille dots, `cells` characters across and `rows` down.
class DotGrid {
public:
    DotGrid(int cells, int rows)
        : cells_(cells), rows_(rows), bits_(static_cast<size_t>(cells * rows), 0) {}

    int width() const { return cells_ * 2; }
    int height() const { return rows_ * 4; }

    void set(int x, int y) {
        if (x < 0 || y < 0 || x >= width() || y >= height()) return;
        static constexpr unsigned kDot[2][4] = {{0x01, 0x02, 0x04, 0x40}, {0x08, 0x10, 0x20, 0x80}};
        bits_[static_cast<size_t>(y / 4 * cells_ + x / 2)] |= kDot[x % 2][y % 4];
    }

    void line(PlotPoint from, PlotPoint to) {
        int x0 = static_cast<int>(std::lround(from.x));
        int y0 = static_cast<int>(std::lround(from.y));
        const int x1 = static_cast<int>(std::lround(to.x));
        const int y1 = static_cast<int>(std::lround(to.y));
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        while (true) {
            set(x0, y0);
            if (x0 == x1 && y0 == y1) return;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    std::string row(int r) const {
        std::string text;
        for (int c = 0; c < cells_; ++c) text += brailleCell(bits_[static_cast<size_t>(r * cells_ + c)]);
        return text;
    }

private:
    int cells_;
    int rows_;
    std::vector<unsigned> bits_;
};

std::string padLeft(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The power of the step that covers `seconds`, if it has one.
std::optional<double> powerAt(const ChargeCurve& curve, double seconds) {
    const auto after = std::upper_bound(
        curve.steps.begin(), curve.steps.end(), seconds,
        [](double time, const CurveStep& step) { return time < step.fromSeconds; });
    if (after == curve.steps.begin()) return std::nullopt;
    const CurveStep& step = *(after - 1);
    return seconds <= step.toSeconds ? step.watts : std::nullopt;
}

}  // namespace

std::vector<std::string> curveTextLines(const ChargeCurve& curve, int columns, int levelRows,
                                        int powerRows) {
    constexpr size_t kGutter = 7;  // "100% ┤" and a blank
    const int cells = std::max(columns - static_cast<int>(kGutter) - 1, 10);
    levelRows = std::max(levelRows, 2);
    powerRows = std::max(powerRows, 1);
    const CurveAxes axes = axesOf({&curve}, std::max(cells / 12, 1), levelRows / 2, powerRows);
    std::vector<std::string> lines;

    DotGrid grid(cells, levelRows);
    const std::vector<PlotPoint> points = levelLine(
        curve, axes, PlotArea{static_cast<double>(grid.width() - 1),
                              static_cast<double>(grid.height() - 1)});
    for (size_t i = 0; i < points.size(); ++i) grid.line(points[i], points[i + 1 < points.size() ? i + 1 : i]);
    std::vector<std::string> levelLabels(static_cast<size_t>(levelRows));
    for (const double tick : axes.level.ticks) {
        const double y = (grid.height() - 1) * (1 - axes.level.fraction(tick));
        const auto row = static_cast<size_t>(
            std::clamp(std::lround(y) / 4, 0L, static_cast<long>(levelRows - 1)));
        levelLabels[row] = levelTickText(tick);
    }
    for (int r = 0; r < levelRows; ++r) {
        const std::string& label = levelLabels[static_cast<size_t>(r)];
        lines.push_back(padLeft(label, kGutter - 2) + (label.empty() ? " │" : " ┤") + grid.row(r));
    }

    // The power of the step under the middle of each column, in eighths of a row.
    const double lowest = std::max(axes.power.lowest, 0.0);
    std::vector<int> eighths(static_cast<size_t>(cells), -1);
    for (int c = 0; c < cells; ++c) {
        const double seconds = (c + 0.5) / cells * axes.time.highest;
        if (const auto watts = powerAt(curve, seconds)) {
            const double share = (*watts - lowest) / (axes.power.highest - lowest);
            eighths[static_cast<size_t>(c)] =
                static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * powerRows * 8));
        }
    }
    for (int r = powerRows - 1; r >= 0; --r) {
        std::string label;
        if (r == powerRows - 1) label = powerTickText(axes.power.highest);
        if (r == 0) label = powerTickText(lowest);
        std::string row = padLeft(label, kGutter - 2) + (label.empty() ? " │" : " ┤");
        for (const int filled : eighths) {
            row += kBlocks[std::clamp(filled - r * 8, 0, 8)];
        }
        lines.push_back(row);
    }

    // The time axis: a rule with a mark per tick, the tick texts under it where they fit.
    std::string rule = std::string(kGutter - 2, ' ') + " └";
    std::string marks(static_cast<size_t>(cells), ' ');
    std::vector<std::string> ruleCells(static_cast<size_t>(cells), "─");
    size_t freeFrom = 0;
    for (const double tick : axes.time.ticks) {
        const auto cell = static_cast<size_t>(std::clamp(
            std::lround(axes.time.fraction(tick) * (cells - 1)), 0L, static_cast<long>(cells - 1)));
        ruleCells[cell] = "┬";
        const std::string text = timeTickText(tick, axes.time.tickStep);
        const size_t at = cell + text.size() > marks.size()
                              ? marks.size() - std::min(text.size(), marks.size())
                              : cell;
        if (at < freeFrom) continue;
        marks.replace(at, std::min(text.size(), marks.size() - at), text);
        freeFrom = at + text.size() + 1;
    }
    for (const std::string& piece : ruleCells) rule += piece;
    lines.push_back(rule);
    lines.push_back(std::string(kGutter, ' ') + marks);
    for (std::string& line : lines) {
        while (!line.empty() && line.back() == ' ') line.pop_back();
    }
    return lines;
}

std::vector<std::string> curveSampleLines(const ChargeCurve& curve) {
    std::vector<std::string> lines = {"        time  level  step power"};
    for (size_t i = 0; i < curve.samples.size(); ++i) {
        const CurveSample& sample = curve.samples[i];
        std::string line = padLeft(durationText(sample.seconds), 12) + "  " +
                           padLeft(decimalText(sample.level, 0) + "%", 5);
        if (i > 0) {
            const std::optional<double> watts = curve.steps[i - 1].watts;
            line += "  " + padLeft(watts ? decimalText(*watts, 1) + " W" : "-", 10);
        }
        lines.push_back(line);
    }
    return lines;
}

std::string sparkline(const std::vector<double>& values) {
    double lowest = 0;
    double highest = 0;
    for (const double value : values) {
        if (!std::isfinite(value)) continue;
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    std::string line;
    for (const double value : values) {
        if (!std::isfinite(value)) {
            line += ' ';
            continue;
        }
        const double share = highest > lowest ? (value - lowest) / (highest - lowest) : 0;
        line += kBlocks[1 + std::clamp(static_cast<int>(std::lround(share * 7)), 0, 7)];
    }
    return line;
}

}  // namespace voltaro
