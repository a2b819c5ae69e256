// Placement rules: what a component type may be placed on. A component type
// without rules may be placed anywhere; otherwise the target's component type
// or its SKEY must be listed, letter case and blanks aside.

#include "core/pipedex_impl.h"
#include "core/xml_document.h"
#include "core/xml_utils.h"

namespace pipedex {

bool Pipedex::IsValidPlacement(const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                               const std::string& strSKEYPlaceOn) {
  impl_->Initialise();
  try {
    // A component type the catalogue does not hold has no element to search: false.
    pugi::xml_node toPlace = impl_->CptTypeTags.Item(strCompTypeToPlace).Node;
    if (xml::SelectNodes(toPlace, "Placement/*").empty()) return true;
    if (xml::SelectSingleNode(toPlace, "Placement/ComponentType[" + xml::NoCaseEquals(".", strCompTypePlaceOn) + "]"))
      return true;
    return static_cast<bool>(
        xml::SelectSingleNode(toPlace, "Placement/SKEY[" + xml::NoCaseEquals(".", strSKEYPlaceOn) + "]"));
  } catch (...) {
    return false;
  }
}

}  // namespace pipedex
