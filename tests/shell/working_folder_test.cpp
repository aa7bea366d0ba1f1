// Where the program works: real folders under a temporary root.
#include "shell/working_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;
using test::WriteFile;

class WorkingFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = scratch_.path();
        fs::create_directories(root / "cwd");
        fs::create_directories(root / "share");
        installed = (root / "share").string();
        WriteFile(root / "share" / kInternalGridName, "grid");
        WriteFile(root / "share" / kVersionNotesName, "notes");
        WriteFile(root / "share" / kSamplePointFileName, "51.5 0.0 sample\n");
        user = (root / "home" / "egm2008").string();
    }
    test::ScratchFolder scratch_;
    fs::path root;
    std::string installed;
    std::string user;
};

TEST_F(WorkingFolderTest, AFolderHoldingTheDatabaseIsKept) {
    WriteFile(root / "cwd" / kInternalGridName, "local grid");
    const std::string cwd = (root / "cwd").string();
    EXPECT_EQ(ChooseWorkingFolder(cwd, installed, user), cwd);
    EXPECT_FALSE(fs::exists(user));
}

TEST_F(WorkingFolderTest, WithoutAnInstalledDatabaseTheFolderIsKept) {
    const std::string cwd = (root / "cwd").string();
    EXPECT_EQ(ChooseWorkingFolder(cwd, "", user), cwd);
    EXPECT_FALSE(fs::exists(user));
}

TEST_F(WorkingFolderTest, TheFirstInstalledStartMakesTheUserFolderWithLinksAndASample) {
    const std::string cwd = (root / "cwd").string();
    ASSERT_EQ(ChooseWorkingFolder(cwd, installed, user), user);
    const fs::path folder(user);
    EXPECT_TRUE(fs::is_symlink(folder / kInternalGridName));
    EXPECT_EQ(fs::read_symlink(folder / kInternalGridName), root / "share" / kInternalGridName);
    EXPECT_TRUE(fs::is_symlink(folder / kVersionNotesName));
    EXPECT_EQ(ReadFile(folder / kVersionNotesName), "notes");
    // The sample is a copy the user may change without touching the installed file.
    EXPECT_FALSE(fs::is_symlink(folder / kSamplePointFileName));
    EXPECT_EQ(ReadFile(folder / kSamplePointFileName), "51.5 0.0 sample\n");
}

TEST_F(WorkingFolderTest, ALaterStartKeepsTheUsersFilesAndMendsABrokenLink) {
    const std::string cwd = (root / "cwd").string();
    ASSERT_EQ(ChooseWorkingFolder(cwd, installed, user), user);
    const fs::path folder(user);
    WriteFile(folder / kSamplePointFileName, "my own points\n");
    // The installation moved: the old link dangles.
    fs::remove(folder / kInternalGridName);
    fs::create_symlink(root / "gone" / kInternalGridName, folder / kInternalGridName);

    ASSERT_EQ(ChooseWorkingFolder(cwd, installed, user), user);
    EXPECT_EQ(ReadFile(folder / kSamplePointFileName), "my own points\n");
    EXPECT_EQ(ReadFile(folder / kInternalGridName), "grid");
}

TEST_F(WorkingFolderTest, AUserFolderThatCannotBeMadeKeepsTheCurrentFolder) {
    const std::string cwd = (root / "cwd").string();
    WriteFile(root / "home", "a file where the folder should go");
    EXPECT_EQ(ChooseWorkingFolder(cwd, installed, user), cwd);
}

// Regression: started in a removed folder, the program aborted on an uncaught exception.
TEST_F(WorkingFolderTest, AFolderThatNoLongerExistsGivesTheUserFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(root / "cwd");
    fs::remove(root / "cwd");
    const std::string current = CurrentFolder();
    fs::current_path(previous);
    EXPECT_EQ(current, "");
    EXPECT_EQ(ChooseWorkingFolder("", "", user), user);
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_EQ(ChooseWorkingFolder("", installed, user), user);
    EXPECT_TRUE(fs::is_symlink(fs::path(user) / kInternalGridName));
    EXPECT_EQ(ChooseWorkingFolder("", installed, ""), "");
}

TEST_F(WorkingFolderTest, TheInstalledDataIsTheFirstCandidateHoldingTheDatabase) {
    const std::string empty = (root / "cwd").string();
    EXPECT_EQ(FindInstalledData({"", empty, installed}), installed);
    EXPECT_EQ(FindInstalledData({empty, (root / "nowhere").string()}), "");
}

}  // namespace
}  // namespace egm2008
