// "egm2008 point": the manual page's calculation. Each method's routine is
// asked on its own, in the page's order, with the grid file opened per
// query; a negative longitude is shifted by +360 once. A method that fails
// shows "N/A" and makes the exit status 1; the others go on. With a height,
// each N (in the height's unit) is followed by the height converted with it.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.hpp"
#include "cli/run_cli.hpp"
#include "cli/messages.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/heights/heights.hpp"
#include "tasks/points/manual_point.hpp"

namespace egm2008::cli {

namespace {

constexpr std::size_t kLabelWidth = 16;

// One method's line: its label, N and, with a height, the converted height.
struct PointLine {
    const char* label;
    std::string undulation;
    std::string height;
};

std::vector<PointLine> PointLines(const ManualPointOutcome& outcome, const PointArgs& args) {
    std::vector<PointLine> lines;
    for (int k = 0; k < outcome.count; ++k) {
        const ManualPointResult& r = outcome.results[k];
        PointLine line{r.method->label, kNotAvailable, kNotAvailable};
        if (r.ok()) {
            const double n = static_cast<double>(r.value);
            line.undulation = FormatFixed(n / MetresPerUnit(args.unit), args.decimals);
            if (args.height)
                line.height = FormatFixed(ConvertHeight(*args.height, n, args.target, args.unit),
                                          args.decimals);
        }
        lines.push_back(line);
    }
    return lines;
}

// `text` right-aligned in `width`.
std::string RightAligned(const std::string& text, std::size_t width) {
    return std::string(width - std::min(width, text.size()), ' ') + text;
}

// The values of `outcome`, "N/A" where a method found none; alone when one was
// asked for, else labelled and right-aligned in columns, so that signs and
// points line up; the converted height after the letter of its kind.
std::string PointText(const ManualPointOutcome& outcome, const PointArgs& args) {
    const std::vector<PointLine> lines = PointLines(outcome, args);
    if (args.method) {
        const PointLine& line = lines.front();
        return line.undulation + (args.height ? " " + line.height : std::string()) + "\n";
    }
    std::size_t nWidth = 0;
    std::size_t hWidth = 0;
    for (const PointLine& line : lines) {
        nWidth = std::max(nWidth, line.undulation.size());
        hWidth = std::max(hWidth, line.height.size());
    }
    const char* letter = args.target == HeightTarget::Orthometric ? "   H " : "   h ";
    std::string text;
    for (const PointLine& line : lines) {
        text += line.label;
        text += std::string(kLabelWidth - std::string(line.label).size() + 1, ' ') +
                RightAligned(line.undulation, nWidth);
        if (args.height) text += letter + RightAligned(line.height, hWidth);
        text += "\n";
    }
    return text;
}

}  // namespace

int RunPoint(const PointArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    const ManualPointRequest request{args.latitude, args.longitude, args.method};
    const ManualPointOutcome outcome = ComputeManualPoint(*grid, request, console);
    if (!console.Out(PointText(outcome, args))) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    return outcome.allComputed() ? kExitOk : kExitFailure;
}

}  // namespace egm2008::cli
