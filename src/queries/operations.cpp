// Operations and flags: the names of the Operations and Flags values, the
// operation search, and whether a component type supports an operation or
// carries a flag.

#include <span>

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

// One value with the name it converts to and the name it is recognised by.
template <typename E>
struct EnumName {
  E value;
  const char* name;     // what the value converts to
  const char* accepts;  // compared in upper case with the upper-cased, trimmed input
};

// Note "Formtap" with a lower-case t, and value 0 converting to "".
constexpr EnumName<Operations> kOperationNames[] = {
    {opUnknown, "", "UNKNOWN"},
    {opFormBranch, "FormBranch", "FORMBRANCH"},
    {opFormtap, "Formtap", "FORMTAP"},
    {opBranch, "Branch", "BRANCH"},
    {opTap, "Tap", "Tap"},
    {opBendPipe, "BendPipe", "BendPipe"},
    {opCurvePipe, "CurvePipe", "CurvePipe"},
    {opTrim, "Trim", "Trim"},
    {opPlaceOn, "PlaceOn", "PlaceOn"},
    {opPlaceIn, "PlaceIn", "PlaceIn"},
    {opShorten, "Shorten", "Shorten"},
};

constexpr EnumName<Flags> kFlagNames[] = {
    {flUnknown, "", nullptr},
    {flVariable, format::kFlagVariable, "VARIABLE"},
    {flArtificial, format::kFlagArtificial, "ARTIFICIAL"},
    {flIndeterminate, format::kFlagIndeterminate, "INDETERMINATE"},
};

template <typename E>
std::string NameOf(std::span<const EnumName<E>> table, E value) {
  for (const auto& entry : table)
    if (entry.value == value) return entry.name;
  return "";
}

template <typename E>
E ValueOf(std::span<const EnumName<E>> table, const std::string& name) {
  const std::string wanted = text::UpperTrim(name);
  for (const auto& entry : table)
    if (entry.accepts && wanted == text::Upper(entry.accepts)) return entry.value;
  return static_cast<E>(0);
}

// Whether the component type has a child element step (Operation or Flag)
// whose text, ASCII letters upper-cased and blanks normalised, is the name.
bool HasNamedChild(const model::TagList& cptTypeTags, const std::string& ComponentType, const char* step,
                   const std::string& name) {
  // STEP[NoCaseEquals(".", name)], evaluated without the XPath engine.
  return static_cast<bool>(cptTypeTags.Item(ComponentType).Node.ChildNoCase(step, name));
}

}  // namespace

std::string Pipedex::OperationEnumToString(Operations op) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    detail::Opened(*impl_);
    return NameOf<Operations>(kOperationNames, op);
  });
}

Operations Pipedex::OperationStringToEnum(const std::string& strOp) {
  return detail::OutOfMemoryAsError([&]() -> Operations {
    detail::Opened(*impl_);
    return ValueOf<Operations>(kOperationNames, strOp);
  });
}

std::string Pipedex::FlagEnumToString(Flags flag) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    detail::Opened(*impl_);
    return NameOf<Flags>(kFlagNames, flag);
  });
}

Flags Pipedex::FlagStringToEnum(const std::string& strFlag) {
  return detail::OutOfMemoryAsError([&]() -> Flags {
    detail::Opened(*impl_);
    return ValueOf<Flags>(kFlagNames, strFlag);
  });
}

std::int32_t Pipedex::FindOperations(const std::string& ComponentType) {
  return detail::OutOfMemoryAsError([&]() -> std::int32_t {
    Impl& s = detail::Loaded(*impl_);
    // An unknown component type is reported to the caller (error 91): its
    // element does not exist, and the previous list stays.
    s.OperationNodes = ComponentType.empty()
                           ? model::Element(s.DataRoot).Select({format::kOperationSection, format::kOperation})
                           : s.CptTypeTags.Item(ComponentType).Node.Select({format::kOperation});
    return static_cast<std::int32_t>(s.OperationNodes->size());
  });
}

Operations Pipedex::GetOperationEnum(std::int32_t index) {
  return detail::Answer(*impl_, opUnknown, [&](Impl& impl) -> Operations {
    const model::NodeList& list = impl.OperationNodes;
    if (!list) return opUnknown;
    model::Element node;
    if (index >= 1 && index <= static_cast<std::int32_t>(list->size()))
      node = (*list)[static_cast<std::size_t>(index - 1)];
    auto number = text::ParseNumber(node.Attribute(format::kAttrEnum, format::kDefaultEnum));
    if (!number) return opUnknown;
    return static_cast<Operations>(text::ToLong(*number).value_or(0));
  });
}

bool Pipedex::IsOperationSupported(const std::string& ComponentType, Operations op) {
  return detail::AnswerFromIndex(*impl_, false, [&](Impl& impl) -> bool {
    return HasNamedChild(impl.CptTypeTags, ComponentType, format::kOperation, OperationEnumToString(op));
  });
}

bool Pipedex::HasFlag(const std::string& ComponentType, Flags flag) {
  return detail::AnswerFromIndex(*impl_, false, [&](Impl& impl) -> bool {
    return HasNamedChild(impl.CptTypeTags, ComponentType, format::kFlag, FlagEnumToString(flag));
  });
}

}  // namespace pipedex
