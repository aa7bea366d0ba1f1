// Rewriting of one NMEA 0183 GGA sentence with the EGM2008 geoid separation.
//
// A receiver's GGA sentence gives the antenna altitude above the receiver's
// own geoid and that geoid's separation from the WGS84 ellipsoid, in metres.
// The rewrite puts the EGM2008 undulation N at the reported position in place
// of the separation and shifts the altitude so that the ellipsoidal height
// stays: new altitude = (altitude + separation) - N, in double precision,
// rounded to float. The sentence is written anew as "$GPGGA" (whichever of
// "$GPGGA", "$GLGGA", "$GNGGA" it was) with 7-decimal minutes, 4-decimal
// heights, the time as read and a fresh checksum; it has no line end.
//
// Anything else is left for the caller to copy as read: other sentences,
// lines under 30 characters (a line end counted as one), an altitude or
// separation unit other than "M"/"m", a sentence with fewer than 14 fields
// before its checksum (a cut sentence: its checksum is never taken for a
// field) or more, an empty latitude, longitude, hemisphere, altitude or
// separation (a receiver without a fix: nothing is made up for them), a
// latitude or longitude that cannot be read, a hemisphere other than N/S or
// E/W in either case (written back as read), a line holding several records
// (a CR with more text after it), a checksum that is present but wrong, values
// too large to be real (beyond 1e9 in magnitude, or integers beyond 32 bits),
// and a point the query cannot answer or whose undulation is not finite.
// Numbers are read and written in the "C" locale. No input is undefined; the
// functions keep no state and may run on several threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/tide_system.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

/// The undulation at a point, as ComputeUndulation gives it with a page's grid
/// and method: latitude and longitude in degrees (a negative longitude is
/// shifted by the query), the result in metres.
using UndulationQuery =
    std::function<QueryStatus(double latitude, double longitude, float& undulation)>;

/// ComputeUndulation's N from `grid` by `method` through `mapped`, in `tide`:
/// the grid's (tide-free) value itself, or that value with its correction
/// added in double and rounded to float, the precision the runs write N in.
UndulationQuery GridQuery(const GeoidGrid& grid, InterpolationMethod method, MappedGrid& mapped,
                          TideSystem tide);

/// The values of one GGA sentence, fields 1 to 14 in order.
struct GgaFields {
    double utcTime = 0.0;  ///< hhmmss.ss, held as read
    std::int32_t latDegrees = 0;
    double latMinutes = 0.0;
    char latHemisphere = ' ';  ///< "S"/"s" south, anything else north
    std::int32_t lonDegrees = 0;
    double lonMinutes = 0.0;
    char lonHemisphere = ' ';  ///< "W"/"w" west, anything else east
    std::int32_t fixQuality = 0;
    std::int32_t satellites = 0;
    float hdop = 0.0f;
    float altitude = 0.0f;  ///< metres above mean sea level
    char altitudeUnit = ' ';
    float separation = 0.0f;  ///< metres, the receiver's geoid above the ellipsoid
    char separationUnit = ' ';
    float age = 0.0f;  ///< seconds since the last differential update
    bool hasAge = true;
    std::int32_t station = 0;
    bool hasStation = true;
};

/// What RewriteGgaSentence did.
enum class GgaRewrite {
    Rewritten,    ///< the sentence holds the rewritten sentence
    Copied,       ///< not a GGA sentence that can be rewritten; copy the line as read
    QueryFailed,  ///< a readable GGA sentence whose point the query could not answer
};

/// Why a line is not rewritten. A GGA sentence is known by its identifier,
/// "$" and a two-letter talker before "GGA"; every reason but NotGga is a GGA
/// sentence that was left as it was.
enum class GgaCopyReason {
    None,           ///< rewritten
    NotGga,         ///< another sentence or other text: passed on as read
    OtherTalker,    ///< a talker other than GP, GL and GN
    WrongChecksum,  ///< a checksum present but not the sentence's own
    EmptyFields,    ///< no fix: an empty position, hemisphere, altitude or separation
    NotMetres,      ///< an altitude or separation unit other than "M"
    Unreadable,     ///< too few or too many fields, or a field that cannot be read
    QueryFailed,    ///< the undulation at the position could not be computed
};
inline constexpr int kGgaCopyReasons = static_cast<int>(GgaCopyReason::QueryFailed) + 1;

/// Puts a blank into every empty field: before each "," or "*" that follows a ",".
/// ",," gives ", ,", ",*" gives ", *"; a "," at the end of the line gets none.
std::string MarkEmptyFields(std::string_view line);

/// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigit(char c);

/// Exclusive OR of all characters of `text` (what lies between "$" and "*").
std::uint8_t NmeaChecksum(std::string_view text);

/// Parses a GGA sentence (with or without its line end); why it cannot be
/// rewritten (see above), or None, `fields` then filled (else partly filled).
GgaCopyReason ParseGgaFields(std::string_view line, GgaFields& fields);

/// ParseGgaFields(line, fields) == GgaCopyReason::None.
bool ParseGgaSentence(std::string_view line, GgaFields& fields);

/// Rewrites one line of a GGA log with the undulation that `query` gives;
/// `reason` says why a line is not rewritten (None when it is).
GgaRewrite RewriteGgaSentence(std::string_view line, const UndulationQuery& query,
                              std::string& sentence, GgaCopyReason& reason);
GgaRewrite RewriteGgaSentence(std::string_view line, const UndulationQuery& query,
                              std::string& sentence);

}  // namespace egm2008
