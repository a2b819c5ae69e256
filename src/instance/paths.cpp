#include "instance/paths.h"

#include "base/xml_document.h"

namespace pipedex::instance {

std::string SystemXMLPath(Impl& impl) {
  impl.Initialise();
  return impl.SystemPath;
}

std::string ProjectXMLPath(Impl& impl) {
  impl.Initialise();
  return impl.ProjectPath;
}

void DumpXML(Impl& impl, const std::string& FileName) {
  impl.Initialise();
  xml::SaveFile(*impl.SystemDoc, FileName);
}

}  // namespace pipedex::instance
