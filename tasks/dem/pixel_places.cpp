#include "tasks/dem/pixel_places.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace egm2008 {

namespace {

constexpr double kDegree = 0.017453292519943295;  // radians

// The engine takes -360..360 and shifts a west longitude itself; -180..360 here.
double Normalised(double longitude) {
    if (longitude > 360.0 || longitude < -180.0) {
        longitude = std::fmod(longitude, 360.0);
        if (longitude < -180.0) longitude += 360.0;
    }
    return longitude;
}

// `longitude` moved by whole turns to within half a turn of `near`.
double Beside(double longitude, double near) {
    while (longitude - near > 180.0) longitude -= 360.0;
    while (near - longitude > 180.0) longitude += 360.0;
    return longitude;
}

}  // namespace

OGRSpatialReference HorizontalCrs(const OGRSpatialReference& crs) {
    OGRSpatialReference horizontal(crs);
    if (horizontal.IsCompound()) horizontal.StripVertical();
    if (horizontal.GetAxesCount() == 3) horizontal.DemoteTo2D(nullptr);
    return horizontal;
}

bool PixelPlaces::Set(const double (&transform)[6], const OGRSpatialReference& crs) {
    std::copy(std::begin(transform), std::end(transform), transform_);
    const OGRSpatialReference horizontal = HorizontalCrs(crs);
    projection_.reset();
    if (horizontal.IsProjected()) {
        OGRSpatialReference from(horizontal);
        from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        std::unique_ptr<OGRSpatialReference> to(from.CloneGeogCS());
        if (!to) return false;
        to->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);  // x longitude, y latitude
        projection_.reset(OGRCreateCoordinateTransformation(&from, to.get()));
        if (!projection_) return false;
        toDegrees_ = to->GetAngularUnits(nullptr);
    } else {
        toDegrees_ = horizontal.GetAngularUnits(nullptr);
    }
    toDegrees_ = std::fabs(toDegrees_ - kDegree) < 1e-15 ? 1.0 : toDegrees_ / kDegree;
    return true;
}

void PixelPlaces::Row(int row, int column, int count, std::vector<double>& latitudes,
                      std::vector<double>& longitudes, std::vector<int>& ok, bool exact) {
    const auto size = static_cast<std::size_t>(count);
    latitudes.resize(size);
    longitudes.resize(size);
    ok.assign(size, 1);
    if (projection_ && !exact && count > 2) {
        Stretched(row, column, count, latitudes.data(), longitudes.data(), ok.data());
    } else {
        Exact(row, column, count, latitudes.data(), longitudes.data(), ok.data());
    }
    for (std::size_t k = 0; k < size; ++k) longitudes[k] = Normalised(longitudes[k]);
}

// A row's latitude is any of its pixels' (x times a zero term is a zero of one sign for every
// pixel), a column's longitude any of its pixels' alike.
void PixelPlaces::Lattice(int row, int rows, int column, int count, std::vector<double>& latitudes,
                          std::vector<double>& longitudes) {
    std::vector<double> unused;
    Row(row, column, count, unused, longitudes, sampleOk_);
    latitudes.resize(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        double longitude = 0.0;
        int ok = 1;
        Exact(row + r, column, 1, &latitudes[static_cast<std::size_t>(r)], &longitude, &ok);
    }
}

// Each pixel's centre through the geotransform and, when projected, PROJ; in degrees.
void PixelPlaces::Exact(int row, int column, int count, double* latitudes, double* longitudes,
                        int* ok) {
    const double y = row + 0.5;
    for (int k = 0; k < count; ++k) {
        const double x = column + k + 0.5;
        longitudes[k] = transform_[0] + x * transform_[1] + y * transform_[2];
        latitudes[k] = transform_[3] + x * transform_[4] + y * transform_[5];
    }
    if (projection_ && !projection_->Transform(count, longitudes, latitudes, nullptr, ok))
        std::fill(ok, ok + count, 0);
    if (toDegrees_ != 1.0) {
        for (int k = 0; k < count; ++k) {
            longitudes[k] *= toDegrees_;
            latitudes[k] *= toDegrees_;
        }
    }
}

// Exact places at each stretch's ends, middle and first quarter; a parabola through the ends
// and the middle, checked at the quarter.
void PixelPlaces::Stretched(int row, int column, int count, double* latitudes, double* longitudes,
                            int* ok) {
    const int stretches = (count - 1 + kProjectedStep - 1) / kProjectedStep;
    const auto edge = [&](int s) { return std::min(s * kProjectedStep, count - 1); };
    // Stretch s: place 3s at its first pixel, 3s + 1 at its quarter, 3s + 2 at its middle;
    // place 3s + 3 is the next stretch's first pixel, or the row's last.
    const auto places = static_cast<std::size_t>(3 * stretches + 1);
    xs_.resize(places);
    ys_.resize(places);
    sampleOk_.assign(places, 1);
    const double y = row + 0.5;
    for (int p = 0; p <= 3 * stretches; ++p) {
        const int a = edge(p / 3);
        const int length = edge(p / 3 + 1) - a;
        const int pixel = a + (p % 3 == 1 ? length / 4 : p % 3 == 2 ? length / 2 : 0);
        const double x = column + pixel + 0.5;
        xs_[static_cast<std::size_t>(p)] = transform_[0] + x * transform_[1] + y * transform_[2];
        ys_[static_cast<std::size_t>(p)] = transform_[3] + x * transform_[4] + y * transform_[5];
    }
    if (!projection_->Transform(static_cast<int>(places), xs_.data(), ys_.data(), nullptr,
                                sampleOk_.data()))
        std::fill(sampleOk_.begin(), sampleOk_.end(), 0);
    for (std::size_t p = 0; p < places; ++p) {
        xs_[p] *= toDegrees_;
        ys_[p] *= toDegrees_;
    }
    for (int s = 0; s < stretches; ++s) {
        const int a = edge(s);
        const int b = edge(s + 1);
        const int last = s + 1 == stretches ? b : b - 1;
        const auto at = static_cast<std::size_t>(3 * s);
        const bool placed = b - a >= 4 && sampleOk_[at] && sampleOk_[at + 1] && sampleOk_[at + 2] &&
                            sampleOk_[at + 3];
        if (!placed) {
            Exact(row, column + a, last - a + 1, latitudes + a, longitudes + a, ok + a);
            continue;
        }
        // Lagrange's parabola through t = 0, tm, 1 (t the fraction of the stretch).
        const double tm = static_cast<double>((b - a) / 2) / (b - a);
        const double latA = ys_[at], latM = ys_[at + 2], latB = ys_[at + 3];
        const double lonA = xs_[at], lonM = Beside(xs_[at + 2], lonA),
                     lonB = Beside(xs_[at + 3], lonA);
        const auto parabola = [tm](double t, double fa, double fm, double fb) {
            return fa * (t - tm) * (t - 1.0) / tm + fm * t * (t - 1.0) / (tm * (tm - 1.0)) +
                   fb * t * (t - tm) / (1.0 - tm);
        };
        const double tq = static_cast<double>((b - a) / 4) / (b - a);
        const double latQ = ys_[at + 1], lonQ = Beside(xs_[at + 1], lonA);
        const bool smooth =
            std::fabs(parabola(tq, latA, latM, latB) - latQ) <= kProjectedTolerance &&
            std::fabs(parabola(tq, lonA, lonM, lonB) - lonQ) * std::cos(latQ * kDegree) <=
                kProjectedTolerance;
        if (!smooth) {
            Exact(row, column + a, last - a + 1, latitudes + a, longitudes + a, ok + a);
            continue;
        }
        for (int k = a; k <= last; ++k) {
            const double t = static_cast<double>(k - a) / (b - a);
            latitudes[k] = parabola(t, latA, latM, latB);
            longitudes[k] = parabola(t, lonA, lonM, lonB);
        }
    }
}

}  // namespace egm2008
