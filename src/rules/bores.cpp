// Bore conversion between millimetres and inches, through the catalogue's
// table of paired nominal sizes or else by the factor 25 (nominal sizes
// pair 2" with 50 mm, not 50.8 mm), and the catalogue sections handed out whole.

#include <cmath>

#include "base/errors.h"
#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

constexpr double kMillimetresPerInch = 25;
constexpr double kInchesPerMillimetre = 1.0 / 25;

// "MM" or "IN" for a unit text (upper-cased and trimmed; the inch mark is "IN"), "" for anything else.
std::string UnitName(const std::string& units) {
  const std::string unit = text::UpperTrim(units);
  if (unit == format::kAttrMM) return format::kAttrMM;
  if (unit == format::kAttrIN || unit == "\"") return format::kAttrIN;
  return "";
}

}  // namespace

double Pipedex::GetConvertedBore(const std::string& RequiredUnits, const std::string& CurrentUnits, double Bore) {
  return detail::Answer(*impl_, Bore, [&](Impl& impl) -> double {
    const std::string target = UnitName(RequiredUnits);
    if (target.empty()) return Bore;
    const double factor = target == format::kAttrIN ? kInchesPerMillimetre : kMillimetresPerInch;
    const std::string source = UnitName(CurrentUnits);
    if (source.empty() || source == target) return Bore;

    pugi::xml_node row = model::FindBoreRow(impl, impl.DataRoot, source, Bore);
    if (!row) return Bore * factor;
    const auto converted = text::ParseNumber(xml::GetAttributeText(row, target, text::DecimalText(Bore * factor)));
    if (!converted) errors::RaiseTypeMismatch();
    if (!std::isfinite(*converted)) errors::RaiseOverflow();
    return *converted;
  });
}

pugi::xml_node Pipedex::GetBoreConversionTable() {
  return detail::Answer(*impl_, {}, [&](Impl& impl) -> pugi::xml_node {
    impl.NodesHandedOut = true;
    return xml::SelectSingleNode(impl.DataRoot, format::kBoreTable);
  });
}

pugi::xml_node Pipedex::GetSystemSymbols() {
  Impl& impl = detail::Loaded(*impl_);
  impl.NodesHandedOut = true;
  return impl.SystemSymbols;
}

pugi::xml_node Pipedex::GetProjectSymbols() {
  Impl& impl = detail::Loaded(*impl_);
  return impl.ProjectSymbols;
}

}  // namespace pipedex
