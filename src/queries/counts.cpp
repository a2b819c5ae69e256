// Counts and indexed access: a count, then items by 1-based index. None of
// these raises an error of its own: a count that cannot be read is 0, an item
// that cannot be read is "".

#include "queries/queries.h"

#include "instance/pipedex_impl.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex::queries {
namespace {

std::int32_t Length(const NodeList& list) { return list ? static_cast<std::int32_t>(list->size()) : 0; }

std::int32_t UpperBound(const std::optional<NameList>& list) {
  return list && !list->empty() ? static_cast<std::int32_t>(list->size() - 1) : 0;
}
std::int32_t UpperBound(const NameListResult& list) {
  return list.size() > 0 ? static_cast<std::int32_t>(list.size() - 1) : 0;
}

// The node at position index (from 1), or an empty node.
pugi::xml_node NodeAt(const NodeList& list, std::int32_t index) {
  if (!list || index < 1 || index > static_cast<std::int32_t>(list->size())) return {};
  return (*list)[static_cast<std::size_t>(index - 1)];
}

}  // namespace

std::int32_t GroupCount(Impl& impl) {
  impl.Initialise();
  return Length(impl.GroupNodes);
}

std::int32_t ComponentTypeCount(Impl& impl) {
  impl.Initialise();
  return UpperBound(impl.FoundCptTypes);
}

std::int32_t SKEYCount(Impl& impl) {
  impl.Initialise();
  return Length(impl.SKEYNodes);
}

std::int32_t ConfigurationCount(Impl& impl) {
  impl.Initialise();
  return Length(impl.ConfigurationNodes);
}

std::int32_t EndPrepCount(Impl& impl) {
  impl.Initialise();
  return Length(impl.EndPrepNodes);
}

std::int32_t OperationCount(Impl& impl) {
  impl.Initialise();
  return Length(impl.OperationNodes);
}

std::int32_t PCFTYPECount(Impl& impl) {
  impl.Initialise();
  return UpperBound(impl.PCFTYPEList);
}

std::string GetGroup(Impl& impl, std::int32_t index) {
  impl.Initialise();
  pugi::xml_node n = NodeAt(impl.GroupNodes, index);
  return n ? std::string(xml::LocalName(n)) : "";
}

std::string GetComponentType(Impl& impl, std::int32_t index) {
  impl.Initialise();
  const auto& list = impl.FoundCptTypes;
  if (!list || index < 0 || index >= static_cast<std::int32_t>(list->size())) return "";
  return (*list)[static_cast<std::size_t>(index)];
}

std::string GetSKEY(Impl& impl, std::int32_t index) {
  impl.Initialise();
  return xml::Text(NodeAt(impl.SKEYNodes, index));
}

std::string GetConfiguration(Impl& impl, std::int32_t index) {
  impl.Initialise();
  return xml::Text(NodeAt(impl.ConfigurationNodes, index));
}

std::string GetEndPrep(Impl& impl, std::int32_t index) {
  impl.Initialise();
  return xml::Text(NodeAt(impl.EndPrepNodes, index));
}

std::string GetOperation(Impl& impl, std::int32_t index) {
  impl.Initialise();
  return xml::Text(NodeAt(impl.OperationNodes, index));
}

}  // namespace pipedex::queries
