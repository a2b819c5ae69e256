#include "operation_cases.h"

#include <benchmark/benchmark.h>

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

template <typename T>
void Use(T&& value) {
  benchmark::DoNotOptimize(value);
}

}  // namespace

void ResetResultLists(Pipedex& p) {
  p.FindComponentTypes("", "", "");
  p.FindSKEYs("");
  p.FindOperations("");
  p.FindPCFTYPEs("", 999);
}

std::vector<OperationCase> ReadOperationCases() {
  using K = CaseKind;
  std::vector<OperationCase> c;
  auto add = [&](std::string name, K kind, std::function<void(Pipedex&)> call,
                 std::function<void(pugi::xml_node)> baseline = {}) {
    c.push_back({std::move(name), kind, std::move(call), std::move(baseline)});
  };

  // --- Keyed questions -----------------------------------------------------------
  add("GetSKEYData", K::Keyed,
      [](Pipedex& p) {
        std::string d, c1, c2, c3, c4;
        Use(p.GetSKEYData("ELBW", d, c1, c2, c3, c4));
      },
      [](pugi::xml_node r) {
        Read(Select(r, "A_SKEY/SKEY[" UPPER "='ELBW']"), "Description");
        Select(r, "A_DEFAULT_ENDPREP/SKEYLIST[SKEY='ELBW' or SKEY='EL**']/*[starts-with(name(),'CP_')]");
      });
  add("GetComponentTypeData", K::Keyed,
      [](Pipedex& p) {
        std::string g, t, cfg, d;
        Use(p.GetComponentTypeData("Elbow-45", g, t, cfg, d));
      },
      [](pugi::xml_node r) {
        auto set = Select(r, "A_CPT/*/Elbow-45");
        Read(set, "PCFTYPE");
        Read(set, "Configuration");
        Read(set, "Description");
      });
  add("GetSKEYAttribute", K::Keyed, [](Pipedex& p) { Use(p.GetSKEYAttribute("ELBW", "Symbol")); },
      [](pugi::xml_node r) { Read(Select(r, "A_SKEY/SKEY[" UPPER "='EL**' or " UPPER "='ELBW']"), "Symbol"); });
  add("GetIsoPriority", K::Keyed, [](Pipedex& p) { Use(p.GetIsoPriority("ELBW")); },
      [](pugi::xml_node r) { Read(Select(r, "A_SKEY/SKEY[" UPPER "='EL**' or " UPPER "='ELBW']"), "IsoPriority"); });
  add("IsTrimmableSKEY", K::Keyed, [](Pipedex& p) { Use(p.IsTrimmableSKEY("ELBW")); },
      [](pugi::xml_node r) {
        Select(r, "A_CPT/*/*[SKEY='EL**'][1]/Operation[" UPPER "='TRIM']");
        Select(r, "A_DEFAULT_ENDPREP/SKEYLIST[SKEY='ELBW' or SKEY='EL**']/*[starts-with(name(),'CP_')]");
        Read(Select(r, "A_ENDPREP/ENDPREP[.='BW--']"), "Attribute");
      });
  add("PCFAttributeCheck", K::Keyed, [](Pipedex& p) { Use(p.PCFAttributeCheck("ITEM-CODE")); },
      [](pugi::xml_node r) {
        Read(Select(r, "PLOTRA-ATTRIBUTES/ATT[translate(@PCF,'abcdefghijklmnopqrstuvwxyz','ABCDEFGHIJKLMNOPQRSTUVWXYZ')"
                       "='ITEM-CODE']"),
             "EXPORTUSING");
        Select(r, "PLOTRA-ATTRIBUTES/PODFILE-SUPPRESS-LIST/ATT[@SUPPRESS='ITEM-CODE']");
      });
  add("GetIDFAttribute", K::Keyed, [](Pipedex& p) { Use(p.GetIDFAttribute("COMPONENT-ATTRIBUTE6")); },
      [](pugi::xml_node r) {
        Read(Select(r, "PLOTRA-ATTRIBUTES/ATT[@PCF='COMPONENT-ATTRIBUTE6' or @PCFBASE='COMPONENT-ATTRIBUTE']"),
             "IDF");
      });
  add("GetDefaultPCFTYPE", K::Keyed, [](Pipedex& p) { Use(p.GetDefaultPCFTYPE(105)); },
      [](pugi::xml_node r) { Select(r, "A_PCFIDF/*[IDF='105']/DEFAULT"); });
  add("IsSKEYDefault", K::Keyed, [](Pipedex& p) { Use(p.IsSKEYDefault("Elbow-90")); },
      [](pugi::xml_node r) { Select(r, "A_CPT/*/Elbow-90/SKEY_DEFAULT"); });
  add("FindComponentTypes[SKEY]", K::Keyed, [](Pipedex& p) { Use(p.FindComponentTypes("", "SKEY", "ELBW")); },
      [](pugi::xml_node r) { Select(r, "A_CPT/*/*[SKEY='EL**' or SKEY='ELBW']"); });
  add("FindComponentTypes[PCFTYPE]", K::Keyed, [](Pipedex& p) { Use(p.FindComponentTypes("", "PCFTYPE", "VALVE")); },
      [](pugi::xml_node r) { Select(r, "A_CPT/*/*[@PCFTYPE='VALVE']"); });
  add("GetValidData", K::Keyed,
      [](Pipedex& p) {
        std::string data, type;
        Use(p.GetValidData("VALVE", "VTBW", vdM_SKEY, data, type));
      },
      [](pugi::xml_node r) {
        Select(r, "A_CPT/*/*[SKEY='VTBW' or SKEY='VT**']");
        Select(r, "A_CPT/*/*[@PCFTYPE='VALVE']");
      });

  // --- One XPath (or a few) per call -----------------------------------------------
  add("IsOperationSupported", K::XPathPerCall, [](Pipedex& p) { Use(p.IsOperationSupported("Pipe", opTrim)); });
  add("HasFlag", K::XPathPerCall, [](Pipedex& p) { Use(p.HasFlag("Pipe", flVariable)); });
  add("IsValidPlacement", K::XPathPerCall, [](Pipedex& p) { Use(p.IsValidPlacement("Support-Hanger", "Pipe ", "ELBW")); });
  add("GetConvertedBore", K::XPathPerCall, [](Pipedex& p) { Use(p.GetConvertedBore("MM", "in", 2)); });
  add("GetComponentTypeByAngle", K::XPathPerCall, [](Pipedex& p) {
    bool trimmed = false;
    Use(p.GetComponentTypeByAngle("ELBW", 50, trimmed));
  });
  add("FindComponentTypes[CONFIGURATION]", K::XPathPerCall,
      [](Pipedex& p) { Use(p.FindComponentTypes("Elbows", "CONFIGURATION", "angle_90")); });

  // --- Everything else ------------------------------------------------------------------
  add("GroupCount", K::Other, [](Pipedex& p) { Use(p.GroupCount()); });
  add("ComponentTypeCount", K::Other, [](Pipedex& p) { Use(p.ComponentTypeCount()); });
  add("SKEYCount", K::Other, [](Pipedex& p) { Use(p.SKEYCount()); });
  add("ConfigurationCount", K::Other, [](Pipedex& p) { Use(p.ConfigurationCount()); });
  add("EndPrepCount", K::Other, [](Pipedex& p) { Use(p.EndPrepCount()); });
  add("OperationCount", K::Other, [](Pipedex& p) { Use(p.OperationCount()); });
  add("PCFTYPECount", K::Other, [](Pipedex& p) { Use(p.PCFTYPECount()); });
  add("GetGroup", K::Other, [](Pipedex& p) { Use(p.GetGroup(3)); });
  add("GetComponentType", K::Other, [](Pipedex& p) { Use(p.GetComponentType(1)); });
  add("GetSKEY", K::Other, [](Pipedex& p) { Use(p.GetSKEY(5)); });
  add("GetConfiguration", K::Other, [](Pipedex& p) { Use(p.GetConfiguration(2)); });
  add("GetEndPrep", K::Other, [](Pipedex& p) { Use(p.GetEndPrep(1)); });
  add("GetOperation", K::Other, [](Pipedex& p) { Use(p.GetOperation(2)); });
  add("SystemXMLPath", K::Other, [](Pipedex& p) { Use(p.SystemXMLPath()); });
  add("ProjectXMLPath", K::Other, [](Pipedex& p) { Use(p.ProjectXMLPath()); });
  add("UserXMLPath", K::Other, [](Pipedex& p) { Use(p.UserXMLPath()); });
  add("GetPCFAttribute", K::Other, [](Pipedex& p) { Use(p.GetPCFAttribute(495)); });
  add("FindComponentTypes[all]", K::Other, [](Pipedex& p) { Use(p.FindComponentTypes("", "", "")); });
  add("GetComponentTypeAttribute", K::Other, [](Pipedex& p) { Use(p.GetComponentTypeAttribute("Elbow-45", "Radius")); });
  add("GetComponentTypeDefaultConfiguration", K::Other,
      [](Pipedex& p) { Use(p.GetComponentTypeDefaultConfiguration("Tee-Equal")); });
  add("GetComponentTypeDefaultDataEntry", K::Other,
      [](Pipedex& p) { Use(p.GetComponentTypeDefaultDataEntry("Tee-Equal")); });
  add("GetGroupAttribute", K::Other, [](Pipedex& p) { Use(p.GetGroupAttribute("Valves", "Description")); });
  add("FindSKEYs", K::Other, [](Pipedex& p) { Use(p.FindSKEYs("Weld-Multiple")); });
  add("GetDefaultCategory", K::Other, [](Pipedex& p) { Use(p.GetDefaultCategory("ELFL")); });
  add("GetExpectedWeldNumberCount", K::Other, [](Pipedex& p) { Use(p.GetExpectedWeldNumberCount("ZSW3")); });
  add("IsTrimmableComponentType", K::Other, [](Pipedex& p) { Use(p.IsTrimmableComponentType("Elbow-90")); });
  add("IsTrimmableEndByComponentType", K::Other,
      [](Pipedex& p) { Use(p.IsTrimmableEndByComponentType("Elbow-90", "BW")); });
  add("OperationEnumToString", K::Other, [](Pipedex& p) { Use(p.OperationEnumToString(opTrim)); });
  add("OperationStringToEnum", K::Other, [](Pipedex& p) { Use(p.OperationStringToEnum(" placeon ")); });
  add("FlagEnumToString", K::Other, [](Pipedex& p) { Use(p.FlagEnumToString(flVariable)); });
  add("FlagStringToEnum", K::Other, [](Pipedex& p) { Use(p.FlagStringToEnum("artificial")); });
  add("FindOperations", K::Other, [](Pipedex& p) { Use(p.FindOperations("Pipe")); });
  add("GetOperationEnum", K::Other, [](Pipedex& p) { Use(p.GetOperationEnum(3)); });
  add("GetEndPrepDescription", K::Other, [](Pipedex& p) { Use(p.GetEndPrepDescription("SW--")); });
  add("GetEndPrepAttribute", K::Other, [](Pipedex& p) { Use(p.GetEndPrepAttribute("BW--", "Trimmable")); });
  add("IsPlotraEndPrep", K::Other, [](Pipedex& p) { Use(p.IsPlotraEndPrep("sw")); });
  add("IsEndPrepConsistent", K::Other, [](Pipedex& p) {
    std::string ep = "BW--", skey = "ELBW";
    Use(p.IsEndPrepConsistent(ep, skey));
  });
  add("GetDefaultAllowedConnection", K::Other, [](Pipedex& p) {
    std::string ep = "SW--";
    Use(p.GetDefaultAllowedConnection(ep));
  });
  add("AngleTolerance[get]", K::Other, [](Pipedex& p) { Use(p.AngleTolerance()); });
  add("AngleTolerance[set]", K::Other, [](Pipedex& p) { p.AngleTolerance(1.0); });
  add("GetConfigurationForAngle", K::Other, [](Pipedex& p) { Use(p.GetConfigurationForAngle(44.5)); });
  add("GetAngleComponentData", K::Other, [](Pipedex& p) {
    bool trimmed = false;
    double standard = 0;
    p.GetAngleComponentData("Elbow-90-V", 50, trimmed, standard);
    Use(standard);
  });
  add("GetAngleComponentData2", K::Other, [](Pipedex& p) {
    bool trimmed = false;
    double standard = 0;
    std::string type;
    p.GetAngleComponentData2("Elbow-90-V", "BW", "BW", 50, trimmed, standard, type);
    Use(type);
  });
  add("DefaultElbows", K::Other, [](Pipedex& p) { Use(p.DefaultElbows()); });
  add("FindPCFTYPEs", K::Other, [](Pipedex& p) { Use(p.FindPCFTYPEs("ELBW", 105)); });
  add("FindPCFTYPEs[all]", K::Other, [](Pipedex& p) { Use(p.FindPCFTYPEs("", 999)); });
  add("FindPCFTYPEs[every SKEY]", K::Other, [](Pipedex& p) { Use(p.FindPCFTYPEs("*", 999)); });
  add("FindPCFTYPEs[every SKEY, record]", K::Other, [](Pipedex& p) { Use(p.FindPCFTYPEs("*", 150)); });
  add("GetPCFTYPE", K::Other, [](Pipedex& p) { Use(p.GetPCFTYPE(1)); });
  add("WeldAttributesAllowed", K::Other, [](Pipedex& p) { Use(p.WeldAttributesAllowed(150, "VTSC")); });
  add("GetValidData[PCFTYPE master]", K::Other, [](Pipedex& p) {
    std::string data, type;
    Use(p.GetValidData("VALVE", "ELBW", vdM_PCFTYPE, data, type));
  });
  add("IsPCFTypeDefault", K::Other, [](Pipedex& p) { Use(p.IsPCFTypeDefault("Valve-Gate")); });
  add("GetBoreConversionTable", K::Other, [](Pipedex& p) { Use(p.GetBoreConversionTable()); });
  add("GetSystemSymbols", K::Other, [](Pipedex& p) { Use(p.GetSystemSymbols()); });
  add("GetProjectSymbols", K::Other, [](Pipedex& p) { Use(p.GetProjectSymbols()); });
  return c;
}

}  // namespace pipedex::bench
