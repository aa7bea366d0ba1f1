#include "tests/support/dem_files.hpp"

#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <stdexcept>

namespace egm2008::test {

namespace {

// `raster` made by the driver `driverName` at `path` with the creation options `options`.
GDALDatasetUniquePtr MakeDem(const std::string& path, const DemRaster& raster,
                             const char* driverName, const CPLStringList& options) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    GDALDatasetUniquePtr ds(
        driver->Create(path.c_str(), raster.width, raster.height, 1, raster.type, options.List()));
    if (!ds) throw std::runtime_error("cannot create " + path + ": " + CPLGetLastErrorMsg());
    double transform[6];
    std::copy(std::begin(raster.transform), std::end(raster.transform), transform);
    ds->SetGeoTransform(transform);
    if (!raster.crs.empty()) {
        OGRSpatialReference crs;
        crs.SetFromUserInput(raster.crs.c_str());
        crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        ds->SetSpatialRef(&crs);
    }
    if (raster.point) ds->SetMetadataItem(GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT);
    GDALRasterBand* band = ds->GetRasterBand(1);
    if (raster.nodata) band->SetNoDataValue(*raster.nodata);
    std::vector<double> values = raster.values;
    if (values.empty()) {
        for (int r = 0; r < raster.height; ++r)
            for (int c = 0; c < raster.width; ++c) values.push_back(100.0 + c + 10.0 * r);
    }
    if (band->RasterIO(GF_Write, 0, 0, raster.width, raster.height, values.data(), raster.width,
                       raster.height, GDT_Float64, 0, 0, nullptr) != CE_None)
        throw std::runtime_error("cannot write " + path);
    if (!raster.mask.empty()) {
        std::vector<unsigned char> mask = raster.mask;
        if (ds->CreateMaskBand(GMF_PER_DATASET) != CE_None ||
            band->GetMaskBand()->RasterIO(GF_Write, 0, 0, raster.width, raster.height, mask.data(),
                                          raster.width, raster.height, GDT_Byte, 0, 0,
                                          nullptr) != CE_None)
            throw std::runtime_error("cannot write the mask of " + path);
    }
    return ds;
}

}  // namespace

void WriteDem(const std::string& path, const DemRaster& raster) {
    GDALAllRegister();
    CPLStringList options;
    if (!raster.compress.empty()) options.SetNameValue("COMPRESS", raster.compress.c_str());
    if (raster.cog) {
        // The COG writer only copies: from the raster made in memory.
        if (raster.tile > 0) options.SetNameValue("BLOCKSIZE", std::to_string(raster.tile).c_str());
        GDALDatasetUniquePtr made = MakeDem("", raster, "MEM", {});
        GDALDatasetUniquePtr copy(GetGDALDriverManager()->GetDriverByName("COG")->CreateCopy(
            path.c_str(), made.get(), FALSE, options.List(), nullptr, nullptr));
        if (!copy) throw std::runtime_error("cannot write " + path + ": " + CPLGetLastErrorMsg());
        return;
    }
    if (raster.tile > 0) {
        options.SetNameValue("TILED", "YES");
        options.SetNameValue("BLOCKXSIZE", std::to_string(raster.tile).c_str());
        options.SetNameValue("BLOCKYSIZE", std::to_string(raster.tile).c_str());
    } else {
        options.SetNameValue("BLOCKYSIZE", std::to_string(raster.blockRows).c_str());
    }
    MakeDem(path, raster, "GTiff", options);
}

std::string DemRead::Metadata(const char* key) const {
    const std::string prefix = std::string(key) + "=";
    for (const std::string& item : metadata)
        if (item.rfind(prefix, 0) == 0) return item.substr(prefix.size());
    return "";
}

namespace {

std::string CodeOf(const OGRSpatialReference& crs, const char* node) {
    const char* code = crs.GetAuthorityCode(node);
    return code ? code : "";
}

}  // namespace

DemRead ReadDem(const std::string& path) {
    GDALAllRegister();
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!ds) throw std::runtime_error("cannot open " + path);
    DemRead read;
    read.width = ds->GetRasterXSize();
    read.height = ds->GetRasterYSize();
    GDALRasterBand* band = ds->GetRasterBand(1);
    read.type = band->GetRasterDataType();
    ds->GetGeoTransform(read.transform);
    int has = 0;
    const double nodata = band->GetNoDataValue(&has);
    if (has) read.nodata = nodata;
    read.values.resize(static_cast<std::size_t>(read.width) * read.height);
    if (band->RasterIO(GF_Read, 0, 0, read.width, read.height, read.values.data(), read.width,
                       read.height, GDT_Float64, 0, 0, nullptr) != CE_None)
        throw std::runtime_error("cannot read " + path);
    if (const OGRSpatialReference* crs = ds->GetSpatialRef()) {
        read.axes = crs->GetAxesCount();
        if (crs->IsCompound()) {
            read.horizontalCode = CodeOf(*crs, "COMPD_CS|PROJCS");
            if (read.horizontalCode.empty()) read.horizontalCode = CodeOf(*crs, "COMPD_CS|GEOGCS");
            read.verticalCode = CodeOf(*crs, "COMPD_CS|VERT_CS");
        } else {
            read.horizontalCode = CodeOf(*crs, nullptr);
        }
    }
    if (const char* c = ds->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE")) read.compression = c;
    if (const char* l = ds->GetMetadataItem("LAYOUT", "IMAGE_STRUCTURE")) read.layout = l;
    band->GetBlockSize(&read.blockColumns, &read.blockRows);
    for (char** item = ds->GetMetadata(); item && *item; ++item) read.metadata.emplace_back(*item);
    return read;
}

}  // namespace egm2008::test
