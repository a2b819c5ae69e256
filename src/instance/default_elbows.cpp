#include "instance/default_elbows.h"

#include "instance/pipedex_impl.h"

namespace pipedex::instance {

std::vector<model::DefaultElbow> LoadDefaultElbows(std::shared_ptr<Platform> platform) {
  Pipedex::Impl loaded(std::move(platform));
  loaded.EnsureInitialised();
  return std::move(loaded.DefaultElbows);
}

}  // namespace pipedex::instance
