#include "tasks/messages.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "engine/grid_choice.hpp"
#include "engine/known_grids.hpp"
#include "engine/messages.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/lattice/lattice_format.hpp"
#include "tasks/nmea/nmea_gga.hpp"
#include "tasks/points/point_file.hpp"
#include "tasks/common/replacing_output.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

std::string Count(std::int64_t n) { return std::to_string(n); }

}  // namespace

std::string FieldNotANumberMessage(const char* name, const std::string& text, FieldKind kind) {
    // A pasted page of text is quoted by its beginning, never split inside a UTF-8 character.
    constexpr std::size_t kQuoted = 60;
    std::string quoted = text;
    if (quoted.size() > kQuoted) {
        std::size_t cut = kQuoted;
        while (cut > 0 && (static_cast<unsigned char>(quoted[cut]) & 0xC0) == 0x80) --cut;
        quoted = quoted.substr(0, cut) + "...";
    }
    const char* spellings =
        kind == FieldKind::Spacing
            ? "Type arc minutes as a decimal number (2.5 or 2,5)."
            : "Type decimal degrees (52.5 or 52,5) or degrees, minutes and seconds (52°30'00\").";
    return std::string(name) + ": " + Quoted(quoted) + " is not a number.\n" + spellings;
}

std::string LatitudeOutsideStatus(double latitude) {
    return "N/A: latitude " + FormatFieldNumber(latitude) + " lies outside -90° to +90°.";
}

std::string LongitudeOutsideStatus(double longitude) {
    return "N/A: longitude " + FormatFieldNumber(longitude) + " lies outside -360° to +360°.";
}

std::string ManualCalcStatus(double latitude, double longitude, const std::string& gridPath,
                             bool anyValue) {
    const std::string point = FormatFieldNumber(latitude) + ", " + FormatFieldNumber(longitude);
    const std::string name = std::filesystem::path(gridPath).filename().string();
    if (!anyValue) return "N/A: no method found a value at " + point + " in " + name + ".";
    return "Manual Calc: " + point + " in " + name;
}

std::string InputOpenMessage(const std::string& path, int error) {
    // OpenRegularFile refuses folders, FIFOs and devices with these two.
    const std::string reason =
        error == EISDIR || error == EINVAL ? "it is not a regular file" : std::strerror(error);
    return "\nInputfile " + Quoted(path) + " could not be opened: " + reason + "!\n";
}

std::string OutputOpenMessage(const std::string& path, int error) {
    return "\nOutputfile " + Quoted(path) + " could not be opened: " + std::strerror(error) + "!\n";
}

std::string RefusedFieldsStatus(const std::string& firstReason, int count) {
    const std::string reason = OneLine(firstReason);
    if (count <= 1) return reason;
    return std::to_string(count) + " fields refused. " + reason;
}

std::string OutputIsInputMessage(const std::string& path) {
    return "\nOutputfile " + Quoted(path) + " is the inputfile!\nChoose another outputfile.\n";
}

std::string OutputIsGeoidFileMessage(const std::string& path) {
    return "\nOutputfile " + Quoted(path) +
           " is the geoid file in use!\nChoose another outputfile.\n";
}

std::string OutputIsGridMessage(const std::string& path) {
    return "\nOutputfile " + Quoted(path) + " is the geoid file in use and is not overwritten!\n";
}

namespace {

// "a, b or c"
std::string Alternatives(const std::vector<const char*>& names) {
    std::string list;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k > 0) list += k + 1 == names.size() ? " or " : ", ";
        list += names[k];
    }
    return list;
}

}  // namespace

std::string LatticeRefusalMessage(const char* format, const LatticeExcess& excess,
                                  std::uint64_t rows, std::uint64_t columns,
                                  const std::vector<const char*>& fitting) {
    const bool tooFew = excess.bound == LatticeBound::LeastRowsAndColumns;
    std::string message = tooFew ? kLatticeTooSmallMessage : kLatticeTooLargeMessage;
    const std::string limit = std::to_string(excess.limit);
    message += std::string(" The ") + format + " format ";
    switch (excess.bound) {
        case LatticeBound::LeastRowsAndColumns:
            message += "needs at least " + limit + " rows and " + limit + " columns";
            break;
        case LatticeBound::MostRows: message += "holds at most " + limit + " rows"; break;
        case LatticeBound::MostColumns: message += "holds at most " + limit + " columns"; break;
        case LatticeBound::MostNodes: message += "holds at most " + limit + " nodes"; break;
    }
    message += "; this lattice has " + std::to_string(rows) + (rows == 1 ? " row" : " rows") +
               " of " + std::to_string(columns) + (columns == 1 ? " node. " : " nodes. ");
    const char* other =
        tooFew ? "a larger area or a smaller spacing" : "a larger spacing or a smaller area";
    if (fitting.empty()) return message + "Use " + other + ".";
    return message + "Write it as " + Alternatives(fitting) + ", or use " + other + ".";
}

std::string OutputWriteFailureMessage(const std::string& path, int error) {
    return FailedRunMessage(LatticeWriteFailure(path, error), path, OutputFate::Incomplete);
}

std::string LatticeIncompleteMessage(const std::string& path, double latitude, double longitude) {
    return "\nOutputfile " + Quoted(path) + " is incomplete!\n" +
           LatticeStopFailure(latitude, longitude) + "\n";
}

std::string LatticeWriteFailure(const std::string& path, int error) {
    return "Outputfile " + Quoted(path) + " could not be written (" + std::strerror(error) + ")!";
}

std::string LatticeStopFailure(double latitude, double longitude) {
    return "The run stopped at latitude " + FormatFixed(latitude, 6) + ", longitude " +
           FormatFixed(longitude, 6) + ", where no undulation could be computed.";
}

std::string InputReadFailure(const std::string& path, int error) {
    return "Inputfile " + Quoted(path) + " could not be read: " + std::strerror(error) + "!";
}

std::string OutputWriteFailure(const std::string& path, int error) {
    return "Outputfile " + Quoted(path) + " could not be written: " + std::strerror(error) + "!";
}

namespace {

// The fate of an output in a few words: "not changed", "not created", "incomplete".
const char* FateWords(OutputFate fate) {
    switch (fate) {
        case OutputFate::Unchanged: return "not changed";
        case OutputFate::NotCreated: return "not created";
        case OutputFate::Incomplete: return "incomplete";
        case OutputFate::Live: return "holds the lines written before the stop";
    }
    return "incomplete";
}

}  // namespace

std::string OutputFateLine(const std::string& path, OutputFate fate) {
    switch (fate) {
        case OutputFate::Unchanged:
        case OutputFate::NotCreated:
            return "Outputfile " + Quoted(path) + " was " + FateWords(fate) + ".";
        case OutputFate::Incomplete: return "The file is incomplete.";
        case OutputFate::Live: return std::string("The file ") + FateWords(fate) + ".";
    }
    return {};
}

std::string FailedRunMessage(const std::string& why, const std::string& path, OutputFate fate) {
    return "\n" + why + "\n" + OutputFateLine(path, fate) + "\n";
}

std::string GroupedCount(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string LatticeWrittenStatus(std::uint64_t nodes, const std::string& path, double seconds) {
    return std::string(kGridmakerStatusName) + ": " + GroupedCount(nodes) + " nodes written to " +
           path + " in " + FormatFixed(seconds, 1) + " s";
}

std::string PointsWrittenStatus(const PointFileOutcome& outcome, const std::string& path,
                                double seconds) {
    return std::string(kFileCalcStatusName) + ": " + OneLine(CompletionMessage(outcome)) +
           " Written to " + path + " in " + FormatFixed(seconds, 1) + " s.";
}

std::string ReceiverCheckedStatus(const std::string& path) {
    return std::string(kCheckReceiverTitle) + ": " + path +
           " checked, the report is in its window.";
}

std::string RoughCount(std::uint64_t n) {
    if (n < 1000000) return GroupedCount(n);
    // From the count that would round to "1000 million" on.
    const bool billions = n >= 999500000;
    const double value = static_cast<double>(n) / (billions ? 1e9 : 1e6);
    // Three figures at most: 2.3, 23, 933.
    std::string figures = FormatFixed(value, value < 10.0 ? 1 : 0);
    if (figures.size() > 2 && figures.ends_with(".0")) figures.resize(figures.size() - 2);
    return figures + (billions ? " billion" : " million");
}

std::string ByteSize(std::int64_t bytes) {
    if (bytes < 1000) return std::to_string(bytes < 0 ? 0 : bytes) + " bytes";
    const char* const units[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    // From the size that would round to "1000.0" on, the next unit.
    while (value >= 999.95 && unit + 1 < std::size(units)) {
        value /= 1000.0;
        ++unit;
    }
    return FormatFixed(value, 1) + " " + units[unit];
}

std::string LatticeRunningStatus(std::uint64_t nodes) {
    return "Computing " + RoughCount(nodes) + " nodes…";
}

std::string InputRunningStatus(const char* doing, const std::string& inputPath, std::int64_t bytes,
                               const std::string& outputPath) {
    const auto name = [](const std::string& path) {
        return std::filesystem::path(path).filename().string();
    };
    std::string text = std::string(doing) + " " + name(inputPath) + " (" + ByteSize(bytes) + ")";
    if (!outputPath.empty()) text += " into " + name(outputPath);
    return text + "…";
}

std::string SentencesWrittenStatus(std::int64_t sentences, const std::string& path,
                                   double seconds) {
    return std::string(kFileCalcStatusName) + ": " +
           GroupedCount(static_cast<std::uint64_t>(sentences < 0 ? 0 : sentences)) +
           (sentences == 1 ? " sentence" : " sentences") + " rewritten, written to " + path +
           " in " + FormatFixed(seconds, 1) + " s";
}

std::string RunFailedStatus(const char* page, bool cancelled, const std::string& path,
                            OutputFate fate) {
    return std::string(page) + (cancelled ? ": cancelled, " : ": failed, ") + path + " " +
           FateWords(fate);
}

const char* GgaCopyReasonText(GgaCopyReason reason) {
    switch (reason) {
        case GgaCopyReason::None: return "rewritten";
        case GgaCopyReason::NotGga: return "that are no GGA sentence";
        case GgaCopyReason::OtherTalker: return "from a talker other than GP, GL and GN";
        case GgaCopyReason::WrongChecksum: return "with a wrong checksum";
        case GgaCopyReason::EmptyFields: return "without a fix or with empty fields";
        case GgaCopyReason::NotMetres: return "with heights not in metres";
        case GgaCopyReason::Unreadable: return "that could not be read";
        case GgaCopyReason::QueryFailed: return "whose position could not be computed";
    }
    return "";
}

std::string CompletionMessage(const PointFileOutcome& outcome) {
    std::string text = "Calculation done - " + Count(outcome.computed) + " points.";
    const std::int64_t* byReason = outcome.copiedFor;
    const std::int64_t failedPoints =
        outcome.failed - byReason[static_cast<int>(GgaCopyReason::QueryFailed)];
    if (failedPoints > 0) {
        text += "\n" + Count(failedPoints) +
                " points could not be computed and were written with 999.999.";
    }
    if (outcome.unreadable > 0) {
        text += "\n" + Count(outcome.unreadable) +
                " lines could not be read and were copied unchanged.";
    }
    std::int64_t sentences = 0;
    std::string reasons;
    for (int k = static_cast<int>(GgaCopyReason::OtherTalker); k < kGgaCopyReasons; ++k) {
        if (byReason[k] == 0) continue;
        sentences += byReason[k];
        reasons += (reasons.empty() ? "" : ", ") + Count(byReason[k]) + " " +
                   GgaCopyReasonText(static_cast<GgaCopyReason>(k));
    }
    if (sentences > 0) {
        text += "\n" + Count(sentences) + " GGA sentences were copied unchanged: " + reasons + ".";
    }
    return text;
}

std::string OutcomeMessage(const PointFileOutcome& outcome, const std::string& inputPath,
                           const std::string& outputPath) {
    if (outcome.readError != 0) {
        return "\n" + InputReadFailure(inputPath, outcome.readError) +
               "\nThe calculation was stopped; outputfile " + Quoted(outputPath) +
               " is incomplete.\n";
    }
    if (outcome.writeError != 0) {
        return "\n" + OutputWriteFailure(outputPath, outcome.writeError) +
               "\nThe calculation was stopped; the outputfile is incomplete.\n";
    }
    return CompletionMessage(outcome);
}

std::string SeparationMatchesVerdict(double rms) {
    return "separation matches EGM2008 (RMS " + FormatFixed(rms, 2) +
           " m): altitudes are heights above the EGM2008 geoid";
}

std::string SeparationDiffersVerdict(double largest, double rms) {
    return "separation differs from EGM2008 by up to " + FormatFixed(largest, 1) + " m (RMS " +
           FormatFixed(rms, 1) +
           " m): the receiver uses a coarser geoid model; rewrite with `egm2008 nmea` (in the "
           "window: the layout \"" +
           kNmeaLayoutCaption + "\" on the \"EGM2008 File Calc\" page) to get EGM2008 heights";
}

std::string SeparationMatchesModelVerdict(const char* model, const char* key, double rms) {
    return std::string("separation matches ") + model + " (RMS " + FormatFixed(rms, 2) +
           " m): altitudes are heights above the " + model +
           " geoid; rewrite with `egm2008 nmea` to get EGM2008 heights, or convert heights "
           "with `egm2008 heights --from-model " +
           key + " --to-model egm2008`";
}

std::string ModelNotComparedNote(const char* model, const std::string& reason) {
    return std::string(model) + " not compared: " + reason;
}

std::string EpochsDisagreeVerdict(const std::string& talker, double largest,
                                  std::int64_t disagreeing, std::int64_t paired) {
    return talker + " and GN sentences of the same epoch disagree: altitudes differ by up to " +
           FormatFixed(largest, 1) + " m in " +
           GroupedCount(static_cast<std::uint64_t>(disagreeing)) + " of " +
           GroupedCount(static_cast<std::uint64_t>(paired)) + " epochs";
}

std::string FixesNotComparedVerdict(std::int64_t fixes) {
    return GroupedCount(static_cast<std::uint64_t>(fixes)) +
           (fixes == 1
                ? " fix could not be compared: EGM2008 N could not be computed at its position"
                : " fixes could not be compared: EGM2008 N could not be computed at their "
                  "positions");
}

std::string FixesWithoutHeightVerdict(std::int64_t fixes, bool altitude) {
    return GroupedCount(static_cast<std::uint64_t>(fixes)) + (fixes == 1 ? " fix" : " fixes") +
           (altitude ? " without an altitude" : " without a separation") +
           ": heights cannot be checked";
}

std::string ColumnBeyondLineMessage(const char* role, std::size_t column, std::size_t fields) {
    return std::string("Error: The ") + role + " column " + std::to_string(column) +
           " is beyond the " + std::to_string(fields) + " fields of the first data line.";
}

std::string ColumnNameMissingMessage(const char* role, const std::string& name) {
    return "Error: The header has no column " + Quoted(name) + " for the " + role + ".";
}

std::string ColumnNameWithoutHeaderMessage(const char* role, const std::string& name) {
    return std::string("Error: The ") + role + " column is named " + Quoted(name) +
           ", but the first data line is not a header.";
}

std::string NoKnownColumnMessage(const char* role, const std::string& knownNames) {
    return std::string("Error: The header has no ") + role + " column (" + knownNames +
           "); choose one by number or name.";
}

std::string ColumnChosenTwiceMessage(std::size_t column) {
    return "Error: Column " + std::to_string(column) + " is chosen for two values.";
}

std::string SeveralColumnsMessage(const char* role, const std::string& quotedNames) {
    return std::string("Error: The header has more than one ") + role + " column (" + quotedNames +
           "); choose one by number or name.";
}

std::string FirstLineTooLongMessage(std::size_t limit) {
    return "Error: The first data line is longer than " + std::to_string(limit) + " characters.";
}

std::string TooManyFieldsReason(std::size_t fields, std::size_t width, bool header) {
    return "the line has " + std::to_string(fields) + " fields, more than " +
           (header ? "the header's " : "the first data line's ") + std::to_string(width);
}

std::string LineTooLongReason(std::size_t limit) {
    return "the line is longer than " + std::to_string(limit) + " characters";
}

std::string ColumnItem(std::size_t column, const std::string& name, bool header) {
    return header ? std::to_string(column) + ": " + name : "column " + std::to_string(column);
}

std::string MoreProblemLinesText(std::int64_t more) {
    return "and " + GroupedCount(static_cast<std::uint64_t>(more)) +
           (more == 1 ? " more line" : " more lines") + " not converted";
}

const char* MethodText(InterpolationMethod method) {
    switch (method) {
        case InterpolationMethod::BiQuadratic: return "bi-quadratic";
        case InterpolationMethod::Triangulation: return "triangulation";
        case InterpolationMethod::NearestNeighbour: return "nearest neighbour";
        case InterpolationMethod::BiLinear: break;
    }
    return "bi-linear";
}

namespace {

// "47N", "5.5W", "0": a coordinate with its hemisphere's letter.
std::string Hemisphere(double degrees, char positive, char negative) {
    std::string text;
    AppendFormat(text, "%.10g", std::fabs(degrees));
    if (degrees != 0.0) text += degrees > 0.0 ? positive : negative;
    return text;
}

}  // namespace

std::string ColourMapTitle(const double (&values)[6], const GeoidGrid& grid,
                           InterpolationMethod method) {
    std::string title = std::string(ModelName(grid.model)) + " GEOID UNDULATION N [M]   ";
    title += Hemisphere(std::min(values[0], values[2]), 'N', 'S') + " TO " +
             Hemisphere(std::max(values[0], values[2]), 'N', 'S') + ", " +
             Hemisphere(std::min(values[1], values[3]), 'E', 'W') + " TO " +
             Hemisphere(std::max(values[1], values[3]), 'E', 'W');
    AppendFormat(title, ", STEP %.10g' X %.10g'   GRID %s, %s", values[4], values[5],
                 SpacingName(grid), MethodText(method));
    for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return title;
}

std::string MapReadoutText(double latitude, double longitude, float undulation,
                           std::string_view quantity) {
    std::string text;
    AppendFormat(text, "%.6f, %.6f: ", latitude, longitude);
    text += quantity;
    if (std::isnan(undulation)) {
        text += " not computed";
    } else {
        AppendFormat(text, " = %.3f m", static_cast<double>(undulation));
    }
    return text;
}

std::string AuditPlotTimeTitle(const std::string& firstTime, const char* unit) {
    std::string time = firstTime;
    const bool digits = time.size() >= 6 && std::all_of(time.begin(), time.begin() + 6, [](char c) {
                            return c >= '0' && c <= '9';
                        });
    if (digits) time = time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2);
    return "time since the first fix, " + time + " UTC [" + unit + "]";
}

std::string HeightsMapTitle(std::uint64_t shown, std::uint64_t computed, const std::string& input) {
    const std::size_t slash = input.rfind('/');
    const std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    std::string title = "EGM2008 geoid undulation N [m] at " + GroupedCount(shown);
    if (shown < computed) title += " of " + GroupedCount(computed);
    return title + (computed == 1 ? " point of " : " points of ") + name;
}

std::string MapPlaceText(double latitude, double longitude) {
    std::string text;
    AppendFormat(text, "%.6f, %.6f", latitude, longitude);
    return text;
}

std::string CoastlinesMissingMessage(bool missing, const std::string& path) {
    return "No coastlines: " + path +
           (missing ? " is missing (Debian package gmt-gshhg-low)." : " could not be read.");
}

std::string FetchingPackageStep(const std::string& cache) {
    return "fetching Debian's geotranz package into " + cache;
}

std::string ExtractingGridStep(const std::string& packageName,
                               const std::vector<GeoidModel>& models) {
    std::vector<std::string> names;
    for (const GeoidModel model : models) {
        const ModelFile* file = ModelFileOf(model);
        names.emplace_back(file ? file->fileName : "the 2.5' grid");
    }
    std::string list;
    for (std::size_t k = 0; k < names.size(); ++k) {
        list += (k == 0 ? "" : k + 1 == names.size() ? " and " : ", ") + names[k];
    }
    return "extracting " + list + " from " + packageName;
}

std::string MakingGridStep(const std::string& path) { return "making " + path; }

std::string FolderNotMadeMessage(const std::string& folder, const std::string& reason) {
    return "The folder \"" + folder + "\" could not be made: " + reason + ".";
}

std::string PackageNotDownloadedMessage(const std::string& cache, const std::string& request) {
    return "Debian's geotranz package could not be downloaded into \"" + cache +
           "\" (apt-get download " + request + "); with its package file (" +
           kGeotranzPackage.fileName + ") there, the grids are made offline.";
}

std::string CacheNotFolderMessage(const std::string& cache, const std::string& reason) {
    return "The package cache \"" + cache + "\" cannot be a folder: " + reason +
           "; name another with EGM2008_CACHE.";
}

std::string PackageMismatchStep(const std::string& deb, const std::string& digest,
                                const char* expected) {
    return "\"" + deb + "\" has SHA-256 " + (digest.empty() ? "(unreadable)" : digest) +
           ", not the known " + expected + "; fetching it again";
}

std::string DownloadedPackageMismatchMessage(const std::string& request, const std::string& digest,
                                             const char* expected) {
    return "The package apt-get downloaded (" + request + ") has SHA-256 " + digest +
           ", not the known " + expected + "; it was not kept.";
}

std::string PackageNotKeptMessage(const std::string& deb, const std::string& reason) {
    return "The downloaded package could not be moved to \"" + deb + "\": " + reason + ".";
}

std::string GridNotExtractedMessage(const std::string& deb) {
    return "The 2.5' grid could not be extracted from \"" + deb +
           "\" (dpkg-deb --fsys-tarfile | tar).";
}

std::string GridNotWrittenMessage(const std::string& path, const char* reason) {
    return "Grid file \"" + path + "\" could not be written: " + reason + ".";
}

std::string GridDigestMismatchMessage(const std::string& path, const std::string& digest,
                                      const char* expected) {
    return "Grid file \"" + path + "\" came out with SHA-256 " + digest + ", not " + expected +
           "; it was removed.";
}

std::string DemNotOpenedMessage(const std::string& path, const std::string& reason) {
    return "DEM \"" + path + "\" cannot be opened as a raster: " + reason;
}

std::string DemNoBandMessage(const std::string& path, int band, int count) {
    return "DEM \"" + path + "\" has no band " + std::to_string(band) + " (it has " +
           std::to_string(count) + ").";
}

std::string DemNotGeoreferencedMessage(const std::string& path) {
    return "DEM \"" + path +
           "\" has no coordinate reference system or no geotransform; nothing was written.";
}

std::string DemNotGeographicMessage(const std::string& path, const std::string& crsName) {
    return "DEM \"" + path + "\" is in \"" + crsName +
           "\", neither geographic nor projected; nothing was written.";
}

std::string DemNorthingFirstMessage(const std::string& path) {
    return "DEM \"" + path +
           "\" has latitude or northing as its first axis; it is not converted yet (make it "
           "easting first, e.g. with gdal_translate).";
}

std::string DemNoPlacesMessage(const std::string& path, const std::string& reason) {
    return "DEM \"" + path + "\": its pixels cannot be taken to latitude and longitude: " + reason;
}

std::string DemNotWgs84Message(const std::string& path, const std::string& datumName) {
    return "DEM \"" + path + "\" is on the datum \"" + datumName +
           "\", not WGS 84; --assume-wgs84 converts it as if it were.";
}

std::string DemAlreadyTargetMessage(const std::string& path, const char* target,
                                    const std::string& crsName) {
    return "DEM \"" + path + "\" already holds " + target + " heights (\"" + crsName +
           "\"); --force converts it again.";
}

std::string DemOtherModelMessage(const std::string& path, const char* held, const char* heldKey,
                                 const char* model) {
    return "DEM \"" + path + "\" holds " + held + " heights, not " + model + " heights; --model " +
           heldKey + " takes them back to the ellipsoid (--force converts them anyway).";
}

std::string DemTypeNotHandledMessage(const std::string& path, const std::string& type) {
    return "DEM \"" + path + "\" holds " + type +
           " values; --type Float32, Float64, Int16 or Int32 chooses the output's type.";
}

std::string DemTypeUnknownMessage(const std::string& type) {
    return "--type " + type + " is none of Float32, Float64, Int16, Int32.";
}

std::string DemCreationOptionMessage(const std::string& reason) { return "--co: " + reason; }

std::string DemNotWrittenMessage(const std::string& path, const std::string& reason) {
    return "DEM \"" + path + "\" was not written: " + reason;
}

std::string DemStoppedMessage(const std::string& path, const char* signal) {
    return std::string("The run was stopped by ") + signal + "; DEM \"" + path +
           "\" was left as it was.";
}

std::string DemSummaryMessage(const std::string& path, std::int64_t converted, std::int64_t nodata,
                              std::int64_t clipped, std::int64_t failed, double seconds) {
    // Hundredths by integers, so that no locale chooses the decimal mark.
    const long long hundredths = std::llround(seconds * 100.0);
    const std::string cents = std::to_string(100 + hundredths % 100).substr(1);
    const std::string time = std::to_string(hundredths / 100) + "." + cents;
    return path + ": " + Count(converted) + " pixels converted, " + Count(nodata) + " nodata, " +
           Count(clipped) + " clipped, " + Count(failed) + " without N, " + time + " s.";
}

std::string DemDescriptionText(int width, int height, const std::string& crs,
                               const std::string& type, std::optional<double> nodata) {
    std::string text = Count(width) + " x " + Count(height) + " pixels (columns x rows)\n";
    text += "CRS: " + (crs.empty() ? std::string("none") : crs) + "\n";
    text += "Data type: " + type + "\n";
    text += "Nodata: ";
    if (nodata) {
        AppendFormat(text, "%.10g", *nodata);
    } else {
        text += "none";
    }
    return text;
}

std::string DemMapTitle(bool orthometric, const std::string& output) {
    return std::string(orthometric ? "Orthometric heights H [m] of "
                                   : "Ellipsoidal heights h [m] of ") +
           std::filesystem::path(output).filename().string();
}

std::string DemMapNotReadMessage(const std::string& path, const std::string& reason) {
    return "Error: The converted DEM \"" + path + "\" could not be read for its map: " + reason;
}

}  // namespace egm2008
