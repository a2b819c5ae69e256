#include "session.h"

#include <filesystem>
#include <system_error>

namespace pipedex::cli {

// A tool built with the library inside it has no library file to find its
// catalogue beside. It counts the folder its shared library lies in, in the
// build folder or in the installed prefix, as the library's own, so it finds
// the same catalogue and registry file as the library would.
// "" leaves the library to find its folder where it was loaded from.
SystemPlatformOptions ToolPlatformOptions() {
  SystemPlatformOptions options;
#ifdef PIPEDEX_CLI_BIN_TO_LIB
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path tool = fs::read_symlink("/proc/self/exe", error);
  if (error) return options;
  const fs::path folder = tool.parent_path();
  options.libraryFolder = fs::equivalent(folder, PIPEDEX_CLI_BUILD_BIN_DIR, error)
                              ? PIPEDEX_CLI_BUILD_LIB_DIR
                              : (folder / PIPEDEX_CLI_BIN_TO_LIB).lexically_normal().string();
#endif
  return options;
}

}  // namespace pipedex::cli
