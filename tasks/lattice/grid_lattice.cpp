#include "tasks/lattice/grid_lattice.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/common/fixed_format.hpp"
#include "tasks/common/ordered_work.hpp"

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
// Bytes of a value of NodeWriting::Float32BE.
constexpr std::size_t kFloat32Size = 4;

// Writes `value` as a big-endian float32 to `at` and returns the end.
char* WriteFloat32BE(char* at, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int k = 3; k >= 0; --k) *at++ = static_cast<char>((bits >> (8 * k)) & 0xff);
    return at;
}

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

// The walks of a lattice's rows, north to south, and of its columns, west to east.
AxisWalk RowWalk(const LatticeArea& area) {
    return {area.north, area.latStep, area.south - kLatticeSlack, true, area.south};
}
AxisWalk ColumnWalk(const LatticeArea& area) {
    return {area.west, area.lonStep, area.east + kLatticeSlack, false, area.east};
}

// A run of consecutive nodes in walking order, and the lines it yields.
struct LatticePiece {
    std::uint64_t row = 0;
    std::uint64_t column = 0;
    std::uint64_t nodes = 0;
    std::uint64_t firstNode = 0;  // nodes of the lattice before this piece

    std::string output;  // its first `length` characters are the lines
    std::size_t length = 0;
    std::uint64_t lines = 0;    // nodes given a line, before any stop
    std::uint64_t outside = 0;  // of those, nodes whose query answered StatusOutside
    bool stopped = false;       // the next node's query answered StatusError
    double stopLatitude = 0.0;
    double stopLongitude = 0.0;
    // Output length after every node whose count is a multiple of kLatticeProgressInterval.
    std::vector<std::pair<std::uint64_t, std::size_t>> marks;
    std::vector<float> values;  // N of every node given a line, NaN where missing, for a raster
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

namespace {

// The lattice as two axis walks, the format's layout of a node, and for a
// point format the texts of the longitudes that every row shares, each with
// its separator, when the rows are not too long.
struct LatticeWalk {
    AxisWalk rows;
    AxisWalk columns;
    std::uint64_t rowLength;
    std::uint64_t rowCount;
    const LatticeNodeLayout* layout;  // nullptr: a raster format, which takes the values alone
    bool keepValues;                  // pieces keep their nodes' values for a raster
    std::string columnTexts;
    std::vector<std::uint32_t> columnEnds;  // end of each column's text in columnTexts

    LatticeWalk(const LatticeArea& area, const LatticeNodeLayout* nodeLayout, bool withValues)
        : rows(RowWalk(area)),
          columns(ColumnWalk(area)),
          rowLength(CountPositions(columns)),
          rowCount(CountPositions(rows)),
          layout(nodeLayout),
          keepValues(withValues) {
        if (!Writes(NodeWriting::PointLine) || rowLength > kColumnTextLimit) return;
        columnEnds.reserve(rowLength);
        for (std::uint64_t j = 0; j < rowLength; ++j) {
            AppendFixed(columnTexts, columns.Position(j), layout->longitudeWidth, 6);
            columnTexts.push_back(layout->separator);
            columnEnds.push_back(static_cast<std::uint32_t>(columnTexts.size()));
        }
    }

    bool Writes(NodeWriting writing) const {
        return layout != nullptr && layout->writing == writing;
    }
    // Rows stored south to north, at offsets after the header.
    bool SouthToNorth() const { return layout != nullptr && layout->rowsSouthToNorth; }

    // Writes the longitude of `column` and its separator at `at`; returns the end.
    char* WriteLongitude(char* at, std::uint64_t column, double longitude) const {
        if (column >= columnEnds.size()) {
            at = WriteFixed(at, longitude, layout->longitudeWidth, 6);
            *at++ = layout->separator;
            return at;
        }
        const std::uint32_t from = column == 0 ? 0 : columnEnds[column - 1];
        std::memcpy(at, columnTexts.data() + from, columnEnds[column] - from);
        return at + (columnEnds[column] - from);
    }
};

// Computes the lines of one piece; runs on a worker thread and reads only
// what is safe to share.
class PieceComputer {
public:
    PieceComputer(const LatticeWalk& walk, const GeoidGrid& grid, MappedGrid& mapped,
                  InterpolationMethod method, TideSystem tide)
        : walk_(walk), grid_(grid), mapped_(mapped), method_(method), tide_(tide) {}

    void operator()(LatticePiece& piece) const {
        Reset(piece);
        char latitudeText[kFixedTextLimit + 1];
        std::size_t latitudeLength = 0;
        std::uint64_t row = piece.row;
        std::uint64_t column = piece.column;
        double latitude = 0.0;
        for (std::uint64_t k = 0; k < piece.nodes; ++k) {
            if (k == 0 || column == 0) {
                latitude = walk_.rows.Position(row);
                if (walk_.Writes(NodeWriting::PointLine)) {
                    char* end = WriteFixed(latitudeText, latitude, walk_.layout->latitudeWidth, 6);
                    *end++ = walk_.layout->separator;
                    latitudeLength = static_cast<std::size_t>(end - latitudeText);
                }
            }
            const double longitude = walk_.columns.Position(column);
            // Bi-linear and triangulation leave the result alone when they fail:
            // the marker must not be the value of an earlier node.
            float undulation = kResultPreset;
            const QueryStatus status =
                ComputeUndulation(grid_, method_, walk_.rows.QueryPosition(latitude),
                                  walk_.columns.QueryPosition(longitude), undulation, mapped_);
            if (status == QueryStatus::StatusError) {
                piece.stopped = true;
                piece.stopLatitude = latitude;
                piece.stopLongitude = longitude;
                break;
            }
            if (status == QueryStatus::StatusOutside) ++piece.outside;
            // The correction in double, N rounded to float as the lattice holds it;
            // tide-free leaves the grid's value, and the walk its pace, untouched.
            if (status == QueryStatus::StatusOk && tide_ != TideSystem::TideFree)
                undulation = static_cast<float>(
                    InTideSystem(tide_, latitude, static_cast<double>(undulation)));
            const std::string_view latitudeView(latitudeText, latitudeLength);
            const bool missing = status != QueryStatus::StatusOk || !std::isfinite(undulation);
            AppendNode(piece, latitudeView, column, longitude, undulation, missing);
            if (++column == walk_.rowLength) {
                column = 0;
                ++row;
            }
        }
    }

private:
    static char* EndLine(char* at) {
        *at++ = '\r';
        *at++ = '\n';
        return at;
    }

    static void Reset(LatticePiece& piece) {
        piece.marks.clear();
        piece.values.clear();
        piece.length = 0;
        piece.lines = 0;
        piece.outside = 0;
        piece.stopped = false;
    }

    // N of a node in a text layout: the missing text, or N with the layout's digits.
    char* WriteValue(char* at, float undulation, bool missing) const {
        const LatticeNodeLayout& layout = *walk_.layout;
        if (missing && layout.missingText != nullptr) {
            return std::copy_n(layout.missingText, std::strlen(layout.missingText), at);
        }
        return WriteFixed(at, static_cast<double>(undulation), layout.valueWidth,
                          layout.valueDecimals);
    }

    // One node in the run's layout (lattice_format_info.hpp), straight into the piece's output.
    void AppendNode(LatticePiece& piece, std::string_view latitudeText, std::uint64_t column,
                    double longitude, float undulation, bool missing) const {
        if (piece.output.size() - piece.length < kLineRoom) {
            piece.output.resize(std::max(2 * piece.output.size(), piece.length + kLineRoom));
        }
        char* const begin = piece.output.data() + piece.length;
        char* at = begin;
        if (walk_.layout != nullptr) {  // a raster takes the values alone
            switch (walk_.layout->writing) {
                case NodeWriting::PointLine:
                    // xyz: "%10.6lf %11.6lf %8.3f" and CR LF.
                    std::memcpy(at, latitudeText.data(), latitudeText.size());
                    at = walk_.WriteLongitude(at + latitudeText.size(), column, longitude);
                    at = EndLine(WriteValue(at, undulation, missing));
                    break;
                case NodeWriting::ValueText:
                    at = WriteValue(at, undulation, missing);
                    if (column + 1 == walk_.rowLength) {
                        at = EndLine(at);
                    } else {
                        *at++ = walk_.layout->separator;
                    }
                    break;
                case NodeWriting::Float32BE:
                    at = WriteFloat32BE(at, missing ? walk_.layout->missingValue : undulation);
                    break;
            }
        }
        if (walk_.keepValues) {
            piece.values.push_back(missing ? std::numeric_limits<float>::quiet_NaN() : undulation);
        }
        piece.length += static_cast<std::size_t>(at - begin);
        ++piece.lines;
        const std::uint64_t count = piece.firstNode + piece.lines;
        if (count % kLatticeProgressInterval == 0) piece.marks.emplace_back(count, piece.length);
    }

    const LatticeWalk& walk_;
    const GeoidGrid& grid_;
    MappedGrid& mapped_;
    InterpolationMethod method_;
    TideSystem tide_;
};

// Hands out the lattice in walking order, piece by piece: rows while they lie
// above the limit, at most kPieceNodes nodes a piece.
class PieceDealer {
public:
    explicit PieceDealer(const LatticeWalk& walk) : walk_(walk) {}

    bool NodesLeft() const { return rowsLeft_; }

    void Deal(LatticePiece& piece) {
        piece.row = nextRow_;
        piece.column = nextColumn_;
        piece.firstNode = handedOut_;
        piece.nodes = 0;
        while (piece.nodes < kPieceNodes) {
            const std::uint64_t take =
                std::min(kPieceNodes - piece.nodes, walk_.rowLength - nextColumn_);
            piece.nodes += take;
            nextColumn_ += take;
            if (nextColumn_ < walk_.rowLength) break;
            nextColumn_ = 0;
            ++nextRow_;
            if (!walk_.rows.Takes(nextRow_)) {
                rowsLeft_ = false;
                break;
            }
        }
        handedOut_ += piece.nodes;
    }

private:
    const LatticeWalk& walk_;
    std::uint64_t nextRow_ = 0;
    std::uint64_t nextColumn_ = 0;
    std::uint64_t handedOut_ = 0;
    bool rowsLeft_ = true;
};

// Writes finished pieces to the output in walking order and keeps the outcome;
// calls the progress callback at every mark a piece holds.
class PieceWriter {
public:
    PieceWriter(TextOutput& output, const LatticeWalk& walk, std::uint64_t headerSize,
                const LatticeProgress& progress, LatticeOutcome& outcome, LatticeRaster* raster)
        : output_(output),
          walk_(walk),
          headerSize_(headerSize),
          progress_(progress),
          outcome_(outcome),
          raster_(raster) {
        if (raster_ != nullptr) row_.resize(static_cast<std::size_t>(walk_.rowLength));
    }

    // Writes one piece; false when the run ends with it.
    bool Write(const LatticePiece& piece) {
        std::size_t written = 0;
        for (const auto& [count, offset] : piece.marks) {
            Put(piece, written, offset);
            written = offset;
            if (output_.failed() || !Hand(piece, count)) return false;
            outcome_.nodesWritten = count;
            if (progress_ && !progress_(count)) {
                outcome_.end = LatticeEnd::Cancelled;
                return false;
            }
        }
        Put(piece, written, piece.length);
        if (output_.failed() || !Hand(piece, piece.firstNode + piece.lines)) return false;
        outcome_.nodesWritten = piece.firstNode + piece.lines;
        outcome_.nodesOutside += piece.outside;
        if (piece.stopped) {
            outcome_.end = LatticeEnd::StoppedAtError;
            outcome_.stopLatitude = piece.stopLatitude;
            outcome_.stopLongitude = piece.stopLongitude;
            return false;
        }
        return true;
    }

private:
    // Gives the raster the values of the piece's nodes up to node `count` of the
    // lattice, each row as it fills; false when the raster failed.
    bool Hand(const LatticePiece& piece, std::uint64_t count) {
        if (raster_ == nullptr) return true;
        for (; handed_ < count; ++handed_) {
            const std::uint64_t column = handed_ % walk_.rowLength;
            row_[static_cast<std::size_t>(column)] =
                piece.values[static_cast<std::size_t>(handed_ - piece.firstNode)];
            if (column + 1 < walk_.rowLength) continue;
            if (!raster_->Row(handed_ / walk_.rowLength, row_)) {
                outcome_.end = LatticeEnd::WriteFailed;
                outcome_.writeError = raster_->error();
                return false;
            }
        }
        return true;
    }

    // Writes bytes [from, to) of the piece: in walking order; values stored south
    // to north each row at its place after the header.
    void Put(const LatticePiece& piece, std::size_t from, std::size_t to) {
        const std::string_view bytes(piece.output);
        if (!walk_.SouthToNorth()) {
            output_.Write(bytes.substr(from, to - from));
            return;
        }
        std::uint64_t node = piece.firstNode + from / kFloat32Size;
        while (from < to && !output_.failed()) {
            const std::uint64_t row = node / walk_.rowLength;
            const std::uint64_t column = node % walk_.rowLength;
            const std::uint64_t count =
                std::min<std::uint64_t>((to - from) / kFloat32Size, walk_.rowLength - column);
            const std::uint64_t place = (walk_.rowCount - 1 - row) * walk_.rowLength + column;
            const std::size_t length = static_cast<std::size_t>(count) * kFloat32Size;
            output_.WriteAt(headerSize_ + place * kFloat32Size, bytes.substr(from, length));
            from += length;
            node += count;
        }
    }

    TextOutput& output_;
    const LatticeWalk& walk_;
    std::uint64_t headerSize_;  // bytes before the first value
    const LatticeProgress& progress_;
    LatticeOutcome& outcome_;
    LatticeRaster* raster_;
    std::vector<float> row_;    // the row the raster gets next, as far as it is filled
    std::uint64_t handed_ = 0;  // nodes whose values went into row_
};

// A run stored south to north (gtx) that stopped at a node is kept as far as
// it went; the nodes it did not reach (the rest of the stop's row and every row
// south of it, which the file stores first) get the missing value instead of
// reading as 0 m.
void MarkUnwrittenMissing(TextOutput& output, const LatticeWalk& walk, std::uint64_t headerSize,
                          std::uint64_t written) {
    const std::uint64_t row = written / walk.rowLength;
    const std::uint64_t column = written % walk.rowLength;
    const std::uint64_t rowPlace = (walk.rowCount - 1 - row) * walk.rowLength;
    constexpr std::uint64_t kChunkValues = 16384;
    std::string chunk(kChunkValues * kFloat32Size, '\0');
    for (std::uint64_t k = 0; k < kChunkValues; ++k) {
        WriteFloat32BE(chunk.data() + k * kFloat32Size, walk.layout->missingValue);
    }
    const auto fill = [&](std::uint64_t from, std::uint64_t to) {  // value places [from, to)
        while (from < to && !output.failed()) {
            const std::uint64_t count = std::min(to - from, kChunkValues);
            output.WriteAt(headerSize + from * kFloat32Size,
                           std::string_view(chunk).substr(0, count * kFloat32Size));
            from += count;
        }
    };
    fill(0, rowPlace);
    fill(rowPlace + column, rowPlace + walk.rowLength);
}

// The lattice as the formats' headers describe it.
LatticeShape ShapeOf(const LatticeWalk& walk, const LatticeArea& area) {
    return {walk.rowCount, walk.rowLength, walk.rows.Position(walk.rowCount - 1),
            area.west,     area.latStep,   area.lonStep};
}

bool StepsValid(const LatticeArea& area) {
    // A smaller step (or a NaN) would never leave the first row or column.
    return area.latStep >= kLatticeSlack && area.lonStep >= kLatticeSlack;
}

}  // namespace

std::uint64_t LatticeNodeCount(const LatticeArea& area) {
    if (!StepsValid(area)) return 0;
    const std::uint64_t rows = CountPositions(RowWalk(area));
    const std::uint64_t columns = CountPositions(ColumnWalk(area));
    return columns <= std::numeric_limits<std::uint64_t>::max() / rows ? rows * columns : 0;
}

LatticeShape LatticeShapeOf(const LatticeArea& area) {
    const AxisWalk rows = RowWalk(area);
    const std::uint64_t rowCount = CountPositions(rows);
    return {rowCount,
            CountPositions(ColumnWalk(area)),
            rows.Position(rowCount - 1),
            area.west,
            area.latStep,
            area.lonStep};
}

LatticeOutcome WriteGridLattice(TextOutput& output, const GeoidGrid& grid, MappedGrid& mapped,
                                InterpolationMethod method, const LatticeArea& area,
                                const LatticeProgress& progress, LatticeFormat format,
                                LatticeRaster* raster, TideSystem tide) {
    LatticeOutcome outcome;
    if (!StepsValid(area)) {
        outcome.end = LatticeEnd::InvalidArea;
        return outcome;
    }
    const LatticeWalk walk(area, LatticeFormatInfoOf(format).nodes, raster != nullptr);
    const LatticeShape shape = ShapeOf(walk, area);
    if (!LatticeFormatHolds(format, shape) || (raster != nullptr && !raster->Begin(shape))) {
        outcome.end = LatticeEnd::InvalidArea;
        return outcome;
    }
    const std::string header = LatticeFormatHeader(format, shape);
    if (walk.SouthToNorth()) {
        output.WriteAt(0, header);
    } else {
        output.Write(header);
    }
    // Workers compute pieces of the lattice; this thread writes them in walking order.
    OrderedWork<LatticePiece> work(kPiecesInFlight, RunWorkerCount(),
                                   PieceComputer(walk, grid, mapped, method, tide));
    PieceDealer dealer(walk);
    PieceWriter writer(output, walk, header.size(), progress, outcome, raster);
    for (;;) {
        while (dealer.NodesLeft() && !work.Full()) {
            dealer.Deal(work.Fill());
            work.Submit();
        }
        if (!work.Pending()) break;
        const bool goOn = writer.Write(work.TakeOldest());
        work.Release();
        if (!goOn) break;
    }
    if (walk.SouthToNorth() && outcome.end == LatticeEnd::StoppedAtError) {
        MarkUnwrittenMissing(output, walk, header.size(), outcome.nodesWritten);
    }
    // The raster writes its end (a GeoTIFF's directory, a picture) before the output is flushed.
    if (raster != nullptr && !raster->Finish(outcome.end == LatticeEnd::Completed) &&
        outcome.end != LatticeEnd::WriteFailed) {
        outcome.end = LatticeEnd::WriteFailed;
        outcome.writeError = raster->error();
    }
    if (!output.Flush()) {
        outcome.end = LatticeEnd::WriteFailed;
        outcome.writeError = output.error();
    }
    return outcome;
}

}  // namespace egm2008
