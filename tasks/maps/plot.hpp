// A plot of values along one axis, such as the receiver check's separation
// - N over a log's time: series of points, the axes' titles and their ticks
// (colour_legend.hpp's FitAxis). The window draws it; nothing here draws.
#pragma once

#include <string>
#include <vector>

#include "tasks/maps/colour_legend.hpp"

namespace egm2008 {

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

/// The points of one series (a talker's fixes), in the order they came.
struct PlotSeries {
    std::string name;
    std::vector<PlotPoint> points;
};

struct Plot {
    std::string title;
    std::string xTitle;  ///< with its unit: "time since 12:35:19 UTC [min]"
    std::string yTitle;
    std::vector<PlotSeries> series;
    AxisTicks xTicks;  ///< fitted to the points by FitPlotAxes
    AxisTicks yTicks;
    /// True when no series holds a point.
    bool empty() const;
};

/// Fits both axes' ticks to the points of every series: the x axis spans at
/// least `leastXSpan`, the y axis at least `leastYSpan`.
void FitPlotAxes(Plot& plot, double leastXSpan, double leastYSpan);

}  // namespace egm2008
