// End preparation lookups: an end preparation's description and attributes,
// whether it is a flagged (Plotra) one, and the connection allowed by default
// for it.

#include "base/format.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "instance/pipedex_impl.h"
#include "queries/queries.h"

namespace pipedex {

std::string Pipedex::GetEndPrepDescription(const std::string& EndPrep) {
  return detail::AnswerFromIndex(*impl_, "", [&](Impl& impl) -> std::string {
    const model::NodeList& endPreps = impl.EndPreps();
    if (!endPreps) return "";
    // The last end preparation element with exactly this code describes it.
    model::Element match;
    for (const model::Element& n : *endPreps)
      if (n.Text() == EndPrep) match = n;
    return match.Attribute(format::kAttrDescription);
  });
}

std::string Pipedex::GetEndPrepAttribute(const std::string& EndPrep, const std::string& AttReq) {
  return detail::AnswerFromIndex(*impl_, "", [&](Impl& impl) -> std::string {
    const model::NodeList& endPreps = impl.EndPreps();
    if (EndPrep.empty() || AttReq.empty() || !endPreps) return "";
    // The first ENDPREP element with exactly this code answers.
    for (const model::Element& n : *endPreps) {
      if (n.IsElement() && n.Name() == format::kEndPrep && n.Text() == EndPrep) return n.Attribute(AttReq);
    }
    return "";
  });
}

bool Pipedex::IsPlotraEndPrep(const std::string& EndPrep) {
  return detail::OutOfMemoryAsError([&]() -> bool {
    // Loads the catalogue first: without it no end preparation would be flagged.
    Impl& impl = detail::Loaded(*impl_);
    const std::string token = model::MakeToken(queries::EndType(EndPrep));
    return impl.PlotraUpperContains(token);
  });
}

std::string Pipedex::GetDefaultAllowedConnection(const std::string& EndPrep) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    Impl& impl = detail::Loaded(*impl_);
    pugi::xml_node row = model::FindConnectionRow(impl, impl.DataRoot, EndPrep);
    return xml::GetAttributeText(row, format::kAttrAllow, "");
  });
}

}  // namespace pipedex
