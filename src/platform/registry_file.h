#pragma once

// The registry of this system: a text file in the registry export format.
//
//   Windows Registry Editor Version 5.00        (or REGEDIT4; optional)
//   ; a comment
//   [HKEY_LOCAL_MACHINE\Software\Zenrod\Pipedex\Settings]
//   "DataPath"="/opt/pipedex/SystemPipedex.xml"  (escapes \\ and \")
//   "Count"=dword:0000002a
//
// Key and value names compare without regard to letter case. A key exists
// when a section names it or any key below it. Any other value form is kept
// as a value of another type. Lines that fit none of these forms are ignored.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "pipedex/platform.h"

namespace pipedex::registry {

class RegistryFile {
 public:
  // Parses the text of a registry file (UTF-8, or UTF-16 with a byte order mark).
  static RegistryFile Parse(std::string_view content);
  // The largest registry file that is read.
  static constexpr std::size_t kMaxFileSize = std::size_t{1} << 20;
  // Reads and parses a file; a missing or unreadable file, or one that is not
  // a regular file of at most kMaxFileSize bytes, gives an empty registry.
  static RegistryFile Load(const std::string& path);
  // A registry holding one text value, taken as it is: any byte, a line break
  // or a quote among them, which the text form could not carry.
  static RegistryFile OneText(const std::string& fullKey, const std::string& valueName, std::string text);

  // Whether the key "HIVE\path" exists (a section names it or a key below it).
  bool KeyExists(const std::string& fullKey) const;
  // The value of a key, or null when the key or the value does not exist.
  const RegistryValue* FindValue(const std::string& fullKey, const std::string& valueName) const;

 private:
  static std::string Normalise(std::string_view key);
  std::map<std::string, std::map<std::string, RegistryValue>> keys_;
};

}  // namespace pipedex::registry
