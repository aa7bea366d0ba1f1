// The database selection without a window: a recording stand-in for the
// controls, the real GeoidGrid, names as a file dialog would return them (files
// that are not there are known by their names only) and grid files written here.
#include "shell/database_selection.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/grid_choice.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using namespace database_id;

constexpr const char* kWorkDir = "/home/user/geoid";
constexpr const char* kBigEndian2_5 = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree";
constexpr const char* kLittleEndian2_5 = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE";

class FakeControls : public DatabaseControls {
public:
    std::map<int, bool> checked;
    std::map<int, bool> enabled;
    std::map<int, std::string> text;
    std::deque<std::string> dialogAnswers;  ///< an empty queue answers "", a cancel
    std::vector<std::string> notices;
    std::vector<NoticeIcon> icons;
    int dialogs = 0;

    void SetChecked(int id, bool on) override { checked[id] = on; }
    bool IsChecked(int id) override { return checked[id]; }
    void SetEnabled(int id, bool on) override { enabled[id] = on; }
    void SetText(int id, const std::string& value) override { text[id] = value; }
    std::vector<std::string> dialogFolders;

    std::string OpenFileDialog(const std::string& folder) override {
        ++dialogs;
        dialogFolders.push_back(folder);
        if (dialogAnswers.empty()) return {};
        std::string answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    void Notify(const std::string& message, NoticeIcon icon) override {
        notices.push_back(message);
        icons.push_back(icon);
    }

    /// The one grid-size radio checked: 1024, 1025 or 1026; 0 unless exactly one is.
    int CheckedSizeRadio() {
        int found = 0;
        for (int id : {kGrid1x1, kGrid2_5, kGrid10}) {
            if (checked[id]) {
                if (found != 0) return 0;
                found = id;
            }
        }
        return found;
    }
};

class DatabaseSelectionTest : public ::testing::Test {
protected:
    void Start() { selection.Initialise(controls, kWorkDir); }
    void Pick(const std::string& path) {
        controls.dialogAnswers.push_back(path);
        selection.ChooseGridFile(controls);
    }
    void ExpectGrid(GridSize size, bool bigEndian) {
        EXPECT_EQ(grid.gridSize, size);
        EXPECT_EQ(grid.lastColumn, LastColumnOf(size));
        EXPECT_EQ(grid.latSpacing, SpacingOf(size));
        EXPECT_EQ(grid.lonSpacing, SpacingOf(size));
        EXPECT_EQ(grid.bigEndian, bigEndian);
    }

    GeoidGrid grid;
    DatabaseSelection selection{grid};
    FakeControls controls;
};

const std::string kInternalPath = std::string(kWorkDir) + "/" + kInternalGridName;

TEST_F(DatabaseSelectionTest, StartsOnTheCheckedInternalDatabaseWithItsControlsDisabled) {
    Start();
    EXPECT_TRUE(selection.useInternal());
    EXPECT_EQ(grid.path, kInternalPath);
    EXPECT_EQ(controls.text[kPath], kInternalPath);
    EXPECT_TRUE(controls.checked[kInternal]);
    EXPECT_FALSE(controls.checked[kExternal]);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid10);
    EXPECT_FALSE(controls.checked[kBigEndian]);
    for (int id : {kBigEndian, kGrid1x1, kGrid2_5, kGrid10, kChooseFile, kPath}) {
        ASSERT_TRUE(controls.enabled.count(id)) << id;
        EXPECT_FALSE(controls.enabled[id]) << id;
    }
    ExpectGrid(GridSize::Grid10x10, false);
    EXPECT_TRUE(controls.notices.empty());
}

TEST_F(DatabaseSelectionTest, ExternalRightAfterStartRestoresTheBareDefaultName) {
    Start();
    selection.SelectExternalDatabase(controls);
    EXPECT_FALSE(selection.useInternal());
    EXPECT_EQ(grid.path, kInternalGridName);
    EXPECT_EQ(controls.text[kPath], kInternalGridName);
    ExpectGrid(GridSize::Grid10x10, false);
    for (int id : {kBigEndian, kGrid1x1, kGrid2_5, kGrid10, kChooseFile, kPath}) {
        EXPECT_TRUE(controls.enabled[id]) << id;
    }
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid10);
    EXPECT_EQ(controls.dialogs, 0);
}

struct NamedCase {
    const char* path;
    GridSize size;
    bool bigEndian;
};

TEST_F(DatabaseSelectionTest, PickedFilesAreRecognisedByNameInAnyFolder) {
    const NamedCase cases[] = {
        {"/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree", GridSize::Grid2_5x2_5, true},
        {"/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE", GridSize::Grid2_5x2_5, false},
        {"/mnt/usb/egm/Und_min1x1_egm2008_isw=82_WGS84_TideFree_SE", GridSize::Grid1x1, false},
        {"/x/Und_min1x1_egm2008_isw=82_WGS84_TideFree", GridSize::Grid1x1, true},
        {"/x/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE", GridSize::Grid10x10, false},
        // A copy with a suffix still holds the little-endian name, which is tried first.
        {"/x/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE.bak", GridSize::Grid2_5x2_5, false},
    };
    Start();
    selection.SelectExternalDatabase(controls);
    for (const NamedCase& c : cases) {
        // Start every pick from a state the name must change: 10', big-endian set by hand.
        selection.SelectGridSize(GridSize::Grid10x10);
        controls.checked[kBigEndian] = true;
        selection.ReadByteOrder(controls);
        Pick(c.path);
        SCOPED_TRACE(c.path);
        EXPECT_EQ(grid.path, c.path);
        EXPECT_EQ(controls.text[kPath], c.path);
        ExpectGrid(c.size, c.bigEndian);
        EXPECT_EQ(controls.CheckedSizeRadio(), kGrid1x1 + static_cast<int>(c.size));
        EXPECT_EQ(controls.checked[kBigEndian], c.bigEndian);
    }
}

TEST_F(DatabaseSelectionTest, UnknownNamesLeaveSizeAndByteOrderAsTheyWere) {
    const char* const unknown[] = {
        "/grids/geoid.bin",
        // No big-endian 10' entry: the big-endian twin of the internal name is not known.
        "/grids/Und_min10x10_egm2008_isw=82_WGS84_TideFree",
        // A known name counts only from the second character on.
        kBigEndian2_5,
        kLittleEndian2_5,
    };
    Start();
    selection.SelectExternalDatabase(controls);
    for (const char* path : unknown) {
        selection.SelectGridSize(GridSize::Grid1x1);
        controls.checked[kBigEndian] = true;
        selection.ReadByteOrder(controls);
        Pick(path);
        SCOPED_TRACE(path);
        EXPECT_EQ(grid.path, path);
        ExpectGrid(GridSize::Grid1x1, true);
        EXPECT_EQ(controls.CheckedSizeRadio(), kGrid1x1);
    }
}

TEST_F(DatabaseSelectionTest, OnlyTheFirstOccurrenceOfANameIsLookedAt) {
    EXPECT_FALSE(RecogniseGridName(std::string(kBigEndian2_5) + "/" + kBigEndian2_5));
    ASSERT_TRUE(RecogniseGridName(std::string("./") + kBigEndian2_5));
}

TEST_F(DatabaseSelectionTest, CancellingTheFileDialogKeepsPathSizeAndByteOrder) {
    Start();
    selection.SelectExternalDatabase(controls);
    Pick("/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    selection.ChooseGridFile(controls);  // no answer queued: Cancel
    EXPECT_EQ(grid.path, "/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    EXPECT_EQ(controls.text[kPath], grid.path);
    ExpectGrid(GridSize::Grid2_5x2_5, true);
}

TEST_F(DatabaseSelectionTest, TheFileDialogOpensInTheFirstGridFolderThatExists) {
    test::ScratchFolder scratch;
    std::filesystem::create_directories(scratch.File("b"));
    const test::EnvironmentVariable folders("EGM2008_GRID_PATH",
                                            scratch.File("a") + ":" + scratch.File("b"));
    Start();
    selection.SelectExternalDatabase(controls);
    selection.ChooseGridFile(controls);
    EXPECT_EQ(controls.dialogFolders, std::vector<std::string>{scratch.File("b")});
}

TEST_F(DatabaseSelectionTest, InternalShowsItsOwnSizeAndByteOrderAndExternalGetsItsBack) {
    Start();
    selection.SelectExternalDatabase(controls);
    Pick("/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    selection.SelectInternalDatabase(controls);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid10);
    EXPECT_FALSE(controls.checked[kBigEndian]);
    const std::string unread = " (cannot be read: No such file or directory)";
    EXPECT_EQ(selection.Description(),
              std::string("Internal database: EGM2008 10' x 10', little-endian, ") + kInternalGridName +
                  unread + " in " + kWorkDir);
    selection.SelectExternalDatabase(controls);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid2_5);
    EXPECT_TRUE(controls.checked[kBigEndian]);
    EXPECT_EQ(selection.Description(),
              "External database: EGM2008 2.5' x 2.5', big-endian, "
              "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree" +
                  unread + " in /grids");
}

TEST_F(DatabaseSelectionTest, ADroppedGridBecomesTheExternalDatabaseOfItsKind) {
    test::ScratchFolder scratch;
    const std::string path = scratch.File("geoid.bin");
    test::WriteProbedGrid(path, test::kShape1, true);
    Start();
    selection.UseGridFile(controls, path);
    EXPECT_FALSE(selection.useInternal());
    EXPECT_TRUE(controls.checked[kExternal]);
    EXPECT_FALSE(controls.checked[kInternal]);
    EXPECT_TRUE(controls.enabled[kGrid1x1]);
    EXPECT_EQ(grid.path, path);
    EXPECT_EQ(controls.text[kPath], path);
    ExpectGrid(GridSize::Grid1x1, true);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid1x1);
    EXPECT_TRUE(controls.checked[kBigEndian]);
}

// A chosen file sets the size and byte order it holds, whatever its name and whatever was
// set before; what is wrong with it is on the status line at once.
struct ContentCase {
    const char* name;
    test::Shape shape;
    bool bigEndian;
    std::int64_t resize;  ///< bytes added (negative: cut off) after writing it whole
    GridSize size;        ///< what the radios then show
    bool shownBigEndian;
    std::string note;            ///< what the status line adds after the file's name
    const char* text = nullptr;  ///< the file's whole content instead of a grid
};

TEST_F(DatabaseSelectionTest, PickedFilesSetTheKindTheyHold) {
    const std::string hint = "no EGM2008 grid file: 4 bytes";
    const ContentCase cases[] = {
        {"mygrid.bin", test::kShape10, false, 0, GridSize::Grid10x10, false, ""},
        // There is no big-endian 10' name; the file tells.
        {"Und_min10x10_egm2008_isw=82_WGS84_TideFree", test::kShape10, true, 0, GridSize::Grid10x10,
         true, ""},
        {kLittleEndian2_5, test::kShape1, true, 0, GridSize::Grid1x1, true, ""},
        {"half.bin", test::kShape10, false, -4348488, GridSize::Grid10x10, false,
         " (truncated: 5.0 of 9.3 MB)"},
        // Not a grid at all: the name decides where it is one of NGA's.
        {"points.txt", {}, false, 0, GridSize::Grid2_5x2_5, true, " (" + hint + ")", "48 1"},
        {kLittleEndian2_5, {}, false, 0, GridSize::Grid2_5x2_5, false, " (" + hint + ")", "48 1"},
    };
    test::ScratchFolder scratch;
    Start();
    selection.SelectExternalDatabase(controls);
    for (const ContentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.File(c.name);
        if (c.text != nullptr) {
            test::WriteFile(path, c.text);
        } else {
            test::WriteProbedGrid(path, c.shape, c.bigEndian);
            std::filesystem::resize_file(
                path, static_cast<std::uintmax_t>(
                          static_cast<std::int64_t>(std::filesystem::file_size(path)) + c.resize));
        }
        // From a state the file must change: 2.5', big-endian.
        selection.SelectGridSize(GridSize::Grid2_5x2_5);
        controls.checked[kBigEndian] = true;
        selection.ReadByteOrder(controls);
        Pick(path);
        ExpectGrid(c.size, c.shownBigEndian);
        EXPECT_EQ(controls.CheckedSizeRadio(), kGrid1x1 + static_cast<int>(c.size));
        EXPECT_EQ(controls.checked[kBigEndian], c.shownBigEndian);
        EXPECT_EQ(selection.Description().substr(selection.Description().find(c.name)),
                  c.name + c.note + " in " + scratch.path());
    }
}

TEST_F(DatabaseSelectionTest, InsistingOnAnotherKindIsAllowedAndTheStatusSaysWhatTheFileIs) {
    test::ScratchFolder scratch;
    const std::string path = scratch.File("mygrid.bin");
    test::WriteProbedGrid(path, test::kShape10, false);
    Start();
    selection.SelectExternalDatabase(controls);
    Pick(path);
    selection.SelectGridSize(GridSize::Grid2_5x2_5);
    EXPECT_EQ(selection.Description(),
              "External database: EGM2008 2.5' x 2.5', little-endian, mygrid.bin (the file is 10' x 10', "
              "little-endian) in " +
                  scratch.path());
    selection.SelectGridSize(GridSize::Grid10x10);
    EXPECT_EQ(selection.Description(),
              "External database: EGM2008 10' x 10', little-endian, mygrid.bin in " + scratch.path());
}

TEST_F(DatabaseSelectionTest, InternalAndBackRestoresSizeByteOrderAndPath) {
    Start();
    selection.SelectExternalDatabase(controls);
    Pick("/data/my-grid.bin");
    selection.SelectGridSize(GridSize::Grid1x1);
    controls.checked[kBigEndian] = true;
    selection.ReadByteOrder(controls);

    selection.SelectInternalDatabase(controls);
    EXPECT_EQ(grid.path, kInternalPath);
    ExpectGrid(GridSize::Grid10x10, false);
    EXPECT_FALSE(controls.enabled[kGrid1x1]);

    selection.SelectExternalDatabase(controls);
    EXPECT_EQ(grid.path, "/data/my-grid.bin");
    ExpectGrid(GridSize::Grid1x1, true);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid1x1);
    EXPECT_TRUE(controls.checked[kBigEndian]);
    EXPECT_TRUE(controls.enabled[kBigEndian]);
}

TEST_F(DatabaseSelectionTest, ASecondInternalClickRemembersTheInternalFileAsExternal) {
    Start();
    selection.SelectExternalDatabase(controls);
    Pick("/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    selection.SelectInternalDatabase(controls);
    selection.SelectInternalDatabase(controls);
    selection.SelectExternalDatabase(controls);
    EXPECT_EQ(grid.path, kInternalPath);
    ExpectGrid(GridSize::Grid10x10, false);
}

TEST_F(DatabaseSelectionTest, GridSizeRadiosKeepByteOrderAndPathAndValidateNothing) {
    Start();
    selection.SelectExternalDatabase(controls);
    Pick("/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    selection.SelectGridSize(GridSize::Grid1x1);
    ExpectGrid(GridSize::Grid1x1, true);
    selection.SelectGridSize(GridSize::Grid10x10);
    ExpectGrid(GridSize::Grid10x10, true);
    EXPECT_EQ(grid.path, "/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    EXPECT_TRUE(controls.notices.empty());
}

TEST_F(DatabaseSelectionTest, TheByteOrderFollowsTheCheckBox) {
    Start();
    selection.SelectExternalDatabase(controls);
    controls.checked[kBigEndian] = true;
    selection.ReadByteOrder(controls);
    EXPECT_TRUE(grid.bigEndian);
    controls.checked[kBigEndian] = false;
    selection.ReadByteOrder(controls);
    EXPECT_FALSE(grid.bigEndian);
}

TEST_F(DatabaseSelectionTest, RefreshLooksAtTheLatitudeSpacingOnlyAndKeepsBothSpacings) {
    Start();
    selection.SelectExternalDatabase(controls);
    grid.latSpacing = kSpacing2_5x2_5;
    grid.lonSpacing = kSpacing1x1;
    selection.RefreshDatabaseControls(controls);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid2_5);
    EXPECT_EQ(grid.gridSize, GridSize::Grid2_5x2_5);
    EXPECT_EQ(grid.lastColumn, 8639);
    EXPECT_EQ(grid.lonSpacing, kSpacing1x1);

    // A spacing that is none of the three counts as 10'.
    grid.latSpacing = 0.5;
    selection.RefreshDatabaseControls(controls);
    EXPECT_EQ(controls.CheckedSizeRadio(), kGrid10);
    EXPECT_EQ(grid.lastColumn, 2159);
    EXPECT_EQ(grid.latSpacing, 0.5);
}

TEST_F(DatabaseSelectionTest, ARememberedSpacingOfZeroComesBackAsTenMinutes) {
    grid.latSpacing = 0.0;
    grid.lonSpacing = -1.0;
    Start();
    selection.SelectExternalDatabase(controls);
    EXPECT_EQ(grid.latSpacing, kSpacing10x10);
    EXPECT_EQ(grid.lonSpacing, kSpacing10x10);
}

TEST_F(DatabaseSelectionTest, HelpShowsTheSamplesWithoutAnIcon) {
    Start();
    selection.ShowHelp(controls);
    ASSERT_EQ(controls.notices.size(), 1u);
    EXPECT_EQ(controls.icons[0], NoticeIcon::None);
    const std::string& text = controls.notices[0];
    EXPECT_EQ(text.rfind("Here you use the internal 10'x10'-database.\n\n", 0), 0u);
    EXPECT_NE(
        text.find(
            "File \"Und_min1x1_egm2008_isw=82_WGS84_TideFree_SE\" is a 1'x1' gridfile in Small "
            "Endian byte format.\n"),
        std::string::npos);
    EXPECT_NE(text.find("is a 2.5'x2.5' gridfile in Big Endian byte format."), std::string::npos);
}

// --- the model radios ---------------------------------------------------------------

// A node value that differs from node to node.
float ModelNode(std::int32_t row, std::int32_t column) {
    return static_cast<float>(row - column) * 0.01f;
}

constexpr const char* kBigEndian10Name = "Und_min10x10_egm2008_isw=82_WGS84_TideFree";

// The grid folders hold EGM96's file only; "mine" holds the files a user picks.
class ModelSelectionTest : public DatabaseSelectionTest {
protected:
    void SetUp() override {
        for (const char* sub : {"grids", "mine", "empty"}) {
            std::filesystem::create_directories(scratch.File(sub));
        }
        test::WriteModelGrid(scratch.File("grids/egm96.grd"), GeoidModel::Egm96, ModelNode);
        test::WriteModelGrid(scratch.File("mine/egm96.grd"), GeoidModel::Egm96, ModelNode);
        test::WriteModelGrid(scratch.File("mine/wwgrid.bin"), GeoidModel::Egm84, ModelNode);
        test::WriteConstantGrid(scratch.File(std::string("mine/") + kBigEndian10Name), 1.5f, true);
    }
    static bool Installed(const char* file) {
        return std::filesystem::exists(std::string(kSystemGridFolder) + "/" + file) ||
               std::filesystem::exists(std::string(kPackageGridFolder) + "/" + file);
    }

    test::ScratchFolder scratch;
    test::EnvironmentVariable folders{"EGM2008_GRID_PATH", scratch.File("grids")};
    test::EnvironmentVariable data{"XDG_DATA_HOME", scratch.File("empty")};
};

struct ModelCase {
    const char* name;
    const char* picked;  ///< a file of "mine" picked with the external database; nullptr: none
    std::optional<GeoidModel> clicked;  ///< the model radio clicked then
    GeoidModel model;                   ///< the grid's model after
    const char* file;    ///< the grid's file after, in the scratch folder; "": the internal one
    const char* status;  ///< the status line after, up to the file's folder
    const char* notice;  ///< the start of the message box's text; "": none
};

const ModelCase kModelCases[] = {
    {"FoldersFileOfTheModel", nullptr, GeoidModel::Egm96, GeoidModel::Egm96, "grids/egm96.grd",
     "External database: EGM96 15', egm96.grd in ", ""},
    {"PickedFileSetsItsModel", "wwgrid.bin", std::nullopt, GeoidModel::Egm84, "mine/wwgrid.bin",
     "External database: EGM84 30', wwgrid.bin in ", ""},
    {"PickedFileOfTheModelWins", "egm96.grd", GeoidModel::Egm96, GeoidModel::Egm96,
     "mine/egm96.grd", "External database: EGM96 15', egm96.grd in ", ""},
    {"PickedEgm2008FileGivesWay", kBigEndian10Name, GeoidModel::Egm96, GeoidModel::Egm96,
     "grids/egm96.grd", "External database: EGM96 15', egm96.grd in ", ""},
    {"MissingModelKeepsTheGrid", nullptr, GeoidModel::Egm84, GeoidModel::Egm2008, "",
     "Internal database: EGM2008 10' x 10', little-endian, ",
     "EGM84 grid not found: run `egm2008 grids install egm84`"},
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }

class ModelCaseTest : public ModelSelectionTest, public testing::WithParamInterface<ModelCase> {};

TEST_P(ModelCaseTest, ChosenModelAndFileGiveTheGridAndTheStatusLine) {
    const ModelCase& c = GetParam();
    if (Installed("wwgrid.bin")) GTEST_SKIP() << "EGM84's file is installed";
    Start();
    if (c.picked) {
        selection.SelectExternalDatabase(controls);
        Pick(scratch.File(std::string("mine/") + c.picked));
    }
    if (c.clicked) selection.SelectModel(controls, *c.clicked);

    EXPECT_EQ(grid.model, c.model);
    const std::string file = *c.file ? scratch.File(c.file) : kInternalPath;
    EXPECT_EQ(grid.path, file);
    EXPECT_EQ(controls.text[kPath], file);
    const std::string status = selection.Description();
    EXPECT_EQ(status.substr(0, std::string(c.status).size()), c.status) << status;
    if (*c.notice) {
        ASSERT_EQ(controls.notices.size(), 1u);
        EXPECT_EQ(controls.notices[0].rfind(c.notice, 0), 0u) << controls.notices[0];
        EXPECT_EQ(controls.icons[0], NoticeIcon::Error);
    } else {
        EXPECT_TRUE(controls.notices.empty()) << controls.notices.front();
    }
    // The radios show the model; size and byte order are open only for an external EGM2008 grid.
    EXPECT_EQ(controls.checked[kModelEgm2008], c.model == GeoidModel::Egm2008);
    EXPECT_EQ(controls.checked[kModelEgm96], c.model == GeoidModel::Egm96);
    EXPECT_EQ(controls.checked[kModelEgm84], c.model == GeoidModel::Egm84);
    const bool older = c.model != GeoidModel::Egm2008;
    for (int id : {kGrid1x1, kGrid2_5, kGrid10, kBigEndian}) {
        EXPECT_EQ(controls.enabled[id], !selection.useInternal() && !older) << id;
    }
    // An older model's descriptor is its file's, whatever the radios showed before.
    if (older) {
        const GeoidGrid expected = GridOfModel(file, c.model);
        EXPECT_EQ(grid.lastColumn, expected.lastColumn);
        EXPECT_EQ(grid.latSpacing, expected.latSpacing);
        EXPECT_TRUE(grid.bigEndian);
        EXPECT_FALSE(selection.useInternal());
        EXPECT_TRUE(controls.checked[kExternal]);
    }
}

INSTANTIATE_TEST_SUITE_P(Models, ModelCaseTest, testing::ValuesIn(kModelCases),
                         [](const auto& p) { return std::string(p.param.name); });

// EGM2008 after an older model brings back the internal database it replaced, controls
// disabled; the internal radio does too, and radio 1030 then brings back the external grid
// remembered before the older model.
TEST_F(ModelSelectionTest, LeavingAnOlderModelBringsBackTheEgm2008Grid) {
    if (Installed("wwgrid.bin")) GTEST_SKIP() << "EGM84's file is installed";
    Start();
    selection.SelectModel(controls, GeoidModel::Egm96);
    ASSERT_EQ(grid.model, GeoidModel::Egm96);
    selection.SelectModel(controls, GeoidModel::Egm2008);
    EXPECT_EQ(grid.model, GeoidModel::Egm2008);
    EXPECT_TRUE(selection.useInternal());
    EXPECT_TRUE(controls.checked[kInternal]);
    EXPECT_EQ(grid.path, kInternalPath);
    ExpectGrid(GridSize::Grid10x10, false);
    for (int id : {kGrid1x1, kGrid10, kBigEndian, kChooseFile, kPath}) {
        EXPECT_FALSE(controls.enabled[id]) << id;
    }

    // An external EGM2008 grid comes back the same way, its controls open again.
    const std::string mine = scratch.File(std::string("mine/") + kBigEndian10Name);
    selection.SelectExternalDatabase(controls);
    Pick(mine);
    ExpectGrid(GridSize::Grid10x10, true);
    selection.SelectModel(controls, GeoidModel::Egm84);  // found nowhere: nothing changes
    EXPECT_EQ(grid.path, mine);
    selection.SelectModel(controls, GeoidModel::Egm96);
    EXPECT_FALSE(controls.enabled[kGrid10]);
    selection.SelectModel(controls, GeoidModel::Egm2008);
    EXPECT_EQ(grid.path, mine);
    ExpectGrid(GridSize::Grid10x10, true);
    for (int id : {kGrid1x1, kGrid10, kBigEndian, kChooseFile, kPath}) {
        EXPECT_TRUE(controls.enabled[id]) << id;
    }
    EXPECT_EQ(selection.Description().rfind("External database: EGM2008 10' x 10', big-endian, ", 0), 0u);
    // An EGM2008 file picked while an older model is used brings EGM2008 back with it.
    selection.SelectModel(controls, GeoidModel::Egm96);
    Pick(mine);
    EXPECT_EQ(grid.model, GeoidModel::Egm2008);
    EXPECT_TRUE(controls.checked[kModelEgm2008]);
    ExpectGrid(GridSize::Grid10x10, true);

    selection.SelectModel(controls, GeoidModel::Egm96);
    selection.SelectInternalDatabase(controls);
    EXPECT_EQ(grid.model, GeoidModel::Egm2008);
    EXPECT_EQ(grid.path, kInternalPath);
    EXPECT_TRUE(controls.checked[kModelEgm2008]);
    selection.SelectExternalDatabase(controls);
    EXPECT_EQ(grid.path, mine);
    ExpectGrid(GridSize::Grid10x10, true);
}

// A remembered external grid that is an older model's file is that model's grid, whatever
// size and byte order were remembered with it.
TEST_F(ModelSelectionTest, RememberedOlderModelFileIsItsModel) {
    Start();
    selection.UseGridFile(controls, scratch.File("mine/wwgrid.bin"), GridSize::Grid2_5x2_5, false);
    EXPECT_EQ(grid.model, GeoidModel::Egm84);
    EXPECT_EQ(grid.lastColumn, GridOfModel(grid.path, GeoidModel::Egm84).lastColumn);
    EXPECT_TRUE(controls.checked[kModelEgm84]);
}

}  // namespace
}  // namespace egm2008
