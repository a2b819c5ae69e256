// Component type queries: the search that fills the component type result
// list, and the lookups of one component type or one group.

#include "base/errors.h"
#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "model/configuration_lookup.h"

namespace pipedex {
namespace {

// The first node of a configuration default ("Default-Configuration" or
// "Default-DataEntry") among all Config elements whose text contains cfg.
pugi::xml_node ConfigDefault(pugi::xml_node root, const std::string& cfg, const char* child) {
  return model::FindConfigurationChild(root, cfg, child);
}

// The component type elements of a group scope in document order: those of
// every group for "*", else those of the groups whose local name is the scope.
// A scope that is not an element name fails as the written selection would.
std::vector<model::Element> ScopeComponentTypes(const model::Element& cptSection, const std::string& scope) {
  const std::string step = xml::ElementName(scope);
  std::vector<model::Element> types;
  for (const model::Element& group : cptSection.Select({"*"}))
    if (step == "*" || group.LocalName() == step)
      for (const model::Element& type : group.Children()) types.push_back(type);
  return types;
}

}  // namespace

std::int32_t Pipedex::FindComponentTypes(const std::string& Group, const std::string& SearchBy,
                                         const std::string& SearchText) {
  return detail::Answer(*impl_, 0, [&](Impl& s) -> std::int32_t {
    // The group scope: "" and "*" both mean every group.
    const std::string scope = Group.empty() ? "*" : Group;
    const std::string searchBy = text::Upper(SearchBy);

    if (searchBy.empty() || searchBy == "SKEY") {
      if (SearchText.empty() || SearchText == "*") {
        // Every component type of the scope, the group matched by its element name.
        auto nodes = ScopeComponentTypes(s.CptSection, scope);
        model::NameList names;
        Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, nodes, false);
        s.CptTypeNodes = std::move(nodes);
        s.FoundCptTypes = std::move(names);
        return ComponentTypeCount();
      }
      model::NameList names;
      if (s.SKEYHasEndPrepSuffix(SearchText)) {
        // The generic SKEY's component types first, then the SKEY's own.
        const std::string generic = model::GenericSKEY(SearchText);
        Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, s.SKEYIndex.Item(generic), false);
        if (text::UpperTrim(SearchText) != text::UpperTrim(generic))
          Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, s.SKEYIndex.Item(SearchText), true);
      } else {
        Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, s.SKEYIndex.Item(SearchText), false);
      }
      s.FoundCptTypes = std::move(names);
    } else if (searchBy == "PCFTYPE") {
      model::NameList names;
      Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, s.PCFTYPEIndex.Item(SearchText), false);
      s.FoundCptTypes = std::move(names);
    } else if (searchBy == "CONFIGURATION") {
      // The component types of the scope whose Configuration equals the text,
      // ignoring case and white space; a missing attribute compares as "".
      const xml::NoCaseValue wanted(SearchText);
      std::vector<model::Element> nodes;
      for (const model::Element& node : ScopeComponentTypes(s.CptSection, scope))
        if (wanted.Matches(node.Attribute(format::kAttrConfiguration))) nodes.push_back(node);
      model::NameList names;
      Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, nodes, false);
      s.CptTypeNodes = std::move(nodes);
      s.FoundCptTypes = std::move(names);
      return ComponentTypeCount();
    } else {
      // Not a search this component knows: the previous hits stay.
      return ComponentTypeCount();
    }

    // The index searches know no groups: keep the hits of the group asked for.
    if (scope != "*") s.FilterCptTypesByGroup(model::kFilterByGroup, Group);
    return ComponentTypeCount();
  });
}

bool Pipedex::GetComponentTypeData(const std::string& ComponentType, std::string& Group, std::string& PCFTYPE,
                                   std::string& Configuration, std::string& Description) {
  return detail::AnswerFromIndex(*impl_, false, [&](Impl& impl) -> bool {
    Group.clear();
    PCFTYPE.clear();
    Configuration.clear();
    Description.clear();
    if (ComponentType.empty()) return false;
    const model::Element node = impl.CptTypeTags.Item(ComponentType).Node;
    if (!node) return false;
    Description = node.Attribute(format::kAttrDescription);
    Configuration = node.Attribute(format::kAttrConfiguration);
    PCFTYPE = node.Attribute(format::kAttrPCFTYPE);
    Group = node.Parent().LocalName();
    return true;
  });
}

std::string Pipedex::GetComponentTypeAttribute(const std::string& ComponentType, const std::string& AttReq) {
  return detail::AnswerFromIndex(*impl_, "", [&](Impl& impl) -> std::string {
    if (ComponentType.empty() || AttReq.empty()) return "";
    return impl.CptTypeTags.Item(ComponentType).Node.Attribute(AttReq);
  });
}

pugi::xml_node Pipedex::GetComponentTypeDefaultConfiguration(const std::string& ComponentType) {
  return detail::Answer(*impl_, {}, [&](Impl& impl) -> pugi::xml_node {
    impl.NodesHandedOut = true;
    if (ComponentType.empty()) return {};
    const model::Element node = impl.CptTypeTags.Item(ComponentType).Node;
    if (!node) return {};
    const std::string cfg = node.Attribute(format::kAttrConfiguration);
    // A non-standard component type carries its own geometry, and only that counts.
    if (cfg == format::kConfigNonStandard) return node.Child(format::kDefaultConfiguration).Xml();
    return ConfigDefault(impl.DataRoot, cfg, format::kDefaultConfiguration);
  });
}

pugi::xml_node Pipedex::GetComponentTypeDefaultDataEntry(const std::string& ComponentType) {
  return detail::Answer(*impl_, {}, [&](Impl& impl) -> pugi::xml_node {
    impl.NodesHandedOut = true;
    if (ComponentType.empty()) return {};
    const model::Element node = impl.CptTypeTags.Item(ComponentType).Node;
    if (!node) return {};
    // The component type's own data entry wins over its configuration's.
    if (const model::Element own = node.Child(format::kDefaultDataEntry)) return own.Xml();
    const std::string cfg = node.Attribute(format::kAttrConfiguration);
    return ConfigDefault(impl.DataRoot, cfg, format::kDefaultDataEntry);
  });
}

std::string Pipedex::GetGroupAttribute(const std::string& Group, const std::string& AttReq) {
  return detail::AnswerFromIndex(*impl_, "", [&](Impl& impl) -> std::string {
    const model::NodeList& groups = impl.Groups();
    if (Group.empty() || AttReq.empty() || !groups) return "";
    // Of several groups with the name, the last one counts.
    model::Element group;
    for (const model::Element& n : *groups)
      if (Group == n.LocalName()) group = n;
    return group.Attribute(AttReq);
  });
}

}  // namespace pipedex
