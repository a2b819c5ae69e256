// SKEY queries: the SKEY search, an SKEY's description, default end
// preparations and attributes, its category, iso priority and weld count, and
// the trimming predicates.

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

// The SKEY's own end preparation: its last two characters, upper-cased, with "--".
std::string OwnEndPrep(const std::string& SKEY) { return text::Upper(text::Right(SKEY, 2)) + "--"; }

// Which connection point (0 to 3) a name stands for when it is upper-cased:
// "CP_1_PREP" to "CP_4_PREP"; -1 for any other name. ASCII names are compared
// letter by letter; others are upper-cased with the Unicode mapping first.
int ConnectionPointOf(std::string_view name) {
  std::string upper;
  for (unsigned char c : name) {
    if (c >= 0x80) {
      upper = text::Upper(name);
      name = upper;
      break;
    }
  }
  auto is = [&](std::size_t i, char wanted) { return text::AsciiUpper(name[i]) == wanted; };
  if (name.size() != 9 || !is(0, 'C') || !is(1, 'P') || name[2] != '_' || name[4] != '_' || !is(5, 'P') ||
      !is(6, 'R') || !is(7, 'E') || !is(8, 'P') || name[3] < '1' || name[3] > '4')
    return -1;
  return name[3] - '1';
}

struct SKEYData {
  std::string Description;
  std::string CP[4];
};

}  // namespace

std::int32_t Pipedex::FindSKEYs(const std::string& ComponentType) {
  return detail::Answer(*impl_, 0, [&](Impl& impl) -> std::int32_t {
    const model::Element owner =
        ComponentType.empty() ? impl.SKEYSection : impl.CptTypeTags.Item(ComponentType).Node;
    // An unknown component type has no element: the selection fails and the previous list stays.
    impl.SKEYNodes = owner.Select({format::kSKEY});
    return static_cast<std::int32_t>(impl.SKEYNodes->size());
  });
}

bool Pipedex::GetSKEYData(const std::string& SKEY, std::string& Description, std::string& CP_1_Prep,
                          std::string& CP_2_Prep, std::string& CP_3_Prep, std::string& CP_4_Prep) {
  return detail::OutOfMemoryAsError([&]() -> bool {
    return detail::FromIndex(*impl_, [&](Impl& impl) -> bool {
      std::string* cp[4] = {&CP_1_Prep, &CP_2_Prep, &CP_3_Prep, &CP_4_Prep};
      auto reset = [&] {
        Description.clear();
        for (std::string* p : cp) *p = format::kUnknownEndPrep;
      };
      reset();
      try {
        const Impl& s = impl;
        const bool suffix = s.SKEYHasEndPrepSuffix(SKEY);

        const model::Element node = s.SKEYElement(SKEY, model::Catalogue::Prefer::Own);
        if (!node) throw Error(errors::kSKEYNotFound, errors::kGetSKEYDataSource, "Could not find SKEY");
        Description = node.Attribute(format::kAttrDescription);

        // The SKEYLIST that gives the default end preparations.
        std::string key = text::Upper(SKEY);
        model::Element entry;
        if (suffix) {
          entry = s.DefaultEndPrepTags.Item(key).Node;
          if (!entry) entry = s.DefaultEndPrepTags.Item(text::Left(key, 2) + format::kGenericSKEYSuffix).Node;
          if (!entry) {
            for (std::string* p : cp) *p = OwnEndPrep(SKEY);
            return true;
          }
        } else {
          // A bend family such as PB3D, PB5D shares the list filed under "PB+D".
          if (text::IsDigitAt(key, 2) && text::Right(key, 1) == "D") key = text::Left(key, 2) + format::kBendFamilyMarker;
          entry = s.DefaultEndPrepTags.Item(key).Node;
          if (!entry) return true;
        }

        for (const model::Element& child : entry.Parent().Children()) {
          const int point = ConnectionPointOf(child.Name());
          if (point < 0) continue;
          const std::string prep = child.Text();
          if (prep != format::kDerivedEndPrep)
            *cp[point] = prep;
          else
            *cp[point] = text::Right(SKEY, 2) == format::kGenericSKEYSuffix ? "BW--" : OwnEndPrep(SKEY);
        }
        return true;
      } catch (...) {
        reset();
        errors::RethrowIfNoAnswer();
        return false;
      }
    });
  });
}

std::string Pipedex::GetSKEYAttribute(const std::string& SKEY, const std::string& AttReqd) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    SKEYData data;
    GetSKEYData(SKEY, data.Description, data.CP[0], data.CP[1], data.CP[2], data.CP[3]);
    return detail::AnswerFromIndex(*impl_, "", [&](Impl& impl) -> std::string {
      if (text::Upper(AttReqd) == "DESCRIPTION") return data.Description;
      if (const int point = ConnectionPointOf(AttReqd); point >= 0) return data.CP[point];

      // Other attributes: the generic definition of a suffix SKEY first, then the SKEY's own.
      const Impl& s = impl;
      const model::Element node = s.SKEYElement(SKEY, model::Catalogue::Prefer::Generic);
      if (!node) return "";
      return node.Attribute(AttReqd);
    });
  });
}

std::string Pipedex::GetDefaultCategory(const std::string& SKEY) {
  return detail::AnswerFromIndex(*impl_, format::kDefaultCategory, [&](Impl& impl) -> std::string {
    const Impl& s = impl;
    const model::Element node = s.SKEYElement(SKEY, model::Catalogue::Prefer::Own);
    if (!node) return format::kDefaultCategory;
    return node.Attribute(format::kAttrCategory, format::kDefaultCategory);
  });
}

std::int32_t Pipedex::GetIsoPriority(const std::string& SKEY) {
  return detail::AnswerFromIndex(*impl_, 0, [&](Impl& impl) -> std::int32_t {
    const Impl& s = impl;
    const model::Element node = s.SKEYElement(SKEY, model::Catalogue::Prefer::Generic);
    if (!node) return 0;
    const std::string priority = node.Attribute(format::kAttrIsoPriority, format::kDefaultIsoPriority);
    return text::ToLong(text::LeadingNumber(priority)).value_or(0);
  });
}

std::int32_t Pipedex::GetExpectedWeldNumberCount(const std::string& SKEY) {
  return detail::OutOfMemoryAsError([&]() -> std::int32_t {
    detail::Loaded(*impl_);
    // An SKEY is a weld when a component type of the weld group lists it.
    if (FindComponentTypes(format::kWeldsGroup, "SKEY", SKEY) == 0) return 0;
    // "Z" welds carry their weld count as the fourth character.
    if (text::Upper(text::Left(SKEY, 1)) == "Z" && text::IsDigitAt(SKEY, 3)) return text::CharAt(SKEY, 3)[0] - '0';
    return 1;
  });
}

bool Pipedex::IsTrimmableComponentType(const std::string& ComponentType) {
  return IsOperationSupported(ComponentType, opTrim);
}

bool Pipedex::IsTrimmableEndByComponentType(const std::string& ComponentType, const std::string& EndPrep) {
  return detail::OutOfMemoryAsError([&]() -> bool {
    detail::Opened(*impl_);
    // Component types named "-V" have trimmable ends whatever the end preparation.
    if (text::Right(ComponentType, 2) == "-V") return true;
    // A two-character end type stands for its four-character code.
    const std::string ep = text::Length(EndPrep) == 2 ? EndPrep + "--" : EndPrep;
    if (!IsOperationSupported(ComponentType, opTrim)) return false;
    return GetEndPrepAttribute(ep, format::kAttrTrimmable) == format::kPlotraYes;
  });
}

bool Pipedex::IsTrimmableSKEY(const std::string& SKEY) {
  return detail::OutOfMemoryAsError([&]() -> bool {
    Impl& impl = detail::Loaded(*impl_);
    impl.RequireLists();
    const Impl& s = impl;
    const std::string key = s.SKEYHasEndPrepSuffix(SKEY) ? model::GenericSKEY(SKEY) : SKEY;
    const model::CTypeLookup& entry = s.SKEYIndex.Item(key);
    if (entry.nCpts() == 0) return false;
    const std::string componentType(entry.GetCptType(1));
    if (!IsOperationSupported(componentType, opTrim)) return false;

    SKEYData data;
    if (!GetSKEYData(SKEY, data.Description, data.CP[0], data.CP[1], data.CP[2], data.CP[3])) return false;
    for (const std::string& prep : data.CP)
      if (GetEndPrepAttribute(prep, format::kAttrAttribute) == format::kPlotraYes) return true;
    return false;
  });
}

}  // namespace pipedex
