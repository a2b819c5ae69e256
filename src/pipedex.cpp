// The Pipedex facade: construction, and every property and operation
// forwarded to the area that answers it (instance, queries, rules, overlays),
// which works on the instance's state.

#include "instance/paths.h"
#include "instance/pipedex_impl.h"
#include "overlays/overlays.h"
#include "queries/queries.h"
#include "rules/rules.h"

namespace pipedex {

Pipedex::Pipedex() : Pipedex(MakeSystemPlatform()) {}
Pipedex::Pipedex(std::shared_ptr<Platform> platform) : impl_(std::make_unique<Impl>(std::move(platform))) {}
Pipedex::~Pipedex() = default;
Pipedex::Pipedex(Pipedex&&) noexcept = default;
Pipedex& Pipedex::operator=(Pipedex&&) noexcept = default;

std::string Pipedex::SystemXMLPath() { return instance::SystemXMLPath(*impl_); }
std::string Pipedex::ProjectXMLPath() { return instance::ProjectXMLPath(*impl_); }
std::string Pipedex::UserXMLPath() { return instance::ProjectXMLPath(*impl_); }
void Pipedex::DumpXML(const std::string& FileName) { instance::DumpXML(*impl_, FileName); }

AttCheck Pipedex::PCFAttributeCheck(const std::string& strAttribute) {
  return queries::PCFAttributeCheck(*impl_, strAttribute);
}
std::string Pipedex::GetPCFAttribute(std::int32_t IDFAttribute) {
  return queries::GetPCFAttribute(*impl_, IDFAttribute);
}
std::int32_t Pipedex::GetIDFAttribute(const std::string& PCFAttribute) {
  return queries::GetIDFAttribute(*impl_, PCFAttribute);
}
std::int32_t Pipedex::FindComponentTypes(const std::string& Group, const std::string& SearchBy,
                                         const std::string& SearchText) {
  return queries::FindComponentTypes(*impl_, Group, SearchBy, SearchText);
}
bool Pipedex::GetComponentTypeData(const std::string& ComponentType, std::string& Group, std::string& PCFTYPE,
                                   std::string& Configuration, std::string& Description) {
  return queries::GetComponentTypeData(*impl_, ComponentType, Group, PCFTYPE, Configuration, Description);
}
std::string Pipedex::GetComponentTypeAttribute(const std::string& ComponentType, const std::string& AttReq) {
  return queries::GetComponentTypeAttribute(*impl_, ComponentType, AttReq);
}
pugi::xml_node Pipedex::GetComponentTypeDefaultConfiguration(const std::string& ComponentType) {
  return queries::GetComponentTypeDefaultConfiguration(*impl_, ComponentType);
}
pugi::xml_node Pipedex::GetComponentTypeDefaultDataEntry(const std::string& ComponentType) {
  return queries::GetComponentTypeDefaultDataEntry(*impl_, ComponentType);
}
std::string Pipedex::GetGroupAttribute(const std::string& Group, const std::string& AttReq) {
  return queries::GetGroupAttribute(*impl_, Group, AttReq);
}
std::int32_t Pipedex::GroupCount() { return queries::GroupCount(*impl_); }
std::int32_t Pipedex::ComponentTypeCount() { return queries::ComponentTypeCount(*impl_); }
std::int32_t Pipedex::SKEYCount() { return queries::SKEYCount(*impl_); }
std::int32_t Pipedex::ConfigurationCount() { return queries::ConfigurationCount(*impl_); }
std::int32_t Pipedex::EndPrepCount() { return queries::EndPrepCount(*impl_); }
std::int32_t Pipedex::OperationCount() { return queries::OperationCount(*impl_); }
std::int32_t Pipedex::PCFTYPECount() { return queries::PCFTYPECount(*impl_); }
std::string Pipedex::GetGroup(std::int32_t index) { return queries::GetGroup(*impl_, index); }
std::string Pipedex::GetComponentType(std::int32_t index) { return queries::GetComponentType(*impl_, index); }
std::string Pipedex::GetSKEY(std::int32_t index) { return queries::GetSKEY(*impl_, index); }
std::string Pipedex::GetConfiguration(std::int32_t index) { return queries::GetConfiguration(*impl_, index); }
std::string Pipedex::GetEndPrep(std::int32_t index) { return queries::GetEndPrep(*impl_, index); }
std::string Pipedex::GetOperation(std::int32_t index) { return queries::GetOperation(*impl_, index); }
std::string Pipedex::OperationEnumToString(Operations op) { return queries::OperationEnumToString(*impl_, op); }
Operations Pipedex::OperationStringToEnum(const std::string& strOp) {
  return queries::OperationStringToEnum(*impl_, strOp);
}
std::string Pipedex::FlagEnumToString(Flags flag) { return queries::FlagEnumToString(*impl_, flag); }
Flags Pipedex::FlagStringToEnum(const std::string& strFlag) { return queries::FlagStringToEnum(*impl_, strFlag); }
std::int32_t Pipedex::FindOperations(const std::string& ComponentType) {
  return queries::FindOperations(*impl_, ComponentType);
}
Operations Pipedex::GetOperationEnum(std::int32_t index) { return queries::GetOperationEnum(*impl_, index); }
bool Pipedex::IsOperationSupported(const std::string& ComponentType, Operations op) {
  return queries::IsOperationSupported(*impl_, ComponentType, op);
}
bool Pipedex::HasFlag(const std::string& ComponentType, Flags flag) {
  return queries::HasFlag(*impl_, ComponentType, flag);
}
std::int32_t Pipedex::FindSKEYs(const std::string& ComponentType) { return queries::FindSKEYs(*impl_, ComponentType); }
bool Pipedex::GetSKEYData(const std::string& SKEY, std::string& Description, std::string& CP_1_Prep,
                          std::string& CP_2_Prep, std::string& CP_3_Prep, std::string& CP_4_Prep) {
  return queries::GetSKEYData(*impl_, SKEY, Description, CP_1_Prep, CP_2_Prep, CP_3_Prep, CP_4_Prep);
}
std::string Pipedex::GetSKEYAttribute(const std::string& SKEY, const std::string& AttReqd) {
  return queries::GetSKEYAttribute(*impl_, SKEY, AttReqd);
}
std::string Pipedex::GetDefaultCategory(const std::string& SKEY) { return queries::GetDefaultCategory(*impl_, SKEY); }
std::int32_t Pipedex::GetIsoPriority(const std::string& SKEY) { return queries::GetIsoPriority(*impl_, SKEY); }
std::int32_t Pipedex::GetExpectedWeldNumberCount(const std::string& SKEY) {
  return queries::GetExpectedWeldNumberCount(*impl_, SKEY);
}
bool Pipedex::IsTrimmableComponentType(const std::string& ComponentType) {
  return queries::IsTrimmableComponentType(*impl_, ComponentType);
}
bool Pipedex::IsTrimmableEndByComponentType(const std::string& ComponentType, const std::string& EndPrep) {
  return queries::IsTrimmableEndByComponentType(*impl_, ComponentType, EndPrep);
}
bool Pipedex::IsTrimmableSKEY(const std::string& SKEY) { return queries::IsTrimmableSKEY(*impl_, SKEY); }
double Pipedex::AngleTolerance() const { return rules::AngleTolerance(*impl_); }
void Pipedex::AngleTolerance(double value) { return rules::AngleTolerance(*impl_, value); }
std::string Pipedex::GetConfigurationForAngle(double Angle) { return rules::GetConfigurationForAngle(*impl_, Angle); }
std::string Pipedex::GetComponentTypeByAngle(const std::string& SKEY, double Angle, bool& Trimmed) {
  return rules::GetComponentTypeByAngle(*impl_, SKEY, Angle, Trimmed);
}
void Pipedex::GetAngleComponentData(const std::string& ComponentType, double Angle, bool& Trimmed,
                                    double& StandardAngle) {
  return rules::GetAngleComponentData(*impl_, ComponentType, Angle, Trimmed, StandardAngle);
}
void Pipedex::GetAngleComponentData2(const std::string& ComponentType, const std::string& EndPrep_1,
                                     const std::string& EndPrep_2, double Angle, bool& Trimmed, double& StandardAngle,
                                     std::string& StandardComponentType) {
  return rules::GetAngleComponentData2(*impl_, ComponentType, EndPrep_1, EndPrep_2, Angle, Trimmed, StandardAngle,
                                       StandardComponentType);
}
std::vector<DefaultElbowInfo> Pipedex::DefaultElbows() { return rules::DefaultElbows(*impl_); }
double Pipedex::GetConvertedBore(const std::string& RequiredUnits, const std::string& CurrentUnits, double Bore) {
  return rules::GetConvertedBore(*impl_, RequiredUnits, CurrentUnits, Bore);
}
pugi::xml_node Pipedex::GetBoreConversionTable() { return rules::GetBoreConversionTable(*impl_); }
pugi::xml_node Pipedex::GetSystemSymbols() { return rules::GetSystemSymbols(*impl_); }
pugi::xml_node Pipedex::GetProjectSymbols() { return rules::GetProjectSymbols(*impl_); }
std::string Pipedex::GetEndPrepDescription(const std::string& EndPrep) {
  return rules::GetEndPrepDescription(*impl_, EndPrep);
}
std::string Pipedex::GetEndPrepAttribute(const std::string& EndPrep, const std::string& AttReq) {
  return rules::GetEndPrepAttribute(*impl_, EndPrep, AttReq);
}
bool Pipedex::IsPlotraEndPrep(const std::string& EndPrep) { return rules::IsPlotraEndPrep(*impl_, EndPrep); }
bool Pipedex::IsEndPrepConsistent(std::string& ep, std::string& SKEY) {
  return rules::IsEndPrepConsistent(*impl_, ep, SKEY);
}
std::string Pipedex::GetDefaultAllowedConnection(std::string& EndPrep) {
  return rules::GetDefaultAllowedConnection(*impl_, EndPrep);
}
std::int32_t Pipedex::FindPCFTYPEs(const std::string& SKEY, std::int32_t IDFRecNo) {
  return rules::FindPCFTYPEs(*impl_, SKEY, IDFRecNo);
}
std::string Pipedex::GetPCFTYPE(std::int32_t index) { return rules::GetPCFTYPE(*impl_, index); }
std::string Pipedex::GetDefaultPCFTYPE(std::int32_t IDFRec) { return rules::GetDefaultPCFTYPE(*impl_, IDFRec); }
bool Pipedex::WeldAttributesAllowed(std::int32_t IDFRecord, const std::string& SKEY) {
  return rules::WeldAttributesAllowed(*impl_, IDFRecord, SKEY);
}
bool Pipedex::IsValidPlacement(const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                               const std::string& strSKEYPlaceOn) {
  return rules::IsValidPlacement(*impl_, strCompTypeToPlace, strCompTypePlaceOn, strSKEYPlaceOn);
}
ValidDataReturn Pipedex::GetValidData(const std::string& TestPCFTYPE, const std::string& TestSKEY,
                                      ValidDataMaster Master, std::string& ValidData, std::string& ValidComponentType) {
  return rules::GetValidData(*impl_, TestPCFTYPE, TestSKEY, Master, ValidData, ValidComponentType);
}
bool Pipedex::IsSKEYDefault(const std::string& strCompType) { return rules::IsSKEYDefault(*impl_, strCompType); }
bool Pipedex::IsPCFTypeDefault(const std::string& strCompType) { return rules::IsPCFTypeDefault(*impl_, strCompType); }
void Pipedex::AddSKEY(const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY) {
  return overlays::AddSKEY(*impl_, newSKEY, Description, RefSKEY);
}
bool Pipedex::LoadProjectXML(const std::string& ProjectXML) { return overlays::LoadProjectXML(*impl_, ProjectXML); }
bool Pipedex::LoadUserXML(const std::string& UserXML) { return overlays::LoadUserXML(*impl_, UserXML); }

}  // namespace pipedex
