// Helpers shared by the engine tests: grid files written by the test (with
// record markers, in either byte order, from a function of row and column),
// full-size files of zeros with values poked in at given byte offsets, a
// Notifier that records what it is told and a NodeReader that records which
// nodes a routine reads.
//
// The layout is written here from the file format alone (marker, C values,
// marker per row, rows from 90 N), not from the engine's own helpers, so that
// a fault in the engine's addressing shows up as a wrong value.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/node_reader.hpp"
#include "engine/notifier.hpp"
#include "engine/query_routines.hpp"

namespace egm2008::test {

/// Value of node (row, column).
using NodeFunction = std::function<float(std::int32_t row, std::int32_t column)>;

/// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    /// `path()/name`.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

/// Rows and stored columns of a grid over -90..90 x 0..360 with this spacing in degrees.
struct Shape {
    std::int64_t rows;
    std::int64_t columns;
};
inline constexpr Shape kShape10 = {1081, 2160};
inline constexpr Shape kShape2_5 = {4321, 8640};
inline constexpr Shape kShape1 = {10801, 21600};
inline constexpr Shape kShapeHalfDegree = {361, 720};

/// Writes a grid file: per row a marker 4*columns, the row's values, the marker again.
void WriteGrid(const std::string& path, Shape shape, bool bigEndian, const NodeFunction& value);

/// Writes a grid file of the full length, every record marker right and every node
/// 0.0, all of it written out (no hole); values go in with PokeFloat.
void WriteZeroGrid(const std::string& path, Shape shape, bool bigEndian);

/// Writes `value` at byte `offset` of an existing file in the given byte order.
void PokeFloat(const std::string& path, std::int64_t offset, float value, bool bigEndian);

/// Writes raw bytes at `offset` of an existing file.
void PokeBytes(const std::string& path, std::int64_t offset,
               const std::vector<unsigned char>& bytes);

/// A descriptor for a test grid file: defaults, with path, byte order and spacing set.
/// `lastColumn` follows the spacing (719 for 0.5 degrees, which no GridSize gives).
GeoidGrid MakeGrid(const std::string& path, double spacing, bool bigEndian);

/// The 10' grid descriptor of a file.
inline GeoidGrid MakeGrid10(const std::string& path, bool bigEndian = false) {
    return MakeGrid(path, 1.0 / 6.0, bigEndian);
}

/// Writes a full grid of this spacing (1/6, 1/24, 1/60 or 0.5 degrees) into `dir`
/// and returns its descriptor.
GeoidGrid WriteTestGrid(const TempDir& dir, double spacing, bool bigEndian,
                        const NodeFunction& value);

/// Records every notice.
class RecordingNotifier final : public Notifier {
public:
    void Notify(const std::string& text, NoticeIcon icon) override {
        notices.emplace_back(text, icon);
    }
    std::vector<std::pair<std::string, NoticeIcon>> notices;
};

/// One node read by a routine.
struct NodeRead {
    std::int32_t row;
    std::int32_t column;
    bool operator==(const NodeRead&) const = default;
};

/// Answers reads from a node function (or passes them to another reader) and
/// records them. Open answers `openStatus` without a message.
class RecordingReader final : public NodeReader {
public:
    explicit RecordingReader(NodeFunction value) : value_(std::move(value)) {}
    explicit RecordingReader(NodeReader& inner) : inner_(&inner) {}

    QueryStatus Open(const GeoidGrid& grid) override;
    float ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                   std::int32_t c) override;
    void Close() override;
    QueryStatus CheckRows(const GeoidGrid& grid, std::int64_t columns, std::int32_t firstRow,
                          std::int32_t lastRow) override;

    QueryStatus openStatus = QueryStatus::StatusOk;
    int opens = 0;
    int closes = 0;
    std::vector<NodeRead> reads;
    std::vector<float> values;               ///< what each read delivered
    std::vector<std::int64_t> columnCounts;  ///< the `columns` of each read

private:
    NodeFunction value_;
    NodeReader* inner_ = nullptr;
};

/// Calls the routine of `method` (0..3) directly, without ComputeUndulation's longitude shift.
QueryStatus RunRoutine(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                       double longitude, float& result, NodeReader& reader);
QueryStatus RunRoutine(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                       double longitude, float& result, Notifier& notifier);

/// What a failed query leaves in a result that held `before`: the preset 9999.999 for
/// the nearest and bi-quadratic routines, `before` for the other two.
float ResultAfterFailure(InterpolationMethod method, float before);

/// The four methods, for tables over all of them.
inline constexpr InterpolationMethod kMethods[] = {
    InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear,
    InterpolationMethod::Triangulation, InterpolationMethod::NearestNeighbour};

/// "BiQuadratic", "BiLinear", "Triangulation", "NearestNeighbour" (for test names).
std::string MethodName(InterpolationMethod method);

/// The bits of a float, for exact comparisons that also hold for NaN.
std::uint32_t Bits(float value);

/// Checks, for every method, that points one rounding step inside the 360 meridian
/// or the south pole, whose cell index rounds one past the last column or row, give
/// StatusOk and the very bits of the bound itself (and never the record markers).
void ExpectRoundingStepIsTheBound(const GeoidGrid& grid);

/// The real grids' folder (EGM2008_GRID_DIR) and one of its files.
std::string RealGridPath(const std::string& name);

}  // namespace egm2008::test
