#include "tasks/lattice/formats/colour_map.hpp"

#include <png.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <string_view>

#include "tasks/common/replacing_output.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

// ------------------------------------------------------------ resampling

// The first lattice index of each of `pixels` pixels over `count` indices, and
// `count` at the end: index i falls into pixel floor(i * pixels / count).
std::vector<std::uint64_t> PixelStarts(std::uint64_t count, int pixels) {
    std::vector<std::uint64_t> starts(static_cast<std::size_t>(pixels) + 1);
    const auto p = static_cast<std::uint64_t>(pixels);
    for (std::uint64_t k = 0; k <= p; ++k) starts[k] = (k * count + p - 1) / p;
    return starts;
}

// Pixels on a side of `count` nodes when the long side of `longest` nodes gets `side`.
int ScaledSide(std::uint64_t count, std::uint64_t longest, std::uint64_t side) {
    if (longest <= side) return static_cast<int>(count);
    return static_cast<int>(std::max<std::uint64_t>(1, (count * side + longest / 2) / longest));
}

}  // namespace

MapSize MapSizeOf(const LatticeShape& shape, int longSide) {
    const std::uint64_t longest = std::max(shape.rows, shape.columns);
    const auto side = static_cast<std::uint64_t>(longSide);
    return {ScaledSide(shape.columns, longest, side), ScaledSide(shape.rows, longest, side)};
}

bool MapAccumulator::Begin(const LatticeShape& shape) {
    if (shape.rows == 0 || shape.columns == 0 || longSide_ < 1) return false;
    shape_ = shape;
    const MapSize size = MapSizeOf(shape, longSide_);
    width_ = size.width;
    height_ = size.height;
    picture_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_),
                    std::numeric_limits<float>::quiet_NaN());
    const std::vector<std::uint64_t> starts = PixelStarts(shape.columns, width_);
    pixelColumn_.assign(starts.begin(), starts.end());
    sums_.assign(static_cast<std::size_t>(width_), 0.0);
    counts_.assign(static_cast<std::size_t>(width_), 0);
    gathering_ = 0;
    range_ = {};
    return true;
}

bool MapAccumulator::Row(std::uint64_t row, std::span<const float> values) {
    const auto y = static_cast<int>(row * static_cast<std::uint64_t>(height_) / shape_.rows);
    if (y != gathering_) {
        FlushRow();
        gathering_ = y;
    }
    ValueRange range;
    for (std::size_t x = 0; x < sums_.size(); ++x) {
        double sum = 0.0;
        std::uint32_t count = 0;
        for (std::uint64_t c = pixelColumn_[x]; c < pixelColumn_[x + 1]; ++c) {
            const float value = values[c];
            if (std::isnan(value)) continue;
            sum += value;
            ++count;
            range.Add(value);
        }
        sums_[x] += sum;
        counts_[x] += count;
    }
    range_.Merge(range);
    return true;
}

bool MapAccumulator::Finish(bool) {
    if (height_ > 0) FlushRow();
    return true;
}

void MapAccumulator::FlushRow() {
    float* out = picture_.data() + static_cast<std::size_t>(gathering_) * sums_.size();
    for (std::size_t x = 0; x < sums_.size(); ++x) {
        out[x] = counts_[x] == 0 ? std::numeric_limits<float>::quiet_NaN()
                                 : static_cast<float>(sums_[x] / counts_[x]);
        sums_[x] = 0.0;
        counts_[x] = 0;
    }
}

MapPlace MapAccumulator::PlaceOf(int x, int y) const {
    const std::vector<std::uint64_t> rows = PixelStarts(shape_.rows, height_);
    const auto ux = static_cast<std::size_t>(x);
    const auto uy = static_cast<std::size_t>(y);
    const double column = static_cast<double>(pixelColumn_[ux] + pixelColumn_[ux + 1] - 1) / 2.0;
    const double row = static_cast<double>(rows[uy] + rows[uy + 1] - 1) / 2.0;
    const double north = shape_.south + static_cast<double>(shape_.rows - 1) * shape_.latStep;
    return {north - row * shape_.latStep, shape_.west + column * shape_.lonStep};
}

MapFrame MapFrameOf(const LatticeShape& shape, MapSize size) {
    const double north = shape.south + static_cast<double>(shape.rows - 1) * shape.latStep;
    const double east = shape.west + static_cast<double>(shape.columns - 1) * shape.lonStep;
    return {{shape.south - shape.latStep / 2, north + shape.latStep / 2,
             shape.west - shape.lonStep / 2, east + shape.lonStep / 2},
            static_cast<double>(size.width),
            static_cast<double>(size.height)};
}

MapFrame MapAccumulator::frame() const { return MapFrameOf(shape_, {width_, height_}); }

Coastlines MapCoastlines(const MapFrame& frame) {
    // The finer of the two ways, when a pixel spans more degrees one way than the other.
    const double degreesPerPixel = std::min((frame.box.east - frame.box.west) / frame.width,
                                            (frame.box.north - frame.box.south) / frame.height);
    return ReadCoastlines(frame.box, CoastResolutionFor(degreesPerPixel));
}

// ------------------------------------------------------------ colour scale

namespace {

struct Lab {
    double l, a, b;
};

// The CIE 1931 XYZ of D65 white, as sRGB's matrices assume it.
constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};
constexpr double kDelta = 6.0 / 29.0;

double Linear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double Gamma(double c) {
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}
double LabF(double t) {
    return t > kDelta * kDelta * kDelta ? std::cbrt(t) : t / (3 * kDelta * kDelta) + 4.0 / 29.0;
}
double LabFInverse(double u) {
    return u > kDelta ? u * u * u : 3 * kDelta * kDelta * (u - 4.0 / 29.0);
}

Lab LabOf(Rgb colour) {
    const double r = Linear(colour.r / 255.0);
    const double g = Linear(colour.g / 255.0);
    const double b = Linear(colour.b / 255.0);
    const double x = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
    const double fx = LabF(x / kWhite[0]), fy = LabF(y / kWhite[1]), fz = LabF(z / kWhite[2]);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

std::uint8_t Byte(double linear) {
    const double c = std::clamp(Gamma(linear), 0.0, 1.0);
    return static_cast<std::uint8_t>(std::lround(c * 255.0));
}

Rgb RgbOf(const Lab& lab) {
    const double fy = (lab.l + 16.0) / 116.0;
    const double x = kWhite[0] * LabFInverse(fy + lab.a / 500.0);
    const double y = kWhite[1] * LabFInverse(fy);
    const double z = kWhite[2] * LabFInverse(fy - lab.b / 200.0);
    return {Byte(3.2404542 * x - 1.5371385 * y - 0.4985314 * z),
            Byte(-0.9692660 * x + 1.8760108 * y + 0.0415560 * z),
            Byte(0.0556434 * x - 0.2040259 * y + 1.0572252 * z)};
}

// Moreland's polar form of CIELAB: magnitude, saturation (angle from the L axis), hue.
struct Msh {
    double m, s, h;
};

Msh MshOf(const Lab& lab) {
    const double m = std::sqrt(lab.l * lab.l + lab.a * lab.a + lab.b * lab.b);
    return {m, m > 0.0 ? std::acos(lab.l / m) : 0.0, std::atan2(lab.b, lab.a)};
}

Lab LabOf(const Msh& msh) {
    return {msh.m * std::cos(msh.s), msh.m * std::sin(msh.s) * std::cos(msh.h),
            msh.m * std::sin(msh.s) * std::sin(msh.h)};
}

// The hue an unsaturated colour of magnitude `m` takes beside the saturated
// `saturated`, spun away from it so that the path bends evenly (Moreland 2009).
double SpunHue(const Msh& saturated, double m) {
    if (saturated.m >= m) return saturated.h;
    const double spin = saturated.s * std::sqrt(m * m - saturated.m * saturated.m) /
                        (saturated.m * std::sin(saturated.s));
    constexpr double kPi = 3.14159265358979323846;
    return saturated.h > -kPi / 3 ? saturated.h + spin : saturated.h - spin;
}

constexpr Rgb kCool = {59, 76, 192};
constexpr Rgb kWarm = {180, 4, 38};
// The magnitude of the white-ish centre: at least 88, Moreland's choice.
constexpr double kCentreMagnitude = 88.0;

}  // namespace

Rgb CoolWarm(double t) {
    t = std::clamp(t, 0.0, 1.0);
    Msh from = MshOf(LabOf(kCool));
    Msh to = MshOf(LabOf(kWarm));
    // Both ends are saturated and far apart in hue: the path goes through the
    // unsaturated centre, each half its own straight line in Msh.
    const Msh centre = {std::max({from.m, to.m, kCentreMagnitude}), 0.0, 0.0};
    if (t < 0.5) {
        to = centre;
        to.h = SpunHue(from, centre.m);
        t *= 2.0;
    } else {
        from = centre;
        from.h = SpunHue(to, centre.m);
        t = 2.0 * t - 1.0;
    }
    const Msh mix = {(1 - t) * from.m + t * to.m, (1 - t) * from.s + t * to.s,
                     (1 - t) * from.h + t * to.h};
    return RgbOf(LabOf(mix));
}

namespace {

// viridis at t = 0, 0.25, 0.5, 0.75 and 1.
constexpr Rgb kViridisQuarters[] = {
    {68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};

}  // namespace

Rgb Sequential(double t) {
    t = std::clamp(t, 0.0, 1.0);
    constexpr int kSteps = static_cast<int>(std::size(kViridisQuarters)) - 1;
    const int k = std::min(static_cast<int>(t * kSteps), kSteps - 1);
    const double u = t * kSteps - k;
    const Lab from = LabOf(kViridisQuarters[k]);
    const Lab to = LabOf(kViridisQuarters[k + 1]);
    return RgbOf(
        {(1 - u) * from.l + u * to.l, (1 - u) * from.a + u * to.a, (1 - u) * from.b + u * to.b});
}

ColourScale::ColourScale(const ColourLegend& legend)
    : lower_(legend.ticks.lower), upper_(legend.ticks.upper) {
    if (!(upper_ > lower_)) {
        lower_ = -1.0;
        upper_ = 1.0;
    }
    const auto colour = legend.fit == ColourFit::Symmetric ? CoolWarm : Sequential;
    table_.resize(kLevels);
    for (int k = 0; k < kLevels; ++k) {
        table_[static_cast<std::size_t>(k)] = colour(k / static_cast<double>(kLevels - 1));
    }
}

Rgb ColourScale::operator()(float value) const {
    if (std::isnan(value)) return kMissingColour;
    const double t = std::clamp((value - lower_) / (upper_ - lower_), 0.0, 1.0);
    return table_[static_cast<std::size_t>(std::lround(t * (kLevels - 1)))];
}

double GraticuleStep(double span) {
    for (double decade = 1e-3; decade < 10.0; decade *= 10.0) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            if (span / (mantissa * decade) <= 12.0) return mantissa * decade;
        }
    }
    for (const double step : {10.0, 15.0, 30.0, 45.0}) {
        if (span / step <= 12.0) return step;
    }
    return 90.0;
}

// ------------------------------------------------------------ rendering

MapLayout LayoutMap(int mapWidth, int mapHeight, const std::string& title) {
    MapLayout layout;
    const int s = std::clamp(1 + std::max(mapWidth, mapHeight) / 1000, 1, 4);
    layout.textScale = s;
    const int margin = 8 * s;
    const int barLeast = 240 * s;
    const int content = std::max({mapWidth, TextWidth(title, s), barLeast});
    layout.width = content + 2 * margin;
    layout.mapX = margin + (content - mapWidth) / 2;
    layout.mapY = margin + kGlyphHeight * s + margin;
    layout.barWidth = std::min(content, std::max(barLeast, mapWidth / 2));
    layout.barHeight = 8 * s;
    layout.barX = margin + (content - layout.barWidth) / 2;
    layout.barY = layout.mapY + mapHeight + margin;
    // Below the bar: tick marks of 3 dots, 2 dots of space, the labels, the margin.
    layout.height = layout.barY + layout.barHeight + 5 * s + kGlyphHeight * s + margin;
    return layout;
}

namespace {

constexpr Rgb kPaper = {255, 255, 255};
constexpr Rgb kInk = {32, 32, 32};

// A graticule line: the map's colour a quarter of the way to black.
Rgb Faint(Rgb colour) {
    const auto darken = [](std::uint8_t c) { return static_cast<std::uint8_t>(c * 3 / 4); };
    return {darken(colour.r), darken(colour.g), darken(colour.b)};
}

void DrawMapPixels(RgbImage& image, const MapLayout& layout, const MapAccumulator& map,
                   const ColourScale& scale) {
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            image.Set(layout.mapX + x, layout.mapY + y, scale(map.Value(x, y)));
        }
    }
}

// The pixel of lattice index `index` (rounded, clamped) on a side of `count` indices.
int PixelOfIndex(double index, std::uint64_t count, int pixels) {
    const double last = static_cast<double>(count - 1);
    const auto whole = static_cast<std::uint64_t>(std::clamp(std::round(index), 0.0, last));
    return static_cast<int>(whole * static_cast<std::uint64_t>(pixels) / count);
}

// Faint lines along the meridians and parallels that are whole multiples of the step.
void DrawGraticule(RgbImage& image, const MapLayout& layout, const MapAccumulator& map) {
    const LatticeShape& shape = map.shape();
    const double north = shape.south + static_cast<double>(shape.rows - 1) * shape.latStep;
    const double east = shape.west + static_cast<double>(shape.columns - 1) * shape.lonStep;
    const double step = GraticuleStep(std::max(north - shape.south, east - shape.west));
    // Lines closer than this would hide a small map rather than guide the eye.
    const double pixelsApart =
        std::min(step / shape.lonStep * map.width() / static_cast<double>(shape.columns),
                 step / shape.latStep * map.height() / static_cast<double>(shape.rows));
    if (!(pixelsApart >= 8.0)) return;
    const double slack = 1e-9;
    for (double lon = std::ceil(shape.west / step - slack) * step; lon <= east + slack;
         lon += step) {
        const int x = PixelOfIndex((lon - shape.west) / shape.lonStep, shape.columns, map.width());
        for (int y = 0; y < map.height(); ++y) {
            const int px = layout.mapX + x, py = layout.mapY + y;
            image.Set(px, py, Faint(image.At(px, py)));
        }
    }
    for (double lat = std::ceil(shape.south / step - slack) * step; lat <= north + slack;
         lat += step) {
        const int y = PixelOfIndex((north - lat) / shape.latStep, shape.rows, map.height());
        for (int x = 0; x < map.width(); ++x) {
            const int px = layout.mapX + x, py = layout.mapY + y;
            image.Set(px, py, Faint(image.At(px, py)));
        }
    }
}

void DrawColourBar(RgbImage& image, const MapLayout& layout, const ColourScale& scale,
                   const AxisTicks& ticks) {
    const double lower = scale.lower();
    const double span = scale.upper() - lower;
    for (int x = 0; x < layout.barWidth; ++x) {
        const double value = lower + (x + 0.5) / layout.barWidth * span;
        image.Fill(layout.barX + x, layout.barY, 1, layout.barHeight,
                   scale(static_cast<float>(value)));
    }
    const int s = layout.textScale;
    const int count = static_cast<int>(ticks.values.size()) - 1;
    for (int k = 0; k <= count && count > 0; ++k) {
        const int x =
            layout.barX +
            static_cast<int>(std::lround(static_cast<double>(k) / count * (layout.barWidth - 1)));
        const int below = layout.barY + layout.barHeight;
        image.Fill(x - s / 2, below, std::max(1, s / 2 + 1), 3 * s, kInk);
        const std::string& label = ticks.labels[static_cast<std::size_t>(k)];
        const int width = TextWidth(label, s);
        const int left = std::clamp(x - width / 2, 0, image.width - width);
        DrawText(image, left, below + 5 * s, label, s, kInk);
    }
}

// Draws only within the map's own rectangle of a picture.
class MapPen {
public:
    MapPen(RgbImage& image, const MapLayout& layout, MapSize size, int thickness)
        : image_(image), layout_(layout), size_(size), thickness_(thickness) {}

    // A square of the pen's thickness centred on map pixel (x, y), `colour`.
    void Dot(int x, int y, int side, Rgb colour) {
        const int x0 = std::max(0, x - side / 2), y0 = std::max(0, y - side / 2);
        const int x1 = std::min(size_.width, x - side / 2 + side);
        const int y1 = std::min(size_.height, y - side / 2 + side);
        if (x1 > x0 && y1 > y0)
            image_.Fill(layout_.mapX + x0, layout_.mapY + y0, x1 - x0, y1 - y0, colour);
    }

    // A line from map pixel a to map pixel b (Bresenham's).
    void Line(int ax, int ay, int bx, int by, Rgb colour) {
        const int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
        const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            Dot(ax, ay, thickness_, colour);
            if (ax == bx && ay == by) return;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                ax += sx;
            }
            if (twice <= dx) {
                error += dx;
                ay += sy;
            }
        }
    }

private:
    RgbImage& image_;
    const MapLayout& layout_;
    MapSize size_;
    int thickness_;
};

// The map pixel's column or row of a frame's x or y within the map (its east and
// south edges fall into the last pixel).
int PixelOf(double coordinate, int pixels) {
    return std::clamp(static_cast<int>(std::floor(std::clamp(coordinate, 0.0, 1.0 * pixels))), 0,
                      pixels - 1);
}

void DrawCoastlines(MapPen& pen, const MapFrame& frame, const std::vector<Coastline>& lines) {
    const int w = static_cast<int>(frame.width), h = static_cast<int>(frame.height);
    for (const Coastline& line : lines) {
        int px = PixelOf(frame.X(line.points[0].longitude), w);
        int py = PixelOf(frame.Y(line.points[0].latitude), h);
        for (std::size_t k = 1; k < line.points.size(); ++k) {
            const int qx = PixelOf(frame.X(line.points[k].longitude), w);
            const int qy = PixelOf(frame.Y(line.points[k].latitude), h);
            pen.Line(px, py, qx, qy, kCoastColour);
            px = qx;
            py = qy;
        }
    }
}

// The picture's frame: paper, the title above.
MapPicture BlankPicture(MapSize size, const std::string& title) {
    MapPicture picture;
    picture.layout = LayoutMap(size.width, size.height, title);
    const MapLayout& layout = picture.layout;
    picture.image = RgbImage(layout.width, layout.height, kPaper);
    const int margin = 8 * layout.textScale;
    DrawText(picture.image, margin, margin, title, layout.textScale, kInk);
    return picture;
}

// Coastlines are a pixel wide, two on the largest maps.
int CoastThickness(const MapLayout& layout) { return std::max(1, layout.textScale / 2); }

// A point map's background: a light grey that tells the map from the paper.
constexpr Rgb kPointMapGround = {238, 238, 238};

}  // namespace

MapPicture RenderColourMap(const MapAccumulator& map, const std::string& title,
                           const MapStyle& style) {
    const MapSize size{map.width(), map.height()};
    MapPicture picture = BlankPicture(size, title);
    const MapLayout& layout = picture.layout;
    const ColourLegend legend = FitColourLegend(map.range(), style.fit);
    const ColourScale scale(legend);
    if (map.width() > 0) {
        DrawMapPixels(picture.image, layout, map, scale);
        DrawGraticule(picture.image, layout, map);
        if (style.coastlines != nullptr) {
            MapPen pen(picture.image, layout, size, CoastThickness(layout));
            DrawCoastlines(pen, map.frame(), *style.coastlines);
        }
    }
    DrawColourBar(picture.image, layout, scale, legend.ticks);
    return picture;
}

MapFrame PointMapFrame(const GeoBox& box, int longSide) {
    const double across = box.east - box.west;
    const double down = box.north - box.south;
    const double side = std::max(1, longSide);
    const auto shorter = [side](double part, double whole) {
        return std::max(1.0, std::round(side * part / whole));
    };
    return across >= down ? MapFrame{box, side, shorter(down, across)}
                          : MapFrame{box, shorter(across, down), side};
}

ColourLegend PointMapLegend(const PointMap& points, ColourFit fit) {
    ValueRange range;
    for (const PlacedValue& p : points.points) range.Add(p.value);
    return FitColourLegend(range, fit);
}

MapPicture RenderPointMap(const PointMap& points, int longSide, const std::string& title,
                          const MapStyle& style) {
    const MapFrame frame = PointMapFrame(points.box, longSide);
    const MapSize size{static_cast<int>(frame.width), static_cast<int>(frame.height)};
    MapPicture picture = BlankPicture(size, title);
    const MapLayout& layout = picture.layout;
    picture.image.Fill(layout.mapX, layout.mapY, size.width, size.height, kPointMapGround);
    MapPen pen(picture.image, layout, size, CoastThickness(layout));
    if (style.coastlines != nullptr) DrawCoastlines(pen, frame, *style.coastlines);
    const ColourLegend legend = PointMapLegend(points, style.fit);
    const ColourScale scale(legend);
    // A dot a few pixels across, larger on larger maps.
    const int dot = std::max(3, std::max(size.width, size.height) / 200);
    for (const PlacedValue& p : points.points) {
        pen.Dot(PixelOf(frame.X(p.longitude), size.width),
                PixelOf(frame.Y(p.latitude), size.height), dot, scale(p.value));
    }
    DrawColourBar(picture.image, layout, scale, legend.ticks);
    return picture;
}

// ------------------------------------------------------------ PNG

namespace {

void WritePngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* output = static_cast<TextOutput*>(png_get_io_ptr(png));
    output->Write(std::string_view(reinterpret_cast<const char*>(data), length));
}

void FlushPngBytes(png_structp) {}

// The PNG's header and rows; false when libpng failed (it jumps back here).
// Nothing with a destructor may live in this function: longjmp skips them.
bool WritePngRows(png_structp png, png_infop info, const RgbImage& image, TextOutput& output) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &output, WritePngBytes, FlushPngBytes);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // The map's smooth rows compress well against the row above; zlib's fastest
    // level keeps a 4096-pixel map well under a second.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, image.bytes.data() + static_cast<std::size_t>(y) * stride);
        if (output.failed()) return false;
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool WritePng(const MapPicture& picture, TextOutput& output) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    const bool written = info != nullptr && WritePngRows(png, info, picture.image, output);
    png_destroy_write_struct(&png, &info);
    return written && !output.failed();
}

std::string WritePngFile(const MapPicture& picture, const std::string& path) {
    // Written under a temporary name: a failed write leaves the previous file.
    ReplacingOutput output;
    if (!output.Open(path)) return OutputOpenMessage(path, errno);
    if (!WritePng(picture, output.text())) {
        const int error = output.text().error();
        output.Discard();
        return OutputWriteFailure(path, error != 0 ? error : EIO);
    }
    const OutputKept kept = output.Keep();
    return kept.kept() ? std::string() : OutputWriteFailure(path, kept.error);
}

bool ColourMapFile::Finish(bool whole) {
    map_.Finish(whole);
    if (!whole) return true;
    if (WritePng(RenderColourMap(map_, title_, style_), output_)) return true;
    error_ = output_.error() != 0 ? output_.error() : EIO;
    return false;
}

}  // namespace egm2008
