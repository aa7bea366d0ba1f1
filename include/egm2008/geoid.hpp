// EGM2008 geoid undulations from your own code.
//
// A Geoid is one EGM2008 undulation grid file (NGA's 10', 2.5' or 1' grid, either
// byte order), or the older models' one file each (EGM96: geotranz's "egm96.grd",
// 15'; EGM84: its "wwgrid.bin", 30'), opened, checked whole and mapped read-only
// once; its queries then read the mapping. N, the undulation, is the height of the geoid above the
// WGS84 ellipsoid in metres; an orthometric height H and an ellipsoidal height h are related by h =
// H + N.
//
// Units and ranges: latitudes and longitudes in decimal degrees on WGS84. Latitude
// -90..90; longitude -180..360 (a negative longitude is shifted by +360 once, so
// -180..0 and 180..360 name the same meridians). Undulations in metres (float,
// the grid's own precision); heights in metres (double).
//
// Tide system: the grids are tide-free, and so is N unless a Geoid is made for
// another system with withTideSystem(). Mean tide and zero tide add Ekman's (1989)
// correction, (1 + k)(0.099 - 0.296 sin^2 phi') and k(0.099 - 0.296 sin^2 phi')
// metres with k = 0.3 and phi' the point's geocentric latitude on WGS84: +0.1287 m
// at the equator and -0.2561 m at the poles for mean tide. The correction is added
// in double; undulation() and undulations() round the sum to float, orthometric()
// and ellipsoidal() use it in double.
//
// Failures: opening throws egm2008::Error (a std::runtime_error) whose what() is the
// message the egm2008 command line prints for the same file, without its "egm2008: "
// prefix (the lines made one). A point outside the ranges above (NaN included) or at a
// node the grid marks as implausible answers QueryStatus::Outside and NaN; queries
// throw nothing else. Arguments the interface cannot mean are refused with
// std::invalid_argument: a GridSize, ByteOrder or Method that is none of its
// enumerators (Method(42)) is never taken for a default, a path holding a null
// character is never cut short at it, and batches must have one size.
//
// Thread safety: a Geoid is immutable once open. Any number of threads may query one
// Geoid, or copies of it, at once; copies share the one mapping, which is released
// when the last copy goes. Opening reads the file system and the environment only.
//
// Build against it with find_package(EGM2008 CONFIG) and the target EGM2008::geoid,
// or with pkg-config's "egm2008" (C++20).
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#if defined(EGM2008_GEOID_BUILDING)
#define EGM2008_API __attribute__((visibility("default")))
#else
#define EGM2008_API
#endif

namespace egm2008 {
// The version of this interface; it changes with the library's SONAME.
inline namespace v1 {

/// The three published grids: 10', 2.5' and 1' between nodes.
enum class GridSize : std::int32_t { Grid10x10, Grid2_5x2_5, Grid1x1 };

/// Byte order of the grid file's 32-bit words.
enum class ByteOrder : std::int32_t { Little, Big };

/// The geoid models: EGM2008, and the older EGM96 and EGM84.
enum class Model : std::int32_t { Egm2008, Egm96, Egm84 };

/// Interpolation between the grid's nodes.
enum class Method : std::int32_t {
    BiQuadratic,    ///< 3x3 nodes around the nearest node (bi-linear within a row of a pole)
    BiLinear,       ///< the four corners of the point's cell
    Triangulation,  ///< the plane through the three cell corners nearest to the point
    Nearest,        ///< the value of the nearest node
};

/// The tide system of N (see the top of this header).
enum class TideSystem : std::int32_t {
    TideFree,  ///< the grids' own: no permanent tide
    MeanTide,  ///< the permanent tide kept
    ZeroTide,  ///< the permanent tide's indirect effect kept
};

/// Metres to add to a tide-free N at latitude `lat` (degrees) to have it in `system`;
/// exactly 0 for TideFree. Throws std::invalid_argument for a `system` that is none of
/// TideSystem's enumerators.
EGM2008_API double tideCorrection(TideSystem system, double lat);

/// How a query ended.
enum class QueryStatus : std::int32_t {
    Ok,       ///< `metres` holds N
    Outside,  ///< the point is outside the ranges, or the grid marks a node it needs as implausible
    Error,    ///< the grid could not be read (not given by an open Geoid)
};

/// One undulation.
struct Result {
    QueryStatus status = QueryStatus::Error;
    float metres = std::numeric_limits<float>::quiet_NaN();  ///< N; NaN unless status is Ok
    bool ok() const { return status == QueryStatus::Ok; }
};

/// What an open Geoid is.
struct GeoidInfo {
    std::string path;                     ///< the file opened (a grid name resolved to its file)
    GridSize size = GridSize::Grid10x10;  ///< an EGM2008 grid's; Grid10x10 for the older models
    ByteOrder byteOrder = ByteOrder::Little;  ///< Big for the older models' files
    Model model = Model::Egm2008;
    std::string title;  ///< what the grid is called: "EGM2008 2.5'", "EGM96 15'", "EGM84 30'"
};

/// A grid file that cannot be opened, fits none of the three grids, is not the one
/// asked for, or is damaged inside (a wrong record marker, a hole).
class EGM2008_API Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    /// `systemError`: the errno of the system call that failed (ENOENT, EACCES, ...).
    Error(const std::string& what, int systemError);
    ~Error() override;
    /// The errno of the failed system call behind the failure; 0 when the file itself is at
    /// fault (a length or record marker of no grid, a name found nowhere).
    int systemError() const noexcept { return systemError_; }

private:
    int systemError_ = 0;
};

/// An open EGM2008 grid. Cheap to copy; see the top of this header for thread safety. A
/// Geoid moved from may only be assigned to or destroyed.
class EGM2008_API Geoid {
public:
    /// Opens a grid file given by its path or by a grid name: "10", "2.5" or "1", optionally
    /// with "-le" or "-be", looked up by NGA's file names in each folder of
    /// $EGM2008_GRID_PATH (colon-separated), ${XDG_DATA_HOME:-~/.local/share}/egm2008,
    /// /usr/local/share/egm2008 and /usr/share/egm2008 (a file of that name in the working
    /// directory is a path and wins). Its size and byte order are recognised from the file's
    /// length and record markers; every record marker is checked. A file under a name's NGA
    /// file name that is not that name's grid is passed over. A model's name, "egm2008",
    /// "egm96" or "egm84", opens that model's grid from the same folders: EGM2008's 10' grid
    /// (as "10"; the three-argument open names the size and byte order), the file "egm96.grd" or
    /// "wwgrid.bin" of the older two. A path to one of those two files is recognised as its
    /// model's, by its length (and EGM96's header). Throws Error; std::invalid_argument for a path
    /// holding a null character.
    static Geoid open(const std::string& pathOrName);
    /// Opens a grid file that must be of `size` and `byteOrder`; throws Error when it is not
    /// (an older model's grid never is), std::invalid_argument when `size` or `byteOrder` is
    /// none of its enumerators.
    static Geoid open(const std::string& pathOrName, GridSize size, ByteOrder byteOrder);

    /// N at (lat, lon) in metres, bit for bit what the egm2008 tools compute with `method`.
    /// Throws std::invalid_argument only for a `method` that is none of Method's enumerators.
    Result undulation(double lat, double lon, Method method = Method::BiLinear) const;

    /// N at each (lat[k], lon[k]) into out[k], NaN where it cannot be computed. Throws
    /// std::invalid_argument, writing nothing, unless the three spans have one size and
    /// `method` is one of Method's enumerators.
    /// Faster per point than undulation() on large batches; runs on the calling thread.
    void undulations(std::span<const double> lat, std::span<const double> lon, std::span<float> out,
                     Method method = Method::BiLinear) const;

    /// The orthometric height H = h - N of the ellipsoidal height `h` (metres); NaN when N
    /// cannot be computed. Throws as undulation() does.
    double orthometric(double h, double lat, double lon, Method method = Method::BiLinear) const;
    /// The ellipsoidal height h = H + N of the orthometric height `H` (metres); NaN when N
    /// cannot be computed. Throws as undulation() does.
    double ellipsoidal(double H, double lat, double lon, Method method = Method::BiLinear) const;

    /// The file, its size, its byte order and its model.
    const GeoidInfo& info() const noexcept;

    /// This grid giving N in `system`; it shares this Geoid's mapping. Throws
    /// std::invalid_argument when `system` is none of TideSystem's enumerators.
    Geoid withTideSystem(TideSystem system) const;
    /// The system of N: TideFree for a Geoid as opened.
    TideSystem tideSystem() const noexcept;

private:
    struct Grid;
    // N in this Geoid's tide system, the correction in double; NaN when none.
    double undulationInDouble(double lat, double lon, Method method) const;
    struct Impl;
    explicit Geoid(std::shared_ptr<const Impl> impl);
    std::shared_ptr<const Impl> impl_;
};

}  // namespace v1
}  // namespace egm2008
