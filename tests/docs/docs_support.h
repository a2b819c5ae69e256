#pragma once

// Helpers for the tests that keep the guides honest: files of the source
// tree, the built programs, and running a shell command.

#include <string>

#include "test_support.h"

namespace pipedex::testing::docs {

// Path of a file in the source tree, and its content ("" when missing).
std::string SourcePath(const std::string& relative);
std::string ReadSource(const std::string& relative);

// Path of a program built beside the CLI (the docs examples, pipedex itself).
std::string BuiltProgram(const std::string& name);

struct ShellResult {
  std::string output;  // standard output (and standard error when the command redirects it)
  int status = -1;
};
// Runs a command with /bin/sh in the source tree, with LC_ALL=C.UTF-8 so that
// no language variant applies and the built tools first on PATH.
ShellResult Shell(const std::string& command);

}  // namespace pipedex::testing::docs
