// The colour map of a lattice: the lattice kept as a picture of at most a
// given number of pixels on its long side (MapAccumulator), its colours
// (ColourScale: a sequential scale over the data's range, or a diverging one
// centred on 0 m, as colour_legend.hpp fits it), the rendering of the map
// with its colour bar, title, graticule and coastlines into RGB bytes
// (RenderColourMap; RenderPointMap for values at scattered places), and that
// picture as a PNG file written through a TextOutput (WritePng, ColourMapFile).
//
// The picture's pixel (x, y), x from the west, y from the north, holds the
// mean N of the lattice's nodes that fall into it (NaN nodes ignored; a pixel
// without a computable node is missing, NaN). Up to the long side asked for
// every node is a pixel of its own. Nothing here needs a display: the command
// line writes the PNG, the window shows the same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tasks/lattice/formats/bitmap_font.hpp"
#include "tasks/lattice/formats/lattice_raster.hpp"
#include "tasks/common/text_output.hpp"
#include "tasks/maps/coastlines.hpp"
#include "tasks/maps/colour_legend.hpp"
#include "tasks/maps/map_frame.hpp"
#include "tasks/maps/point_map.hpp"

namespace egm2008 {

/// The long side of a map picture when no width is asked for, and the largest one taken.
inline constexpr int kMapLongSide = 4096;
inline constexpr int kMapLongSideLimit = 16384;

/// The most lattice columns a map takes: the walk hands it whole rows, each
/// held as floats (16 MiB).
inline constexpr std::uint64_t kMapColumnLimit = std::uint64_t{1} << 22;

/// A position in degrees.
using MapPlace = GeoPoint;

/// A map picture's size in pixels.
struct MapSize {
    int width = 0;
    int height = 0;
};

/// The pixels of the map of a lattice of `shape` with at most `longSide` on its
/// long side: a pixel a node up to it, else the lattice scaled down evenly.
MapSize MapSizeOf(const LatticeShape& shape, int longSide);

/// The box a map of a lattice of `shape` covers, half a step beyond its outer
/// nodes, over `size` pixels.
MapFrame MapFrameOf(const LatticeShape& shape, MapSize size);

/// The coastlines of a map in `frame`, at the resolution its pixels ask for
/// (CoastResolutionFor).
Coastlines MapCoastlines(const MapFrame& frame);

/// The lattice as a picture, resampled by the mean of the nodes in each pixel.
/// Memory: the picture (width x height floats: 32 MiB at 4096 x 2048), one
/// row of accumulators (a double and a count per pixel column) and the first
/// lattice column of every pixel column; nothing grows with the lattice. A
/// whole run into a 4096-pixel PNG adds the rendered picture (3 bytes a
/// pixel, 26 MiB): a global 1' lattice walked on the 2.5' grid peaks at about
/// 210 MB resident, 142 MiB of it the grid's mapped pages (bench/png_memory.sh).
class MapAccumulator final : public LatticeRaster {
public:
    /// At most `longSide` pixels (1..kMapLongSideLimit) on the picture's long side.
    explicit MapAccumulator(int longSide = kMapLongSide) : longSide_(longSide) {}

    bool Begin(const LatticeShape& shape) override;
    bool Row(std::uint64_t row, std::span<const float> values) override;
    bool Finish(bool whole) override;
    int error() const override { return 0; }

    int width() const { return width_; }
    int height() const { return height_; }
    const LatticeShape& shape() const { return shape_; }
    /// N of pixel (x, y) in metres; NaN when missing.
    float Value(int x, int y) const {
        return picture_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                        static_cast<std::size_t>(x)];
    }
    /// The centre of the nodes pixel (x, y) covers: a node's own place at one node a pixel.
    MapPlace PlaceOf(int x, int y) const;
    /// The least and most N of the computable nodes.
    const ValueRange& range() const { return range_; }
    /// The box the picture covers, half a step beyond the outer nodes, over its pixels.
    MapFrame frame() const;

private:
    void FlushRow();

    int longSide_;
    LatticeShape shape_;
    int width_ = 0;
    int height_ = 0;
    std::vector<float> picture_;
    std::vector<std::uint64_t>
        pixelColumn_;           // first lattice column of each pixel column, and the end
    std::vector<double> sums_;  // the pixel row being gathered
    std::vector<std::uint32_t> counts_;
    int gathering_ = 0;  // the pixel row sums_ belongs to
    ValueRange range_;
};

/// Moreland's cool-warm diverging map ("Diverging Color Maps for Scientific
/// Visualization", 2009) at t in 0..1: blue (59, 76, 192) at 0, red (180, 4, 38)
/// at 1, interpolated in his Msh form of CIELAB (D65 white) through an
/// unsaturated light grey at 0.5, so that lightness changes evenly either side.
Rgb CoolWarm(double t);

/// A sequential map at t in 0..1 for values that run one way: matplotlib's
/// viridis (van der Walt and Smith, 2015) through its colours at the quarters,
/// dark violet (68, 1, 84), blue (59, 82, 139), teal (33, 145, 140), green
/// (94, 201, 98) and yellow (253, 231, 37), interpolated in CIELAB, so that
/// lightness rises throughout.
Rgb Sequential(double t);

/// The colour of missing nodes: a grey darker than the scale's centre.
inline constexpr Rgb kMissingColour = {128, 128, 128};
/// The colour coastlines are drawn in.
inline constexpr Rgb kCoastColour = {0, 0, 0};

/// The colours of a legend (colour_legend.hpp): Sequential from its lower to
/// its upper limit when fitted, CoolWarm from -limit through 0 to +limit when
/// symmetric; values beyond the limits at the ends, NaN as kMissingColour.
class ColourScale {
public:
    explicit ColourScale(const ColourLegend& legend);
    Rgb operator()(float value) const;
    double lower() const { return lower_; }
    double upper() const { return upper_; }

private:
    static constexpr int kLevels = 1024;
    double lower_;
    double upper_;
    std::vector<Rgb> table_;
};

/// Where the parts of a rendered map lie, in pixels of the picture.
struct MapLayout {
    int width = 0;  ///< the whole picture
    int height = 0;
    int textScale = 1;  ///< pixels per dot of the built-in font
    int mapX = 0;       ///< the map's top left corner; its size is the accumulator's
    int mapY = 0;
    int barX = 0;  ///< the colour bar: its lower limit at its left edge, its upper at its right
    int barY = 0;
    int barWidth = 0;
    int barHeight = 0;
};

/// The layout of a map of `mapWidth` x `mapHeight` pixels under `title`.
MapLayout LayoutMap(int mapWidth, int mapHeight, const std::string& title);

/// A rendered map and where its parts lie.
struct MapPicture {
    MapLayout layout;
    RgbImage image;
};

/// How a map is drawn besides its values.
struct MapStyle {
    ColourFit fit = ColourFit::Fitted;
    /// Drawn over the map in kCoastColour when given, in the map's frame.
    const std::vector<Coastline>* coastlines = nullptr;
};

/// The map of `map` on white: `title` above (in the built-in font, bitmap_font.hpp),
/// the map with a faint graticule (the step of GraticuleStep; none when its lines
/// would lie closer than 8 pixels) and the coastlines, the colour bar below with
/// its ticks labelled in metres (FitColourLegend over the map's range).
MapPicture RenderColourMap(const MapAccumulator& map, const std::string& title,
                           const MapStyle& style = {});

/// The map of the values of `points` over their box, `longSide` pixels on its
/// long side, each point a square dot in its colour (later points over
/// earlier ones) on white, laid out as RenderColourMap lays out a lattice.
MapPicture RenderPointMap(const PointMap& points, int longSide, const std::string& title,
                          const MapStyle& style = {});

/// The long side of a point map's picture in pixels.
inline constexpr int kPointMapLongSide = 1600;

/// The frame of a point map of `longSide` pixels on its long side over `box`.
MapFrame PointMapFrame(const GeoBox& box, int longSide);

/// The colour legend of a point map: FitColourLegend over the points' values.
ColourLegend PointMapLegend(const PointMap& points, ColourFit fit);

/// Degrees between graticule lines over a lattice spanning `span` degrees on
/// its long side: the first of 1, 2, 5 x 10^k, 15, 30, 45, 90 giving at most
/// 12 lines across.
double GraticuleStep(double span);

/// Writes `picture` as an 8-bit RGB PNG to `output`; false when libpng failed
/// or a write did (the output keeps the error).
bool WritePng(const MapPicture& picture, TextOutput& output);

/// Writes `picture` as a PNG file at `path`, replacing any file there once it
/// is whole (replacing_output.hpp); "" when written, else what went wrong
/// (OutputOpenMessage, OutputWriteFailure).
std::string WritePngFile(const MapPicture& picture, const std::string& path);

/// The raster of the png format: gathers the lattice, then at a whole run's
/// Finish renders it under `title` in `style` and writes the PNG to `output`.
/// A run that stopped early writes nothing.
class ColourMapFile final : public LatticeRaster {
public:
    ColourMapFile(TextOutput& output, std::string title, int longSide, const MapStyle& style = {})
        : output_(output), title_(std::move(title)), map_(longSide), style_(style) {}

    bool Begin(const LatticeShape& shape) override { return map_.Begin(shape); }
    bool Row(std::uint64_t row, std::span<const float> values) override {
        return map_.Row(row, values);
    }
    bool Finish(bool whole) override;
    int error() const override { return error_; }

private:
    TextOutput& output_;
    std::string title_;
    MapAccumulator map_;
    MapStyle style_;
    int error_ = 0;
};

}  // namespace egm2008
