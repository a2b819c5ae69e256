#pragma once

// What the environment says about compiled indexes: $PIPEDEX_CACHE ("off":
// none is read or written; "always": the instance that writes one answers
// from it at once, a check that index and files answer alike),
// $PIPEDEX_CACHE_VERIFY ("content": an index is used only when the content
// of every file it was built from hashes as it did) and where they live
// ($XDG_CACHE_HOME/pipedex, else $HOME/.cache/pipedex).

#include <string>

namespace pipedex::cache {

struct Settings {
  std::string folder;  // "" when indexes are off or there is no cache folder
  bool always = false;
  bool verifyContent = false;
};

Settings FromEnvironment();

}  // namespace pipedex::cache
