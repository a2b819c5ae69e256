// Merging an overlay into the system document, section by section.
//
// The overlay is checked as a whole before anything is merged, so a malformed
// file (a bore row without MM or IN, a section whose target is missing from
// the system document, a foreign root element) leaves the catalogue as it was.
// Nodes are copied from the project document into the system document; moves
// between groups stay inside the system document and keep their node handles.

#include "instance/overlay_merge.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/errors.h"
#include "base/format.h"
#include "base/seeded_hash.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "pipedex/error.h"

namespace pipedex::instance {
namespace {

// Appends a copy of an overlay node to a node of the merged document and
// tells the observer, if any.
struct Copy {
  const CopyObserver& observer;
  pugi::xml_node operator()(pugi::xml_node parent, pugi::xml_node original) const {
    pugi::xml_node copy = xml::WholeCopy(parent.append_copy(original), original);
    if (observer) observer(copy, original);
    return copy;
  }
};

// The overlay sections of a project document; each may be missing.
struct Overlay {
  pugi::xml_node cpt, changeGroups, skeys, bores;

  bool Empty() const { return !cpt && !changeGroups && !skeys && !bores; }
};

// The child nodes as they stand now: what is visited does not change when
// nodes are inserted while the list is walked.
std::vector<pugi::xml_node> Children(pugi::xml_node node) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) out.push_back(c);
  return out;
}

using xml::ChildElements;

// Group and component type elements are known by their local name.
std::string Name(pugi::xml_node node) { return std::string(xml::LocalName(node)); }

// The first component type element, in document order, with the local name.
pugi::xml_node FirstComponentTypeNamed(pugi::xml_node dataRoot, const std::string& name) {
  for (pugi::xml_node group : xml::SelectChildPath(dataRoot, {format::kCptSection, "*"}))
    for (pugi::xml_node type : ChildElements(group))
      if (xml::LocalName(type) == name) return type;
  return {};
}

// The overlay's sections, each the first of its name.
Overlay SectionsOf(pugi::xml_node root) {
  return {xml::FirstChildElement(root, format::kOverlayCpt), xml::FirstChildElement(root, format::kOverlayChangeGroups),
          xml::FirstChildElement(root, format::kOverlaySKEY), xml::FirstChildElement(root, format::kOverlayBoreTable)};
}

// Everything that would stop the merge half-way is found here, before
// anything is merged.
MergeRefusal CanMergeWhole(pugi::xml_node projectRoot, pugi::xml_node dataRoot, const Overlay& overlay) {
  if (std::string_view(projectRoot.name()) != format::kRoot)
    return {projectRoot, std::string("its root element is not ") + format::kRoot};
  if (overlay.Empty())
    return {projectRoot, "it has none of U_CPT, CHANGE_GROUPS, U_SKEY and U_BORE-CONVERSION-TABLE"};

  // New groups and component types need the system's A_CPT element.
  if (!ChildElements(overlay.cpt).empty() && !xml::FirstChildElement(dataRoot, format::kCptSection))
    return {overlay.cpt, "U_CPT needs the system file's A_CPT, which is missing"};
  // SKEY definitions need the system's A_SKEY element.
  if (overlay.skeys.first_child() && !xml::FirstChildElement(dataRoot, format::kSKEYSection))
    return {overlay.skeys, "U_SKEY needs the system file's A_SKEY, which is missing"};

  const std::vector<pugi::xml_node> rows = Children(overlay.bores);
  if (rows.empty()) return {};
  if (!xml::FirstChildElement(dataRoot, format::kBoreTable))
    return {overlay.bores, "U_BORE-CONVERSION-TABLE needs the system file's BORE-CONVERSION-TABLE, which is missing"};
  for (pugi::xml_node row : rows) {
    if (row.type() != pugi::node_element) return {row, "a comment or text stands between its rows"};
    pugi::xml_attribute mm = row.attribute(format::kAttrMM);
    pugi::xml_attribute in = row.attribute(format::kAttrIN);
    if (!mm || !in) return {row, std::string("a bore row has no ") + (mm ? format::kAttrIN : format::kAttrMM)};
    try {
      // Each value must be able to stand in its selection, BORE[@MM="V"] and BORE[@IN="W"].
      xml::Quoted(mm.value(), '"');
      xml::Quoted(in.value(), '"');
    } catch (const Error&) {
      return {row, "a bore row's value holds a double quotation mark"};
    }
  }
  return {};
}

// The first element, in document order, at "A_CPT/GROUP" and at
// "A_CPT/GROUP/TYPE" by local name. Groups are mapped by
// name at once; the component types of a group name only when the overlay
// first asks for one of them. The merge only adds an element under a name
// that has none yet, so a name's first element never changes while U_CPT is merged.
class CptNames {
 public:
  explicit CptNames(pugi::xml_node dataRoot) {
    for (pugi::xml_node group : xml::SelectChildPath(dataRoot, {format::kCptSection, "*"}))
      groups_[Name(group)].push_back(group);
  }
  pugi::xml_node Group(const std::string& name) const {
    auto it = groups_.find(name);
    return it == groups_.end() ? pugi::xml_node() : it->second.front();
  }
  pugi::xml_node Type(const std::string& group, const std::string& type) {
    const auto& types = TypesOf(group);
    auto it = types.find(type);
    return it == types.end() ? pugi::xml_node() : it->second;
  }
  void AddGroup(pugi::xml_node group) { groups_[Name(group)].push_back(group); }
  void AddType(const std::string& group, pugi::xml_node type) {
    auto it = types_.find(group);
    if (it != types_.end()) it->second.try_emplace(Name(type), type);
  }

 private:
  using Types = std::unordered_map<std::string, pugi::xml_node, hashing::StringHash>;
  // The children of every group of the name, in document order; the first of a name wins.
  const Types& TypesOf(const std::string& group) {
    auto [it, added] = types_.try_emplace(group);
    if (added) {
      auto groups = groups_.find(group);
      if (groups != groups_.end())
        for (pugi::xml_node g : groups->second)
          for (pugi::xml_node c = g.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element) it->second.try_emplace(Name(c), c);
    }
    return it->second;
  }
  std::unordered_map<std::string, std::vector<pugi::xml_node>, hashing::StringHash> groups_;
  std::unordered_map<std::string, Types, hashing::StringHash> types_;
};

// U_CPT: new groups whole; new component types into existing groups; the
// SKEY children of existing component types.
void MergeComponentTypes(pugi::xml_node dataRoot, pugi::xml_node section, const Copy& copy) {
  const std::vector<pugi::xml_node> groups = ChildElements(section);
  if (groups.empty()) return;
  CptNames names(dataRoot);
  for (pugi::xml_node group : groups) {
    const std::string groupName = Name(group);
    pugi::xml_node existingGroup = names.Group(groupName);
    if (!existingGroup) {
      names.AddGroup(copy(xml::FirstChildElement(dataRoot, format::kCptSection), group));
      continue;
    }
    for (pugi::xml_node cptType : ChildElements(group)) {
      pugi::xml_node existingType = names.Type(groupName, Name(cptType));
      if (!existingType) {
        names.AddType(groupName, copy(existingGroup, cptType));
        continue;
      }
      for (pugi::xml_node child : ChildElements(cptType))
        if (std::string_view(child.name()) == format::kSKEY) copy(existingType, child);
    }
  }
}

// CHANGE_GROUPS: each named component type, wherever it is, moves to the end
// of the target group. A name held by one component type only is found
// through a map (moving it does not change which element has the name);
// names held by several are searched in document order as they stand.
void MergeGroupChanges(pugi::xml_node dataRoot, pugi::xml_node section) {
  const std::vector<pugi::xml_node> changes = ChildElements(section);
  if (changes.empty()) return;
  // How many component types hold each name the section asks for, and the first of them.
  std::unordered_map<std::string, std::pair<int, pugi::xml_node>, hashing::StringHash> wanted;
  for (pugi::xml_node group : changes)
    for (pugi::xml_node named : ChildElements(group)) wanted.try_emplace(Name(named), 0, pugi::xml_node());
  std::unordered_map<std::string, pugi::xml_node, hashing::StringHash> groups;
  for (pugi::xml_node group : xml::SelectChildPath(dataRoot, {format::kCptSection, "*"})) {
    groups.try_emplace(Name(group), group);
    for (pugi::xml_node c = group.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      auto it = wanted.find(Name(c));
      if (it != wanted.end() && it->second.first++ == 0) it->second.second = c;
    }
  }
  for (pugi::xml_node group : changes) {
    auto target = groups.find(Name(group));
    if (target == groups.end() || !group.first_child()) continue;
    for (pugi::xml_node named : ChildElements(group)) {
      const auto& [count, only] = wanted[Name(named)];
      if (count == 0) continue;
      pugi::xml_node cptType = count == 1 ? only : FirstComponentTypeNamed(dataRoot, Name(named));
      if (cptType) target->second.append_move(cptType);
    }
  }
}

// U_SKEY: every child, whatever its kind, is added to A_SKEY.
void MergeSKEYs(pugi::xml_node dataRoot, pugi::xml_node section, const Copy& copy) {
  pugi::xml_node skeys = xml::FirstChildElement(dataRoot, format::kSKEYSection);
  for (pugi::xml_node child : Children(section)) copy(skeys, child);
}

// U_BORE-CONVERSION-TABLE: each row replaces the rows with its MM or its IN
// value and is added at the end. The rows that BORE[@MM="V"] and
// BORE[@IN="W"] select are kept in maps from the value to the BORE rows
// that carry it, in document order, so each replacement is a look-up.
void MergeBores(pugi::xml_node dataRoot, const std::vector<pugi::xml_node>& rows, const Copy& copy) {
  if (rows.empty()) return;
  pugi::xml_node table = xml::FirstChildElement(dataRoot, format::kBoreTable);
  using Rows = std::unordered_map<std::string, std::vector<pugi::xml_node>, hashing::StringHash>;
  Rows byMM, byIN;
  auto add = [&](pugi::xml_node row) {
    if (row.type() != pugi::node_element || std::string_view(row.name()) != format::kBore) return;
    if (pugi::xml_attribute mm = row.attribute(format::kAttrMM)) byMM[mm.value()].push_back(row);
    if (pugi::xml_attribute in = row.attribute(format::kAttrIN)) byIN[in.value()].push_back(row);
  };
  auto forget = [](Rows& rows, pugi::xml_attribute value, pugi::xml_node row) {
    if (!value) return;
    auto& list = rows[value.value()];
    list.erase(std::find(list.begin(), list.end(), row));
  };
  auto removeFirst = [&](Rows& rows, const char* value) {
    auto it = rows.find(value);
    if (it == rows.end() || it->second.empty()) return;
    pugi::xml_node same = it->second.front();
    forget(byMM, same.attribute(format::kAttrMM), same);
    forget(byIN, same.attribute(format::kAttrIN), same);
    table.remove_child(same);
  };
  for (pugi::xml_node c = table.first_child(); c; c = c.next_sibling()) add(c);
  for (pugi::xml_node row : rows) {
    removeFirst(byMM, row.attribute(format::kAttrMM).value());
    removeFirst(byIN, row.attribute(format::kAttrIN).value());
    add(copy(table, row));
  }
}

}  // namespace

MergeRefusal WhyNotMerged(pugi::xml_node projectRoot, pugi::xml_node dataRoot) {
  return CanMergeWhole(projectRoot, dataRoot, SectionsOf(projectRoot));
}

bool MergeOverlay(pugi::xml_node projectRoot, pugi::xml_node dataRoot, const CopyObserver& copied) {
  const Overlay overlay = SectionsOf(projectRoot);
  if (!CanMergeWhole(projectRoot, dataRoot, overlay).reason.empty()) return false;
  const Copy copy{copied};
  // The order matters: types added by U_CPT may be moved by CHANGE_GROUPS.
  MergeComponentTypes(dataRoot, overlay.cpt, copy);
  MergeGroupChanges(dataRoot, overlay.changeGroups);
  MergeSKEYs(dataRoot, overlay.skeys, copy);
  MergeBores(dataRoot, Children(overlay.bores), copy);
  return true;
}

}  // namespace pipedex::instance
