#include "shell/plot_view.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <utility>

#include "shell/desktop.hpp"

namespace egm2008 {

namespace {

// The series' colours, in turn (the first five of Tableau's ten).
const QColor kSeriesColours[] = {QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44),
                                 QColor(214, 39, 40), QColor(148, 103, 189)};
// Up to this many points a series shows each of them as a dot.
constexpr std::size_t kMostDots = 500;

QColor SeriesColour(std::size_t k) {
    return kSeriesColours[k % (sizeof kSeriesColours / sizeof kSeriesColours[0])];
}

// Where on the widget a value of an axis lies: `ticks` spread over [from, to].
double Place(double value, const AxisTicks& ticks, double from, double to) {
    const double span = ticks.upper - ticks.lower;
    return span > 0.0 ? from + (value - ticks.lower) / span * (to - from) : from;
}

}  // namespace

PlotView::PlotView(Plot plot, QWidget* parent) : QWidget(parent), plot_(std::move(plot)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

QSize PlotView::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * 80, metrics.height() * 16};
}

QSize PlotView::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * 40, metrics.height() * 10};
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const QColor ink = palette().color(QPalette::Text);
    const int line = metrics.height();
    int labelWidth = 0;
    for (const std::string& label : plot_.yTicks.labels)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(desktop::ToQString(label)));
    // The plot's area: room for the title above, the value axis's title and
    // labels on the left, the time axis's labels and title below.
    const QRectF area(line * 1.5 + labelWidth + line / 2.0, line * 1.5,
                      width() - (line * 2.5 + labelWidth), height() - line * 4.0);
    if (area.width() < 10 || area.height() < 10) return;

    painter.setPen(ink);
    painter.drawText(QRectF(0, 0, width(), line * 1.4), Qt::AlignCenter,
                     desktop::ToQString(plot_.title));
    // The ticks: a faint line across the area and a label at the axis.
    const QColor faint(0, 0, 0, 30);
    for (std::size_t k = 0; k < plot_.xTicks.values.size(); ++k) {
        const double x = Place(plot_.xTicks.values[k], plot_.xTicks, area.left(), area.right());
        painter.setPen(faint);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(ink);
        const QString label = desktop::ToQString(plot_.xTicks.labels[k]);
        painter.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2.0,
                                 area.bottom() + metrics.ascent() + 2),
                         label);
    }
    for (std::size_t k = 0; k < plot_.yTicks.values.size(); ++k) {
        const double y = Place(plot_.yTicks.values[k], plot_.yTicks, area.bottom(), area.top());
        painter.setPen(plot_.yTicks.values[k] == 0.0 ? QColor(0, 0, 0, 120) : faint);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(ink);
        const QString label = desktop::ToQString(plot_.yTicks.labels[k]);
        painter.drawText(QPointF(area.left() - 4 - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() / 2.0 - 1),
                         label);
    }
    painter.drawRect(area);
    painter.drawText(QRectF(area.left(), area.bottom() + line * 1.2, area.width(), line * 1.2),
                     Qt::AlignCenter, desktop::ToQString(plot_.xTitle));
    painter.save();
    painter.translate(line * 0.2, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-area.height() / 2, 0, area.height(), line * 1.2), Qt::AlignCenter,
                     desktop::ToQString(plot_.yTitle));
    painter.restore();

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area.adjusted(-3, -3, 3, 3));
    double legendY = area.top() + line;
    for (std::size_t s = 0; s < plot_.series.size(); ++s) {
        const PlotSeries& series = plot_.series[s];
        if (series.points.empty()) continue;
        QPainterPath path;
        for (std::size_t k = 0; k < series.points.size(); ++k) {
            const QPointF at(Place(series.points[k].x, plot_.xTicks, area.left(), area.right()),
                             Place(series.points[k].y, plot_.yTicks, area.bottom(), area.top()));
            if (k == 0) {
                path.moveTo(at);
            } else {
                path.lineTo(at);
            }
            if (series.points.size() <= kMostDots) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(SeriesColour(s));
                painter.drawEllipse(at, 2.0, 2.0);
            }
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(SeriesColour(s), 1.2));
        painter.drawPath(path);
        if (plot_.series.size() > 1) {
            const QString name = desktop::ToQString(series.name);
            const double x = area.right() - metrics.horizontalAdvance(name) - line * 2;
            painter.drawLine(QPointF(x, legendY - line / 3.0),
                             QPointF(x + line, legendY - line / 3.0));
            painter.setPen(ink);
            painter.drawText(QPointF(x + line * 1.3, legendY), name);
            legendY += line;
        }
    }
}

}  // namespace egm2008
