#include "shell/world_picture.hpp"

#include <QPainter>
#include <QPolygonF>
#include <vector>

#include "shell/desktop.hpp"
#include "tasks/maps/coastlines.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

constexpr GeoBox kWorld = {-90.0, 90.0, -180.0, 180.0};

// The world's coastlines in degrees (x east, y north), read once; the reading
// as it went.
const Coastlines& WorldCoastlines() {
    static const Coastlines coastlines = ReadCoastlines(kWorld, CoastResolution::Crude);
    return coastlines;
}

const std::vector<QPolygonF>& WorldLines() {
    static const std::vector<QPolygonF> lines = [] {
        std::vector<QPolygonF> read;
        for (const Coastline& line : WorldCoastlines().lines) {
            QPolygonF polygon;
            for (const GeoPoint& p : line.points) polygon << QPointF(p.longitude, p.latitude);
            read.push_back(std::move(polygon));
        }
        return read;
    }();
    return lines;
}

}  // namespace

WorldPicture::WorldPicture(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ShowTip();
}

QSize WorldPicture::sizeHint() const {
    const int height = fontMetrics().height() * 8;
    return {height * 2, height};
}

void WorldPicture::MarkPlace(double latitude, double longitude) {
    place_ = QPointF(longitude, latitude);
    ShowTip();
    update();
}

void WorldPicture::Unmark() {
    place_.reset();
    ShowTip();
    update();
}

void WorldPicture::ShowTip() {
    const Coastlines& coast = WorldCoastlines();
    QString tip = place_ ? desktop::ToQString(MapPlaceText(place_->y(), place_->x()))
                         : QStringLiteral("The point computed last is marked here.");
    if (coast.status != CoastStatus::Read) {
        tip += QLatin1Char('\n') + desktop::ToQString(CoastlinesMissingMessage(
                                       coast.status == CoastStatus::Missing, coast.path));
    }
    setToolTip(tip);
}

void WorldPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.fillRect(area, QColor(226, 236, 246));
    painter.setRenderHint(QPainter::Antialiasing);
    // Degrees to pixels: x from 180 W, y from 90 N.
    QTransform degrees;
    degrees.translate(area.left(), area.top());
    degrees.scale(area.width() / 360.0, area.height() / 180.0);
    degrees.translate(180.0, 90.0);
    degrees.scale(1.0, -1.0);
    painter.save();
    painter.setTransform(degrees, true);
    QPen faint(QColor(0, 0, 0, 40));
    faint.setCosmetic(true);
    painter.setPen(faint);
    for (int lon = -150; lon < 180; lon += 30)
        painter.drawLine(QPointF(lon, -90), QPointF(lon, 90));
    for (int lat = -60; lat < 90; lat += 30) {
        QPen pen = faint;
        if (lat == 0) pen.setColor(QColor(0, 0, 0, 90));
        painter.setPen(pen);
        painter.drawLine(QPointF(-180, lat), QPointF(180, lat));
    }
    QPen coast(QColor(60, 60, 60));
    coast.setCosmetic(true);
    painter.setPen(coast);
    for (const QPolygonF& line : WorldLines()) painter.drawPolyline(line);
    painter.restore();
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(area);
    if (place_) {
        const QPointF at = degrees.map(*place_);
        painter.setPen(QPen(QColor(214, 39, 40), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 4.5, 4.5);
        painter.setBrush(QColor(214, 39, 40));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(at, 1.5, 1.5);
    }
}

}  // namespace egm2008
