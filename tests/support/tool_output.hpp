// Outside programs that read back what the tool writes (GDAL's and PROJ's
// command-line tools): whether one is installed, and what a command prints.
#pragma once

#include <optional>
#include <string>

namespace egm2008::test {

/// True when `program` is an executable on PATH.
bool ToolOnPath(const std::string& program);

/// What `command` (run by /bin/sh, with `input` on its standard input) writes
/// to standard output; nothing when it cannot be run or exits with a status other than 0.
std::optional<std::string> ToolOutput(const std::string& command, const std::string& input = "");

}  // namespace egm2008::test
