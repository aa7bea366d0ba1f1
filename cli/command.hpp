// A subcommand of `egm2008`: one file per command (cli/<name>_command.cpp)
// holds its options, help and run; runCli (run_cli.cpp) only lists them.
// Add declares the subcommand, its options and its help on the parser; Run
// converts what the parser took and runs it, returning the exit status
// (run_cli.hpp). Options that several commands share: command_options.hpp.
#pragma once

#include <memory>

#include "cli/console.hpp"

namespace CLI {
class App;
}

namespace egm2008::cli {

class Command {
public:
    virtual ~Command() = default;
    /// Declares the subcommand with its options and help on `app`; returns it.
    virtual CLI::App* Add(CLI::App& app) = 0;
    /// Runs on what the parser took; called only when the subcommand was given.
    virtual int Run(Console& console) = 0;
};

/// The commands, each in its own file.
std::unique_ptr<Command> MakePointCommand();
std::unique_ptr<Command> MakeFileCommand();
std::unique_ptr<Command> MakeHeightsCommand();
std::unique_ptr<Command> MakeDemCommand();
std::unique_ptr<Command> MakeNmeaCommand();
std::unique_ptr<Command> MakeGridCommand();
std::unique_ptr<Command> MakeInfoCommand();
std::unique_ptr<Command> MakeGridsCommand();

}  // namespace egm2008::cli
