// Operations on the catalogue's files, its lists and its names: files and
// overlays, counts and items, the PCF attribute map, component types and
// groups, SKEYs, operations and flags, end preparations.
#include "module.h"

namespace pipedex::python {
namespace {

using Arg = py::arg;

void BindFiles(py::class_<Instance>& c) {
  // Paths come back as os.fsdecode gives them, so bytes that are not UTF-8 survive a round trip.
  auto path = [](std::string (Pipedex::*get)()) {
    return [get](Instance& self) {
      return PathResult{Run(self, Kind::Query, [&](Pipedex& p) { return (p.*get)(); })};
    };
  };
  c.def("SystemXMLPath", path(&Pipedex::SystemXMLPath), "The system catalogue file that was loaded.");
  c.def("ProjectXMLPath", path(&Pipedex::ProjectXMLPath), "The project file merged last (\"\" when none).");
  c.def("UserXMLPath", path(&Pipedex::UserXMLPath), "The same as ProjectXMLPath.");
  c.def(
      "DumpXML",
      [](Instance& self, const PathArg& FileName) {
        Run(self, Kind::Load, [&](Pipedex& p) { p.DumpXML(FileName.bytes); });
      },
      "Saves the merged document, overlays and added SKEYs included, to a file.", Arg("FileName"));
  auto overlay = [](bool (Pipedex::*merge)(const std::string&)) {
    return [merge](Instance& self, const PathArg& file) {
      return Run(self, Kind::Load, [&](Pipedex& p) { return (p.*merge)(file.bytes); });
    };
  };
  c.def("LoadProjectXML", overlay(&Pipedex::LoadProjectXML),
        "Merges a project file and rebuilds the lists; False when it has none of the merged sections.",
        Arg("ProjectXML"));
  c.def("LoadUserXML", overlay(&Pipedex::LoadUserXML), "The same as LoadProjectXML.", Arg("UserXML"));
  c.def(
      "AddSKEY",
      [](Instance& self, const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY) {
        Run(self, Kind::Load, [&](Pipedex& p) { p.AddSKEY(newSKEY, Description, RefSKEY); });
      },
      "Adds an SKEY in memory, copied from an existing one.", Arg("newSKEY"), Arg("Description"), Arg("RefSKEY"));
}

void BindCounts(py::class_<Instance>& c) {
  c.def("GroupCount", Query(&Pipedex::GroupCount), "The number of groups.");
  c.def("ComponentTypeCount", Query(&Pipedex::ComponentTypeCount),
        "The number of component types found by the last FindComponentTypes.");
  c.def("SKEYCount", Query(&Pipedex::SKEYCount), "The number of SKEYs in the SKEY list (every SKEY until FindSKEYs).");
  c.def("ConfigurationCount", Query(&Pipedex::ConfigurationCount), "The number of configurations.");
  c.def("EndPrepCount", Query(&Pipedex::EndPrepCount), "The number of end preparations.");
  c.def("OperationCount", Query(&Pipedex::OperationCount),
        "The number of operations in the operation list (every operation until FindOperations).");
  c.def("PCFTYPECount", Query(&Pipedex::PCFTYPECount),
        "The number of PCF types in the PCF type list (every PCF type until FindPCFTYPEs).");
  c.def("GetGroup", Query(&Pipedex::GetGroup), "Group 1 to GroupCount (\"\" outside).", Arg("index"));
  c.def("GetComponentType", Query(&Pipedex::GetComponentType),
        "Component type 1 to ComponentTypeCount of the last search (\"\" outside).", Arg("index"));
  c.def("GetSKEY", Query(&Pipedex::GetSKEY), "SKEY 1 to SKEYCount (\"\" outside).", Arg("index"));
  c.def("GetConfiguration", Query(&Pipedex::GetConfiguration), "Configuration 1 to ConfigurationCount (\"\" outside).",
        Arg("index"));
  c.def("GetEndPrep", Query(&Pipedex::GetEndPrep), "End preparation 1 to EndPrepCount (\"\" outside).", Arg("index"));
  c.def("GetOperation", Query(&Pipedex::GetOperation), "Operation name 1 to OperationCount (\"\" outside).",
        Arg("index"));
}

void BindAttributeMap(py::class_<Instance>& c, const EnumTypes& enums) {
  c.def(
      "PCFAttributeCheck",
      [type = enums.AttCheck](Instance& self, const std::string& strAttribute) {
        AttCheck r = Run(self, Kind::Query, [&](Pipedex& p) { return p.PCFAttributeCheck(strAttribute); });
        return AttCheckMember(EnumMember(type, r));
      },
      "Whether a PCF attribute name is valid, suppressed, unknown or a valid display name (AttCheck).",
      Arg("strAttribute"));
  c.def("GetPCFAttribute", Query(&Pipedex::GetPCFAttribute), "The PCF attribute name of an IDF record number.",
        Arg("IDFAttribute"));
  c.def("GetIDFAttribute", Query(&Pipedex::GetIDFAttribute), "The IDF record number of a PCF attribute name.",
        Arg("PCFAttribute"));
}

void BindComponentTypes(py::module_& m, py::class_<Instance>& c) {
  c.def("FindComponentTypes", Query(&Pipedex::FindComponentTypes),
        "Searches component types of a group (\"\" = every group) by SKEY (the default), PCFTYPE or "
        "CONFIGURATION; fills the component type list and returns the number of hits.",
        Arg("Group"), Arg("SearchBy"), Arg("SearchText"));
  py::object data = AddResultType(m, "ComponentTypeData", "result Group PCFTYPE Configuration Description",
                                  "Result of GetComponentTypeData.");
  c.def(
      "GetComponentTypeData",
      [data](Instance& self, const std::string& ComponentType, std::string Group, std::string PCFTYPE,
             std::string Configuration, std::string Description) {
        bool r = Run(self, Kind::Query, [&](Pipedex& p) {
          return p.GetComponentTypeData(ComponentType, Group, PCFTYPE, Configuration, Description);
        });
        return ComponentTypeDataResult(MakeResult(data, py::make_tuple(r, Group, PCFTYPE, Configuration, Description)));
      },
      "Group, PCF type, configuration and description of a component type; result False when unknown.",
      Arg("ComponentType"), Arg("Group") = "", Arg("PCFTYPE") = "", Arg("Configuration") = "",
      Arg("Description") = "");
  c.def("GetComponentTypeAttribute", Query(&Pipedex::GetComponentTypeAttribute),
        "An attribute of a component type (\"\" when missing).", Arg("ComponentType"), Arg("AttReq"));
  auto node = [](pugi::xml_node (Pipedex::*get)(const std::string&)) {
    return [get](Instance& self, const std::string& name) {
      return Run(self, Kind::Query, [&](Pipedex& p) { return NodeXml((p.*get)(name)); });
    };
  };
  c.def("GetComponentTypeDefaultConfiguration", node(&Pipedex::GetComponentTypeDefaultConfiguration),
        "The default configuration element of a component type as XML text, or None.", Arg("ComponentType"));
  c.def("GetComponentTypeDefaultDataEntry", node(&Pipedex::GetComponentTypeDefaultDataEntry),
        "The default data entry element of a component type as XML text, or None.", Arg("ComponentType"));
  c.def("GetGroupAttribute", Query(&Pipedex::GetGroupAttribute), "An attribute of a group (\"\" when missing).",
        Arg("Group"), Arg("AttReq"));
}

void BindSKEYs(py::module_& m, py::class_<Instance>& c) {
  c.def("FindSKEYs", Query(&Pipedex::FindSKEYs),
        "Fills the SKEY list with the SKEYs of a component type (\"\" = every SKEY); returns their number.",
        Arg("ComponentType"));
  py::object data = AddResultType(m, "SKEYData", "result Description CP_1_Prep CP_2_Prep CP_3_Prep CP_4_Prep",
                                  "Result of GetSKEYData.");
  c.def(
      "GetSKEYData",
      [data](Instance& self, const std::string& SKEY, std::string Description, std::string CP_1_Prep,
             std::string CP_2_Prep, std::string CP_3_Prep, std::string CP_4_Prep) {
        bool r = Run(self, Kind::Query, [&](Pipedex& p) {
          return p.GetSKEYData(SKEY, Description, CP_1_Prep, CP_2_Prep, CP_3_Prep, CP_4_Prep);
        });
        return SKEYDataResult(MakeResult(data, py::make_tuple(r, Description, CP_1_Prep, CP_2_Prep, CP_3_Prep, CP_4_Prep)));
      },
      "Description and the four connection point end preparations of an SKEY; result False when unknown.",
      Arg("SKEY"), Arg("Description") = "", Arg("CP_1_Prep") = "", Arg("CP_2_Prep") = "", Arg("CP_3_Prep") = "",
      Arg("CP_4_Prep") = "");
  c.def("GetSKEYAttribute", Query(&Pipedex::GetSKEYAttribute),
        "An attribute of an SKEY, its generic entry first (\"\" when missing).", Arg("SKEY"), Arg("AttReqd"));
  c.def("GetDefaultCategory", Query(&Pipedex::GetDefaultCategory), "The default category of an SKEY.", Arg("SKEY"));
  c.def("GetIsoPriority", Query(&Pipedex::GetIsoPriority), "The isometric priority of an SKEY.", Arg("SKEY"));
  c.def("GetExpectedWeldNumberCount", Query(&Pipedex::GetExpectedWeldNumberCount),
        "How many weld numbers an SKEY expects (searches component types).", Arg("SKEY"));
  c.def("IsTrimmableComponentType", Query(&Pipedex::IsTrimmableComponentType),
        "Whether a component type supports trimming.", Arg("ComponentType"));
  c.def("IsTrimmableEndByComponentType", Query(&Pipedex::IsTrimmableEndByComponentType),
        "Whether a component type may be trimmed at an end of the given end preparation.", Arg("ComponentType"),
        Arg("EndPrep"));
  c.def("IsTrimmableSKEY", Query(&Pipedex::IsTrimmableSKEY), "Whether an SKEY may be trimmed.", Arg("SKEY"));
}

void BindOperationsAndFlags(py::class_<Instance>& c, const EnumTypes& enums) {
  c.def(
      "OperationEnumToString",
      [](Instance& self, std::int32_t op) {
        return Run(self, Kind::Query, [&](Pipedex& p) { return p.OperationEnumToString(static_cast<Operations>(op)); });
      },
      "The catalogue name of an operation (Operations).", Arg("op"));
  c.def(
      "OperationStringToEnum",
      [type = enums.Operations](Instance& self, const std::string& strOp) {
        return OperationsMember(
            EnumMember(type, Run(self, Kind::Query, [&](Pipedex& p) { return p.OperationStringToEnum(strOp); })));
      },
      "The Operations value of an operation name (opUnknown when unknown).", Arg("strOp"));
  c.def(
      "FlagEnumToString",
      [](Instance& self, std::int32_t flag) {
        return Run(self, Kind::Query, [&](Pipedex& p) { return p.FlagEnumToString(static_cast<Flags>(flag)); });
      },
      "The catalogue name of a flag (Flags).", Arg("flag"));
  c.def(
      "FlagStringToEnum",
      [type = enums.Flags](Instance& self, const std::string& strFlag) {
        return FlagsMember(
            EnumMember(type, Run(self, Kind::Query, [&](Pipedex& p) { return p.FlagStringToEnum(strFlag); })));
      },
      "The Flags value of a flag name (flUnknown when unknown).", Arg("strFlag"));
  c.def(
      "FindOperations",
      [](Instance& self, const std::string& ComponentType) {
        try {
          return Run(self, Kind::Query, [&](Pipedex& p) { return p.FindOperations(ComponentType); });
        } catch (const Error& e) {
          // The component's text for error 91 does not say what was missing.
          if (e.number() != errors::kObjectNotSet || e.source() == kModuleSource) throw;
          std::string description = e.description();
          description.append(": no component type \"").append(ComponentType).append("\"");
          throw Error(e.number(), e.source(), description);
        }
      },
      "Fills the operation list with the operations of a component type (\"\" = every operation); returns "
      "their number. Error 91 for an unknown component type.",
      Arg("ComponentType"));
  c.def(
      "GetOperationEnum",
      [type = enums.Operations](Instance& self, std::int32_t index) {
        return OperationsMember(
            EnumMember(type, Run(self, Kind::Query, [&](Pipedex& p) { return p.GetOperationEnum(index); })));
      },
      "Operation 1 to OperationCount as an Operations value (opUnknown outside).", Arg("index"));
  c.def(
      "IsOperationSupported",
      [](Instance& self, const std::string& ComponentType, std::int32_t op) {
        return Run(self, Kind::Query,
                   [&](Pipedex& p) { return p.IsOperationSupported(ComponentType, static_cast<Operations>(op)); });
      },
      "Whether a component type supports an operation (Operations).", Arg("ComponentType"), Arg("op"));
  c.def(
      "HasFlag",
      [](Instance& self, const std::string& ComponentType, std::int32_t flag) {
        return Run(self, Kind::Query, [&](Pipedex& p) { return p.HasFlag(ComponentType, static_cast<Flags>(flag)); });
      },
      "Whether a component type carries a flag (Flags).", Arg("ComponentType"), Arg("flag"));
}

void BindEndPreps(py::class_<Instance>& c) {
  c.def("GetEndPrepDescription", Query(&Pipedex::GetEndPrepDescription), "The description of an end preparation.",
        Arg("EndPrep"));
  c.def("GetEndPrepAttribute", Query(&Pipedex::GetEndPrepAttribute),
        "An attribute of an end preparation (\"\" when missing).", Arg("EndPrep"), Arg("AttReq"));
  c.def("IsPlotraEndPrep", Query(&Pipedex::IsPlotraEndPrep), "Whether an end preparation is flagged Plotra.",
        Arg("EndPrep"));
  c.def("IsEndPrepConsistent", Query(&Pipedex::IsEndPrepConsistent),
        "Whether an end preparation may sit on a component of an SKEY; True for an end preparation that is not "
        "flagged Plotra.",
        Arg("ep"), Arg("SKEY"));
  c.def("GetDefaultAllowedConnection", Query(&Pipedex::GetDefaultAllowedConnection),
        "The end preparation that connects to an end preparation by default (\"\" for none).", Arg("EndPrep"));
}

}  // namespace

void BindCatalogue(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums) {
  BindFiles(c);
  BindCounts(c);
  BindAttributeMap(c, enums);
  BindComponentTypes(m, c);
  BindSKEYs(m, c);
  BindOperationsAndFlags(c, enums);
  BindEndPreps(c);
}

}  // namespace pipedex::python
