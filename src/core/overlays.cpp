// Project and user overlays: a project file's sections merged into the system
// document, followed by a rebuild of the index lists.
//
// The overlay is checked as a whole before anything is merged, so a malformed
// file (a bore row without MM or IN, a section whose target is missing from
// the system document, a foreign root element) leaves the catalogue as it was.
// Nodes are copied from the project document into the system document; moves
// between groups stay inside the system document and keep their node handles.

#include <initializer_list>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/format.h"
#include "core/pipedex_impl.h"
#include "core/xml_utils.h"

namespace pipedex {
namespace {

// The overlay sections of a project document; each may be missing.
struct Overlay {
  pugi::xml_node cpt, changeGroups, skeys, bores;

  bool Empty() const { return !cpt && !changeGroups && !skeys && !bores; }
};

// One bore row of the overlay with the selections of the system rows it replaces.
struct BoreRow {
  pugi::xml_node row;
  std::string sameMM;
  std::string sameIN;
};

// The child nodes as they stand now: what is visited does not change when
// nodes are inserted while the list is walked.
std::vector<pugi::xml_node> Children(pugi::xml_node node) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) out.push_back(c);
  return out;
}

std::vector<pugi::xml_node> ChildElements(pugi::xml_node node) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c : Children(node))
    if (c.type() == pugi::node_element) out.push_back(c);
  return out;
}

bool StepMatches(pugi::xml_node node, std::string_view step) {
  return node.type() == pugi::node_element && (step == "*" || step == node.name());
}

// The first element, in document order, at a path of child steps below `from`
// (each step an exact element name or "*"); an empty node when there is none.
pugi::xml_node FirstElementAt(pugi::xml_node from, const std::string_view* step, const std::string_view* end) {
  if (step == end) return from;
  for (pugi::xml_node c = from.first_child(); c; c = c.next_sibling()) {
    if (!StepMatches(c, *step)) continue;
    if (pugi::xml_node found = FirstElementAt(c, step + 1, end)) return found;
  }
  return {};
}

pugi::xml_node FirstElementAt(pugi::xml_node from, std::initializer_list<std::string_view> steps) {
  return FirstElementAt(from, steps.begin(), steps.end());
}

// Everything that would stop the merge half-way is found here, before
// anything is merged. Fills the bore rows with their selections.
bool CanMergeWhole(pugi::xml_node projectRoot, pugi::xml_node dataRoot, const Overlay& overlay,
                   std::vector<BoreRow>& bores) {
  if (std::string_view(projectRoot.name()) != format::kRoot) return false;

  // New groups and component types need the system's A_CPT element.
  if (!ChildElements(overlay.cpt).empty() && !xml::FirstChildElement(dataRoot, format::kCptSection)) return false;
  // SKEY definitions need the system's A_SKEY element.
  if (overlay.skeys.first_child() && !xml::FirstChildElement(dataRoot, format::kSKEYSection)) return false;

  const std::vector<pugi::xml_node> rows = Children(overlay.bores);
  if (rows.empty()) return true;
  if (!xml::FirstChildElement(dataRoot, format::kBoreTable)) return false;
  for (pugi::xml_node row : rows) {
    if (row.type() != pugi::node_element) return false;
    pugi::xml_attribute mm = row.attribute(format::kAttrMM);
    pugi::xml_attribute in = row.attribute(format::kAttrIN);
    if (!mm || !in) return false;
    try {
      bores.push_back({row, std::string(format::kBore) + "[@MM=\"" + xml::Quoted(mm.value(), '"') + "\"]",
                       std::string(format::kBore) + "[@IN=\"" + xml::Quoted(in.value(), '"') + "\"]"});
    } catch (const Error&) {
      return false;  // a value that cannot stand in its selection
    }
  }
  return true;
}

// U_CPT: new groups whole; new component types into existing groups; the
// SKEY children of existing component types.
void MergeComponentTypes(pugi::xml_node dataRoot, pugi::xml_node section) {
  for (pugi::xml_node group : ChildElements(section)) {
    const std::string_view groupName = group.name();
    pugi::xml_node existingGroup = FirstElementAt(dataRoot, {format::kCptSection, groupName});
    if (!existingGroup) {
      xml::FirstChildElement(dataRoot, format::kCptSection).append_copy(group);
      continue;
    }
    for (pugi::xml_node cptType : ChildElements(group)) {
      pugi::xml_node existingType = FirstElementAt(dataRoot, {format::kCptSection, groupName, cptType.name()});
      if (!existingType) {
        existingGroup.append_copy(cptType);
        continue;
      }
      for (pugi::xml_node child : ChildElements(cptType))
        if (std::string_view(child.name()) == format::kSKEY) existingType.append_copy(child);
    }
  }
}

// CHANGE_GROUPS: each named component type, wherever it is, moves to the end
// of the target group.
void MergeGroupChanges(pugi::xml_node dataRoot, pugi::xml_node section) {
  for (pugi::xml_node group : ChildElements(section)) {
    pugi::xml_node target = FirstElementAt(dataRoot, {format::kCptSection, group.name()});
    if (!target || !group.first_child()) continue;
    for (pugi::xml_node named : ChildElements(group)) {
      pugi::xml_node cptType = FirstElementAt(dataRoot, {format::kCptSection, "*", named.name()});
      if (cptType) target.append_move(cptType);
    }
  }
}

// U_SKEY: every child, whatever its kind, is added to A_SKEY.
void MergeSKEYs(pugi::xml_node dataRoot, pugi::xml_node section) {
  pugi::xml_node skeys = xml::FirstChildElement(dataRoot, format::kSKEYSection);
  for (pugi::xml_node child : Children(section)) skeys.append_copy(child);
}

// U_BORE-CONVERSION-TABLE: each row replaces the rows with its MM or its IN
// value and is added at the end.
void MergeBores(pugi::xml_node dataRoot, const std::vector<BoreRow>& rows) {
  if (rows.empty()) return;
  pugi::xml_node table = xml::FirstChildElement(dataRoot, format::kBoreTable);
  for (const BoreRow& r : rows) {
    if (pugi::xml_node same = xml::SelectSingleNode(table, r.sameMM)) table.remove_child(same);
    if (pugi::xml_node same = xml::SelectSingleNode(table, r.sameIN)) table.remove_child(same);
    table.append_copy(r.row);
  }
}

}  // namespace

bool Pipedex::Impl::LoadProjectXML(const std::string& path) {
  if (!platform->FileExists(path))
    throw Error(errors::kProjectNotFound, kSource, "Specified Project XML Data (" + path + ") does not exist");

  ProjectDoc = std::make_shared<pugi::xml_document>();
  xml::ParseError parseError;
  if (!xml::LoadFile(*ProjectDoc, path, parseError))
    throw Error(errors::kProjectParse, kSource, xml::ParseErrorFrame("Error parsing Project XML Data", parseError));

  // A file that parses always leads to a rebuild, even when the merge reports false.
  try {
    const bool merged = MergeProjectDocument();
    BuildInternalLists();
    ProjectPath = path;
    return merged;
  } catch (const std::exception&) {
    ProjectPath.clear();
    return false;
  }
}

bool Pipedex::Impl::MergeProjectDocument() {
  try {
    if (!ProjectDoc) return false;
    const pugi::xml_node root = ProjectDoc->document_element();
    const Overlay overlay{
        xml::FirstChildElement(root, format::kOverlayCpt), xml::FirstChildElement(root, format::kOverlayChangeGroups),
        xml::FirstChildElement(root, format::kOverlaySKEY), xml::FirstChildElement(root, format::kOverlayBoreTable)};
    if (overlay.Empty()) return false;

    std::vector<BoreRow> bores;
    if (!CanMergeWhole(root, DataRoot, overlay, bores)) return false;

    // The order matters: types added by U_CPT may be moved by CHANGE_GROUPS.
    MergeComponentTypes(DataRoot, overlay.cpt);
    MergeGroupChanges(DataRoot, overlay.changeGroups);
    MergeSKEYs(DataRoot, overlay.skeys);
    MergeBores(DataRoot, bores);

    // The project's symbols stay in the project document, which is kept alive with them.
    ProjectSymbols = xml::FirstChildElement(root, format::kSymbols);
    ProjectSymbolsDoc = ProjectSymbols ? ProjectDoc : nullptr;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace pipedex

namespace pipedex {

bool Pipedex::LoadProjectXML(const std::string& ProjectXML) {
  impl_->Initialise();
  return impl_->LoadProjectXML(ProjectXML);
}

bool Pipedex::LoadUserXML(const std::string& UserXML) { return LoadProjectXML(UserXML); }

}  // namespace pipedex
