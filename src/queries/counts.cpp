// Counts and indexed access: a count, then items by 1-based index. None of
// these raises an error of its own after the load: a count that cannot be
// read is 0, an item that cannot be read is "".

#include "instance/pipedex_impl.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

std::int32_t Length(const model::NodeList& list) { return list ? static_cast<std::int32_t>(list->size()) : 0; }

std::int32_t UpperBound(const std::optional<model::NameList>& list) {
  return list && !list->empty() ? static_cast<std::int32_t>(list->size() - 1) : 0;
}
std::int32_t UpperBound(const model::NameListResult& list) {
  return list.size() > 0 ? static_cast<std::int32_t>(list.size() - 1) : 0;
}

// The element at position index (from 1), or no element.
model::Element NodeAt(const model::NodeList& list, std::int32_t index) {
  if (!list || index < 1 || index > static_cast<std::int32_t>(list->size())) return {};
  return (*list)[static_cast<std::size_t>(index - 1)];
}

}  // namespace

std::int32_t Pipedex::GroupCount() {
  return detail::FromIndex(*impl_, [](Impl& impl) { return Length(impl.Groups()); });
}

std::int32_t Pipedex::ComponentTypeCount() { return UpperBound(detail::Loaded(*impl_).FoundCptTypes); }

std::int32_t Pipedex::SKEYCount() { return Length(detail::Loaded(*impl_).SKEYNodes); }

std::int32_t Pipedex::ConfigurationCount() {
  return detail::FromIndex(*impl_, [](Impl& impl) { return Length(impl.Configurations()); });
}

std::int32_t Pipedex::EndPrepCount() {
  return detail::FromIndex(*impl_, [](Impl& impl) { return Length(impl.EndPreps()); });
}

std::int32_t Pipedex::OperationCount() { return Length(detail::Loaded(*impl_).OperationNodes); }

std::int32_t Pipedex::PCFTYPECount() { return UpperBound(detail::Loaded(*impl_).PCFTYPEList); }

std::string Pipedex::GetGroup(std::int32_t index) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return detail::FromIndex(*impl_, [&](Impl& impl) -> std::string {
      const model::Element n = NodeAt(impl.Groups(), index);
      return n ? std::string(n.LocalName()) : "";
    });
  });
}

std::string Pipedex::GetComponentType(std::int32_t index) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    const auto& list = detail::Loaded(*impl_).FoundCptTypes;
    if (!list || index < 0 || index >= static_cast<std::int32_t>(list->size())) return "";
    return (*list)[static_cast<std::size_t>(index)];
  });
}

std::string Pipedex::GetSKEY(std::int32_t index) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return NodeAt(detail::Loaded(*impl_).SKEYNodes, index).Text();
  });
}

std::string Pipedex::GetConfiguration(std::int32_t index) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return detail::FromIndex(*impl_, [&](Impl& impl) { return NodeAt(impl.Configurations(), index).Text(); });
  });
}

std::string Pipedex::GetEndPrep(std::int32_t index) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return detail::FromIndex(*impl_, [&](Impl& impl) { return NodeAt(impl.EndPreps(), index).Text(); });
  });
}

std::string Pipedex::GetOperation(std::int32_t index) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return NodeAt(detail::Loaded(*impl_).OperationNodes, index).Text();
  });
}

}  // namespace pipedex
