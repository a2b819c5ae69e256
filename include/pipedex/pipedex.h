#pragma once

// Pipedex: questions and answers about a piping material catalogue.
//
// Create a Pipedex object and call its operations. The first operation that
// needs catalogue data finds "SystemPipedex.xml" (beside the component, in its
// "Data" folder, or through the registry value "DataPath"), merges a
// "ProjectPipedex.xml" lying beside it, applies the language variant of the
// thread's locale, and builds the index lists; every later call answers from
// them. Failures reach the caller as pipedex::Error.
//
// One instance is used from one thread at a time; separate instances share
// nothing. Nodes handed out are live nodes of the instance's merged document
// and stay valid while the instance lives (and the catalogue is not changed).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "pipedex/default_elbow.h"
#include "pipedex/enums.h"
#include "pipedex/error.h"
#include "pipedex/export.h"
#include "pipedex/platform.h"

namespace pipedex {

// One default elbow as the component sees it (see DefaultElbows()).
struct DefaultElbowInfo {
  std::string ComponentType;
  double Angle = 0.0;
};

class PIPEDEX_API Pipedex {
 public:
  Pipedex();
  explicit Pipedex(std::shared_ptr<Platform> platform);
  ~Pipedex();
  Pipedex(Pipedex&&) noexcept;
  Pipedex& operator=(Pipedex&&) noexcept;
  Pipedex(const Pipedex&) = delete;
  Pipedex& operator=(const Pipedex&) = delete;

  // --- Files and the merged document ---------------------------------------
  std::string SystemXMLPath();
  std::string ProjectXMLPath();
  std::string UserXMLPath();
  void DumpXML(const std::string& FileName);
  bool LoadProjectXML(const std::string& ProjectXML);
  bool LoadUserXML(const std::string& UserXML);
  void AddSKEY(const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY);

  // --- Counts and indexed access ----------------------------------------------
  std::int32_t GroupCount();
  std::int32_t ComponentTypeCount();
  std::int32_t SKEYCount();
  std::int32_t ConfigurationCount();
  std::int32_t EndPrepCount();
  std::int32_t OperationCount();
  std::int32_t PCFTYPECount();
  std::string GetGroup(std::int32_t index);
  std::string GetComponentType(std::int32_t index);
  std::string GetSKEY(std::int32_t index);
  std::string GetConfiguration(std::int32_t index);
  std::string GetEndPrep(std::int32_t index);
  std::string GetOperation(std::int32_t index);

  // --- PCF / IDF attribute map --------------------------------------------------
  AttCheck PCFAttributeCheck(const std::string& strAttribute);
  std::string GetPCFAttribute(std::int32_t IDFAttribute);
  std::int32_t GetIDFAttribute(const std::string& PCFAttribute);

  // --- Component types and groups ---------------------------------------------
  std::int32_t FindComponentTypes(const std::string& Group, const std::string& SearchBy,
                                  const std::string& SearchText);
  bool GetComponentTypeData(const std::string& ComponentType, std::string& Group, std::string& PCFTYPE,
                            std::string& Configuration, std::string& Description);
  std::string GetComponentTypeAttribute(const std::string& ComponentType, const std::string& AttReq);
  pugi::xml_node GetComponentTypeDefaultConfiguration(const std::string& ComponentType);
  pugi::xml_node GetComponentTypeDefaultDataEntry(const std::string& ComponentType);
  std::string GetGroupAttribute(const std::string& Group, const std::string& AttReq);

  // --- SKEYs -------------------------------------------------------------------------
  std::int32_t FindSKEYs(const std::string& ComponentType);
  bool GetSKEYData(const std::string& SKEY, std::string& Description, std::string& CP_1_Prep,
                   std::string& CP_2_Prep, std::string& CP_3_Prep, std::string& CP_4_Prep);
  std::string GetSKEYAttribute(const std::string& SKEY, const std::string& AttReqd);
  std::string GetDefaultCategory(const std::string& SKEY);
  std::int32_t GetIsoPriority(const std::string& SKEY);
  std::int32_t GetExpectedWeldNumberCount(const std::string& SKEY);
  bool IsTrimmableComponentType(const std::string& ComponentType);
  bool IsTrimmableEndByComponentType(const std::string& ComponentType, const std::string& EndPrep);
  bool IsTrimmableSKEY(const std::string& SKEY);

  // --- Operations and flags ---------------------------------------------------------
  std::string OperationEnumToString(Operations op);
  Operations OperationStringToEnum(const std::string& strOp);
  std::string FlagEnumToString(Flags flag);
  Flags FlagStringToEnum(const std::string& strFlag);
  std::int32_t FindOperations(const std::string& ComponentType);
  Operations GetOperationEnum(std::int32_t index);
  bool IsOperationSupported(const std::string& ComponentType, Operations op);
  bool HasFlag(const std::string& ComponentType, Flags flag);

  // --- End preparations -----------------------------------------------------------
  std::string GetEndPrepDescription(const std::string& EndPrep);
  std::string GetEndPrepAttribute(const std::string& EndPrep, const std::string& AttReq);
  bool IsPlotraEndPrep(const std::string& EndPrep);
  bool IsEndPrepConsistent(std::string& ep, std::string& SKEY);
  std::string GetDefaultAllowedConnection(std::string& EndPrep);

  // --- Elbows and angles ------------------------------------------------------------
  double AngleTolerance() const;
  void AngleTolerance(double value);
  std::string GetConfigurationForAngle(double Angle);
  std::string GetComponentTypeByAngle(const std::string& SKEY, double Angle, bool& Trimmed);
  void GetAngleComponentData(const std::string& ComponentType, double Angle, bool& Trimmed,
                             double& StandardAngle);
  void GetAngleComponentData2(const std::string& ComponentType, const std::string& EndPrep_1,
                              const std::string& EndPrep_2, double Angle, bool& Trimmed,
                              double& StandardAngle, std::string& StandardComponentType);
  // The default elbows of the catalogue in list order (component type and angle).
  std::vector<DefaultElbowInfo> DefaultElbows();

  // --- PCF types ------------------------------------------------------------------------
  std::int32_t FindPCFTYPEs(const std::string& SKEY, std::int32_t IDFRecNo);
  std::string GetPCFTYPE(std::int32_t index);
  std::string GetDefaultPCFTYPE(std::int32_t IDFRec);
  bool WeldAttributesAllowed(std::int32_t IDFRecord, const std::string& SKEY);

  // --- Validation and placement -------------------------------------------------------
  ValidDataReturn GetValidData(const std::string& TestPCFTYPE, const std::string& TestSKEY,
                               ValidDataMaster Master, std::string& ValidData,
                               std::string& ValidComponentType);
  bool IsSKEYDefault(const std::string& strCompType);
  bool IsPCFTypeDefault(const std::string& strCompType);
  bool IsValidPlacement(const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                        const std::string& strSKEYPlaceOn);

  // --- Bores and symbols ----------------------------------------------------------------
  double GetConvertedBore(const std::string& RequiredUnits, const std::string& CurrentUnits, double Bore);
  pugi::xml_node GetBoreConversionTable();
  pugi::xml_node GetSystemSymbols();
  pugi::xml_node GetProjectSymbols();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace pipedex
