// NMEA 0183 position sentences of today's receivers, rewritten with the EGM2008
// geoid separation, and read for the receiver check (nmea_audit.hpp).
//
// A GGA or GNS sentence from any talker ("$GPGGA", "$GNGNS", "$GAGGA"...: "$",
// two capital letters, the type) gives the antenna's altitude above the
// receiver's geoid and that geoid's separation from the WGS84 ellipsoid, in
// metres:
//   GGA  time, lat, N/S, lon, E/W, quality, satellites, HDOP, altitude, M,
//        separation, M, age, station
//   GNS  time, lat, N/S, lon, E/W, mode letters (one per constellation),
//        satellites, HDOP, altitude, separation, age, station[, status]
// The rewrite changes the least it can: the altitude (GGA field 9, GNS field
// 9), the separation (GGA 11, GNS 10) and the checksum; every other byte stays
// as received, the talker too unless one is forced. The separation becomes
// the EGM2008 undulation N at the position; the altitude becomes altitude +
// old separation - N, so that the ellipsoidal height stays (or stays as
// received, for receivers that put the ellipsoidal height there). Both are
// written with the decimals they had, at least one, computed in double
// precision: a sentence keeps its length give or take the digits before the
// point. A checksum is written (in capitals) only where the sentence had one.
//
// A sentence need not start its line: loggers put a time stamp before it,
// NMEA 4 a TAG block ("\s:rcvr,c:1700000000*2F\"), some receivers binary
// frames or blanks. It starts at the first "$" that opens a GGA or GNS
// identifier, and every byte before it is kept as received. The latitude and
// longitude must have NMEA's form, "ddmm.mmmm" and "dddmm.mmmm" (at least four
// and five digits before the point), and the separation lie within 1000 m.
//
// A sentence stays as received, with the reason, when its checksum (upper- or
// lower-case hexadecimal) is not its own, when it holds no fix (GGA quality
// 0, GNS mode "N" in every position), when its position or a hemisphere is
// empty, when a fix has no separation or no altitude (its ellipsoidal height
// is unknown), when a unit is not "M", when a field cannot be read, when a
// sentence within NMEA's 82 characters would grow beyond them even with one
// decimal in each height, or when the undulation cannot be computed. The line
// end, if any, is kept as received. Numbers are read and written in the "C"
// locale; the functions keep no state and may run on several threads.
#pragma once

#include <string>
#include <string_view>

#include "engine/tide_system.hpp"
#include "tasks/nmea/nmea_gga.hpp"

namespace egm2008 {

/// What became of one line.
enum class NmeaOutcome {
    Rewritten,      ///< a GGA or GNS sentence with the EGM2008 separation
    NotPosition,    ///< any other line (RMC, GSA, proprietary, text): passed on
    WrongChecksum,  ///< a checksum that is not the sentence's own
    NoFix,          ///< GGA quality 0, GNS mode "N" everywhere
    EmptyField,     ///< an empty position or hemisphere
    NoSeparation,   ///< a fix with an empty separation: h unknown
    NoAltitude,     ///< a fix with an empty altitude: h unknown
    WrongUnit,      ///< a GGA altitude or separation unit other than "M"
    Unreadable,     ///< too few fields, or a field that cannot be read
    TooLong,        ///< would grow beyond NMEA's 82 characters even with one decimal
    QueryFailed,    ///< the undulation at the position could not be computed
};
inline constexpr int kNmeaOutcomes = static_cast<int>(NmeaOutcome::QueryFailed) + 1;

/// The reason in words ("wrong checksum", "no fix"...), for the summaries.
const char* NmeaOutcomeText(NmeaOutcome outcome);

struct NmeaRewriteOptions {
    bool separationOnly = false;  ///< only the separation changes; the altitude stays
    std::string talker;  ///< two capital letters written in place of the talker; "" keeps it
    /// The system of the separation RunNmea writes (its query's, GridQuery); the altitude
    /// follows it.
    TideSystem tide = TideSystem::TideFree;
};

/// True for a talker a sentence may carry: two capital letters.
bool IsNmeaTalker(std::string_view text);

/// True for the identifier of a sentence that RewriteNmeaLine rewrites: a
/// two-letter talker (as NmeaIdentifier splits it) and "GGA" or "GNS".
bool IsPositionSentence(std::string_view talker, std::string_view type);

/// Where the sentence of a line starts: the first "$" that opens a GGA or GNS
/// identifier, else the first "$" that opens any identifier (NmeaIdentifier);
/// npos when there is none.
std::size_t FindNmeaSentence(std::string_view line);

/// The identifier of a sentence line: talker and type of "$GPGGA,..." ("GP",
/// "GGA"); "P" and the rest for proprietary ones ("$PUBX,..."); false when the
/// line starts with no "$" and letters or digits before a ",".
bool NmeaIdentifier(std::string_view line, std::string_view& talker, std::string_view& type);

/// A GGA or GNS sentence's fix, as read.
struct NmeaFix {
    std::string_view talker;  ///< "GP", "GN"...
    std::string_view type;    ///< "GGA" or "GNS"
    std::string_view time;    ///< hhmmss.ss as received (may be empty)
    double latitude = 0.0;    ///< degrees, south negative
    double longitude = 0.0;   ///< degrees, west negative
    double altitude = 0.0;    ///< metres above the receiver's geoid
    double separation = 0.0;  ///< metres, the receiver's geoid above the ellipsoid
};

/// Reads the fix of `line` (as LineReader delivers it, with or without its line
/// end); Rewritten when the sentence is one that can be rewritten (its fields
/// then in `fix`, its views into `line`), else why not (never QueryFailed).
NmeaOutcome ReadNmeaFix(std::string_view line, NmeaFix& fix);

/// EGM2008's N at the fix's position by `query` (a west longitude shifted by
/// +360 first); false when the query fails or answers no plausible undulation.
bool UndulationAtFix(const NmeaFix& fix, const UndulationQuery& query, float& undulation);

/// Rewrites one line and appends it to `out`: the rewritten sentence, or the
/// line as received for every other outcome. `fix`, when given, receives the fix of
/// a sentence that could be read (Rewritten, TooLong and QueryFailed).
NmeaOutcome RewriteNmeaLine(std::string_view line, const NmeaRewriteOptions& options,
                            const UndulationQuery& query, std::string& out, NmeaFix* fix = nullptr);

}  // namespace egm2008
