// The "EGM2008 File Calc" page: an input file of points or GGA sentences, an
// output file, a layout, a method and "Calc!".
//
// The page holds the two paths (shown in fields 1035 and 1038), the layout
// (radios 1040 to 1044) and the method (radios 1047 to 1050), and reads the
// main window's grid when it calculates. "Calc!" opens the input for reading
// only, refuses an output that is the input or the grid file before anything
// is opened for writing, opens and checks the grid (one message and nothing
// written when it fails), opens the output (a regular file under a temporary
// name, put in place only when the run ends whole), and runs RunPointFile
// through PagePlatform::RunLong under the wait cursor: the meter counts the
// input's bytes, Cancel stops the run between lines, and the caption of 1002
// shows the count of computed points at every thousandth. It ends with
// "Calc!" restored, one message and the status line: the count, or why the run
// failed and that the previous output was not changed.
//
// The layout "NMEA, any receiver: keep talker, minimal change" (radio 1051)
// rewrites the input as `egm2008 nmea` does (RunNmea: every talker's GGA and
// GNS sentences, every other byte as received), in the same run and with the
// same end; its message is the run's summary (NmeaSummaryText).
//
// A new input (the open dialog, a path typed into its field or a file dropped
// on the window) proposes "<name>-egm2008<extension>" beside it as the output,
// unless the user named one (OutputForNewInput); paths may be typed into
// both fields.
//
// "Check receiver…" (1039), enabled while the layout is an NMEA one, audits the
// input as a receiver's NMEA log (nmea_audit.hpp) against the window's grid
// when it is a 2.5' or 1' one, else the best grid beside the internal database
// (AuditGrid), as a long run with meter and Cancel, and shows the report in
// words; it writes nothing.
#pragma once

#include <string>

#include "engine/geoid_grid.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/page_platform.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/points/point_file.hpp"
#include "tasks/common/replacing_output.hpp"

namespace egm2008 {

/// Control IDs of the file page.
namespace file_ids {
inline constexpr int kCalc = 1002;
inline constexpr int kViewInput = 1029;
inline constexpr int kInputPath = 1035;
inline constexpr int kInputButton = 1036;
inline constexpr int kOutputButton = 1037;
inline constexpr int kOutputPath = 1038;
inline constexpr int kCheckReceiver = 1039;  ///< "Check receiver…", enabled for GgaFromGps only
inline constexpr int kViewOutput = 1045;
inline constexpr int kFirstLayout = 1040;  ///< 1040..1044: LatLon .. GgaFromGps
inline constexpr int kLastLayout = 1044;
inline constexpr int kFirstMethod = 1047;  ///< 1047..1050: BiQuadratic .. NearestNeighbour
inline constexpr int kLastMethod = 1050;
/// The NMEA rewrite of any receiver's log (RunNmea), after the five layouts.
inline constexpr int kNmeaLayout = 1051;
}  // namespace file_ids

class PointFilePage {
public:
    /// The page talks to its window through `platform`, which must outlive it.
    explicit PointFilePage(PagePlatform& platform) : platform_(platform) {}

    /// Stores the grid (not owned), sets the paths to "<directory>/input.dat" and
    /// "<directory>/output.dat" and shows them, selects LatLon and BiQuadratic.
    /// The shell checks radios 1040 and 1047 to match layout() and method().
    /// The internal database is the one in `workingDirectory`, as the window's.
    void InitialiseFilePage(const GeoidGrid* grid, const std::string& workingDirectory);

    /// "Input-File": the open-file dialog's path replaces the input path; Cancel changes nothing.
    void BrowseInputFile();
    /// A file chosen elsewhere (dropped on the window, typed) becomes the input path.
    void SetInputPath(const std::string& path);
    /// "Output-File": the save-file dialog (which asks before overwriting), for the output path.
    void BrowseOutputFile();
    /// A path typed into the output field, or remembered from the last session.
    void SetOutputPath(const std::string& path);
    /// "View": the input file in the editor, not waited for.
    void ViewInputFile();
    /// "View": the output file in the editor, not waited for.
    void ViewOutputFile();

    /// Radio 1040..1044 or 1051 clicked (enables "Check receiver…" for the NMEA
    /// layouts only); other IDs change nothing.
    void SelectLayout(int radioId);
    /// Radio 1047..1050 clicked; other IDs change nothing.
    void SelectMethod(int radioId);

    /// "Calc!": the run over the whole input file.
    void CalculatePointFile();
    /// "Check receiver…": the input's NMEA log audited, its report shown.
    void CheckReceiver();

    const GeoidGrid* grid() const { return grid_; }
    const std::string& inputPath() const { return inputPath_; }
    const std::string& outputPath() const { return outputPath_; }
    /// The plain layout or GgaFromGps; meaningless while nmeaRewrite().
    PointFileLayout layout() const { return layout_; }
    /// True while the layout is the NMEA rewrite (radio 1051).
    bool nmeaRewrite() const { return nmeaRewrite_; }
    /// The radio of the layout chosen: 1040..1044 or 1051.
    int layoutRadio() const;
    InterpolationMethod method() const { return method_; }

private:
    // "Calc!" with the NMEA rewrite: the run and its end.
    void RewriteNmea(PointFileSetup& setup, ReplacingOutput& output);
    // The dialogs' files: NMEA logs first for the NMEA layouts.
    FileDialogText DialogText(const char* title) const;
    // After the run: the output kept, the count told and the status shown when
    // the run ended whole, else the output discarded and the user told why.
    void SettleRun(const PointFileOutcome& outcome, ReplacingOutput& output, double seconds);

    PagePlatform& platform_;
    const GeoidGrid* grid_ = nullptr;
    std::string internalDatabase_;
    std::string inputPath_;
    std::string outputPath_;
    std::string defaultOutput_;  // "output.dat" in the working directory
    PointFileLayout layout_ = PointFileLayout::LatLon;
    bool nmeaRewrite_ = false;
    InterpolationMethod method_ = InterpolationMethod::BiQuadratic;
};

}  // namespace egm2008
