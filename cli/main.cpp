#include <unistd.h>

#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/run_cli.hpp"

int main(int argc, char** argv) {
    egm2008::cli::OpenClosedStandardDescriptors();
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return egm2008::cli::runCli(args, STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO);
}
