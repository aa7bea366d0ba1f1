// InterpolateBiQuadratic: three-point Lagrange interpolation along rows and
// columns at once, in the 3x3 window centred on the node nearest to the point.
//
// p is the point's eastward offset from the centre node, q its southward
// offset, both in spacings (-0.5 < p <= 0.5, -0.5 <= q < 0.5). Within
// latSpacing/1.9 of a pole there is no full window and the query goes, as it
// came in, to InterpolateBiLinear. The window wraps across the 0/360 seam.
// The result is preset to 9999.999 and keeps it on every failure of this
// routine; a window value below -1000 gives StatusError (NaN passes the
// check, but a result that is not finite gives StatusOutside).
//
// Where the nine terms come from: the three-point Lagrange formula through
// values at offsets -1, 0, +1 has the basis p(p-1)/2, 1-p^2, p(p+1)/2, so
// along a row f(p) = C + p(E-W)/2 + p^2((E+W)/2 - C). Interpolating the three
// rows so and then the three results along the column in q (the tensor
// product of the two one-dimensional formulas) and multiplying out in powers
// of p and q gives the nine monomials 1, p, q, pq, q^2, p^2, p^2q, pq^2,
// p^2q^2 with the coefficients in CoefficientsOf below.
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "engine/query_frame.hpp"
#include "engine/query_routines.hpp"

namespace egm2008::engine {

namespace {

inline constexpr double kPolarMarginDivisor = 1.9;

// The 3x3 window: its centre node and the point's offsets from it in spacings.
struct Window {
    std::int32_t centreRow = 0;
    std::int32_t centreColumn = 0;
    double p = 0.0;  // eastward
    double q = 0.0;  // southward
};

// The nodes of the window; rows count southwards, so row R + 1 is the southern one.
struct WindowValues {
    double SW, S, SE, W, C, E, NW, N, NE;
};

// The window's row: the cell by truncation, then the nearer node as centre. False when the
// index cannot be formed.
bool PlaceRow(const GeoidGrid& grid, double latitude, Window& w) {
    std::int32_t i = 0;
    if (!frame::TruncateIndex((grid.latMax - latitude) / grid.latSpacing, i) || i >= 2147483646 ||
        grid.lastColumn < 0) {
        return false;
    }
    const double fy = (grid.latMax - latitude) - i * grid.latSpacing;
    const double d = grid.latSpacing - fy;
    if (d <= grid.latSpacing / 2) {
        w.centreRow = i + 1;
        w.q = -d / grid.latSpacing;
    } else {
        w.centreRow = i;
        w.q = fy / grid.latSpacing;
    }
    return true;
}

// The window's column alike (longitude already off lonMax).
bool PlaceColumn(const GeoidGrid& grid, double longitude, Window& w) {
    std::int32_t j = 0;
    if (!frame::TruncateIndex((longitude - grid.lonMin) / grid.lonSpacing, j) || j >= 2147483646)
        return false;
    const double e = (longitude - grid.lonMin) - j * grid.lonSpacing;
    if (e <= grid.lonSpacing / 2) {
        w.centreColumn = j;
        w.p = e / grid.lonSpacing;
    } else {
        w.centreColumn = j + 1;
        w.p = -(grid.lonSpacing - e) / grid.lonSpacing;
    }
    return true;
}

// Reads the nine nodes, wrapping the columns across the seam.
WindowValues ReadWindow(const GeoidGrid& grid, std::int64_t columns, const Window& w,
                        NodeReader& reader) {
    const std::int64_t wrap = std::int64_t{grid.lastColumn} + 1;
    // ((c % wrap) + wrap) % wrap, without a division for the columns a window
    // normally takes (one past either end of the row at most).
    const auto column = [wrap](std::int64_t c) {
        if (c >= 0 && c < wrap) return static_cast<std::int32_t>(c);
        if (c == -1) return static_cast<std::int32_t>(wrap - 1);
        if (c == wrap) return std::int32_t{0};
        return static_cast<std::int32_t>(((c % wrap) + wrap) % wrap);
    };
    const std::int32_t west = column(std::int64_t{w.centreColumn} - 1);
    const std::int32_t middle = column(w.centreColumn);
    const std::int32_t east = column(std::int64_t{w.centreColumn} + 1);
    const std::int32_t r = w.centreRow;
    WindowValues v{};
    v.SW = reader.ReadNode(grid, columns, r + 1, west);
    v.S = reader.ReadNode(grid, columns, r + 1, middle);
    v.SE = reader.ReadNode(grid, columns, r + 1, east);
    v.W = reader.ReadNode(grid, columns, r, west);
    v.C = reader.ReadNode(grid, columns, r, middle);
    v.E = reader.ReadNode(grid, columns, r, east);
    v.NW = reader.ReadNode(grid, columns, r - 1, west);
    v.N = reader.ReadNode(grid, columns, r - 1, middle);
    v.NE = reader.ReadNode(grid, columns, r - 1, east);
    return v;
}

// The nine coefficients of the window, each left to right as written.
struct NineTerms {
    double c, p, q, pq, qq, pp, ppq, pqq, ppqq;
};

NineTerms CoefficientsOf(const WindowValues& v) {
    const double SW = v.SW, S = v.S, SE = v.SE, W = v.W, C = v.C, E = v.E;
    const double NW = v.NW, N = v.N, NE = v.NE;
    NineTerms t{};
    t.c = C;
    t.p = (E - W) / 2;
    t.q = (S - N) / 2;
    t.pq = (SE - NE - SW + NW) / 4;
    t.qq = (N + S) / 2 - C;
    t.pp = (E + W) / 2 - C;
    t.ppq = (SE - NE - NW + SW) / 4 + (N - S) / 2;
    t.pqq = (SE + NE - SW - NW) / 4 + (W - E) / 2;
    t.ppqq = C - (E + N + S + W) / 2 + (SW + SE + NE + NW) / 4;
    return t;
}

// Each coefficient times its monomial, the nine terms added in this order: the order is
// part of the result's bits (and a coefficient kept from an earlier point of the same window
// is the same double as one computed again).
double NineTermValue(const NineTerms& t, double p, double q) {
    double value = t.c;
    value += t.p * p;
    value += t.q * q;
    value += t.pq * (p * q);
    value += t.qq * (q * q);
    value += t.pp * (p * p);
    value += t.ppq * (p * p * q);
    value += t.pqq * (p * q * q);
    value += t.ppqq * (p * p * q * q);
    return value;
}

// True when a window value fails the plausibility check.
bool Implausible(const WindowValues& v) {
    for (double value : {v.SW, v.S, v.SE, v.W, v.C, v.E, v.NW, v.N, v.NE}) {
        if (value < -1000.0) return true;
    }
    return false;
}

// The column count of the window's rows: the quotient rounded to the nearest integer; 0 when
// it is out of range.
std::int64_t WindowColumns(const GeoidGrid& grid) {
    const double columnQuotient = (grid.lonMax - grid.lonMin) / grid.lonSpacing + 0.5;
    if (!(columnQuotient >= 1.0 && columnQuotient < 1e9)) return 0;
    return static_cast<std::int64_t>(columnQuotient);
}

// What a query works out of the grid alone, the window of the last point asked (kept while
// the next points fall in it) and the row placed for the last latitude (kept while the
// latitude stays): the same doubles as worked out again for each point.
struct WindowCache {
    bool framed = false;  // the grid's part below set
    bool spacingsPositive = false;
    double southEdge = 0.0;  // within latSpacing/1.9 of a pole: bi-linear
    double northEdge = 0.0;
    std::int64_t columns = 0;
    bool held = false;
    Window window;
    bool implausible = false;
    NineTerms terms{};
    bool rowPlaced = false;
    double rowLatitude = 0.0;
    Window row;  // centreRow and q
};

// One point of a query: the window placed, read (unless `cache` holds it) and evaluated.
QueryStatus BiQuadraticAt(const GeoidGrid& grid, double latitude, double longitude, float& result,
                          NodeReader& reader, WindowCache& cache) {
    result = kResultPreset;
    if (!frame::InsideBounds(grid, latitude, longitude)) return QueryStatus::StatusOutside;
    if (!cache.framed) {
        cache.framed = true;
        cache.spacingsPositive = frame::SpacingsPositive(grid);
        const double margin = grid.latSpacing / kPolarMarginDivisor;
        cache.southEdge = grid.latMin + margin;
        cache.northEdge = grid.latMax - margin;
        cache.columns = WindowColumns(grid);
    }
    if (!cache.spacingsPositive) return QueryStatus::StatusError;
    if (latitude < cache.southEdge || latitude > cache.northEdge) {
        return InterpolateBiLinear(grid, latitude, longitude, result, reader);
    }
    const std::int64_t columns = cache.columns;
    if (columns == 0) return QueryStatus::StatusError;
    if (longitude == grid.lonMax) longitude -= frame::kEdgeNudge;

    Window w;
    if (!cache.rowPlaced || cache.rowLatitude != latitude) {
        cache.rowPlaced = PlaceRow(grid, latitude, cache.row);
        cache.rowLatitude = latitude;
        if (!cache.rowPlaced) return QueryStatus::StatusError;
    }
    w.centreRow = cache.row.centreRow;
    w.q = cache.row.q;
    if (!PlaceColumn(grid, longitude, w)) return QueryStatus::StatusError;
    if (!cache.held || cache.window.centreRow != w.centreRow ||
        cache.window.centreColumn != w.centreColumn) {
        cache.held = false;
        if (reader.Open(grid) != QueryStatus::StatusOk ||
            reader.CheckRows(grid, columns, w.centreRow - 1, w.centreRow + 1) !=
                QueryStatus::StatusOk) {
            return QueryStatus::StatusError;
        }
        const WindowValues v = ReadWindow(grid, columns, w, reader);
        reader.Close();
        cache.held = true;
        cache.window = w;
        cache.implausible = Implausible(v);
        cache.terms = CoefficientsOf(v);
    }
    if (cache.implausible) return QueryStatus::StatusError;
    return frame::Deliver(static_cast<float>(NineTermValue(cache.terms, w.p, w.q)), result);
}

}  // namespace

QueryStatus InterpolateBiQuadratic(const GeoidGrid& grid, double latitude, double longitude,
                                   float& result, NodeReader& reader) {
    WindowCache cache;
    return BiQuadraticAt(grid, latitude, longitude, result, reader, cache);
}

void InterpolateBiQuadratic(const GeoidGrid& grid, std::span<const double> latitudes,
                            std::span<const double> longitudes, std::span<float> results,
                            std::span<QueryStatus> statuses, NodeReader& reader) {
    WindowCache cache;
    for (std::size_t k = 0; k < latitudes.size(); ++k) {
        double longitude = longitudes[k];
        if (longitude < 0.0) longitude += 360.0;
        statuses[k] = BiQuadraticAt(grid, latitudes[k], longitude, results[k], reader, cache);
    }
}

namespace {

// A lattice's longitude, shifted and placed once for all its rows. `window` indexes the
// windows of the row being computed; -1 where the longitude is outside the grid or cannot be
// placed (its crossings go point by point).
struct PlacedLongitude {
    double longitude = 0.0;
    std::int32_t window = -1;
    double p = 0.0;
};

// The windows of one row of nodes, one per distinct centre column of the lattice's longitudes
// (in their order), read and turned into their terms together.
class WindowRow {
public:
    explicit WindowRow(std::vector<std::int32_t> centreColumns)
        : centreColumns_(std::move(centreColumns)),
          terms_(centreColumns_.size()),
          implausible_(centreColumns_.size()) {}

    /// Makes the windows centred on node row `centreRow` the row's, reading them unless they
    /// already are; false (the reader's message given) when the rows cannot be read.
    bool Hold(const GeoidGrid& grid, std::int64_t columns, std::int32_t centreRow,
              NodeReader& reader) {
        if (held_ && centreRow_ == centreRow) return true;
        held_ = false;
        if (reader.Open(grid) != QueryStatus::StatusOk) return false;
        if (reader.CheckRows(grid, columns, centreRow - 1, centreRow + 1) != QueryStatus::StatusOk)
            return false;
        Window w;
        w.centreRow = centreRow;
        for (std::size_t k = 0; k < centreColumns_.size(); ++k) {
            w.centreColumn = centreColumns_[k];
            const WindowValues v = ReadWindow(grid, columns, w, reader);
            implausible_[k] = Implausible(v);
            terms_[k] = CoefficientsOf(v);
        }
        reader.Close();
        held_ = true;
        centreRow_ = centreRow;
        return true;
    }

    /// The point at offsets (p, q) in window `k` of the held row, as BiQuadraticAt delivers it.
    QueryStatus At(std::int32_t k, double p, double q, float& result) const {
        result = kResultPreset;
        const auto slot = static_cast<std::size_t>(k);
        if (implausible_[slot]) return QueryStatus::StatusError;
        return frame::Deliver(static_cast<float>(NineTermValue(terms_[slot], p, q)), result);
    }

private:
    std::vector<std::int32_t> centreColumns_;
    std::vector<NineTerms> terms_;
    std::vector<char> implausible_;
    bool held_ = false;
    std::int32_t centreRow_ = 0;
};

// The longitudes shifted as ComputeUndulation shifts them and placed in their windows' columns;
// `centreColumns` gets each new window column in turn.
std::vector<PlacedLongitude> PlaceLongitudes(const GeoidGrid& grid, bool usable,
                                             std::span<const double> longitudes,
                                             std::vector<std::int32_t>& centreColumns) {
    std::vector<PlacedLongitude> placed(longitudes.size());
    for (std::size_t c = 0; c < longitudes.size(); ++c) {
        double longitude = longitudes[c];
        if (longitude < 0.0) longitude += 360.0;
        placed[c].longitude = longitude;
        if (!usable || !(longitude >= grid.lonMin && longitude <= grid.lonMax)) continue;
        if (longitude == grid.lonMax) longitude -= frame::kEdgeNudge;
        Window w;
        if (!PlaceColumn(grid, longitude, w)) continue;
        if (centreColumns.empty() || centreColumns.back() != w.centreColumn)
            centreColumns.push_back(w.centreColumn);
        placed[c].window = static_cast<std::int32_t>(centreColumns.size() - 1);
        placed[c].p = w.p;
    }
    return placed;
}

}  // namespace

void InterpolateBiQuadraticLattice(const GeoidGrid& grid, std::span<const double> latitudes,
                                   std::span<const double> longitudes, std::span<float> results,
                                   std::span<QueryStatus> statuses, NodeReader& reader) {
    const std::size_t width = longitudes.size();
    const std::int64_t columns = WindowColumns(grid);
    const bool usable = frame::SpacingsPositive(grid) && columns != 0;
    const double margin = grid.latSpacing / kPolarMarginDivisor;
    std::vector<std::int32_t> centreColumns;
    const std::vector<PlacedLongitude> placed =
        PlaceLongitudes(grid, usable, longitudes, centreColumns);
    WindowRow windows(std::move(centreColumns));
    WindowCache cache;  // for the crossings that go point by point
    for (std::size_t r = 0; r < latitudes.size(); ++r) {
        const double latitude = latitudes[r];
        float* out = results.data() + r * width;
        QueryStatus* status = statuses.data() + r * width;
        // A row inside the grid and off the polar margins, placed and with its windows read,
        // takes them; any other row, and a longitude that took none, go point by point.
        Window row;
        const bool regular = usable && latitude >= grid.latMin + margin &&
                             latitude <= grid.latMax - margin && latitude >= grid.latMin &&
                             latitude <= grid.latMax && PlaceRow(grid, latitude, row) &&
                             windows.Hold(grid, columns, row.centreRow, reader);
        for (std::size_t c = 0; c < width; ++c) {
            const PlacedLongitude& place = placed[c];
            status[c] = regular && place.window >= 0
                            ? windows.At(place.window, place.p, row.q, out[c])
                            : BiQuadraticAt(grid, latitude, place.longitude, out[c], reader, cache);
        }
    }
}

QueryStatus InterpolateBiQuadratic(const GeoidGrid& grid, double latitude, double longitude,
                                   float& result, Notifier& notifier) {
    GridFileReader reader(notifier);
    return InterpolateBiQuadratic(grid, latitude, longitude, result, reader);
}

}  // namespace egm2008::engine
