// A colour map in a window of its own, not modal: the gridmaker's lattice
// (MapAccumulator) or a heights run's points (PointMap) under a title.
//
// The map sits in a scroll area: the mouse wheel zooms about the point under
// the mouse, dragging with the left button pans. Above it: "Symmetric about
// 0" (the colour scale fitted to the data, or symmetric, colour_legend.hpp),
// "Coastlines" (GSHHG's, drawn over the map; a note says when their files
// are missing) and "Export PNG…", which writes the picture the command line
// draws (colour_map.hpp) under the map's title, with the colours and
// coastlines shown. Below it, fixed whatever the zoom: the legend (the colour
// bar with its ticks in metres) and a readout of the latitude, longitude and
// N of the map pixel, or the point, under the mouse (MapReadoutText); a point
// map of other values (a converted DEM's heights) names them in both.
//
// The window opens on the screen its parent is on, as large as the map at a
// zoom that fits about four fifths of that screen: a small lattice is
// magnified by a whole factor (its pixels stay square), a large one reduced.
// It keeps its own copy of the map and is deleted when closed.
#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "tasks/lattice/formats/colour_map.hpp"

class QCheckBox;
class QLabel;
class QScrollArea;

namespace egm2008 {

/// Dialog IDs of the map window's controls.
namespace map_ids {
inline constexpr int kView = 1000;
inline constexpr int kReadout = 1001;
inline constexpr int kLegend = 1002;
inline constexpr int kSymmetric = 1003;
inline constexpr int kCoastlines = 1004;
inline constexpr int kExport = 1005;
inline constexpr int kNote = 1006;  ///< why there are no coastlines
}  // namespace map_ids

/// The map at a zoom: its pixels (a lattice's colours) or its points, and the
/// coastlines over them; tells where on the map the mouse is.
class MapView : public QWidget {
    Q_OBJECT
public:
    /// A map of `size` pixels at zoom 1, opening at `zoom`.
    MapView(QSize size, double zoom, QWidget* parent = nullptr);
    double zoom() const { return zoom_; }
    /// Zooms to `zoom` (clamped to the view's least and most) and resizes.
    void SetZoom(double zoom);
    /// A point of map pixel (x, y), near its centre, in this widget's coordinates
    /// at the present zoom (inside the pixel at zooms from 1 on).
    QPoint PointOfMapPixel(int x, int y) const;
    QSize sizeHint() const override;

    /// The lattice's colours, a pixel a map pixel.
    void SetPixels(const QImage& pixels);
    /// Points at map coordinates, each in its colour, drawn in order.
    void SetPoints(std::vector<QPointF> places, std::vector<QColor> colours);
    /// Coastlines in map coordinates; drawn when `shown`.
    void SetCoastlines(std::vector<QPolygonF> lines);
    void ShowCoastlines(bool shown);

signals:
    /// Where the mouse is, in map pixels (fractions within a pixel); (-1, -1) off the map.
    void hovered(QPointF at);
    /// The wheel zoomed about picture point `picturePoint`, under the mouse at
    /// `viewportPoint` in the parent's (the scroll area's viewport's) coordinates.
    void zoomedAbout(QPointF picturePoint, QPointF viewportPoint);
    /// The left button dragged the map by `by` pixels of the screen.
    void dragged(QPoint by);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QSize size_;
    QImage pixels_;
    std::vector<QPointF> places_;
    std::vector<QColor> colours_;
    std::vector<QPolygonF> coastlines_;
    bool coastlinesShown_ = true;
    double zoom_ = 1.0;
    double leastZoom_ = 1.0;
    double mostZoom_ = 1.0;
    QPoint dragFrom_;
    bool dragging_ = false;
};

/// The colour bar of a legend with its ticks and labels, as wide as its window.
class MapLegend : public QWidget {
    Q_OBJECT
public:
    explicit MapLegend(QWidget* parent = nullptr);
    /// The colours of `legend` for values of `quantity` ("N", or heights "H", "h"), in metres.
    void SetLegend(const ColourLegend& legend, const QString& quantity = QStringLiteral("N"));
    const ColourLegend& legend() const { return legend_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourLegend legend_;
    QString quantity_ = QStringLiteral("N");
    std::unique_ptr<ColourScale> scale_;
};

class MapWindow : public QWidget {
    Q_OBJECT
public:
    MapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title);
    MapWindow(QWidget* parent, const PointMap& points, const std::string& title);
    ~MapWindow() override;

private:
    // What the window shows: a lattice, or points.
    struct Content;

    void Build(QSize mapSize);
    void Recolour();
    void ReadCoastlines();
    void ShowReadout(QPointF at);
    void KeepPointUnderMouse(QPointF picturePoint, QPointF viewportPoint);
    void Pan(QPoint by);
    void ExportPng();
    double OpeningZoom(QSize mapSize) const;
    MapStyle Style(const std::vector<Coastline>* coastlines) const;

    std::unique_ptr<Content> content_;
    std::string title_;
    MapFrame frame_;
    MapView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    MapLegend* legend_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* note_ = nullptr;
    QCheckBox* symmetric_ = nullptr;
    QCheckBox* coastlines_ = nullptr;
};

/// Opens a MapWindow of `map` over `parent`'s window, shown and raised.
void OpenMapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title);
/// Opens a MapWindow of `points` over `parent`'s window, shown and raised.
void OpenPointMapWindow(QWidget* parent, const PointMap& points, const std::string& title);

}  // namespace egm2008
