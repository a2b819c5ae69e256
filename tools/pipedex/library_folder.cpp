#include "session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace pipedex::cli {
#ifdef PIPEDEX_CLI_BIN_TO_LIB
namespace {

// An absolute path with its "." and ".." steps taken and its doubled slashes
// gone, by its text alone (as std::filesystem's lexically_normal, without
// the weight of that library at every start of the tool).
std::string LexicallyNormal(std::string_view path) {
  std::string out;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view step = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (step.empty() || step == ".") continue;
    if (step == "..")
      out.erase(out.empty() ? 0 : out.rfind('/'));
    else
      out.append("/").append(step);
  }
  return out.empty() ? "/" : out;
}

bool SameFolder(const char* a, const char* b) {
  struct stat sa {}, sb {};
  return ::stat(a, &sa) == 0 && ::stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace
#endif

// A tool built with the library inside it has no library file to find its
// catalogue beside. It counts the folder its shared library lies in, in the
// build folder or in the installed prefix, as the library's own, so it finds
// the same catalogue and registry file as the library would.
// "" leaves the library to find its folder where it was loaded from.
SystemPlatformOptions ToolPlatformOptions() {
  SystemPlatformOptions options;
#ifdef PIPEDEX_CLI_BIN_TO_LIB
  char tool[4096];
  const ssize_t length = ::readlink("/proc/self/exe", tool, sizeof tool);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof tool || tool[0] != '/') return options;
  std::string folder(tool, static_cast<std::size_t>(length));
  folder.erase(folder.rfind('/'));
  options.libraryFolder = SameFolder(folder.empty() ? "/" : folder.c_str(), PIPEDEX_CLI_BUILD_BIN_DIR)
                              ? PIPEDEX_CLI_BUILD_LIB_DIR
                              : LexicallyNormal(folder + "/" + PIPEDEX_CLI_BIN_TO_LIB);
#endif
  return options;
}

}  // namespace pipedex::cli
