// A plot (tasks/maps/plot.hpp) drawn in a widget: the axes with their ticks,
// labels and titles as the plot fitted them, a faint line at each tick, a
// darker one at 0 on the value axis, and each series in a colour of its own
// as a line through its points (dots too when they are few), named in a
// legend when there are several. The receiver check shows its separation - N
// over the log's time in one, above its report.
#pragma once

#include <QWidget>

#include "tasks/maps/plot.hpp"

namespace egm2008 {

class PlotView : public QWidget {
    Q_OBJECT
public:
    explicit PlotView(Plot plot, QWidget* parent = nullptr);
    const Plot& plot() const { return plot_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Plot plot_;
};

}  // namespace egm2008
