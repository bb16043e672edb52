#include "app/validation/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace korvana::validation {

namespace {

constexpr double LEFT = 92;    // [px] room for the y tick labels and title
constexpr double RIGHT = 24;   // [px]
constexpr double TOP = 44;     // [px] room for the title
constexpr double BOTTOM = 64;  // [px] room for the x tick labels and title

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

//! 1, 2 or 5 x 10^n, the first at or above `rough`.
double niceStep(double rough) {
    if (!(rough > 0.0)) {
        return 1.0;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * decade >= rough * (1.0 - 1e-9)) {
            return m * decade;
        }
    }
    return 10.0 * decade;
}

std::string tickLabel(double value, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string label = text;
    if (label.find_first_not_of("-0.") == std::string::npos) {
        label = "0";  // no "-0"
    }
    return label;
}

//! Maps values of one axis to pixels.
class Scale {
public:
    Scale(const PlotAxis& axis, double fromPixel, double toPixel)
        : m_axis(axis), m_from(fromPixel), m_to(toPixel) {}

    bool valid(double value) const {
        return std::isfinite(value) && (!m_axis.logarithmic || value > 0.0);
    }
    double operator()(double value) const {
        double t = 0.0;
        if (m_axis.logarithmic) {
            t = (std::log10(value) - std::log10(m_axis.min)) /
                (std::log10(m_axis.max) - std::log10(m_axis.min));
        } else {
            t = (value - m_axis.min) / (m_axis.max - m_axis.min);
        }
        // Far outside values stay finite pixels; the clip path hides them.
        t = std::clamp(t, -10.0, 11.0);
        return m_from + t * (m_to - m_from);
    }

    struct Tick {
        double value;
        std::string label;  //!< empty: a minor tick without label
    };
    std::vector<Tick> ticks() const {
        std::vector<Tick> result;
        if (m_axis.logarithmic) {
            const int first = static_cast<int>(std::floor(std::log10(m_axis.min)));
            const int last = static_cast<int>(std::ceil(std::log10(m_axis.max)));
            // Few decades leave room to label 2 and 5 as well.
            const bool fewDecades = std::log10(m_axis.max / m_axis.min) <= 2.5;
            for (int n = first; n <= last; ++n) {
                for (int m = 1; m <= 9; ++m) {
                    const double value = m * std::pow(10.0, n);
                    if (value < m_axis.min * (1 - 1e-9) || value > m_axis.max * (1 + 1e-9)) {
                        continue;
                    }
                    std::string label;
                    if (m == 1 || (fewDecades && (m == 2 || m == 5))) {
                        label = (n >= -3 && n <= 4) ? tickLabel(value, std::pow(10.0, n))
                                                    : std::to_string(m) + "e" + std::to_string(n);
                    }
                    result.push_back({value, label});
                }
            }
            return result;
        }
        const double step =
            m_axis.tickStep > 0 ? m_axis.tickStep : niceStep((m_axis.max - m_axis.min) / 6.0);
        for (double k = std::ceil(m_axis.min / step - 1e-9); k * step <= m_axis.max + step * 1e-9;
             k += 1.0) {
            result.push_back({k * step, tickLabel(k * step, step)});
        }
        return result;
    }

private:
    PlotAxis m_axis;
    double m_from;
    double m_to;
};

void writeSeries(std::ostringstream& svg, const PlotSeries& series, const Scale& sx,
                 const Scale& sy) {
    const std::string dash = series.dashed ? " stroke-dasharray=\"7,4\"" : "";
    const bool line = series.style == SeriesStyle::Line || series.style == SeriesStyle::LineMarkers;
    const bool markers =
        series.style == SeriesStyle::Markers || series.style == SeriesStyle::LineMarkers;
    const std::size_t n = std::min(series.x.size(), series.y.size());
    if (series.style == SeriesStyle::Steps) {
        std::string path;
        for (std::size_t i = 0; i < series.y.size() && i + 1 < series.x.size(); ++i) {
            if (!sy.valid(series.y[i]) || !sx.valid(series.x[i]) || !sx.valid(series.x[i + 1])) {
                continue;
            }
            path += (path.empty() ? "M" : " L") + number(sx(series.x[i])) + " " +
                    number(sy(series.y[i])) + " L" + number(sx(series.x[i + 1])) + " " +
                    number(sy(series.y[i]));
        }
        svg << "<path d=\"" << path << "\" fill=\"none\" stroke=\"" << series.colour
            << "\" stroke-width=\"2\"" << dash << "/>\n";
        return;
    }
    if (line) {
        std::string path;
        bool pen = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (!sx.valid(series.x[i]) || !sy.valid(series.y[i])) {
                pen = false;
                continue;
            }
            path += (pen ? " L" : " M") + number(sx(series.x[i])) + " " + number(sy(series.y[i]));
            pen = true;
        }
        svg << "<path d=\"" << path << "\" fill=\"none\" stroke=\"" << series.colour
            << "\" stroke-width=\"2\"" << dash << "/>\n";
    }
    if (markers) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!sx.valid(series.x[i]) || !sy.valid(series.y[i])) {
                continue;
            }
            const double px = sx(series.x[i]);
            if (i < series.yError.size() && std::isfinite(series.yError[i]) &&
                series.yError[i] > 0.0) {
                const double low = series.y[i] - series.yError[i];
                const double high = series.y[i] + series.yError[i];
                const double pLow = sy.valid(low) ? sy(low) : sy(series.y[i]);
                const double pHigh = sy(high);
                svg << "<path d=\"M" << number(px) << " " << number(pLow) << " L" << number(px)
                    << " " << number(pHigh) << " M" << number(px - 4) << " " << number(pLow) << " L"
                    << number(px + 4) << " " << number(pLow) << " M" << number(px - 4) << " "
                    << number(pHigh) << " L" << number(px + 4) << " " << number(pHigh)
                    << "\" stroke=\"" << series.colour << "\" stroke-width=\"1.3\"/>\n";
            }
            svg << "<circle cx=\"" << number(px) << "\" cy=\"" << number(sy(series.y[i]))
                << "\" r=\"3.8\" fill=\"" << series.colour << "\"/>\n";
        }
    }
}

void writeLegend(std::ostringstream& svg, const Plot& plot, double left, double right, double top) {
    std::vector<const PlotSeries*> listed;
    std::size_t longest = 0;
    for (const PlotSeries& series : plot.series) {
        if (!series.label.empty()) {
            listed.push_back(&series);
            longest = std::max(longest, series.label.size());
        }
    }
    if (listed.empty()) {
        return;
    }
    const double width = 48 + 7.0 * static_cast<double>(longest);
    const double height = 10 + 20.0 * static_cast<double>(listed.size());
    const double x = plot.legendAtLeft ? left + 10 : right - width - 10;
    const double y = top + 10;
    svg << "<rect x=\"" << number(x) << "\" y=\"" << number(y) << "\" width=\"" << number(width)
        << "\" height=\"" << number(height)
        << "\" fill=\"white\" fill-opacity=\"0.9\" stroke=\"#888\"/>\n";
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const PlotSeries& series = *listed[i];
        const double rowY = y + 15 + 20.0 * static_cast<double>(i);
        if (series.style != SeriesStyle::Markers) {
            svg << "<path d=\"M" << number(x + 8) << " " << number(rowY) << " L" << number(x + 36)
                << " " << number(rowY) << "\" stroke=\"" << series.colour << "\" stroke-width=\"2\""
                << (series.dashed ? " stroke-dasharray=\"7,4\"" : "") << "/>\n";
        }
        if (series.style == SeriesStyle::Markers || series.style == SeriesStyle::LineMarkers) {
            svg << "<circle cx=\"" << number(x + 22) << "\" cy=\"" << number(rowY)
                << "\" r=\"3.8\" fill=\"" << series.colour << "\"/>\n";
        }
        svg << "<text x=\"" << number(x + 42) << "\" y=\"" << number(rowY + 4.5) << "\">"
            << escaped(series.label) << "</text>\n";
    }
}

}  // namespace

std::string svgPlot(const Plot& plot) {
    const double left = LEFT;
    const double right = plot.width - RIGHT;
    const double top = TOP;
    const double bottom = plot.height - BOTTOM;
    const Scale sx(plot.x, left, right);
    const Scale sy(plot.y, bottom, top);

    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << plot.width << "\" height=\""
        << plot.height << "\" viewBox=\"0 0 " << plot.width << " " << plot.height
        << "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"13\">\n";
    svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg << "<defs><clipPath id=\"area\"><rect x=\"" << number(left) << "\" y=\"" << number(top)
        << "\" width=\"" << number(right - left) << "\" height=\"" << number(bottom - top)
        << "\"/></clipPath></defs>\n";
    svg << "<text x=\"" << number((left + right) / 2) << "\" y=\"26\" text-anchor=\"middle\" "
        << "font-size=\"15\" font-weight=\"bold\">" << escaped(plot.title) << "</text>\n";

    // Grid lines and ticks.
    for (const Scale::Tick& tick : sx.ticks()) {
        const double px = sx(tick.value);
        if (!tick.label.empty()) {
            svg << "<path d=\"M" << number(px) << " " << number(top) << " L" << number(px) << " "
                << number(bottom) << "\" stroke=\"#e4e4e4\"/>\n";
            svg << "<text x=\"" << number(px) << "\" y=\"" << number(bottom + 20)
                << "\" text-anchor=\"middle\">" << escaped(tick.label) << "</text>\n";
        }
        svg << "<path d=\"M" << number(px) << " " << number(bottom) << " L" << number(px) << " "
            << number(bottom + (tick.label.empty() ? 4 : 7)) << "\" stroke=\"black\"/>\n";
    }
    for (const Scale::Tick& tick : sy.ticks()) {
        const double py = sy(tick.value);
        if (!tick.label.empty()) {
            svg << "<path d=\"M" << number(left) << " " << number(py) << " L" << number(right)
                << " " << number(py) << "\" stroke=\"#e4e4e4\"/>\n";
            svg << "<text x=\"" << number(left - 10) << "\" y=\"" << number(py + 4.5)
                << "\" text-anchor=\"end\">" << escaped(tick.label) << "</text>\n";
        }
        svg << "<path d=\"M" << number(left - (tick.label.empty() ? 4 : 7)) << " " << number(py)
            << " L" << number(left) << " " << number(py) << "\" stroke=\"black\"/>\n";
    }
    svg << "<g clip-path=\"url(#area)\">\n";
    for (const double y : plot.horizontalLines) {
        if (sy.valid(y)) {
            svg << "<path d=\"M" << number(left) << " " << number(sy(y)) << " L" << number(right)
                << " " << number(sy(y)) << "\" stroke=\"#666\" stroke-dasharray=\"4,4\"/>\n";
        }
    }
    for (const PlotSeries& series : plot.series) {
        writeSeries(svg, series, sx, sy);
    }
    svg << "</g>\n";
    svg << "<rect x=\"" << number(left) << "\" y=\"" << number(top) << "\" width=\""
        << number(right - left) << "\" height=\"" << number(bottom - top)
        << "\" fill=\"none\" stroke=\"black\"/>\n";
    writeLegend(svg, plot, left, right, top);
    svg << "<text x=\"" << number((left + right) / 2) << "\" y=\"" << number(plot.height - 14)
        << "\" text-anchor=\"middle\">" << escaped(plot.x.title) << "</text>\n";
    svg << "<text transform=\"translate(22 " << number((top + bottom) / 2)
        << ") rotate(-90)\" text-anchor=\"middle\">" << escaped(plot.y.title) << "</text>\n";
    svg << "</svg>\n";
    return svg.str();
}

PlotAxis linearAxisFor(const std::string& title, const std::vector<double>& values, bool withZero) {
    double low = withZero ? 0.0 : INFINITY;
    double high = withZero ? 0.0 : -INFINITY;
    for (const double v : values) {
        if (std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (!std::isfinite(low)) {
        low = 0.0;
        high = 1.0;
    }
    if (high - low <= 0.0) {
        const double pad = low == 0.0 ? 1.0 : std::abs(low) * 0.1;
        low -= pad;
        high += pad;
    }
    const double margin = 0.05 * (high - low);
    const double step = niceStep((high - low + 2 * margin) / 6.0);
    PlotAxis axis;
    axis.title = title;
    axis.min = (withZero && low >= 0.0) ? 0.0 : std::floor((low - margin) / step) * step;
    axis.max = std::ceil((high + margin) / step) * step;
    axis.tickStep = step;
    return axis;
}

}  // namespace korvana::validation
