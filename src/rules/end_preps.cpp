// End preparations: their descriptions and attributes, the Plotra end
// preparations, whether an end preparation fits an SKEY, and the connection
// allowed by default for an end preparation.

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

// The two-character end type of a code, upper-cased and without blanks.
std::string EndType(const std::string& code) { return text::UpperTrim(text::Left(code, 2)); }

}  // namespace

std::string Pipedex::GetEndPrepDescription(const std::string& EndPrep) {
  impl_->Initialise();
  return AnswerOr<std::string>("", [&]() -> std::string {
    if (!impl_->EndPrepNodes) return "";
    // The last end preparation element with exactly this code describes it.
    pugi::xml_node match;
    for (pugi::xml_node n : *impl_->EndPrepNodes)
      if (xml::Text(n) == EndPrep) match = n;
    return xml::GetAttributeText(match, format::kAttrDescription, "");
  });
}

std::string Pipedex::GetEndPrepAttribute(const std::string& EndPrep, const std::string& AttReq) {
  impl_->Initialise();
  return AnswerOr<std::string>("", [&]() -> std::string {
    if (EndPrep.empty() || AttReq.empty() || !impl_->EndPrepNodes) return "";
    // The first ENDPREP element with exactly this code answers.
    for (pugi::xml_node n : *impl_->EndPrepNodes) {
      if (n.type() == pugi::node_element && std::string_view(n.name()) == format::kEndPrep && xml::Text(n) == EndPrep)
        return xml::GetAttributeText(n, AttReq, "");
    }
    return "";
  });
}

bool Pipedex::IsPlotraEndPrep(const std::string& EndPrep) {
  // Loads the catalogue first: without it no end preparation would be flagged.
  impl_->Initialise();
  const std::string token = model::MakeToken(EndType(EndPrep));
  return impl_->PlotraUpperTokens.Contains(impl_->PlotraEndPrepsUpper, token);
}

bool Pipedex::IsEndPrepConsistent(std::string& ep, std::string& SKEY) {
  impl_->Initialise();
  // Only Plotra end preparations are checked against the SKEY.
  if (!IsPlotraEndPrep(ep)) return true;

  std::string description, cp1, cp2, cp3, cp4;
  if (GetSKEYData(SKEY, description, cp1, cp2, cp3, cp4)) {
    const std::string endType = EndType(ep);
    for (const std::string* cp : {&cp1, &cp2, &cp3, &cp4})
      if (EndType(*cp) == endType) return true;
    return text::Right(SKEY, 2) == "**";
  }
  // Not in the catalogue: an SKEY ending in an end preparation code must end in this one.
  if (impl_->SKEYHasEndPrepSuffix(SKEY)) return text::UpperTrim(text::Right(SKEY, 2)) == EndType(ep);
  return false;
}

std::string Pipedex::GetDefaultAllowedConnection(std::string& EndPrep) {
  impl_->Initialise();
  pugi::xml_node row = model::FindConnectionRow(*impl_, impl_->DataRoot, EndPrep);
  return xml::GetAttributeText(row, format::kAttrAllow, "");
}

}  // namespace pipedex
