// The output of `egm2008 file` and `egm2008 grid`.
//
// A regular file, or a name that no file has yet, is written under a
// temporary name in the same folder (".<name>.egm2008-XXXXXX") and renamed
// over the target by Keep once the run has ended with its lines. A run that
// fails or is stopped leaves the previous file as it was, or no file, and two
// runs writing one output never mix their lines: each renames a whole file.
// The new file takes the permission bits of the file it replaces; a link is
// followed and the file it names replaced. An existing file the user may not
// write is refused, as an open would refuse it. Standard output, devices and
// FIFOs are written directly, and so is a file in a folder where no temporary
// file can be made, and the output of a run reading a live stream (a pipe or
// terminal): such a run ends when it is stopped, and the lines answered until
// then are what the user asked for.
#pragma once

#include <optional>
#include <string>

#include "cli/console.hpp"
#include "cli/stop_signals.hpp"
#include "tasks/text_output.hpp"

namespace egm2008::cli {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { Discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Opens the output for `path`, to be replaced when the run ends unless
    /// `replace` is false (written directly); false (errno set) when it cannot be written.
    bool Open(const std::string& path, bool replace = true);
    /// Writes to an open descriptor (standard output), which stays open.
    void Attach(int fd) { text_.Attach(fd); }
    /// Where the run writes.
    TextOutput& text() { return text_; }

    /// True when the run writes a temporary file that replaces the target.
    bool replacing() const { return !temporary_.empty(); }
    /// Closes the output and puts the temporary file in the target's place;
    /// false (errno set) when a write, the close or the rename failed, the
    /// temporary file then removed.
    bool Keep();
    /// Closes the output and removes the temporary file.
    void Discard();
    /// What became of the target when the run was not kept: "was left as it
    /// was", "was not created", or "is incomplete" (written directly).
    const char* fate() const;

private:
    TextOutput text_;
    std::string target_;
    std::string temporary_;
    bool existed_ = false;
    bool live_ = false;          // written directly by choice, for a live input
    bool viaTemporary_ = false;  // kept after Keep or Discard, for fate()
};

/// The end of a run into `output` (shown to the user as `path`): after a signal
/// the temporary file is removed, the user told, and 128 + the signal's number
/// returned; a temporary file is renamed into place, or, when a write failed
/// or the rename fails, removed, the user told, and 1 returned. Nothing when
/// the command goes on to its own end (direct outputs report their errors there).
std::optional<int> SettleOutput(OutputFile& output, const std::string& path,
                                const StopSignals& signals, Console& console);

/// A run stopped by `signal`: "The run was stopped by SIGTERM; outputfile "<path>" <fate>."
std::string StoppedBySignalMessage(const std::string& path, int signal, const OutputFile& output);
/// A write or the final rename failed (errno `error`): the file's fate and the reason.
std::string OutputNotWrittenMessage(const std::string& path, int error, const OutputFile& output);

}  // namespace egm2008::cli
