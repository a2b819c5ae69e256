#include "docs/docs_support.h"

#include <filesystem>

namespace pipedex::testing::docs {

std::string SourcePath(const std::string& relative) { return std::string(PIPEDEX_SOURCE_DIR) + "/" + relative; }

std::string ReadSource(const std::string& relative) { return ReadFile(SourcePath(relative)); }

std::string BuiltProgram(const std::string& name) {
  return (std::filesystem::path(PIPEDEX_CLI_PATH).parent_path() / name).string();
}

ShellResult Shell(const std::string& command) {
  std::string bin = std::filesystem::path(PIPEDEX_CLI_PATH).parent_path().string();
  std::string full = "cd " + Quote(PIPEDEX_SOURCE_DIR) + " && LC_ALL=C.UTF-8 PATH=" + Quote(bin) + ":\"$PATH\" " +
                     "PIPEDEX_REGISTRY=/nonexistent/registry.reg; export LC_ALL PATH PIPEDEX_REGISTRY; " + command;
  ShellResult result;
  result.output = Execute(full, &result.status);
  return result;
}

}  // namespace pipedex::testing::docs
