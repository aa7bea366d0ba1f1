#include "shell/database_selection.hpp"

#include <cmath>
#include <utility>

#include "engine/grid_choice.hpp"
#include "engine/messages.hpp"

namespace egm2008 {

namespace {

using namespace database_id;

// The grids whose NGA file names (GridFileName) are recognised, in the order they are tried.
// Little-endian names first: each big-endian name is a prefix of its twin.
// There is no big-endian 10'x10' entry.
constexpr RecognisedGrid kNamedGrids[] = {
    {GridSize::Grid1x1, false}, {GridSize::Grid2_5x2_5, false}, {GridSize::Grid10x10, false},
    {GridSize::Grid1x1, true},  {GridSize::Grid2_5x2_5, true},
};

void SetGridSize(GeoidGrid& grid, GridSize size) {
    grid.gridSize = size;
    grid.lastColumn = LastColumnOf(size);
}

}  // namespace

std::optional<RecognisedGrid> RecogniseGridName(const std::string& path) {
    for (const RecognisedGrid& grid : kNamedGrids) {
        // Only the first occurrence is looked at, and one at the very start does not count.
        const std::size_t at = path.find(GridFileName(grid.size, grid.bigEndian));
        if (at != std::string::npos && at >= 1) return grid;
    }
    return std::nullopt;
}

void DatabaseSelection::Initialise(DatabaseControls& controls,
                                   const std::string& workingDirectory) {
    internalPath_ = workingDirectory + "/" + kInternalGridName;
    useInternal_ = true;
    // The grid still holds its defaults here, and they become the remembered external settings.
    SelectInternalDatabase(controls);
    controls.SetChecked(kInternal, useInternal_);
    controls.SetChecked(kExternal, !useInternal_);
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::SaveExternal() {
    savedExternalPath_ = grid_.path;
    savedLatSpacing_ = grid_.latSpacing;
    savedLonSpacing_ = grid_.lonSpacing;
    savedBigEndian_ = grid_.bigEndian;
}

void DatabaseSelection::SelectInternalDatabase(DatabaseControls& controls) {
    // The internal database is EGM2008's: an older model gives way to the EGM2008 grid it
    // replaced, and that grid, when external, is what radio 1030 brings back.
    const bool olderModel = grid_.model != GeoidModel::Egm2008;
    if (olderModel) grid_ = saved2008_;
    // Saved on every click, so a second click remembers the internal file as the external one.
    if (!olderModel || !saved2008Internal_) SaveExternal();

    controls.SetChecked(kInternal, true);
    controls.SetChecked(kExternal, false);

    grid_.latSpacing = kSpacing10x10;
    grid_.lonSpacing = kSpacing10x10;
    SetGridSize(grid_, GridSize::Grid10x10);

    grid_.path = internalPath_;
    JudgeFile();
    controls.SetText(kPath, grid_.path);

    for (int id : {kBigEndian, kGrid1x1, kGrid2_5, kGrid10, kChooseFile, kPath}) {
        controls.SetEnabled(id, false);
    }
    useInternal_ = true;

    // ValidateGrid shows its own message first when the spacing does not fit.
    if (ValidateGrid(grid_, false, kSpacing10x10, kSpacing10x10, controls) !=
        QueryStatus::StatusOk) {
        controls.Notify(kInitGeoidErrorMessage, NoticeIcon::Error);
    }
    // The disabled controls show what is used: 10' x 10', little-endian.
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::SelectExternalDatabase(DatabaseControls& controls) {
    // An older model's grid is already the external database.
    if (grid_.model != GeoidModel::Egm2008) {
        RefreshDatabaseControls(controls);
        return;
    }
    for (int id : {kBigEndian, kGrid1x1, kGrid2_5, kGrid10, kChooseFile, kPath}) {
        controls.SetEnabled(id, true);
    }
    grid_.path = savedExternalPath_;
    grid_.latSpacing = savedLatSpacing_ > 0.0 ? savedLatSpacing_ : kSpacing10x10;
    grid_.lonSpacing = savedLonSpacing_ > 0.0 ? savedLonSpacing_ : kSpacing10x10;
    useInternal_ = false;
    grid_.bigEndian = savedBigEndian_;
    JudgeFile();
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::ChooseGridFile(DatabaseControls& controls) {
    std::string chosen = controls.OpenFileDialog(FirstGridFolder());
    if (chosen.empty()) return;  // Cancel keeps the grid as it was
    UseGridPath(controls, chosen);
}

void DatabaseSelection::UseGridPath(DatabaseControls& controls, const std::string& path) {
    TakeGridFile(path);
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::UseGridFile(DatabaseControls& controls, const std::string& path) {
    if (useInternal_) SelectExternalDatabase(controls);
    controls.SetChecked(kInternal, false);
    controls.SetChecked(kExternal, true);
    TakeGridFile(path);
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::UseGridFile(DatabaseControls& controls, const std::string& path,
                                    GridSize size, bool bigEndian) {
    // An older model's file has no size or byte order to keep: it is its model's grid.
    if (!path.empty() && JudgeGridFile(path).model != GeoidModel::Egm2008) {
        UseGridFile(controls, path);
        return;
    }
    if (useInternal_) SelectExternalDatabase(controls);
    controls.SetChecked(kInternal, false);
    controls.SetChecked(kExternal, true);
    grid_.path = path;
    JudgeFile();
    SelectGridSize(size);
    grid_.bigEndian = bigEndian;
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::SelectModel(DatabaseControls& controls, GeoidModel model) {
    if (model == grid_.model) {
        RefreshDatabaseControls(controls);
        return;
    }
    if (model == GeoidModel::Egm2008) {
        RestoreEgm2008();
        RefreshDatabaseControls(controls);
        return;
    }
    GeoidGrid chosen;
    if (!useInternal_ && verdict_.model == model && verdict_.problem.empty()) {
        chosen = GridOfModel(grid_.path, model);
    } else if (std::string reason; !ChooseGrid(
                   GridRequest{std::nullopt, std::nullopt, std::nullopt, model}, chosen, reason)) {
        controls.Notify(reason, NoticeIcon::Error);
        RefreshDatabaseControls(controls);  // the radios show the model still in use
        return;
    }
    UseOlderModel(chosen);
    RefreshDatabaseControls(controls);
}

void DatabaseSelection::UseOlderModel(const GeoidGrid& chosen) {
    if (grid_.model == GeoidModel::Egm2008) {
        saved2008_ = grid_;
        saved2008Internal_ = useInternal_;
    }
    grid_ = chosen;
    useInternal_ = false;
    JudgeFile();
}

void DatabaseSelection::RestoreEgm2008() {
    grid_ = saved2008_;
    useInternal_ = saved2008Internal_;
    JudgeFile();
}

void DatabaseSelection::TakeGridFile(const std::string& path) {
    const GridVerdict verdict = path.empty() ? GridVerdict{} : JudgeGridFile(path);
    if (verdict.model != GeoidModel::Egm2008) {
        UseOlderModel(GridOfModel(path, verdict.model));
        return;
    }
    // Any other file is EGM2008's, in place of an older model's file.
    if (grid_.model != GeoidModel::Egm2008) grid_ = saved2008_;
    grid_.path = path;
    verdict_ = verdict;
    // What the file holds first; its name fills in what the file does not tell.
    std::optional<GridSize> size = verdict_.size;
    std::optional<bool> bigEndian = verdict_.bigEndian;
    if (const std::optional<RecognisedGrid> known = RecogniseGridName(path)) {
        if (!size) size = known->size;
        if (!bigEndian) bigEndian = known->bigEndian;
    }
    if (size) SelectGridSize(*size);
    if (bigEndian) grid_.bigEndian = *bigEndian;
}

void DatabaseSelection::JudgeFile() {
    verdict_ = grid_.path.empty() ? GridVerdict{} : JudgeGridFile(grid_.path);
}

std::string DatabaseSelection::FileNotes() const {
    std::string notes = verdict_.problem;
    // The user may insist on another kind than the file's; the line then says what it is.
    if (verdict_.size && verdict_.bigEndian &&
        (*verdict_.size != grid_.gridSize || *verdict_.bigEndian != grid_.bigEndian)) {
        notes += (notes.empty() ? "" : "; ") + GridKindNote(*verdict_.size, *verdict_.bigEndian);
    }
    return notes.empty() ? notes : " (" + notes + ")";
}

DatabaseSelection::ExternalGrid DatabaseSelection::External() const {
    // Only the latitude spacing tells the size, as in RefreshDatabaseControls.
    const double spacing = useInternal_ ? savedLatSpacing_ : grid_.latSpacing;
    ExternalGrid external{useInternal_ ? savedExternalPath_ : grid_.path, GridSize::Grid10x10,
                          useInternal_ ? savedBigEndian_ : grid_.bigEndian};
    for (const GridSize size : {GridSize::Grid1x1, GridSize::Grid2_5x2_5}) {
        if (std::fabs(spacing - SpacingOf(size)) < 1e-10) external.size = size;
    }
    return external;
}

void DatabaseSelection::RememberExternal(const ExternalGrid& grid) {
    savedExternalPath_ = grid.path;
    savedLatSpacing_ = SpacingOf(grid.size);
    savedLonSpacing_ = savedLatSpacing_;
    savedBigEndian_ = grid.bigEndian;
}

std::string DatabaseSelection::Description() const {
    static const char* const kSizes[] = {"1' x 1'", "2.5' x 2.5'", "10' x 10'"};
    std::string text = useInternal_ ? "Internal database: " : "External database: ";
    if (grid_.model != GeoidModel::Egm2008) {
        text += GridTitle(grid_) + ", ";  // one byte order and size: the title says it all
    } else {
        text += std::string("EGM2008 ") + kSizes[static_cast<int>(grid_.gridSize)];
        text += grid_.bigEndian ? ", big-endian, " : ", little-endian, ";
    }
    if (grid_.path.empty()) return text + "no file chosen";
    // The file's name first: a line too long for the window loses the folder, not the name.
    const std::size_t slash = grid_.path.rfind('/');
    if (slash == std::string::npos) return text + grid_.path + FileNotes();
    const std::string folder = slash == 0 ? std::string("/") : grid_.path.substr(0, slash);
    return text + grid_.path.substr(slash + 1) + FileNotes() + " in " + folder;
}

void DatabaseSelection::SelectGridSize(GridSize size) {
    grid_.latSpacing = SpacingOf(size);
    grid_.lonSpacing = grid_.latSpacing;
    SetGridSize(grid_, size);
}

void DatabaseSelection::ReadByteOrder(DatabaseControls& controls) {
    grid_.bigEndian = controls.IsChecked(kBigEndian);
}

void DatabaseSelection::RefreshDatabaseControls(DatabaseControls& controls) {
    controls.SetText(kPath, grid_.path);
    const bool olderModel = grid_.model != GeoidModel::Egm2008;
    controls.SetChecked(kInternal, useInternal_);
    controls.SetChecked(kExternal, !useInternal_);
    const std::pair<int, GeoidModel> models[] = {{kModelEgm2008, GeoidModel::Egm2008},
                                                 {kModelEgm96, GeoidModel::Egm96},
                                                 {kModelEgm84, GeoidModel::Egm84}};
    for (const auto& [id, model] : models) controls.SetChecked(id, model == grid_.model);
    for (int id : {kChooseFile, kPath}) controls.SetEnabled(id, !useInternal_);
    for (int id : {kBigEndian, kGrid1x1, kGrid2_5, kGrid10}) {
        controls.SetEnabled(id, !useInternal_ && !olderModel);
    }
    controls.SetChecked(kBigEndian, grid_.bigEndian);
    // An older model's spacing is none of the three sizes: its descriptor stays as it is.
    if (olderModel) return;
    // Only the latitude spacing decides; the spacings themselves stay as they are.
    GridSize size = GridSize::Grid10x10;
    if (std::fabs(grid_.latSpacing - kSpacing1x1) < 1e-10) {
        size = GridSize::Grid1x1;
    } else if (std::fabs(grid_.latSpacing - kSpacing2_5x2_5) < 1e-10) {
        size = GridSize::Grid2_5x2_5;
    }
    const int radios[] = {kGrid1x1, kGrid2_5, kGrid10};
    const int chosen = radios[static_cast<int>(size)];
    controls.SetChecked(chosen, true);
    for (int id : radios) {
        if (id != chosen) controls.SetChecked(id, false);
    }
    SetGridSize(grid_, size);
}

void DatabaseSelection::ShowHelp(DatabaseControls& controls) {
    controls.Notify(kDatabaseHelpText, NoticeIcon::None);
}

}  // namespace egm2008
