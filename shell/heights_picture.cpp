#include "shell/heights_picture.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace egm2008 {

namespace {

// The three surfaces as heights above the drawing's bottom, in parts of its
// height, over x from 0 to 1: a smooth ellipsoid, a gently waving geoid and
// a rough terrain, always in this order from below.
double Ellipsoid(double x) { return 0.06 + 0.04 * std::sin(3.1 * x); }
double Geoid(double x) { return Ellipsoid(x) + 0.26 + 0.05 * std::sin(6.0 * x + 1.0); }
double Terrain(double x) {
    return Geoid(x) + 0.34 + 0.07 * std::sin(11.0 * x) + 0.03 * std::sin(23.0 * x + 0.5);
}

QPainterPath Curve(const QRectF& area, double (*surface)(double)) {
    QPainterPath path;
    constexpr int kSteps = 48;
    for (int i = 0; i <= kSteps; ++i) {
        const double x = static_cast<double>(i) / kSteps;
        const QPointF point(area.left() + x * area.width(),
                            area.bottom() - surface(x) * area.height());
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

// An arrow at x (0..1) from `from` up to `to`, labelled `name` on its right.
void Arrow(QPainter& painter, const QRectF& area, double x, double (*from)(double),
           double (*to)(double), const QString& name) {
    const double px = area.left() + x * area.width();
    const QPointF tail(px, area.bottom() - from(x) * area.height());
    const QPointF head(px, area.bottom() - to(x) * area.height());
    const double barb = painter.fontMetrics().height() / 4.0;
    painter.drawLine(tail, head);
    painter.drawLine(head, head + QPointF(-barb, barb * 1.5));
    painter.drawLine(head, head + QPointF(barb, barb * 1.5));
    painter.drawText(
        QPointF(px + barb, (tail.y() + head.y()) / 2 + painter.fontMetrics().ascent() / 2.0), name);
}

}  // namespace

HeightsPicture::HeightsPicture(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(
        QString::fromUtf8("h: ellipsoidal height, H: orthometric height, "
                          "N: geoid undulation; H = h − N"));
}

QSize HeightsPicture::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(QStringLiteral("ellipsoid")) * 3, metrics.height() * 10};
}

void HeightsPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const QRectF area = QRectF(rect()).adjusted(1, metrics.height() * 1.5, -1, -1);
    const struct {
        double (*surface)(double);
        QColor color;
        const char* name;
    } surfaces[] = {{Ellipsoid, QColor(90, 90, 90), "ellipsoid"},
                    {Geoid, QColor(30, 90, 200), "geoid"},
                    {Terrain, QColor(140, 90, 30), "terrain"}};
    for (const auto& s : surfaces) {
        painter.setPen(QPen(s.color, 2));
        painter.drawPath(Curve(area, s.surface));
        const double y = area.bottom() - s.surface(0.02) * area.height();
        painter.drawText(QPointF(area.left() + 2, y - 3), QString::fromLatin1(s.name));
    }
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    Arrow(painter, area, 0.50, Ellipsoid, Geoid, QStringLiteral("N"));
    Arrow(painter, area, 0.68, Geoid, Terrain, QStringLiteral("H"));
    Arrow(painter, area, 0.86, Ellipsoid, Terrain, QStringLiteral("h"));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QPointF(area.left() + 2, metrics.ascent()), QString::fromUtf8("H = h − N"));
}

}  // namespace egm2008
