// Project and user overlays (merged into the system document).

#include "core/errors.h"
#include "core/pipedex_impl.h"

namespace pipedex {

bool Pipedex::Impl::LoadProjectXML(const std::string& /*path*/) { return false; }

bool Pipedex::Impl::MergeProjectDocument() { return false; }

}  // namespace pipedex

namespace pipedex {

bool Pipedex::LoadProjectXML(const std::string& ProjectXML) {
  impl_->Initialise();
  return impl_->LoadProjectXML(ProjectXML);
}

bool Pipedex::LoadUserXML(const std::string& UserXML) { return LoadProjectXML(UserXML); }

}  // namespace pipedex
