#include "cache/settings.h"

#include <cstdlib>
#include <string_view>

namespace pipedex::cache {
namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

Settings FromEnvironment() {
  Settings settings;
  const std::string_view mode = Variable("PIPEDEX_CACHE");
  settings.verifyContent = Variable("PIPEDEX_CACHE_VERIFY") == "content";
  if (mode == "off") return settings;
  // A relative cache home is to be ignored, as for every program that follows the base directory rules.
  if (const std::string_view home = Variable("XDG_CACHE_HOME"); home.starts_with('/'))
    settings.folder = std::string(home) + "/pipedex";
  else if (const std::string_view user = Variable("HOME"); user.starts_with('/'))
    settings.folder = std::string(user) + "/.cache/pipedex";
  return settings;
}

}  // namespace pipedex::cache
