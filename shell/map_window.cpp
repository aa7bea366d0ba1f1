#include "shell/map_window.hpp"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "shell/desktop.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

constexpr double kLeastZoom = 1.0 / 8;
constexpr double kMostZoom = 16.0;
// Each notch of the wheel (120 eighths of a degree) zooms by this factor.
constexpr double kZoomPerNotch = 1.25;
// The room the map window opens with, in pixels.
constexpr QSize kOpeningRoom(1000, 700);

// The tasks' RGB bytes as a QImage that owns a copy of them.
QImage ImageOf(const RgbImage& image) {
    return QImage(image.bytes.data(), image.width, image.height, image.width * 3,
                  QImage::Format_RGB888)
        .copy();
}

}  // namespace

MapView::MapView(const MapPicture& picture, QSize mapSize, QWidget* parent)
    : QWidget(parent),
      picture_(ImageOf(picture.image)),
      map_(picture.layout.mapX, picture.layout.mapY, mapSize.width(), mapSize.height()) {
    setObjectName(QString::number(map_ids::kView));
    setMouseTracking(true);
    const double fit = std::min(kOpeningRoom.width() / double(picture_.width()),
                                kOpeningRoom.height() / double(picture_.height()));
    // Small maps open enlarged by a whole factor, so that their pixels stay square.
    SetZoom(fit >= 1.0 ? std::floor(fit) : fit);
}

void MapView::SetZoom(double zoom) {
    zoom_ = std::clamp(zoom, kLeastZoom, kMostZoom);
    resize(sizeHint());
    update();
}

QSize MapView::sizeHint() const {
    return {static_cast<int>(std::ceil(picture_.width() * zoom_)),
            static_cast<int>(std::ceil(picture_.height() * zoom_))};
}

QPoint MapView::PointOfMapPixel(int x, int y) const {
    // The pixel spans [p z, (p + 1) z): its middle, or the first whole point in it.
    const auto inside = [this](int p) {
        return static_cast<int>(std::max(std::ceil(p * zoom_), std::floor((p + 0.5) * zoom_)));
    };
    return {inside(map_.x() + x), inside(map_.y() + y)};
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Enlarged pixels stay sharp; a reduced picture is smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 1.0);
    painter.scale(zoom_, zoom_);
    painter.drawImage(0, 0, picture_);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position() / zoom_;
    const QPoint pixel(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
    if (map_.contains(pixel)) {
        emit hovered(pixel.x() - map_.x(), pixel.y() - map_.y());
    } else {
        emit hovered(-1, -1);
    }
}

void MapView::leaveEvent(QEvent*) { emit hovered(-1, -1); }

void MapView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) return;
    const QPointF picturePoint = event->position() / zoom_;
    // Where the mouse is in the scroll area's viewport, before the zoom moves this widget.
    const QPointF viewportPoint = event->position() + QPointF(pos());
    SetZoom(zoom_ * std::pow(kZoomPerNotch, notches));
    emit zoomedAbout(picturePoint, viewportPoint);
    event->accept();
}

MapWindow::MapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title)
    : QWidget(parent, Qt::Window), map_(map) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(desktop::ToQString(title));
    view_ = new MapView(RenderColourMap(map_, title), QSize(map_.width(), map_.height()));
    scroll_ = new QScrollArea;
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignCenter);
    readout_ = new QLabel;
    readout_->setObjectName(QString::number(map_ids::kReadout));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setMinimumHeight(readout_->fontMetrics().height());
    auto* column = new QVBoxLayout(this);
    column->addWidget(scroll_, 1);
    column->addWidget(readout_);
    // Room for the whole picture, up to kOpeningRoom, without scroll bars.
    const QSize room = view_->size().boundedTo(kOpeningRoom);
    const QMargins margins = column->contentsMargins();
    const int frame = 2 * scroll_->frameWidth();
    resize(room.width() + frame + margins.left() + margins.right(),
           room.height() + frame + column->spacing() + readout_->minimumHeight() + margins.top() +
               margins.bottom());

    connect(view_, &MapView::hovered, this, &MapWindow::ShowReadout);
    connect(view_, &MapView::zoomedAbout, this, &MapWindow::KeepPointUnderMouse);
}

void MapWindow::ShowReadout(int x, int y) {
    if (x < 0 || y < 0) {
        readout_->clear();
        return;
    }
    const MapPlace place = map_.PlaceOf(x, y);
    readout_->setText(
        desktop::ToQString(MapReadoutText(place.latitude, place.longitude, map_.Value(x, y))));
}

void MapWindow::KeepPointUnderMouse(QPointF picturePoint, QPointF viewportPoint) {
    // The picture point goes back under the mouse, as far as the scroll bars reach.
    QScrollBar* across = scroll_->horizontalScrollBar();
    QScrollBar* down = scroll_->verticalScrollBar();
    const QPointF inViewport = viewportPoint;
    const QPointF now = picturePoint * view_->zoom();
    across->setValue(static_cast<int>(std::lround(now.x() - inViewport.x())));
    down->setValue(static_cast<int>(std::lround(now.y() - inViewport.y())));
}

void OpenMapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title) {
    auto* window = new MapWindow(parent != nullptr ? parent->window() : nullptr, map, title);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace egm2008
