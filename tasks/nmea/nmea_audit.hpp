// The receiver check: what a receiver's NMEA log says about the geoid it uses.
//
// The audit reads a log without writing sentences and reports the sentence
// types and talkers seen, the number of fixes (GGA and GNS sentences that
// ReadNmeaFix can read), their time span, and for every fix the receiver's
// separation against the EGM2008 undulation N at that position: mean, RMS,
// minimum and maximum of (separation - N). GGA and GNS fixes of the same epoch
// (the same time field, consecutive in the log) from a constellation's talker
// ("GP", "GL"...) and from "GN" are compared: altitudes that differ show a
// receiver that fills the two in different ways. From these figures come the
// verdicts in words, the most telling first:
//   "separation matches EGM2008 (RMS 0.02 m): altitudes are heights above the EGM2008 geoid"
//   "separation is 0 in every sentence: the altitude field most likely holds ellipsoidal heights"
//   "separation differs from EGM2008 by up to 3.4 m (RMS 1.1 m): the receiver uses a coarser
//    geoid model; rewrite with `egm2008 nmea` to get EGM2008 heights"
//   and one for GP and GN sentences of the same epoch that disagree.
// The separation is also held against the older models whose grids the caller
// adds (CompareWith: EGM96, EGM84): when one of them is closer than EGM2008 by
// RMS and matches, the verdict names it instead ("separation matches EGM96
// (RMS 0.02 m): altitudes are heights above the EGM96 geoid; ..." and how to
// get EGM2008 heights); the zero, coarse-table and per-talker verdicts stay
// EGM2008's. Each model compared has its own line of figures in the report.
// When the talkers' own figures lead to different verdicts (GP with EGM2008's
// separation, GN with 0), each talker gets its figures and its verdict
// ("GP: separation matches ...", "GN: separation is 0 ...") instead of one
// pooled verdict. Fixes without a separation or altitude are told apart from
// logs without a fix; an empty log, one without a sentence (binary data) and
// one whose fixes could not be compared at all fail the check
// (NmeaAuditFailed). A sentence is found where it starts in its line (after a
// time stamp or TAG block), and lines may end in LF, CR LF or CR alone.
// The text report and the JSON object are written from the same figures.
// The audit keeps (separation - N) of at most kAuditTimelineCapacity fixes,
// evenly spread over the log, with their time, for a plot of it over the
// log's time (NmeaDifferencePlot). Memory stays bounded whatever the log's length.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/nmea/nmea_rewrite.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/maps/even_sample.hpp"
#include "tasks/maps/plot.hpp"

namespace egm2008 {

/// Running figures of (separation - N).
struct NmeaDifferenceFigures {
    std::int64_t count = 0;
    double mean = 0.0;  ///< metres
    double rms = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
};

/// The fixes of one talker.
struct NmeaTalkerFigures {
    std::string talker;  ///< "GP", "GN"...
    std::int64_t fixes = 0;
    NmeaDifferenceFigures difference;  ///< separation - N over its fixes N was computed for
    std::int64_t zeroSeparations = 0;
    std::int64_t queryFailed = 0;
};

/// (separation - N) at a fix, `seconds` after the first fix, of talker
/// `talker` (an index into NmeaAuditReport::talkers).
struct NmeaTimedDifference {
    double seconds = 0.0;
    double difference = 0.0;
    std::size_t talker = 0;
};

/// (separation - N) of another model than the audit's own grid's, over the fixes.
struct NmeaModelFigures {
    GeoidModel model = GeoidModel::Egm96;
    std::string grid;                  ///< the grid file its N came from
    NmeaDifferenceFigures difference;  ///< over the fixes its N was computed for
};

/// The most fixes an audit keeps for its plot.
inline constexpr std::size_t kAuditTimelineCapacity = 20000;

/// What an audit found.
struct NmeaAuditReport {
    std::int64_t lines = 0;        ///< lines read
    std::int64_t sentences = 0;    ///< lines with an identifier ("$GPGGA", "$PUBX"...)
    std::int64_t binaryLines = 0;  ///< lines holding NUL or other control bytes
    /// Identifiers ("GPGGA", "PUBX") with their counts, in the order first seen.
    std::vector<std::pair<std::string, std::int64_t>> identifiers;
    /// Talkers of GGA and GNS sentences, in the order first seen.
    std::vector<std::string> talkers;
    std::int64_t positions = 0;  ///< GGA and GNS sentences
    std::int64_t fixes = 0;      ///< of these, the ones read with a fix
    /// Position sentences without a usable fix, by reason (index: NmeaOutcome).
    std::int64_t unusable[kNmeaOutcomes] = {};
    std::string firstTime;               ///< time field of the first fix, as received
    std::string lastTime;                ///< of the last fix
    double spanSeconds = 0.0;            ///< from the first to the last fix (past midnight counted)
    NmeaDifferenceFigures difference;    ///< separation - N over the fixes N was computed for
    std::int64_t zeroSeparations = 0;    ///< fixes with a separation of 0
    std::int64_t queryFailed = 0;        ///< fixes whose N could not be computed
    std::int64_t pairedEpochs = 0;       ///< epochs with a GN fix and a constellation's fix
    std::int64_t disagreeingEpochs = 0;  ///< of these, the ones whose altitudes disagree
    double largestAltitudeDifference = 0.0;  ///< metres, over the paired epochs
    /// Each talker's fixes, in the order first seen.
    std::vector<NmeaTalkerFigures> byTalker;
    bool talkersDisagree = false;       ///< the talkers' figures lead to different verdicts
    std::string grid;                   ///< the grid file N came from
    /// The older models compared besides, in the order added (NmeaAudit::CompareWith).
    std::vector<NmeaModelFigures> otherModels;
    std::vector<std::string> verdicts;  ///< in words, the most telling first
    /// The fixes with a time that N was computed for, at most
    /// kAuditTimelineCapacity evenly spread, in the log's order.
    std::vector<NmeaTimedDifference> timeline;
};

/// Reads a log line by line (as LineReader delivers them) and gathers the report.
class NmeaAudit {
public:
    /// N at a fix is asked of `query`; `gridName` is told in the report.
    NmeaAudit(UndulationQuery query, std::string gridName);
    /// Also holds every fix's separation against `model`'s N, asked of `query`; before Add.
    void CompareWith(GeoidModel model, UndulationQuery query, std::string gridName);
    void Add(std::string_view line);
    /// The report of every line added, its verdicts made.
    NmeaAuditReport Finish();

private:
    UndulationQuery query_;
    NmeaAuditReport report_;
    std::vector<UndulationQuery> otherQueries_;         // by report_.otherModels
    std::vector<std::pair<double, double>> otherSums_;  // of their differences
    // The epoch being gathered: its time field and the fixes of each talker in it
    // (at most kMaxEpochFixes; a receiver sends one per talker).
    bool epochOpen_ = false;
    std::string epochTime_;
    std::vector<std::pair<std::string, double>> epochAltitudes_;
    // Sums of (separation - N) and of its squares: over all fixes, and per talker.
    std::pair<double, double> sums_;
    std::vector<std::pair<double, double>> talkerSums_;
    double previousSeconds_ = -1.0;  // time of day of the last fix with a readable time
    EvenSample<NmeaTimedDifference> timeline_{kAuditTimelineCapacity};
    void CountIdentifier(std::string_view talker, std::string_view type);
    void AddFix(const NmeaFix& fix);
    // `elapsed`: seconds since the first fix; negative for a fix without a time.
    void CompareSeparation(const NmeaFix& fix, std::size_t talker, double elapsed);
    std::size_t TalkerIndex(std::string_view talker);
    void AddToEpoch(const NmeaFix& fix);
    void CloseEpoch();
    void MakeVerdicts();
    // The separation verdict of the pooled figures: EGM2008's, or an older model's that matches.
    std::string PooledVerdict() const;
};

/// True when the log could not be checked: it is empty or holds no sentence
/// (binary data), or it has fixes and none of them could be compared.
bool NmeaAuditFailed(const NmeaAuditReport& report);

/// How an audit over a file ended.
struct NmeaAuditRun {
    NmeaAuditReport report;
    int readError = 0;     ///< errno of the read that ended the run, 0 when none failed
    bool stopped = false;  ///< `stop` ended the run before the end of the log
};

/// A grid an audit compares with besides its own, mapped and checked by the caller.
struct AuditModelGrid {
    const GeoidGrid* grid = nullptr;
    MappedGrid* mapped = nullptr;
};

/// The older models' grids an audit compares with besides `grid`: EGM96's and EGM84's
/// (not `grid`'s own model), each found in the grid folders (ChooseGrid with its model)
/// and mapped. One that is not found is left out with a note (ModelNotComparedNote); one
/// that cannot be mapped is left out, `notifier` told why by the map.
class OlderModelGrids {
public:
    OlderModelGrids(const GeoidGrid& grid, Notifier& notifier);
    OlderModelGrids(const OlderModelGrids&) = delete;
    OlderModelGrids& operator=(const OlderModelGrids&) = delete;
    /// The grids found, for RunNmeaAudit; valid while this object lives.
    std::vector<AuditModelGrid> grids();
    /// Why a model was left out, one line each.
    const std::vector<std::string>& notes() const { return notes_; }

private:
    static constexpr std::size_t kMost = std::size(kGeoidModels);
    GeoidGrid grids_[kMost];
    MappedGrid mapped_[kMost];
    std::size_t count_ = 0;
    std::vector<std::string> notes_;
};

/// Audits the log read from `fd` with N from `grid` through `mapped` (mapped
/// and checked by the caller) by `method`, and with N of each of `others`.
NmeaAuditRun RunNmeaAudit(int fd, const GeoidGrid& grid, MappedGrid& mapped,
                          InterpolationMethod method, const RunStop& stop = {},
                          const std::vector<AuditModelGrid>& others = {});

/// The grid an audit uses: a 2.5' grid file under NGA's names
/// ("Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree", or with "_SE" for the
/// little-endian one) in the working directory or beside `internalDatabase`,
/// else `internalDatabase` itself.
GeoidGrid AuditGrid(const std::string& internalDatabase);

/// The report in words: the verdicts first, then the figures, CR-free lines
/// ending in "\n".
std::string NmeaAuditText(const NmeaAuditReport& report);
/// The report as one JSON object on one line, without a line end.
std::string NmeaAuditJson(const NmeaAuditReport& report);

/// The report's timeline as a plot of (separation - N) in metres over the
/// time since the first fix, a series a talker, in seconds up to 2 minutes,
/// in minutes up to 2 hours, else in hours.
Plot NmeaDifferencePlot(const NmeaAuditReport& report);

}  // namespace egm2008
