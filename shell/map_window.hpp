// The colour map of a gridmaker run in a window of its own, not modal: the
// rendered map with its title and colour bar (colour_map.hpp) in a scroll
// area, zoomed by the mouse wheel about the point under the mouse (1/8 to 16
// times), and under it a readout of the latitude, longitude and N of the map
// pixel under the mouse (MapReadoutText). The window keeps its own copy of the
// map, opens at a zoom that fits about 1000 x 700 pixels, and is deleted when
// closed.
#pragma once

#include <QImage>
#include <QWidget>
#include <string>

#include "tasks/lattice/formats/colour_map.hpp"

class QLabel;
class QScrollArea;

namespace egm2008 {

/// Dialog IDs of the map window's controls.
namespace map_ids {
inline constexpr int kView = 1000;
inline constexpr int kReadout = 1001;
}  // namespace map_ids

/// The rendered picture at a zoom; tells which map pixel lies under the mouse.
class MapView : public QWidget {
    Q_OBJECT
public:
    MapView(const MapPicture& picture, QSize mapSize, QWidget* parent = nullptr);
    double zoom() const { return zoom_; }
    /// Zooms to `zoom` (clamped to 1/8..16) and resizes.
    void SetZoom(double zoom);
    /// A point of map pixel (x, y), near its centre, in this widget's coordinates
    /// at the present zoom (inside the pixel at zooms from 1 on).
    QPoint PointOfMapPixel(int x, int y) const;
    QSize sizeHint() const override;

signals:
    /// The map pixel under the mouse; (-1, -1) off the map.
    void hovered(int x, int y);
    /// The wheel zoomed about picture point `picturePoint`, under the mouse at
    /// `viewportPoint` in the parent's (the scroll area's viewport's) coordinates.
    void zoomedAbout(QPointF picturePoint, QPointF viewportPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage picture_;
    QRect map_;  // the map's pixels within the picture
    double zoom_ = 1.0;
};

class MapWindow : public QWidget {
    Q_OBJECT
public:
    MapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title);

private:
    void ShowReadout(int x, int y);
    void KeepPointUnderMouse(QPointF picturePoint, QPointF viewportPoint);

    MapAccumulator map_;
    MapView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* readout_ = nullptr;
};

/// Opens a MapWindow of `map` over `parent`'s window, shown and raised.
void OpenMapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title);

}  // namespace egm2008
