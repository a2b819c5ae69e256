#include "operation_cases.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <set>

#include "protocol.h"

namespace pipedex::bench {
namespace {

// What a client without the component runs for each question: the XPath
// compiled and evaluated on the document, then the values read from the hits.
pugi::xpath_node_set Select(pugi::xml_node root, const char* xpath) {
  pugi::xpath_node_set set = root.select_nodes(xpath);
  benchmark::DoNotOptimize(set.size());
  return set;
}
void Read(const pugi::xpath_node_set& set, const char* attribute) {
  for (const pugi::xpath_node& n : set) {
    std::string value = n.node().attribute(attribute).value();
    benchmark::DoNotOptimize(value);
  }
}

#define UPPER "translate(normalize-space(.),'abcdefghijklmnopqrstuvwxyz','ABCDEFGHIJKLMNOPQRSTUVWXYZ')"

// One argument of a case as written below: a text or a number (enumerations
// by their number), turned into the parameter's type.
struct Sample {
  Sample(const char* t) : text(t), isText(true) {}
  Sample(double n) : number(n) {}
  template <typename E>
    requires std::is_enum_v<E>
  Sample(E e) : number(static_cast<double>(e)) {}
  cli::ArgValue As(cli::ArgType type) const {
    switch (type) {
      case cli::ArgType::String: return isText ? text : std::string();
      case cli::ArgType::Long: return static_cast<std::int32_t>(number);
      case cli::ArgType::Double: return number;
      case cli::ArgType::Bool: return number != 0;
    }
    return text;
  }
  std::string text;
  double number = 0;
  bool isText = false;
};

// The arguments of a call in declared order; those not given (the trailing
// in-out ones) start as "", 0 or false.
cli::Args ArgsFor(const std::vector<cli::Param>& params, const std::vector<Sample>& given) {
  cli::Args args;
  for (std::size_t i = 0; i < params.size(); ++i)
    args.values.push_back(i < given.size() ? given[i].As(params[i].type) : Sample("").As(params[i].type));
  return args;
}

// A call of an operation of the protocol table as the member itself: the
// in-out arguments get their first values back before each call (the
// operations read some of them), without allocating.
std::function<void(Pipedex&)> CallOf(const cli::Operation& op, const std::vector<Sample>& given) {
  auto original = std::make_shared<const cli::Args>(ArgsFor(op.params, given));
  auto work = std::make_shared<cli::Args>(*original);
  std::vector<std::size_t> inout;
  for (std::size_t i = 0; i < op.params.size(); ++i)
    if (op.params[i].inout) inout.push_back(i);
  return [call = op.call, original, work, inout](Pipedex& p) {
    for (std::size_t i : inout) work->values[i] = original->values[i];
    call(p, *work);
  };
}

std::function<void(Pipedex&)> SetterOf(const cli::Property& property, const std::vector<Sample>& given) {
  const cli::ArgValue value = given.at(0).As(property.type);
  return [set = property.set, value](Pipedex& p) { set(p, value); };
}

// The operation a case name measures: "FindPCFTYPEs[all]" measures FindPCFTYPEs.
std::string OperationName(const std::string& caseName) { return caseName.substr(0, caseName.find('[')); }

}  // namespace

void ResetResultLists(Pipedex& p) {
  p.FindComponentTypes("", "", "");
  p.FindSKEYs("");
  p.FindOperations("");
  p.FindPCFTYPEs("", 999);
}

std::vector<OperationCase> ReadOperationCases() {
  using K = CaseKind;
  const cli::OperationTable table = cli::BuildOperationTable();
  std::vector<OperationCase> c;
  std::set<std::string> measured;
  // A case of an operation of the table; a name the table does not hold stops the run.
  auto add = [&](std::string name, K kind, std::vector<Sample> args, std::function<void(pugi::xml_node)> baseline = {}) {
    const std::string opName = OperationName(name);
    std::function<void(Pipedex&)> call;
    if (name.ends_with("[set]") && table.FindSetter(opName)) {
      call = SetterOf(*table.FindSetter(opName), args);
    } else if (const cli::Operation* op = table.Find(opName)) {
      call = CallOf(*op, args);
    } else {
      std::cerr << "pipedex-bench: no operation " << opName << " in the protocol table\n";
      std::exit(2);
    }
    measured.insert(opName);
    c.push_back({std::move(name), kind, std::move(call), std::move(baseline)});
  };

  // --- Keyed questions -----------------------------------------------------------
  add("GetSKEYData", K::Keyed,
      {"ELBW"},
      [](pugi::xml_node r) {
        Read(Select(r, "A_SKEY/SKEY[" UPPER "='ELBW']"), "Description");
        Select(r, "A_DEFAULT_ENDPREP/SKEYLIST[SKEY='ELBW' or SKEY='EL**']/*[starts-with(name(),'CP_')]");
      });
  add("GetComponentTypeData", K::Keyed,
      {"Elbow-45"},
      [](pugi::xml_node r) {
        auto set = Select(r, "A_CPT/*/Elbow-45");
        Read(set, "PCFTYPE");
        Read(set, "Configuration");
        Read(set, "Description");
      });
  add("GetSKEYAttribute", K::Keyed, {"ELBW", "Symbol"},
      [](pugi::xml_node r) { Read(Select(r, "A_SKEY/SKEY[" UPPER "='EL**' or " UPPER "='ELBW']"), "Symbol"); });
  add("GetIsoPriority", K::Keyed, {"ELBW"},
      [](pugi::xml_node r) { Read(Select(r, "A_SKEY/SKEY[" UPPER "='EL**' or " UPPER "='ELBW']"), "IsoPriority"); });
  add("IsTrimmableSKEY", K::Keyed, {"ELBW"},
      [](pugi::xml_node r) {
        Select(r, "A_CPT/*/*[SKEY='EL**'][1]/Operation[" UPPER "='TRIM']");
        Select(r, "A_DEFAULT_ENDPREP/SKEYLIST[SKEY='ELBW' or SKEY='EL**']/*[starts-with(name(),'CP_')]");
        Read(Select(r, "A_ENDPREP/ENDPREP[.='BW--']"), "Attribute");
      });
  add("PCFAttributeCheck", K::Keyed, {"ITEM-CODE"},
      [](pugi::xml_node r) {
        Read(Select(r, "PLOTRA-ATTRIBUTES/ATT[translate(@PCF,'abcdefghijklmnopqrstuvwxyz','ABCDEFGHIJKLMNOPQRSTUVWXYZ')"
                       "='ITEM-CODE']"),
             "EXPORTUSING");
        Select(r, "PLOTRA-ATTRIBUTES/PODFILE-SUPPRESS-LIST/ATT[@SUPPRESS='ITEM-CODE']");
      });
  add("GetIDFAttribute", K::Keyed, {"COMPONENT-ATTRIBUTE6"},
      [](pugi::xml_node r) {
        Read(Select(r, "PLOTRA-ATTRIBUTES/ATT[@PCF='COMPONENT-ATTRIBUTE6' or @PCFBASE='COMPONENT-ATTRIBUTE']"),
             "IDF");
      });
  add("GetDefaultPCFTYPE", K::Keyed, {105},
      [](pugi::xml_node r) { Select(r, "A_PCFIDF/*[IDF='105']/DEFAULT"); });
  add("IsSKEYDefault", K::Keyed, {"Elbow-90"},
      [](pugi::xml_node r) { Select(r, "A_CPT/*/Elbow-90/SKEY_DEFAULT"); });
  add("FindComponentTypes[SKEY]", K::Keyed, {"", "SKEY", "ELBW"},
      [](pugi::xml_node r) { Select(r, "A_CPT/*/*[SKEY='EL**' or SKEY='ELBW']"); });
  add("FindComponentTypes[PCFTYPE]", K::Keyed, {"", "PCFTYPE", "VALVE"},
      [](pugi::xml_node r) { Select(r, "A_CPT/*/*[@PCFTYPE='VALVE']"); });
  add("GetValidData", K::Keyed,
      {"VALVE", "VTBW", vdM_SKEY},
      [](pugi::xml_node r) {
        Select(r, "A_CPT/*/*[SKEY='VTBW' or SKEY='VT**']");
        Select(r, "A_CPT/*/*[@PCFTYPE='VALVE']");
      });
  // The tables read by value. They run before the operations that hand out
  // nodes of the document: from then on these walk the document again.
  add("GetConvertedBore", K::Keyed, {"MM", "in", 2},
      [](pugi::xml_node r) { Read(Select(r, "BORE-CONVERSION-TABLE/BORE[@IN = 2]"), "MM"); });
  add("WeldAttributesAllowed", K::Keyed, {150, "VTSC"},
      [](pugi::xml_node r) { Read(Select(r, "WELD-EXCLUSION-LIST/EXCLUDE[ @IDF = '150']"), "SKEY"); });
  add("GetDefaultAllowedConnection", K::Keyed, {"SW--"},
      [](pugi::xml_node r) { Read(Select(r, "DefaultConnectionTable/ENDPREP[@Name='SW--']"), "Allow"); });

  // --- One XPath (or a few) per call -----------------------------------------------
  add("IsOperationSupported", K::XPathPerCall, {"Pipe", opTrim});
  add("HasFlag", K::XPathPerCall, {"Pipe", flVariable});
  add("IsValidPlacement", K::XPathPerCall, {"Support-Hanger", "Pipe ", "ELBW"});
  add("GetComponentTypeByAngle", K::XPathPerCall, {"ELBW", 50});
  add("FindComponentTypes[CONFIGURATION]", K::XPathPerCall,
      {"Elbows", "CONFIGURATION", "angle_90"});

  // --- Everything else ------------------------------------------------------------------
  add("GroupCount", K::Other, {});
  add("ComponentTypeCount", K::Other, {});
  add("SKEYCount", K::Other, {});
  add("ConfigurationCount", K::Other, {});
  add("EndPrepCount", K::Other, {});
  add("OperationCount", K::Other, {});
  add("PCFTYPECount", K::Other, {});
  add("GetGroup", K::Other, {3});
  add("GetComponentType", K::Other, {1});
  add("GetSKEY", K::Other, {5});
  add("GetConfiguration", K::Other, {2});
  add("GetEndPrep", K::Other, {1});
  add("GetOperation", K::Other, {2});
  add("SystemXMLPath", K::Other, {});
  add("ProjectXMLPath", K::Other, {});
  add("UserXMLPath", K::Other, {});
  add("GetPCFAttribute", K::Other, {495});
  add("FindComponentTypes[all]", K::Other, {"", "", ""});
  add("GetComponentTypeAttribute", K::Other, {"Elbow-45", "Radius"});
  add("GetComponentTypeDefaultConfiguration", K::Other,
      {"Tee-Equal"});
  add("GetComponentTypeDefaultDataEntry", K::Other,
      {"Tee-Equal"});
  add("GetGroupAttribute", K::Other, {"Valves", "Description"});
  add("FindSKEYs", K::Other, {"Weld-Multiple"});
  add("GetDefaultCategory", K::Other, {"ELFL"});
  add("GetExpectedWeldNumberCount", K::Other, {"ZSW3"});
  add("IsTrimmableComponentType", K::Other, {"Elbow-90"});
  add("IsTrimmableEndByComponentType", K::Other,
      {"Elbow-90", "BW"});
  add("OperationEnumToString", K::Other, {opTrim});
  add("OperationStringToEnum", K::Other, {" placeon "});
  add("FlagEnumToString", K::Other, {flVariable});
  add("FlagStringToEnum", K::Other, {"artificial"});
  add("FindOperations", K::Other, {"Pipe"});
  add("GetOperationEnum", K::Other, {3});
  add("GetEndPrepDescription", K::Other, {"SW--"});
  add("GetEndPrepAttribute", K::Other, {"BW--", "Trimmable"});
  add("IsPlotraEndPrep", K::Other, {"sw"});
  add("IsEndPrepConsistent", K::Other, {"BW--", "ELBW"});
  add("AngleTolerance[get]", K::Other, {});
  add("AngleTolerance[set]", K::Other, {1.0});
  add("GetConfigurationForAngle", K::Other, {44.5});
  add("GetAngleComponentData", K::Other, {"Elbow-90-V", 50});
  add("GetAngleComponentData2", K::Other, {"Elbow-90-V", "BW", "BW", 50});
  add("DefaultElbows", K::Other, {});
  add("FindPCFTYPEs", K::Other, {"ELBW", 105});
  add("FindPCFTYPEs[all]", K::Other, {"", 999});
  add("FindPCFTYPEs[every SKEY]", K::Other, {"*", 999});
  add("FindPCFTYPEs[every SKEY, record]", K::Other, {"*", 150});
  add("GetPCFTYPE", K::Other, {1});
  add("GetValidData[PCFTYPE master]", K::Other, {"VALVE", "ELBW", vdM_PCFTYPE});
  add("IsPCFTypeDefault", K::Other, {"Valve-Gate"});
  add("GetBoreConversionTable", K::Other, {});
  add("GetSystemSymbols", K::Other, {});
  add("GetProjectSymbols", K::Other, {});

  // An operation without a case above is measured with neutral arguments.
  for (const auto& [name, op] : table.operations())
    if (op.effect == cli::Effect::None && !measured.count(name)) add(name, K::Other, {});
  return c;
}

}  // namespace pipedex::bench
