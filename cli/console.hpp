// The tool's three streams: data to `out`, messages to `err` as single lines
// "egm2008: <text>", and, when `err` is a terminal, a progress line that is
// redrawn in place and wiped when the run ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "engine/notifier.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008::cli {

/// Writes all of `text` to `fd`; false (errno set) when a write fails.
bool WriteAll(int fd, std::string_view text);

/// Opens /dev/null on each of standard input, output and error that is closed,
/// so that no file the tool opens takes descriptor 0, 1 or 2 (messages meant
/// for a closed standard error would otherwise go into an output file).
void OpenClosedStandardDescriptors();

/// The descriptors of one run, and its messages.
class Console final : public Notifier {
public:
    Console(int in, int out, int err) : in_(in), out_(out), err_(err) {}

    int in() const { return in_; }
    int out() const { return out_; }
    int err() const { return err_; }

    /// "egm2008: <text>" on `err`, as one line.
    void Message(std::string_view text);
    /// A notice of the engine or a page: as Message, but a text already shown
    /// in this run is not repeated (a missing grid would otherwise be told once per point).
    void Notify(const std::string& text, NoticeIcon icon) override;
    /// Writes data to `out`; false once a write has failed (the caller reports it).
    bool Out(std::string_view text);

private:
    int in_;
    int out_;
    int err_;
    std::set<std::string> told_;
};

/// Progress of a long run on a terminal: "<n> of <total> <unit> (<p>%)" when the
/// total is known, else "<n> <unit>, <rate>/s". Shows nothing on other streams,
/// nothing before `delay` has passed, and redraws at most every `interval`.
class Progress {
public:
    using Clock = std::chrono::steady_clock;

    /// Shows progress on `fd` when it is a terminal.
    Progress(int fd, std::string unit);
    /// Shows progress on `fd` when `enabled`, with the given timing.
    Progress(int fd, std::string unit, bool enabled, Clock::duration delay,
             Clock::duration interval);
    ~Progress() { Finish(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    /// `done` items so far, of `total` (0: not known).
    void Update(std::uint64_t done, std::uint64_t total);
    /// Wipes the progress line if one was shown.
    void Finish();

private:
    int fd_;
    std::string unit_;
    bool enabled_;
    Clock::duration delay_;
    Clock::duration interval_;
    Clock::time_point start_;
    Clock::time_point last_{};
    bool shown_ = false;
};

}  // namespace egm2008::cli
