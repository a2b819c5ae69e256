#pragma once

// The checks of each kind of catalogue file.

#include <vector>

#include "check/source.h"

namespace pipedex::check {

// The root element (format::kRoot), or a "root" finding and nothing.
pugi::xml_node Root(const Source& source, std::vector<Finding>& findings);

// The sections of a file's root: misspelt (with the nearest name of the
// file's kind that is missing), unknown and repeated ones.
enum class FileKind { System, Overlay };
void CheckSections(const Reporter& report, pugi::xml_node root, FileKind kind);

// The merged view (the system file with the overlays merged into it): names,
// references, numbers, bore rows, elbows; each finding in the file whose
// node causes it.
// The names defined and used go to `names` when it is given.
void CheckSystem(const Source& view, const Origins& origins, std::vector<Finding>& findings,
                 std::vector<NamePlace>* names = nullptr);
// A language variant against the merged view: elements that translate
// nothing, attributes the view lacks.
void CheckVariant(const Source& view, const Source& variant, std::vector<Finding>& findings);
// A project or user file against the view it is merged into: its sections,
// and the groups and component types its CHANGE_GROUPS moves.
void CheckOverlay(const Source& view, const Source& overlay, std::vector<Finding>& findings);

}  // namespace pipedex::check
