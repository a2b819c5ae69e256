// The line a human command prints after "no catalogue found" errors: where the
// component looked, and how to point it at a catalogue.

#include <string>

#include "session.h"

namespace pipedex::cli {

std::string DataPathValue(Platform& platform) {
  RegistryHandle key = 0;
  if (platform.OpenRegistryKey(kLocalMachine, kSettingsKey, key) != kStatusSuccess)
    return "";
  RegistryValue value;
  std::string text;
  if (platform.ReadRegistryValue(key, kDataPathValueName, value) == kStatusSuccess &&
      value.kind == RegistryValue::Kind::Text)
    text = value.text;
  platform.CloseRegistryKey(key);
  return text;
}

namespace {

// The DataPath value of the registry file the platform reads, as a phrase.
std::string DataPathPhrase(Platform& platform) {
  RegistryHandle key = 0;
  if (platform.OpenRegistryKey(kLocalMachine, kSettingsKey, key) != kStatusSuccess)
    return "no Settings key";
  platform.CloseRegistryKey(key);
  const std::string text = DataPathValue(platform);
  return text.empty() ? "no DataPath value" : "DataPath \"" + text + "\"";
}

}  // namespace

std::string CatalogueHint(Platform& platform, const SystemPlatformOptions& options, const std::string& catalogueFile) {
  if (!catalogueFile.empty())
    return "pipedex was given the catalogue file " + catalogueFile +
           " (by --catalogue or PIPEDEX_CATALOGUE), and no such file exists";
  const std::string folder = platform.ComponentFolder();
  std::string line = "pipedex looked for SystemPipedex.xml in " + folder + " and " + folder +
                     "/Data, then in the registry file";
  bool read = false;
  const auto files = SystemRegistryFiles(options);
  for (std::size_t i = 0; i < files.size() && !read; ++i) {
    read = platform.FileExists(files[i]);
    line += (i == 0 ? " " : ", ") + files[i] + " (" + (read ? DataPathPhrase(platform) : "missing") + ")";
  }
  return line +
         "; use --catalogue FILE for a catalogue file of any name, --component-dir DIR for a folder holding "
         "SystemPipedex.xml, or --registry FILE or "
         "PIPEDEX_REGISTRY=FILE for a registry file whose DataPath names it";
}

}  // namespace pipedex::cli
