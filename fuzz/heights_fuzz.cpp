// Fuzz target: a whole delimited file converted by RunHeights through the real
// engine (the small fuzz grid), read and written in memory (memfd), through the
// batches of a regular file or line by line as a live stream.
//
// Input: byte 0 picks the target (3), whether the height field is replaced,
// the decimal mark, whether the first data line is a header (told, yes, no),
// whether the provenance comment is written and whether the input is read as
// a live stream; the rest is the file. Checked:
//   - a refused layout writes nothing;
//   - otherwise the run completes, and the output holds as many line ends as
//     the input (CR, LF and CR LF one each), and one more with the comment;
//   - without replacing, the input's bytes come out in their order, the new
//     fields among them (the output holds the input as a subsequence);
//   - no more data lines are counted than the input has lines.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/mapped_grid.hpp"
#include "fuzz/small_grid.hpp"
#include "tasks/heights/heights.hpp"

using namespace egm2008;
using namespace egm2008::engine;
using egm2008::fuzz::SmallGrid;

namespace {

// Line ends in `text`: CR, LF and CR LF count once each.
std::int64_t LineEnds(std::string_view text) {
    std::int64_t ends = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\n' && k > 0 && text[k - 1] == '\r') continue;
        if (text[k] == '\n' || text[k] == '\r') ++ends;
    }
    return ends;
}

bool Subsequence(std::string_view part, std::string_view whole) {
    std::size_t at = 0;
    for (const char c : part) {
        at = whole.find(c, at);
        if (at == std::string_view::npos) return false;
        ++at;
    }
    return true;
}

std::string Slurp(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

// A file in memory that is gone when the object is.
struct MemoryFile {
    MemoryFile() : fd(::memfd_create("heights-fuzz", 0)) {
        if (fd < 0) std::abort();
    }
    ~MemoryFile() { ::close(fd); }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
    int fd;
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
    const bool live = (data[0] / 72) % 2 != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    MemoryFile in;
    MemoryFile out;
    if (::write(in.fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return 0;
    ::lseek(in.fd, 0, SEEK_SET);
    PointFileInput input;
    if (live) {
        input.Attach(in.fd);
    } else if (!input.Open(in.path())) {
        std::abort();
    }
    TextOutput output;
    output.Attach(out.fd);
    const HeightsOutcome outcome = RunHeights(input, output, SmallGrid(), mapped, options);
    const std::string written = Slurp(out.fd);
    if (!outcome.layoutError.empty()) {
        if (!written.empty()) std::abort();
        return 0;
    }
    if (!outcome.completed()) std::abort();

    const std::int64_t ends = LineEnds(text);
    // A file without any line end gets one after the comment line.
    if (LineEnds(written) != ends + (options.comment ? 1 : 0)) std::abort();
    if (!options.replace && !Subsequence(text, written)) std::abort();
    if (outcome.computed + outcome.unreadable + outcome.failed > ends + 1) std::abort();
    return 0;
}
