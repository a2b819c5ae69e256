// The Pipedex object: construction, the path properties and saving the
// merged document. The load itself is instance/loading.cpp's.

#include "base/xml_document.h"
#include "instance/pipedex_impl.h"

namespace pipedex {

Pipedex::Pipedex() : Pipedex(MakeSystemPlatform()) {}
Pipedex::Pipedex(std::shared_ptr<Platform> platform) : impl_(std::make_unique<Impl>(std::move(platform))) {}
Pipedex::~Pipedex() = default;
Pipedex::Pipedex(Pipedex&&) noexcept = default;
Pipedex& Pipedex::operator=(Pipedex&&) noexcept = default;

std::string Pipedex::SystemXMLPath() {
  impl_->Initialise();
  return impl_->SystemPath;
}

std::string Pipedex::ProjectXMLPath() {
  impl_->Initialise();
  return impl_->ProjectPath;
}

std::string Pipedex::UserXMLPath() { return ProjectXMLPath(); }

void Pipedex::DumpXML(const std::string& FileName) {
  impl_->Initialise();
  xml::SaveFile(*impl_->SystemDoc, FileName);
}

}  // namespace pipedex
