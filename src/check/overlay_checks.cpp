// The checks of the files laid over the system file: a language variant whose
// elements must each translate an element of the merged view, and project or
// user files whose sections must be those merged and whose moves must name
// existing groups and component types.

#include <set>

#include "base/errors.h"
#include "base/format.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "check/checks.h"

namespace pipedex::check {

void CheckVariant(const Source& view, const Source& variant, std::vector<Finding>& findings) {
  const Reporter report{variant, findings};
  for (const std::string& selection : format::TranslatedSelections()) {
    for (pugi::xml_node element : xml::SelectNodes(variant.doc, selection)) {
      pugi::xml_node target;
      try {
        target = xml::SelectSingleNode(view.doc, xml::NodePath(element, true));
      } catch (...) {
        // A text that cannot stand in a path matches nothing, as in loading;
        // running out of memory ends the check.
        errors::RethrowIfNoAnswer();
      }
      // An element is named with its text when it carries one (an SKEY code), not its children's.
      const std::string text = element.find_child([](pugi::xml_node c) { return c.type() == pugi::node_element; })
                                   ? ""
                                   : xml::Text(element);
      const std::string what = std::string(element.name()) + (text.empty() ? "" : " " + text);
      if (!target) {
        report.Warning(element, "stale-translation", "variant element " + what + " matches nothing in the catalogue");
        continue;
      }
      for (pugi::xml_attribute a : element.attributes())
        if (!target.attribute(a.name()))
          report.Warning(element, "variant-attribute",
                         "variant attribute " + std::string(a.name()) + " of " + what +
                             " is not on the element it translates, so it changes nothing",
                         a);
    }
  }
}

void CheckOverlay(const Source& view, const Source& overlay, std::vector<Finding>& findings) {
  pugi::xml_node root = overlay.doc.document_element();
  const Reporter report{overlay, findings};
  CheckSections(report, root, FileKind::Overlay);
  // The groups and component types there will be when the moves are made:
  // the view's and those this file adds.
  std::set<std::string> groups, componentTypes;
  for (pugi::xml_node cpt : {view.doc.document_element().child(format::kCptSection), root.child(format::kOverlayCpt)})
    for (pugi::xml_node group : cpt.children()) {
      if (group.type() != pugi::node_element) continue;
      groups.insert(group.name());
      for (pugi::xml_node type : group.children())
        if (type.type() == pugi::node_element) componentTypes.insert(type.name());
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
