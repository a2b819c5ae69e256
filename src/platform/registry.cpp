#include "platform/registry.h"

#include <algorithm>

#include "base/errors.h"

namespace pipedex::registry {
namespace {

thread_local std::int32_t lastStatus = 0;

bool IsEmptyValue(const Value& v) {
  if (std::holds_alternative<std::monostate>(v)) return true;
  if (auto s = std::get_if<std::string>(&v)) return s->empty();
  return std::get<std::int32_t>(v) == 0;
}

}  // namespace

RegistryHandle HiveHandle(std::int32_t hive) {
  switch (hive) {
    case 1: return kClassesRoot;
    case 2: return kCurrentUser;
    case 3: return kLocalMachine;
    case 4: return kUsers;
    default: return 0;
  }
}

std::string HiveName(RegistryHandle root) {
  switch (root) {
    case kClassesRoot: return "HKEY_CLASSES_ROOT";
    case kCurrentUser: return "HKEY_CURRENT_USER";
    case kLocalMachine: return "HKEY_LOCAL_MACHINE";
    case kUsers: return "HKEY_USERS";
    default: return "";
  }
}

void ToRegistryPath(std::string& keyPath) { std::replace(keyPath.begin(), keyPath.end(), '/', '\\'); }

std::int32_t LastStatus() { return lastStatus; }

std::int32_t QueryRegistryValue(Platform& platform, RegistryHandle key, const std::string& valueName, Value& value) {
  std::int32_t status = -1;
  value = std::monostate{};
  try {
    RegistryValue read;
    status = platform.ReadRegistryValue(key, valueName, read);
    if (status != kStatusSuccess) return status;
    switch (read.kind) {
      case RegistryValue::Kind::Text:
        // A text ends at its first zero character, as a C string read from the registry does.
        value = read.text.substr(0, read.text.find('\0'));
        return status;
      case RegistryValue::Kind::Number:
        value = static_cast<std::int32_t>(read.number);
        return status;
      case RegistryValue::Kind::Other:
        break;
    }
    return -1;
  } catch (...) {
    // A value the platform cannot hand over reads as the status so far.
    errors::RethrowIfNoAnswer();
    return status;
  }
}

Value GetRegistryValue(Platform& platform, std::int32_t hive, std::string keyPath, const std::string& valueName,
                       const Value& fallback) {
  try {
    RegistryHandle root = HiveHandle(hive);
    ToRegistryPath(keyPath);
    RegistryHandle key = 0;
    lastStatus = platform.OpenRegistryKey(root, keyPath, key);
    if (lastStatus != kStatusSuccess) return std::int32_t{-1};
    Value value;
    QueryRegistryValue(platform, key, valueName, value);
    platform.CloseRegistryKey(key);
    return IsEmptyValue(value) ? fallback : value;
  } catch (...) {
    // A platform that fails reads as a key that cannot be opened.
    errors::RethrowIfNoAnswer();
    return std::int32_t{-1};
  }
}

}  // namespace pipedex::registry
