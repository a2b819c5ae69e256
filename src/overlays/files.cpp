// The catalogue's files: the system file and the last project (or user) file
// in use, the save of the merged document, and project and user files merged
// on request (the merge itself is the instance's, which the load shares for
// the project file lying beside the system file).

#include "base/xml_document.h"
#include "instance/pipedex_impl.h"

namespace pipedex {

std::string Pipedex::SystemXMLPath() {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return detail::Loaded(*impl_).SystemPath;
  });
}

std::string Pipedex::ProjectXMLPath() {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return detail::Loaded(*impl_).ProjectPath;
  });
}

std::string Pipedex::UserXMLPath() { return ProjectXMLPath(); }

void Pipedex::DumpXML(const std::string& FileName) {
  Impl& impl = detail::Loaded(*impl_);
  detail::OutOfMemoryAsError([&] { xml::SaveFile(*impl.SystemDoc, FileName); });
}

bool Pipedex::LoadProjectXML(const std::string& ProjectXML) {
  Impl& impl = detail::Loaded(*impl_);
  return detail::OutOfMemoryAsError([&] { return impl.LoadProjectXML(ProjectXML); });
}

bool Pipedex::LoadUserXML(const std::string& UserXML) { return LoadProjectXML(UserXML); }

}  // namespace pipedex
