// Helpers for the tests of the command-line tool: an in-process run of runCli
// over memory files standing for stdin, stdout and stderr. Scratch folders,
// grid files and whole-file reads come from tests/support.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/byte_compare.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008::cli::test {

/// What one run of the tool left behind.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs the tool on `args` with `input` as standard input; standard output goes
/// to `outFd` instead of being read back when it is given.
CliRun RunTool(const std::vector<std::string>& args, const std::string& input = "", int outFd = -1);

// The shared test support (scratch folders, grid files, whole files) by its own names.
using namespace egm2008::test;

}  // namespace egm2008::cli::test
