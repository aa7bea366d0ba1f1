// The output of `egm2008 file` and `egm2008 grid`: a ReplacingOutput
// (tasks/common/replacing_output.hpp), so that a regular file is replaced only when the
// run has ended with its lines, and what the command line adds to it: the end
// of a run after a signal, and the file's fate in the tool's words. The output
// of a run reading a live stream (a pipe or terminal) is written directly: such
// a run ends when it is stopped, and the lines answered until then are what the
// user asked for.
#pragma once

#include <optional>
#include <string>

#include "cli/console.hpp"
#include "cli/stop_signals.hpp"
#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/replacing_output.hpp"

namespace egm2008::cli {

using OutputFile = ReplacingOutput;

/// Opens `output` as `path` ("-": the console's standard output; with `replace` a
/// temporary file that takes the name when the run ends, else the file itself) and
/// tells it of `signals`. False, the user told, when the file cannot be opened.
bool OpenOutput(OutputFile& output, const std::string& path, bool replace,
                const StopSignals& signals, Console& console);

/// What became of `output` when the run was not kept: "was left as it was",
/// "was not created", "is incomplete" (written directly) or, for a live input,
/// "holds every line answered before the stop".
const char* FateText(const OutputFile& output);

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
