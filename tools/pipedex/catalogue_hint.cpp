// The line a human command prints after "no catalogue found" errors: where the
// component looked, and how to point it at a catalogue.

#include <cstdint>
#include <string>

#include "session.h"

namespace pipedex::cli {
namespace {

// The DataPath value of the registry file the platform reads, as a phrase.
std::string DataPathValue(Platform& platform) {
  RegistryHandle key = 0;
  if (platform.OpenRegistryKey(kLocalMachine, "Software\\Zenrod\\Pipedex\\Settings", key) != kStatusSuccess)
    return "no Settings key";
  std::uint32_t type = 0, size = 0;
  std::string data;
  std::string phrase = "no DataPath value";
  if (platform.QueryRegistryValue(key, "DataPath", type, nullptr, size) == kStatusSuccess && type == kRegString &&
      platform.QueryRegistryValue(key, "DataPath", type, &data, size) == kStatusSuccess) {
    if (!data.empty() && data.back() == '\0') data.pop_back();
    if (!data.empty()) phrase = "DataPath \"" + data + "\"";
  }
  platform.CloseRegistryKey(key);
  return phrase;
}

}  // namespace

std::string CatalogueHint(Platform& platform, const SystemPlatformOptions& options) {
  const std::string folder = platform.ComponentFolder();
  std::string line = "pipedex looked for SystemPipedex.xml in " + folder + " and " + folder +
                     "/Data, then in the registry file";
  bool read = false;
  const auto files = SystemRegistryFiles(options);
  for (std::size_t i = 0; i < files.size() && !read; ++i) {
    read = platform.FileExists(files[i]);
    line += (i == 0 ? " " : ", ") + files[i] + " (" + (read ? DataPathValue(platform) : "missing") + ")";
  }
  return line +
         "; use --component-dir DIR for a folder holding SystemPipedex.xml, or --registry FILE or "
         "PIPEDEX_REGISTRY=FILE for a registry file whose DataPath names it";
}

}  // namespace pipedex::cli
