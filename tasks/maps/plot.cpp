#include "tasks/maps/plot.hpp"

namespace egm2008 {

bool Plot::empty() const {
    for (const PlotSeries& s : series) {
        if (!s.points.empty()) return false;
    }
    return true;
}

void FitPlotAxes(Plot& plot, double leastXSpan, double leastYSpan) {
    ValueRange xs, ys;
    for (const PlotSeries& s : plot.series) {
        for (const PlotPoint& p : s.points) {
            xs.Add(p.x);
            ys.Add(p.y);
        }
    }
    plot.xTicks = FitAxis(xs, leastXSpan);
    plot.yTicks = FitAxis(ys, leastYSpan);
}

}  // namespace egm2008
