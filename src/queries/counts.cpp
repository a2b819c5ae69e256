// Counts and indexed access: a count, then items by 1-based index. None of
// these raises an error of its own: a count that cannot be read is 0, an item
// that cannot be read is "".

#include "instance/pipedex_impl.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

std::int32_t Length(const NodeList& list) { return list ? static_cast<std::int32_t>(list->size()) : 0; }

std::int32_t UpperBound(const std::optional<NameList>& list) {
  return list && !list->empty() ? static_cast<std::int32_t>(list->size() - 1) : 0;
}

// The node at position index (from 1), or an empty node.
pugi::xml_node NodeAt(const NodeList& list, std::int32_t index) {
  if (!list || index < 1 || index > static_cast<std::int32_t>(list->size())) return {};
  return (*list)[static_cast<std::size_t>(index - 1)];
}

}  // namespace

std::int32_t Pipedex::GroupCount() {
  impl_->Initialise();
  return Length(impl_->GroupNodes);
}

std::int32_t Pipedex::ComponentTypeCount() {
  impl_->Initialise();
  return UpperBound(impl_->FoundCptTypes);
}

std::int32_t Pipedex::SKEYCount() {
  impl_->Initialise();
  return Length(impl_->SKEYNodes);
}

std::int32_t Pipedex::ConfigurationCount() {
  impl_->Initialise();
  return Length(impl_->ConfigurationNodes);
}

std::int32_t Pipedex::EndPrepCount() {
  impl_->Initialise();
  return Length(impl_->EndPrepNodes);
}

std::int32_t Pipedex::OperationCount() {
  impl_->Initialise();
  return Length(impl_->OperationNodes);
}

std::int32_t Pipedex::PCFTYPECount() {
  impl_->Initialise();
  return UpperBound(impl_->PCFTYPEList);
}

std::string Pipedex::GetGroup(std::int32_t index) {
  impl_->Initialise();
  pugi::xml_node n = NodeAt(impl_->GroupNodes, index);
  return n ? std::string(xml::LocalName(n)) : "";
}

std::string Pipedex::GetComponentType(std::int32_t index) {
  impl_->Initialise();
  const auto& list = impl_->FoundCptTypes;
  if (!list || index < 0 || index >= static_cast<std::int32_t>(list->size())) return "";
  return (*list)[static_cast<std::size_t>(index)];
}

std::string Pipedex::GetSKEY(std::int32_t index) {
  impl_->Initialise();
  return xml::Text(NodeAt(impl_->SKEYNodes, index));
}

std::string Pipedex::GetConfiguration(std::int32_t index) {
  impl_->Initialise();
  return xml::Text(NodeAt(impl_->ConfigurationNodes, index));
}

std::string Pipedex::GetEndPrep(std::int32_t index) {
  impl_->Initialise();
  return xml::Text(NodeAt(impl_->EndPrepNodes, index));
}

std::string Pipedex::GetOperation(std::int32_t index) {
  impl_->Initialise();
  return xml::Text(NodeAt(impl_->OperationNodes, index));
}

}  // namespace pipedex
