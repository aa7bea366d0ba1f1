#include "tasks/heights/heights.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "engine/grid_choice.hpp"
#include "engine/messages.hpp"
#include "engine/query_routines.hpp"
#include "tasks/common/line_batches.hpp"
#include "tasks/common/line_reader.hpp"
#include "tasks/common/scan_ahead.hpp"
#include "tasks/heights/heights_preview.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

// The progress callback is called at every multiple of this many data lines.
constexpr std::int64_t kProgressStep = 1000;

// Lines before the first data line that are held back, so that a refused layout
// writes nothing; past this they are written.
constexpr std::size_t kLeadHeld = 256 * 1024;

// A conversion asked for in a file without a height column.
constexpr const char* kNoHeightColumnMessage =
    "Error: The file has no height column to convert; choose one by number or name.";

// The header name of N from `grid`: "N_EGM2008".
std::string UndulationName(const GeoidGrid& grid) {
    return std::string("N_") + ModelName(grid.model);
}

// The header name of the converted height: what the height column holds afterwards;
// between two models "H_EGM2008", after the model it is taken to.
std::string ConvertedName(HeightTarget target, const TargetModel& toModel) {
    if (toModel.grid) return std::string("H_") + ModelName(toModel.grid->model);
    return target == HeightTarget::Ellipsoidal ? "h" : "H";
}

// How a grid is told in the --comment line: "EGM96, 15' grid egm96.grd".
std::string GridPhrase(const GeoidGrid& grid) {
    return std::string(ModelName(grid.model)) + ", " + SpacingName(grid) + " grid " +
           std::filesystem::path(grid.path).filename().string();
}

// `value` with `decimals` decimals and the file's decimal mark, into `buffer`
// (at least 360 bytes); a value that rounds to zero is written without a sign.
std::string_view NumberText(double value, int decimals, DecimalMark mark, char* buffer) {
    const auto [end, error] =
        std::to_chars(buffer, buffer + 360, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) return {};
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos) {
        text.remove_prefix(1);
    }
    if (mark == DecimalMark::Comma) {
        if (char* point = static_cast<char*>(std::memchr(buffer, '.', text.size() + 1)))
            *point = ',';
    }
    return text;
}

// What a run's lines yield, counted.
struct HeightsCounts {
    std::int64_t computed = 0;
    std::int64_t unreadable = 0;
    std::int64_t failed = 0;
    std::vector<HeightsLineProblem> problems;
    std::vector<PlacedValue> points;  // the lines computed, when the run keeps them

    void Problem(std::int64_t line, std::string reason) {
        if (problems.size() < kHeightsProblemsKept) problems.push_back({line, std::move(reason)});
    }
};

// Reusable room for one line's fields.
struct LineScratch {
    std::vector<FieldSpan> spans;
    std::string unquoted;
};

// A line read ahead of its query.
struct ScannedLine {
    enum class State { Copy, Unreadable, Query };
    State state = State::Copy;  // Copy: a blank or comment line
    std::string_view line;
    std::int64_t number = 0;
    LineScratch scratch;
    bool quoted = false;  // the new fields are quoted as the file quotes its numbers
    double latitude = 0.0;
    double longitude = 0.0;  // -360 to 360, as read
    double height = 0.0;
    int heightDecimals = 0;  // written after the height's decimal mark
    std::string reason;      // why the line was not computed
};

// The default decimals of N and the converted height.
constexpr int kDefaultDecimals = 3;
constexpr int kMaxDecimals = 17;

// The digits after the decimal mark in a plain number's text.
int DecimalsOf(std::string_view text, DecimalMark mark) {
    const std::size_t at = text.find(mark == DecimalMark::Comma ? ',' : '.');
    if (at == std::string_view::npos) return 0;
    int digits = 0;
    for (std::size_t k = at + 1; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) ++digits;
    return digits;
}

// The height a conversion to `target`, or to another model, reads.
HeightKind SourceKind(HeightTarget target, const TargetModel& toModel) {
    if (toModel.grid) return HeightKind::Orthometric;
    switch (target) {
        case HeightTarget::Orthometric: return HeightKind::Ellipsoidal;
        case HeightTarget::Ellipsoidal: return HeightKind::Orthometric;
        case HeightTarget::None: break;
    }
    return HeightKind::Either;
}

// Converts the data lines of a file whose layout is known. Shared, read only,
// by the worker threads.
class LineConverter {
public:
    LineConverter(const GeoidGrid& grid, MappedGrid& mapped, const HeightsOptions& options,
                  const DelimitedLayout& layout, bool keepPoints, const TargetModel& toModel)
        : grid_(grid),
          mapped_(mapped),
          options_(options),
          layout_(layout),
          toModel_(toModel),
          keepPoints_(keepPoints) {
        decimals_ = std::clamp(options.decimals.value_or(kDefaultDecimals), 0, kMaxDecimals);
        separator_ = DelimiterCharacter(layout.delimiter);
        convert_ =
            (options.target != HeightTarget::None || toModel.grid) && layout.height.has_value();
    }

    // The header line with the new columns' names.
    std::string Header(std::string_view line) const {
        std::string out;
        std::vector<FieldSpan> spans;
        FindFields(line, layout_.delimiter, spans);
        const bool quoted = NumbersQuoted(line, spans);
        std::string_view text = line.substr(0, line.size() - LineEnd(line).size());
        std::string replaced;
        if (convert_ && options_.replace && layout_.height->index < spans.size()) {
            replaced = ReplaceField(text, layout_.delimiter, spans[layout_.height->index],
                                    ConvertedName(options_.target, toModel_));
            text = replaced;
        }
        out.append(text);
        AppendNew(out, UndulationName(grid_), quoted);
        if (toModel_.grid) AppendNew(out, UndulationName(*toModel_.grid), quoted);
        if (convert_ && !options_.replace)
            AppendNew(out, ConvertedName(options_.target, toModel_), quoted);
        out.append(LineEnd(line));
        return out;
    }

    // Reads input line `number` into `scanned`, and asks for the grid rows its
    // query will read, so that the queries of a group of lines overlap their waits.
    void Scan(std::string_view line, std::int64_t number, ScannedLine& scanned) const {
        scanned.line = line;
        scanned.number = number;
        scanned.reason.clear();
        if (ClassifyLine(line) != LineKind::Data) {
            scanned.state = ScannedLine::State::Copy;
            return;
        }
        LineScratch& scratch = scanned.scratch;
        FindFields(line, layout_.delimiter, scratch.spans);
        scanned.quoted = NumbersQuoted(line, scratch.spans);
        scanned.state = ScannedLine::State::Unreadable;
        if (scratch.spans.size() > layout_.fields) {
            scanned.reason =
                TooManyFieldsReason(scratch.spans.size(), layout_.fields, layout_.header);
            return;
        }
        if (!NumbersUnsplit(line, scratch.spans, layout_,
                            options_.decimalMark == DecimalMark::Comma)) {
            scanned.reason = kUnquotedNumbersReason;
            return;
        }
        if (!Read(line, layout_.latitude, FieldKind::Latitude, "latitude", "is not a coordinate",
                  scratch, scanned.latitude, scanned.reason) ||
            !Read(line, layout_.longitude, FieldKind::Longitude, "longitude", "is not a coordinate",
                  scratch, scanned.longitude, scanned.reason) ||
            (convert_ && !Read(line, *layout_.height, FieldKind::Spacing, "height",
                               "is not a number", scratch, scanned.height, scanned.reason))) {
            return;
        }
        if (convert_) {
            scanned.heightDecimals =
                DecimalsOf(TextOf(line, *layout_.height, scratch), options_.decimalMark);
        }
        if (!(scanned.latitude >= -90.0 && scanned.latitude <= 90.0)) {
            scanned.reason = "latitude " + Quoted(TextOf(line, layout_.latitude, scratch)) +
                             " is not a coordinate (outside -90 to 90)";
            return;
        }
        if (!LongitudeInRange(scanned.longitude)) {
            scanned.reason = "longitude " + Quoted(TextOf(line, layout_.longitude, scratch)) +
                             " is not a coordinate (outside -360 to 360)";
            return;
        }
        scanned.state = ScannedLine::State::Query;
        mapped_.Prefetch(grid_, options_.method, scanned.latitude, scanned.longitude);
        if (toModel_.grid) {
            toModel_.mapped->Prefetch(*toModel_.grid, options_.method, scanned.latitude,
                                      scanned.longitude);
        }
    }

    // Queries a scanned line and appends what it yields to `out`, counting it in `counts`.
    void Finish(ScannedLine& scanned, HeightsCounts& counts, std::string& out) const {
        const std::string_view line = scanned.line;
        if (scanned.state == ScannedLine::State::Copy) {
            out.append(line);
            return;
        }
        float undulation = 0.0f;
        float toUndulation = 0.0f;  // N of the model the heights are taken to
        if (scanned.state == ScannedLine::State::Unreadable) {
            ++counts.unreadable;
        } else if (ComputeUndulation(grid_, options_.method, scanned.latitude, scanned.longitude,
                                     undulation, mapped_) != QueryStatus::StatusOk ||
                   (toModel_.grid &&
                    ComputeUndulation(*toModel_.grid, options_.method, scanned.latitude,
                                      scanned.longitude, toUndulation,
                                      *toModel_.mapped) != QueryStatus::StatusOk)) {
            ++counts.failed;
            // One field at a time: a quoted field's text lives in the scratch until the next.
            scanned.reason = "no undulation at latitude ";
            scanned.reason += Quoted(TextOf(line, layout_.latitude, scanned.scratch));
            scanned.reason += ", longitude ";
            scanned.reason += Quoted(TextOf(line, layout_.longitude, scanned.scratch));
        } else {
            ++counts.computed;
            const double metres =
                InTideSystem(options_.tide, scanned.latitude, static_cast<double>(undulation));
            if (keepPoints_)
                counts.points.push_back(
                    {scanned.latitude, scanned.longitude, static_cast<float>(metres)});
            const double toMetres =
                InTideSystem(options_.tide, scanned.latitude, static_cast<double>(toUndulation));
            const double converted =
                toModel_.grid
                    ? ShiftHeight(scanned.height, metres, toMetres, options_.unit)
                    : ConvertHeight(scanned.height, metres, options_.target, options_.unit);
            const double undulations[2] = {metres / MetresPerUnit(options_.unit),
                                           toMetres / MetresPerUnit(options_.unit)};
            Write(out, scanned, undulations, converted);
            return;
        }
        counts.Problem(scanned.number, std::move(scanned.reason));
        Write(out, scanned, nullptr, 0.0);
    }

private:
    // True when the file quotes its numbers: the latitude field is quoted.
    bool NumbersQuoted(std::string_view line, const std::vector<FieldSpan>& spans) const {
        const std::size_t k = layout_.latitude.index;
        return k < spans.size() && FieldQuoted(line, spans[k]);
    }

    static std::string_view TextOf(std::string_view line, const Column& column,
                                   LineScratch& scratch) {
        if (column.index >= scratch.spans.size()) return {};
        return FieldText(line, scratch.spans[column.index], scratch.unquoted);
    }

    bool Read(std::string_view line, const Column& column, FieldKind kind, const char* word,
              const char* refusal, LineScratch& scratch, double& value, std::string& reason) const {
        if (column.index >= scratch.spans.size()) {
            reason =
                std::string("no ") + word + " (column " + std::to_string(column.index + 1) + ")";
            return false;
        }
        const std::string_view text = TextOf(line, column, scratch);
        // A number never spans lines: a quoted field holding a line break is text, which
        // --replace would otherwise write over, line break and all.
        const std::optional<double> read = text.find_first_of("\r\n") == std::string_view::npos
                                               ? ParseFieldNumber(text, kind, options_.decimalMark)
                                               : std::nullopt;
        if (!read) {
            reason = std::string(word) + " " + Quoted(text) + " " + refusal;
            return false;
        }
        value = *read;
        return true;
    }

    // A value as the file writes its numbers: quoted when they are, else only where it must be.
    void AppendValue(std::string& out, std::string_view text, bool quoted) const {
        if (quoted && !text.empty()) {
            out.push_back('"');
            out.append(text);
            out.push_back('"');
        } else {
            AppendField(out, layout_.delimiter, text);
        }
    }

    void AppendNew(std::string& out, std::string_view text, bool quoted) const {
        out.push_back(separator_);
        AppendValue(out, text, quoted);
    }

    // The empty fields that take a short line up to the file's fields (with
    // blanks between fields, an empty field is written as "").
    void Pad(std::string& out, std::size_t fields) const {
        const std::string_view empty = layout_.delimiter == Delimiter::Blanks ? "\"\"" : "";
        for (std::size_t k = fields; k < layout_.fields; ++k) {
            out.push_back(separator_);
            out.append(empty);
        }
    }

    // The line with its new fields: N (between two models N and the other N) and the
    // converted height, or empty ones when `undulation` is null. A line not computed
    // keeps its own text, its height field too.
    void Write(std::string& out, const ScannedLine& scanned, const double* undulation,
               double converted) const {
        const std::string_view line = scanned.line;
        const std::string_view body = line.substr(0, line.size() - LineEnd(line).size());
        const std::vector<FieldSpan>& spans = scanned.scratch.spans;
        char undulationBuffer[360];
        char toUndulationBuffer[360];
        char convertedBuffer[360];
        std::string_view undulationText;
        std::string_view toUndulationText;
        std::string_view convertedText;
        const bool replace = convert_ && options_.replace && undulation != nullptr &&
                             layout_.height->index < spans.size();
        if (undulation) {
            // A replaced height keeps at least its own decimals unless the user chose them.
            const int decimals = replace && !options_.decimals
                                     ? std::clamp(scanned.heightDecimals, decimals_, kMaxDecimals)
                                     : decimals_;
            undulationText =
                NumberText(undulation[0], decimals_, options_.decimalMark, undulationBuffer);
            if (toModel_.grid) {
                toUndulationText =
                    NumberText(undulation[1], decimals_, options_.decimalMark, toUndulationBuffer);
            }
            convertedText = NumberText(converted, decimals, options_.decimalMark, convertedBuffer);
        }
        if (replace) {
            const FieldSpan span = spans[layout_.height->index];
            out.append(body.substr(0, span.begin));
            AppendValue(out, convertedText, scanned.quoted);
            out.append(body.substr(span.end));
        } else {
            out.append(body);
        }
        if (spans.size() <= layout_.fields) Pad(out, spans.size());
        AppendNew(out, undulationText, scanned.quoted);
        if (toModel_.grid) AppendNew(out, toUndulationText, scanned.quoted);
        if (convert_ && !options_.replace) AppendNew(out, convertedText, scanned.quoted);
        out.append(LineEnd(line));
    }

    const GeoidGrid& grid_;
    MappedGrid& mapped_;
    const HeightsOptions& options_;
    const DelimitedLayout& layout_;
    const TargetModel& toModel_;
    int decimals_ = kDefaultDecimals;
    char separator_ = ',';
    bool convert_ = false;
    bool keepPoints_ = false;
};

// Records of a batch (the first one the input's line `number`) scanned a group
// at a time, then converted in order.
void ConvertLines(std::string_view lines, std::int64_t number, const LineConverter& converter,
                  Delimiter delimiter, HeightsCounts& counts, std::string& out) {
    ScanAhead<ScannedLine> group;
    const auto finish = [&](ScannedLine& scanned) { converter.Finish(scanned, counts, out); };
    ForEachRecord(lines, delimiter, [&](std::string_view line, std::int64_t lineEnds) {
        converter.Scan(line, number, group.Next());
        number += std::max<std::int64_t>(lineEnds, 1);
        if (group.Take()) group.FinishAll(finish);
    });
    group.FinishAll(finish);
}

// A data line too long to hold: one that could not be read. A comment or blank
// line, told by its start, is copied as any other.
void CountOverlong(std::string_view start, std::int64_t number, HeightsCounts& counts) {
    if (ClassifyLine(start) != LineKind::Data) return;
    ++counts.unreadable;
    counts.Problem(number, LineTooLongReason(kMaxLineLength));
}

// A run's reading, writing and accounting, shared by its phases.
class HeightsRun {
public:
    HeightsRun(const PointFileInput& input, TextOutput& output, const HeightsOptions& options,
               const HeightsCallbacks& callbacks, const RunStop& stop, HeightsOutcome& outcome)
        : reader_(input.fd()),
          source_(reader_),
          output_(output),
          stop_(stop),
          outcome_(outcome),
          points_(callbacks.points),
          steps_(callbacks.progress, kProgressStep) {
        reader_.ReadRecords(options.columns.delimiter);
        reader_.StopOn(stop);
        work_.countOverlong = CountOverlong;
        work_.add = [this](const HeightsCounts& counts) { Add(counts); };
    }

    LineReader& reader() { return reader_; }
    TextOutput& output() { return output_; }
    // How the reading has ended so far.
    const LineRunEnd& end() const { return source_.end(); }

    // The next record into `line`; false at the end, at a stop, or at a read error.
    bool Next(std::string& line) { return source_.Next(line); }
    std::int64_t number() const { return source_.number(); }
    // Copies the rest of an overlong line as read, counted when it is a data line.
    bool CopyOverlong(const std::string& line) {
        return source_.CopyOverlong(line, output_, work_);
    }

    // The lines after the first data line, batched over the workers for a regular
    // input, line by line for a live one.
    void RunData(const LineConverter& converter, Delimiter delimiter, bool live) {
        work_.handle = [&converter, delimiter](std::string_view lines, std::int64_t number,
                                               std::string& out, HeightsCounts& counts) {
            ConvertLines(lines, number, converter, delimiter, counts, out);
        };
        RunLines(source_, output_, live, stop_, work_);
    }

    void Add(const HeightsCounts& counts) {
        outcome_.computed += counts.computed;
        outcome_.unreadable += counts.unreadable;
        outcome_.failed += counts.failed;
        for (const HeightsLineProblem& problem : counts.problems) {
            if (outcome_.problems.size() < kHeightsProblemsKept)
                outcome_.problems.push_back(problem);
        }
        if (points_ && !counts.points.empty()) points_(counts.points);
        const std::int64_t handled = outcome_.computed + outcome_.unreadable + outcome_.failed;
        steps_.Reach(handled);
    }

private:
    LineReader reader_;
    LineSource source_;
    TextOutput& output_;
    const RunStop& stop_;
    HeightsOutcome& outcome_;
    const std::function<void(const std::vector<PlacedValue>&)>& points_;
    ProgressSteps steps_;
    LineWork<HeightsCounts> work_;
};

// The layout of the first data line `line`, or why it is refused.
LayoutResult FirstLineLayout(std::string_view line, const HeightsOptions& options,
                             const TargetModel& toModel) {
    DelimitedOptions columns = options.columns;
    columns.decimalComma = options.decimalMark == DecimalMark::Comma;
    columns.heightKind = SourceKind(options.target, toModel);
    LayoutResult result = ReadLayout(line, columns);
    const bool converts = options.target != HeightTarget::None || toModel.grid;
    if (result.layout && converts && !result.layout->height) {
        result = {std::nullopt, kNoHeightColumnMessage};
    }
    return result;
}

// Reads up to the first data line, holding back what comes before it; returns
// the layout, or nothing when the input ended first or the layout is refused
// (outcome.layoutError). `line` is left holding the first data line.
std::optional<DelimitedLayout> ReadLead(HeightsRun& run, const GeoidGrid& grid,
                                        const HeightsOptions& options, const TargetModel& toModel,
                                        std::string& line, HeightsOutcome& outcome) {
    std::string lead;
    std::string probe;  // the input's first bytes, up to kTextProbeBytes
    bool first = true;
    const auto release = [&] {
        run.output().Write(lead);
        lead.clear();
    };
    while (run.Next(line)) {
        std::string_view text = line;
        if (first) {
            if (TakeByteOrderMark(text)) lead.append(kUtf8Bom);
            if (options.comment) {
                lead.append(ProvenanceComment(grid, options.method, options.target, options.tide,
                                              toModel.grid));
                const std::string_view end = LineEnd(text);
                lead.append(end.empty() ? std::string_view("\n") : end);
            }
            first = false;
            if (text.size() != line.size()) line.erase(0, line.size() - text.size());
        }
        probe.append(line, 0, std::min(line.size(), kTextProbeBytes - probe.size()));
        const bool data = ClassifyLine(line) == LineKind::Data;
        if (data && !LooksLikeText(probe)) {
            outcome.layoutError = kNotATextFileMessage;
            return std::nullopt;
        }
        if (data && run.reader().overlong()) {
            // Neither a header nor a point can be told from a part of the line.
            outcome.layoutError = FirstLineTooLongMessage(kMaxLineLength);
            return std::nullopt;
        }
        if (data) {
            LayoutResult result = FirstLineLayout(line, options, toModel);
            if (!result.layout) {
                outcome.layoutError = std::move(result.error);
                return std::nullopt;
            }
            run.reader().ReadRecords(result.layout->delimiter);
            release();
            return result.layout;
        }
        if (run.reader().overlong()) {
            release();
            if (!run.CopyOverlong(line)) return std::nullopt;
            continue;
        }
        lead.append(line);
        if (lead.size() > kLeadHeld) release();
    }
    if (first && options.comment) {
        lead.append(
            ProvenanceComment(grid, options.method, options.target, options.tide, toModel.grid));
        lead.append("\n");
    }
    release();
    return std::nullopt;
}

}  // namespace

double MetresPerUnit(HeightUnit unit) {
    switch (unit) {
        case HeightUnit::Metre: return 1.0;
        case HeightUnit::Foot: return 0.3048;
        case HeightUnit::UsSurveyFoot: return 1200.0 / 3937.0;
    }
    return 1.0;
}

double ShiftHeight(double height, double fromMetres, double toMetres, HeightUnit unit) {
    return height + (fromMetres - toMetres) / MetresPerUnit(unit);
}

double ConvertHeight(double height, double undulationMetres, HeightTarget target, HeightUnit unit) {
    const double undulation = undulationMetres / MetresPerUnit(unit);
    switch (target) {
        case HeightTarget::Orthometric: return height - undulation;
        case HeightTarget::Ellipsoidal: return height + undulation;
        case HeightTarget::None: break;
    }
    return height;
}

std::string ProvenanceComment(const GeoidGrid& grid, InterpolationMethod method,
                              HeightTarget target, TideSystem tide, const GeoidGrid* toModel) {
    const std::string system =
        tide != TideSystem::TideFree ? std::string(", ") + TideSystemName(tide) : std::string();
    if (toModel) {
        const std::string from = ModelName(grid.model);
        const std::string to = ModelName(toModel->model);
        return "# N_" + from + ": " + GridPhrase(grid) + "; N_" + to + ": " + GridPhrase(*toModel) +
               "; " + MethodText(method) + system + "; H_" + to + " = H_" + from + " + N_" + from +
               " - N_" + to;
    }
    std::string text = "# N: " + GridPhrase(grid) + ", " + MethodText(method) + system;
    if (target == HeightTarget::Orthometric) text += "; H = h - N";
    if (target == HeightTarget::Ellipsoidal) text += "; h = H + N";
    return text;
}

std::string HeightsProblemText(const HeightsLineProblem& problem) {
    return "line " + std::to_string(problem.line) + ": " + problem.reason;
}

std::string HeightsOutcomeMessage(const HeightsOutcome& outcome, const std::string& inputPath,
                                  const std::string& outputPath) {
    if (!outcome.layoutError.empty()) return outcome.layoutError;
    if (outcome.readError != 0) {
        return InputReadFailure(inputPath, outcome.readError) +
               "\nThe conversion was stopped; outputfile " + Quoted(outputPath) + " is incomplete.";
    }
    if (outcome.writeError != 0) {
        return OutputWriteFailure(outputPath, outcome.writeError) +
               "\nThe conversion was stopped; the outputfile is incomplete.";
    }
    if (outcome.stopped) return kRunCancelled;
    const std::int64_t lines = outcome.computed + outcome.unreadable + outcome.failed;
    std::string text = "Conversion done - " + GroupedCount(static_cast<std::uint64_t>(lines)) +
                       (lines == 1 ? " data line" : " data lines");
    if (outcome.unreadable == 0 && outcome.failed == 0) return text + ".";
    text += ", " + GroupedCount(static_cast<std::uint64_t>(outcome.computed)) + " converted.";
    if (outcome.unreadable > 0) {
        text += "\n" + GroupedCount(static_cast<std::uint64_t>(outcome.unreadable)) +
                (outcome.unreadable == 1 ? " line" : " lines") +
                " could not be read and got empty fields.";
    }
    if (outcome.failed > 0) {
        text += "\n" + GroupedCount(static_cast<std::uint64_t>(outcome.failed)) +
                (outcome.failed == 1 ? " point" : " points") +
                " could not be computed and got empty fields.";
    }
    return text;
}

HeightsOutcome RunHeights(const PointFileInput& input, TextOutput& output, const GeoidGrid& grid,
                          MappedGrid& mapped, const HeightsOptions& options,
                          const HeightsCallbacks& callbacks, const RunStop& stop,
                          const TargetModel& toModel) {
    HeightsOutcome outcome;
    outcome.gridOpened = mapped.status() == QueryStatus::StatusOk &&
                         (!toModel.grid || toModel.mapped->status() == QueryStatus::StatusOk);
    HeightsRun run(input, output, options, callbacks, stop, outcome);
    std::string line;
    outcome.layout = ReadLead(run, grid, options, toModel, line, outcome);
    if (outcome.layout) {
        if (callbacks.layout) callbacks.layout(*outcome.layout);
        const LineConverter converter(grid, mapped, options, *outcome.layout,
                                      callbacks.points != nullptr, toModel);
        if (outcome.layout->header) {
            output.Write(converter.Header(line));
        } else {
            HeightsCounts counts;
            std::string out;
            ConvertLines(line, run.number(), converter, outcome.layout->delimiter, counts, out);
            output.Write(out);
            run.Add(counts);
        }
        run.RunData(converter, outcome.layout->delimiter, !input.identified());
    }
    outcome.readError = run.end().readError;
    outcome.stopped = !run.end().ended && outcome.readError == 0 && outcome.layoutError.empty() &&
                      stop.Requested();
    if (!output.Close()) outcome.writeError = output.error();
    return outcome;
}

}  // namespace egm2008
