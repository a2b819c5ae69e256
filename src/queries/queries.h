#pragma once

// The queries: questions about groups, component types, SKEYs, configurations,
// end preparations, operations, flags and the PCF attribute map.
// Each operation works on one instance; the Pipedex facade forwards to it.

#include <cstdint>
#include <string>
#include <vector>

#include "instance/pipedex_impl.h"

namespace pipedex::queries {

AttCheck PCFAttributeCheck(Impl& impl, const std::string& strAttribute);
std::string GetPCFAttribute(Impl& impl, std::int32_t IDFAttribute);
std::int32_t GetIDFAttribute(Impl& impl, const std::string& PCFAttribute);
std::int32_t FindComponentTypes(Impl& impl, const std::string& Group, const std::string& SearchBy,
                                const std::string& SearchText);
bool GetComponentTypeData(Impl& impl, const std::string& ComponentType, std::string& Group, std::string& PCFTYPE,
                          std::string& Configuration, std::string& Description);
std::string GetComponentTypeAttribute(Impl& impl, const std::string& ComponentType, const std::string& AttReq);
pugi::xml_node GetComponentTypeDefaultConfiguration(Impl& impl, const std::string& ComponentType);
pugi::xml_node GetComponentTypeDefaultDataEntry(Impl& impl, const std::string& ComponentType);
std::string GetGroupAttribute(Impl& impl, const std::string& Group, const std::string& AttReq);
std::int32_t GroupCount(Impl& impl);
std::int32_t ComponentTypeCount(Impl& impl);
std::int32_t SKEYCount(Impl& impl);
std::int32_t ConfigurationCount(Impl& impl);
std::int32_t EndPrepCount(Impl& impl);
std::int32_t OperationCount(Impl& impl);
std::int32_t PCFTYPECount(Impl& impl);
std::string GetGroup(Impl& impl, std::int32_t index);
std::string GetComponentType(Impl& impl, std::int32_t index);
std::string GetSKEY(Impl& impl, std::int32_t index);
std::string GetConfiguration(Impl& impl, std::int32_t index);
std::string GetEndPrep(Impl& impl, std::int32_t index);
std::string GetOperation(Impl& impl, std::int32_t index);
std::string OperationEnumToString(Impl& impl, Operations op);
Operations OperationStringToEnum(Impl& impl, const std::string& strOp);
std::string FlagEnumToString(Impl& impl, Flags flag);
Flags FlagStringToEnum(Impl& impl, const std::string& strFlag);
std::int32_t FindOperations(Impl& impl, const std::string& ComponentType);
Operations GetOperationEnum(Impl& impl, std::int32_t index);
bool IsOperationSupported(Impl& impl, const std::string& ComponentType, Operations op);
bool HasFlag(Impl& impl, const std::string& ComponentType, Flags flag);
std::int32_t FindSKEYs(Impl& impl, const std::string& ComponentType);
bool GetSKEYData(Impl& impl, const std::string& SKEY, std::string& Description, std::string& CP_1_Prep,
                 std::string& CP_2_Prep, std::string& CP_3_Prep, std::string& CP_4_Prep);
std::string GetSKEYAttribute(Impl& impl, const std::string& SKEY, const std::string& AttReqd);
std::string GetDefaultCategory(Impl& impl, const std::string& SKEY);
std::int32_t GetIsoPriority(Impl& impl, const std::string& SKEY);
std::int32_t GetExpectedWeldNumberCount(Impl& impl, const std::string& SKEY);
bool IsTrimmableComponentType(Impl& impl, const std::string& ComponentType);
bool IsTrimmableEndByComponentType(Impl& impl, const std::string& ComponentType, const std::string& EndPrep);
bool IsTrimmableSKEY(Impl& impl, const std::string& SKEY);

}  // namespace pipedex::queries
