#include "tasks/point_file_page.hpp"

#include <utility>

#include "engine/mapped_grid.hpp"
#include "tasks/manual_point.hpp"
#include "tasks/text_output.hpp"

namespace egm2008 {

namespace {

std::string InFolder(const std::string& directory, const char* name) {
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

}  // namespace

void PointFilePage::InitialiseFilePage(const GeoidGrid* grid, const std::string& workingDirectory) {
    grid_ = grid;
    inputPath_ = InFolder(workingDirectory, "input.dat");
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
    outputPath_ = InFolder(workingDirectory, "output.dat");
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
    layout_ = PointFileLayout::LatLon;
    method_ = InterpolationMethod::BiQuadratic;
}

void PointFilePage::BrowseInputFile() {
    std::string path = platform_.OpenFileDialog();
    if (path.empty()) return;  // cancelled: the path stays as it was
    inputPath_ = std::move(path);
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
}

void PointFilePage::BrowseOutputFile() {
    std::string path = platform_.SaveFileDialog();
    if (path.empty()) return;
    outputPath_ = std::move(path);
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
}

void PointFilePage::ViewInputFile() { platform_.StartEditor(inputPath_, false); }

void PointFilePage::ViewOutputFile() { platform_.StartEditor(outputPath_, false); }

void PointFilePage::SelectLayout(int radioId) {
    if (radioId < file_ids::kFirstLayout || radioId > file_ids::kLastLayout) return;
    layout_ = static_cast<PointFileLayout>(radioId - file_ids::kFirstLayout);
}

void PointFilePage::SelectMethod(int radioId) {
    if (radioId < file_ids::kFirstMethod || radioId > file_ids::kLastMethod) return;
    method_ = static_cast<InterpolationMethod>(radioId - file_ids::kFirstMethod);
}

void PointFilePage::CalculatePointFile() {
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }
    PointFileSetup setup;
    if (const auto refusal = SetUpPointFile({inputPath_, outputPath_}, *grid_, platform_, setup)) {
        if (!refusal->empty()) platform_.Notify(*refusal, NoticeIcon::None);
        return;
    }
    TextOutput output;
    if (!output.Open(outputPath_)) {
        platform_.Notify(OutputOpenMessage(outputPath_), NoticeIcon::None);
        return;
    }

    platform_.SetCursor(CursorShape::Wait);
    const PointFileOutcome outcome = RunPointFile(
        setup.input, output, *grid_, setup.mapped, layout_, method_, [this](std::int64_t computed) {
            platform_.SetFieldText(file_ids::kCalc, std::to_string(computed));
            platform_.KeepAlive();
        });
    setup.input.Close();
    platform_.SetCursor(CursorShape::Arrow);
    platform_.SetFieldText(file_ids::kCalc, kCalcCaption);
    platform_.Notify(OutcomeMessage(outcome, inputPath_, outputPath_), NoticeIcon::None);
}

}  // namespace egm2008
