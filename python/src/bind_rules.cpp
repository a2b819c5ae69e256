// Operations of the geometry and rules: elbows and angles, PCF types,
// validation and placement, bores and symbols.
#include "module.h"

namespace pipedex::python {
namespace {

using Arg = py::arg;

void BindAngles(py::module_& m, py::class_<Instance>& c) {
  c.def(
      "GetConfigurationForAngle",
      [](Instance& self, double Angle) {
        return Run(self, Kind::NoData, [&](Pipedex& p) { return p.GetConfigurationForAngle(Angle); });
      },
      "The standard configuration of an angle within AngleTolerance (\"NonStandard\" when none); loads nothing.", Arg("Angle"));
  py::object byAngle = AddResultType(m, "ComponentTypeByAngle", "result Trimmed", "Result of GetComponentTypeByAngle.");
  c.def(
      "GetComponentTypeByAngle",
      [byAngle](Instance& self, const std::string& SKEY, double Angle, bool Trimmed) {
        std::string r = Run(self, Kind::Query, [&](Pipedex& p) { return p.GetComponentTypeByAngle(SKEY, Angle, Trimmed); });
        return ComponentTypeByAngleResult(MakeResult(byAngle, py::make_tuple(r, Trimmed)));
      },
      "The component type listing an SKEY for an angle; Trimmed tells that it has to be cut down.", Arg("SKEY"),
      Arg("Angle"), Arg("Trimmed") = false);
  py::object data =
      AddResultType(m, "AngleComponentData", "Trimmed StandardAngle", "Result of GetAngleComponentData.");
  c.def(
      "GetAngleComponentData",
      [data](Instance& self, const std::string& ComponentType, double Angle, bool Trimmed, double StandardAngle) {
        Run(self, Kind::Query, [&](Pipedex& p) { p.GetAngleComponentData(ComponentType, Angle, Trimmed, StandardAngle); });
        return AngleComponentDataResult(MakeResult(data, py::make_tuple(Trimmed, StandardAngle)));
      },
      "The standard angle for an angle of a component type, and whether the elbow is trimmed.", Arg("ComponentType"),
      Arg("Angle"), Arg("Trimmed") = false, Arg("StandardAngle") = 0.0);
  py::object data2 = AddResultType(m, "AngleComponentData2", "Trimmed StandardAngle StandardComponentType",
                                   "Result of GetAngleComponentData2.");
  c.def(
      "GetAngleComponentData2",
      [data2](Instance& self, const std::string& ComponentType, const std::string& EndPrep_1,
              const std::string& EndPrep_2, double Angle, bool Trimmed, double StandardAngle,
              std::string StandardComponentType) {
        Run(self, Kind::Query, [&](Pipedex& p) {
          p.GetAngleComponentData2(ComponentType, EndPrep_1, EndPrep_2, Angle, Trimmed, StandardAngle,
                                   StandardComponentType);
        });
        return AngleComponentData2Result(MakeResult(data2, py::make_tuple(Trimmed, StandardAngle, StandardComponentType)));
      },
      "The standard angle and default elbow for an angle between two end preparations, and whether it is trimmed.",
      Arg("ComponentType"), Arg("EndPrep_1"), Arg("EndPrep_2"), Arg("Angle"), Arg("Trimmed") = false,
      Arg("StandardAngle") = 0.0, Arg("StandardComponentType") = "");
  py::object elbow = AddResultType(m, "DefaultElbow", "ComponentType Angle", "One default elbow of the catalogue.");
  c.def(
      "DefaultElbows",
      [elbow](Instance& self) {
        auto elbows = Run(self, Kind::Query, [](Pipedex& p) { return p.DefaultElbows(); });
        py::list list;
        for (const DefaultElbowInfo& e : elbows) list.append(MakeResult(elbow, py::make_tuple(e.ComponentType, e.Angle)));
        return DefaultElbowList(std::move(list));
      },
      "The default elbows of the catalogue in list order, as DefaultElbow(ComponentType, Angle).");
}

void BindPCFTypes(py::class_<Instance>& c) {
  c.def("FindPCFTYPEs", Query(&Pipedex::FindPCFTYPEs),
        "Fills the PCF type list with the PCF types that fit an SKEY and an IDF record number; returns their number.",
        Arg("SKEY"), Arg("IDFRecNo"));
  c.def("GetPCFTYPE", Query(&Pipedex::GetPCFTYPE), "PCF type 1 to PCFTYPECount (\"\" outside).", Arg("index"));
  c.def("GetDefaultPCFTYPE", Query(&Pipedex::GetDefaultPCFTYPE), "The default PCF type of an IDF record number.",
        Arg("IDFRec"));
  c.def("WeldAttributesAllowed", Query(&Pipedex::WeldAttributesAllowed),
        "Whether weld attributes may be written for an IDF record and an SKEY.", Arg("IDFRecord"), Arg("SKEY"));
}

void BindValidation(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums) {
  py::object valid =
      AddResultType(m, "ValidData", "result ValidData ValidComponentType", "Result of GetValidData.");
  c.def(
      "GetValidData",
      [valid, type = enums.ValidDataReturn](Instance& self, const std::string& TestPCFTYPE,
                                            const std::string& TestSKEY, std::int32_t Master, std::string ValidData,
                                            std::string ValidComponentType) {
        ValidDataReturn r = Run(self, Kind::Query, [&](Pipedex& p) {
          return p.GetValidData(TestPCFTYPE, TestSKEY, static_cast<ValidDataMaster>(Master), ValidData,
                                ValidComponentType);
        });
        return ValidDataResult(MakeResult(valid, py::make_tuple(EnumMember(type, r), ValidData, ValidComponentType)));
      },
      "Checks a PCF type / SKEY pair keeping the Master (ValidDataMaster) fixed; result is a ValidDataReturn, "
      "ValidData the fitted other value and ValidComponentType its component type.",
      Arg("TestPCFTYPE"), Arg("TestSKEY"), Arg("Master"), Arg("ValidData") = "", Arg("ValidComponentType") = "");
  c.def("IsSKEYDefault", Query(&Pipedex::IsSKEYDefault), "Whether a component type is the default of its SKEY.",
        Arg("strCompType"));
  c.def("IsPCFTypeDefault", Query(&Pipedex::IsPCFTypeDefault),
        "Whether a component type is the default of its PCF type.", Arg("strCompType"));
  c.def("IsValidPlacement", Query(&Pipedex::IsValidPlacement),
        "Whether a component type may be placed on another (with that one's SKEY).", Arg("strCompTypeToPlace"),
        Arg("strCompTypePlaceOn"), Arg("strSKEYPlaceOn"));
}

void BindBores(py::class_<Instance>& c) {
  c.def("GetConvertedBore", Query(&Pipedex::GetConvertedBore), "A bore converted from one unit to another.",
        Arg("RequiredUnits"), Arg("CurrentUnits"), Arg("Bore"));
  auto node = [](pugi::xml_node (Pipedex::*get)()) {
    return [get](Instance& self) { return Run(self, Kind::Query, [&](Pipedex& p) { return NodeXml((p.*get)()); }); };
  };
  c.def("GetBoreConversionTable", node(&Pipedex::GetBoreConversionTable),
        "The bore conversion table as XML text, or None.");
  c.def("GetSystemSymbols", node(&Pipedex::GetSystemSymbols), "The system symbols as XML text, or None.");
  c.def("GetProjectSymbols", node(&Pipedex::GetProjectSymbols),
        "The symbols of the merged project files as XML text, or None.");
}

}  // namespace

void BindRules(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums) {
  BindAngles(m, c);
  BindPCFTypes(c);
  BindValidation(m, c, enums);
  BindBores(c);
}

}  // namespace pipedex::python
