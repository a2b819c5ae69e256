// Every public operation of Pipedex, registered once for the batch protocol:
// one line each, grouped as in the header. The parameter names are the ones
// clients see in "out" and in error messages.

#include "bind.h"

namespace pipedex::cli {

namespace {

// The protocol echoes the end preparation and the SKEY in "out", unchanged,
// as its clients have always received them; the members take them as inputs.
bool IsEndPrepConsistentEcho(Pipedex& p, std::string& ep, std::string& SKEY) { return p.IsEndPrepConsistent(ep, SKEY); }
std::string GetDefaultAllowedConnectionEcho(Pipedex& p, std::string& EndPrep) {
  return p.GetDefaultAllowedConnection(EndPrep);
}

}  // namespace

#define OP PIPEDEX_OPERATION

OperationTable BuildOperationTable() {
  OperationTable t;
  // Files and the merged document
  t.Add(OP(SystemXMLPath));
  t.Add(OP(ProjectXMLPath));
  t.Add(OP(UserXMLPath));
  t.Add(OP(DumpXML, {"FileName"}, Effect::WritesFile));
  t.Add(OP(LoadProjectXML, {"ProjectXML"}, Effect::ReadsFile));
  t.Add(OP(LoadUserXML, {"UserXML"}, Effect::ReadsFile));
  t.Add(OP(AddSKEY, {"newSKEY", "Description", "RefSKEY"}, Effect::ChangesCatalogue));

  // Counts and indexed access
  t.Add(OP(GroupCount));
  t.Add(OP(ComponentTypeCount));
  t.Add(OP(SKEYCount));
  t.Add(OP(ConfigurationCount));
  t.Add(OP(EndPrepCount));
  t.Add(OP(OperationCount));
  t.Add(OP(PCFTYPECount));
  t.Add(OP(GetGroup, {"index"}));
  t.Add(OP(GetComponentType, {"index"}));
  t.Add(OP(GetSKEY, {"index"}));
  t.Add(OP(GetConfiguration, {"index"}));
  t.Add(OP(GetEndPrep, {"index"}));
  t.Add(OP(GetOperation, {"index"}));

  // PCF / IDF attribute map
  t.Add(OP(PCFAttributeCheck, {"strAttribute"}));
  t.Add(OP(GetPCFAttribute, {"IDFAttribute"}));
  t.Add(OP(GetIDFAttribute, {"PCFAttribute"}));

  // Component types and groups
  t.Add(OP(FindComponentTypes, {"Group", "SearchBy", "SearchText"}));
  t.Add(OP(GetComponentTypeData, {"ComponentType", "Group", "PCFTYPE", "Configuration", "Description"}));
  t.Add(OP(GetComponentTypeAttribute, {"ComponentType", "AttReq"}));
  t.Add(OP(GetComponentTypeDefaultConfiguration, {"ComponentType"}));
  t.Add(OP(GetComponentTypeDefaultDataEntry, {"ComponentType"}));
  t.Add(OP(GetGroupAttribute, {"Group", "AttReq"}));

  // SKEYs
  t.Add(OP(FindSKEYs, {"ComponentType"}));
  t.Add(OP(GetSKEYData, {"SKEY", "Description", "CP_1_Prep", "CP_2_Prep", "CP_3_Prep", "CP_4_Prep"}));
  t.Add(OP(GetSKEYAttribute, {"SKEY", "AttReqd"}));
  t.Add(OP(GetDefaultCategory, {"SKEY"}));
  t.Add(OP(GetIsoPriority, {"SKEY"}));
  t.Add(OP(GetExpectedWeldNumberCount, {"SKEY"}));
  t.Add(OP(IsTrimmableComponentType, {"ComponentType"}));
  t.Add(OP(IsTrimmableEndByComponentType, {"ComponentType", "EndPrep"}));
  t.Add(OP(IsTrimmableSKEY, {"SKEY"}));

  // Operations and flags
  t.Add(OP(OperationEnumToString, {"op"}));
  t.Add(OP(OperationStringToEnum, {"strOp"}));
  t.Add(OP(FlagEnumToString, {"flag"}));
  t.Add(OP(FlagStringToEnum, {"strFlag"}));
  t.Add(OP(FindOperations, {"ComponentType"}));
  t.Add(OP(GetOperationEnum, {"index"}));
  t.Add(OP(IsOperationSupported, {"ComponentType", "op"}));
  t.Add(OP(HasFlag, {"ComponentType", "flag"}));

  // End preparations
  t.Add(OP(GetEndPrepDescription, {"EndPrep"}));
  t.Add(OP(GetEndPrepAttribute, {"EndPrep", "AttReq"}));
  t.Add(OP(IsPlotraEndPrep, {"EndPrep"}));
  t.Add(Bind("IsEndPrepConsistent", &IsEndPrepConsistentEcho, {"ep", "SKEY"}));
  t.Add(Bind("GetDefaultAllowedConnection", &GetDefaultAllowedConnectionEcho, {"EndPrep"}));

  // Elbows and angles
  t.Add(OP(AngleTolerance));
  t.AddSetter(BindSetter("AngleTolerance", &Pipedex::AngleTolerance));
  t.Add(OP(GetConfigurationForAngle, {"Angle"}));
  t.Add(OP(GetComponentTypeByAngle, {"SKEY", "Angle", "Trimmed"}));
  t.Add(OP(GetAngleComponentData, {"ComponentType", "Angle", "Trimmed", "StandardAngle"}));
  t.Add(OP(GetAngleComponentData2, {"ComponentType", "EndPrep_1", "EndPrep_2", "Angle", "Trimmed", "StandardAngle",
                                    "StandardComponentType"}));
  t.Add(OP(DefaultElbows));

  // PCF types
  t.Add(OP(FindPCFTYPEs, {"SKEY", "IDFRecNo"}));
  t.Add(OP(GetPCFTYPE, {"index"}));
  t.Add(OP(GetDefaultPCFTYPE, {"IDFRec"}));
  t.Add(OP(WeldAttributesAllowed, {"IDFRecord", "SKEY"}));

  // Validation and placement
  t.Add(OP(GetValidData, {"TestPCFTYPE", "TestSKEY", "Master", "ValidData", "ValidComponentType"}));
  t.Add(OP(IsSKEYDefault, {"strCompType"}));
  t.Add(OP(IsPCFTypeDefault, {"strCompType"}));
  t.Add(OP(IsValidPlacement, {"strCompTypeToPlace", "strCompTypePlaceOn", "strSKEYPlaceOn"}));

  // Bores and symbols
  t.Add(OP(GetConvertedBore, {"RequiredUnits", "CurrentUnits", "Bore"}));
  t.Add(OP(GetBoreConversionTable));
  t.Add(OP(GetSystemSymbols));
  t.Add(OP(GetProjectSymbols));
  return t;
}

#undef OP

}  // namespace pipedex::cli
