// A map's colour limits and the legend that explains them, and the ticks of
// a plot's axis: the rules both the window and the PNG writer draw by.
//
// A colour scale is either fitted to the data's range (a sequential scale
// from the least to the most value, rounded outward to its tick step) or
// symmetric about 0 (a diverging scale from -limit to +limit, 0 in its grey
// middle). Ticks fall on whole multiples of a step of 1, 2 or 5 x 10^k; each
// has its label with as many decimals as the step needs. Values that are NaN
// or infinite (nodes outside the grid, not computed) never reach a range.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace egm2008 {

/// The least and most of the finite values added, and how many there were.
struct ValueRange {
    double least = std::numeric_limits<double>::infinity();
    double most = -std::numeric_limits<double>::infinity();
    std::uint64_t count = 0;

    /// Takes `value` unless it is NaN or infinite.
    void Add(double value);
    /// Takes every value of `other`.
    void Merge(const ValueRange& other);
    bool empty() const { return count == 0; }
};

/// How a map's colours are laid over its values.
enum class ColourFit {
    Fitted,     ///< a sequential scale over the data's range
    Symmetric,  ///< a diverging scale from -limit to +limit, centred on 0
};

/// Ticks over [lower, upper]: `values` every `step`, the first at `lower` and
/// the last at `upper`, each with its label ("-150", "47.24").
struct AxisTicks {
    double lower = 0.0;
    double upper = 1.0;
    double step = 0.5;
    std::vector<double> values;
    std::vector<std::string> labels;
};

/// A map's colour limits and its legend's ticks.
struct ColourLegend {
    ColourFit fit = ColourFit::Fitted;
    AxisTicks ticks;  ///< its lower and upper are the colour limits
};

/// The data's span a fitted scale shows at least, in metres: a range narrower
/// than this (a constant lattice) is widened about its middle.
inline constexpr double kLeastFittedSpan = 0.1;

/// The most intervals between the ticks of a fitted scale or an axis.
inline constexpr int kMostIntervals = 6;

/// The colour limits and ticks for values of `range`:
///  - Fitted: the least and most value rounded outward to the first step of
///    1, 2, 5 x 10^k that gives at most kMostIntervals intervals; a span below
///    kLeastFittedSpan is widened to it about its middle.
///  - Symmetric: the largest |value| L; the step is the first of 1, 2, 5 x 10^k
///    at or above L / 4, the limit the first whole number of steps at or above L.
/// An empty range (no value could be computed) gives -1 to 1 in steps of 0.5.
ColourLegend FitColourLegend(const ValueRange& range, ColourFit fit);

/// Ticks for an axis over the values of `range`: rounded outward as a fitted
/// scale is, a span below `leastSpan` widened to it; an empty range gives -1
/// to 1 in steps of 0.5.
AxisTicks FitAxis(const ValueRange& range, double leastSpan);

/// A tick's label: as many decimals as `step` needs, never "-0".
std::string TickLabel(double value, double step);

}  // namespace egm2008
