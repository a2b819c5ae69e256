#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pipedex/export.h"

namespace pipedex {

// The two short codes of a locale: ISO 639 language ("de") and ISO 3166 country ("AT").
struct LocaleNames {
  std::string language;
  std::string country;
};

// Registry handles follow the Windows convention: the predefined root keys
// below, 0 for "no key", anything else a key opened by OpenRegistryKey.
using RegistryHandle = std::uint64_t;
inline constexpr RegistryHandle kClassesRoot = 0x80000000u;
inline constexpr RegistryHandle kCurrentUser = 0x80000001u;
inline constexpr RegistryHandle kLocalMachine = 0x80000002u;
inline constexpr RegistryHandle kUsers = 0x80000003u;

// A registry value as the platform hands it over.
struct RegistryValue {
  enum class Kind { Text, Number, Other };
  Kind kind = Kind::Other;
  std::string text;          // Kind::Text: the text, without a terminating zero
  std::uint32_t number = 0;  // Kind::Number: the 32-bit number
};

// The files and registry value the component looks for, which a platform
// serves: the system file (beside the component, in its Data folder, or where
// the text value kDataPathValueName of the key kSettingsKey of kLocalMachine
// says), and the project file merged when it lies beside the system file.
inline constexpr const char* kSystemFileName = "SystemPipedex.xml";
inline constexpr const char* kProjectFileName = "ProjectPipedex.xml";
inline constexpr const char* kDataFolderName = "Data";
inline constexpr const char* kSettingsKey = "Software\\Zenrod\\Pipedex\\Settings";
inline constexpr const char* kDataPathValueName = "DataPath";

// Status codes, as the Windows registry functions return them.
inline constexpr std::int32_t kStatusSuccess = 0;
inline constexpr std::int32_t kStatusNotFound = 2;
inline constexpr std::int32_t kStatusInvalidHandle = 6;

// What the component needs from its host system. Pipedex() uses the system
// implementation (SystemPlatform); embedding applications and tests may
// supply their own through Pipedex(std::shared_ptr<Platform>).
class PIPEDEX_API Platform {
 public:
  virtual ~Platform() = default;

  // Whether a regular file exists at the path.
  virtual bool FileExists(const std::string& path) = 0;
  // The parent folder of a path, without a trailing separator ("" when there is none).
  virtual std::string ParentFolder(const std::string& path) = 0;
  // The folder that holds the component's own module file, without a trailing separator.
  virtual std::string ComponentFolder() = 0;
  // The calling thread's locale.
  virtual LocaleNames ThreadLocale() = 0;

  // Opens a key below a root key for reading. Returns a status code.
  virtual std::int32_t OpenRegistryKey(RegistryHandle root, const std::string& subKey,
                                       RegistryHandle& key) = 0;
  // Reads a value of an open key. Returns a status code: kStatusNotFound when
  // the key has no such value, kStatusInvalidHandle when the key is not open.
  virtual std::int32_t ReadRegistryValue(RegistryHandle key, const std::string& name, RegistryValue& value) = 0;
  // Closes a key opened by OpenRegistryKey.
  virtual void CloseRegistryKey(RegistryHandle key) = 0;
  // The folder that keeps compiled indexes of catalogues, from which a later
  // instance answers without reading the files while they are unchanged;
  // "" keeps none (the default of a platform of the embedding application's own).
  virtual std::string IndexFolder() { return ""; }
};

// Settings of the Linux system platform.
struct SystemPlatformOptions {
  std::string componentFolder;  // "" = libraryFolder
  std::string registryFile;     // "" = see SystemRegistryFiles
  std::string locale;           // "" = LC_ALL, else LC_MESSAGES, else LANG
  // Where compiled catalogue indexes are kept: "" = $XDG_CACHE_HOME/pipedex,
  // else $HOME/.cache/pipedex, and none when $PIPEDEX_CACHE is "off";
  // "off" = none are read or written; any other folder is used whatever
  // $PIPEDEX_CACHE says (the program chose it).
  std::string indexFolder = "";
  // The folder the library counts as its own, where it looks for its
  // catalogue and for the registry file installed with it: "" = the folder of
  // the library file it was loaded from. A program with the library built in
  // names the folder the shared library would lie in.
  std::string libraryFolder = "";
};

// The registry files the system platform would read, in the order it tries
// them; it reads the first that exists (the first when none does). With
// options.registryFile set, only that file; else $PIPEDEX_REGISTRY when set
// and not empty; else /etc/pipedex/registry.reg, then the registry.reg that
// was installed with the library (share/pipedex/ of the library's prefix,
// found from the library's own folder).
PIPEDEX_API std::vector<std::string> SystemRegistryFiles(const SystemPlatformOptions& options = {});

// The platform of this system: the real file system, the folder of the loaded
// library, the POSIX locale variables and a registry kept in a text file in the
// registry export format.
PIPEDEX_API std::shared_ptr<Platform> MakeSystemPlatform(SystemPlatformOptions options = {});

// The system platform on a catalogue file of any name: its registry answers
// DataPath with that file (made absolute) and no registry file is read, and
// no SystemPipedex.xml of the component's folder or its Data folder is seen.
// The component then loads the file as its system file and looks for the
// project file and the language variants beside it, exactly as beside
// SystemPipedex.xml; a missing file gives its "data file not found" error.
// options.registryFile is not used.
PIPEDEX_API std::shared_ptr<Platform> MakeCatalogueFilePlatform(const std::string& catalogueFile,
                                                                SystemPlatformOptions options = {});

}  // namespace pipedex
