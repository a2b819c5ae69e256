// The platform of this system: real files, the folder of the loaded library,
// the POSIX locale variables and the registry file.

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "cache/settings.h"
#include "base/errors.h"
#include "base/format.h"
#include "base/text.h"
#include "platform/registry.h"
#include "platform/registry_file.h"
#include "pipedex/platform.h"

namespace pipedex {
namespace {

constexpr const char* kSystemRegistryFile = "/etc/pipedex/registry.reg";

// Where the package installs its data, relative to the installed library's
// folder (set by the build from the install layout).
#ifndef PIPEDEX_LIB_TO_DATA
#define PIPEDEX_LIB_TO_DATA "../share/pipedex"
#endif

// The locale of a system whose locale variables name none ("C", "POSIX" or unset).
LocaleNames DefaultLocale() { return {"en", "US"}; }

// Splits "ll_CC[.charset][@modifier]" into its language and country.
LocaleNames ParseLocale(const std::string& value) {
  if (value.empty() || value == "C" || value == "POSIX" || text::StartsWith(value, "C.")) return DefaultLocale();
  std::string base = value.substr(0, value.find_first_of(".@"));
  auto sep = base.find_first_of("_-");
  if (sep == std::string::npos) return {base, ""};
  return {base.substr(0, sep), base.substr(sep + 1)};
}

// A folder's path without the slashes it ends with; the root stays "/".
std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string LibraryFolder(const SystemPlatformOptions& options) {
  if (!options.libraryFolder.empty()) return WithoutTrailingSlashes(options.libraryFolder);
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ParseLocale), &info) == 0 || !info.dli_fname) return ".";
  std::string path = info.dli_fname;
  char* real = realpath(path.c_str(), nullptr);
  if (real) {
    path = real;
    std::free(real);
  }
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "" : path.substr(0, slash);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  // A path with a zero byte names no file (the system would read only its start).
  return !path.empty() && path.find('\0') == std::string::npos && ::stat(path.c_str(), &st) == 0 &&
         S_ISREG(st.st_mode);
}

std::string InstalledRegistryFile(const SystemPlatformOptions& options) {
  auto path = std::filesystem::path(LibraryFolder(options) + "/") / PIPEDEX_LIB_TO_DATA / "registry.reg";
  return path.lexically_normal().string();
}

class SystemPlatform final : public Platform {
 public:
  // With a catalogue file, that file stands for the registry's DataPath.
  SystemPlatform(SystemPlatformOptions options, const std::string& catalogueFile) : options_(std::move(options)) {
    // An absolute path, so that the folder of the project file and of the
    // language variants is the catalogue's own whatever the current folder.
    // Without a current folder (it was deleted) a relative path stays as it
    // is: it then names no file, and the load says the file was not found.
    if (!catalogueFile.empty()) {
      std::error_code noCurrentFolder;
      std::filesystem::path full = std::filesystem::absolute(catalogueFile, noCurrentFolder);
      if (noCurrentFolder) full = catalogueFile;
      catalogueFile_ = full.lexically_normal().string();
    }
  }

  bool FileExists(const std::string& path) override {
    if (!catalogueFile_.empty() && path != catalogueFile_) {
      // With a catalogue file given, the component's own catalogue stays unseen.
      const std::string folder = ComponentFolder() + format::kPathSeparator;
      if (path == folder + format::kSystemFileName ||
          path == folder + format::kDataFolder + format::kPathSeparator + format::kSystemFileName)
        return false;
    }
    return IsRegularFile(path);
  }

  std::string ParentFolder(const std::string& path) override {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return WithoutTrailingSlashes(path.substr(0, slash));
  }

  std::string ComponentFolder() override {
    if (!options_.componentFolder.empty()) return WithoutTrailingSlashes(options_.componentFolder);
    return LibraryFolder(options_);
  }

  std::string IndexFolder() override {
    if (options_.indexFolder == "off") return "";
    return options_.indexFolder.empty() ? cache::FromEnvironment().folder : options_.indexFolder;
  }

  LocaleNames ThreadLocale() override {
    if (!options_.locale.empty()) return ParseLocale(options_.locale);
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* v = std::getenv(var);
      if (v && *v) return ParseLocale(v);
    }
    return DefaultLocale();
  }

  std::int32_t OpenRegistryKey(RegistryHandle root, const std::string& subKey, RegistryHandle& key) override {
    key = 0;
    std::string rootName = registry::HiveName(root);
    if (rootName.empty()) return kStatusInvalidHandle;
    std::string fullKey = subKey.empty() ? rootName : rootName + "\\" + subKey;
    auto file = catalogueFile_.empty() ? registry::RegistryFile::Load(RegistryPath()) : CatalogueRegistry();
    if (!file.KeyExists(fullKey)) return kStatusNotFound;
    key = nextHandle_++;
    open_.emplace(key, OpenKey{std::move(file), fullKey});
    return kStatusSuccess;
  }

  std::int32_t ReadRegistryValue(RegistryHandle key, const std::string& name, RegistryValue& value) override {
    auto it = open_.find(key);
    if (it == open_.end()) return kStatusInvalidHandle;
    const RegistryValue* found = it->second.file.FindValue(it->second.key, name);
    if (!found) return kStatusNotFound;
    value = *found;
    return kStatusSuccess;
  }

  void CloseRegistryKey(RegistryHandle key) override { open_.erase(key); }

 private:
  struct OpenKey {
    registry::RegistryFile file;
    std::string key;
  };

  // The registry of a given catalogue file: the settings key alone, whose
  // DataPath names the file. The path is a value, never registry text: a
  // path may hold any byte but zero, a line break or a quote among them.
  registry::RegistryFile CatalogueRegistry() const {
    std::string key = registry::HiveName(registry::HiveHandle(format::kRegistryHive));
    key.append("\\").append(format::kRegistryKey);
    return registry::RegistryFile::OneText(key, format::kRegistryValue, catalogueFile_);
  }

  std::string RegistryPath() const {
    auto candidates = SystemRegistryFiles(options_);
    for (const auto& path : candidates)
      if (IsRegularFile(path)) return path;
    return candidates.front();
  }

  SystemPlatformOptions options_;
  std::string catalogueFile_;
  RegistryHandle nextHandle_ = 1;
  std::map<RegistryHandle, OpenKey> open_;
};

}  // namespace

// Running out of memory reaches the caller of these three as kOutOfMemory.
std::vector<std::string> SystemRegistryFiles(const SystemPlatformOptions& options) try {
  if (!options.registryFile.empty()) return {options.registryFile};
  const char* env = std::getenv("PIPEDEX_REGISTRY");
  if (env && *env) return {env};
  return {kSystemRegistryFile, InstalledRegistryFile(options)};
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::shared_ptr<Platform> MakeSystemPlatform(SystemPlatformOptions options) try {
  return std::make_shared<SystemPlatform>(std::move(options), "");
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::shared_ptr<Platform> MakeCatalogueFilePlatform(const std::string& catalogueFile, SystemPlatformOptions options) try {
  return std::make_shared<SystemPlatform>(std::move(options), catalogueFile.empty() ? "." : catalogueFile);
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

}  // namespace pipedex
