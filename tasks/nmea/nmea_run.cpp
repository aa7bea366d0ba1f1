#include "tasks/nmea/nmea_run.hpp"

#include "engine/query_routines.hpp"
#include "tasks/common/line_batches.hpp"
#include "tasks/common/line_reader.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

constexpr std::int64_t kProgressStep = 10000;

// A line holding a GGA or GNS sentence, by its identifier.
bool HoldsPositionSentence(std::string_view line) {
    const std::size_t at = FindNmeaSentence(line);
    std::string_view talker;
    std::string_view type;
    return at != std::string_view::npos && NmeaIdentifier(line.substr(at), talker, type) &&
           IsPositionSentence(talker, type);
}

}  // namespace

std::int64_t NmeaCounts::lines() const {
    std::int64_t sum = 0;
    for (const std::int64_t n : of) sum += n;
    return sum;
}

bool NmeaCounts::AnyFailed() const {
    using O = NmeaOutcome;
    for (const O reason : {O::WrongChecksum, O::NoSeparation, O::NoAltitude, O::WrongUnit,
                           O::Unreadable, O::TooLong, O::QueryFailed}) {
        if (of[static_cast<int>(reason)] > 0) return true;
    }
    return false;
}

NmeaCounts& NmeaCounts::operator+=(const NmeaCounts& other) {
    for (int k = 0; k < kNmeaOutcomes; ++k) of[k] += other.of[k];
    return *this;
}

NmeaRunOutcome RunNmea(const PointFileInput& input, TextOutput& output, const GeoidGrid& grid,
                       MappedGrid& mapped, InterpolationMethod method,
                       const NmeaRewriteOptions& options, const NmeaProgress& progress,
                       const RunStop& stop) {
    NmeaRunOutcome outcome;
    LineReader reader(input.fd());
    reader.KeepCarriageReturns();
    reader.EndLinesAtCarriageReturns();
    reader.StopOn(stop);
    const UndulationQuery query = GridQuery(grid, method, mapped, options.tide);
    ProgressSteps steps(progress, kProgressStep);

    LineWork<NmeaCounts> work;
    work.handle = [&](std::string_view lines, std::int64_t, std::string& out, NmeaCounts& counts) {
        ForEachLine(
            lines,
            [&](std::string_view line) {
                ++counts.of[static_cast<int>(RewriteNmeaLine(line, options, query, out))];
            },
            true);
    };
    work.countOverlong = [](std::string_view start, std::int64_t, NmeaCounts& counts) {
        const NmeaOutcome reason =
            HoldsPositionSentence(start) ? NmeaOutcome::Unreadable : NmeaOutcome::NotPosition;
        ++counts.of[static_cast<int>(reason)];
    };
    work.add = [&](const NmeaCounts& counts) {
        outcome += counts;
        steps.Reach(outcome.lines());
    };
    const LineRunEnd end = RunLines(reader, output, !input.identified(), stop, work);
    outcome.readError = end.readError;
    outcome.stopped = !end.ended && end.readError == 0 && stop.Requested();
    if (!output.Close()) outcome.writeError = output.error();
    return outcome;
}

std::string NmeaSummaryText(const NmeaCounts& counts) {
    using O = NmeaOutcome;
    const auto counted = [](std::int64_t n, const char* one, const char* many) {
        return GroupedCount(static_cast<std::uint64_t>(n)) + " " + (n == 1 ? one : many);
    };
    const std::int64_t rewritten = counts.of[static_cast<int>(O::Rewritten)];
    const std::int64_t others = counts.of[static_cast<int>(O::NotPosition)];
    std::string text = counted(counts.lines(), "line", "lines") +
                       " read: " + counted(rewritten, "GGA/GNS sentence", "GGA/GNS sentences") +
                       " rewritten";
    if (const std::int64_t unchanged = counts.positions() - rewritten; unchanged > 0) {
        text += ", " + GroupedCount(static_cast<std::uint64_t>(unchanged)) + " left as received (";
        const char* separator = "";
        for (int k = static_cast<int>(O::WrongChecksum); k < kNmeaOutcomes; ++k) {
            if (counts.of[k] == 0) continue;
            text += separator + GroupedCount(static_cast<std::uint64_t>(counts.of[k])) + " " +
                    NmeaOutcomeText(static_cast<O>(k));
            separator = ", ";
        }
        text += ")";
    }
    if (others > 0) text += ", " + counted(others, "other line", "other lines") + " passed on";
    return text + ".";
}

}  // namespace egm2008
