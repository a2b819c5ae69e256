#pragma once

// The overlays: project and user files loaded on request, and new SKEYs.
// Each operation works on one instance; the Pipedex facade forwards to it.

#include <cstdint>
#include <string>
#include <vector>

#include "instance/pipedex_impl.h"

namespace pipedex::overlays {

void AddSKEY(Impl& impl, const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY);
bool LoadProjectXML(Impl& impl, const std::string& ProjectXML);
bool LoadUserXML(Impl& impl, const std::string& UserXML);

}  // namespace pipedex::overlays
