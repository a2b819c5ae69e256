// The checks of the files laid over the system file: a language variant whose
// elements must each translate a system element, and project or user files
// whose moves must name existing groups and component types.

#include <set>

#include "base/format.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "check/checks.h"

namespace pipedex::check {

void CheckVariant(const Source& system, const Source& variant, std::vector<Finding>& findings) {
  pugi::xml_node root = Root(variant, findings);
  if (!root || !system.parsed) return;
  Reporter report{variant, findings};
  for (const std::string& selection : format::TranslatedSelections()) {
    for (pugi::xml_node element : xml::SelectNodes(variant.doc, selection)) {
      pugi::xml_node target;
      try {
        target = xml::SelectSingleNode(system.doc, xml::NodePath(element, true));
      } catch (...) {
        // A text that cannot stand in a path matches nothing, as in loading.
      }
      // An element is named with its text when it carries one (an SKEY code), not its children's.
      const std::string text = element.find_child([](pugi::xml_node c) { return c.type() == pugi::node_element; })
                                   ? ""
                                   : xml::Text(element);
      const std::string what = std::string(element.name()) + (text.empty() ? "" : " " + text);
      if (!target) {
        report.Warning(element, "stale-translation", "variant element " + what + " matches nothing in the system file");
        continue;
      }
      for (pugi::xml_attribute a : element.attributes())
        if (!target.attribute(a.name()))
          report.Warning(element, "variant-attribute",
                         "variant attribute " + std::string(a.name()) + " of " + what +
                             " is not on the system element, so it changes nothing",
                         a);
    }
  }
}

void CheckOverlay(const Source& system, const Source& overlay, std::vector<Finding>& findings) {
  pugi::xml_node root = Root(overlay, findings);
  if (!root || !system.parsed) return;
  Reporter report{overlay, findings};
  // The groups and component types there will be when the moves are made:
  // the system file's and those this file adds.
  std::set<std::string> groups, componentTypes;
  for (pugi::xml_node cpt : {system.doc.document_element().child(format::kCptSection), root.child(format::kOverlayCpt)})
    for (pugi::xml_node group : cpt.children()) {
      if (group.type() != pugi::node_element) continue;
      groups.insert(group.name());
      for (pugi::xml_node type : group.children())
        if (type.type() == pugi::node_element) componentTypes.insert(type.name());
    }
  for (pugi::xml_node section : root.children()) {
    const std::string name = section.name();
    if (section.type() != pugi::node_element || name == format::kOverlayCpt || name == format::kOverlayChangeGroups ||
        name == format::kOverlaySKEY || name == format::kOverlayBoreTable || name == format::kSymbols)
      continue;
    report.Warning(section, "unknown-section", "section " + name + " of a project or user file is not merged");
  }
  for (pugi::xml_node target : root.child(format::kOverlayChangeGroups).children()) {
    if (target.type() != pugi::node_element) continue;
    if (!groups.count(target.name())) {
      report.Error(target, "unknown-group",
                   std::string(format::kOverlayChangeGroups) + " moves into group " + target.name() +
                       ", which does not exist");
      continue;
    }
    for (pugi::xml_node moved : target.children())
      if (moved.type() == pugi::node_element && !componentTypes.count(moved.name()))
        report.Error(moved, "unknown-component-type",
                     std::string(format::kOverlayChangeGroups) + " moves component type " + moved.name() +
                         " into group " + target.name() + ", but no such component type exists");
  }
}

}  // namespace pipedex::check
