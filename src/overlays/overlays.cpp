// Project and user overlays loaded on request; the merge itself is the
// instance's (instance/project_merge.cpp), which the initialiser shares.

#include "overlays/overlays.h"

#include "instance/pipedex_impl.h"

namespace pipedex::overlays {

bool LoadProjectXML(Impl& impl, const std::string& ProjectXML) {
  impl.Initialise();
  return impl.LoadProjectXML(ProjectXML);
}

bool LoadUserXML(Impl& impl, const std::string& UserXML) { return LoadProjectXML(impl, UserXML); }

}  // namespace pipedex::overlays
