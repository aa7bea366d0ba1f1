#include "tasks/point_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/field_text.hpp"
#include "tasks/file_identity.hpp"
#include "tasks/line_reader.hpp"

namespace egm2008 {

namespace {

// A line of this many characters or fewer (its line end counted as one) is skipped.
constexpr std::size_t kShortLine = 10;
// The caption shows the count at every multiple of this.
constexpr std::int64_t kProgressStep = 1000;

// The line as read, its line end written as CR LF; without one when it had none.
void CopyLine(const std::string& line, std::string& out) {
    if (!line.empty() && line.back() == '\n') {
        out.append(line, 0, line.size() - 1);
        out.append("\r\n");
    } else {
        out.append(line);
    }
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Count(std::int64_t n) { return std::to_string(n); }

}  // namespace

LineOutcome HandlePointLine(const std::string& line, PointFileLayout layout,
                            const UndulationQuery& query, std::string& out) {
    if (line.size() <= kShortLine) return LineOutcome::Skipped;

    if (layout == PointFileLayout::GgaFromGps) {
        std::string sentence;
        switch (RewriteGgaSentence(line, query, sentence)) {
            case GgaRewrite::Rewritten:
                out.append(sentence);
                out.append("\r\n");
                return LineOutcome::Computed;
            case GgaRewrite::QueryFailed:
                CopyLine(line, out);
                return LineOutcome::Failed;
            case GgaRewrite::Copied:
                break;
        }
        CopyLine(line, out);
        return LineOutcome::Copied;
    }

    const bool numbered = layout == PointFileLayout::PtNumberLatLon ||
                          layout == PointFileLayout::PtNumberLonLat;
    const bool lonFirst =
        layout == PointFileLayout::LonLat || layout == PointFileLayout::PtNumberLonLat;

    // The scans of "%s %lf %lf" and "%lf %lf", in the "C" locale.
    CNumericScope numbers;
    const char* text = line.c_str();
    std::string_view number;
    if (numbered) {
        int start = -1;
        int end = -1;
        std::sscanf(text, " %n%*s%n", &start, &end);
        if (start < 0 || end < start) {
            CopyLine(line, out);
            return LineOutcome::Unreadable;
        }
        number = std::string_view(text + start, static_cast<std::size_t>(end - start));
        text += end;
    }
    double first = 0.0;
    double second = 0.0;
    if (std::sscanf(text, "%lf %lf", &first, &second) != 2) {
        CopyLine(line, out);
        return LineOutcome::Unreadable;
    }

    const double latitude = lonFirst ? second : first;
    double longitude = lonFirst ? first : second;
    if (longitude < 0.0) longitude += 360.0;
    float undulation = 0.0f;
    const bool computed = query(latitude, longitude, undulation) == QueryStatus::StatusOk;

    if (numbered) {
        out.append(number);
        out.push_back(' ');
    }
    if (computed) {
        AppendPointLine(out, first, second, undulation);
        return LineOutcome::Computed;
    }
    AppendFormat(out, "%10.6lf %11.6lf 999.999\r\n", first, second);
    return LineOutcome::Failed;
}

bool PointFileInput::Open(const std::string& path) {
    Close();
    if (path == "-") {
        Attach(STDIN_FILENO);
        return true;
    }
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    // Read only: nothing is written to the input. O_NONBLOCK keeps the open of a
    // FIFO from waiting for a writer; anything but a regular file is refused.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    owned_ = true;
    Identify();
    return true;
}

void PointFileInput::Attach(int fd) {
    Close();
    fd_ = fd;
    owned_ = false;
    Identify();
}

void PointFileInput::Close() {
    if (owned_ && fd_ >= 0) ::close(fd_);
    fd_ = -1;
    owned_ = false;
    identified_ = false;
}

void PointFileInput::Identify() {
    struct stat info {};
    identified_ = fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    device_ = identified_ ? info.st_dev : 0;
    inode_ = identified_ ? info.st_ino : 0;
}

std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid) {
    struct stat output {};
    const bool exists = outputPath == "-"
                            ? ::fstat(STDOUT_FILENO, &output) == 0
                            : !outputPath.empty() && ::stat(outputPath.c_str(), &output) == 0;
    if (!exists) return {};
    if (input.identified() && output.st_dev == input.device() && output.st_ino == input.inode()) {
        return "\nOutputfile " + Quoted(outputPath) +
               " is the inputfile!\nChoose another outputfile.\n";
    }
    struct stat gridFile {};
    const bool isGrid = outputPath == "-"
                            ? S_ISREG(output.st_mode) && !grid.path.empty() &&
                                  ::stat(grid.path.c_str(), &gridFile) == 0 &&
                                  gridFile.st_dev == output.st_dev &&
                                  gridFile.st_ino == output.st_ino
                            : SameFile(outputPath, grid.path);
    if (isGrid) {
        return "\nOutputfile " + Quoted(outputPath) +
               " is the geoid file in use!\nChoose another outputfile.\n";
    }
    return {};
}

PointFileOutcome RunPointFile(const PointFileInput& input, TextOutput& output,
                              const GeoidGrid& grid, PointFileLayout layout,
                              InterpolationMethod method, Notifier& notifier,
                              const ProgressCallback& progress) {
    PointFileOutcome outcome;
    // Once per run: a grid that cannot be opened is told of here, not per point.
    MappedGrid mapped;
    outcome.gridOpened = mapped.Map(grid, notifier) == QueryStatus::StatusOk;
    const UndulationQuery query = [&](double latitude, double longitude, float& undulation) {
        return ComputeUndulation(grid, method, latitude, longitude, undulation, mapped);
    };

    if (progress) progress(0);
    std::int64_t reported = 0;
    LineReader reader(input.fd());
    std::string line;
    while (!output.failed()) {
        const LineReader::Status status = reader.Next(line);
        if (status == LineReader::Status::End) break;
        if (status == LineReader::Status::Error) {
            outcome.readError = reader.error();
            break;
        }
        LineOutcome result;
        if (reader.overlong()) {
            // Far too long for a point or a sentence: copied without being held.
            result = layout == PointFileLayout::GgaFromGps ? LineOutcome::Copied
                                                           : LineOutcome::Unreadable;
            output.Write(line);
            if (reader.CopyRest(output) == LineReader::Status::Error) {
                outcome.readError = reader.error();
                break;
            }
        } else {
            result = HandlePointLine(line, layout, query, output.buffer());
            output.Commit();
        }
        switch (result) {
            case LineOutcome::Computed: ++outcome.computed; break;
            case LineOutcome::Failed: ++outcome.failed; break;
            case LineOutcome::Unreadable: ++outcome.unreadable; break;
            case LineOutcome::Copied: ++outcome.copied; break;
            case LineOutcome::Skipped: break;
        }
        if (outcome.computed != reported && outcome.computed % kProgressStep == 0) {
            reported = outcome.computed;
            if (progress) progress(reported);
        }
    }
    if (!output.Close()) outcome.writeError = output.error();
    return outcome;
}

std::string InputOpenMessage(const std::string& path) {
    return "\nInputfile " + Quoted(path) + " could not be opened!\n";
}

std::string OutputOpenMessage(const std::string& path) {
    return "\nOutputfile " + Quoted(path) + " could not be opened!\n";
}

std::string CompletionMessage(const PointFileOutcome& outcome) {
    std::string text = "Calculation done - " + Count(outcome.computed) + " points.";
    if (outcome.unreadable > 0) {
        text += "\n" + Count(outcome.unreadable) +
                " lines could not be read and were copied unchanged.";
    }
    return text;
}

std::string OutcomeMessage(const PointFileOutcome& outcome, const std::string& inputPath,
                           const std::string& outputPath) {
    if (outcome.readError != 0) {
        return "\nInputfile " + Quoted(inputPath) + " could not be read: " +
               std::strerror(outcome.readError) + "!\nThe calculation was stopped; outputfile " +
               Quoted(outputPath) + " is incomplete.\n";
    }
    if (outcome.writeError != 0) {
        return "\nOutputfile " + Quoted(outputPath) + " could not be written: " +
               std::strerror(outcome.writeError) +
               "!\nThe calculation was stopped; the outputfile is incomplete.\n";
    }
    return CompletionMessage(outcome);
}

}  // namespace egm2008
