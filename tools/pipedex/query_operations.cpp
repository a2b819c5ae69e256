// Catalogue queries by name: component types and groups, SKEYs, operations
// and flags, and end preparations.

#include "operation_table.h"

namespace pipedex::cli {
namespace {

void RegisterComponentTypeOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("FindComponentTypes", {In("Group", String), In("SearchBy", String), In("SearchText", String)},
        [](Pipedex& p, Args& a) { return Json(p.FindComponentTypes(a.Str(0), a.Str(1), a.Str(2))); });
  t.Add("GetComponentTypeData",
        {In("ComponentType", String), InOut("Group", String), InOut("PCFTYPE", String),
         InOut("Configuration", String), InOut("Description", String)},
        [](Pipedex& p, Args& a) {
          return Json(p.GetComponentTypeData(a.Str(0), a.Str(1), a.Str(2), a.Str(3), a.Str(4)));
        });
  t.Add("GetComponentTypeAttribute", {In("ComponentType", String), In("AttReq", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetComponentTypeAttribute(a.Str(0), a.Str(1))); });
  t.Add("GetComponentTypeDefaultConfiguration", {In("ComponentType", String)},
        [](Pipedex& p, Args& a) { return NodeResult(p.GetComponentTypeDefaultConfiguration(a.Str(0))); });
  t.Add("GetComponentTypeDefaultDataEntry", {In("ComponentType", String)},
        [](Pipedex& p, Args& a) { return NodeResult(p.GetComponentTypeDefaultDataEntry(a.Str(0))); });
  t.Add("GetGroupAttribute", {In("Group", String), In("AttReq", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetGroupAttribute(a.Str(0), a.Str(1))); });
}

void RegisterSKEYOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("FindSKEYs", {In("ComponentType", String)}, [](Pipedex& p, Args& a) { return Json(p.FindSKEYs(a.Str(0))); });
  t.Add("GetSKEYData",
        {In("SKEY", String), InOut("Description", String), InOut("CP_1_Prep", String), InOut("CP_2_Prep", String),
         InOut("CP_3_Prep", String), InOut("CP_4_Prep", String)},
        [](Pipedex& p, Args& a) {
          return Json(p.GetSKEYData(a.Str(0), a.Str(1), a.Str(2), a.Str(3), a.Str(4), a.Str(5)));
        });
  t.Add("GetSKEYAttribute", {In("SKEY", String), In("AttReqd", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetSKEYAttribute(a.Str(0), a.Str(1))); });
  t.Add("GetDefaultCategory", {In("SKEY", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetDefaultCategory(a.Str(0))); });
  t.Add("GetIsoPriority", {In("SKEY", String)}, [](Pipedex& p, Args& a) { return Json(p.GetIsoPriority(a.Str(0))); });
  t.Add("GetExpectedWeldNumberCount", {In("SKEY", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetExpectedWeldNumberCount(a.Str(0))); });
  t.Add("IsTrimmableComponentType", {In("ComponentType", String)},
        [](Pipedex& p, Args& a) { return Json(p.IsTrimmableComponentType(a.Str(0))); });
  t.Add("IsTrimmableEndByComponentType", {In("ComponentType", String), In("EndPrep", String)},
        [](Pipedex& p, Args& a) { return Json(p.IsTrimmableEndByComponentType(a.Str(0), a.Str(1))); });
  t.Add("IsTrimmableSKEY", {In("SKEY", String)}, [](Pipedex& p, Args& a) { return Json(p.IsTrimmableSKEY(a.Str(0))); });
}

void RegisterOperationAndFlagOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("OperationEnumToString", {In("op", Long)}, [](Pipedex& p, Args& a) {
    return Json(p.OperationEnumToString(static_cast<Operations>(a.Long(0))));
  });
  t.Add("OperationStringToEnum", {In("strOp", String)}, [](Pipedex& p, Args& a) {
    return Json(static_cast<std::int32_t>(p.OperationStringToEnum(a.Str(0))));
  });
  t.Add("FlagEnumToString", {In("flag", Long)},
        [](Pipedex& p, Args& a) { return Json(p.FlagEnumToString(static_cast<Flags>(a.Long(0)))); });
  t.Add("FlagStringToEnum", {In("strFlag", String)}, [](Pipedex& p, Args& a) {
    return Json(static_cast<std::int32_t>(p.FlagStringToEnum(a.Str(0))));
  });
  t.Add("FindOperations", {In("ComponentType", String)},
        [](Pipedex& p, Args& a) { return Json(p.FindOperations(a.Str(0))); });
  t.Add("GetOperationEnum", {In("index", Long)},
        [](Pipedex& p, Args& a) { return Json(static_cast<std::int32_t>(p.GetOperationEnum(a.Long(0)))); });
  t.Add("IsOperationSupported", {In("ComponentType", String), In("op", Long)}, [](Pipedex& p, Args& a) {
    return Json(p.IsOperationSupported(a.Str(0), static_cast<Operations>(a.Long(1))));
  });
  t.Add("HasFlag", {In("ComponentType", String), In("flag", Long)},
        [](Pipedex& p, Args& a) { return Json(p.HasFlag(a.Str(0), static_cast<Flags>(a.Long(1)))); });
}

void RegisterEndPrepOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("GetEndPrepDescription", {In("EndPrep", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetEndPrepDescription(a.Str(0))); });
  t.Add("GetEndPrepAttribute", {In("EndPrep", String), In("AttReq", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetEndPrepAttribute(a.Str(0), a.Str(1))); });
  t.Add("IsPlotraEndPrep", {In("EndPrep", String)}, [](Pipedex& p, Args& a) { return Json(p.IsPlotraEndPrep(a.Str(0))); });
  t.Add("IsEndPrepConsistent", {InOut("ep", String), InOut("SKEY", String)},
        [](Pipedex& p, Args& a) { return Json(p.IsEndPrepConsistent(a.Str(0), a.Str(1))); });
  t.Add("GetDefaultAllowedConnection", {InOut("EndPrep", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetDefaultAllowedConnection(a.Str(0))); });
}

}  // namespace

void RegisterQueryOperations(OperationTable& t) {
  RegisterComponentTypeOperations(t);
  RegisterSKEYOperations(t);
  RegisterOperationAndFlagOperations(t);
  RegisterEndPrepOperations(t);
}

}  // namespace pipedex::cli
