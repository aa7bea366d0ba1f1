#include "tasks/nmea/nmea_audit.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/grid_choice.hpp"
#include "engine/grid_probe.hpp"
#include "engine/query_routines.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/common/line_reader.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

// Altitudes of a GN fix and a constellation's fix of one epoch that differ by
// more than this (metres) disagree: more than rounding and filtering explain.
constexpr double kAltitudeTolerance = 0.5;
// A receiver whose separation is EGM2008's: the RMS and the largest |separation
// - N| stay within these (metres), what interpolating a 2.5' or 1' grid leaves.
constexpr double kMatchingRms = 0.1;
constexpr double kMatchingLargest = 0.25;
// A receiver sends one fix per talker and epoch; more are not held.
constexpr std::size_t kMaxEpochFixes = 8;
// Identifiers listed at most, and their length at most: a garbled log cannot grow the report.
constexpr std::size_t kMaxIdentifiers = 64;
constexpr std::size_t kMaxIdentifierLength = 16;
constexpr double kSecondsPerDay = 86400.0;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The time of day of "hhmmss" or "hhmmss.ss" in seconds; negative when the
// field holds no such time.
double SecondsOfDay(std::string_view time) {
    if (time.size() < 6) return -1.0;
    for (std::size_t i = 0; i < 6; ++i) {
        if (!IsDigit(time[i])) return -1.0;
    }
    const auto two = [time](std::size_t at) {
        return (time[at] - '0') * 10 + (time[at + 1] - '0');
    };
    const int hours = two(0);
    const int minutes = two(2);
    const int seconds = two(4);
    if (hours > 23 || minutes > 59 || seconds > 60) return -1.0;
    double fraction = 0.0;
    if (time.size() > 6) {
        if (time[6] != '.') return -1.0;
        double scale = 0.1;
        for (const char c : time.substr(7)) {
            if (!IsDigit(c)) return -1.0;
            fraction += (c - '0') * scale;
            scale /= 10.0;
        }
    }
    return hours * 3600.0 + minutes * 60.0 + seconds + fraction;
}

std::string Count(std::int64_t n) { return GroupedCount(static_cast<std::uint64_t>(n)); }
// "1 fix", "2 fixes".
std::string Count(std::int64_t n, const char* one, const char* many) {
    return Count(n) + " " + (n == 1 ? one : many);
}

std::string Metres(double value, int decimals) { return FormatFixed(value, decimals) + " m"; }

// "59 min 59 s", "1 h 0 min 5.5 s", "2 d 3 h 0 min 0 s": to the hundredth of a second.
std::string Duration(double seconds) {
    const auto hundredths = static_cast<std::int64_t>(std::llround(seconds * 100.0));
    const std::int64_t whole = hundredths / 100;
    const std::int64_t days = whole / 86400;
    const std::int64_t hours = whole / 3600 % 24;
    const std::int64_t minutes = whole / 60 % 60;
    std::string text;
    if (days > 0) text += std::to_string(days) + " d ";
    if (days > 0 || hours > 0) text += std::to_string(hours) + " h ";
    if (days > 0 || hours > 0 || minutes > 0) text += std::to_string(minutes) + " min ";
    text += std::to_string(whole % 60);
    if (const std::int64_t rest = hundredths % 100; rest != 0) {
        text += rest % 10 == 0 ? "." + std::to_string(rest / 10)
                               : (rest < 10 ? ".0" : ".") + std::to_string(rest);
    }
    return text + " s";
}

// The constellation's talker that GN fixes were compared with: the one talker
// other than "GN" seen, "GP" when there are several or none.
std::string ConstellationTalker(const NmeaAuditReport& report) {
    std::string found;
    for (const std::string& talker : report.talkers) {
        if (talker == "GN") continue;
        if (!found.empty()) return "GP";
        found = talker;
    }
    return found.empty() ? "GP" : found;
}

double LargestDifference(const NmeaDifferenceFigures& d) {
    return std::max(std::fabs(d.minimum), std::fabs(d.maximum));
}

void AddDifference(NmeaDifferenceFigures& d, std::pair<double, double>& sums, double difference) {
    if (d.count == 0) {
        d.minimum = difference;
        d.maximum = difference;
    }
    ++d.count;
    sums.first += difference;
    sums.second += difference * difference;
    d.minimum = std::min(d.minimum, difference);
    d.maximum = std::max(d.maximum, difference);
}

void FinishDifference(NmeaDifferenceFigures& d, const std::pair<double, double>& sums) {
    if (d.count == 0) return;
    d.mean = sums.first / static_cast<double>(d.count);
    d.rms = std::sqrt(sums.second / static_cast<double>(d.count));
}

// What a set of fixes says of the receiver's separation.
enum class SeparationKind { None, Zero, Matches, Differs };

SeparationKind KindOf(std::int64_t fixes, std::int64_t zeroSeparations,
                      const NmeaDifferenceFigures& d) {
    if (fixes > 0 && zeroSeparations == fixes) return SeparationKind::Zero;
    if (d.count == 0) return SeparationKind::None;
    return d.rms <= kMatchingRms && LargestDifference(d) <= kMatchingLargest
               ? SeparationKind::Matches
               : SeparationKind::Differs;
}

std::string SeparationVerdict(SeparationKind kind, const NmeaDifferenceFigures& d) {
    switch (kind) {
        case SeparationKind::Zero: return kZeroSeparationVerdict;
        case SeparationKind::Matches: return SeparationMatchesVerdict(d.rms);
        case SeparationKind::Differs: return SeparationDiffersVerdict(LargestDifference(d), d.rms);
        case SeparationKind::None: break;
    }
    return {};
}

SeparationKind KindOf(const NmeaTalkerFigures& t) {
    return KindOf(t.fixes, t.zeroSeparations, t.difference);
}

// True when two talkers' fixes lead to different verdicts.
bool TalkersDisagree(const std::vector<NmeaTalkerFigures>& byTalker) {
    SeparationKind seen = SeparationKind::None;
    for (const NmeaTalkerFigures& t : byTalker) {
        const SeparationKind kind = KindOf(t);
        if (kind == SeparationKind::None) continue;
        if (seen != SeparationKind::None && kind != seen) return true;
        seen = kind;
    }
    return false;
}

std::int64_t WithoutHeights(const NmeaAuditReport& r) {
    return r.unusable[static_cast<int>(NmeaOutcome::NoSeparation)] +
           r.unusable[static_cast<int>(NmeaOutcome::NoAltitude)];
}

}  // namespace

NmeaAudit::NmeaAudit(UndulationQuery query, std::string gridName) : query_(std::move(query)) {
    report_.grid = std::move(gridName);
}

void NmeaAudit::CompareWith(GeoidModel model, UndulationQuery query, std::string gridName) {
    report_.otherModels.push_back({model, std::move(gridName), {}});
    otherQueries_.push_back(std::move(query));
    otherSums_.emplace_back();
}

void NmeaAudit::Add(std::string_view line) {
    ++report_.lines;
    if (HoldsBinary(line)) ++report_.binaryLines;
    const std::size_t at = FindNmeaSentence(line);
    std::string_view talker;
    std::string_view type;
    if (at == std::string_view::npos || !NmeaIdentifier(line.substr(at), talker, type)) return;
    ++report_.sentences;
    CountIdentifier(talker, type);
    if (!IsPositionSentence(talker, type)) return;
    NmeaFix fix;
    const NmeaOutcome outcome = ReadNmeaFix(line, fix);
    if (outcome == NmeaOutcome::NotPosition) return;
    ++report_.positions;
    if (outcome == NmeaOutcome::Rewritten) {
        AddFix(fix);
    } else {
        ++report_.unusable[static_cast<int>(outcome)];
    }
}

void NmeaAudit::CountIdentifier(std::string_view talker, std::string_view type) {
    if (talker.size() + type.size() > kMaxIdentifierLength) return;
    std::string identifier(talker);
    identifier += type;
    for (auto& [name, count] : report_.identifiers) {
        if (name == identifier) {
            ++count;
            return;
        }
    }
    if (report_.identifiers.size() < kMaxIdentifiers)
        report_.identifiers.emplace_back(identifier, 1);
}

std::size_t NmeaAudit::TalkerIndex(std::string_view talker) {
    const auto found = std::find(report_.talkers.begin(), report_.talkers.end(), talker);
    if (found != report_.talkers.end())
        return static_cast<std::size_t>(found - report_.talkers.begin());
    report_.talkers.emplace_back(talker);
    report_.byTalker.emplace_back().talker = talker;
    talkerSums_.emplace_back();
    return report_.talkers.size() - 1;
}

void NmeaAudit::AddFix(const NmeaFix& fix) {
    ++report_.fixes;
    const std::size_t talker = TalkerIndex(fix.talker);
    ++report_.byTalker[talker].fixes;
    if (report_.fixes == 1) report_.firstTime = fix.time;
    report_.lastTime = fix.time;
    // Time runs on from fix to fix; a time earlier than the one before has passed midnight.
    double elapsed = -1.0;
    if (const double seconds = SecondsOfDay(fix.time); seconds >= 0.0) {
        if (previousSeconds_ >= 0.0) {
            double step = seconds - previousSeconds_;
            if (step < 0.0) step += kSecondsPerDay;
            report_.spanSeconds += step;
        }
        previousSeconds_ = seconds;
        elapsed = report_.spanSeconds;
    }
    if (fix.separation == 0.0) {
        ++report_.zeroSeparations;
        ++report_.byTalker[talker].zeroSeparations;
    }
    CompareSeparation(fix, talker, elapsed);
    AddToEpoch(fix);
}

void NmeaAudit::CompareSeparation(const NmeaFix& fix, std::size_t talker, double elapsed) {
    float undulation = 0.0f;
    for (std::size_t k = 0; k < otherQueries_.size(); ++k) {
        if (UndulationAtFix(fix, otherQueries_[k], undulation)) {
            AddDifference(report_.otherModels[k].difference, otherSums_[k],
                          fix.separation - static_cast<double>(undulation));
        }
    }
    if (!UndulationAtFix(fix, query_, undulation)) {
        ++report_.queryFailed;
        ++report_.byTalker[talker].queryFailed;
        return;
    }
    const double difference = fix.separation - static_cast<double>(undulation);
    AddDifference(report_.difference, sums_, difference);
    AddDifference(report_.byTalker[talker].difference, talkerSums_[talker], difference);
    if (elapsed >= 0.0) timeline_.Add({elapsed, difference, talker});
}

void NmeaAudit::AddToEpoch(const NmeaFix& fix) {
    if (epochOpen_ && fix.time != epochTime_) CloseEpoch();
    // A fix without a time belongs to no epoch.
    if (fix.time.empty()) return;
    if (!epochOpen_) {
        epochOpen_ = true;
        epochTime_ = fix.time;
    }
    if (epochAltitudes_.size() < kMaxEpochFixes) {
        epochAltitudes_.emplace_back(std::string(fix.talker), fix.altitude);
    }
}

void NmeaAudit::CloseEpoch() {
    bool paired = false;
    double largest = 0.0;
    for (const auto& [talker, altitude] : epochAltitudes_) {
        if (talker != "GN") continue;
        for (const auto& [other, otherAltitude] : epochAltitudes_) {
            if (other == "GN") continue;
            paired = true;
            largest = std::max(largest, std::fabs(altitude - otherAltitude));
        }
    }
    if (paired) {
        ++report_.pairedEpochs;
        if (largest > kAltitudeTolerance) ++report_.disagreeingEpochs;
        report_.largestAltitudeDifference = std::max(report_.largestAltitudeDifference, largest);
    }
    epochOpen_ = false;
    epochTime_.clear();
    epochAltitudes_.clear();
}

NmeaAuditReport NmeaAudit::Finish() {
    if (epochOpen_) CloseEpoch();
    FinishDifference(report_.difference, sums_);
    for (std::size_t k = 0; k < report_.otherModels.size(); ++k)
        FinishDifference(report_.otherModels[k].difference, otherSums_[k]);
    for (std::size_t k = 0; k < report_.byTalker.size(); ++k)
        FinishDifference(report_.byTalker[k].difference, talkerSums_[k]);
    report_.talkersDisagree = TalkersDisagree(report_.byTalker);
    MakeVerdicts();
    report_.timeline = timeline_.items();
    return report_;
}

void NmeaAudit::MakeVerdicts() {
    NmeaAuditReport& r = report_;
    r.verdicts.clear();
    if (r.sentences == 0) {
        r.verdicts.emplace_back(r.lines == 0        ? kEmptyLogVerdict
                                : r.binaryLines > 0 ? kBinaryLogVerdict
                                                    : kNoSentenceVerdict);
        return;
    }
    if (r.fixes == 0 && WithoutHeights(r) == 0) {
        r.verdicts.emplace_back(kNoFixVerdict);
        return;
    }
    if (r.talkersDisagree) {
        for (const NmeaTalkerFigures& t : r.byTalker) {
            if (const SeparationKind kind = KindOf(t); kind != SeparationKind::None)
                r.verdicts.push_back(t.talker + ": " + SeparationVerdict(kind, t.difference));
        }
    } else if (std::string verdict = PooledVerdict(); !verdict.empty()) {
        r.verdicts.push_back(std::move(verdict));
    }
    if (r.disagreeingEpochs > 0) {
        r.verdicts.push_back(EpochsDisagreeVerdict(ConstellationTalker(r),
                                                   r.largestAltitudeDifference, r.disagreeingEpochs,
                                                   r.pairedEpochs));
    }
    if (r.queryFailed > 0) r.verdicts.push_back(FixesNotComparedVerdict(r.queryFailed));
    for (const NmeaOutcome without : {NmeaOutcome::NoSeparation, NmeaOutcome::NoAltitude}) {
        if (const std::int64_t n = r.unusable[static_cast<int>(without)]; n > 0)
            r.verdicts.push_back(FixesWithoutHeightVerdict(n, without == NmeaOutcome::NoAltitude));
    }
}

std::string NmeaAudit::PooledVerdict() const {
    const NmeaAuditReport& r = report_;
    const SeparationKind kind = KindOf(r.fixes, r.zeroSeparations, r.difference);
    if (kind != SeparationKind::Matches && kind != SeparationKind::Differs)
        return SeparationVerdict(kind, r.difference);
    // The closest by RMS of the models compared; EGM2008 keeps a tie.
    const NmeaModelFigures* closest = nullptr;
    double closestRms = r.difference.rms;
    for (const NmeaModelFigures& other : r.otherModels) {
        if (other.difference.count > 0 && other.difference.rms < closestRms) {
            closest = &other;
            closestRms = other.difference.rms;
        }
    }
    if (closest && KindOf(0, 0, closest->difference) == SeparationKind::Matches) {
        return SeparationMatchesModelVerdict(ModelName(closest->model), ModelKey(closest->model),
                                             closest->difference.rms);
    }
    return SeparationVerdict(kind, r.difference);
}

bool NmeaAuditFailed(const NmeaAuditReport& r) {
    return r.sentences == 0 || (r.difference.count == 0 && (r.fixes > 0 || WithoutHeights(r) > 0));
}

NmeaAuditRun RunNmeaAudit(int fd, const GeoidGrid& grid, MappedGrid& mapped,
                          InterpolationMethod method, const RunStop& stop,
                          const std::vector<AuditModelGrid>& others) {
    NmeaAudit audit(
        [&](double latitude, double longitude, float& undulation) {
            return ComputeUndulation(grid, method, latitude, longitude, undulation, mapped);
        },
        grid.path);
    for (const AuditModelGrid& other : others) {
        audit.CompareWith(
            other.grid->model,
            [other, method](double latitude, double longitude, float& undulation) {
                return ComputeUndulation(*other.grid, method, latitude, longitude, undulation,
                                         *other.mapped);
            },
            other.grid->path);
    }
    LineReader reader(fd);
    reader.EndLinesAtCarriageReturns();
    reader.StopOn(stop);
    NmeaAuditRun run;
    std::string line;
    std::string rest;
    for (;;) {
        LineReader::Status status = reader.Next(line);
        if (status == LineReader::Status::Line) {
            // An overlong line counts once, by its first part; its rest is read and dropped.
            while (status == LineReader::Status::Line && reader.overlong()) {
                status = reader.Next(rest);
            }
            audit.Add(line);
        }
        if (status == LineReader::Status::Line) continue;
        if (status == LineReader::Status::Error) run.readError = reader.error();
        run.stopped = status == LineReader::Status::Stopped;
        break;
    }
    run.report = audit.Finish();
    return run;
}

OlderModelGrids::OlderModelGrids(const GeoidGrid& grid, Notifier& notifier) {
    for (const GeoidModel model : kGeoidModels) {
        if (model == GeoidModel::Egm2008 || model == grid.model) continue;
        GridRequest request;
        request.model = model;
        GridChoiceNotes notes;
        if (!ChooseGrid(request, grids_[count_], notes)) {
            notes_.push_back(ModelNotComparedNote(ModelName(model), notes.reason));
            continue;
        }
        if (mapped_[count_].Map(grids_[count_], notifier) == QueryStatus::StatusOk) ++count_;
    }
}

std::vector<AuditModelGrid> OlderModelGrids::grids() {
    std::vector<AuditModelGrid> found;
    for (std::size_t k = 0; k < count_; ++k) found.push_back({&grids_[k], &mapped_[k]});
    return found;
}

GeoidGrid AuditGrid(const std::string& internalDatabase) {
    // The working directory first (bare names), then the internal database's folder.
    std::string folders[] = {"", ""};
    if (const std::size_t slash = internalDatabase.rfind('/'); slash != std::string::npos) {
        folders[1] = internalDatabase.substr(0, slash + 1);
    }
    for (const std::string& folder : folders) {
        for (const bool bigEndian : {false, true}) {
            const std::string path = folder + GridFileName(GridSize::Grid2_5x2_5, bigEndian);
            GridProbe probe;
            // The name gives the byte order; the file's length and first marker must agree.
            if (ProbeGridFile(path, probe) && probe.size == GridSize::Grid2_5x2_5 &&
                probe.bigEndian == bigEndian) {
                return GridOfKind(path, GridSize::Grid2_5x2_5, bigEndian);
            }
        }
    }
    GeoidGrid grid;
    grid.path = internalDatabase;
    return grid;
}

namespace {

// "Separation - EGM2008 N (GP): mean ..." and "Separation 0 (GP): ...", `label` after the names.
void AppendSeparationFigures(std::string& out, const std::string& label,
                             const NmeaDifferenceFigures& d, std::int64_t zeroSeparations,
                             const char* model = "EGM2008") {
    if (d.count > 0) {
        out += std::string("Separation - ") + model + " N" + label + ": mean " + Metres(d.mean, 2) +
               ", RMS " + Metres(d.rms, 2) + ", min " + Metres(d.minimum, 2) + ", max " +
               Metres(d.maximum, 2) + " over " + Count(d.count, "fix", "fixes") + "\n";
    }
    if (zeroSeparations > 0)
        out += "Separation 0" + label + ": " + Count(zeroSeparations, "fix", "fixes") + "\n";
}

void AppendFiguresOfFixes(std::string& out, const NmeaAuditReport& r) {
    out += "Fixes: " + Count(r.fixes);
    if (r.fixes > 0) {
        out +=
            " from " + r.firstTime + " to " + r.lastTime + " UTC (" + Duration(r.spanSeconds) + ")";
    }
    out += "\n";
    if (r.talkersDisagree) {
        for (const NmeaTalkerFigures& t : r.byTalker)
            AppendSeparationFigures(out, " (" + t.talker + ")", t.difference, t.zeroSeparations);
    } else {
        AppendSeparationFigures(out, "", r.difference, r.zeroSeparations);
    }
    for (const NmeaModelFigures& other : r.otherModels)
        AppendSeparationFigures(out, "", other.difference, 0, ModelName(other.model));
    if (r.queryFailed > 0)
        out += "EGM2008 N not computed: " + Count(r.queryFailed, "fix", "fixes") + "\n";
    if (r.pairedEpochs > 0) {
        out += ConstellationTalker(r) + "/GN epochs: " + Count(r.pairedEpochs) + " paired, " +
               Count(r.disagreeingEpochs) + " disagree, altitudes differ by up to " +
               Metres(r.largestAltitudeDifference, 1) + "\n";
    }
}

}  // namespace

std::string NmeaAuditText(const NmeaAuditReport& r) {
    std::string out;
    for (const std::string& verdict : r.verdicts) out += verdict + "\n";
    out += "\nSentences: " + Count(r.sentences) + " in " + Count(r.lines, "line", "lines");
    std::string separator = " (";
    for (const auto& [name, count] : r.identifiers) {
        out += separator + name + " " + Count(count);
        separator = ", ";
    }
    out += r.identifiers.empty() ? "\n" : ")\n";
    out += "Talkers: ";
    separator.clear();
    for (const std::string& talker : r.talkers) {
        out += separator + talker;
        separator = ", ";
    }
    out += r.talkers.empty() ? "none\n" : "\n";
    AppendFiguresOfFixes(out, r);
    separator = "Not usable: ";
    for (int k = 0; k < kNmeaOutcomes; ++k) {
        if (r.unusable[k] == 0) continue;
        out +=
            separator + Count(r.unusable[k]) + " " + NmeaOutcomeText(static_cast<NmeaOutcome>(k));
        separator = ", ";
    }
    if (separator == ", ") out += "\n";
    out += "Grid: " + r.grid + "\n";
    for (const NmeaModelFigures& other : r.otherModels)
        out += std::string(ModelName(other.model)) + " grid: " + other.grid + "\n";
    return out;
}

namespace {

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendJsonStrings(std::string& out, const std::vector<std::string>& texts) {
    out += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += ',';
        AppendJsonString(out, texts[i]);
    }
    out += ']';
}

// Metres with 4 decimals; null for a value that is no number.
std::string JsonMetres(double value) {
    return std::isfinite(value) ? FormatFixed(value, 4) : std::string("null");
}

// `"key":` for the members of one object, a comma before every one but the first.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    std::string& Key(std::string_view key) {
        if (!first_) out_ += ',';
        first_ = false;
        AppendJsonString(out_, key);
        out_ += ':';
        return out_;
    }
    void Close() { out_ += '}'; }

private:
    std::string& out_;
    bool first_ = true;
};

void AppendJsonDifference(std::string& out, const NmeaDifferenceFigures& d) {
    JsonObject difference(out);
    difference.Key("count") += std::to_string(d.count);
    difference.Key("mean") += JsonMetres(d.mean);
    difference.Key("rms") += JsonMetres(d.rms);
    difference.Key("min") += JsonMetres(d.minimum);
    difference.Key("max") += JsonMetres(d.maximum);
    difference.Close();
}

}  // namespace

std::string NmeaAuditJson(const NmeaAuditReport& r) {
    std::string out;
    JsonObject o(out);
    o.Key("sentences") += std::to_string(r.sentences);
    o.Key("lines") += std::to_string(r.lines);
    {
        JsonObject identifiers(o.Key("identifiers"));
        for (const auto& [name, count] : r.identifiers) {
            identifiers.Key(name) += std::to_string(count);
        }
        identifiers.Close();
    }
    AppendJsonStrings(o.Key("talkers"), r.talkers);
    o.Key("positions") += std::to_string(r.positions);
    o.Key("fixes") += std::to_string(r.fixes);
    {
        JsonObject unusable(o.Key("unusable"));
        for (int k = 0; k < kNmeaOutcomes; ++k) {
            if (r.unusable[k] == 0) continue;
            unusable.Key(NmeaOutcomeText(static_cast<NmeaOutcome>(k))) +=
                std::to_string(r.unusable[k]);
        }
        unusable.Close();
    }
    AppendJsonString(o.Key("first_time"), r.firstTime);
    AppendJsonString(o.Key("last_time"), r.lastTime);
    o.Key("span_seconds") += FormatFixed(r.spanSeconds, 2);
    AppendJsonDifference(o.Key("difference"), r.difference);
    o.Key("zero_separations") += std::to_string(r.zeroSeparations);
    o.Key("query_failed") += std::to_string(r.queryFailed);
    {
        JsonObject byTalker(o.Key("by_talker"));
        for (const NmeaTalkerFigures& t : r.byTalker) {
            JsonObject figures(byTalker.Key(t.talker));
            figures.Key("fixes") += std::to_string(t.fixes);
            AppendJsonDifference(figures.Key("difference"), t.difference);
            figures.Key("zero_separations") += std::to_string(t.zeroSeparations);
            figures.Key("query_failed") += std::to_string(t.queryFailed);
            figures.Close();
        }
        byTalker.Close();
    }
    {
        JsonObject epochs(o.Key("epochs"));
        epochs.Key("paired") += std::to_string(r.pairedEpochs);
        epochs.Key("disagreeing") += std::to_string(r.disagreeingEpochs);
        epochs.Key("largest_altitude_difference") += JsonMetres(r.largestAltitudeDifference);
        epochs.Close();
    }
    AppendJsonString(o.Key("grid"), r.grid);
    if (!r.otherModels.empty()) {  // only when the caller compared others
        JsonObject models(o.Key("other_models"));
        for (const NmeaModelFigures& other : r.otherModels) {
            JsonObject figures(models.Key(ModelName(other.model)));
            AppendJsonDifference(figures.Key("difference"), other.difference);
            AppendJsonString(figures.Key("grid"), other.grid);
            figures.Close();
        }
        models.Close();
    }
    AppendJsonStrings(o.Key("verdicts"), r.verdicts);
    o.Close();
    return out;
}

Plot NmeaDifferencePlot(const NmeaAuditReport& report) {
    Plot plot;
    double span = 0.0;
    for (const NmeaTimedDifference& fix : report.timeline) span = std::max(span, fix.seconds);
    // The unit that keeps the time's numbers short.
    const auto [unit, secondsPerUnit] = span <= 120.0    ? std::pair{"s", 1.0}
                                        : span <= 7200.0 ? std::pair{"min", 60.0}
                                                         : std::pair{"h", 3600.0};
    plot.title = kAuditPlotTitle;
    plot.xTitle = AuditPlotTimeTitle(report.firstTime, unit);
    plot.yTitle = kAuditPlotDifferenceTitle;
    for (const std::string& talker : report.talkers) plot.series.push_back({talker, {}});
    for (const NmeaTimedDifference& fix : report.timeline) {
        if (fix.talker < plot.series.size())
            plot.series[fix.talker].points.push_back(
                {fix.seconds / secondsPerUnit, fix.difference});
    }
    // A second's worth of time at least, and a tenth of a metre.
    FitPlotAxes(plot, 1.0 / secondsPerUnit, 0.1);
    return plot;
}

}  // namespace egm2008
