#include "cli/messages.hpp"

namespace egm2008::cli {

std::string NoSubcommandMessage(const std::string& word) {
    return "\"" + word + "\" is no subcommand; they are point, file, grid and info";
}

std::string NotANumberMessage(const std::string& text) {
    return "\"" + text + "\" is not a number";
}

std::string NotDecimalsMessage(const std::string& text, int most) {
    return "\"" + text + "\" is not a whole number from 0 to " + std::to_string(most);
}

std::string StandardOutputFailureMessage(const char* what) {
    return std::string("standard output could not be written: ") + what;
}

std::string NodesOutsideMessage(std::uint64_t nodes) {
    return std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") +
           " could not be computed and " + (nodes == 1 ? "was" : "were") + " written as 9999.999.";
}

}  // namespace egm2008::cli
