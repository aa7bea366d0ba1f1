// Helpers of the engine tests alone: a NodeReader that records which nodes a
// routine reads, the routines called directly, and checks over all four methods.
// Scratch folders, grid files and the recording notifier come from tests/support.
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
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/recording_notifier.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008::test {

// The engine's tests and their helpers name the engine's types as their own.
using namespace engine;

/// Writes a full grid of this spacing (1/6, 1/24, 1/60 or 0.5 degrees) into `dir`
/// and returns its descriptor.
GeoidGrid WriteTestGrid(const ScratchFolder& dir, double spacing, bool bigEndian,
                        const NodeFunction& value);

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

}  // namespace egm2008::test
