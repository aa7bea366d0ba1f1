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
#include "tasks/messages.hpp"

namespace egm2008 {

double ConvertedHeight(double h, float undulation, double latitude, HeightTarget target,
                       TideSystem tide) {
    const double n = InTideSystem(tide, latitude, static_cast<double>(undulation));
    return target == HeightTarget::Ellipsoidal ? h + n : h - n;
}

namespace {

constexpr double kDegree = 0.017453292519943295;  // radians

// GDAL's messages go to the run's outcome, not to standard error, while a run lasts.
class QuietGdal {
public:
    QuietGdal() {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
    static std::string LastMessage() {
        const char* text = CPLGetLastErrorMsg();
        return text && *text ? text : "no reason given";
    }
};

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

// The horizontal component of a CRS, two-dimensional.
OGRSpatialReference Horizontal(const OGRSpatialReference& crs) {
    OGRSpatialReference horizontal(crs);
    if (horizontal.IsCompound()) horizontal.StripVertical();
    if (horizontal.GetAxesCount() == 3) horizontal.DemoteTo2D(nullptr);
    return horizontal;
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
    const OGRSpatialReference horizontal = Horizontal(input);
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

// The checks before anything is written; "" when the input may be converted.
std::string Refusal(const std::string& path, GDALDataset& in, bool hasTransform,
                    const DemOptions& options) {
    if (options.band < 1 || options.band > in.GetRasterCount())
        return DemNoBandMessage(path, options.band, in.GetRasterCount());
    const OGRSpatialReference* crs = in.GetSpatialRef();
    if (!hasTransform || crs == nullptr || crs->IsEmpty()) return DemNotGeoreferencedMessage(path);
    if (!crs->IsProjected() && !crs->IsGeographic())
        return DemNotGeographicMessage(path, NameOf(*crs));
    const OGRSpatialReference horizontal = Horizontal(*crs);
    if (NorthingFirst(*crs, horizontal)) return DemNorthingFirstMessage(path);
    if (!options.assumeWgs84 && !IsWgs84Datum(horizontal)) {
        const char* datum = horizontal.GetAttrValue("DATUM");
        return DemNotWgs84Message(path, datum ? datum : "unnamed");
    }
    if (!options.force && AlreadyTarget(*crs, options.target))
        return DemAlreadyTargetMessage(
            path, options.target == HeightTarget::Orthometric ? "orthometric" : "ellipsoidal",
            NameOf(*crs));
    return "";
}

// Where each pixel's N is taken: its centre in the geotransform, in degrees of latitude and
// longitude; a projected DEM's centres are taken to its geographic CRS through PROJ
// (OGRCoordinateTransformation), a row at a time.
class PixelPlaces {
public:
    /// False (GDAL's message the last error) when a projected CRS has no way to its
    /// geographic one.
    bool Set(const double (&transform)[6], const OGRSpatialReference& crs) {
        std::copy(std::begin(transform), std::end(transform), transform_);
        const OGRSpatialReference horizontal = Horizontal(crs);
        if (horizontal.IsProjected()) {
            OGRSpatialReference from(horizontal);
            from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            std::unique_ptr<OGRSpatialReference> to(from.CloneGeogCS());
            if (!to) return false;
            to->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);  // x longitude, y latitude
            projection_.reset(OGRCreateCoordinateTransformation(&from, to.get()));
            if (!projection_) return false;
            toDegrees_ = to->GetAngularUnits(nullptr);
        } else {
            toDegrees_ = horizontal.GetAngularUnits(nullptr);
        }
        toDegrees_ = std::fabs(toDegrees_ - kDegree) < 1e-15 ? 1.0 : toDegrees_ / kDegree;
        return true;
    }

    const double* transform() const { return transform_; }

    /// The places of row `row`'s `width` pixels; `ok[c]` false where there is none.
    void Row(int row, int width, std::vector<double>& latitudes, std::vector<double>& longitudes,
             std::vector<int>& ok) const {
        latitudes.resize(static_cast<std::size_t>(width));
        longitudes.resize(static_cast<std::size_t>(width));
        ok.assign(static_cast<std::size_t>(width), 1);
        const double y = row + 0.5;
        for (int c = 0; c < width; ++c) {
            const double x = c + 0.5;
            const auto k = static_cast<std::size_t>(c);
            longitudes[k] = transform_[0] + x * transform_[1] + y * transform_[2];
            latitudes[k] = transform_[3] + x * transform_[4] + y * transform_[5];
        }
        if (projection_ &&
            !projection_->Transform(width, longitudes.data(), latitudes.data(), nullptr, ok.data()))
            ok.assign(static_cast<std::size_t>(width), 0);
        for (std::size_t k = 0; k < longitudes.size(); ++k) {
            longitudes[k] = Normalised(longitudes[k] * toDegrees_);
            latitudes[k] *= toDegrees_;
        }
    }

private:
    // The engine takes -360..360 and shifts a west longitude itself; -180..360 here.
    static double Normalised(double longitude) {
        if (longitude > 360.0 || longitude < -180.0) {
            longitude = std::fmod(longitude, 360.0);
            if (longitude < -180.0) longitude += 360.0;
        }
        return longitude;
    }

    double transform_[6] = {};
    double toDegrees_ = 1.0;  // 1 for a CRS in degrees
    std::unique_ptr<OGRCoordinateTransformation> projection_;
};

using RowsDone = std::function<void(std::int64_t, std::int64_t)>;

// The band's values moved, row strip by row strip, into the output band.
class PixelMover {
public:
    PixelMover(GDALRasterBand& in, GDALRasterBand& out, const OutputType& type,
               const PixelPlaces& places, const GeoidGrid& grid, NodeReader& reader,
               const DemOptions& options)
        : in_(in),
          out_(out),
          type_(type),
          places_(places),
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
        outNodata_ = OutputNodata();
    }

    /// Moves every pixel; false when a read or write failed (GDAL's message is the last error)
    /// or `stop` was asked for.
    bool Run(DemCounts& counts, const RunStop& stop, const RowsDone& done) {
        int blockX = 0, blockY = 0;
        in_.GetBlockSize(&blockX, &blockY);
        const int width = in_.GetXSize();
        const int height = in_.GetYSize();
        const int strip = blockY > 0 ? blockY : 1;
        std::vector<double> values;
        for (int row = 0; row < height; row += strip) {
            if (stop.Requested()) return false;
            const int rows = std::min(strip, height - row);
            values.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
            if (in_.RasterIO(GF_Read, 0, row, width, rows, values.data(), width, rows, GDT_Float64,
                             0, 0, nullptr) != CE_None)
                return false;
            for (int r = 0; r < rows; ++r) {
                places_.Row(row + r, width, latitudes_, longitudes_, ok_);
                for (int c = 0; c < width; ++c)
                    Move(values[static_cast<std::size_t>(r) * width + c],
                         static_cast<std::size_t>(c), counts);
            }
            if (out_.RasterIO(GF_Write, 0, row, width, rows, values.data(), width, rows,
                              GDT_Float64, 0, 0, nullptr) != CE_None)
                return false;
            if (done) done(row + rows, height);
        }
        return true;
    }

    /// The output's nodata value, when it has one: the input's, else the one failed pixels take.
    std::optional<double> nodata(const DemCounts& counts) const {
        if (hasNodata_ || counts.failed > 0) return outNodata_;
        return std::nullopt;
    }

private:
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

    void Move(double& value, std::size_t column, DemCounts& counts) {
        if (IsNodata(value)) {
            ++counts.nodata;
            value = outNodata_;
            return;
        }
        const double latitude = latitudes_[column];
        const double longitude = longitudes_[column];
        float undulation = 0.0f;
        if (std::isnan(value) || !ok_[column] ||
            ComputeUndulation(grid_, options_.method, latitude, longitude, undulation, reader_) !=
                QueryStatus::StatusOk) {
            ++counts.failed;
            value = outNodata_;
            return;
        }
        const double h = value * scale_ + offset_;
        double raw =
            (ConvertedHeight(h, undulation, latitude, options_.target, options_.tide) - offset_) /
            scale_;
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

    GDALRasterBand& in_;
    GDALRasterBand& out_;
    OutputType type_;
    const PixelPlaces& places_;
    const GeoidGrid& grid_;
    NodeReader& reader_;
    const DemOptions& options_;
    bool hasNodata_ = false;
    double inNodata_ = 0.0;
    double outNodata_ = 0.0;
    double scale_ = 1.0;
    double offset_ = 0.0;
    std::vector<double> latitudes_, longitudes_;  // the current row's places
    std::vector<int> ok_;
};

// The GeoTIFF writer's options: the input's block size and compression, then the user's.
CPLStringList CreationOptions(GDALDataset& in, GDALRasterBand& band, const DemOptions& options) {
    CPLStringList list;
    int blockX = 0, blockY = 0;
    band.GetBlockSize(&blockX, &blockY);
    if (blockX == band.GetXSize()) {
        list.SetNameValue("BLOCKYSIZE", std::to_string(blockY).c_str());
    } else if (blockX % 16 == 0 && blockY % 16 == 0) {
        list.SetNameValue("TILED", "YES");
        list.SetNameValue("BLOCKXSIZE", std::to_string(blockX).c_str());
        list.SetNameValue("BLOCKYSIZE", std::to_string(blockY).c_str());
    }
    if (const char* compression = in.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"))
        list.SetNameValue("COMPRESS", compression);
    for (const std::string& pair : options.creationOptions) {
        const std::size_t eq = pair.find('=');
        if (eq == std::string::npos) continue;
        list.SetNameValue(pair.substr(0, eq).c_str(), pair.substr(eq + 1).c_str());
    }
    return list;
}

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
std::string WriteConverted(GDALDataset& in, const std::string& path, const OutputType& type,
                           const PixelPlaces& places, const GeoidGrid& grid, NodeReader& reader,
                           const DemOptions& options, const RunStop& stop, const RowsDone& done,
                           DemCounts& counts) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (driver == nullptr) return "GDAL has no GTiff driver.";
    GDALRasterBand& band = *in.GetRasterBand(options.band);
    const CPLStringList creation = CreationOptions(in, band, options);
    GDALDatasetUniquePtr out(driver->Create(path.c_str(), in.GetRasterXSize(), in.GetRasterYSize(),
                                            1, type.type, creation.List()));
    if (!out) return QuietGdal::LastMessage();
    double transform[6];
    std::copy(places.transform(), places.transform() + 6, transform);
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

    PixelMover mover(band, outBand, type, places, grid, reader, options);
    if (!mover.Run(counts, stop, done)) return stop.Requested() ? "" : QuietGdal::LastMessage();
    if (const std::optional<double> nodata = mover.nodata(counts)) outBand.SetNoDataValue(*nodata);
    CPLErrorReset();
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
    DemOutcome outcome;
    GDALDatasetUniquePtr in(GDALDataset::Open(input.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!in) {
        outcome.error = DemNotOpenedMessage(input, QuietGdal::LastMessage());
        return outcome;
    }
    double transform[6];
    const bool hasTransform = in->GetGeoTransform(transform) == CE_None;
    outcome.error = Refusal(input, *in, hasTransform, options);
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
    const std::string failure = WriteConverted(*in, replacement.path(), *type, places, grid, reader,
                                               options, stop, rows, outcome.counts);
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
