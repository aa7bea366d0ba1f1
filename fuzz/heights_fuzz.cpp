// Fuzz target: a whole delimited file converted by RunHeights through the real
// engine (the small fuzz grid), read from a regular file.
//
// Input: byte 0 picks the target (3), whether the height field is replaced,
// the decimal mark, whether the first data line is a header (told, yes, no) and
// whether the provenance comment is written; the rest is the file. Checked:
//   - a refused layout writes nothing;
//   - otherwise every input line comes out once, in order, with its own line
//     end, after the comment line when there is one;
//   - without replacing, each output line starts with its input line's text;
//   - every data line but the header is counted once.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "fuzz/small_grid.hpp"
#include "tasks/heights.hpp"

using namespace egm2008;
using egm2008::fuzz::SmallGrid;

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

std::string Slurp(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

// A temporary file that is gone when the object is.
struct TempFile {
    TempFile() {
        char name[] = "/tmp/egm2008-heights-fuzz-XXXXXX";
        fd = ::mkstemp(name);
        path = name;
    }
    ~TempFile() {
        if (fd >= 0) ::close(fd);
        ::unlink(path.c_str());
    }
    int fd = -1;
    std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static MappedGrid mapped;
    static const bool ready = [] {
        SilentNotifier quiet;
        return mapped.Map(SmallGrid(), quiet) == QueryStatus::StatusOk;
    }();
    if (!ready) std::abort();

    HeightsOptions options;
    options.target = static_cast<HeightTarget>(data[0] % 3);
    options.replace = (data[0] / 3) % 2 != 0;
    options.decimalMark = (data[0] / 6) % 2 != 0 ? DecimalMark::Comma : DecimalMark::Point;
    const int header = (data[0] / 12) % 3;
    if (header > 0) options.columns.header = header == 1;
    options.comment = (data[0] / 36) % 2 != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    TempFile in;
    TempFile out;
    if (::write(in.fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return 0;
    PointFileInput input;
    if (!input.Open(in.path)) std::abort();
    TextOutput output;
    if (!output.Open(out.path)) std::abort();
    const HeightsOutcome outcome = RunHeights(input, output, SmallGrid(), mapped, options);
    const std::string written = Slurp(out.fd);
    if (!outcome.layoutError.empty()) {
        if (!written.empty()) std::abort();
        return 0;
    }
    if (!outcome.completed()) std::abort();

    std::string_view body = text;
    std::string_view result = written;
    if (body.starts_with(kUtf8Bom)) {
        if (!result.starts_with(kUtf8Bom)) std::abort();
        body.remove_prefix(kUtf8Bom.size());
        result.remove_prefix(kUtf8Bom.size());
    }
    std::vector<std::string_view> inputLines = Lines(body);
    std::vector<std::string_view> outputLines = Lines(result);
    if (options.comment) {
        if (outputLines.empty() || !outputLines.front().starts_with("# N: EGM2008")) std::abort();
        outputLines.erase(outputLines.begin());
    }
    if (inputLines.size() != outputLines.size()) std::abort();
    std::int64_t dataLines = 0;
    for (std::size_t k = 0; k < inputLines.size(); ++k) {
        const std::string_view line = inputLines[k];
        const std::string_view end = LineEnd(line);
        if (LineEnd(outputLines[k]) != end) std::abort();
        if (!options.replace &&
            !outputLines[k].starts_with(line.substr(0, line.size() - end.size())))
            std::abort();
        if (ClassifyLine(line) == LineKind::Data) ++dataLines;
    }
    if (outcome.layout && outcome.layout->header) --dataLines;
    if (outcome.computed + outcome.unreadable + outcome.failed != dataLines) std::abort();
    return 0;
}
