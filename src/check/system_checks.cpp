// The checks of a system file: misspelt and repeated sections, names defined
// twice, references to nothing (PCF types, configurations, SKEYs, operations,
// flags, end preparations), numbers that do not parse and attribute families
// whose ranges overlap.

#include <algorithm>
#include <map>
#include <set>

#include "base/format.h"
#include "base/text.h"
#include "check/checks.h"
#include "model/catalogue.h"

namespace pipedex::check {
namespace {

// The sections a catalogue file may hold: the system file's and the overlays'.
const char* const kSections[] = {format::kCptSection,
                                 format::kSKEYSection,
                                 format::kEndPrepSection,
                                 format::kOperationSection,
                                 format::kConfigurationSection,
                                 format::kPCFIDFSection,
                                 format::kDefaultEndPrepSection,
                                 format::kPlotraAttributes,
                                 format::kWeldExclusionList,
                                 format::kBoreTable,
                                 format::kDefaultConnectionTable,
                                 format::kSymbols,
                                 format::kOverlayCpt,
                                 format::kOverlayChangeGroups,
                                 format::kOverlaySKEY,
                                 format::kOverlayBoreTable};

std::string Trimmed(pugi::xml_node node) { return text::Trim(node.child_value()); }

// Edit distance of two ASCII names, ignoring letter case.
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = text::AsciiUpper(a[i - 1]) == text::AsciiUpper(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Names of one kind: the first definition of each; a second one is reported.
class Names {
 public:
  Names(Reporter& report, std::string kind) : report_(report), kind_(std::move(kind)) {}
  void Define(const std::string& name, pugi::xml_node node) {
    auto [it, added] = first_.emplace(name, node);
    if (!added)
      report_.Warning(node, "duplicate-name", kind_ + " " + name + " is defined twice; the other is at " +
                                                  Place(report_.source, it->second));
  }
  bool Has(const std::string& name) const { return first_.count(name) != 0; }
  // An SKEY, or its generic form (the first two characters and "**") except for flanges.
  bool HasSKEY(const std::string& skey) const {
    if (Has(skey)) return true;
    return skey.size() >= 2 && !text::StartsWith(skey, format::kFlangeSKEYPrefix) && Has(model::GenericSKEY(skey));
  }
  // A bend family of a default end preparation list, "PB+D": some SKEY of the
  // same first two characters, a digit third and "D" last (PB3D, PB5D...).
  bool HasFamily(const std::string& family) const {
    if (family.size() != 4 || family.compare(2, 2, format::kBendFamilyMarker) != 0) return false;
    return std::any_of(first_.begin(), first_.end(), [&](const auto& entry) {
      const std::string& skey = entry.first;
      return skey.size() == 4 && skey.compare(0, 2, family, 0, 2) == 0 && skey[2] >= '0' && skey[2] <= '9' &&
             skey[3] == 'D';
    });
  }

 private:
  Reporter& report_;
  std::string kind_;
  std::map<std::string, pugi::xml_node> first_;
};

bool IsWholeNumber(const std::string& s) {
  auto value = text::ParseNumber(s);
  return value && *value == static_cast<double>(static_cast<long long>(*value));
}

// Reports an attribute whose value must be a number (whole when asked) and is not.
void NeedNumber(Reporter& report, pugi::xml_node element, const char* name, bool whole) {
  pugi::xml_attribute a = element.attribute(name);
  if (!a) return;
  const std::string value = a.value();
  if (whole ? IsWholeNumber(value) : text::ParseNumber(value).has_value()) return;
  report.Error(element, "bad-number",
               std::string(element.name()) + " " + name + " \"" + value + "\" is not " +
                   (whole ? "a whole number" : "a number"),
               a);
}

void CheckSections(Reporter& report, pugi::xml_node root) {
  std::map<std::string, pugi::xml_node> seen;
  for (pugi::xml_node section : root.children()) {
    if (section.type() != pugi::node_element) continue;
    const std::string name = section.name();
    auto [it, added] = seen.emplace(name, section);
    if (!added) {
      report.Warning(section, "duplicate-section",
                     "section " + name + " is written twice; only the first, at " + Place(report.source, it->second) +
                         ", is read");
      continue;
    }
    if (std::find(std::begin(kSections), std::end(kSections), name) != std::end(kSections)) continue;
    const char* nearest = nullptr;
    for (const char* known : kSections)
      if (Distance(name, known) <= 2 && !root.child(known)) nearest = known;
    if (nearest)
      report.Error(section, "unknown-section",
                   "unknown section " + name + " is ignored; did you mean " + nearest + "?");
    else
      report.Warning(section, "unknown-section", "unknown section " + name + " is ignored");
  }
}

void CheckAttributeFamilies(Reporter& report, pugi::xml_node section) {
  struct Family {
    long long first, last;
    pugi::xml_node node;
  };
  std::map<std::string, std::vector<Family>> families;
  for (pugi::xml_node att : section.children(format::kATT)) {
    NeedNumber(report, att, format::kAttrNUMBER, true);
    NeedNumber(report, att, format::kAttrBASE, true);
    if (att.attribute(format::kAttrPCF) || !att.attribute(format::kAttrPCFBASE)) continue;
    auto number = text::ParseNumber(att.attribute(format::kAttrNUMBER).as_string(format::kDefaultNUMBER));
    auto base = text::ParseNumber(att.attribute(format::kAttrBASE).as_string(format::kDefaultBASE));
    if (!number || !base || *number < 1) continue;
    const auto first = static_cast<long long>(*base), last = first + static_cast<long long>(*number) - 1;
    const std::string name = text::Upper(att.attribute(format::kAttrPCFBASE).value());
    for (const Family& other : families[name])
      if (first <= other.last && other.first <= last)
        report.Error(att, "overlapping-family",
                     "attribute family " + name + " " + std::to_string(first) + "-" + std::to_string(last) +
                         " overlaps " + std::to_string(other.first) + "-" + std::to_string(other.last) + " at " +
                         Place(report.source, other.node));
    families[name].push_back({first, last, att});
  }
}

}  // namespace

pugi::xml_node Root(const Source& source, std::vector<Finding>& findings) {
  pugi::xml_node root = source.doc.document_element();
  if (std::string_view(root.name()) == format::kRoot) return root;
  Reporter report{source, findings};
  report.Error(root ? root : source.doc.root(), "root",
               std::string("the root element is ") + (root ? root.name() : "missing") + ", not " + format::kRoot);
  return {};
}

void CheckSystem(const Source& system, std::vector<Finding>& findings) {
  pugi::xml_node root = Root(system, findings);
  if (!root) return;
  Reporter report{system, findings};
  CheckSections(report, root);

  Names skeys(report, "SKEY"), endPreps(report, "end preparation"), operations(report, "operation"),
      configurations(report, "configuration"), pcfTypes(report, "PCF type"), groups(report, "group"),
      componentTypes(report, "component type");
  for (pugi::xml_node skey : root.child(format::kSKEYSection).children(format::kSKEY)) {
    skeys.Define(Trimmed(skey), skey);
    NeedNumber(report, skey, format::kAttrIsoPriority, true);
  }
  for (pugi::xml_node e : root.child(format::kEndPrepSection).children(format::kEndPrep))
    endPreps.Define(Trimmed(e), e);
  for (pugi::xml_node op : root.child(format::kOperationSection).children(format::kOperation)) {
    operations.Define(Trimmed(op), op);
    NeedNumber(report, op, format::kAttrEnum, true);
  }
  std::vector<std::string> configTexts;
  for (pugi::xml_node config : root.child(format::kConfigurationSection).children(format::kConfig)) {
    configurations.Define(Trimmed(config), config);
    configTexts.push_back(config.child_value());
  }
  pugi::xml_node pcfSection = root.child(format::kPCFIDFSection);
  for (pugi::xml_node pcf : pcfSection.children()) {
    if (pcf.type() != pugi::node_element) continue;
    pcfTypes.Define(pcf.name(), pcf);
    for (pugi::xml_node idf : pcf.children(format::kIDF))
      if (!IsWholeNumber(Trimmed(idf)))
        report.Error(idf, "bad-number", "IDF record \"" + Trimmed(idf) + "\" of PCF type " + pcf.name() +
                                            " is not a whole number");
  }

  for (pugi::xml_node group : root.child(format::kCptSection).children()) {
    if (group.type() != pugi::node_element) continue;
    groups.Define(group.name(), group);
    for (pugi::xml_node type : group.children()) {
      if (type.type() != pugi::node_element) continue;
      const std::string name = type.name();
      componentTypes.Define(name, type);
      const std::string pcfType = type.attribute(format::kAttrPCFTYPE).value();
      if (!pcfType.empty() && pcfSection && !pcfTypes.Has(pcfType))
        report.Error(type, "unknown-pcftype",
                     "component type " + name + " has PCFTYPE " + pcfType + ", which A_PCFIDF does not define",
                     type.attribute(format::kAttrPCFTYPE));
      const std::string configuration = type.attribute(format::kAttrConfiguration).value();
      if (configuration == format::kConfigNonStandard) {
        if (!type.child(format::kDefaultConfiguration))
          report.Error(type, "missing-geometry",
                       "component type " + name + " is NonStandard but has no Default-Configuration");
      } else if (!configuration.empty() &&
                 std::none_of(configTexts.begin(), configTexts.end(),
                              [&](const std::string& t) { return t.find(configuration) != std::string::npos; })) {
        report.Error(type, "unknown-configuration",
                     "component type " + name + " has Configuration " + configuration +
                         ", which no Config of A_CONFIGURATION names",
                     type.attribute(format::kAttrConfiguration));
      }
      for (pugi::xml_node skey : type.children(format::kSKEY))
        if (!skeys.HasSKEY(Trimmed(skey)))
          report.Error(skey, "undefined-skey",
                       "SKEY " + Trimmed(skey) + " of component type " + name +
                           " is not defined in A_SKEY, neither itself nor its generic form");
      for (pugi::xml_node op : type.children(format::kOperation))
        if (!operations.Has(Trimmed(op)))
          report.Error(op, "unknown-operation",
                       "operation " + Trimmed(op) + " of component type " + name + " is not defined in A_OPERATION");
      for (pugi::xml_node flag : type.children(format::kFlag)) {
        const std::string f = Trimmed(flag);
        if (f != format::kFlagVariable && f != format::kFlagArtificial && f != format::kFlagIndeterminate)
          report.Error(flag, "unknown-flag",
                       "flag " + f + " of component type " + name + " is none of Variable, Artificial, Indeterminate");
      }
      for (pugi::xml_node keypoint : type.child(format::kDefaultConfiguration).children(format::kKeypoint)) {
        pugi::xml_attribute coords = keypoint.attribute(format::kAttrCoords);
        if (!coords) continue;
        const std::string value = coords.value();
        std::size_t parts = 0, start = 0;
        bool good = true;
        for (; start <= value.size(); ++parts) {
          const std::size_t comma = std::min(value.find(',', start), value.size());
          good = good && text::ParseNumber(value.substr(start, comma - start)).has_value();
          start = comma + 1;
        }
        if (!good || parts != 3)
          report.Error(keypoint, "bad-number",
                       "keypoint Coords \"" + value + "\" of component type " + name + " are not three numbers", coords);
      }
    }
  }

  for (pugi::xml_node list : root.child(format::kDefaultEndPrepSection).children(format::kSKEYList)) {
    for (pugi::xml_node skey : list.children(format::kSKEY))
      if (!skeys.HasSKEY(Trimmed(skey)) && !skeys.HasFamily(Trimmed(skey)))
        report.Error(skey, "default-endprep-skey",
                     "default end preparation list names SKEY " + Trimmed(skey) + ", which A_SKEY does not define");
    for (const char* point : format::kConnectionPointPreps)
      for (pugi::xml_node prep : list.children(point)) {
        const std::string code = Trimmed(prep);
        if (!code.empty() && code != format::kDerivedEndPrep && !endPreps.Has(code))
          report.Error(prep, "unknown-endprep",
                       std::string(point) + " names end preparation " + code + ", which A_ENDPREP does not define");
      }
  }
  for (pugi::xml_node row : root.child(format::kDefaultConnectionTable).children(format::kEndPrep)) {
    const std::string code = row.attribute(format::kAttrName).value();
    if (!endPreps.Has(code))
      report.Error(row, "unknown-endprep",
                   "connection row names end preparation " + code + ", which A_ENDPREP does not define",
                   row.attribute(format::kAttrName));
  }
  for (pugi::xml_node bore : root.child(format::kBoreTable).children(format::kBore)) {
    NeedNumber(report, bore, format::kAttrMM, false);
    NeedNumber(report, bore, format::kAttrIN, false);
  }
  CheckAttributeFamilies(report, root.child(format::kPlotraAttributes));
}

}  // namespace pipedex::check
