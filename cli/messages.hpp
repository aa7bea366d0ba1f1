// Every text the command-line tool writes on its own, beside the pages' texts
// (tasks/messages.hpp) that it shows as the window would. Console::Message puts
// "egm2008: " before each and makes it one line.
#pragma once

#include <cstdint>
#include <string>

namespace egm2008::cli {

/// How messages name standard output as a run's output.
inline constexpr const char* kStandardOutput = "(standard output)";

/// `egm2008 grid -o ""`.
inline constexpr const char* kEmptyGridOutputMessage =
    "grid: --output: an empty name names no file; - is standard output";

/// A first argument that is no subcommand.
std::string NoSubcommandMessage(const std::string& word);

/// An argument that must be a number and is not.
std::string NotANumberMessage(const std::string& text);

/// A --decimals argument that is not a whole number from 0 to `most`.
std::string NotDecimalsMessage(const std::string& text, int most);

/// A write to standard output failed with `what` (strerror's text).
std::string StandardOutputFailureMessage(const char* what);

/// "<n> node(s) could not be computed and was/were written as 9999.999."
std::string NodesOutsideMessage(std::uint64_t nodes);

}  // namespace egm2008::cli
