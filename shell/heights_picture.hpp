// A small drawing for the "Heights" page that settles the sign of the
// conversion at a glance: the ellipsoid, the geoid above it and the terrain
// above both, with the ellipsoidal height h (ellipsoid to terrain), the
// orthometric height H (geoid to terrain) and the undulation N (ellipsoid to
// geoid) as arrows, and the rule "H = h − N" written beside them.
#pragma once

#include <QWidget>

namespace egm2008 {

class HeightsPicture : public QWidget {
    Q_OBJECT
public:
    explicit HeightsPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace egm2008
