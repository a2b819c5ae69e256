#include "docs/docs_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pipedex::testing::docs {

std::string SourcePath(const std::string& relative) { return std::string(PIPEDEX_SOURCE_DIR) + "/" + relative; }

std::string ReadSource(const std::string& relative) {
  std::ifstream in(SourcePath(relative), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string BuiltProgram(const std::string& name) {
  return (std::filesystem::path(PIPEDEX_CLI_PATH).parent_path() / name).string();
}

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

ShellResult Shell(const std::string& command) {
  std::string bin = std::filesystem::path(PIPEDEX_CLI_PATH).parent_path().string();
  std::string full = "cd " + Quote(PIPEDEX_SOURCE_DIR) + " && LC_ALL=C.UTF-8 PATH=" + Quote(bin) + ":\"$PATH\" " +
                     "PIPEDEX_REGISTRY=/nonexistent/registry.reg; export LC_ALL PATH PIPEDEX_REGISTRY; " + command;
  ShellResult result;
  FILE* pipe = ::popen(full.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace pipedex::testing::docs
