#include "tasks/grid_lattice.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/field_text.hpp"
#include "tasks/fixed_format.hpp"
#include "tasks/ordered_work.hpp"

namespace egm2008 {

namespace {

// Nodes in one piece of the lattice handed to a worker, and pieces on their way at once.
constexpr std::uint64_t kPieceNodes = 8192;
constexpr std::size_t kPiecesInFlight = 4;
// Room a line may need: three numbers, two blanks, CR LF.
constexpr std::size_t kLineRoom = 3 * kFixedTextLimit + 4;
// Rows of at most this many nodes have their longitude texts written once per run.
constexpr std::uint64_t kColumnTextLimit = 65536;
// More positions than this in a row or column: the walk is endless in practice.
constexpr std::uint64_t kEndless = std::uint64_t{1} << 62;

// The walk of one axis: index 0 lies at `start`, index k >= 1 at start -/+ k*step,
// computed from k each time, and is taken while it lies beyond/before `limit`.
struct AxisWalk {
    double start;
    double step;
    double limit;
    bool descending;
    double end;  // the area's last latitude or longitude
    // Where a node at `position` is queried: a node within the slack of the area's
    // end is queried at the end itself, so that rounding does not carry the last
    // row or column past a pole or 360 degrees.
    double QueryPosition(double position) const {
        return std::fabs(position - end) <= kLatticeSlack ? end : position;
    }
    double Position(std::uint64_t k) const {
        if (k == 0) return start;
        const double offset = static_cast<double>(k) * step;
        return descending ? start - offset : start + offset;
    }
    bool Takes(std::uint64_t k) const {
        if (k == 0) return true;
        const double position = Position(k);
        return descending ? position > limit : position < limit;
    }
};

// Positions the walk takes: it stops at the first index not taken. Rounding is
// monotonic, so positions never turn back and the indices taken are a prefix:
// the count is found by doubling and halving instead of by walking.
std::uint64_t CountPositions(const AxisWalk& walk) {
    if (!walk.Takes(1)) return 1;
    std::uint64_t taken = 1;  // Takes(taken) holds
    std::uint64_t beyond = 2;
    while (walk.Takes(beyond)) {
        taken = beyond;
        if (beyond >= kEndless) return kEndless;
        beyond *= 2;
    }
    while (beyond - taken > 1) {
        const std::uint64_t middle = taken + (beyond - taken) / 2;
        (walk.Takes(middle) ? taken : beyond) = middle;
    }
    return beyond;
}

// A run of consecutive nodes in walking order, and the lines it yields.
struct LatticePiece {
    std::uint64_t row = 0;
    std::uint64_t column = 0;
    std::uint64_t nodes = 0;
    std::uint64_t firstNode = 0;  // nodes of the lattice before this piece

    std::string output;       // its first `length` characters are the lines
    std::size_t length = 0;
    std::uint64_t lines = 0;  // nodes given a line, before any stop
    std::uint64_t outside = 0;  // of those, nodes whose query answered StatusOutside
    bool stopped = false;     // the next node's query answered StatusError
    double stopLatitude = 0.0;
    double stopLongitude = 0.0;
    // Output length after every node whose count is a multiple of kLatticeProgressInterval.
    std::vector<std::pair<std::uint64_t, std::size_t>> marks;
};

}  // namespace

LatticeArea AreaFromCorners(double latitude1, double longitude1, double latitude2,
                            double longitude2, double latSpacingMinutes, double lonSpacingMinutes) {
    LatticeArea area;
    area.north = std::max(latitude1, latitude2);
    area.south = std::min(latitude1, latitude2);
    area.west = std::min(longitude1, longitude2);
    area.east = std::max(longitude1, longitude2);
    area.latStep = latSpacingMinutes / 60.0;
    area.lonStep = lonSpacingMinutes / 60.0;
    return area;
}

LatticeOutcome WriteGridLattice(TextOutput& output, const GeoidGrid& grid, MappedGrid& mapped,
                                InterpolationMethod method, const LatticeArea& area,
                                const LatticeProgress& progress) {
    LatticeOutcome outcome;
    // A smaller step (or a NaN) would never leave the first row or column.
    if (!(area.latStep >= kLatticeSlack) || !(area.lonStep >= kLatticeSlack)) {
        outcome.end = LatticeEnd::InvalidArea;
        return outcome;
    }

    const AxisWalk rows{area.north, area.latStep, area.south - kLatticeSlack, true, area.south};
    const AxisWalk columns{area.west, area.lonStep, area.east + kLatticeSlack, false, area.east};
    const std::uint64_t rowLength = CountPositions(columns);

    // Every row has the same longitudes: their texts, each with its blank, are
    // written once when the rows are not too long.
    std::string columnTexts;
    std::vector<std::uint32_t> columnEnds;
    if (rowLength <= kColumnTextLimit) {
        columnEnds.reserve(rowLength);
        for (std::uint64_t j = 0; j < rowLength; ++j) {
            AppendFixed(columnTexts, columns.Position(j), 11, 6);
            columnTexts.push_back(' ');
            columnEnds.push_back(static_cast<std::uint32_t>(columnTexts.size()));
        }
    }

    // Workers compute pieces of the lattice; this thread writes them in walking order.
    OrderedWork<LatticePiece> work(kPiecesInFlight, RunWorkerCount(), [&](LatticePiece& piece) {
        piece.marks.clear();
        piece.length = 0;
        piece.lines = 0;
        piece.outside = 0;
        piece.stopped = false;
        char latitudeText[kFixedTextLimit + 1];
        std::size_t latitudeLength = 0;
        std::uint64_t row = piece.row;
        std::uint64_t column = piece.column;
        double latitude = 0.0;
        for (std::uint64_t k = 0; k < piece.nodes; ++k) {
            if (k == 0 || column == 0) {
                latitude = rows.Position(row);
                char* end = WriteFixed(latitudeText, latitude, 10, 6);
                *end++ = ' ';
                latitudeLength = static_cast<std::size_t>(end - latitudeText);
            }
            const double longitude = columns.Position(column);
            // Bi-linear and triangulation leave the result alone when they fail:
            // the marker must not be the value of an earlier node.
            float undulation = kResultPreset;
            const QueryStatus status = ComputeUndulation(grid, method, rows.QueryPosition(latitude),
                                                         columns.QueryPosition(longitude),
                                                         undulation, mapped);
            if (status == QueryStatus::StatusError) {
                piece.stopped = true;
                piece.stopLatitude = latitude;
                piece.stopLongitude = longitude;
                break;
            }
            if (status == QueryStatus::StatusOutside) ++piece.outside;
            // "%10.6lf %11.6lf %8.3f" and CR LF, straight into the piece's text.
            if (piece.output.size() - piece.length < kLineRoom) {
                piece.output.resize(std::max(2 * piece.output.size(), piece.length + kLineRoom));
            }
            char* const begin = piece.output.data() + piece.length;
            char* at = begin;
            std::memcpy(at, latitudeText, latitudeLength);
            at += latitudeLength;
            if (column < columnEnds.size()) {
                const std::uint32_t from = column == 0 ? 0 : columnEnds[column - 1];
                std::memcpy(at, columnTexts.data() + from, columnEnds[column] - from);
                at += columnEnds[column] - from;
            } else {
                at = WriteFixed(at, longitude, 11, 6);
                *at++ = ' ';
            }
            at = WriteFixed(at, static_cast<double>(undulation), 8, 3);
            *at++ = '\r';
            *at++ = '\n';
            piece.length += static_cast<std::size_t>(at - begin);
            ++piece.lines;
            const std::uint64_t count = piece.firstNode + piece.lines;
            if (count % kLatticeProgressInterval == 0) piece.marks.emplace_back(count, piece.length);
            if (++column == rowLength) {
                column = 0;
                ++row;
            }
        }
    });

    // Hands out the lattice piece by piece: rows while they lie above the limit.
    std::uint64_t nextRow = 0;
    std::uint64_t nextColumn = 0;
    std::uint64_t handedOut = 0;
    bool rowsLeft = true;
    const auto handOut = [&] {
        LatticePiece& piece = work.Fill();
        piece.row = nextRow;
        piece.column = nextColumn;
        piece.firstNode = handedOut;
        piece.nodes = 0;
        while (piece.nodes < kPieceNodes) {
            const std::uint64_t take = std::min(kPieceNodes - piece.nodes, rowLength - nextColumn);
            piece.nodes += take;
            nextColumn += take;
            if (nextColumn < rowLength) break;
            nextColumn = 0;
            ++nextRow;
            if (!rows.Takes(nextRow)) {
                rowsLeft = false;
                break;
            }
        }
        handedOut += piece.nodes;
        work.Submit();
    };

    // Writes one piece; false when the run ends with it.
    const auto writePiece = [&](const LatticePiece& piece) {
        std::size_t written = 0;
        for (const auto& [count, offset] : piece.marks) {
            output.Write(std::string_view(piece.output).substr(written, offset - written));
            written = offset;
            if (output.failed()) return false;
            outcome.nodesWritten = count;
            if (progress && !progress(count)) {
                outcome.end = LatticeEnd::Cancelled;
                return false;
            }
        }
        output.Write(std::string_view(piece.output).substr(written, piece.length - written));
        if (output.failed()) return false;
        outcome.nodesWritten = piece.firstNode + piece.lines;
        outcome.nodesOutside += piece.outside;
        if (piece.stopped) {
            outcome.end = LatticeEnd::StoppedAtError;
            outcome.stopLatitude = piece.stopLatitude;
            outcome.stopLongitude = piece.stopLongitude;
            return false;
        }
        return true;
    };

    for (;;) {
        while (rowsLeft && !work.Full()) handOut();
        if (!work.Pending()) break;
        const bool goOn = writePiece(work.TakeOldest());
        work.Release();
        if (!goOn) break;
    }

    if (!output.Flush()) {
        outcome.end = LatticeEnd::WriteFailed;
        outcome.writeError = output.error();
    }
    return outcome;
}

std::string OutputIsGridMessage(const std::string& path) {
    return "\nOutputfile \"" + path + "\" is the geoid file in use and is not overwritten!\n";
}

std::string OutputWriteFailureMessage(const std::string& path, int error) {
    return "\nOutputfile \"" + path + "\" could not be written (" + std::strerror(error) +
           ")!\nThe file is incomplete.\n";
}

std::string LatticeIncompleteMessage(const std::string& path, double latitude, double longitude) {
    return "\nOutputfile \"" + path + "\" is incomplete!\nThe run stopped at latitude " +
           FormatFixed(latitude, 6) + ", longitude " + FormatFixed(longitude, 6) +
           ", where no undulation could be computed.\n";
}

}  // namespace egm2008
