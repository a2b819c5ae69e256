// Operations of the geometry and rules area: default elbows and angles, PCF
// types, validation, placement, bores and symbols.

#include "operation_table.h"

namespace pipedex::cli {

namespace {

void RegisterAngleOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("AngleTolerance", {}, [](Pipedex& p, Args&) { return Json(p.AngleTolerance()); });
  t.AddSetter("AngleTolerance", Double, [](Pipedex& p, const ArgValue& v) { p.AngleTolerance(std::get<double>(v)); });
  t.Add("GetConfigurationForAngle", {In("Angle", Double)},
        [](Pipedex& p, Args& a) { return Json(p.GetConfigurationForAngle(a.Dbl(0))); });
  t.Add("GetComponentTypeByAngle", {In("SKEY", String), In("Angle", Double), InOut("Trimmed", Bool)},
        [](Pipedex& p, Args& a) { return Json(p.GetComponentTypeByAngle(a.Str(0), a.Dbl(1), a.Bool(2))); });
  t.Add("GetAngleComponentData",
        {In("ComponentType", String), In("Angle", Double), InOut("Trimmed", Bool), InOut("StandardAngle", Double)},
        [](Pipedex& p, Args& a) {
          p.GetAngleComponentData(a.Str(0), a.Dbl(1), a.Bool(2), a.Dbl(3));
          return Json(nullptr);
        });
  t.Add("GetAngleComponentData2",
        {In("ComponentType", String), In("EndPrep_1", String), In("EndPrep_2", String), In("Angle", Double),
         InOut("Trimmed", Bool), InOut("StandardAngle", Double), InOut("StandardComponentType", String)},
        [](Pipedex& p, Args& a) {
          p.GetAngleComponentData2(a.Str(0), a.Str(1), a.Str(2), a.Dbl(3), a.Bool(4), a.Dbl(5), a.Str(6));
          return Json(nullptr);
        });
  t.Add("DefaultElbows", {}, [](Pipedex& p, Args&) {
    Json elbows = Json::array();
    for (const DefaultElbowInfo& e : p.DefaultElbows()) {
      Json elbow = Json::object();
      elbow["ComponentType"] = e.ComponentType;
      elbow["Angle"] = e.Angle;
      elbows.push_back(std::move(elbow));
    }
    return elbows;
  });
}

void RegisterPCFTypeOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("FindPCFTYPEs", {In("SKEY", String), In("IDFRecNo", Long)},
        [](Pipedex& p, Args& a) { return Json(p.FindPCFTYPEs(a.Str(0), a.Long(1))); });
  t.Add("GetPCFTYPE", {In("index", Long)}, [](Pipedex& p, Args& a) { return Json(p.GetPCFTYPE(a.Long(0))); });
  t.Add("GetDefaultPCFTYPE", {In("IDFRec", Long)},
        [](Pipedex& p, Args& a) { return Json(p.GetDefaultPCFTYPE(a.Long(0))); });
  t.Add("WeldAttributesAllowed", {In("IDFRecord", Long), In("SKEY", String)},
        [](Pipedex& p, Args& a) { return Json(p.WeldAttributesAllowed(a.Long(0), a.Str(1))); });
}

void RegisterValidationOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("GetValidData",
        {In("TestPCFTYPE", String), In("TestSKEY", String), In("Master", Long), InOut("ValidData", String),
         InOut("ValidComponentType", String)},
        [](Pipedex& p, Args& a) {
          ValidDataReturn r =
              p.GetValidData(a.Str(0), a.Str(1), static_cast<ValidDataMaster>(a.Long(2)), a.Str(3), a.Str(4));
          return Json(static_cast<std::int32_t>(r));
        });
  t.Add("IsSKEYDefault", {In("strCompType", String)},
        [](Pipedex& p, Args& a) { return Json(p.IsSKEYDefault(a.Str(0))); });
  t.Add("IsPCFTypeDefault", {In("strCompType", String)},
        [](Pipedex& p, Args& a) { return Json(p.IsPCFTypeDefault(a.Str(0))); });
  t.Add("IsValidPlacement",
        {In("strCompTypeToPlace", String), In("strCompTypePlaceOn", String), In("strSKEYPlaceOn", String)},
        [](Pipedex& p, Args& a) { return Json(p.IsValidPlacement(a.Str(0), a.Str(1), a.Str(2))); });
}

void RegisterBoreOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("GetConvertedBore", {In("RequiredUnits", String), In("CurrentUnits", String), In("Bore", Double)},
        [](Pipedex& p, Args& a) { return Json(p.GetConvertedBore(a.Str(0), a.Str(1), a.Dbl(2))); });
  t.Add("GetBoreConversionTable", {}, [](Pipedex& p, Args&) { return NodeResult(p.GetBoreConversionTable()); });
  t.Add("GetSystemSymbols", {}, [](Pipedex& p, Args&) { return NodeResult(p.GetSystemSymbols()); });
  t.Add("GetProjectSymbols", {}, [](Pipedex& p, Args&) { return NodeResult(p.GetProjectSymbols()); });
}

}  // namespace

void RegisterRuleOperations(OperationTable& t) {
  RegisterAngleOperations(t);
  RegisterPCFTypeOperations(t);
  RegisterValidationOperations(t);
  RegisterBoreOperations(t);
}

}  // namespace pipedex::cli
