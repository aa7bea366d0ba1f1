// The colour map: the cool-warm scale, the colour bar's ticks, the graticule's
// step, the lattice resampled into the picture, the layout and the font.
#include "tasks/lattice/formats/colour_map.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace egm2008 {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct ColourCase {
    double t;
    Rgb colour;
};

TEST(CoolWarm, EndsAreMorelandsColoursAndTheCentreIsGrey) {
    const ColourCase cases[] = {{0.0, {59, 76, 192}}, {1.0, {180, 4, 38}}, {0.5, {221, 221, 221}}};
    for (const ColourCase& c : cases) {
        const Rgb colour = CoolWarm(c.t);
        EXPECT_EQ(colour, c.colour) << "t=" << c.t << " gives " << int(colour.r) << ","
                                    << int(colour.g) << "," << int(colour.b);
    }
}

TEST(CoolWarm, LightnessRisesToTheCentreAndFallsAfterIt) {
    const auto light = [](double t) {
        const Rgb c = CoolWarm(t);
        return c.r + c.g + c.b;
    };
    for (double t = 0.0; t < 0.49; t += 0.05) EXPECT_LT(light(t), light(t + 0.05)) << t;
    for (double t = 0.5; t < 0.99; t += 0.05) EXPECT_GT(light(t), light(t + 0.05)) << t;
    // Blue below the centre, red above it.
    EXPECT_GT(CoolWarm(0.3).b, CoolWarm(0.3).r);
    EXPECT_GT(CoolWarm(0.7).r, CoolWarm(0.7).b);
}

TEST(DivergingScale, ClampsBeyondTheLimitsAndGreysMissingNodes) {
    const DivergingScale scale(50.0);
    EXPECT_EQ(scale(-50.0f), CoolWarm(0.0));
    EXPECT_EQ(scale(-80.0f), CoolWarm(0.0));
    EXPECT_EQ(scale(0.0f), CoolWarm(0.5));
    EXPECT_EQ(scale(120.0f), CoolWarm(1.0));
    EXPECT_EQ(scale(kNaN), kMissingColour);
}

struct TicksCase {
    double largest;
    double limit;
    double step;
};

TEST(NiceTicks, StepIsOneTwoOrFiveAndTheLimitAWholeNumberOfSteps) {
    const TicksCase cases[] = {{107.0, 150.0, 50.0}, {85.0, 100.0, 50.0}, {0.3, 0.3, 0.1},
                               {4.0, 4.0, 1.0},      {1.01, 1.5, 0.5},    {0.0, 1.0, 0.5},
                               {kNaN, 1.0, 0.5}};
    for (const TicksCase& c : cases) {
        const ScaleTicks ticks = NiceTicks(c.largest);
        EXPECT_DOUBLE_EQ(ticks.limit, c.limit) << c.largest;
        EXPECT_DOUBLE_EQ(ticks.step, c.step) << c.largest;
    }
}

TEST(GraticuleStep, GivesAtMostTwelveLinesAcross) {
    const std::pair<double, double> cases[] = {{360.0, 30.0}, {180.0, 15.0}, {20.0, 2.0},
                                               {8.0, 1.0},    {0.5, 0.05},   {1000.0, 90.0}};
    for (const auto& [span, step] : cases) EXPECT_DOUBLE_EQ(GraticuleStep(span), step) << span;
}

struct ResampleCase {
    const char* name;
    std::uint64_t rows, columns;
    int longSide;
    int width, height;
    // Pixel (x, y) and its expected value, NaN for missing.
    std::vector<std::tuple<int, int, float>> pixels;
};

// Node (r, c) holds 10 r + c, except the nodes of row 0 from column 4 on and
// nodes (1, 4) and (1, 5): NaN.
float NodeValue(std::uint64_t r, std::uint64_t c) {
    if ((r == 0 && c >= 4) || (r == 1 && (c == 4 || c == 5))) return kNaN;
    return static_cast<float>(10 * r + c);
}

class MapResampling : public ::testing::TestWithParam<ResampleCase> {};

TEST_P(MapResampling, PixelsHoldTheMeanOfTheirComputableNodes) {
    const ResampleCase& c = GetParam();
    MapAccumulator map(c.longSide);
    ASSERT_TRUE(map.Begin({c.rows, c.columns, -1.0, 10.0, 0.5, 0.25}));
    std::vector<float> row(c.columns);
    for (std::uint64_t r = 0; r < c.rows; ++r) {
        for (std::uint64_t k = 0; k < c.columns; ++k) row[k] = NodeValue(r, k);
        ASSERT_TRUE(map.Row(r, row));
    }
    ASSERT_TRUE(map.Finish(true));
    ASSERT_EQ(map.width(), c.width);
    ASSERT_EQ(map.height(), c.height);
    for (const auto& [x, y, value] : c.pixels) {
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(map.Value(x, y))) << x << "," << y;
        } else {
            EXPECT_FLOAT_EQ(map.Value(x, y), value) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, MapResampling,
    ::testing::Values(
        ResampleCase{"NodePerPixel", 3, 6, 4096, 6, 3, {{0, 0, 0}, {5, 2, 25}, {4, 0, kNaN}}},
        ResampleCase{"TwoByTwo", 4, 8, 4, 4, 2, {{0, 0, 5.5f}, {1, 1, 27.5f}, {2, 0, kNaN}}},
        // Two NaN nodes of four: the mean of the other two.
        ResampleCase{"NanIgnored", 4, 8, 4, 4, 2, {{3, 0, 16.5f}, {2, 1, 29.5f}}},
        // Three columns into two pixels: columns 0 and 1, then 2.
        ResampleCase{"UnevenColumns", 2, 3, 2, 2, 1, {{0, 0, 5.5f}, {1, 0, 7.0f}}},
        // A long thin lattice keeps a pixel on its short side.
        ResampleCase{"ThinStrip", 1, 5000, 100, 100, 1, {{0, 0, 1.5f}, {1, 0, kNaN}}}),
    [](const ::testing::TestParamInfo<ResampleCase>& p) { return std::string(p.param.name); });

TEST(MapAccumulator, PlacesAndLargestMagnitude) {
    MapAccumulator map(2);
    // Two rows of four nodes: 1 N and 0.5 N, 10 E to 10.75 E; two pixels a row of two nodes.
    ASSERT_TRUE(map.Begin({2, 4, 0.5, 10.0, 0.5, 0.25}));
    const float north[] = {1.0f, -7.5f, kNaN, 2.0f};
    const float south[] = {3.0f, 4.0f, 5.0f, 6.0f};
    ASSERT_TRUE(map.Row(0, north));
    ASSERT_TRUE(map.Row(1, south));
    ASSERT_TRUE(map.Finish(true));
    ASSERT_EQ(map.width(), 2);
    ASSERT_EQ(map.height(), 1);
    EXPECT_DOUBLE_EQ(map.largestMagnitude(), 7.5);
    const MapPlace place = map.PlaceOf(1, 0);
    EXPECT_DOUBLE_EQ(place.latitude, 0.75);
    EXPECT_DOUBLE_EQ(place.longitude, 10.625);
    EXPECT_FLOAT_EQ(map.Value(1, 0), (2.0f + 5.0f + 6.0f) / 3);
}

TEST(LayoutMap, PartsLieInsideThePictureWithoutOverlap) {
    const std::string title = "EGM2008 GEOID UNDULATION N [M]";
    const std::pair<int, int> sizes[] = {{3, 2}, {361, 181}, {2161, 1081}, {4096, 2048}, {1, 900}};
    for (const auto& [w, h] : sizes) {
        const MapLayout l = LayoutMap(w, h, title);
        EXPECT_GE(l.mapX, 0) << w;
        EXPECT_LE(l.mapX + w, l.width) << w;
        EXPECT_GE(l.mapY, kGlyphHeight * l.textScale) << w;  // below the title
        EXPECT_GE(l.barY, l.mapY + h) << w;
        EXPECT_GE(l.barX, 0) << w;
        EXPECT_LE(l.barX + l.barWidth, l.width) << w;
        EXPECT_LT(l.barY + l.barHeight, l.height) << w;
        EXPECT_LE(TextWidth(title, l.textScale), l.width) << w;
    }
}

TEST(BitmapFont, EveryGlyphIsDrawnAndNoTwoAlike) {
    const std::string characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,-+':()/=[]";
    std::set<std::vector<std::uint8_t>> seen;
    for (const char c : characters) {
        RgbImage image(5, 7, {255, 255, 255});
        DrawText(image, 0, 0, std::string(1, c), 1, {0, 0, 0});
        EXPECT_NE(image.bytes, RgbImage(5, 7, {255, 255, 255}).bytes) << c << " is blank";
        EXPECT_TRUE(seen.insert(image.bytes).second) << c << " looks like another glyph";
    }
    // Lower case is drawn as upper case.
    RgbImage lower(5, 7, {255, 255, 255}), upper(5, 7, {255, 255, 255});
    DrawText(lower, 0, 0, "m", 1, {0, 0, 0});
    DrawText(upper, 0, 0, "M", 1, {0, 0, 0});
    EXPECT_EQ(lower.bytes, upper.bytes);
}

}  // namespace
}  // namespace egm2008
