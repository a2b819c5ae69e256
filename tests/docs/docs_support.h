#pragma once

// Helpers for the tests that keep the guides honest and run the built
// programs: files of the source tree, the built programs, a shell command.

#include <filesystem>
#include <string>

#include "test_support.h"

namespace pipedex::testing::docs {

// Path of a file in the source tree, and its content ("" when missing).
inline std::string SourcePath(const std::string& relative) { return std::string(PIPEDEX_SOURCE_DIR) + "/" + relative; }
inline std::string ReadSource(const std::string& relative) { return ReadFile(SourcePath(relative)); }

// Path of a program built beside the CLI (the docs examples, pipedex itself).
inline std::string BuiltProgram(const std::string& name) {
  return (std::filesystem::path(PIPEDEX_CLI_PATH).parent_path() / name).string();
}

// The text with every `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

struct ShellResult {
  std::string output;  // standard output (and standard error when the command redirects it)
  int status = -1;
};
// Runs a command with /bin/sh in the source tree, with LC_ALL=C.UTF-8 so that
// no language variant applies, no registry file, and the built tools first on PATH.
inline ShellResult Shell(const std::string& command) {
  std::string full = "cd ";  // appends: g++ 12 -O3 warns falsely (-Wrestrict) on a literal plus a temporary
  full.append(Quote(PIPEDEX_SOURCE_DIR)).append(" && LC_ALL=C.UTF-8 PATH=").append(Quote(BuiltProgram("")));
  full.append(":\"$PATH\" PIPEDEX_REGISTRY=/nonexistent/registry.reg; export LC_ALL PATH PIPEDEX_REGISTRY; ");
  full.append(command);
  ShellResult result;
  result.output = Execute(full, &result.status);
  return result;
}

}  // namespace pipedex::testing::docs
