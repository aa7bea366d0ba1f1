#include "shell/map_window.hpp"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "tasks/lattice/lattice_format.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

// Each notch of the wheel (120 eighths of a degree) zooms by this factor.
constexpr double kZoomPerNotch = 1.25;
// The part of the screen the window opens in, at most.
constexpr double kScreenShare = 0.8;
// A point is read out when the mouse is this near it, in pixels of the screen.
constexpr double kPointReach = 6.0;
// A point's dot on the screen: its radius in pixels.
constexpr double kDotRadius = 3.5;
// The ground under a point map's dots.
const QColor kPointGround(238, 238, 238);
// The export's save dialog.
constexpr const char* kExportMapTitle = "Export map as PNG";

QColor ColourOf(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }

}  // namespace

// ------------------------------------------------------------------ MapView

MapView::MapView(QSize size, double zoom, QWidget* parent)
    : QWidget(parent),
      size_(size),
      zoom_(zoom),
      leastZoom_(std::min(1.0 / 8, zoom / 2)),
      mostZoom_(std::max(64.0, zoom * 8)) {
    setObjectName(QString::number(map_ids::kView));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    SetZoom(zoom);
}

void MapView::SetZoom(double zoom) {
    zoom_ = std::clamp(zoom, leastZoom_, mostZoom_);
    resize(sizeHint());
    update();
}

QSize MapView::sizeHint() const {
    return {static_cast<int>(std::ceil(size_.width() * zoom_)),
            static_cast<int>(std::ceil(size_.height() * zoom_))};
}

QPoint MapView::PointOfMapPixel(int x, int y) const {
    // The pixel spans [p z, (p + 1) z): its middle, or the first whole point in it.
    const auto inside = [this](int p) {
        return static_cast<int>(std::max(std::ceil(p * zoom_), std::floor((p + 0.5) * zoom_)));
    };
    return {inside(x), inside(y)};
}

void MapView::SetPixels(const QImage& pixels) {
    pixels_ = pixels;
    update();
}

void MapView::SetPoints(std::vector<QPointF> places, std::vector<QColor> colours) {
    places_ = std::move(places);
    colours_ = std::move(colours);
    update();
}

void MapView::SetCoastlines(std::vector<QPolygonF> lines) {
    coastlines_ = std::move(lines);
    update();
}

void MapView::ShowCoastlines(bool shown) {
    coastlinesShown_ = shown;
    update();
}

void MapView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    if (pixels_.isNull()) {
        painter.fillRect(exposed, kPointGround);
    } else {
        // The map pixels under the exposed part, whole: enlarged pixels stay
        // sharp, a reduced picture is smoothed.
        const QRect source = QRectF(exposed.x() / zoom_, exposed.y() / zoom_,
                                    exposed.width() / zoom_, exposed.height() / zoom_)
                                 .toAlignedRect()
                                 .intersected(pixels_.rect());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 1.0);
        const QRectF target(source.x() * zoom_, source.y() * zoom_, source.width() * zoom_,
                            source.height() * zoom_);
        painter.drawImage(target, pixels_, source);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    if (coastlinesShown_ && !coastlines_.empty()) {
        painter.save();
        painter.scale(zoom_, zoom_);
        QPen pen(QColor(0, 0, 0));
        pen.setCosmetic(true);  // a pixel wide on the screen, whatever the zoom
        painter.setPen(pen);
        for (const QPolygonF& line : coastlines_) painter.drawPolyline(line);
        painter.restore();
    }
    painter.setPen(QPen(QColor(0, 0, 0, 110), 0.8));
    const QRectF reach =
        QRectF(exposed).adjusted(-kDotRadius - 1, -kDotRadius - 1, kDotRadius + 1, kDotRadius + 1);
    for (std::size_t k = 0; k < places_.size(); ++k) {
        const QPointF at = places_[k] * zoom_;
        if (!reach.contains(at)) continue;
        painter.setBrush(colours_[k]);
        painter.drawEllipse(at, kDotRadius, kDotRadius);
    }
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    dragFrom_ = event->globalPosition().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = false;
    setCursor(Qt::CrossCursor);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        // In the screen's pixels: the view moves under the mouse as it pans.
        const QPoint now = event->globalPosition().toPoint();
        emit dragged(now - dragFrom_);
        dragFrom_ = now;
    }
    const QPointF at = event->position() / zoom_;
    const bool onMap =
        at.x() >= 0 && at.y() >= 0 && at.x() < size_.width() && at.y() < size_.height();
    emit hovered(onMap ? at : QPointF(-1, -1));
}

void MapView::leaveEvent(QEvent*) { emit hovered(QPointF(-1, -1)); }

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

// ---------------------------------------------------------------- MapLegend

MapLegend::MapLegend(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(map_ids::kLegend));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MapLegend::SetLegend(const ColourLegend& legend, const QString& quantity) {
    legend_ = legend;
    quantity_ = quantity;
    scale_ = std::make_unique<ColourScale>(legend);
    setToolTip(quantity + QString::fromUtf8(legend.fit == ColourFit::Symmetric
                                                ? " [m], symmetric about 0"
                                                : " [m], fitted to the map's values"));
    update();
}

QSize MapLegend::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * 60, metrics.height() * 3};
}

QSize MapLegend::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * 30, metrics.height() * 3};
}

void MapLegend::paintEvent(QPaintEvent*) {
    if (!scale_) return;
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const QString unit = quantity_ + QStringLiteral(" [m]");
    const int margin = metrics.averageCharWidth() * 2;
    const int left = margin + metrics.horizontalAdvance(unit) + margin;
    const int width = std::max(1, this->width() - left - margin * 2);
    const int barHeight = metrics.height();
    painter.drawText(QPointF(margin, barHeight * 0.8 + 2), unit);
    const double lower = scale_->lower();
    const double span = scale_->upper() - lower;
    for (int x = 0; x < width; ++x) {
        const double value = lower + (x + 0.5) / width * span;
        painter.fillRect(left + x, 2, 1, barHeight, ColourOf((*scale_)(static_cast<float>(value))));
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const std::vector<double>& ticks = legend_.ticks.values;
    for (std::size_t k = 0; k < ticks.size(); ++k) {
        const double t = span > 0.0 ? (ticks[k] - lower) / span : 0.0;
        const int x = left + static_cast<int>(std::lround(t * (width - 1)));
        painter.drawLine(x, 2 + barHeight, x, 2 + barHeight + metrics.height() / 3);
        const QString label = desktop::ToQString(legend_.ticks.labels[k]);
        const int labelWidth = metrics.horizontalAdvance(label);
        const int at = std::clamp(x - labelWidth / 2, 0, this->width() - labelWidth);
        painter.drawText(at, 2 + barHeight + metrics.height() / 3 + metrics.ascent(), label);
    }
}

// ---------------------------------------------------------------- MapWindow

struct MapWindow::Content {
    std::unique_ptr<MapAccumulator> lattice;  // null for a point map
    PointMap points;
};

MapWindow::MapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title)
    : QWidget(parent, Qt::Window), content_(std::make_unique<Content>()), title_(title) {
    content_->lattice = std::make_unique<MapAccumulator>(map);
    frame_ = map.frame();
    Build(QSize(map.width(), map.height()));
}

MapWindow::MapWindow(QWidget* parent, const PointMap& points, const std::string& title)
    : QWidget(parent, Qt::Window), content_(std::make_unique<Content>()), title_(title) {
    content_->points = points;
    frame_ = PointMapFrame(points.box, kPointMapLongSide);
    Build(QSize(static_cast<int>(frame_.width), static_cast<int>(frame_.height)));
}

MapWindow::~MapWindow() = default;

void MapWindow::Build(QSize mapSize) {
    setAttribute(Qt::WA_DeleteOnClose);
    MarkScope(this);
    setWindowTitle(desktop::ToQString(title_));
    view_ = new MapView(mapSize, OpeningZoom(mapSize));
    scroll_ = new QScrollArea;
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignCenter);

    symmetric_ = new QCheckBox(QStringLiteral("S&ymmetric about 0"));
    symmetric_->setObjectName(QString::number(map_ids::kSymmetric));
    coastlines_ = new QCheckBox(QStringLiteral("&Coastlines"));
    coastlines_->setObjectName(QString::number(map_ids::kCoastlines));
    coastlines_->setChecked(true);
    auto* exportPng = MakeButton(map_ids::kExport, QString::fromUtf8("&Export PNG…"));
    note_ = new QLabel;
    note_->setObjectName(QString::number(map_ids::kNote));
    note_->setWordWrap(true);
    auto* controls = new QHBoxLayout;
    controls->addWidget(symmetric_);
    controls->addWidget(coastlines_);
    controls->addWidget(note_, 1);
    controls->addWidget(exportPng);

    legend_ = new MapLegend;
    readout_ = new QLabel;
    readout_->setObjectName(QString::number(map_ids::kReadout));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setMinimumHeight(readout_->fontMetrics().height());
    auto* column = new QVBoxLayout(this);
    column->addLayout(controls);
    column->addWidget(scroll_, 1);
    column->addWidget(legend_);
    column->addWidget(readout_);

    Recolour();
    ReadCoastlines();
    connect(symmetric_, &QCheckBox::toggled, this, [this] { Recolour(); });
    connect(coastlines_, &QCheckBox::toggled, view_, &MapView::ShowCoastlines);
    connect(exportPng, &QPushButton::clicked, this, &MapWindow::ExportPng);
    connect(view_, &MapView::hovered, this, &MapWindow::ShowReadout);
    connect(view_, &MapView::zoomedAbout, this, &MapWindow::KeepPointUnderMouse);
    connect(view_, &MapView::dragged, this, &MapWindow::Pan);

    // Room for the whole map at its opening zoom, without scroll bars, on the screen.
    const QSize chrome = sizeHint() - scroll_->sizeHint();
    const int frame = 2 * scroll_->frameWidth();
    QSize wanted = view_->size() + QSize(frame, frame) + QSize(0, chrome.height());
    wanted.setWidth(std::max(wanted.width() + layout()->contentsMargins().left() * 2,
                             legend_->minimumSizeHint().width()));
    if (const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen()
                                                          : QGuiApplication::primaryScreen()) {
        wanted = wanted.boundedTo(screen->availableGeometry().size() * kScreenShare);
    }
    resize(wanted);
}

double MapWindow::OpeningZoom(QSize mapSize) const {
    const QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    QSize room = screen != nullptr ? screen->availableGeometry().size() : QSize(1000, 700);
    // Four fifths of the screen, less the controls, the legend and the readout.
    const int line = fontMetrics().height();
    room = QSize(static_cast<int>(room.width() * kScreenShare) - 4 * line,
                 static_cast<int>(room.height() * kScreenShare) - 8 * line);
    const double fit = std::min(std::max(1, room.width()) / double(mapSize.width()),
                                std::max(1, room.height()) / double(mapSize.height()));
    // Small maps open enlarged by a whole factor, so that their pixels stay square.
    return fit >= 1.0 ? std::floor(fit) : fit;
}

MapStyle MapWindow::Style(const std::vector<Coastline>* coastlines) const {
    return {symmetric_->isChecked() ? ColourFit::Symmetric : ColourFit::Fitted, coastlines};
}

void MapWindow::Recolour() {
    const ColourFit fit = Style(nullptr).fit;
    if (const MapAccumulator* map = content_->lattice.get()) {
        const ColourLegend legend = FitColourLegend(map->range(), fit);
        const ColourScale scale(legend);
        QImage pixels(map->width(), map->height(), QImage::Format_RGB32);
        for (int y = 0; y < map->height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            for (int x = 0; x < map->width(); ++x) {
                const Rgb colour = scale(map->Value(x, y));
                row[x] = qRgb(colour.r, colour.g, colour.b);
            }
        }
        view_->SetPixels(pixels);
        legend_->SetLegend(legend);
        return;
    }
    const ColourLegend legend = PointMapLegend(content_->points, fit);
    const ColourScale scale(legend);
    std::vector<QPointF> places;
    std::vector<QColor> colours;
    for (const PlacedValue& p : content_->points.points) {
        places.emplace_back(frame_.X(p.longitude), frame_.Y(p.latitude));
        colours.push_back(ColourOf(scale(p.value)));
    }
    view_->SetPoints(std::move(places), std::move(colours));
    legend_->SetLegend(legend, desktop::ToQString(content_->points.quantity));
}

void MapWindow::ReadCoastlines() {
    // As fine as the screen's pixels at the opening zoom and a little closer.
    MapFrame screen = frame_;
    screen.width *= view_->zoom() * 2;
    screen.height *= view_->zoom() * 2;
    const Coastlines read = MapCoastlines(screen);
    if (read.status != CoastStatus::Read) {
        note_->setText(desktop::ToQString(
            CoastlinesMissingMessage(read.status == CoastStatus::Missing, read.path)));
        coastlines_->setChecked(false);
        coastlines_->setEnabled(false);
        return;
    }
    std::vector<QPolygonF> lines;
    lines.reserve(read.lines.size());
    for (const Coastline& line : read.lines) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(line.points.size()));
        for (const GeoPoint& p : line.points)
            polygon << QPointF(frame_.X(p.longitude), frame_.Y(p.latitude));
        lines.push_back(std::move(polygon));
    }
    view_->SetCoastlines(std::move(lines));
}

void MapWindow::ShowReadout(QPointF at) {
    if (at.x() < 0 || at.y() < 0) {
        readout_->clear();
        return;
    }
    if (const MapAccumulator* map = content_->lattice.get()) {
        const int x = std::min(static_cast<int>(at.x()), map->width() - 1);
        const int y = std::min(static_cast<int>(at.y()), map->height() - 1);
        const MapPlace place = map->PlaceOf(x, y);
        readout_->setText(
            desktop::ToQString(MapReadoutText(place.latitude, place.longitude, map->Value(x, y))));
        return;
    }
    // The nearest point within reach of the mouse, else the place itself.
    const double reach = kPointReach / view_->zoom();
    double nearest = reach * reach;
    const PlacedValue* found = nullptr;
    for (const PlacedValue& p : content_->points.points) {
        const double dx = frame_.X(p.longitude) - at.x(), dy = frame_.Y(p.latitude) - at.y();
        if (dx * dx + dy * dy <= nearest) {
            nearest = dx * dx + dy * dy;
            found = &p;
        }
    }
    readout_->setText(desktop::ToQString(
        found != nullptr
            ? MapReadoutText(found->latitude, WrapLongitude(found->longitude), found->value,
                             content_->points.quantity)
            : MapPlaceText(frame_.Latitude(at.y()), WrapLongitude(frame_.Longitude(at.x())))));
}

void MapWindow::KeepPointUnderMouse(QPointF picturePoint, QPointF viewportPoint) {
    // The picture point goes back under the mouse, as far as the scroll bars reach.
    const QPointF now = picturePoint * view_->zoom();
    scroll_->horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(now.x() - viewportPoint.x())));
    scroll_->verticalScrollBar()->setValue(
        static_cast<int>(std::lround(now.y() - viewportPoint.y())));
}

void MapWindow::Pan(QPoint by) {
    QScrollBar* across = scroll_->horizontalScrollBar();
    QScrollBar* down = scroll_->verticalScrollBar();
    across->setValue(across->value() - by.x());
    down->setValue(down->value() - by.y());
}

void MapWindow::ExportPng() {
    const std::string path = desktop::RunTitledSaveDialog(
        this, kExportMapTitle, LatticeFormatInfoOf(LatticeFormat::Png).saveFilter);
    if (path.empty()) return;
    // The picture the command line draws, with the colours and coastlines shown.
    const MapFrame pictureFrame = content_->lattice
                                      ? content_->lattice->frame()
                                      : PointMapFrame(content_->points.box, kPointMapLongSide);
    Coastlines coast;
    if (coastlines_->isChecked()) coast = MapCoastlines(pictureFrame);
    const MapStyle style = Style(coast.status == CoastStatus::Read ? &coast.lines : nullptr);
    const MapPicture picture =
        content_->lattice ? RenderColourMap(*content_->lattice, title_, style)
                          : RenderPointMap(content_->points, kPointMapLongSide, title_, style);
    const std::string failure = WritePngFile(picture, path);
    if (!failure.empty()) desktop::ShowMessage(this, failure, NoticeIcon::None);
}

namespace {

void Open(MapWindow* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void OpenMapWindow(QWidget* parent, const MapAccumulator& map, const std::string& title) {
    Open(new MapWindow(parent != nullptr ? parent->window() : nullptr, map, title));
}

void OpenPointMapWindow(QWidget* parent, const PointMap& points, const std::string& title) {
    Open(new MapWindow(parent != nullptr ? parent->window() : nullptr, points, title));
}

}  // namespace egm2008
