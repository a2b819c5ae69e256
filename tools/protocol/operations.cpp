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

// Binds and adds the member of that name, when the table wants it (one
// statement, so that no else nor semicolon around it can change its meaning).
#define OP(member, ...)                                                                \
  do {                                                                                 \
    if (t.Wants(#member)) t.Add(PIPEDEX_OPERATION(member __VA_OPT__(, ) __VA_ARGS__)); \
  } while (false)

OperationTable BuildOperationTable(const std::string& only) {
  OperationTable t(only);
  // Files and the merged document
  OP(SystemXMLPath);
  OP(ProjectXMLPath);
  OP(UserXMLPath);
  OP(DumpXML, {"FileName"}, Effect::WritesFile);
  OP(LoadProjectXML, {"ProjectXML"}, Effect::ReadsFile);
  OP(LoadUserXML, {"UserXML"}, Effect::ReadsFile);
  OP(AddSKEY, {"newSKEY", "Description", "RefSKEY"}, Effect::ChangesCatalogue);

  // Counts and indexed access
  OP(GroupCount);
  OP(ComponentTypeCount);
  OP(SKEYCount);
  OP(ConfigurationCount);
  OP(EndPrepCount);
  OP(OperationCount);
  OP(PCFTYPECount);
  OP(GetGroup, {"index"});
  OP(GetComponentType, {"index"});
  OP(GetSKEY, {"index"});
  OP(GetConfiguration, {"index"});
  OP(GetEndPrep, {"index"});
  OP(GetOperation, {"index"});

  // PCF / IDF attribute map
  OP(PCFAttributeCheck, {"strAttribute"});
  OP(GetPCFAttribute, {"IDFAttribute"});
  OP(GetIDFAttribute, {"PCFAttribute"});

  // Component types and groups
  OP(FindComponentTypes, {"Group", "SearchBy", "SearchText"});
  OP(GetComponentTypeData, {"ComponentType", "Group", "PCFTYPE", "Configuration", "Description"});
  OP(GetComponentTypeAttribute, {"ComponentType", "AttReq"});
  OP(GetComponentTypeDefaultConfiguration, {"ComponentType"});
  OP(GetComponentTypeDefaultDataEntry, {"ComponentType"});
  OP(GetGroupAttribute, {"Group", "AttReq"});

  // SKEYs
  OP(FindSKEYs, {"ComponentType"});
  OP(GetSKEYData, {"SKEY", "Description", "CP_1_Prep", "CP_2_Prep", "CP_3_Prep", "CP_4_Prep"});
  OP(GetSKEYAttribute, {"SKEY", "AttReqd"});
  OP(GetDefaultCategory, {"SKEY"});
  OP(GetIsoPriority, {"SKEY"});
  OP(GetExpectedWeldNumberCount, {"SKEY"});
  OP(IsTrimmableComponentType, {"ComponentType"});
  OP(IsTrimmableEndByComponentType, {"ComponentType", "EndPrep"});
  OP(IsTrimmableSKEY, {"SKEY"});

  // Operations and flags
  OP(OperationEnumToString, {"op"});
  OP(OperationStringToEnum, {"strOp"});
  OP(FlagEnumToString, {"flag"});
  OP(FlagStringToEnum, {"strFlag"});
  OP(FindOperations, {"ComponentType"});
  OP(GetOperationEnum, {"index"});
  OP(IsOperationSupported, {"ComponentType", "op"});
  OP(HasFlag, {"ComponentType", "flag"});

  // End preparations
  OP(GetEndPrepDescription, {"EndPrep"});
  OP(GetEndPrepAttribute, {"EndPrep", "AttReq"});
  OP(IsPlotraEndPrep, {"EndPrep"});
  if (t.Wants("IsEndPrepConsistent")) t.Add(Bind("IsEndPrepConsistent", &IsEndPrepConsistentEcho, {"ep", "SKEY"}));
  if (t.Wants("GetDefaultAllowedConnection"))
    t.Add(Bind("GetDefaultAllowedConnection", &GetDefaultAllowedConnectionEcho, {"EndPrep"}));

  // Elbows and angles
  OP(AngleTolerance);
  if (t.Wants("AngleTolerance")) t.AddSetter(BindSetter("AngleTolerance", &Pipedex::AngleTolerance));
  OP(GetConfigurationForAngle, {"Angle"});
  OP(GetComponentTypeByAngle, {"SKEY", "Angle", "Trimmed"});
  OP(GetAngleComponentData, {"ComponentType", "Angle", "Trimmed", "StandardAngle"});
  OP(GetAngleComponentData2,
     {"ComponentType", "EndPrep_1", "EndPrep_2", "Angle", "Trimmed", "StandardAngle", "StandardComponentType"});
  OP(DefaultElbows);

  // PCF types
  OP(FindPCFTYPEs, {"SKEY", "IDFRecNo"});
  OP(GetPCFTYPE, {"index"});
  OP(GetDefaultPCFTYPE, {"IDFRec"});
  OP(WeldAttributesAllowed, {"IDFRecord", "SKEY"});

  // Validation and placement
  OP(GetValidData, {"TestPCFTYPE", "TestSKEY", "Master", "ValidData", "ValidComponentType"});
  OP(IsSKEYDefault, {"strCompType"});
  OP(IsPCFTypeDefault, {"strCompType"});
  OP(IsValidPlacement, {"strCompTypeToPlace", "strCompTypePlaceOn", "strSKEYPlaceOn"});

  // Bores and symbols
  OP(GetConvertedBore, {"RequiredUnits", "CurrentUnits", "Bore"});
  OP(GetBoreConversionTable);
  OP(GetSystemSymbols);
  OP(GetProjectSymbols);
  return t;
}

#undef OP

}  // namespace pipedex::cli
