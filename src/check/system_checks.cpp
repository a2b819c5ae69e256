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
#include "model/default_elbow.h"
#include "pipedex/error.h"

namespace pipedex::check {
namespace {

std::string Trimmed(pugi::xml_node node) { return text::Trim(node.child_value()); }

// Which of two definitions of a name the component answers from.
enum class Uses {
  Later,      // look-ups by name find the later one
  Both,       // both are listed
  EndPrep,    // the description is read from the later one, other attributes from the earlier
  FirstFound  // the geometry is read from the earlier one that has it
};

// Names of one kind: the first definition of each; a second one is reported
// at its own place, naming the other and saying which the component uses.
class Names {
 public:
  Names(const Reporter& report, std::string kind, Uses uses) : report_(report), kind_(std::move(kind)), uses_(uses) {}
  void Define(const std::string& name, pugi::xml_node node) {
    auto [it, added] = first_.emplace(name, node);
    if (added) return;
    const std::string other = report_.Place(it->second);
    const char* uses = uses_ == Uses::Later      ? "; the component uses this later one, not the one at "
                       : uses_ == Uses::Both     ? "; the component lists both, this one after the one at "
                       : uses_ == Uses::EndPrep  ? "; its description is read from this later one, its other "
                                                   "attributes from the one at "
                                                 : "; the component reads the geometry from the first that has it, at ";
    report_.Warning(node, "duplicate-name", kind_ + " " + name + " is defined twice" + uses + other);
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
  const Reporter& report_;
  std::string kind_;
  Uses uses_;
  std::map<std::string, pugi::xml_node> first_;
};

bool IsWholeNumber(const std::string& s) {
  auto value = text::ParseNumber(s);
  return value && *value == static_cast<double>(static_cast<long long>(*value));
}

// Reports an attribute whose value must be a number (whole when asked) and is not.
void NeedNumber(const Reporter& report, pugi::xml_node element, const char* name, bool whole) {
  pugi::xml_attribute a = element.attribute(name);
  if (!a) return;
  const std::string value = a.value();
  if (whole ? IsWholeNumber(value) : text::ParseNumber(value).has_value()) return;
  report.Error(element, "bad-number",
               std::string(element.name()) + " " + name + " \"" + value + "\" is not " +
                   (whole ? "a whole number" : "a number"),
               a);
}

void CheckAttributeFamilies(const Reporter& report, const NameRecorder& record, pugi::xml_node section) {
  struct Family {
    long long first, last;
    pugi::xml_node node;
  };
  std::map<std::string, std::vector<Family>> families;
  for (pugi::xml_node att : section.children(format::kATT)) {
    record.Add(att, NameRecorder::At::Value, "attribute", att.attribute(format::kAttrPCF).value(), true,
               format::kPlotraAttributes, att.attribute(format::kAttrPCF));
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
                         " overlaps " + std::to_string(other.first) + "-" + std::to_string(other.last) + " at " + report.Place(other.node));
    families[name].push_back({first, last, att});
  }
}

}  // namespace

void CheckSystem(const Source& view, const Origins& origins, std::vector<Finding>& findings,
                 std::vector<NamePlace>* names) {
  pugi::xml_node root = view.doc.document_element();
  const Reporter report{view, findings, &origins};
  const NameRecorder record{view, origins, names};
  using At = NameRecorder::At;
  CheckSections(report, root, FileKind::System);

  Names skeys(report, "SKEY", Uses::Later), endPreps(report, "end preparation", Uses::EndPrep),
      operations(report, "operation", Uses::Both), configurations(report, "configuration", Uses::FirstFound),
      pcfTypes(report, "PCF type", Uses::Both), groups(report, "group", Uses::Later),
      componentTypes(report, "component type", Uses::Later);
  for (pugi::xml_node skey : root.child(format::kSKEYSection).children(format::kSKEY)) {
    skeys.Define(Trimmed(skey), skey);
    record.Add(skey, At::Text, "SKEY", Trimmed(skey), true, format::kSKEYSection);
    NeedNumber(report, skey, format::kAttrIsoPriority, true);
  }
  for (pugi::xml_node e : root.child(format::kEndPrepSection).children(format::kEndPrep))
  {
    endPreps.Define(Trimmed(e), e);
    record.Add(e, At::Text, "end preparation", Trimmed(e), true, format::kEndPrepSection);
  }
  for (pugi::xml_node op : root.child(format::kOperationSection).children(format::kOperation)) {
    operations.Define(Trimmed(op), op);
    record.Add(op, At::Text, "operation", Trimmed(op), true, format::kOperationSection);
    NeedNumber(report, op, format::kAttrEnum, true);
  }
  std::vector<std::string> configTexts;
  std::set<std::string, std::less<>> configNames;  // the texts whole: the usual match, found without a scan
  for (pugi::xml_node config : root.child(format::kConfigurationSection).children(format::kConfig)) {
    configurations.Define(Trimmed(config), config);
    record.Add(config, At::Text, "configuration", Trimmed(config), true, format::kConfigurationSection);
    configTexts.push_back(config.child_value());
    configNames.insert(configTexts.back());
  }
  pugi::xml_node pcfSection = root.child(format::kPCFIDFSection);
  for (pugi::xml_node pcf : pcfSection.children()) {
    if (pcf.type() != pugi::node_element) continue;
    pcfTypes.Define(pcf.name(), pcf);
    record.Add(pcf, At::ElementName, "PCF type", pcf.name(), true, format::kPCFIDFSection);
    if (names)  // its IDF records are what a PCF type says
      for (pugi::xml_node idf : pcf.children(format::kIDF)) names->back().attributes.emplace_back(format::kIDF, Trimmed(idf));
    for (pugi::xml_node idf : pcf.children(format::kIDF))
      if (!IsWholeNumber(Trimmed(idf)))
        report.Error(idf, "bad-number", "IDF record \"" + Trimmed(idf) + "\" of PCF type " + pcf.name() +
                                            " is not a whole number");
  }

  for (pugi::xml_node group : root.child(format::kCptSection).children()) {
    if (group.type() != pugi::node_element) continue;
    groups.Define(group.name(), group);
    record.Add(group, At::ElementName, "group", group.name(), true, format::kCptSection);
    for (pugi::xml_node type : group.children()) {
      if (type.type() != pugi::node_element) continue;
      const std::string name = type.name();
      componentTypes.Define(name, type);
      record.Add(type, At::ElementName, "component type", name, true, group.name());
      if (model::IsDefaultElbow(type)) {
        // The angle as the component works it out when it builds its lists.
        model::DefaultElbow elbow;
        try {
          elbow.Initialize(type);
        } catch (const Error&) {
          // A geometry that cannot give an angle leaves it 0, as in the build.
        }
        if (elbow.Angle() == 0)
          report.Warning(type, "elbow-no-angle", "default elbow " + name + " has a geometry that gives no angle");
      }
      const std::string pcfType = type.attribute(format::kAttrPCFTYPE).value();
      record.Add(type, At::Value, "PCF type", pcfType, false, name, type.attribute(format::kAttrPCFTYPE));
      if (!pcfType.empty() && !pcfTypes.Has(pcfType))
        report.Error(type, "unknown-pcftype",
                     "component type " + name + " has PCFTYPE " + pcfType + ", which A_PCFIDF does not define",
                     type.attribute(format::kAttrPCFTYPE));
      const std::string configuration = type.attribute(format::kAttrConfiguration).value();
      if (configuration == format::kConfigNonStandard) {
        if (!type.child(format::kDefaultConfiguration))
          report.Error(type, "missing-geometry",
                       "component type " + name + " is NonStandard but has no Default-Configuration");
      } else {
        record.Add(type, At::Value, "configuration", configuration, false, name,
                   type.attribute(format::kAttrConfiguration));
      }
      if (configuration != format::kConfigNonStandard && !configuration.empty() && !configNames.count(configuration) &&
                 std::none_of(configTexts.begin(), configTexts.end(),
                              [&](const std::string& t) { return t.find(configuration) != std::string::npos; })) {
        report.Error(type, "unknown-configuration",
                     "component type " + name + " has Configuration " + configuration +
                         ", which no Config of A_CONFIGURATION names",
                     type.attribute(format::kAttrConfiguration));
      }
      for (pugi::xml_node skey : type.children(format::kSKEY)) {
        record.Add(skey, At::Text, "SKEY", Trimmed(skey), false, name);
        if (!skeys.HasSKEY(Trimmed(skey)))
          report.Error(skey, "undefined-skey",
                       "SKEY " + Trimmed(skey) + " of component type " + name +
                           " is not defined in A_SKEY, neither itself nor its generic form");
      }
      for (pugi::xml_node op : type.children(format::kOperation)) {
        record.Add(op, At::Text, "operation", Trimmed(op), false, name);
        if (!operations.Has(Trimmed(op)))
          report.Error(op, "unknown-operation",
                       "operation " + Trimmed(op) + " of component type " + name + " is not defined in A_OPERATION");
      }
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
    for (pugi::xml_node skey : list.children(format::kSKEY)) {
      record.Add(skey, At::Text, "SKEY", Trimmed(skey), false, format::kDefaultEndPrepSection);
      if (!skeys.HasSKEY(Trimmed(skey)) && !skeys.HasFamily(Trimmed(skey)))
        report.Error(skey, "default-endprep-skey",
                     "default end preparation list names SKEY " + Trimmed(skey) + ", which A_SKEY does not define");
    }
    for (const char* point : format::kConnectionPointPreps)
      for (pugi::xml_node prep : list.children(point)) {
        const std::string code = Trimmed(prep);
        if (code != format::kDerivedEndPrep)
          record.Add(prep, At::Text, "end preparation", code, false, format::kDefaultEndPrepSection);
        if (!code.empty() && code != format::kDerivedEndPrep && !endPreps.Has(code))
          report.Error(prep, "unknown-endprep",
                       std::string(point) + " names end preparation " + code + ", which A_ENDPREP does not define");
      }
  }
  for (pugi::xml_node row : root.child(format::kDefaultConnectionTable).children(format::kEndPrep)) {
    const std::string code = row.attribute(format::kAttrName).value();
    record.Add(row, At::Value, "end preparation", code, false, format::kDefaultConnectionTable,
               row.attribute(format::kAttrName));
    if (!endPreps.Has(code))
      report.Error(row, "unknown-endprep",
                   "connection row names end preparation " + code + ", which A_ENDPREP does not define",
                   row.attribute(format::kAttrName));
  }
  for (pugi::xml_node bore : root.child(format::kBoreTable).children(format::kBore)) {
    NeedNumber(report, bore, format::kAttrMM, false);
    NeedNumber(report, bore, format::kAttrIN, false);
    for (const char* unit : {format::kAttrMM, format::kAttrIN})
      if (!bore.attribute(unit))
        report.Warning(bore, "incomplete-bore",
                       std::string("BORE row has no ") + unit +
                           ": the component skips it and converts that bore by the factor instead");
  }
  CheckAttributeFamilies(report, record, root.child(format::kPlotraAttributes));
}

}  // namespace pipedex::check
