// The colour map: the cool-warm and sequential scales, the colours of a
// legend, the graticule's step, the lattice resampled into the picture, the
// layout, coastlines and points drawn, and the font.
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

TEST(Sequential, RunsFromDarkVioletToYellowGettingLighter) {
    EXPECT_EQ(Sequential(0.0), (Rgb{68, 1, 84}));
    EXPECT_EQ(Sequential(0.5), (Rgb{33, 145, 140}));
    EXPECT_EQ(Sequential(1.0), (Rgb{253, 231, 37}));
    const auto light = [](double t) {
        const Rgb c = Sequential(t);
        return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
    };
    for (double t = 0.0; t < 0.99; t += 0.05) EXPECT_LT(light(t), light(t + 0.05)) << t;
}

// A legend's limits as FitColourLegend would give them.
ColourLegend Legend(ColourFit fit, double lower, double upper) {
    ColourLegend legend;
    legend.fit = fit;
    legend.ticks.lower = lower;
    legend.ticks.upper = upper;
    return legend;
}

struct ScaleCase {
    const char* name;
    ColourLegend legend;
    float value;
    Rgb colour;
};

TEST(ColourScale, MapsTheLimitsToTheEndsClampsBeyondAndGreysMissingNodes) {
    const ColourLegend symmetric = Legend(ColourFit::Symmetric, -50.0, 50.0);
    const ColourLegend fitted = Legend(ColourFit::Fitted, 40.0, 50.0);
    const ScaleCase cases[] = {
        {"SymmetricLower", symmetric, -50.0f, CoolWarm(0.0)},
        {"SymmetricBelow", symmetric, -80.0f, CoolWarm(0.0)},
        {"SymmetricZeroIsTheCentre", symmetric, 0.0f, CoolWarm(0.5)},
        {"SymmetricAbove", symmetric, 120.0f, CoolWarm(1.0)},
        {"FittedLower", fitted, 40.0f, Sequential(0.0)},
        {"FittedMiddle", fitted, 45.0f, Sequential(0.5)},
        {"FittedUpper", fitted, 50.0f, Sequential(1.0)},
        {"FittedBelow", fitted, 0.0f, Sequential(0.0)},
        {"MissingSymmetric", symmetric, kNaN, kMissingColour},
        {"MissingFitted", fitted, kNaN, kMissingColour},
    };
    for (const ScaleCase& c : cases) {
        const Rgb colour = ColourScale(c.legend)(c.value);
        EXPECT_EQ(colour, c.colour) << c.name;
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

TEST(MapAccumulator, PlacesRangeAndFrame) {
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
    EXPECT_DOUBLE_EQ(map.range().least, -7.5);
    EXPECT_DOUBLE_EQ(map.range().most, 6.0);
    EXPECT_EQ(map.range().count, 7u);  // the NaN node is not counted
    // Half a step beyond the outer nodes: 0.25 S to 1.25 N, 9.875 E to 10.875 E.
    const MapFrame frame = map.frame();
    EXPECT_DOUBLE_EQ(frame.box.south, 0.25);
    EXPECT_DOUBLE_EQ(frame.box.north, 1.25);
    EXPECT_DOUBLE_EQ(frame.box.west, 9.875);
    EXPECT_DOUBLE_EQ(frame.box.east, 10.875);
    EXPECT_DOUBLE_EQ(frame.width, 2.0);
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

// Fault it would catch: coastlines drawn in another frame than the map's, or
// drawn when none were asked for.
TEST(RenderColourMap, DrawsCoastlinesWhereTheyLieAndOnlyWhenGiven) {
    MapAccumulator map;
    // 0 to 10 N, 0 to 20 E a degree apart: a pixel a node, the pixel edges at
    // half degrees, no graticule (its lines would be 2 pixels apart).
    ASSERT_TRUE(map.Begin({11, 21, 0.0, 0.0, 1.0, 1.0}));
    std::vector<float> row(21);
    for (std::uint64_t r = 0; r < 11; ++r) {
        for (std::size_t c = 0; c < row.size(); ++c) row[c] = static_cast<float>(r + c);
        ASSERT_TRUE(map.Row(r, row));
    }
    ASSERT_TRUE(map.Finish(true));
    // Along 10.2 E from 1 N to 9 N: column 10, rows 9 (1 N) up to 1 (9 N).
    const std::vector<Coastline> coast = {{1, {{1.0, 10.2}, {9.0, 10.2}}}};
    const MapPicture plain = RenderColourMap(map, "T");
    const MapPicture drawn = RenderColourMap(map, "T", {ColourFit::Fitted, &coast});
    const MapLayout& l = drawn.layout;
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            const bool onLine = x == 10 && y >= 1 && y <= 9;
            const Rgb at = drawn.image.At(l.mapX + x, l.mapY + y);
            EXPECT_EQ(at, onLine ? kCoastColour : plain.image.At(l.mapX + x, l.mapY + y))
                << x << "," << y;
        }
    }
    EXPECT_NE(plain.image.At(l.mapX + 10, l.mapY + 5), kCoastColour);
}

TEST(RenderPointMap, DrawsEachPointInItsColourWhereItLies) {
    // Two points 2 degrees apart: the box 9.9 to 12.1 N, 19.9 to 22.1 E, 221 pixels a side.
    const PointMap points = PointMapOf({{10.0, 20.0, 1.0f}, {12.0, 22.0, 3.0f}});
    const MapPicture picture = RenderPointMap(points, 221, "T");
    const MapLayout& l = picture.layout;
    const ColourScale scale(PointMapLegend(points, ColourFit::Fitted));
    EXPECT_EQ(picture.image.At(l.mapX + 10, l.mapY + 210), scale(1.0f));
    EXPECT_EQ(picture.image.At(l.mapX + 210, l.mapY + 10), scale(3.0f));
    EXPECT_EQ(scale(1.0f), Sequential(0.0));  // the least value at the scale's lower end
    const Rgb between = picture.image.At(l.mapX + 110, l.mapY + 110);
    EXPECT_NE(between, scale(1.0f));
    EXPECT_NE(between, scale(3.0f));
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
