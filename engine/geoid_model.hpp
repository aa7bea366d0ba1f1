// The geoid models the engine reads, and the files the older two come in.
//
// EGM2008 comes in NGA's record-structured grids (geoid_grid.hpp). EGM96 and
// EGM84 come each in one file of plain big-endian rows, as Debian's geotranz
// package holds them: rows from 90 N to 90 S, each from longitude 0 to 360
// inclusive (the last value repeats the first). The EGM96 file "egm96.grd"
// begins with six big-endian binary32 (-90, 90, 0, 360, 0.25, 0.25: the
// latitude and longitude bounds and the spacings) and holds binary32 values at
// 15'; the EGM84 file "wwgrid.bin" has no header and holds binary64 values at
// 30'. All three grids are tide-free undulations in metres above WGS84.
//
// The queries address node (r, c), c from 0 to the last column before 360, and
// wrap at 360 exactly as for EGM2008; the column at 360 is never read.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace egm2008::engine {

enum class GeoidModel : std::int32_t { Egm2008 = 0, Egm96 = 1, Egm84 = 2 };

/// The three models, newest first.
inline constexpr GeoidModel kGeoidModels[] = {GeoidModel::Egm2008, GeoidModel::Egm96,
                                              GeoidModel::Egm84};

/// The one grid file of an older model.
struct ModelFile {
    GeoidModel model;
    const char* fileName;     ///< as geotranz names it
    const char* spacingName;  ///< "15'"
    double spacing;           ///< degrees, both axes
    std::int32_t rows;        ///< 90 N to 90 S
    std::int32_t values;      ///< a row's stored values, 360 included
    std::int32_t headerBytes;
    std::int32_t valueBytes;  ///< 4: binary32, 8: binary64; big-endian
};

inline constexpr ModelFile kModelFiles[] = {
    {GeoidModel::Egm96, "egm96.grd", "15'", 0.25, 721, 1441, 24, 4},
    {GeoidModel::Egm84, "wwgrid.bin", "30'", 0.5, 361, 721, 0, 8},
};

/// The header "egm96.grd" begins with: latitude and longitude bounds, then the spacings.
inline constexpr float kEgm96Header[6] = {-90.0f, 90.0f, 0.0f, 360.0f, 0.25f, 0.25f};

/// "EGM2008", "EGM96" or "EGM84".
const char* ModelName(GeoidModel model);

/// "egm2008", "egm96" or "egm84", as the command line and the library take them.
const char* ModelKey(GeoidModel model);

/// The model a key names ("egm96", case as written); none for any other text.
std::optional<GeoidModel> ModelOfKey(std::string_view key);

/// The EPSG code of the model's height system: "3855" (EGM2008 height), "5773" (EGM96
/// height), "5798" (EGM84 height).
const char* ModelHeightEpsg(GeoidModel model);

/// The file of an older model; nullptr for EGM2008, which has NGA's grids.
constexpr const ModelFile* ModelFileOf(GeoidModel model) {
    for (const ModelFile& file : kModelFiles) {
        if (file.model == model) return &file;
    }
    return nullptr;
}

/// Length in bytes of an older model's file.
std::uint64_t ModelFileLength(const ModelFile& file);

}  // namespace egm2008::engine
