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
// separation unit other than "M"/"m", an empty separation, a sentence that
// ends before its 14th field or has more fields, a latitude or longitude that cannot be read, a
// hemisphere that is not a printable character (it is written back as read),
// a line holding several records (a CR with more text after it), a checksum
// that is present but wrong, values too large to be real (beyond
// 1e9 in magnitude, or integers beyond 32 bits), and a point the query cannot
// answer. Numbers are read and written in the "C" locale. No input is
// undefined; the functions keep no state and may run on several threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/geoid_grid.hpp"

namespace egm2008 {

/// The undulation at a point, as ComputeUndulation gives it with a page's grid
/// and method: latitude and longitude in degrees (a negative longitude is
/// shifted by the query), the result in metres.
using UndulationQuery =
    std::function<QueryStatus(double latitude, double longitude, float& undulation)>;

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

/// Puts a blank into every empty field: before each "," or "*" that follows a ",".
/// ",," gives ", ,", ",*" gives ", *"; a "," at the end of the line gets none.
std::string MarkEmptyFields(std::string_view line);

/// Exclusive OR of all characters of `text` (what lies between "$" and "*").
std::uint8_t NmeaChecksum(std::string_view text);

/// Parses a GGA sentence (with or without its line end); false when it is not
/// one that can be rewritten (see above), `fields` then partly filled.
bool ParseGgaSentence(std::string_view line, GgaFields& fields);

/// Rewrites one line of a GGA log with the undulation that `query` gives.
GgaRewrite RewriteGgaSentence(std::string_view line, const UndulationQuery& query,
                              std::string& sentence);

}  // namespace egm2008
