#pragma once

// The checks of each kind of catalogue file.

#include <vector>

#include "check/source.h"

namespace pipedex::check {

// The root element (format::kRoot), or a "root" finding and nothing.
pugi::xml_node Root(const Source& source, std::vector<Finding>& findings);

// The system file's sections, names and references.
void CheckSystem(const Source& system, std::vector<Finding>& findings);
// A language variant: elements that translate nothing, attributes the system lacks.
void CheckVariant(const Source& system, const Source& variant, std::vector<Finding>& findings);
// A project or user file: sections, and the groups and component types it moves.
void CheckOverlay(const Source& system, const Source& overlay, std::vector<Finding>& findings);

}  // namespace pipedex::check
