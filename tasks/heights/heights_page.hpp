// The "Heights" page: a delimited input file (survey export, CSV) shown as a
// preview table, its delimiter and decimal mark, three column pickers, what
// the height column becomes, its unit, an output file and "Calc!".
//
// A new input (the open dialog, a path typed into its field, or a file
// dropped on the window) is read for its preview (heights_preview.hpp): a file
// that is not text is refused and not shown; else its first kPreviewLines data
// lines, blank and comment lines left out, each row named by its line in the
// file. Its first lines give the delimiter and the decimal mark the two
// pickers choose first; the user may choose others, and the preview follows.
// The first data line then gives the layout (ReadLayout): the header that
// titles the table's columns ("1", "2", ... without one) and the columns the
// pickers choose first; the status line names them, or tells why the layout
// was refused. A new input proposes "<name>-heights<extension>" beside it as
// its output unless the user named one (OutputForNewInput).
//
// "Calc!" runs RunHeights with the columns the pickers hold, chosen by index,
// the delimiter and decimal mark chosen and the preview's header, like the
// point-file page: the input opened read only, the output refused when it is
// the input or the grid, the grid checked before the output is opened under a
// temporary name, the run through PagePlatform::RunLong (the meter counts the
// input's bytes, Cancel stops it, the caption of "Calc!" shows the count of
// lines at every thousandth). A run that fails or is cancelled keeps the
// previous output and tells why in a message box; every run ends with its
// outcome in the status line. The lines a run could not convert are listed
// with their reasons under the preview (the first kHeightsProblemsKept) and
// marked in it where it shows them.
//
// A whole run keeps the place and N of its computed lines (at most
// kPointMapCapacity, evenly spread over the file): "Show map" then shows them
// coloured by N in a window of its own. A run that did not end whole, or
// computed no line, disables it.
//
// An input that is a DEM raster (PreviewDem, tasks/dem/dem_preview.hpp: no
// text, and GDAL opens it as a raster) is shown instead of the table by its
// description (size, CRS, data type, nodata) and a shaded picture; the
// delimiter, decimal mark, column and unit pickers and "append N only" do not
// apply to it and are disabled ("append N only" gives way to "to orthometric"
// when it was chosen). Its output is proposed as "<name>-heights.tif". "Calc!"
// converts it with ConvertDem (the grid's heights bi-quadratic, tide-free, as
// a text run's), through PagePlatform::RunLong: the meter counts rows, Cancel
// stops the run and writes nothing. The status line tells the pixels
// converted, nodata, clipped and without N; a run that fails tells why in a
// box. "Show map" then shows the converted heights, read back decimated, as
// points coloured by height.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/delimited_text.hpp"
#include "tasks/heights/heights.hpp"
#include "tasks/common/page_platform.hpp"
#include "tasks/common/replacing_output.hpp"

namespace egm2008 {

/// Control IDs of the "Heights" page.
namespace heights_ids {
inline constexpr int kInputButton = 1100;
inline constexpr int kInputPath = 1101;
inline constexpr int kOutputButton = 1102;
inline constexpr int kOutputPath = 1103;
inline constexpr int kPreview = 1104;         ///< the table of the input's first lines
inline constexpr int kLatitudeColumn = 1105;  ///< pickers: "1: Lat" or "column 1" items
inline constexpr int kLongitudeColumn = 1106;
inline constexpr int kHeightColumn = 1107;  ///< its first item is "(none)"
inline constexpr int kAppendOnly = 1108;    ///< radios 1108..1110: HeightTarget None ..
inline constexpr int kToOrthometric = 1109;
inline constexpr int kToEllipsoidal = 1110;
inline constexpr int kUnits = 1111;  ///< picker: HeightUnit in its order
inline constexpr int kCalc = 1112;
inline constexpr int kPicture = 1113;            ///< the drawing of h, H and N
inline constexpr int kDelimiter = 1114;          ///< picker: Delimiter in its order
inline constexpr int kDecimalMark = 1115;        ///< picker: the point, the comma
inline constexpr int kProblems = 1116;           ///< the list of the lines a run could not convert
inline constexpr int kShowMap = 1117;            ///< the last run's points coloured by N
inline constexpr int kRasterPicture = 1118;      ///< a raster input's shaded picture
inline constexpr int kRasterDescription = 1119;  ///< a raster input's size, CRS, type, nodata
}  // namespace heights_ids

/// Data lines the preview table shows at most.
inline constexpr int kPreviewLines = 20;

struct DemOutcome;
struct DemPreview;

class HeightsPage {
public:
    /// The page talks to its window through `platform`, which must outlive it.
    explicit HeightsPage(PagePlatform& platform) : platform_(platform) {}

    /// Stores the grid (not owned), fills the units picker (metres) and empties the pickers.
    void InitialiseHeightsPage(const GeoidGrid* grid);
    void SetGrid(const GeoidGrid* grid) { grid_ = grid; }

    /// "Input-File": the open dialog's path becomes the input; Cancel changes nothing.
    void BrowseInputFile();
    /// A file chosen elsewhere (dropped on the window) becomes the input and is previewed.
    void SetInputPath(const std::string& path);
    /// "Output-File": the save dialog (which asks before overwriting), for the output path.
    void BrowseOutputFile();
    /// A path typed into the output field.
    void SetOutputPath(const std::string& path);
    /// The delimiter picker's item `index` (Delimiter's order): the preview is split anew.
    void SelectDelimiter(int index);
    /// The decimal mark picker's item `index` (0 the point, 1 the comma): the preview follows.
    void SelectDecimalMark(int index);
    /// Radio 1108..1110 clicked; other IDs change nothing.
    void SelectTarget(int radioId);

    /// What a run would be given now: the pickers' columns, the unit and the target.
    HeightsOptions ChosenOptions();
    /// "Calc!": the run over the whole input file.
    void CalculateHeights();
    /// "Show map": the last whole run's points coloured by N.
    void ShowMap();

    const std::string& inputPath() const { return inputPath_; }
    const std::string& outputPath() const { return outputPath_; }
    HeightTarget target() const { return target_; }
    /// Whether the input is a DEM raster rather than delimited text.
    bool raster() const { return raster_; }

private:
    // Reads the input's first bytes and tells its delimiter and decimal mark.
    void Preview();
    // The table, the column pickers and the status, as the delimiter and mark split the lines.
    void ShowPreview();
    void SettleRun(const HeightsOutcome& outcome, ReplacingOutput& output);
    // A raster input in place of the table, or the table again; the controls that apply.
    void ShowRaster(const DemPreview* preview);
    // "Calc!" for a raster input, and the end of its run: the output's `fate` when none was
    // written, the map of the `target` heights when one was.
    void ConvertRaster();
    void SettleRaster(const DemOutcome& outcome, OutputFate fate, HeightTarget target);
    // The lines the run left without values, listed and marked in the preview.
    void ShowProblems(const HeightsOutcome& outcome);

    PagePlatform& platform_;
    const GeoidGrid* grid_ = nullptr;
    std::string inputPath_;
    std::string outputPath_;
    HeightTarget target_ = HeightTarget::None;
    // What the preview read of the input: its first bytes (all of them when
    // `whole_`), or that they are not text.
    std::string head_;
    bool whole_ = false;
    bool notText_ = false;
    bool raster_ = false;
    // The delimiter and decimal mark the lines are split and read with, and
    // whether the first data line is a header.
    std::optional<Delimiter> delimiter_;
    DecimalMark mark_ = DecimalMark::Point;
    std::optional<bool> header_;
    std::vector<std::int64_t> rowLines_;  // the input line of each row of the table
    // The points of the last whole run, and the map's title.
    std::vector<PlacedValue> mapPoints_;
    std::string mapTitle_;
    std::string mapQuantity_ = "N";  // what the points' values are: N, or a raster's H or h
};

}  // namespace egm2008
