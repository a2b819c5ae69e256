#include "platform/registry.h"

#include <algorithm>
#include <cstring>

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

void ToRegistryPath(std::string& keyPath) { std::replace(keyPath.begin(), keyPath.end(), '/', '\\'); }

std::int32_t LastStatus() { return lastStatus; }

std::int32_t QueryRegistryValue(Platform& platform, RegistryHandle key, const std::string& valueName, Value& value) {
  std::int32_t status = -1;
  value = std::monostate{};
  try {
    std::uint32_t type = 0, size = 0;
    status = platform.QueryRegistryValue(key, valueName, type, nullptr, size);
    if (status != kStatusSuccess) return status;
    if (type == kRegString) {
      std::string buffer(size, '\0');
      status = platform.QueryRegistryValue(key, valueName, type, &buffer, size);
      if (status == kStatusSuccess) {
        // The text without its terminating zero: the first size - 1 characters.
        std::string text = buffer.substr(0, size > 0 ? size - 1 : 0);
        text = text.substr(0, std::strlen(text.c_str()));
        value = text;
      }
      return status;
    }
    if (type == kRegDword) {
      std::string buffer(4, '\0');
      size = 4;
      status = platform.QueryRegistryValue(key, valueName, type, &buffer, size);
      if (status == kStatusSuccess) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
        value = static_cast<std::int32_t>(n);
      }
      return status;
    }
    return -1;
  } catch (...) {
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
    return std::int32_t{-1};
  }
}

}  // namespace pipedex::registry
