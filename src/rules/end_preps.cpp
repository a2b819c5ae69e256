// End preparations: their descriptions and attributes, the Plotra end
// preparations, whether an end preparation fits an SKEY, and the connection
// allowed by default for an end preparation.

#include "rules/rules.h"
#include "queries/queries.h"

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex::rules {
namespace {

// The two-character end type of a code, upper-cased and without blanks.
std::string EndType(const std::string& code) { return text::UpperTrim(text::Left(code, 2)); }

}  // namespace

std::string GetEndPrepDescription(Impl& impl, const std::string& EndPrep) {
  impl.Initialise();
  return AnswerOr<std::string>("", [&]() -> std::string {
    if (!impl.EndPrepNodes) return "";
    // The last end preparation element with exactly this code describes it.
    pugi::xml_node match;
    for (pugi::xml_node n : *impl.EndPrepNodes)
      if (xml::Text(n) == EndPrep) match = n;
    return xml::GetAttributeText(match, format::kAttrDescription, "");
  });
}

std::string GetEndPrepAttribute(Impl& impl, const std::string& EndPrep, const std::string& AttReq) {
  impl.Initialise();
  return AnswerOr<std::string>("", [&]() -> std::string {
    if (EndPrep.empty() || AttReq.empty() || !impl.EndPrepNodes) return "";
    // The first ENDPREP element with exactly this code answers.
    for (pugi::xml_node n : *impl.EndPrepNodes) {
      if (n.type() == pugi::node_element && std::string_view(n.name()) == format::kEndPrep && xml::Text(n) == EndPrep)
        return xml::GetAttributeText(n, AttReq, "");
    }
    return "";
  });
}

bool IsPlotraEndPrep(Impl& impl, const std::string& EndPrep) {
  // Loads the catalogue first: without it no end preparation would be flagged.
  impl.Initialise();
  const std::string token = model::MakeToken(EndType(EndPrep));
  return impl.PlotraUpperContains(token);
}

bool IsEndPrepConsistent(Impl& impl, std::string& ep, std::string& SKEY) {
  impl.Initialise();
  // Only Plotra end preparations are checked against the SKEY.
  if (!IsPlotraEndPrep(impl, ep)) return true;

  std::string description, cp1, cp2, cp3, cp4;
  if (queries::GetSKEYData(impl, SKEY, description, cp1, cp2, cp3, cp4)) {
    const std::string endType = EndType(ep);
    for (const std::string* cp : {&cp1, &cp2, &cp3, &cp4})
      if (EndType(*cp) == endType) return true;
    return text::Right(SKEY, 2) == "**";
  }
  // Not in the catalogue: an SKEY ending in an end preparation code must end in this one.
  if (impl.SKEYHasEndPrepSuffix(SKEY)) return text::UpperTrim(text::Right(SKEY, 2)) == EndType(ep);
  return false;
}

std::string GetDefaultAllowedConnection(Impl& impl, std::string& EndPrep) {
  impl.Initialise();
  pugi::xml_node row = model::FindConnectionRow(impl, impl.DataRoot, EndPrep);
  return xml::GetAttributeText(row, format::kAttrAllow, "");
}

}  // namespace pipedex::rules
