#include "tasks/lattice/formats/geotiff_output.hpp"

#include <geotiff.h>
#include <geovalues.h>
#include <tiffio.h>
#include <xtiffio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace egm2008 {

namespace {

constexpr std::uint32_t kTileSide = 256;
// TIFF tile sides are multiples of 16.
constexpr std::uint32_t kTileHeightStep = 16;
// A row of tiles at full height stays within this; wider lattices get lower tiles.
constexpr std::uint64_t kTileRowBudget = std::uint64_t{64} << 20;
constexpr std::uint64_t kClassicTiffLimit = std::uint64_t{1} << 32;
// Deflate's level (libtiff compresses through libdeflate). On the whole globe
// at 2.5', level 1 takes half the time of zlib's default 6 for a file 3 %
// larger (83 MB against 80 MB, after the floating-point predictor).
constexpr int kDeflateLevel = 1;

// The GDAL tags for the dataset's metadata (XML) and the NoData value (text).
constexpr ttag_t kGdalMetadataTag = 42112;
constexpr ttag_t kGdalNoDataTag = 42113;

// EPSG codes: WGS 84 (geographic 2-D), the grid's own reference system, and
// EGM2008 height, the vertical system N takes an ellipsoidal height to.
constexpr int kWgs84 = 4326;

// The tags libtiff does not know: GeoTIFF's and GDAL's.
const TIFFFieldInfo kExtraFields[] = {
    {TIFFTAG_GEOPIXELSCALE, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoPixelScale")},
    {TIFFTAG_GEOTIEPOINTS, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoTiePoints")},
    {TIFFTAG_GEOKEYDIRECTORY, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_SHORT, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoKeyDirectory")},
    {TIFFTAG_GEODOUBLEPARAMS, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoDoubleParams")},
    {TIFFTAG_GEOASCIIPARAMS, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
     const_cast<char*>("GeoASCIIParams")},
    {kGdalMetadataTag, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
     const_cast<char*>("GDALMetadata")},
    {kGdalNoDataTag, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
     const_cast<char*>("GDALNoDataValue")},
};

// The file as libtiff sees it: bytes at positions of the run's output. Once
// the writer lets go of the output (`output` null), every write fails.
struct TiffSink {
    TextOutput* output = nullptr;
    std::uint64_t position = 0;
    std::uint64_t size = 0;
};

TiffSink& SinkOf(thandle_t handle) { return *static_cast<TiffSink*>(handle); }

// libtiff reads nothing back of a file it writes from the start.
tmsize_t SinkRead(thandle_t, void*, tmsize_t) { return 0; }

tmsize_t SinkWrite(thandle_t handle, void* data, tmsize_t size) {
    TiffSink& sink = SinkOf(handle);
    if (sink.output == nullptr || size < 0) return -1;
    sink.output->WriteAt(sink.position, std::string_view(static_cast<const char*>(data),
                                                         static_cast<std::size_t>(size)));
    if (sink.output->failed()) return -1;
    sink.position += static_cast<std::uint64_t>(size);
    sink.size = std::max(sink.size, sink.position);
    return size;
}

toff_t SinkSeek(thandle_t handle, toff_t offset, int whence) {
    TiffSink& sink = SinkOf(handle);
    if (whence == SEEK_CUR) {
        sink.position += offset;
    } else if (whence == SEEK_END) {
        sink.position = sink.size + offset;
    } else {
        sink.position = offset;
    }
    return sink.position;
}

int SinkClose(thandle_t) { return 0; }  // the gridmaker closes the output
toff_t SinkSize(thandle_t handle) { return SinkOf(handle).size; }
int SinkMap(thandle_t, void**, toff_t*) { return 0; }
void SinkUnmap(thandle_t, void*, toff_t) {}

// libtiff's and libgeotiff's messages: a failure is told by the answers alone.
int IgnoreTiffMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }
void IgnoreKeyMessage(GTIF*, int, const char*, ...) {}

// `text` with the characters XML reserves escaped.
std::string XmlText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

// The GDAL_METADATA tag's XML: PROJ's items of a geoid model (the grid's
// type, the vertical system it leads to, the area; the band's description and
// unit), then the run's own.
std::string MetadataXml(const LatticeDescription& description, const LatticeShape& shape) {
    std::string spacing;
    AppendFormat(spacing, "%.10g x %.10g arc minutes (latitude x longitude)",
                 description.latSpacing, description.lonSpacing);
    std::string area;
    AppendFormat(area, "latitude %.10g to %.10g, longitude %.10g to %.10g (degrees)", shape.south,
                 description.north, shape.west,
                 shape.west + static_cast<double>(shape.columns - 1) * shape.lonStep);
    std::string xml = "<GDALMetadata>\n";
    std::vector<std::pair<const char*, std::string>> items = {
        {"TYPE", "VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL"},
        {"target_crs_epsg_code", ModelHeightEpsg(description.model)},
        {"area_of_use", area},
        {"EGM2008_GRID", description.grid},
        {"EGM2008_METHOD", description.method},
        {"EGM2008_SPACING", spacing},
    };
    // An EGM2008 lattice's metadata stay as they always were; another model is named.
    if (description.model != GeoidModel::Egm2008) {
        items.emplace_back("EGM2008_MODEL", ModelName(description.model));
    }
    if (!description.tideSystem.empty())
        items.emplace_back("EGM2008_TIDE_SYSTEM", description.tideSystem);
    for (const auto& [name, value] : items) {
        xml += std::string("  <Item name=\"") + name + "\">" + XmlText(value) + "</Item>\n";
    }
    xml += "  <Item name=\"UNITTYPE\" sample=\"0\" role=\"unittype\">metre</Item>\n";
    xml +=
        "  <Item name=\"DESCRIPTION\" sample=\"0\" role=\"description\">"
        "geoid_undulation</Item>\n";
    xml += "</GDALMetadata>";
    return xml;
}

// What the file is, in words (TIFF's ImageDescription).
std::string ImageDescription(const LatticeDescription& description) {
    const std::string model = ModelName(description.model);
    return model +
           " geoid undulation N in metres: WGS 84 (EPSG:4326) ellipsoidal height = " + model +
           " height (EPSG:" + ModelHeightEpsg(description.model) + ") + N. From " +
           description.grid + ", " + description.method +
           (description.tideSystem.empty() ? "" : ", " + description.tideSystem + " system") + ".";
}

// Writes the lattice's rows as a row of tiles at a time; see geotiff_output.hpp.
class GeotiffWriter final : public LatticeRaster {
public:
    GeotiffWriter(TextOutput& output, const LatticeDescription& description)
        : output_(output), description_(description) {}
    ~GeotiffWriter() override { Close(); }
    GeotiffWriter(const GeotiffWriter&) = delete;
    GeotiffWriter& operator=(const GeotiffWriter&) = delete;

    bool Begin(const LatticeShape& shape) override;
    bool Row(std::uint64_t row, std::span<const float> values) override;
    bool Finish(bool whole) override;
    int error() const override { return error_; }

private:
    bool SetImageTags();
    bool SetGeoTags();
    bool WriteTileRow();
    bool Fail();
    void Close();

    TextOutput& output_;
    LatticeDescription description_;
    LatticeShape shape_;
    GeotiffLayout layout_;
    TiffSink sink_;
    TIFF* tiff_ = nullptr;
    std::uint64_t across_ = 0;       // tiles in a row of tiles
    std::size_t tileValues_ = 0;     // values in one tile
    std::vector<float> tiles_;       // the row of tiles being filled, tile after tile
    std::uint64_t tileRow_ = 0;      // its index
    std::uint32_t rowsPending_ = 0;  // rows of it filled and not written
    int error_ = 0;
};

bool GeotiffWriter::Begin(const LatticeShape& shape) {
    layout_ = GeotiffLayoutOf(shape.rows, shape.columns);
    if (!layout_.holds) return false;
    shape_ = shape;
    across_ = (shape.columns + layout_.tileWidth - 1) / layout_.tileWidth;
    tileValues_ = std::size_t{layout_.tileWidth} * layout_.tileHeight;
    tiles_.assign(static_cast<std::size_t>(across_) * tileValues_, kGeotiffNoData);
    sink_ = TiffSink{&output_, 0, 0};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, IgnoreTiffMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreTiffMessage, nullptr);
    tiff_ =
        TIFFClientOpenExt("GeoTIFF", layout_.bigTiff ? "w8l" : "wl", &sink_, SinkRead, SinkWrite,
                          SinkSeek, SinkClose, SinkSize, SinkMap, SinkUnmap, options);
    TIFFOpenOptionsFree(options);
    // A file that cannot be begun fails at the first row, as a write.
    if (tiff_ == nullptr || !SetImageTags() || !SetGeoTags()) Fail();
    return true;
}

bool GeotiffWriter::SetImageTags() {
    const std::string noData = kGeotiffNoDataText;
    const std::string metadata = MetadataXml(description_, shape_);
    const std::string words = ImageDescription(description_);
    return TIFFMergeFieldInfo(tiff_, kExtraFields, std::size(kExtraFields)) == 0 &&
           TIFFSetField(tiff_, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(shape_.columns)) &&
           TIFFSetField(tiff_, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(shape_.rows)) &&
           TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 32) &&
           TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, 1) &&
           TIFFSetField(tiff_, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) &&
           TIFFSetField(tiff_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
           TIFFSetField(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
           TIFFSetField(tiff_, TIFFTAG_TILEWIDTH, layout_.tileWidth) &&
           TIFFSetField(tiff_, TIFFTAG_TILELENGTH, layout_.tileHeight) &&
           TIFFSetField(tiff_, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
           TIFFSetField(tiff_, TIFFTAG_PREDICTOR, PREDICTOR_FLOATINGPOINT) &&
           TIFFSetField(tiff_, TIFFTAG_ZIPQUALITY, kDeflateLevel) &&
           TIFFSetField(tiff_, TIFFTAG_IMAGEDESCRIPTION, words.c_str()) &&
           TIFFSetField(tiff_, TIFFTAG_SOFTWARE, description_.software.c_str()) &&
           TIFFSetField(tiff_, kGdalNoDataTag, noData.c_str()) &&
           TIFFSetField(tiff_, kGdalMetadataTag, metadata.c_str());
}

bool GeotiffWriter::SetGeoTags() {
    // Pixel (0, 0) is the node at (west, north); a pixel is a step in each direction.
    double tiepoint[6] = {0.0, 0.0, 0.0, shape_.west, description_.north, 0.0};
    double scale[3] = {shape_.lonStep, shape_.latStep, 0.0};
    if (!TIFFSetField(tiff_, TIFFTAG_GEOTIEPOINTS, 6, tiepoint) ||
        !TIFFSetField(tiff_, TIFFTAG_GEOPIXELSCALE, 3, scale)) {
        return false;
    }
    GTIF* keys = GTIFNewEx(tiff_, IgnoreKeyMessage, nullptr);
    if (keys == nullptr) return false;
    // Geographic WGS 84 and no vertical system: N is no height in one, but the
    // difference between two (the TYPE and target_crs_epsg_code items say which).
    const bool set = GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic) &&
                     GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsPoint) &&
                     GTIFKeySet(keys, GeographicTypeGeoKey, TYPE_SHORT, 1, kWgs84) &&
                     GTIFWriteKeys(keys);
    GTIFFree(keys);
    return set;
}

bool GeotiffWriter::Row(std::uint64_t row, std::span<const float> values) {
    if (tiff_ == nullptr || error_ != 0) return false;
    const std::size_t width = layout_.tileWidth;
    const std::size_t inTile = static_cast<std::size_t>(row % layout_.tileHeight) * width;
    for (std::size_t tile = 0, column = 0; column < values.size(); ++tile, column += width) {
        float* to = tiles_.data() + tile * tileValues_ + inTile;
        const std::size_t count = std::min(width, values.size() - column);
        for (std::size_t k = 0; k < count; ++k) {
            const float value = values[column + k];
            to[k] = std::isnan(value) ? kGeotiffNoData : value;
        }
        std::fill(to + count, to + width, kGeotiffNoData);  // beyond the east edge
    }
    tileRow_ = row / layout_.tileHeight;
    rowsPending_ = static_cast<std::uint32_t>(row % layout_.tileHeight) + 1;
    if (rowsPending_ == layout_.tileHeight || row + 1 == shape_.rows) return WriteTileRow();
    return true;
}

// Writes the pending rows' tiles, rows beyond them NoData.
bool GeotiffWriter::WriteTileRow() {
    const std::size_t filled = std::size_t{rowsPending_} * layout_.tileWidth;
    for (std::uint64_t tile = 0; tile < across_; ++tile) {
        float* values = tiles_.data() + tile * tileValues_;
        std::fill(values + filled, values + tileValues_, kGeotiffNoData);
        const std::uint32_t index =
            TIFFComputeTile(tiff_, static_cast<std::uint32_t>(tile * layout_.tileWidth),
                            static_cast<std::uint32_t>(tileRow_ * layout_.tileHeight), 0, 0);
        const auto bytes = static_cast<tmsize_t>(tileValues_ * sizeof(float));
        if (TIFFWriteEncodedTile(tiff_, index, values, bytes) != bytes) return Fail();
    }
    rowsPending_ = 0;
    return true;
}

bool GeotiffWriter::Finish(bool) {
    if (tiff_ == nullptr) return error_ == 0;
    // A stopped run: the rows it got, in their row of tiles; later tiles stay out.
    if (error_ == 0 && rowsPending_ > 0) WriteTileRow();
    if (error_ == 0 && TIFFFlush(tiff_) != 1) Fail();
    Close();
    return error_ == 0;
}

bool GeotiffWriter::Fail() {
    if (error_ == 0) error_ = output_.error() != 0 ? output_.error() : EIO;
    return false;
}

void GeotiffWriter::Close() {
    if (tiff_ == nullptr) return;
    // After Finish's flush there is nothing left to write; a file given up writes nothing.
    sink_.output = nullptr;
    TIFFClose(tiff_);
    tiff_ = nullptr;
}

}  // namespace

GeotiffLayout GeotiffLayoutOf(std::uint64_t rows, std::uint64_t columns) {
    GeotiffLayout layout;
    if (rows == 0 || columns == 0 || rows > std::numeric_limits<std::uint32_t>::max() ||
        columns > kGeotiffColumnLimit) {
        return layout;
    }
    const std::uint64_t across = (columns + kTileSide - 1) / kTileSide;
    const std::uint64_t rowBytes = across * kTileSide * sizeof(float);
    std::uint64_t height = kTileSide;
    while (height > kTileHeightStep && height * rowBytes > kTileRowBudget) {
        height -= kTileHeightStep;
    }
    const std::uint64_t down = (rows + height - 1) / height;
    if (across * down >= std::numeric_limits<std::uint32_t>::max()) return layout;
    layout.holds = true;
    layout.tileWidth = kTileSide;
    layout.tileHeight = static_cast<std::uint32_t>(height);
    // Deflate makes data it cannot shrink a few bytes per 64 KiB longer: 1 % is
    // ample; each tile has an offset and a byte count of up to 8 bytes each.
    const std::uint64_t tileBytes = kTileSide * height * sizeof(float);
    const std::uint64_t bound = across * down * (tileBytes + tileBytes / 100 + 16) + (1 << 20);
    layout.bigTiff = bound >= kClassicTiffLimit;
    return layout;
}

std::unique_ptr<LatticeRaster> MakeGeotiffOutput(TextOutput& output,
                                                 const LatticeDescription& description) {
    return std::make_unique<GeotiffWriter>(output, description);
}

namespace {

bool GeotiffHolds(const LatticeShape& shape) {
    return GeotiffLayoutOf(shape.rows, shape.columns).holds;
}

}  // namespace

const LatticeFormatInfo kGeotiffFormat = {.format = LatticeFormat::Geotiff,
                                          .name = "geotiff",
                                          .extensions = {".tif", ".tiff"},
                                          .toStandardOutput = false,
                                          .missingNode = "written as NoData",
                                          .limits = {.leastRows = kProjLeastCount,
                                                     .leastColumns = kProjLeastCount,
                                                     .mostColumns = kGeotiffColumnLimit},
                                          .holds = GeotiffHolds,
                                          .header = nullptr,
                                          .nodes = nullptr,
                                          .raster = MakeGeotiffOutput,
                                          .pickerPlace = 2,
                                          .pickerItem = "GeoTIFF",
                                          .saveFilter = "GeoTIFF (*.tif *.tiff)"};

}  // namespace egm2008
