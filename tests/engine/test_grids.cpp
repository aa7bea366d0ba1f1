#include "tests/engine/test_grids.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <stdexcept>

namespace egm2008::test {

using namespace engine;

GeoidGrid WriteTestGrid(const ScratchFolder& dir, double spacing, bool bigEndian,
                        const NodeFunction& value) {
    return WriteSmallGrid(dir.File(bigEndian ? "grid_be" : "grid_le"), spacing, bigEndian, value);
}

QueryStatus RecordingReader::Open(const GeoidGrid& grid) {
    ++opens;
    if (inner_ != nullptr) return inner_->Open(grid);
    return openStatus;
}

float RecordingReader::ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                                std::int32_t c) {
    reads.push_back({r, c});
    columnCounts.push_back(columns);
    const float v = inner_ != nullptr ? inner_->ReadNode(grid, columns, r, c) : value_(r, c);
    values.push_back(v);
    return v;
}

void RecordingReader::Close() {
    ++closes;
    if (inner_ != nullptr) inner_->Close();
}

QueryStatus RecordingReader::CheckRows(const GeoidGrid& grid, std::int64_t columns,
                                       std::int32_t firstRow, std::int32_t lastRow) {
    if (inner_ != nullptr) return inner_->CheckRows(grid, columns, firstRow, lastRow);
    return QueryStatus::StatusOk;
}

namespace {
template <typename Access>
QueryStatus Run(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                double longitude, float& result, Access& access) {
    switch (method) {
        case InterpolationMethod::BiQuadratic:
            return InterpolateBiQuadratic(grid, latitude, longitude, result, access);
        case InterpolationMethod::BiLinear:
            return InterpolateBiLinear(grid, latitude, longitude, result, access);
        case InterpolationMethod::Triangulation:
            return InterpolateTriangulation(grid, latitude, longitude, result, access);
        case InterpolationMethod::NearestNeighbour:
            return LookupNearest(grid, latitude, longitude, result, access);
    }
    throw std::invalid_argument("no routine for this method");
}
}  // namespace

QueryStatus RunRoutine(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                       double longitude, float& result, NodeReader& reader) {
    return Run(method, grid, latitude, longitude, result, reader);
}

QueryStatus RunRoutine(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                       double longitude, float& result, Notifier& notifier) {
    return Run(method, grid, latitude, longitude, result, notifier);
}

float ResultAfterFailure(InterpolationMethod method, float before) {
    const bool presets = method == InterpolationMethod::BiQuadratic ||
                         method == InterpolationMethod::NearestNeighbour;
    return presets ? 9999.999f : before;
}

std::string MethodName(InterpolationMethod method) {
    switch (method) {
        case InterpolationMethod::BiQuadratic: return "BiQuadratic";
        case InterpolationMethod::BiLinear: return "BiLinear";
        case InterpolationMethod::Triangulation: return "Triangulation";
        case InterpolationMethod::NearestNeighbour: return "NearestNeighbour";
    }
    return "Method" + std::to_string(static_cast<int>(method));
}

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

void ExpectRoundingStepIsTheBound(const GeoidGrid& grid) {
    struct Case {
        double latitude, longitude;  // the point as a computation delivers it
        double boundLatitude, boundLongitude;
    };
    const double belowLon = std::nextafter(360.0, 0.0);  // 359.99999999999994
    const double aboveLat = std::nextafter(-90.0, 0.0);  // -89.99999999999999
    const Case cases[] = {{52.5, belowLon, 52.5, 360.0},
                          {aboveLat, 200.0, -90.0, 200.0},
                          {aboveLat, belowLon, -90.0, 360.0}};
    RecordingNotifier notifier;
    for (const InterpolationMethod method : kMethods) {
        for (const Case& c : cases) {
            SCOPED_TRACE(MethodName(method) + " at " + std::to_string(c.latitude) + ", " +
                         std::to_string(c.longitude));
            float atPoint = -1.0f;
            float atBound = -2.0f;
            EXPECT_EQ(RunRoutine(method, grid, c.latitude, c.longitude, atPoint, notifier),
                      QueryStatus::StatusOk);
            ASSERT_EQ(
                RunRoutine(method, grid, c.boundLatitude, c.boundLongitude, atBound, notifier),
                QueryStatus::StatusOk);
            EXPECT_EQ(Bits(atPoint), Bits(atBound));
        }
        // A west longitude a hair below 0 becomes such a point after the +360.
        float shifted = -1.0f;
        float atBound = -2.0f;
        EXPECT_EQ(ComputeUndulation(grid, method, 52.5, -5.684341886080802e-14, shifted, notifier),
                  QueryStatus::StatusOk);
        RunRoutine(method, grid, 52.5, 360.0, atBound, notifier);
        EXPECT_EQ(Bits(shifted), Bits(atBound));
    }
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace egm2008::test
