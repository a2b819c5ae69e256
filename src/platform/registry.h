#pragma once

// Reading one value from the registry, the way the initialiser needs it.

#include <cstdint>
#include <string>
#include <variant>

#include "pipedex/platform.h"

namespace pipedex::registry {

// A registry value as the reader hands it out: nothing, a text or a number.
using Value = std::variant<std::monostate, std::string, std::int32_t>;

// The value of `valueName` under hive/keyPath; `fallback` when the value is
// missing, empty or of an unsupported type; the number -1 when the key cannot
// be opened. Never throws.
Value GetRegistryValue(Platform& platform, std::int32_t hive, std::string keyPath, const std::string& valueName,
                       const Value& fallback);
// Reads a text or 32-bit number value of an open key into value. Returns 0
// on success, otherwise the platform's status code or -1. Never throws.
std::int32_t QueryRegistryValue(Platform& platform, RegistryHandle key, const std::string& valueName, Value& value);
// The root key handle of hive number 1 to 4; 0 for any other number.
RegistryHandle HiveHandle(std::int32_t hive);
// The name of a root key ("HKEY_LOCAL_MACHINE"...); "" for any other handle.
std::string HiveName(RegistryHandle root);
// Replaces every "/" by "\" in place.
void ToRegistryPath(std::string& keyPath);
// The status of the last key opened on this thread.
std::int32_t LastStatus();

}  // namespace pipedex::registry
