// Coastlines for a map, read from the shorelines of GSHHG (the Global
// Self-consistent Hierarchical High-resolution Geography, Wessel and Smith)
// as Debian's gmt-gshhg-low package installs them: netCDF-4 files
// binned_GSHHS_{c,l,i}.nc (crude, low, intermediate) in /usr/share/gmt-gshhg.
//
// The files' layout, as their variables describe it: the globe is cut into
// square bins (Bin_size_in_minutes; N_bins_in_360_longitude_range across and
// N_bins_in_180_degree_latitude_range down, bin 0 at 90 N, 0 E, then east,
// then the next row south). A bin holds N_segments_in_a_bin segments from
// Id_of_first_segment_in_a_bin on; a segment holds
// Embedded_npts_levels_exit_entry_for_a_segment >> 9 points from
// Id_of_first_point_in_a_segment on, its level ((>> 6) & 7: 1 sea shore, 2
// lake, 3 island in a lake, 4 pond on it, 6 Antarctica's grounding line) and
// the bin sides it enters and leaves by (3 bits each; 4 for a ring inside the
// bin, whose last point repeats its first). A point is two shorts, read as
// unsigned, in 1/65535 of the bin's side east and north of its south-west
// corner. Antarctica has two outlines: its grounding line (level 6) and its
// ice front (segments flagged in Embedded_ANT_flag); maps draw the ice front,
// as a coast looks from the sea.
//
// Segments are cut where they leave the box asked for; longitudes come in
// the box's own frame (a box from 170 to 190 gets both sides of the
// antimeridian). Reading the whole world takes about 3 ms from the crude file,
// 10 ms from the low and 36 ms from the intermediate one (bench/gridmaker_bench,
// Coastlines/); a box reads the rows of bins it touches only.
#pragma once

#include <string>
#include <vector>

#include "tasks/maps/map_frame.hpp"

namespace egm2008 {

/// The resolutions of the files, each about 4 to 5 times finer than the one before.
enum class CoastResolution { Crude, Low, Intermediate };

/// A piece of shoreline: its level (1 sea shore, 2 lake, 3 island in a lake,
/// 4 pond) and at least two points.
struct Coastline {
    int level = 1;
    std::vector<GeoPoint> points;
};

enum class CoastStatus {
    Read,        ///< the file was read (a box without a shore has no lines)
    Missing,     ///< there is no such file
    Unreadable,  ///< the file is no GSHHG binned file, or is damaged
};

struct Coastlines {
    CoastStatus status = CoastStatus::Missing;
    std::string path;  ///< the file read, or looked for
    std::vector<Coastline> lines;
};

/// Where the files are looked for: $EGM2008_COASTLINES when set, else
/// /usr/share/gmt-gshhg.
std::string CoastlineFolder();

/// The file of `resolution` in `folder`.
std::string CoastlineFile(CoastResolution resolution, const std::string& folder);

/// The resolution for a map of `degreesPerPixel`: crude from 0.25° a pixel,
/// low from 0.05°, intermediate below.
CoastResolution CoastResolutionFor(double degreesPerPixel);

/// The shorelines within `box` (latitudes beyond -90..90 are cut off; a box
/// may span at most 720° of longitude), read from the file of `resolution`
/// in `folder`.
Coastlines ReadCoastlines(const GeoBox& box, CoastResolution resolution,
                          const std::string& folder = CoastlineFolder());

/// The pieces of the polyline `points` that lie within `box` (edges
/// included), each of at least two points, appended to `out` with `level`.
void ClipPolyline(const std::vector<GeoPoint>& points, const GeoBox& box, int level,
                  std::vector<Coastline>& out);

}  // namespace egm2008
