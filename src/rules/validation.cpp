// Validating a PCF type / SKEY pair: one value is the master and stays; when
// the pair does not fit a component type, the other value is replaced by one
// that fits the master's default component type.

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "base/errors.h"
#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

// The first name of `outer`, in order, that equals a name of `inner` when both
// are upper-cased and trimmed; null when there is none. This is the nested
// walk "for each outer name, for each inner name", made linear for long lists
// by normalising the inner names into a set once.
const std::string* FirstShared(const std::vector<std::string>& outer, const std::vector<std::string>& inner) {
  if (outer.empty() || inner.empty()) return nullptr;
  std::vector<std::string> innerForms;
  for (const std::string& p : inner) innerForms.push_back(text::UpperTrim(p));
  if (outer.size() * inner.size() <= 64) {
    for (const std::string& c : outer)
      if (std::find(innerForms.begin(), innerForms.end(), text::UpperTrim(c)) != innerForms.end()) return &c;
    return nullptr;
  }
  const std::unordered_set<std::string> forms(innerForms.begin(), innerForms.end());
  for (const std::string& c : outer)
    if (forms.count(text::UpperTrim(c))) return &c;
  return nullptr;
}

// The component type names of an index entry, from position 1.
std::vector<std::string> ComponentTypes(const model::CTypeLookup& entry) {
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= entry.nCpts(); ++i) names.emplace_back(entry.GetCptType(i));
  return names;
}

// Whether the element of a component type has a marker child such as "SKEY_DEFAULT".
bool HasMarker(const model::TagList& cptTypeTags, const std::string& componentType, const char* marker) {
  const model::Element node = cptTypeTags.Item(componentType).Node;
  if (!node) errors::RaiseObjectNotSet();
  return static_cast<bool>(node.Child(marker));
}

// The last of the names whose element carries the marker, else the first name.
std::string DefaultComponentType(const model::TagList& cptTypeTags, const std::vector<std::string>& names,
                                 const char* marker) {
  std::string chosen = names.front();
  for (const std::string& name : names)
    if (HasMarker(cptTypeTags, name, marker)) chosen = name;
  return chosen;
}

}  // namespace

ValidDataReturn Pipedex::GetValidData(const std::string& TestPCFTYPE, const std::string& TestSKEY,
                                      ValidDataMaster Master, std::string& ValidData, std::string& ValidComponentType) {
  return detail::Answer(*impl_, vdR_FAIL, [&](Impl& d) -> ValidDataReturn {
    ValidData.clear();
    ValidComponentType.clear();
    const bool suffix = d.SKEYHasEndPrepSuffix(TestSKEY);

    // The component types that carry the SKEY, then those of its generic form.
    auto skeyComponentTypes = [&] {
      model::NameList names{""};
      Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, d.SKEYIndex.Item(TestSKEY), false);
      if (suffix) Impl::AppendNamesToList(model::SearchResults::kComponentTypes, names, d.SKEYIndex.Item(model::GenericSKEY(TestSKEY)), true);
      return std::vector<std::string>(names.begin() + 1, names.end());
    };

    if (Master == vdM_PCFTYPE) {
      const std::vector<std::string> pcfTypes = ComponentTypes(d.PCFTYPEIndex.Item(TestPCFTYPE));
      if (pcfTypes.empty()) return vdR_FAIL;
      const std::vector<std::string> skeyTypes = skeyComponentTypes();
      if (const std::string* c = FirstShared(skeyTypes, pcfTypes)) {
        ValidData = TestSKEY;
        ValidComponentType = *c;
        return vdR_OK;
      }
      ValidComponentType = DefaultComponentType(d.CptTypeTags, pcfTypes, format::kPCFTYPEDefaultMarker);
      if (FindSKEYs(ValidComponentType) == 0) {
        // A component type without SKEYs accepts a missing SKEY.
        if (text::Trim(TestSKEY).empty()) {
          ValidData = TestSKEY;
          return vdR_OK;
        }
        ValidData = "";
        return vdR_MODIFIED;
      }
      ValidData = GetSKEY(1);
      if (text::Right(ValidData, 2) == format::kGenericSKEYSuffix) {
        // A generic SKEY takes the end of the tested SKEY, or else the first end preparation.
        ValidData = text::Left(ValidData, 2) +
                    (suffix ? text::Right(TestSKEY, 2) : text::Left(GetEndPrep(1), 2));
      }
      return vdR_MODIFIED;
    }

    const std::vector<std::string> skeyTypes = skeyComponentTypes();
    if (skeyTypes.empty()) return vdR_FAIL;
    const std::vector<std::string> pcfTypes = ComponentTypes(d.PCFTYPEIndex.Item(TestPCFTYPE));
    if (const std::string* p = FirstShared(pcfTypes, skeyTypes)) {
      ValidData = TestPCFTYPE;
      ValidComponentType = *p;
      return vdR_OK;
    }
    ValidComponentType = DefaultComponentType(d.CptTypeTags, skeyTypes, format::kSKEYDefaultMarker);
    ValidData = d.CptTypeTags.Item(ValidComponentType).Node.Attribute(format::kAttrPCFTYPE);
    return vdR_MODIFIED;
  });
}

bool Pipedex::IsSKEYDefault(const std::string& strCompType) {
  return detail::AnswerFromIndex(*impl_, false, [&](Impl& impl) -> bool {
    return HasMarker(impl.CptTypeTags, strCompType, format::kSKEYDefaultMarker);
  });
}

bool Pipedex::IsPCFTypeDefault(const std::string& strCompType) {
  return detail::AnswerFromIndex(*impl_, false, [&](Impl& impl) -> bool {
    return HasMarker(impl.CptTypeTags, strCompType, format::kPCFTYPEDefaultMarker);
  });
}

}  // namespace pipedex
