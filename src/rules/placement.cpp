// Placement rules: what a component type may be placed on. A component type
// without rules may be placed anywhere; otherwise the target's component type
// or its SKEY must be listed, letter case and blanks aside.

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {

bool Pipedex::IsValidPlacement(const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                               const std::string& strSKEYPlaceOn) {
  return detail::Answer(*impl_, false, [&](Impl& impl) -> bool {
    // A component type the catalogue does not hold has no element to search: false.
    const model::Element toPlace = impl.CptTypeTags.Item(strCompTypeToPlace).Node;
    // "Placement/*", then "Placement/ComponentType[...]" and "Placement/SKEY[...]"
    // with NoCaseEquals(".", target), walked instead of evaluated.
    const auto placements = toPlace.Select({format::kPlacement});
    if (toPlace.Select({format::kPlacement, "*"}).empty()) return true;
    auto listed = [&](const char* step, const std::string& value) {
      for (const model::Element& placement : placements)
        if (placement.ChildNoCase(step, value)) return true;
      return false;
    };
    if (listed(format::kComponentType, strCompTypePlaceOn)) return true;
    return listed(format::kSKEY, strSKEYPlaceOn);
  });
}

}  // namespace pipedex
