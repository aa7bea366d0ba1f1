#include "tasks/maps/colour_legend.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace egm2008 {

namespace {

// The first of 1, 2, 5 x 10^k at or above `least` (> 0).
double NiceStepAbove(double least) {
    double decade = std::pow(10.0, std::floor(std::log10(least)));
    for (;;) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            // A hair of slack, so that 0.3 / 0.1 does not ask for the next step.
            if (mantissa * decade >= least * (1 - 1e-12)) return mantissa * decade;
        }
        decade *= 10.0;
    }
}

// Ticks every `step` from `lower` to `upper` (a whole number of steps apart).
AxisTicks TicksOver(double lower, double upper, double step) {
    AxisTicks ticks;
    ticks.lower = lower;
    ticks.upper = upper;
    ticks.step = step;
    const long count = std::lround((upper - lower) / step);
    for (long k = 0; k <= count; ++k) {
        // Each tick from the lower end, so that no error gathers along the axis.
        const double value = lower + static_cast<double>(k) * step;
        ticks.values.push_back(value);
        ticks.labels.push_back(TickLabel(value, step));
    }
    return ticks;
}

AxisTicks EmptyTicks() { return TicksOver(-1.0, 1.0, 0.5); }

// The symmetric scale over [-L, L] for the largest |value| L.
AxisTicks SymmetricTicks(double largest) {
    if (!(largest > 0.0)) return EmptyTicks();
    const double step = NiceStepAbove(largest / 4.0);
    const double limit = std::ceil(largest / step * (1 - 1e-12)) * step;
    return TicksOver(-limit, limit, step);
}

}  // namespace

void ValueRange::Add(double value) {
    if (!std::isfinite(value)) return;
    least = std::min(least, value);
    most = std::max(most, value);
    ++count;
}

void ValueRange::Merge(const ValueRange& other) {
    if (other.empty()) return;
    least = std::min(least, other.least);
    most = std::max(most, other.most);
    count += other.count;
}

AxisTicks FitAxis(const ValueRange& range, double leastSpan) {
    if (range.empty() || !std::isfinite(range.most - range.least)) return EmptyTicks();
    double least = range.least;
    double most = range.most;
    if (most - least < leastSpan) {
        const double middle = least / 2 + most / 2;
        least = middle - leastSpan / 2;
        most = middle + leastSpan / 2;
    }
    // Rounding outward adds up to a step at either end: the next step when too many.
    double step = NiceStepAbove((most - least) / kMostIntervals);
    for (;;) {
        // A hair of slack, so that 0.3 on a step of 0.1 stays the end.
        const double lower = std::floor(least / step + 1e-9) * step;
        const double upper = std::ceil(most / step - 1e-9) * step;
        if (std::lround((upper - lower) / step) <= kMostIntervals) {
            return TicksOver(lower, upper, step);
        }
        step = NiceStepAbove(step * 1.5);
    }
}

ColourLegend FitColourLegend(const ValueRange& range, ColourFit fit) {
    ColourLegend legend;
    legend.fit = fit;
    if (fit == ColourFit::Symmetric) {
        legend.ticks = SymmetricTicks(
            range.empty() ? 0.0 : std::max(std::fabs(range.least), std::fabs(range.most)));
    } else {
        legend.ticks = FitAxis(range, kLeastFittedSpan);
    }
    return legend;
}

std::string TickLabel(double value, double step) {
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    if (std::fabs(value) < step / 2) value = 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace egm2008
