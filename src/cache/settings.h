#pragma once

// What the environment says about compiled indexes: $PIPEDEX_CACHE ("off":
// none is read or written), $PIPEDEX_CACHE_VERIFY ("content": an index is
// used only when the content of every file it was built from hashes as it
// did) and where they live ($XDG_CACHE_HOME/pipedex, else $HOME/.cache/pipedex).

#include <string>

namespace pipedex::cache {

struct Settings {
  std::string folder;  // "" when indexes are off or there is no cache folder
  bool verifyContent = false;
};

Settings FromEnvironment();

}  // namespace pipedex::cache
