#pragma once

// The rules: angles and elbows, bore conversion, end preparation and placement
// rules, PCF types and the validation of PCF type / SKEY pairs.
// Each operation works on one instance; the Pipedex facade forwards to it.

#include <cstdint>
#include <string>
#include <vector>

#include "instance/pipedex_impl.h"

namespace pipedex::rules {

double AngleTolerance(Impl& impl);
void AngleTolerance(Impl& impl, double value);
std::string GetConfigurationForAngle(Impl& impl, double Angle);
std::string GetComponentTypeByAngle(Impl& impl, const std::string& SKEY, double Angle, bool& Trimmed);
void GetAngleComponentData(Impl& impl, const std::string& ComponentType, double Angle, bool& Trimmed,
                           double& StandardAngle);
void GetAngleComponentData2(Impl& impl, const std::string& ComponentType, const std::string& EndPrep_1,
                            const std::string& EndPrep_2, double Angle, bool& Trimmed, double& StandardAngle,
                            std::string& StandardComponentType);
std::vector<DefaultElbowInfo> DefaultElbows(Impl& impl);
double GetConvertedBore(Impl& impl, const std::string& RequiredUnits, const std::string& CurrentUnits, double Bore);
pugi::xml_node GetBoreConversionTable(Impl& impl);
pugi::xml_node GetSystemSymbols(Impl& impl);
pugi::xml_node GetProjectSymbols(Impl& impl);
std::string GetEndPrepDescription(Impl& impl, const std::string& EndPrep);
std::string GetEndPrepAttribute(Impl& impl, const std::string& EndPrep, const std::string& AttReq);
bool IsPlotraEndPrep(Impl& impl, const std::string& EndPrep);
bool IsEndPrepConsistent(Impl& impl, std::string& ep, std::string& SKEY);
std::string GetDefaultAllowedConnection(Impl& impl, std::string& EndPrep);
std::int32_t FindPCFTYPEs(Impl& impl, const std::string& SKEY, std::int32_t IDFRecNo);
std::string GetPCFTYPE(Impl& impl, std::int32_t index);
std::string GetDefaultPCFTYPE(Impl& impl, std::int32_t IDFRec);
bool WeldAttributesAllowed(Impl& impl, std::int32_t IDFRecord, const std::string& SKEY);
bool IsValidPlacement(Impl& impl, const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                      const std::string& strSKEYPlaceOn);
ValidDataReturn GetValidData(Impl& impl, const std::string& TestPCFTYPE, const std::string& TestSKEY,
                             ValidDataMaster Master, std::string& ValidData, std::string& ValidComponentType);
bool IsSKEYDefault(Impl& impl, const std::string& strCompType);
bool IsPCFTypeDefault(Impl& impl, const std::string& strCompType);

}  // namespace pipedex::rules
