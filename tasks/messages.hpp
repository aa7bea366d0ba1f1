// Every text the pages show the user: message boxes, refusals, the end of a
// run and the fixed words of result fields. The engine's texts about grid
// files, and OneLine, are in engine/messages.hpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/messages.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

struct PointFileOutcome;
enum class GgaCopyReason;
enum class FieldKind;
enum class OutputFate;
struct LatticeExcess;

/// Shown when "Calc!" finds no grid to ask.
inline constexpr const char* kNullGridMessage = "Error: Detected Nullpointer.";
/// A result field whose method found no value.
inline constexpr const char* kNotAvailable = "N/A";
/// The caption of the file page's "Calc!" button while no run is on.
inline constexpr const char* kCalcCaption = "Calc!";

// The gridmaker's field checks, in the order of the fields.
inline constexpr const char* kLatitudeRangeMessage =
    "Error: Latitude outside valid range of -90° to +90°.";
inline constexpr const char* kLongitudeRangeMessage =
    "Error: Longitude outside valid range of -360° to +360°.";
inline constexpr const char* kLatSpacingMessage = "Error: Lat. spacing should be positive.";
inline constexpr const char* kLonSpacingMessage = "Error: Lon. spacing should be positive.";
inline constexpr const char* kSpacingMessage = "Error: Spacing not ok!";
/// The lattice has more rows or columns than the output format's file holds.
inline constexpr const char* kLatticeTooLargeMessage =
    "Error: Too many rows or columns for the output format.";
/// The lattice has fewer rows or columns than the output format's file needs.
inline constexpr const char* kLatticeTooSmallMessage =
    "Error: Too few rows or columns for the output format.";
/// A lattice of `rows` x `columns` nodes refused by format `format` for breaking
/// `excess`: kLatticeTooLargeMessage (or kLatticeTooSmallMessage), the limit,
/// the lattice's size, and what would work: the formats of `fitting`, and a
/// larger spacing or a smaller area (a larger area when too small).
std::string LatticeRefusalMessage(const char* format, const LatticeExcess& excess,
                                  std::uint64_t rows, std::uint64_t columns,
                                  const std::vector<const char*>& fitting);

// The names of the fields as messages give them, after the pages' labels.
inline constexpr const char* kLatitudeFieldName = "Latitude";
inline constexpr const char* kLongitudeFieldName = "Longitude";
/// The gridmaker's six fields, in the order it reads them.
inline constexpr const char* kGridmakerFieldNames[] = {
    "Latitude 1", "Longitude 1", "Latitude 2", "Longitude 2", "Lat. spacing", "Lon. spacing"};

/// "<name>: \"<text>\" is not a number.", and on a second line the spellings a
/// field of `kind` takes. A very long text is quoted only in part.
std::string FieldNotANumberMessage(const char* name, const std::string& text, FieldKind kind);

/// The status line after a "Calc!" that refused fields: the first one's reason on one
/// line, led by "3 fields refused. " when there were several.
std::string RefusedFieldsStatus(const std::string& firstReason, int count);

/// Why the manual page shows "N/A": "N/A: latitude 91.00000000 lies outside -90° to +90°."
std::string LatitudeOutsideStatus(double latitude);
/// "N/A: longitude -400.00000000 lies outside -360° to +360°."
std::string LongitudeOutsideStatus(double longitude);
/// What a manual calculation did: "Manual Calc: <lat>, <lon> in <grid file name>", or,
/// when no method found a value, "N/A: no method found a value at <lat>, <lon> in <name>."
std::string ManualCalcStatus(double latitude, double longitude, const std::string& gridPath,
                             bool anyValue);

/// "\nInputfile \"<path>\" could not be opened: <reason>!\n", the reason the system's
/// text for `error` (errno), or "it is not a regular file" (EISDIR, EINVAL of OpenRegularFile).
std::string InputOpenMessage(const std::string& path, int error);
/// "\nOutputfile \"<path>\" could not be opened: <strerror>!\n"
std::string OutputOpenMessage(const std::string& path, int error);

/// The point file page's refusal of an output that is its input file.
std::string OutputIsInputMessage(const std::string& path);
/// The point file page's refusal of an output that is the grid file in use.
std::string OutputIsGeoidFileMessage(const std::string& path);

/// The gridmaker's refusal of an output path that names the grid file in use.
std::string OutputIsGridMessage(const std::string& path);
/// A write to the gridmaker's output failed (errno `error`); the file is incomplete.
std::string OutputWriteFailureMessage(const std::string& path, int error);
/// The lattice stopped at node (latitude, longitude) whose query failed; the file is incomplete.
std::string LatticeIncompleteMessage(const std::string& path, double latitude, double longitude);

// Why a page's run failed: the first line of its message.
/// "Outputfile "<path>" could not be written (<strerror>)!" (the gridmaker's output)
std::string LatticeWriteFailure(const std::string& path, int error);
/// "The run stopped at latitude <lat>, longitude <lon>, where no undulation could be computed."
std::string LatticeStopFailure(double latitude, double longitude);
/// "Inputfile "<path>" could not be read: <strerror>!"
std::string InputReadFailure(const std::string& path, int error);
/// "Outputfile "<path>" could not be written: <strerror>!" (the file page's output)
std::string OutputWriteFailure(const std::string& path, int error);
/// The user cancelled a page's run.
inline constexpr const char* kRunCancelled = "The run was cancelled.";

/// What became of a page's output after a run that failed: "Outputfile "<path>"
/// was not changed." (or "... was not created." when there was none, "The file
/// is incomplete." when it was written directly).
std::string OutputFateLine(const std::string& path, OutputFate fate);
/// A page's message about a run that failed or was cancelled: "\n<why>\n<OutputFateLine>\n".
std::string FailedRunMessage(const std::string& why, const std::string& path, OutputFate fate);

// The status line after a page's run.
inline constexpr const char* kGridmakerStatusName = "Gridmaker";
inline constexpr const char* kFileCalcStatusName = "File Calc";
/// "Gridmaker: 2,336,041 nodes written to <path> in 0.4 s"
std::string LatticeWrittenStatus(std::uint64_t nodes, const std::string& path, double seconds);
/// "File Calc: Calculation done - 2500 points. Written to <path> in 0.1 s.", the lines of
/// CompletionMessage on one line before "Written".
std::string PointsWrittenStatus(const PointFileOutcome& outcome, const std::string& path,
                                double seconds);
/// "File Calc: 3,598 sentences rewritten, written to <path> in 0.1 s"
std::string SentencesWrittenStatus(std::int64_t sentences, const std::string& path, double seconds);
/// "<page>: failed, <path> not changed" (or "cancelled", "not created", "incomplete").
std::string RunFailedStatus(const char* page, bool cancelled, const std::string& path,
                            OutputFate fate);
/// `n` with its thousands separated by ",": 2336041 gives "2,336,041".
std::string GroupedCount(std::uint64_t n);
/// `n` as a reader takes it in at a glance: "65,341" below a million, else "2.3 million",
/// "933 million", "1.2 billion".
std::string RoughCount(std::uint64_t n);
/// `bytes` in B, kB, MB or GB (decimal): "488 bytes", "2.4 MB".
std::string ByteSize(std::int64_t bytes);

// The status line while a page's run goes on.
/// "Computing 933 million nodes…" (the gridmaker).
std::string LatticeRunningStatus(std::uint64_t nodes);
// What a run over an input file does, for InputRunningStatus.
inline constexpr const char* kComputingPointsDoing = "Computing the points of";
inline constexpr const char* kCheckingReceiverDoing = "Checking the receiver's heights in";
inline constexpr const char* kConvertingHeightsDoing = "Converting the heights of";
inline constexpr const char* kRewritingSentencesDoing = "Rewriting the sentences of";
/// "Computing the points of input.dat (2.4 MB) into output.dat…", the files by their names
/// without folders; without "into ..." when `outputPath` is empty.
std::string InputRunningStatus(const char* doing, const std::string& inputPath, std::int64_t bytes,
                               const std::string& outputPath);

/// The file page's layout that rewrites any receiver's NMEA log as `egm2008 nmea` does.
inline constexpr const char* kNmeaLayoutCaption = "NMEA, any receiver: keep talker, minimal change";

// The receiver check (nmea_audit.hpp): the title of its report and its verdicts.
inline constexpr const char* kCheckReceiverTitle = "Check receiver";
/// "Check receiver: <path> checked, the report is in its window."
std::string ReceiverCheckedStatus(const std::string& path);
inline constexpr const char* kNoFixVerdict = "no fix in the log: nothing to compare";
inline constexpr const char* kEmptyLogVerdict = "the log is empty: nothing to check";
inline constexpr const char* kNoSentenceVerdict = "no NMEA sentence in the log: nothing to check";
inline constexpr const char* kBinaryLogVerdict =
    "no NMEA sentence in the log: it holds binary data, not NMEA text";
inline constexpr const char* kZeroSeparationVerdict =
    "separation is 0 in every sentence: the altitude field most likely holds ellipsoidal heights";
/// "separation matches EGM2008 (RMS 0.02 m): altitudes are heights above the EGM2008 geoid"
std::string SeparationMatchesVerdict(double rms);
/// "separation differs from EGM2008 by up to 3.4 m (RMS 1.1 m): the receiver uses a coarser
/// geoid model; rewrite with `egm2008 nmea` (in the window: the layout "NMEA, any receiver:
/// keep talker, minimal change" on the "EGM2008 File Calc" page) to get EGM2008 heights"
std::string SeparationDiffersVerdict(double largest, double rms);
/// The receiver's separation is an older model's (`model`: "EGM96", `key`: "egm96"):
/// "separation matches EGM96 (RMS 0.02 m): altitudes are heights above the EGM96
/// geoid; ..." and how to get EGM2008 heights.
std::string SeparationMatchesModelVerdict(const char* model, const char* key, double rms);
/// An older model the audit could not compare, its grid in no grid folder (`reason`:
/// the grid choice's message).
std::string ModelNotComparedNote(const char* model, const std::string& reason);
/// "GP and GN sentences of the same epoch disagree: altitudes differ by up to 94.2 m in 12 of
/// 60 epochs", with the constellation's talker in place of "GP".
std::string EpochsDisagreeVerdict(const std::string& talker, double largest,
                                  std::int64_t disagreeing, std::int64_t paired);
/// "3 fixes could not be compared: EGM2008 N could not be computed at their positions"
std::string FixesNotComparedVerdict(std::int64_t fixes);
/// "3 fixes without a separation: heights cannot be checked" ("an altitude" when `altitude`).
std::string FixesWithoutHeightVerdict(std::int64_t fixes, bool altitude);

// Refusals of a delimited file's layout, told from its first data line.
inline constexpr const char* kNoDelimiterMessage =
    "Error: The first data line has no comma, semicolon, tab or blank between fields.";
/// "Error: The latitude column 5 is beyond the 3 fields of the first data line."
std::string ColumnBeyondLineMessage(const char* role, std::size_t column, std::size_t fields);
/// "Error: The header has no column "Lat" for the latitude."
std::string ColumnNameMissingMessage(const char* role, const std::string& name);
/// "Error: The latitude column is named "Lat", but the first data line is not a header."
std::string ColumnNameWithoutHeaderMessage(const char* role, const std::string& name);
/// "Error: The header has no latitude column (lat, latitude, phi, y); choose one by number or
/// name."
std::string NoKnownColumnMessage(const char* role, const std::string& knownNames);
/// "Error: Column 3 is chosen for two values."
std::string ColumnChosenTwiceMessage(std::size_t column);
/// "Error: The header has more than one height column ("h", "H"); choose one by number or name."
std::string SeveralColumnsMessage(const char* role, const std::string& quotedNames);
/// The comma delimits the fields and is the decimal mark, and the first data line's numbers
/// are not quoted.
inline constexpr const char* kUnquotedDecimalCommaMessage =
    "Error: The comma both delimits the fields and marks the decimals, but the numbers are not "
    "quoted (\"48,5\"); choose another delimiter or the decimal point.";
/// The first data line, the header or the first point, too long to read.
std::string FirstLineTooLongMessage(std::size_t limit);

// Why a data line of a delimited file was not computed (after "line 17: ").
/// "the line has 5 fields, more than the header's 4" (or "the first data line's 4")
std::string TooManyFieldsReason(std::size_t fields, std::size_t width, bool header);
/// Its numbers not quoted where the comma is both delimiter and decimal mark.
inline constexpr const char* kUnquotedNumbersReason =
    "the numbers are not quoted, and the comma both delimits the fields and marks the decimals";
/// "the line is longer than 1048576 characters"
std::string LineTooLongReason(std::size_t limit);

/// Why a GGA sentence was copied unchanged, as the completion message lists it.
const char* GgaCopyReasonText(GgaCopyReason reason);

/// "Calculation done - <n> points.", with a line for each kind of line not
/// computed: "<n> points could not be computed and were written with 999.999.",
/// "<n> lines could not be read and were copied unchanged.", and "<n> GGA
/// sentences were copied unchanged: <a> with a wrong checksum, <b> ...".
std::string CompletionMessage(const PointFileOutcome& outcome);
/// What to tell the user at the end of a point file run: the read or the write
/// error, naming the file, or else CompletionMessage.
std::string OutcomeMessage(const PointFileOutcome& outcome, const std::string& inputPath,
                           const std::string& outputPath);

// The pages' file dialogs: their titles, and the files they offer (all files too).
inline constexpr const char* kFileCalcInputDialogTitle =
    "Choose the point file or NMEA log to read";
inline constexpr const char* kFileCalcOutputDialogTitle = "Save the results as";
inline constexpr const char* kHeightsInputDialogTitle =
    "Choose the delimited file or DEM raster to read";
inline constexpr const char* kHeightsOutputDialogTitle = "Save the converted file as";
inline constexpr const char* kGridmakerOutputDialogTitle = "Save the lattice as";
inline constexpr const char* kPointFileFilter =
    "Point files (*.dat *.txt *.xyz *.csv);;NMEA logs (*.nmea *.nma *.log);;All files (*)";
inline constexpr const char* kNmeaFileFilter =
    "NMEA logs (*.nmea *.nma *.log *.txt);;Point files (*.dat *.txt *.xyz *.csv);;All files (*)";
inline constexpr const char* kDelimitedFileFilter =
    "Delimited text (*.csv *.txt *.dat *.xyz);;All files (*)";
/// The "Heights" page's input: delimited text or a DEM raster (dem_preview.hpp).
inline constexpr const char* kHeightsInputFilter =
    "Delimited text (*.csv *.txt *.dat *.xyz);;DEM rasters (*.tif *.tiff *.vrt *.img *.hgt "
    "*.dem);;All files (*)";
/// The "Heights" page's output for a DEM raster.
inline constexpr const char* kGeoTiffFilter = "GeoTIFF (*.tif *.tiff);;All files (*)";

// The "Heights" page.
inline constexpr const char* kHeightsStatusName = "Heights";
/// The height picker's first item: the file has no height column.
inline constexpr const char* kNoHeightColumnItem = "(none)";
/// The units picker's items, in HeightUnit's order.
inline constexpr const char* kHeightUnitItems[] = {"m", "ft", "US survey ft"};
/// "Calc!" on the "Heights" page before an input file was chosen.
inline constexpr const char* kHeightsNoInputMessage = "Error: Choose an input file first.";
/// A conversion asked for with "(none)" as the height column.
inline constexpr const char* kHeightColumnNeededMessage =
    "Error: A conversion needs the height column; choose it or \"append N only\".";
/// A column as a picker shows it: "2: Lat" in a file with a header, else "column 2".
std::string ColumnItem(std::size_t column, const std::string& name, bool header);
/// The delimiter picker's items, in Delimiter's order.
inline constexpr const char* kDelimiterItems[] = {"comma ,", "semicolon ;", "tab", "spaces"};
/// The decimal mark picker's items: the point, the comma.
inline constexpr const char* kDecimalMarkItems[] = {"point 52.5", "comma 52,5"};
/// An input whose first bytes hold bytes no text holds.
inline constexpr const char* kNotATextFileMessage =
    "Error: The input is not a text file (a picture or a grid?); choose a delimited text file.";
/// After a run that left lines without values: where the page shows them.
inline constexpr const char* kProblemLinesListedNote =
    "The lines are listed under the preview, and marked in it where it shows them.";
/// A DEM raster as the page describes it in place of the preview, a line each:
/// "1201 x 1201 pixels (columns x rows)", "CRS: WGS 84" ("CRS: none"), "Data type: Int16",
/// "Nodata: -32768" ("Nodata: none").
std::string DemDescriptionText(int width, int height, const std::string& crs,
                               const std::string& type, std::optional<double> nodata);
/// The status line once a raster is chosen as the page's input.
inline constexpr const char* kDemChosenStatus =
    "A DEM raster: \"Calc!\" writes its heights converted into a GeoTIFF.";
/// What a DEM run does, for InputRunningStatus.
inline constexpr const char* kConvertingDemDoing = "Converting the DEM";
/// The page's map of a converted DEM: "Orthometric heights H [m] of dem-heights.tif"
/// ("Ellipsoidal heights h [m] of ..."), the file by its name without folders.
std::string DemMapTitle(bool orthometric, const std::string& output);
/// The page's map of a converted DEM could not be read (`reason`: GDAL's text).
std::string DemMapNotReadMessage(const std::string& path, const std::string& reason);
/// The last line of the list of lines not converted, when it holds only the first of them:
/// "and 15 more lines not converted".
std::string MoreProblemLinesText(std::int64_t more);

// Names of the methods in texts that describe a run (the grids' are SizeName's).
/// "bi-quadratic", "bi-linear", "triangulation", "nearest neighbour".
const char* MethodText(InterpolationMethod method);

// The gridmaker page's format picker's items and the save dialog's filters are
// in each format's row (tasks/lattice/formats/lattice_format_info.hpp).

// The colour map (colour_map.hpp).
/// Its title: "EGM2008 GEOID UNDULATION N [M]   47N TO 55N, 5E TO 15E, STEP 30' X 30'
/// GRID 10', BI-QUADRATIC", from the corners and spacings as the gridmaker takes them
/// (latitude1, longitude1, latitude2, longitude2, then arc minutes).
std::string ColourMapTitle(const double (&values)[6], const GeoidGrid& grid,
                           InterpolationMethod method);
/// What the map window shows under the mouse: "47.500000, 7.250000: N = 49.372 m",
/// "... : N not computed" over a missing node; `quantity` names another value ("H").
std::string MapReadoutText(double latitude, double longitude, float undulation,
                           std::string_view quantity = "N");
/// A place on a map without a value: "47.500000, 7.250000".
std::string MapPlaceText(double latitude, double longitude);
// The receiver check's plot (nmea_audit.hpp).
inline constexpr const char* kAuditPlotTitle = "Receiver's separation - EGM2008 N";
inline constexpr const char* kAuditPlotDifferenceTitle = "separation - N [m]";
/// The time axis: "time since the first fix, 12:35:19 UTC [min]" for the first
/// fix's time field "123519.00" (a field of another shape is shown as received).
std::string AuditPlotTimeTitle(const std::string& firstTime, const char* unit);
/// The title of a heights run's map: "EGM2008 geoid undulation N [m] at 1,234
/// points of survey.csv", or "at 100,000 of 2,345,678 points" when `shown` is fewer.
std::string HeightsMapTitle(std::uint64_t shown, std::uint64_t computed, const std::string& input);
/// Why a map has no coastlines: "No coastlines: <path> is missing (Debian package
/// gmt-gshhg-low)." when `missing`, else "No coastlines: <path> could not be read."
std::string CoastlinesMissingMessage(bool missing, const std::string& path);

// Making the grids from the geotranz package (grid_install.cpp).
/// "fetching Debian's geotranz package into <cache>"
std::string FetchingPackageStep(const std::string& cache);
/// "extracting the 2.5' grid from <package file name>", the older models' files named too
/// ("extracting the 2.5' grid, egm96.grd and wwgrid.bin from ...").
std::string ExtractingGridStep(const std::string& packageName,
                               const std::vector<GeoidModel>& models = {GeoidModel::Egm2008});
/// "making <path>"
std::string MakingGridStep(const std::string& path);
/// The install folder could not be made (`reason`: the system's text).
std::string FolderNotMadeMessage(const std::string& folder, const std::string& reason);
/// No package file in `cache`, and "apt-get download <request>" could not download one.
std::string PackageNotDownloadedMessage(const std::string& cache, const std::string& request);
/// The package cache `cache` is no folder and cannot be made one (`reason`: the system's text).
std::string CacheNotFolderMessage(const std::string& cache, const std::string& reason);
/// "<deb> has SHA-256 <digest>, not the known <expected>; fetching it again" (a damaged or
/// unfinished package file in the cache).
std::string PackageMismatchStep(const std::string& deb, const std::string& digest,
                                const char* expected);
/// The package apt-get downloaded has another SHA-256 than the known one.
std::string DownloadedPackageMismatchMessage(const std::string& request, const std::string& digest,
                                             const char* expected);
/// The downloaded package could not be moved to `deb` (`reason`: the system's text).
std::string PackageNotKeptMessage(const std::string& deb, const std::string& reason);
/// dpkg-deb and tar could not extract the grid member from `deb`.
std::string GridNotExtractedMessage(const std::string& deb);
/// A grid file could not be written (`reason`: the system's text).
std::string GridNotWrittenMessage(const std::string& path, const char* reason);
/// A grid made with another SHA-256 than its known one.
std::string GridDigestMismatchMessage(const std::string& path, const std::string& digest,
                                      const char* expected);

// DEM rasters (tasks/dem/): why a raster is not converted, and the end of a run.
/// The input cannot be opened as a raster (`reason`: GDAL's text).
std::string DemNotOpenedMessage(const std::string& path, const std::string& reason);
/// The raster has no band `band`.
std::string DemNoBandMessage(const std::string& path, int band, int count);
/// The raster has no geotransform or no coordinate reference system.
std::string DemNotGeoreferencedMessage(const std::string& path);
/// The raster's CRS is neither geographic nor projected.
std::string DemNotGeographicMessage(const std::string& path, const std::string& crsName);
/// The raster's first axis is latitude or northing, which a GeoTIFF cannot say.
std::string DemNorthingFirstMessage(const std::string& path);
/// A projected raster's pixels cannot be taken to latitude and longitude (`reason`: GDAL's text).
std::string DemNoPlacesMessage(const std::string& path, const std::string& reason);
/// The raster's datum is not WGS 84; --assume-wgs84 takes it as WGS 84.
std::string DemNotWgs84Message(const std::string& path, const std::string& datumName);
/// The raster already holds the heights asked for (`target`: "orthometric"); --force converts.
std::string DemAlreadyTargetMessage(const std::string& path, const char* target,
                                    const std::string& crsName);
/// The raster holds heights above another model's geoid than the run's (`held`: "EGM96").
std::string DemOtherModelMessage(const std::string& path, const char* held, const char* heldKey,
                                 const char* model);
/// The band's data type is none the run writes; --type chooses one.
std::string DemTypeNotHandledMessage(const std::string& path, const std::string& type);
/// --type names no data type the run writes.
std::string DemTypeUnknownMessage(const std::string& type);
/// GDAL's writer takes not every --co option (`reason`: GDAL's text).
std::string DemCreationOptionMessage(const std::string& reason);
/// The output could not be created or written (`reason`: GDAL's or the system's text).
std::string DemNotWrittenMessage(const std::string& path, const std::string& reason);
/// "The run was stopped by <signal>; DEM "<path>" was left as it was."
std::string DemStoppedMessage(const std::string& path, const char* signal);
/// "<path>: <n> pixels converted, <n> nodata, <n> clipped, <n> without N, <s> s"
std::string DemSummaryMessage(const std::string& path, std::int64_t converted, std::int64_t nodata,
                              std::int64_t clipped, std::int64_t failed, double seconds);

}  // namespace egm2008
