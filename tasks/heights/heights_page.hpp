// The "Heights" page: a delimited input file (survey export, CSV) shown as a
// preview table, three column pickers, what the height column becomes, its
// unit, an output file and "Calc!".
//
// A new input (the open dialog or a file dropped on the window) is read for
// its preview: up to its first kPreviewLines data lines, blank and comment
// lines left out, the byte order mark taken off. The first data line gives the
// layout (ReadLayout): the delimiter the rows are split by, the header that
// titles the table's columns ("1", "2", ... without one) and the columns the
// pickers choose first; the status line names them, or tells why the layout
// was refused. A new input whose output was not chosen proposes
// "<name>-heights<extension>" beside it.
//
// "Calc!" runs RunHeights with the columns the pickers hold, chosen by index,
// and the preview's delimiter and header, like the point-file page: the input
// opened read only, the output refused when it is the input or the grid, the
// grid checked before the output is opened under a temporary name, the run
// through PagePlatform::RunLong (the meter counts the input's bytes, Cancel
// stops it, the caption of "Calc!" shows the count of lines at every
// thousandth). A run that fails or is cancelled keeps the previous output and
// tells why in a message box; every run ends with its outcome in the status line.
#pragma once

#include <optional>
#include <string>

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
inline constexpr int kPicture = 1113;  ///< the drawing of h, H and N
}  // namespace heights_ids

/// Data lines the preview table shows at most.
inline constexpr int kPreviewLines = 20;

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
    /// Radio 1108..1110 clicked; other IDs change nothing.
    void SelectTarget(int radioId);

    /// What a run would be given now: the pickers' columns, the unit and the target.
    HeightsOptions ChosenOptions();
    /// "Calc!": the run over the whole input file.
    void CalculateHeights();

    const std::string& inputPath() const { return inputPath_; }
    const std::string& outputPath() const { return outputPath_; }
    HeightTarget target() const { return target_; }

private:
    void Preview();
    void SettleRun(const HeightsOutcome& outcome, ReplacingOutput& output);

    PagePlatform& platform_;
    const GeoidGrid* grid_ = nullptr;
    std::string inputPath_;
    std::string outputPath_;
    bool outputChosen_ = false;  // by the save dialog, not proposed from the input
    HeightTarget target_ = HeightTarget::None;
    // What the preview told of the input: its delimiter, and whether it has a header.
    std::optional<Delimiter> delimiter_;
    std::optional<bool> header_;
};

}  // namespace egm2008
