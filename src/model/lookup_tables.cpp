#include "model/lookup_tables.h"

#include <cmath>

#include "base/errors.h"
#include "base/format.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "model/catalogue.h"

namespace pipedex::model {
namespace {

// Numbers that compare equal share one key: -0 files under 0.
double NumberKey(double value) { return value + 0.0; }

// Whether the tables still answer for the document.
bool TablesHold(const Catalogue& catalogue) { return catalogue.Tables.Built() && !catalogue.NodesHandedOut; }

}  // namespace

void LookupTables::Build(pugi::xml_node root) {
  Clear();
  for (pugi::xml_node section = root.first_child(); section; section = section.next_sibling()) {
    if (section.type() != pugi::node_element) continue;
    const std::string_view name = section.name();
    if (name == format::kBoreTable) {
      for (pugi::xml_node row : section.children(format::kBore)) {
        for (auto [unit, table] : {std::pair{format::kAttrMM, &boreMM_}, std::pair{format::kAttrIN, &boreIN_}}) {
          pugi::xml_attribute value = row.attribute(unit);
          if (!value) continue;
          const double number = xml::NumberValue(value.value());
          if (std::isfinite(number)) table->emplace(NumberKey(number), row);  // the first row of a value stays
        }
      }
    } else if (name == format::kWeldExclusionList) {
      for (pugi::xml_node exclude : section.children(format::kExclude)) {
        pugi::xml_attribute record = exclude.attribute(format::kAttrIDF);
        if (exclude.type() != pugi::node_element || !record) continue;
        Exclusions& entry = exclusions_[record.value()];
        const std::string skey =
            text::UpperTrim(xml::GetAttributeText(exclude, format::kAttrSKEY, format::kDefaultExcludeSKEY));
        if (skey == format::kDefaultExcludeSKEY) {
          entry.everySKEY = true;
        } else {
          entry.skeys.push_back(skey);
        }
      }
    } else if (name == format::kDefaultConnectionTable) {
      for (pugi::xml_node row : section.children(format::kEndPrep)) {
        pugi::xml_attribute code = row.attribute(format::kAttrName);
        if (row.type() == pugi::node_element && code) connections_.emplace(code.value(), row);
      }
    }
  }
  built_ = true;
}

pugi::xml_node LookupTables::BoreRow(const std::string& unit, double wanted) const {
  const auto& table = unit == format::kAttrMM ? boreMM_ : boreIN_;
  auto found = table.find(NumberKey(wanted));
  return found == table.end() ? pugi::xml_node() : found->second;
}

bool LookupTables::WeldExcluded(const std::string& record, const std::string& upperSKEY) const {
  auto found = exclusions_.find(record);
  if (found == exclusions_.end()) return false;
  if (found->second.everySKEY) return true;
  for (const std::string& skey : found->second.skeys)
    if (skey == upperSKEY) return true;
  return false;
}

pugi::xml_node LookupTables::ConnectionRow(const std::string& name) const {
  auto found = connections_.find(name);
  return found == connections_.end() ? pugi::xml_node() : found->second;
}

pugi::xml_node FindBoreRow(const Catalogue& catalogue, pugi::xml_node root, const std::string& unit, double bore) {
  if (!root) RaiseObjectNotSet();
  if (!std::isfinite(bore)) return {};
  // The bore counts with the 15 significant digits of its decimal text.
  const double wanted = xml::NumberValue(text::DecimalText(bore));
  if (TablesHold(catalogue) && (unit == format::kAttrMM || unit == format::kAttrIN))
    return catalogue.Tables.BoreRow(unit, wanted);
  for (pugi::xml_node table : root.children(format::kBoreTable))
    for (pugi::xml_node row : table.children(format::kBore)) {
      pugi::xml_attribute value = row.attribute(unit.c_str());
      if (value && xml::NumberValue(value.value()) == wanted) return row;
    }
  return {};
}

bool WeldExcluded(const Catalogue& catalogue, pugi::xml_node root, const std::string& record,
                  const std::string& upperSKEY) {
  if (TablesHold(catalogue) && root) return catalogue.Tables.WeldExcluded(record, upperSKEY);
  for (pugi::xml_node exclude :
       xml::SelectNodes(root, "WELD-EXCLUSION-LIST/EXCLUDE[ @IDF = '" + xml::Quoted(record) + "']")) {
    const std::string excluded =
        text::UpperTrim(xml::GetAttributeText(exclude, format::kAttrSKEY, format::kDefaultExcludeSKEY));
    if (excluded == format::kDefaultExcludeSKEY || excluded == upperSKEY) return true;
  }
  return false;
}

pugi::xml_node FindConnectionRow(const Catalogue& catalogue, pugi::xml_node root, const std::string& endPrep) {
  // A code with a quote or a zero character makes the written expression
  // invalid: that error comes from evaluating it.
  if (TablesHold(catalogue) && root && endPrep.find_first_of(std::string_view("'\0", 2)) == std::string::npos)
    return catalogue.Tables.ConnectionRow(endPrep);
  return xml::SelectSingleNode(root, "DefaultConnectionTable/ENDPREP[@Name='" + xml::Quoted(endPrep) + "']");
}

}  // namespace pipedex::model
