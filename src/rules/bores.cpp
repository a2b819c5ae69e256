// Bore conversion between millimetres and inches, through the catalogue's
// table of paired nominal sizes or else by the factor 25 (nominal sizes pair
// 2" with 50 mm, not 50.8 mm), and the catalogue sections handed out whole.

#include <cmath>

#include "core/errors.h"
#include "core/format.h"
#include "core/pipedex_impl.h"
#include "core/text.h"
#include "core/xml_document.h"
#include "core/xml_utils.h"

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
  impl_->Initialise();
  try {
    const std::string target = UnitName(RequiredUnits);
    if (target.empty()) return Bore;
    const double factor = target == format::kAttrIN ? kInchesPerMillimetre : kMillimetresPerInch;
    const std::string source = UnitName(CurrentUnits);
    if (source.empty() || source == target) return Bore;

    // The table compares numerically, so a row written 2.0 matches the bore 2.
    pugi::xml_node row = xml::SelectSingleNode(
        impl_->DataRoot, "BORE-CONVERSION-TABLE/BORE[@" + source + " = " + text::DecimalText(Bore) + "]");
    if (!row) return Bore * factor;
    const auto converted =
        text::ParseNumber(xml::GetAttributeText(row, target, text::DecimalText(Bore * factor)));
    if (!converted) RaiseTypeMismatch();
    if (!std::isfinite(*converted)) RaiseOverflow();
    return *converted;
  } catch (...) {
    return Bore;
  }
}

pugi::xml_node Pipedex::GetBoreConversionTable() {
  impl_->Initialise();
  try {
    return xml::SelectSingleNode(impl_->DataRoot, format::kBoreTable);
  } catch (...) {
    return {};
  }
}

pugi::xml_node Pipedex::GetSystemSymbols() {
  impl_->Initialise();
  return impl_->SystemSymbols;
}

pugi::xml_node Pipedex::GetProjectSymbols() {
  impl_->Initialise();
  return impl_->ProjectSymbols;
}

}  // namespace pipedex
