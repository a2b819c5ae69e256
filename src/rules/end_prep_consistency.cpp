// Whether an end preparation may sit on a component of an SKEY: only flagged
// (Plotra) end preparations are checked, against the SKEY's connection end
// preparations or, for an SKEY the catalogue lacks, against its last two
// characters.

#include "base/format.h"
#include "base/text.h"
#include "instance/pipedex_impl.h"
#include "queries/queries.h"

namespace pipedex {

bool Pipedex::IsEndPrepConsistent(const std::string& ep, const std::string& SKEY) {
  return detail::OutOfMemoryAsError([&]() -> bool {
    Impl& impl = detail::Loaded(*impl_);
    // Only Plotra end preparations are checked against the SKEY.
    if (!IsPlotraEndPrep(ep)) return true;

    std::string description, cp1, cp2, cp3, cp4;
    if (GetSKEYData(SKEY, description, cp1, cp2, cp3, cp4)) {
      const std::string endType = queries::EndType(ep);
      for (const std::string* cp : {&cp1, &cp2, &cp3, &cp4})
        if (queries::EndType(*cp) == endType) return true;
      return text::Right(SKEY, 2) == format::kGenericSKEYSuffix;
    }
    // Not in the catalogue: an SKEY ending in an end preparation code must end in this one.
    if (impl.SKEYHasEndPrepSuffix(SKEY)) return text::UpperTrim(text::Right(SKEY, 2)) == queries::EndType(ep);
    return false;
  });
}

}  // namespace pipedex
