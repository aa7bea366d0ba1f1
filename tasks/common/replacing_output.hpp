// The output file of a run, replaced only when the run ends whole: the pages
// and the command line write through it.
//
// A regular file, or a name that no file has yet, is written under a
// temporary name in the same folder (ReplacementFile, engine/file_access.hpp)
// and renamed over the target by Keep once the run has ended with its lines. A run that
// fails or is stopped calls Discard: the previous file stays byte for byte,
// or no file appears, and two runs writing one output never mix their lines,
// each renames a whole file. The new file takes the permission bits of the
// file it replaces; a link is followed and the file it names replaced. An
// existing file the user may not write is refused, as an open would refuse
// it. Standard output, devices and FIFOs are written directly, and so is a
// file in a folder where no temporary file can be made, and an output opened
// with `replace` false (the command line's output of a live stream).
#pragma once

#include <string>

#include "engine/file_access.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// What became of the target of a run that was not kept.
enum class OutputFate {
    Unchanged,   ///< replaced output: the previous file is as it was
    NotCreated,  ///< replaced output: there was no file, and there is none
    Incomplete,  ///< written directly: it holds what was written before the end
    Live,        ///< written directly by choice: every line answered before the stop
};

/// How ReplacingOutput::Keep ended.
struct OutputKept {
    int error = 0;  ///< errno of the write, close or rename that failed; 0 when kept
    bool kept() const { return error == 0; }
};

class ReplacingOutput {
public:
    ReplacingOutput() = default;
    ~ReplacingOutput() { Discard(); }
    ReplacingOutput(const ReplacingOutput&) = delete;
    ReplacingOutput& operator=(const ReplacingOutput&) = delete;

    /// Opens the output for `path`, to be replaced when the run ends unless
    /// `replace` is false (written directly); false (errno set) when it cannot be written.
    bool Open(const std::string& path, bool replace = true);
    /// Writes to an open descriptor (standard output), which stays open.
    void Attach(int fd) { text_.Attach(fd); }
    /// Where the run writes.
    TextOutput& text() { return text_; }

    /// True while the run writes a temporary file that is to replace the target.
    bool replacing() const { return temporary_.pending(); }
    /// Closes the output and puts the temporary file in the target's place; the
    /// error of a write, the close or the rename that failed, the temporary file
    /// then removed.
    [[nodiscard]] OutputKept Keep();
    /// Closes the output and removes the temporary file.
    void Discard();
    /// What became of the target when the run was not kept.
    OutputFate fate() const;

private:
    TextOutput text_;
    ReplacementFile temporary_;
    bool existed_ = false;
    bool live_ = false;          // written directly by choice
    bool viaTemporary_ = false;  // kept after Keep or Discard, for fate()
};

}  // namespace egm2008
