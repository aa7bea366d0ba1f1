// ComputeUndulation: the +360 shift of a negative longitude and the dispatch
// by method (every value other than 0, 2 and 3 is bi-linear).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <string>

#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::NodeRead;

float Smooth(std::int32_t r, std::int32_t c) {
    return static_cast<float>(std::cos(r * 0.05) * 30.0 + std::sin(c * 0.02) * 20.0);
}

struct ShiftCase {
    const char* name;
    double longitude;
    QueryStatus status;
    std::vector<NodeRead> reads;  // bi-linear corners at 10 N
};

class LongitudeShiftTest : public testing::TestWithParam<ShiftCase> {};

TEST_P(LongitudeShiftTest, NegativeLongitudesAreShiftedOnce) {
    const ShiftCase& c = GetParam();
    test::RecordingReader reader(Smooth);
    float result = -8888.0f;
    EXPECT_EQ(ComputeUndulation(GeoidGrid{}, InterpolationMethod::BiLinear, 10.0, c.longitude,
                                result, reader),
              c.status);
    EXPECT_EQ(reader.reads, c.reads);
}

INSTANTIATE_TEST_SUITE_P(
    TenMinutes, LongitudeShiftTest,
    testing::Values(
        // -0.1 becomes 359.9: the last column, whose eastern neighbour is column 0.
        ShiftCase{"MinusATenthIntoTheLastColumn",
                  -0.1,
                  QueryStatus::StatusOk,
                  {{481, 2159}, {481, 0}, {480, 2159}, {480, 0}}},
        ShiftCase{"Minus360BecomesZero",
                  -360.0,
                  QueryStatus::StatusOk,
                  {{481, 0}, {481, 1}, {480, 0}, {480, 1}}},
        ShiftCase{"Plus360IsPassedUnchanged",
                  360.0,
                  QueryStatus::StatusOk,
                  {{481, 2159}, {481, 0}, {480, 2159}, {480, 0}}},
        ShiftCase{"ZeroIsNotShifted",
                  0.0,
                  QueryStatus::StatusOk,
                  {{481, 0}, {481, 1}, {480, 0}, {480, 1}}},
        ShiftCase{"Minus400StaysOutside", -400.0, QueryStatus::StatusOutside, {}},
        ShiftCase{"JustBelowMinus360StaysOutside", -360.000001, QueryStatus::StatusOutside, {}}),
    [](const testing::TestParamInfo<ShiftCase>& p) { return std::string(p.param.name); });

TEST(ComputeUndulation, WestLongitudesGiveTheRoutinesResultAtLongitudePlus360) {
    std::mt19937 random(20240604);
    std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
    std::uniform_real_distribution<double> longitudes(-360.0, 0.0);
    for (int k = 0; k < 200; ++k) {
        const double latitude = latitudes(random);
        const double longitude = longitudes(random);
        for (InterpolationMethod method : test::kMethods) {
            test::RecordingReader viaDispatch(Smooth);
            test::RecordingReader direct(Smooth);
            float shifted = 0.0f;
            float expected = 0.0f;
            ASSERT_EQ(
                ComputeUndulation(GeoidGrid{}, method, latitude, longitude, shifted, viaDispatch),
                test::RunRoutine(method, GeoidGrid{}, latitude, longitude + 360.0, expected,
                                 direct));
            EXPECT_EQ(test::Bits(shifted), test::Bits(expected))
                << test::MethodName(method) << " at " << latitude << ", " << longitude;
            EXPECT_EQ(viaDispatch.reads, direct.reads);
        }
    }
}

struct DispatchCase {
    const char* name;
    std::int32_t method;
    InterpolationMethod routine;
};

class DispatchTest : public testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTest, MethodSelectsTheRoutine) {
    const DispatchCase& c = GetParam();
    // Points in the body of the grid, in the polar margin and at the seam.
    const double points[][2] = {{47.3, 8.55}, {-33.7, 151.2}, {89.95, 10.0}, {12.0, 359.95}};
    for (const auto& point : points) {
        test::RecordingReader viaDispatch(Smooth);
        test::RecordingReader direct(Smooth);
        float dispatched = -8888.0f;
        float expected = -8888.0f;
        EXPECT_EQ(ComputeUndulation(GeoidGrid{}, static_cast<InterpolationMethod>(c.method),
                                    point[0], point[1], dispatched, viaDispatch),
                  test::RunRoutine(c.routine, GeoidGrid{}, point[0], point[1], expected, direct));
        EXPECT_EQ(test::Bits(dispatched), test::Bits(expected)) << point[0] << ", " << point[1];
        EXPECT_EQ(viaDispatch.reads, direct.reads) << point[0] << ", " << point[1];
    }
    // The failure result is the selected routine's: preset or untouched.
    float result = -8888.0f;
    test::RecordingReader reader(Smooth);
    EXPECT_EQ(ComputeUndulation(GeoidGrid{}, static_cast<InterpolationMethod>(c.method), 91.0, 0.0,
                                result, reader),
              QueryStatus::StatusOutside);
    EXPECT_EQ(result, test::ResultAfterFailure(c.routine, -8888.0f));
}

INSTANTIATE_TEST_SUITE_P(
    Methods, DispatchTest,
    testing::Values(DispatchCase{"BiQuadratic0", 0, InterpolationMethod::BiQuadratic},
                    DispatchCase{"BiLinear1", 1, InterpolationMethod::BiLinear},
                    DispatchCase{"Triangulation2", 2, InterpolationMethod::Triangulation},
                    DispatchCase{"Nearest3", 3, InterpolationMethod::NearestNeighbour},
                    DispatchCase{"Four", 4, InterpolationMethod::BiLinear},
                    DispatchCase{"MinusOne", -1, InterpolationMethod::BiLinear},
                    DispatchCase{"Largest", INT_MAX, InterpolationMethod::BiLinear},
                    DispatchCase{"Smallest", INT_MIN, InterpolationMethod::BiLinear}),
    [](const testing::TestParamInfo<DispatchCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008::engine
