// The colour map of a lattice: the lattice kept as a picture of at most a
// given number of pixels on its long side (MapAccumulator), a diverging colour
// scale centred on 0 m (DivergingScale), the rendering of the map with its
// colour bar, title and graticule into RGB bytes (RenderColourMap), and that
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

namespace egm2008 {

/// The long side of a map picture when no width is asked for, and the largest one taken.
inline constexpr int kMapLongSide = 4096;
inline constexpr int kMapLongSideLimit = 16384;

/// The most lattice columns a map takes: the walk hands it whole rows, each
/// held as floats (16 MiB).
inline constexpr std::uint64_t kMapColumnLimit = std::uint64_t{1} << 22;

/// A position in degrees.
struct MapPlace {
    double latitude = 0.0;
    double longitude = 0.0;
};

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
    /// The largest |N| of any computable node; 0 when there was none.
    double largestMagnitude() const { return largest_; }

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
    double largest_ = 0.0;
};

/// Moreland's cool-warm diverging map ("Diverging Color Maps for Scientific
/// Visualization", 2009) at t in 0..1: blue (59, 76, 192) at 0, red (180, 4, 38)
/// at 1, interpolated in his Msh form of CIELAB (D65 white) through an
/// unsaturated light grey at 0.5, so that lightness changes evenly either side.
Rgb CoolWarm(double t);

/// The colour of missing nodes: a grey darker than the scale's centre.
inline constexpr Rgb kMissingColour = {128, 128, 128};

/// A symmetric colour scale from -limit (blue) through 0 (light grey) to +limit
/// (red) metres, values beyond the limits at the ends, NaN as kMissingColour.
class DivergingScale {
public:
    explicit DivergingScale(double limit);
    Rgb operator()(float value) const;
    double limit() const { return limit_; }

private:
    static constexpr int kLevels = 1024;
    double limit_;
    std::vector<Rgb> table_;
};

/// The colour bar's limit and tick step for a largest |N|: the step is the
/// first of 1, 2, 5 x 10^k that is at least a quarter of `largest`, the limit
/// the first whole number of steps at or above it (0 gives 1 m and 0.5 m).
struct ScaleTicks {
    double limit = 1.0;
    double step = 0.5;
};
ScaleTicks NiceTicks(double largest);

/// Where the parts of a rendered map lie, in pixels of the picture.
struct MapLayout {
    int width = 0;  ///< the whole picture
    int height = 0;
    int textScale = 1;  ///< pixels per dot of the built-in font
    int mapX = 0;       ///< the map's top left corner; its size is the accumulator's
    int mapY = 0;
    int barX = 0;  ///< the colour bar: -limit at its left edge, +limit at its right
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

/// The map of `map` on white: `title` above (in the built-in font, bitmap_font.hpp),
/// the map with a faint graticule (the step of GraticuleStep; none when its lines
/// would lie closer than 8 pixels), the colour bar below with its ticks
/// labelled in metres (NiceTicks).
MapPicture RenderColourMap(const MapAccumulator& map, const std::string& title);

/// Degrees between graticule lines over a lattice spanning `span` degrees on
/// its long side: the first of 1, 2, 5 x 10^k, 15, 30, 45, 90 giving at most
/// 12 lines across.
double GraticuleStep(double span);

/// Writes `picture` as an 8-bit RGB PNG to `output`; false when libpng failed
/// or a write did (the output keeps the error).
bool WritePng(const MapPicture& picture, TextOutput& output);

/// The raster of the png format: gathers the lattice, then at a whole run's
/// Finish renders it under `title` and writes the PNG to `output`. A run that
/// stopped early writes nothing.
class ColourMapFile final : public LatticeRaster {
public:
    ColourMapFile(TextOutput& output, std::string title, int longSide)
        : output_(output), title_(std::move(title)), map_(longSide) {}

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
    int error_ = 0;
};

}  // namespace egm2008
