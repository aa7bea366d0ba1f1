#include "tasks/dem/dem_convert.hpp"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_access.hpp"
#include "engine/file_identity.hpp"
#include "engine/geoid_model.hpp"
#include "engine/query_routines.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/common/ordered_work.hpp"
#include "tasks/dem/batch_transfer.hpp"
#include "tasks/dem/pixel_places.hpp"
#include "tasks/dem/quiet_gdal.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

double ConvertedHeight(double h, float undulation, double latitude, HeightTarget target,
                       TideSystem tide) {
    const double n = InTideSystem(tide, latitude, static_cast<double>(undulation));
    return target == HeightTarget::Ellipsoidal ? h + n : h - n;
}

namespace {

// The output data types and their ranges; integers are rounded and clipped.
struct OutputType {
    GDALDataType type;
    bool integer;
    double lowest;
    double highest;
};

std::optional<OutputType> OutputTypeOf(GDALDataType type) {
    switch (type) {
        case GDT_Float32:
            return OutputType{type, false, -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::infinity()};
        case GDT_Float64:
            return OutputType{type, false, -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::infinity()};
        case GDT_Int16: return OutputType{type, true, -32768.0, 32767.0};
        case GDT_Int32: return OutputType{type, true, -2147483648.0, 2147483647.0};
        default: return std::nullopt;
    }
}

bool IsWgs84Datum(const OGRSpatialReference& horizontal) {
    const char* code = horizontal.GetAuthorityCode("DATUM");
    if (code && std::string(code) == "6326") return true;
    const char* name = horizontal.GetAttrValue("DATUM");
    const std::string datum = name ? name : "";
    return datum == "WGS_1984" || datum.rfind("World Geodetic System 1984", 0) == 0;
}

std::string NameOf(const OGRSpatialReference& crs) {
    const char* name = crs.GetName();
    return name ? name : "unnamed";
}

// True when the CRS already says its heights are `target`: a vertical component for heights above
// the geoid, a three-dimensional geographic CRS for ellipsoidal ones.
bool AlreadyTarget(const OGRSpatialReference& crs, HeightTarget target) {
    if (target == HeightTarget::Orthometric) return crs.IsVertical() != 0;
    return !crs.IsCompound() && crs.GetAxesCount() == 3;
}

// What the output's CRS says: the horizontal CRS with the model's height for heights above
// the geoid, WGS 84 in three dimensions for ellipsoidal heights.
std::optional<OGRSpatialReference> OutputCrs(const OGRSpatialReference& input, HeightTarget target,
                                             GeoidModel model) {
    OGRSpatialReference out;
    out.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const OGRSpatialReference horizontal = HorizontalCrs(input);
    if (target == HeightTarget::Ellipsoidal) {
        // GeoTIFF has no projected CRS in three dimensions: a projected DEM keeps its own.
        if (horizontal.IsProjected()) return horizontal;
        if (out.importFromEPSG(4979) != OGRERR_NONE) return std::nullopt;
        return out;
    }
    OGRSpatialReference vertical;
    if (vertical.importFromEPSG(std::atoi(ModelHeightEpsg(model))) != OGRERR_NONE)
        return std::nullopt;
    const std::string name = NameOf(horizontal) + " + " + NameOf(vertical);
    if (out.SetCompoundCS(name.c_str(), &horizontal, &vertical) != OGRERR_NONE) return std::nullopt;
    return out;
}

// True when the geotransform's x is latitude or northing: the data's first axis maps to a CRS
// axis pointing north or south (a CRS read in its authority's order). A GeoTIFF holds its
// geotransform easting first, so such a raster is refused rather than written misplaced.
bool NorthingFirst(const OGRSpatialReference& crs, const OGRSpatialReference& horizontal) {
    const std::vector<int>& mapping = crs.GetDataAxisToSRSAxisMapping();
    OGRAxisOrientation first = OAO_Other;
    if (!mapping.empty()) horizontal.GetAxis(nullptr, std::abs(mapping[0]) - 1, &first);
    return first == OAO_North || first == OAO_South;
}

// The model whose heights a CRS's vertical component names, by its EPSG code.
std::optional<GeoidModel> HeldModel(const OGRSpatialReference& crs) {
    if (!crs.IsCompound()) return std::nullopt;
    const char* code = crs.GetAuthorityCode("COMPD_CS|VERT_CS");
    if (code == nullptr) return std::nullopt;
    for (const GeoidModel model : {GeoidModel::Egm2008, GeoidModel::Egm96, GeoidModel::Egm84})
        if (std::string(code) == ModelHeightEpsg(model)) return model;
    return std::nullopt;
}

// The checks before anything is written; "" when the input may be converted.
std::string Refusal(const std::string& path, GDALDataset& in, bool hasTransform,
                    const DemOptions& options, GeoidModel model) {
    if (options.band < 1 || options.band > in.GetRasterCount())
        return DemNoBandMessage(path, options.band, in.GetRasterCount());
    const OGRSpatialReference* crs = in.GetSpatialRef();
    if (!hasTransform || crs == nullptr || crs->IsEmpty()) return DemNotGeoreferencedMessage(path);
    if (!crs->IsProjected() && !crs->IsGeographic())
        return DemNotGeographicMessage(path, NameOf(*crs));
    const OGRSpatialReference horizontal = HorizontalCrs(*crs);
    if (NorthingFirst(*crs, horizontal)) return DemNorthingFirstMessage(path);
    if (!options.assumeWgs84 && !IsWgs84Datum(horizontal)) {
        const char* datum = horizontal.GetAttrValue("DATUM");
        return DemNotWgs84Message(path, datum ? datum : "unnamed");
    }
    if (options.force) return "";
    if (AlreadyTarget(*crs, options.target))
        return DemAlreadyTargetMessage(
            path, options.target == HeightTarget::Orthometric ? "orthometric" : "ellipsoidal",
            NameOf(*crs));
    if (const std::optional<GeoidModel> held = HeldModel(*crs);
        options.target == HeightTarget::Ellipsoidal && held && *held != model)
        return DemOtherModelMessage(path, ModelName(*held), ModelKey(*held), ModelName(model));
    return "";
}

using RowsDone = std::function<void(std::int64_t, std::int64_t)>;

// Batches in the ring: read, two being moved, written.
constexpr std::size_t kBatchesInFlight = 4;

// A rectangle of the band: read by the thread that runs the run, its pixels moved on a worker,
// written back in the order the rectangles were read. Each batch has its own PixelPlaces, as a
// coordinate transformation serves one thread at a time.
struct DemBatch {
    PixelRect rect;
    bool lastOfRows = false;      // the rectangle ends its band of rows
    GDALDatasetUniquePtr source;  // the input, when the batch's worker reads it
    std::string unread;           // why the worker could not read the batch
    RawPixels in, out;            // the files' types
    std::vector<double> values;   // the rectangle's rows; may be longer
    std::vector<GByte> mask;      // the input's mask over the rectangle, when it has one
    DemCounts counts;
    PixelPlaces places;
    bool placed = false;  // `places` set
    std::vector<double> latitudes, longitudes;
    std::vector<int> ok;
    std::vector<float> undulations;
    std::vector<QueryStatus> statuses;
};

// The rectangles a run goes through: whole blocks of the input, a band of rows at a time and
// left to right within it, each of at most `pixels` unless one block is more.
struct BatchShape {
    int rows = 1;
    int columns = 1;
};

BatchShape ShapeOf(GDALRasterBand& band, std::int64_t pixels) {
    int blockX = 0, blockY = 0;
    band.GetBlockSize(&blockX, &blockY);
    const std::int64_t width = band.GetXSize();
    const std::int64_t height = band.GetYSize();
    blockX = static_cast<int>(std::clamp<std::int64_t>(blockX, 1, width));
    blockY = static_cast<int>(std::clamp<std::int64_t>(blockY, 1, height));
    BatchShape shape;
    if (std::int64_t{blockX} * blockY > 4 * pixels) {
        // A block too large to hold four times over: rows of it, its cache keeping the rest.
        shape.columns = blockX;
        shape.rows = static_cast<int>(std::max<std::int64_t>(1, pixels / blockX));
        return shape;
    }
    const std::int64_t blocks = std::max<std::int64_t>(1, pixels / (std::int64_t{blockX} * blockY));
    if (blockX >= width) {
        shape.columns = static_cast<int>(width);
        shape.rows = static_cast<int>(std::min<std::int64_t>(height, blocks * blockY));
    } else {
        shape.rows = blockY;
        shape.columns = static_cast<int>(std::min<std::int64_t>(width, blocks * blockX));
    }
    return shape;
}

// The band's values moved, rectangle by rectangle, into the output band.
class PixelMover {
public:
    PixelMover(GDALDataset& inDataset, GDALRasterBand& in, GDALRasterBand& out,
               const OutputType& type, const double (&transform)[6], const OGRSpatialReference& crs,
               const GeoidGrid& grid, NodeReader& reader, const DemOptions& options)
        : inputPath_(inDataset.GetDescription()),
          in_(in),
          transfer_(inDataset, in, out),
          type_(type),
          transform_(transform),
          crs_(crs),
          grid_(grid),
          reader_(reader),
          options_(options) {
        int has = 0;
        const double nodata = in.GetNoDataValue(&has);
        hasNodata_ = has != 0;
        inNodata_ = has ? nodata : 0.0;
        scale_ = in.GetScale(&has);
        if (!has) scale_ = 1.0;
        offset_ = in.GetOffset(&has);
        if (!has) offset_ = 0.0;
        scaled_ = scale_ != 1.0;
        // A mask of the dataset's own (an alpha band, a .msk) says where there is no data
        // when no nodata value does.
        const int flags = in.GetMaskFlags();
        masked_ = (flags & (GMF_PER_DATASET | GMF_ALPHA)) != 0 && (flags & GMF_ALL_VALID) == 0;
        outNodata_ = OutputNodata();
    }

    /// Moves every pixel; false when a read or write failed (GDAL's message is the last error)
    /// or `stop` was asked for. Workers share the grid only when it is mapped (its reads are
    /// const); any other reader is used on this thread alone.
    bool Run(DemCounts& counts, const RunStop& stop, const RowsDone& done) {
        const int width = in_.GetXSize();
        const int height = in_.GetYSize();
        const BatchShape shape = ShapeOf(in_, std::max<std::int64_t>(1, options_.batchPixels));
        const std::size_t workers =
            dynamic_cast<const MappedGrid*>(&reader_) != nullptr ? RunWorkerCount() : 0;
        OrderedWork<DemBatch> work(kBatchesInFlight, workers,
                                   [this](DemBatch& batch) { Move(batch); });
        int row = 0, column = 0;
        bool failed = false;
        while (!failed && (row < height || work.Pending())) {
            if (row < height && !work.Full() && !stop.Requested()) {
                DemBatch& batch = work.Fill();
                PixelRect& rect = batch.rect;
                rect.row = row;
                rect.column = column;
                rect.rows = std::min(shape.rows, height - row);
                rect.columns = std::min(shape.columns, width - column);
                column += rect.columns;
                batch.lastOfRows = column >= width;
                if (batch.lastOfRows) {
                    column = 0;
                    row += rect.rows;
                }
                if (Prepare(batch))
                    work.Submit();
                else
                    failed = true;
                continue;
            }
            if (!work.Pending()) break;  // stopped with nothing left in flight
            DemBatch& batch = work.TakeOldest();
            if (!batch.unread.empty()) {
                CPLError(CE_Failure, CPLE_AppDefined, "%s", batch.unread.c_str());
                failed = true;
            } else if (!transfer_.Write(batch.rect, batch.out)) {
                failed = true;
            }
            Add(counts, batch.counts);
            if (done && batch.lastOfRows) done(batch.rect.row + batch.rect.rows, height);
            work.Release();
        }
        return !failed && !stop.Requested();
    }

    /// The output's nodata value, when it has one: the input's, else the one masked and failed
    /// pixels take.
    std::optional<double> nodata(const DemCounts& counts) const {
        if (hasNodata_ || masked_ || counts.failed > 0) return outNodata_;
        return std::nullopt;
    }

private:
    // A batch made ready on the thread that runs the run: its places, its mask, and its pixels
    // read unless its worker reads them through the batch's own handle of the input (opened
    // here).
    bool Prepare(DemBatch& batch) {
        if (!batch.placed) batch.placed = batch.places.Set(transform_, crs_);
        if (!batch.placed) return false;
        batch.mask.clear();
        if (masked_) {
            const PixelRect& rect = batch.rect;
            batch.mask.resize(static_cast<std::size_t>(rect.rows) *
                              static_cast<std::size_t>(rect.columns));
            if (in_.GetMaskBand()->RasterIO(GF_Read, rect.column, rect.row, rect.columns, rect.rows,
                                            batch.mask.data(), rect.columns, rect.rows, GDT_Byte, 0,
                                            0, nullptr) != CE_None)
                return false;
        }
        if (!transfer_.ReadsOnWorker(batch.rect)) return transfer_.Read(batch.rect, batch.in);
        if (!batch.source) {
            batch.source.reset(
                GDALDataset::Open(inputPath_.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
        }
        return batch.source != nullptr;
    }

    // The batch's blocks read on its worker, GDAL's messages kept there; false, the message in
    // `batch.unread`, when they could not be.
    bool ReadOnWorker(DemBatch& batch) const {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
        const bool read =
            transfer_.ReadBlocks(*batch.source->GetRasterBand(options_.band), batch.rect, batch.in);
        if (!read) batch.unread = QuietGdal::LastMessage();
        CPLPopErrorHandler();
        return read;
    }

    static void Add(DemCounts& to, const DemCounts& from) {
        to.converted += from.converted;
        to.nodata += from.nodata;
        to.clipped += from.clipped;
        to.failed += from.failed;
    }

    // The input's nodata when the output type holds it, else NaN or the type's lowest value.
    double OutputNodata() const {
        if (hasNodata_) {
            const double v = inNodata_;
            if (!type_.integer || (v >= type_.lowest && v <= type_.highest && v == std::round(v)))
                return v;
        }
        return type_.integer ? type_.lowest : std::numeric_limits<double>::quiet_NaN();
    }

    // Rounds `raw` to the integer type, clipped to its range and never onto the nodata value
    // (a converted pixel stays data: it goes one step towards its exact value, or inwards);
    // true when it had to be moved more than rounding moves it.
    bool Rounded(double& raw) const {
        const double exact = raw;
        raw = std::round(raw);
        bool clipped = false;
        if (raw < type_.lowest || raw > type_.highest) {
            raw = raw < type_.lowest ? type_.lowest : type_.highest;
            clipped = true;
        }
        if (raw == outNodata_) {
            const bool up = raw == type_.lowest || (raw != type_.highest && exact > raw);
            raw += up ? 1.0 : -1.0;
            clipped = true;
        }
        return clipped;
    }

    bool IsNodata(double raw) const {
        if (!hasNodata_) return false;
        if (std::isnan(inNodata_)) return std::isnan(raw);
        return raw == inNodata_;
    }

    // Every pixel of the batch, on a worker: only the batch and the const grid are touched.
    // A row's N are computed together, its pixels sharing the grid's windows.
    void Move(DemBatch& batch) const {
        batch.counts = DemCounts{};
        const PixelRect& rect = batch.rect;
        batch.unread.clear();
        if (transfer_.ReadsOnWorker(rect) && !ReadOnWorker(batch)) return;
        const std::size_t pixels =
            static_cast<std::size_t>(rect.rows) * static_cast<std::size_t>(rect.columns);
        double* values = AtLeast(batch.values, pixels);
        transfer_.Unpack(rect, batch.in, values);
        if (batch.places.lattice())
            MoveLattice(batch, values);
        else
            MoveRows(batch, values);
        transfer_.Pack(rect, values, batch.out);
    }

    // Row by row, each pixel placed on its own (a projected or rotated raster).
    void MoveRows(DemBatch& batch, double* values) const {
        const PixelRect& rect = batch.rect;
        const auto columns = static_cast<std::size_t>(rect.columns);
        batch.undulations.resize(columns);
        batch.statuses.resize(columns);
        for (int r = 0; r < rect.rows; ++r, values += columns) {
            batch.places.Row(rect.row + r, rect.column, rect.columns, batch.latitudes,
                             batch.longitudes, batch.ok);
            ComputeUndulations(grid_, options_.method, batch.latitudes, batch.longitudes,
                               batch.undulations, batch.statuses, reader_);
            for (std::size_t c = 0; c < columns; ++c) {
                if (Masked(batch, static_cast<std::size_t>(r) * columns + c)) {
                    MarkNodata(values[c], batch.counts);
                    continue;
                }
                const bool computed =
                    batch.ok[c] != 0 && batch.statuses[c] == QueryStatus::StatusOk;
                MovePixel(values[c], batch.latitudes[c], computed ? &batch.undulations[c] : nullptr,
                          batch.counts);
            }
        }
    }

    // A rectangle whose rows each have one latitude and columns one longitude: N for all of it
    // at once, each window of the grid read once for it.
    void MoveLattice(DemBatch& batch, double* values) const {
        const PixelRect& rect = batch.rect;
        batch.places.Lattice(rect.row, rect.rows, rect.column, rect.columns, batch.latitudes,
                             batch.longitudes);
        const auto columns = static_cast<std::size_t>(rect.columns);
        const std::size_t pixels = static_cast<std::size_t>(rect.rows) * columns;
        const std::span<float> undulations(AtLeast(batch.undulations, pixels), pixels);
        const std::span<QueryStatus> statuses(AtLeast(batch.statuses, pixels), pixels);
        ComputeUndulationLattice(grid_, options_.method, batch.latitudes, batch.longitudes,
                                 undulations, statuses, reader_);
        for (std::size_t k = 0, r = 0; r < static_cast<std::size_t>(rect.rows); ++r) {
            const double latitude = batch.latitudes[r];
            for (std::size_t end = k + columns; k < end; ++k) {
                if (Masked(batch, k)) {
                    MarkNodata(values[k], batch.counts);
                    continue;
                }
                const bool computed = statuses[k] == QueryStatus::StatusOk;
                MovePixel(values[k], latitude, computed ? &undulations[k] : nullptr, batch.counts);
            }
        }
    }

    // The vector's storage for `size` elements: it grows when it must, and never shrinks or
    // clears, as a batch writes each element before reading it.
    template <typename T>
    static T* AtLeast(std::vector<T>& vector, std::size_t size) {
        if (vector.size() < size) vector.resize(size);
        return vector.data();
    }

    // True when the input's mask says the rectangle's `k`th pixel holds no data.
    static bool Masked(const DemBatch& batch, std::size_t k) {
        return !batch.mask.empty() && batch.mask[k] == 0;
    }

    void MarkNodata(double& value, DemCounts& counts) const {
        ++counts.nodata;
        value = outNodata_;
    }

    // One pixel moved by `undulation`, which is null where the pixel has no N.
    void MovePixel(double& value, double latitude, const float* undulation,
                   DemCounts& counts) const {
        if (IsNodata(value)) {
            MarkNodata(value, counts);
            return;
        }
        if (std::isnan(value) || undulation == nullptr) {
            ++counts.failed;
            value = outNodata_;
            return;
        }
        // Scale 1 skips a multiplication and a division that would change no bit.
        const double h = scaled_ ? value * scale_ + offset_ : value + offset_;
        const double moved =
            ConvertedHeight(h, *undulation, latitude, options_.target, options_.tide) - offset_;
        double raw = scaled_ ? moved / scale_ : moved;
        ++counts.converted;
        if (type_.integer) {
            if (Rounded(raw)) ++counts.clipped;
        } else if (type_.type == GDT_Float32 &&
                   std::fabs(raw) > static_cast<double>(std::numeric_limits<float>::max())) {
            raw = raw < 0 ? -static_cast<double>(std::numeric_limits<float>::max())
                          : static_cast<double>(std::numeric_limits<float>::max());
            ++counts.clipped;
        }
        value = raw;
    }

    std::string inputPath_;  // as the input was opened, for the batches' own handles
    GDALRasterBand& in_;
    BatchTransfer transfer_;
    OutputType type_;
    const double (&transform_)[6];
    const OGRSpatialReference& crs_;
    const GeoidGrid& grid_;
    NodeReader& reader_;
    const DemOptions& options_;
    bool hasNodata_ = false;
    bool masked_ = false;  // the input's own mask says where it has no data
    double inNodata_ = 0.0;
    double outNodata_ = 0.0;
    double scale_ = 1.0;
    bool scaled_ = false;
    double offset_ = 0.0;
};

// The user's --co options set in `list` over what it holds, COG=YES|NO aside (it chooses the
// writer).
void SetUserOptions(const DemOptions& options, CPLStringList& list) {
    for (const std::string& pair : options.creationOptions) {
        const std::size_t eq = pair.find('=');
        if (eq == std::string::npos || EQUAL(pair.substr(0, eq).c_str(), "COG")) continue;
        list.SetNameValue(pair.substr(0, eq).c_str(), pair.substr(eq + 1).c_str());
    }
}

// The GeoTIFF writer's options: BigTIFF when needed, the input's block size, compression and
// predictor, blocks compressed on every core, then the user's (COG=YES|NO aside: it chooses the
// layout).
CPLStringList CreationOptions(GDALDataset& in, GDALRasterBand& band, const DemOptions& options) {
    CPLStringList list;
    // A compressed output's size is unknown beforehand: past 4 GB of pixels it is a BigTIFF,
    // so that a large DEM never fails at the end for the classic TIFF's limit.
    list.SetNameValue("BIGTIFF", "IF_SAFER");
    int blockX = 0, blockY = 0;
    band.GetBlockSize(&blockX, &blockY);
    if (blockX == band.GetXSize()) {
        list.SetNameValue("BLOCKYSIZE", std::to_string(blockY).c_str());
    } else if (blockX % 16 == 0 && blockY % 16 == 0) {
        list.SetNameValue("TILED", "YES");
        list.SetNameValue("BLOCKXSIZE", std::to_string(blockX).c_str());
        list.SetNameValue("BLOCKYSIZE", std::to_string(blockY).c_str());
    }
    if (const char* compression = in.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE")) {
        list.SetNameValue("COMPRESS", compression);
        list.SetNameValue("NUM_THREADS", "ALL_CPUS");
    }
    if (const char* predictor = in.GetMetadataItem("PREDICTOR", "IMAGE_STRUCTURE"))
        list.SetNameValue("PREDICTOR", predictor);
    SetUserOptions(options, list);
    return list;
}

// True when the output is to be a Cloud-Optimised GeoTIFF: as --co COG=YES|NO says, else when
// the input is one.
bool WantsCog(GDALDataset& in, const DemOptions& options) {
    for (const std::string& pair : options.creationOptions) {
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos && EQUAL(pair.substr(0, eq).c_str(), "COG"))
            return CPLTestBool(pair.substr(eq + 1).c_str());
    }
    const char* layout = in.GetMetadataItem("LAYOUT", "IMAGE_STRUCTURE");
    return layout != nullptr && EQUAL(layout, "COG");
}

// The COG writer's options from the GeoTIFF ones: its blocks are square, always tiled.
CPLStringList CogOptions(const CPLStringList& creation) {
    CPLStringList list;
    for (int k = 0; k < creation.size(); ++k) {
        char* key = nullptr;
        const char* value = CPLParseNameValue(creation[k], &key);
        if (key == nullptr || value == nullptr) {
            CPLFree(key);
            continue;
        }
        if (EQUAL(key, "BLOCKXSIZE")) {
            list.SetNameValue("BLOCKSIZE", value);
        } else if (!EQUAL(key, "TILED") && !EQUAL(key, "BLOCKYSIZE")) {
            list.SetNameValue(key, value);
        }
        CPLFree(key);
    }
    if (list.FetchNameValue("NUM_THREADS") == nullptr) list.SetNameValue("NUM_THREADS", "ALL_CPUS");
    return list;
}

// "" when the writer takes every option the user gave, else GDAL's reason: an option it does not
// know or a value it does not take would otherwise be passed over without a word.
std::string UserOptionsRefusal(GDALDataset& in, const DemOptions& options) {
    CPLStringList user;
    SetUserOptions(options, user);
    const bool cog = WantsCog(in, options);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(cog ? "COG" : "GTiff");
    if (driver == nullptr) return "";  // said when the output is made
    CPLErrorReset();
    const CPLStringList checked = cog ? CogOptions(user) : user;
    return GDALValidateCreationOptions(driver, checked.List()) ? "" : QuietGdal::LastMessage();
}

// The run's GDAL block cache, bounded while it lasts (GDAL's default grows with the machine's
// memory): blocks are read and written whole, a batch at a time, and need not stay.
class BoundedBlockCache {
public:
    static constexpr GIntBig kBytes = GIntBig{48} << 20;
    BoundedBlockCache() : before_(GDALGetCacheMax64()) { GDALSetCacheMax64(kBytes); }
    ~BoundedBlockCache() { GDALSetCacheMax64(before_); }
    BoundedBlockCache(const BoundedBlockCache&) = delete;
    BoundedBlockCache& operator=(const BoundedBlockCache&) = delete;

private:
    GIntBig before_;
};

// Asks GDAL's copying to stop when the run is to stop.
int CPL_STDCALL CopyProgress(double, const char*, void* data) {
    return static_cast<const RunStop*>(data)->Requested() ? FALSE : TRUE;
}

// Removes a file when it goes out of scope, unless there is none.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : path_(std::move(path)) {}
    ~ScratchFile() {
        if (!path_.empty()) VSIUnlink(path_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void Describe(GDALDataset& out, GDALRasterBand& band, const GeoidGrid& grid,
              const DemOptions& options) {
    const bool orthometric = options.target == HeightTarget::Orthometric;
    out.SetMetadataItem("EGM2008_HEIGHTS", orthometric ? "orthometric" : "ellipsoidal");
    out.SetMetadataItem("EGM2008_MODEL", ModelName(grid.model));
    out.SetMetadataItem("EGM2008_GRID",
                        std::filesystem::path(grid.path).filename().string().c_str());
    out.SetMetadataItem("EGM2008_METHOD", options.methodName.c_str());
    out.SetMetadataItem("EGM2008_TIDE_SYSTEM", TideSystemName(options.tide));
    band.SetDescription(orthometric ? "orthometric height" : "ellipsoidal height");
}

// Writes the converted raster to `path` (the temporary file); "" or the reason it failed.
// A Cloud-Optimised GeoTIFF is copied by GDAL's COG writer from a tiled, uncompressed GeoTIFF
// beside the output, removed at the end.
std::string WriteConverted(GDALDataset& in, const std::string& path, const OutputType& type,
                           double (&transform)[6], const GeoidGrid& grid, NodeReader& reader,
                           const DemOptions& options, const RunStop& stop, const RowsDone& done,
                           DemCounts& counts) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (driver == nullptr) return "GDAL has no GTiff driver.";
    GDALRasterBand& band = *in.GetRasterBand(options.band);
    const CPLStringList creation = CreationOptions(in, band, options);
    const bool cog = WantsCog(in, options);
    GDALDriver* cogDriver = cog ? GetGDALDriverManager()->GetDriverByName("COG") : nullptr;
    if (cog && cogDriver == nullptr) return "GDAL has no COG driver.";
    const ScratchFile scratch(cog ? path + ".tiles.tif" : "");
    CPLStringList scratchOptions;
    scratchOptions.SetNameValue("TILED", "YES");
    scratchOptions.SetNameValue("BIGTIFF", "IF_SAFER");
    GDALDatasetUniquePtr out(driver->Create(cog ? scratch.path().c_str() : path.c_str(),
                                            in.GetRasterXSize(), in.GetRasterYSize(), 1, type.type,
                                            cog ? scratchOptions.List() : creation.List()));
    if (!out) return QuietGdal::LastMessage();
    out->SetGeoTransform(transform);
    const std::optional<OGRSpatialReference> crs =
        OutputCrs(*in.GetSpatialRef(), options.target, grid.model);
    if (!crs) return QuietGdal::LastMessage();
    out->SetSpatialRef(&*crs);
    if (const char* area = in.GetMetadataItem(GDALMD_AREA_OR_POINT))
        out->SetMetadataItem(GDALMD_AREA_OR_POINT, area);
    GDALRasterBand& outBand = *out->GetRasterBand(1);
    int has = 0;
    if (const double scale = band.GetScale(&has); has) outBand.SetScale(scale);
    if (const double offset = band.GetOffset(&has); has) outBand.SetOffset(offset);
    Describe(*out, outBand, grid, options);

    PixelMover mover(in, band, outBand, type, transform, *in.GetSpatialRef(), grid, reader,
                     options);
    if (!mover.Run(counts, stop, done)) return stop.Requested() ? "" : QuietGdal::LastMessage();
    if (const std::optional<double> nodata = mover.nodata(counts)) outBand.SetNoDataValue(*nodata);
    CPLErrorReset();
    if (cog) {
        const CPLStringList cogOptions = CogOptions(creation);
        GDALDatasetUniquePtr copy(cogDriver->CreateCopy(path.c_str(), out.get(), FALSE,
                                                        cogOptions.List(), CopyProgress,
                                                        const_cast<RunStop*>(&stop)));
        if (!copy) return stop.Requested() ? "" : QuietGdal::LastMessage();
        out.reset();
        out = std::move(copy);
    }
    out.reset();  // closes the file; a failure shows as the last error
    if (CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal)
        return QuietGdal::LastMessage();
    return "";
}

}  // namespace

DemOutcome ConvertDem(const std::string& input, const std::string& output, const GeoidGrid& grid,
                      NodeReader& reader, const DemOptions& options, const RunStop& stop,
                      const RowsDone& rows) {
    const auto start = std::chrono::steady_clock::now();
    QuietGdal quiet;
    const BoundedBlockCache cache;
    DemOutcome outcome;
    // Blocks of a GeoTIFF are decoded on every core. GDAL says why a file does not open (missing,
    // unreadable, in no format it knows) only when asked to.
    const char* const openOptions[] = {"NUM_THREADS=ALL_CPUS", nullptr};
    GDALDatasetUniquePtr in(
        GDALDataset::Open(input.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                          nullptr, openOptions));
    if (!in) {
        outcome.error = DemNotOpenedMessage(input, QuietGdal::LastMessage());
        return outcome;
    }
    double transform[6];
    const bool hasTransform = in->GetGeoTransform(transform) == CE_None;
    outcome.error = Refusal(input, *in, hasTransform, options, grid.model);
    if (!outcome.error.empty()) return outcome;
    PixelPlaces places;
    if (!places.Set(transform, *in->GetSpatialRef())) {
        outcome.error = DemNoPlacesMessage(input, QuietGdal::LastMessage());
        return outcome;
    }

    const GDALDataType inputType = in->GetRasterBand(options.band)->GetRasterDataType();
    const GDALDataType wanted =
        options.type.empty() ? inputType : GDALGetDataTypeByName(options.type.c_str());
    const std::optional<OutputType> type = OutputTypeOf(wanted);
    if (!type) {
        outcome.error = options.type.empty()
                            ? DemTypeNotHandledMessage(input, GDALGetDataTypeName(inputType))
                            : DemTypeUnknownMessage(options.type);
        return outcome;
    }

    if (const std::string refusal = UserOptionsRefusal(*in, options); !refusal.empty()) {
        outcome.error = DemCreationOptionMessage(refusal);
        return outcome;
    }

    // As every run: never over its input or its grid.
    if (SameFile(output, input)) outcome.error = OutputIsInputMessage(output);
    if (SameFile(output, grid.path)) outcome.error = OutputIsGridMessage(output);
    if (!outcome.error.empty()) return outcome;

    ReplacementFile replacement;
    const int fd = replacement.Create(output);
    if (fd < 0) {
        outcome.error = DemNotWrittenMessage(output, std::strerror(errno));
        return outcome;
    }
    ::close(fd);
    const std::string failure = WriteConverted(*in, replacement.path(), *type, transform, grid,
                                               reader, options, stop, rows, outcome.counts);
    if (stop.Requested()) {
        outcome.stopped = true;
        return outcome;  // the temporary file goes with `replacement`
    }
    if (!failure.empty()) {
        outcome.error = DemNotWrittenMessage(output, failure);
        return outcome;  // the temporary file goes with `replacement`
    }
    if (!replacement.Replace()) {
        outcome.error = DemNotWrittenMessage(output, std::strerror(errno));
        return outcome;
    }
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

}  // namespace egm2008
