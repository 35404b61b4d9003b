#include "curve/curve_svg.h"

#include <cstdint>

namespace voltaro {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::string number(double value) { return decimalText(value, 1); }

std::string pointsText(const std::vector<PlotPoint>& points, double left, double top) {
    std::string text;
    for (const PlotPoint& point : points) {
        if (!text.empty()) text += ' ';
        text += number(left + point.x) + ',' + number(top + point.y);
    }
    return text;
}

// The length of the UTF-8 sequence at `at`, or 0 when it is not one (overlong forms, surrogates
// and values past U+10FFFF included).
size_t utf8Length(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    size_t length = 0;
    uint32_t code = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        code = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        code = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        code = first & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    // U+FFFE and U+FFFF are not XML characters either.
    if (overlong || surrogate || code > 0x10FFFF || code == 0xFFFE || code == 0xFFFF) return 0;
    return length;
}

}  // namespace

std::string xmlText(const std::string& text) {
    std::string escaped;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            switch (c) {
                case '&': escaped += "&amp;"; break;
                case '<': escaped += "&lt;"; break;
                case '>': escaped += "&gt;"; break;
                case '"': escaped += "&quot;"; break;
                case '\'': escaped += "&apos;"; break;
                default:
                    if (byte < 0x20 || byte == 0x7F) {
                        escaped += kReplacement;
                    } else {
                        escaped += c;
                    }
            }
            ++i;
            continue;
        }
        const size_t length = utf8Length(text, i);
        if (length == 0) {
            escaped += kReplacement;
            ++i;
        } else {
            escaped.append(text, i, length);
            i += length;
        }
    }
    return escaped;
}

std::string curveSvg(const ChargeCurve& curve, const std::string& title,
                     const std::vector<std::string>& captionLines, double width, double height) {
    const double left = 64;
    const double right = 64;
    const double top = 52 + 20 * static_cast<double>(captionLines.size());
    const double bottom = 56;
    const PlotArea area{std::max(width - left - right, 10.0), std::max(height - top - bottom, 10.0)};
    const CurveAxes axes = axesOf({&curve}, 8, 5, 4);

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" +
           number(height) + "\" viewBox=\"0 0 " + number(width) + ' ' + number(height) +
           "\" font-family=\"sans-serif\" font-size=\"13\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#0B1019\"/>\n";
    svg += "<text x=\"" + number(left) + "\" y=\"30\" font-size=\"18\" font-weight=\"bold\" "
           "fill=\"#F5F7FA\">" + xmlText(title) + "</text>\n";
    for (size_t i = 0; i < captionLines.size(); ++i) {
        svg += "<text x=\"" + number(left) + "\" y=\"" + number(54 + 20 * static_cast<double>(i)) +
               "\" fill=\"#8A93A6\">" + xmlText(captionLines[i]) + "</text>\n";
    }

    // Grid and ticks: level at the left, power at the right, time at the bottom.
    svg += "<g stroke=\"#2A3346\" stroke-width=\"1\">\n";
    for (const double tick : axes.level.ticks) {
        const double y = top + area.height - alongAxis(axes.level, tick, area.height);
        svg += "<line x1=\"" + number(left) + "\" y1=\"" + number(y) + "\" x2=\"" +
               number(left + area.width) + "\" y2=\"" + number(y) + "\"/>\n";
    }
    for (const double tick : axes.time.ticks) {
        const double x = left + alongAxis(axes.time, tick, area.width);
        svg += "<line x1=\"" + number(x) + "\" y1=\"" + number(top) + "\" x2=\"" + number(x) +
               "\" y2=\"" + number(top + area.height) + "\"/>\n";
    }
    svg += "</g>\n<g fill=\"#8A93A6\">\n";
    for (const double tick : axes.level.ticks) {
        const double y = top + area.height - alongAxis(axes.level, tick, area.height);
        svg += "<text x=\"" + number(left - 8) + "\" y=\"" + number(y + 4) +
               "\" text-anchor=\"end\">" + xmlText(levelTickText(tick)) + "</text>\n";
    }
    for (const double tick : axes.power.ticks) {
        const double y = top + area.height - alongAxis(axes.power, tick, area.height);
        svg += "<text x=\"" + number(left + area.width + 8) + "\" y=\"" + number(y + 4) + "\">" +
               xmlText(powerTickText(tick)) + "</text>\n";
    }
    for (const double tick : axes.time.ticks) {
        const double x = left + alongAxis(axes.time, tick, area.width);
        svg += "<text x=\"" + number(x) + "\" y=\"" + number(top + area.height + 20) +
               "\" text-anchor=\"middle\">" + xmlText(timeTickText(tick, axes.time.tickStep)) +
               "</text>\n";
    }
    svg += "</g>\n";

    for (const std::vector<PlotPoint>& line : powerLines(curve, axes, area)) {
        svg += "<polyline fill=\"none\" stroke=\"#5B8DEF\" stroke-width=\"1.5\" points=\"" +
               pointsText(line, left, top) + "\"/>\n";
    }
    const std::vector<PlotPoint> level = levelLine(curve, axes, area);
    if (level.size() == 1) {
        svg += "<circle cx=\"" + number(left + level[0].x) + "\" cy=\"" + number(top + level[0].y) +
               "\" r=\"3\" fill=\"#FFC83D\"/>\n";
    } else if (!level.empty()) {
        svg += "<polyline fill=\"none\" stroke=\"#FFC83D\" stroke-width=\"2.5\" "
               "stroke-linejoin=\"round\" points=\"" + pointsText(level, left, top) + "\"/>\n";
    }

    const double legendY = height - 14;
    svg += "<g font-size=\"12\">\n<rect x=\"" + number(left) + "\" y=\"" + number(legendY - 9) +
           "\" width=\"14\" height=\"3\" fill=\"#FFC83D\"/>\n<text x=\"" + number(left + 20) +
           "\" y=\"" + number(legendY) + "\" fill=\"#F5F7FA\">Level</text>\n<rect x=\"" +
           number(left + 80) + "\" y=\"" + number(legendY - 9) +
           "\" width=\"14\" height=\"3\" fill=\"#5B8DEF\"/>\n<text x=\"" + number(left + 100) +
           "\" y=\"" + number(legendY) + "\" fill=\"#F5F7FA\">Power per step</text>\n</g>\n";
    svg += "</svg>\n";
    return svg;
}

}  // namespace voltaro
