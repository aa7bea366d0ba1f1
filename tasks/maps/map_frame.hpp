// Places on a map: a point and a box in degrees, and the plate carrée frame
// that puts a box onto a picture of given pixels (x east, y south from the
// box's north-west corner). A box's longitudes run from `west` to `east` in
// whatever frame its user works in (-180..180, 0..360, 170..190); what is
// drawn in it takes the same frame.
#pragma once

namespace egm2008 {

/// A position in degrees, west and south negative.
struct GeoPoint {
    double latitude = 0.0;
    double longitude = 0.0;
};

/// A latitude/longitude rectangle in degrees, south < north and west < east.
struct GeoBox {
    double south = -90.0;
    double north = 90.0;
    double west = -180.0;
    double east = 180.0;
};

/// A box drawn over `width` x `height` pixels, the whole box filling them.
struct MapFrame {
    GeoBox box;
    double width = 1.0;
    double height = 1.0;

    /// The picture's x of longitude `lon` (0 at the box's west edge).
    double X(double lon) const { return (lon - box.west) * width / (box.east - box.west); }
    /// The picture's y of latitude `lat` (0 at the box's north edge).
    double Y(double lat) const { return (box.north - lat) * height / (box.north - box.south); }
    double Longitude(double x) const { return box.west + x * (box.east - box.west) / width; }
    double Latitude(double y) const { return box.north - y * (box.north - box.south) / height; }
};

/// `longitude` moved by whole turns into `start` (included) to `start` + 360 (excluded).
double LongitudeFrom(double longitude, double start);
/// `longitude` moved by whole turns into -180 (included) to 180 (excluded).
double WrapLongitude(double longitude);

}  // namespace egm2008
