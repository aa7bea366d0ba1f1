#include "tasks/dem/pixel_places.hpp"

#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/engine_names.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/recording_notifier.hpp"

namespace egm2008 {
namespace {

// A row's places taken in stretches against the same places taken pixel by pixel: within a
// millimetre or so, and N there, by the real grid, within 0.1 mm; a geographic row is exact.
TEST(PixelPlacesTest, StretchedRowsStayOnTheExactPlaces) {
    REAL_GRID_OR_SKIP(path, kInternalGridName);
    GeoidGrid grid;
    grid.path = path;
    MappedGrid mapped;
    SilentNotifier notifier;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    struct Case {
        const char* name;
        const char* crs;
        double transform[6];
        int width;
    };
    const Case cases[] = {
        {"UTM 32N, 10 m", "EPSG:32632", {300000.0, 10.0, 0.0, 5200000.0, 0.0, -10.0}, 5000},
        {"UTM 60N across 180 degrees",
         "EPSG:32660",
         {600000.0, 40.0, 0.0, 6650000.0, 0.0, -40.0},
         5000},
        {"polar stereographic through the pole",
         "EPSG:3413",
         {-50000.0, 20.0, 0.0, 10.0, 0.0, -20.0},
         5000},
        {"rotated geotransform", "EPSG:32632", {300000.0, 8.0, 6.0, 5200000.0, 6.0, -8.0}, 3001},
        {"geographic", "EPSG:4326", {179.5, 0.001, 0.0, 60.0, 0.0, -0.001}, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OGRSpatialReference crs;
        ASSERT_EQ(crs.SetFromUserInput(c.crs), OGRERR_NONE);
        crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        PixelPlaces places;
        ASSERT_TRUE(places.Set(c.transform, crs));
        std::vector<double> lat, lon, exactLat, exactLon;
        std::vector<int> ok, exactOk;
        for (const int row : {0, 7}) {
            places.Row(row, 3, c.width, lat, lon, ok);
            places.Row(row, 3, c.width, exactLat, exactLon, exactOk, true);
            double worstN = 0.0;
            for (std::size_t k = 0; k < lat.size(); ++k) {
                ASSERT_TRUE(ok[k] && exactOk[k]) << "pixel " << k;
                if (!places.projected()) {
                    ASSERT_EQ(lat[k], exactLat[k]);
                    ASSERT_EQ(lon[k], exactLon[k]);
                    continue;
                }
                double dLon = std::fabs(lon[k] - exactLon[k]);
                dLon = std::min(dLon, 360.0 - dLon) * std::cos(exactLat[k] * M_PI / 180.0);
                ASSERT_LE(std::fabs(lat[k] - exactLat[k]), 2 * kProjectedTolerance) << k;
                ASSERT_LE(dLon, 2 * kProjectedTolerance) << k;
                float n = 0.0f, exactN = 0.0f;
                ASSERT_EQ(ComputeUndulation(grid, InterpolationMethod::BiQuadratic, lat[k], lon[k],
                                            n, mapped),
                          QueryStatus::StatusOk);
                ASSERT_EQ(ComputeUndulation(grid, InterpolationMethod::BiQuadratic, exactLat[k],
                                            exactLon[k], exactN, mapped),
                          QueryStatus::StatusOk);
                worstN = std::max(worstN, std::fabs(static_cast<double>(n - exactN)));
            }
            EXPECT_LE(worstN, 1e-4);
        }
    }
}

}  // namespace
}  // namespace egm2008
