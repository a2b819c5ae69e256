#include "model/lookup_tables.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "base/errors.h"
#include "base/format.h"
#include "base/seeded_hash.h"
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

// The keyed hash of a row's key: keys come from the catalogue file, so names
// crafted to share a cell cannot be prepared in advance (as for keyed lists).
std::size_t KeyHash(std::string_view key) { return static_cast<std::size_t>(hashing::Hash(key)); }

// Groups the rows by key, keeping the rows of one key in document order.
template <typename Row>
void Group(std::vector<Row>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.key < b.key; });
  rows.shrink_to_fit();
}

// Groups the rows by key and files the first row of each key.
template <typename Row>
void Index(std::vector<Row>& rows, std::vector<std::uint32_t>& firsts) {
  Group(rows);
  std::size_t size = 16;
  while (size * 3 < rows.size() * 4) size *= 2;
  firsts.assign(size, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0 && rows[i - 1].key == rows[i].key) continue;
    std::size_t c = KeyHash(rows[i].key) & (size - 1);
    while (firsts[c] != 0) c = (c + 1) & (size - 1);
    firsts[c] = static_cast<std::uint32_t>(i + 1);
  }
}

// The rows of one text key, through the cells of the first rows.
template <typename Row>
auto RowsOf(const std::vector<Row>& rows, const std::vector<std::uint32_t>& firsts, std::string_view wanted) {
  auto none = std::pair{rows.end(), rows.end()};
  if (firsts.empty()) return none;
  const std::size_t mask = firsts.size() - 1;
  for (std::size_t c = KeyHash(wanted) & mask; firsts[c] != 0; c = (c + 1) & mask) {
    auto first = rows.begin() + static_cast<std::ptrdiff_t>(firsts[c] - 1);
    if (first->key != wanted) continue;
    auto last = first;
    while (last != rows.end() && last->key == wanted) ++last;
    return std::pair{first, last};
  }
  return none;
}

}  // namespace

void LookupTables::Build(pugi::xml_node root) {
  Clear();
  // Room for every row first: rows filed into growing vectors would leave
  // the room they grew out of unused behind them.
  auto rows = [](pugi::xml_node section, const char* name) {
    std::size_t n = 0;
    for (pugi::xml_node row = section.child(name); row; row = row.next_sibling(name)) ++n;
    return n;
  };
  std::size_t bores = 0, excludes = 0, connections = 0;
  for (pugi::xml_node section = root.first_child(); section; section = section.next_sibling()) {
    if (section.type() != pugi::node_element) continue;
    const std::string_view name = section.name();
    if (name == format::kBoreTable) bores += rows(section, format::kBore);
    if (name == format::kWeldExclusionList) excludes += rows(section, format::kExclude);
    if (name == format::kDefaultConnectionTable) connections += rows(section, format::kEndPrep);
  }
  boreMM_.reserve(bores);
  boreIN_.reserve(bores);
  exclusions_.rows.reserve(excludes);
  connections_.rows.reserve(connections);
  for (pugi::xml_node section = root.first_child(); section; section = section.next_sibling()) {
    if (section.type() != pugi::node_element) continue;
    const std::string_view name = section.name();
    if (name == format::kBoreTable) {
      for (pugi::xml_node row : section.children(format::kBore)) {
        for (auto [unit, table] : {std::pair{format::kAttrMM, &boreMM_}, std::pair{format::kAttrIN, &boreIN_}}) {
          pugi::xml_attribute value = row.attribute(unit);
          if (!value) continue;
          const double number = xml::NumberValue(value.value());
          if (std::isfinite(number)) table->push_back({NumberKey(number), row});
        }
      }
    } else if (name == format::kWeldExclusionList) {
      for (pugi::xml_node exclude : section.children(format::kExclude)) {
        pugi::xml_attribute record = exclude.attribute(format::kAttrIDF);
        if (exclude.type() != pugi::node_element || !record) continue;
        exclusions_.rows.push_back({record.value(), texts_.Add(text::UpperTrim(xml::GetAttributeText(
                                                   exclude, format::kAttrSKEY, format::kDefaultExcludeSKEY)))});
      }
    } else if (name == format::kDefaultConnectionTable) {
      for (pugi::xml_node row : section.children(format::kEndPrep)) {
        pugi::xml_attribute code = row.attribute(format::kAttrName);
        if (row.type() == pugi::node_element && code) connections_.rows.push_back({code.value(), row});
      }
    }
  }
  if (boreMM_.size() + boreIN_.size() + exclusions_.rows.size() + connections_.rows.size() >=
      std::size_t{1} << 31)
    throw std::length_error("the lookup tables hold too many rows");
  Group(boreMM_);
  Group(boreIN_);
  Index(exclusions_.rows, exclusions_.firsts);
  Index(connections_.rows, connections_.firsts);
  built_ = true;
}

pugi::xml_node LookupTables::BoreRow(const std::string& unit, double wanted) const {
  const std::vector<BoreEntry>& table = unit == format::kAttrMM ? boreMM_ : boreIN_;
  // std::equal_range rather than its ranges form, which clang 14 cannot compile against this standard library.
  struct ByKey {
    bool operator()(const BoreEntry& e, double k) const { return e.key < k; }
    bool operator()(double k, const BoreEntry& e) const { return k < e.key; }
  };
  auto [first, last] = std::equal_range(table.begin(), table.end(), NumberKey(wanted), ByKey{});
  return first == last ? pugi::xml_node() : first->row;
}

bool LookupTables::WeldExcluded(const std::string& record, const std::string& upperSKEY) const {
  auto [first, last] = RowsOf(exclusions_.rows, exclusions_.firsts, std::string_view(record));
  for (auto row = first; row != last; ++row)
    if (row->skey == format::kDefaultExcludeSKEY || row->skey == upperSKEY) return true;
  return false;
}

pugi::xml_node LookupTables::ConnectionRow(const std::string& name) const {
  auto [first, last] = RowsOf(connections_.rows, connections_.firsts, std::string_view(name));
  return first == last ? pugi::xml_node() : first->row;
}

pugi::xml_node FindBoreRow(const Catalogue& catalogue, pugi::xml_node root, const std::string& unit, double bore) {
  if (!root) errors::RaiseObjectNotSet();
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
