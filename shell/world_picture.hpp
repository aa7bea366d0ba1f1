// The manual page's small world map: the whole globe from 180 W to 180 E on
// a plate carrée, its coastlines (GSHHG's crude ones, read once for the
// program), a faint graticule every 30 degrees and the equator, and the point
// last computed marked with a red ring. Without the coastline files it shows
// the graticule alone and says why in its tooltip.
#pragma once

#include <QWidget>
#include <optional>

namespace egm2008 {

class WorldPicture : public QWidget {
    Q_OBJECT
public:
    explicit WorldPicture(QWidget* parent = nullptr);
    /// Marks `latitude`, `longitude` (-180..180), instead of any place before.
    void MarkPlace(double latitude, double longitude);
    void Unmark();
    /// The place marked, as (longitude, latitude); none after Unmark.
    std::optional<QPointF> place() const { return place_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowTip();

    std::optional<QPointF> place_;
};

}  // namespace egm2008
