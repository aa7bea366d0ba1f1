// The "EGM2008 Gridmaker" page: checks the area and spacings typed in its six
// fields, then writes the lattice (grid_lattice.hpp) to the output file with
// the chosen method.
//
// Fields are read as field_text.hpp reads them (a text that is no number is
// refused, naming the field) and written back as "%.8lf" once they pass their
// check; every field that fails is marked with its reason (FieldRefusals), the
// focus goes into the first, and the run ends with nothing written. Latitudes
// must lie in -90..90, longitudes in -360..360 (both inclusive), spacings (arc
// minutes) must not be negative and, in degrees, not below 1e-8. The output is
// refused when it is the grid file in use; the grid is opened and checked
// before the output is opened, so a grid that fails gives its message and
// leaves the output as it was. The page writes a regular output under a
// temporary name and puts it in place only when the lattice is whole; a run
// that stops early (the engine could not answer a node, a write failed, the
// user cancelled) leaves the previous file byte for byte and says so. The
// lattice runs through PagePlatform::RunLong with its nodes as the meter, the
// status line saying how many it computes; a finished run shows only its
// status line.
//
// The page writes the format chosen in its picker (Text, the xyz lines, by
// default); the save dialog offers that format's files. Every run also keeps
// its lattice as a colour map (colour_map.hpp) when a picture takes it (up to
// kMapColumnLimit columns): after a whole run "Show map" opens it in a window
// of its own; a run that failed, or kept no map, disables it.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/page_platform.hpp"
#include "tasks/common/replacing_output.hpp"

namespace egm2008 {

/// Control IDs of the gridmaker page.
namespace gridmaker_ids {
inline constexpr int kLatitude1 = 1009;
inline constexpr int kLongitude1 = 1010;
inline constexpr int kLatitude2 = 1011;
inline constexpr int kLongitude2 = 1012;
inline constexpr int kLatSpacing = 1013;
inline constexpr int kLonSpacing = 1014;
inline constexpr int kOutputFileButton = 1006;
inline constexpr int kOutputPath = 1034;
inline constexpr int kViewButton = 1045;
inline constexpr int kCalcButton = 1016;
inline constexpr int kBiQuadraticRadio = 1047;
inline constexpr int kBiLinearRadio = 1048;
inline constexpr int kTriangulationRadio = 1049;
inline constexpr int kNearestRadio = 1050;
inline constexpr int kFormatChoice = 1060;
inline constexpr int kShowMapButton = 1061;
}  // namespace gridmaker_ids

/// The page's output formats, by the index of its format picker: the rows the
/// window offers (LatticeFormatInfo::pickerPlace), in their places.
std::span<const LatticeFormat> GridmakerFormats();

/// The six values of the area, in the order the gridmaker checks them.
enum class GridmakerField { Latitude1, Longitude1, Latitude2, Longitude2, LatSpacing, LonSpacing };
inline constexpr int kGridmakerFields = 6;

/// A gridmaker run as the page and `egm2008 grid` ask for it.
struct GridmakerRequest {
    double values[kGridmakerFields] = {};  ///< by GridmakerField; spacings in arc minutes
    std::string outputName;                ///< the output as messages name it
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    TideSystem tide = TideSystem::TideFree;     ///< the system of N (tide_system.hpp)
    LatticeFormat format = LatticeFormat::Xyz;  ///< the page writes xyz
    /// A picture's width in pixels (the long side); 0: as the lattice asks.
    int pictureWidth = 0;
    /// A picture's colours: fitted to the lattice's range, or symmetric about 0.
    ColourFit colourFit = ColourFit::Fitted;
    /// Whether a picture shows the coastlines (coastlines.hpp).
    bool coastlines = true;
};

/// What the checks of a request found: the message of the first that failed
/// and, when all pass, the lattice's area.
struct GridmakerCheck {
    std::string message;       ///< empty when all pass
    bool fieldFailed = false;  ///< a field's own check failed, not the smallest step
    LatticeArea area;
};

/// How a gridmaker run that wrote its output ended.
struct GridmakerOutcome {
    LatticeOutcome lattice;
    bool closed = false;     ///< the output closed without an error
    std::string endMessage;  ///< what to tell the user; "" after a whole lattice
    /// Why a picture that was to show coastlines has none; "" when it has them.
    std::string coastlineNote;
};

/// The check of field `field` holding `value`: its message, or nullptr when it
/// passes. Bounds are inclusive; a NaN fails (neither a field read nor the
/// command line's number parsing yields one).
const char* GridmakerFieldCheck(GridmakerField field, double value);

/// Every field's check in turn, then the smallest step (kLatticeSlack), then
/// whether the request's format holds the lattice (LatticeRefusalMessage, which
/// names those of `offered` that would hold it; all formats when empty).
GridmakerCheck CheckGridmakerRequest(const GridmakerRequest& request,
                                     std::span<const LatticeFormat> offered = {});

/// What the files of `request`'s run on `grid` tell of it (lattice_format_info.hpp):
/// the northern latitude of its corners, the grid file's name without its
/// folder, the method's label, the colour map's title, the picture's width and colours.
LatticeDescription LatticeDescriptionOf(const GridmakerRequest& request, const GeoidGrid& grid);

/// Writes the lattice of `area` (from CheckGridmakerRequest) to `output` in the
/// request's format (through its row's raster, if it has one), querying
/// `grid` through `mapped`, closes `output` and says how the run ended. A
/// picture asked to show coastlines reads them first (MapCoastlines); `view`,
/// when given, gets the lattice's rows too.
GridmakerOutcome WriteGridmakerOutput(const GridmakerRequest& request, const LatticeArea& area,
                                      TextOutput& output, const GeoidGrid& grid, MappedGrid& mapped,
                                      const LatticeProgress& progress,
                                      LatticeRaster* view = nullptr);

/// Output file of a page that has not chosen one, relative to the working directory.
inline constexpr const char* kDefaultGridOutput = "Output.txt";

class GridmakerPage {
public:
    /// The page talks to its window through `platform`, which must outlive it.
    explicit GridmakerPage(PagePlatform& platform) : platform_(platform) {}
    ~GridmakerPage();

    /// The format picker's items with Text chosen, and "Show map" disabled, as at start-up.
    void InitialiseGridmakerPage();

    /// The grid the next run reads (not owned; null until set).
    void SetGrid(const GeoidGrid* grid) { grid_ = grid; }

    /// "Calc!": checks the fields, then writes the lattice to outputPath().
    void RunGridmaker();
    /// "Output-File": the save dialog's answer becomes the output path; Cancel changes nothing.
    void BrowseOutputFile();
    /// A path typed into the output field, or remembered from the last session.
    void SetOutputPath(const std::string& path);
    /// "View": opens the output file in the editor without waiting.
    void ViewOutputFile();
    /// A method radio button: the method of the next run.
    void SelectMethod(InterpolationMethod method) { method_ = method; }
    /// The format picker's item `index`: the format of the next run. An output
    /// still named as by default ("Output.txt") takes the format's extension.
    void SelectFormat(int index);
    /// "Show map": the colour map of the last whole run in a window of its own.
    void ShowMap();

    InterpolationMethod method() const { return method_; }
    LatticeFormat format() const { return format_; }
    const std::string& outputPath() const { return outputPath_; }

private:
    // The run after the checks: the output refusal, the grid, the output, the lattice.
    void WriteLattice(const GridmakerRequest& request, const LatticeArea& area);
    // After the lattice: the output kept and the status shown when the run ended
    // whole (true), else the output discarded and the user told why.
    bool SettleLattice(const GridmakerOutcome& outcome, ReplacingOutput& output, double seconds);

    PagePlatform& platform_;
    const GeoidGrid* grid_ = nullptr;
    std::string outputPath_ = kDefaultGridOutput;
    InterpolationMethod method_ = InterpolationMethod::BiQuadratic;
    int formatIndex_ = 0;
    LatticeFormat format_ = LatticeFormat::Xyz;
    std::unique_ptr<MapAccumulator> map_;  // the last whole run's lattice
    std::string mapTitle_;
};

}  // namespace egm2008
