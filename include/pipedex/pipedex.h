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

// Member contracts. "Loads on first use" below means: the member first runs
// the lazy load, and a load failure reaches the caller as pipedex::Error
// (0x80040201..0x80040205) from whichever member triggered it; that applies
// to every member not marked "loads nothing". Apart from the load, members
// that "never throw" answer their neutral value on any failure. The four
// searches (Find*) replace a result list that later members read; a load,
// LoadProjectXML and AddSKEY rebuild every list but the component types found.
class PIPEDEX_API Pipedex {
 public:
  // Loads nothing and cannot fail; the default platform is the machine's
  // (MakeSystemPlatform()). Movable, not copyable.
  Pipedex();
  explicit Pipedex(std::shared_ptr<Platform> platform);
  ~Pipedex();
  Pipedex(Pipedex&&) noexcept;
  Pipedex& operator=(Pipedex&&) noexcept;
  Pipedex(const Pipedex&) = delete;
  Pipedex& operator=(const Pipedex&) = delete;

  // --- Files and the merged document ---------------------------------------
  // The system file in use; the last project (or user) file merged, "" for none (the two are one).
  std::string SystemXMLPath();
  std::string ProjectXMLPath();
  std::string UserXMLPath();
  // Saves the merged document; throws 0x80004005 when the file cannot be written.
  void DumpXML(const std::string& FileName);
  // Merges a project (or user) file into the catalogue and rebuilds the lists; false when not
  // everything merged. Throws 0x80040212 (no such file) or 0x80040213 (does not parse).
  bool LoadProjectXML(const std::string& ProjectXML);
  bool LoadUserXML(const std::string& UserXML);
  // Adds an SKEY copied from RefSKEY (its component types and default end preparations); throws
  // 0x8004020A (source "Pipedex.AddSKEY") when RefSKEY is unknown or a step fails; not undone.
  void AddSKEY(const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY);

  // --- Counts and indexed access ----------------------------------------------
  // Sizes of the lists: groups, configurations and end preparations are whole sections; component
  // types, SKEYs, operations and PCF types are the results of the latest Find* of their kind (the
  // whole section before the first search, none for component types). 0 on failure; never throw.
  std::int32_t GroupCount();
  std::int32_t ComponentTypeCount();
  std::int32_t SKEYCount();
  std::int32_t ConfigurationCount();
  std::int32_t EndPrepCount();
  std::int32_t OperationCount();
  std::int32_t PCFTYPECount();
  // Item index (1 to the count) of the same lists: a group's element name, else the item's text;
  // "" outside the list or on failure; never throw.
  std::string GetGroup(std::int32_t index);
  std::string GetComponentType(std::int32_t index);
  std::string GetSKEY(std::int32_t index);
  std::string GetConfiguration(std::int32_t index);
  std::string GetEndPrep(std::int32_t index);
  std::string GetOperation(std::int32_t index);

  // --- PCF / IDF attribute map --------------------------------------------------
  // Whether a PCF attribute name is known, suppressed or exported by display name
  // (attIsNotRecognised for an unknown name).
  AttCheck PCFAttributeCheck(const std::string& strAttribute);
  // IDF record number to PCF attribute name ("" for none) and back (-9999 for none). Throw
  // type mismatch (13) or overflow (6) when the catalogue's IDF text is not a usable number.
  std::string GetPCFAttribute(std::int32_t IDFAttribute);
  std::int32_t GetIDFAttribute(const std::string& PCFAttribute);

  // --- Component types and groups ---------------------------------------------
  // Replaces the component types found (ComponentTypeCount, GetComponentType) with those of
  // Group ("" for all) by SearchBy "SKEY" (or ""), "PCFTYPE" or "CONFIGURATION"; returns their
  // number. An unknown SearchBy keeps the previous result; 0 on failure; never throws.
  std::int32_t FindComponentTypes(const std::string& Group, const std::string& SearchBy,
                                  const std::string& SearchText);
  // Fills the four strings of a component type (reset to "" first); false when unknown; never throws.
  bool GetComponentTypeData(const std::string& ComponentType, std::string& Group, std::string& PCFTYPE,
                            std::string& Configuration, std::string& Description);
  // An attribute of a component type or of a group; "" when either is unknown; never throw.
  std::string GetComponentTypeAttribute(const std::string& ComponentType, const std::string& AttReq);
  // A component type's default configuration or data entry (its own, or its configuration's);
  // no node when unknown; never throw.
  pugi::xml_node GetComponentTypeDefaultConfiguration(const std::string& ComponentType);
  pugi::xml_node GetComponentTypeDefaultDataEntry(const std::string& ComponentType);
  std::string GetGroupAttribute(const std::string& Group, const std::string& AttReq);

  // --- SKEYs -------------------------------------------------------------------------
  // Replaces the SKEYs found (SKEYCount, GetSKEY) with those of a component type ("" for all);
  // returns their number, 0 on failure; never throws.
  std::int32_t FindSKEYs(const std::string& ComponentType);
  // An SKEY's description and connection end preparations (own, else of its generic "XX**" form);
  // false with "" and "XX--" when unknown; never throws.
  bool GetSKEYData(const std::string& SKEY, std::string& Description, std::string& CP_1_Prep,
                   std::string& CP_2_Prep, std::string& CP_3_Prep, std::string& CP_4_Prep);
  // An SKEY's attribute, default category and iso priority, read from the SKEY or its generic
  // "XX**" form; "", "FABRICATION" and 0 when unknown; never throw.
  std::string GetSKEYAttribute(const std::string& SKEY, const std::string& AttReqd);
  std::string GetDefaultCategory(const std::string& SKEY);
  std::int32_t GetIsoPriority(const std::string& SKEY);
  // Welds an SKEY stands for: 0 for an SKEY that is no weld. Replaces the component types found
  // (a search of the group "Welds"); never throws.
  std::int32_t GetExpectedWeldNumberCount(const std::string& SKEY);
  // Whether a component type, one of its ends, or an SKEY may be trimmed; false when unknown;
  // never throw.
  bool IsTrimmableComponentType(const std::string& ComponentType);
  bool IsTrimmableEndByComponentType(const std::string& ComponentType, const std::string& EndPrep);
  bool IsTrimmableSKEY(const std::string& SKEY);

  // --- Operations and flags ---------------------------------------------------------
  // Enumeration values to names and back (names trimmed, any letter case); "" and 0 when unknown;
  // never throw.
  std::string OperationEnumToString(Operations op);
  Operations OperationStringToEnum(const std::string& strOp);
  std::string FlagEnumToString(Flags flag);
  Flags FlagStringToEnum(const std::string& strFlag);
  // Replaces the operations found (OperationCount, GetOperation) with a component type's ("" for the
  // catalogue's); returns their number. Throws 91 (object not set) for an unknown component type.
  std::int32_t FindOperations(const std::string& ComponentType);
  // The enumeration value of item index of the operations found; 0 outside the list; never throws.
  Operations GetOperationEnum(std::int32_t index);
  // Whether a component type supports an operation or carries a flag; false when unknown; never throw.
  bool IsOperationSupported(const std::string& ComponentType, Operations op);
  bool HasFlag(const std::string& ComponentType, Flags flag);

  // --- End preparations -----------------------------------------------------------
  // An end preparation's description or attribute; "" when unknown; never throw.
  std::string GetEndPrepDescription(const std::string& EndPrep);
  std::string GetEndPrepAttribute(const std::string& EndPrep, const std::string& AttReq);
  // Whether the first two characters name a flagged (Plotra) end preparation; loads nothing, so
  // false before another member has loaded the catalogue.
  bool IsPlotraEndPrep(const std::string& EndPrep);
  // Whether end preparation ep may sit on a component of SKEY; true for an unflagged ep.
  bool IsEndPrepConsistent(const std::string& ep, const std::string& SKEY);
  // The connection allowed by default for an end preparation, "" for none. Throws 0x80004005 for
  // an end preparation containing a quote.
  std::string GetDefaultAllowedConnection(const std::string& EndPrep);

  // --- Elbows and angles ------------------------------------------------------------
  // How far (degrees) an angle may lie from a standard or default-elbow angle; 1 at first; loads nothing.
  double AngleTolerance() const;
  void AngleTolerance(double value);
  // "Angle_90", "Angle_60", "Angle_45" or "Angle_30" within the tolerance, else "NonStandard";
  // loads nothing.
  std::string GetConfigurationForAngle(double Angle);
  // The first component type of the latest FindComponentTypes (the whole catalogue before one) with
  // the configuration of Angle and the SKEY (own or generic), so a search narrows it; Trimmed when
  // cut from the next larger standard angle. "" when none or on failure; never throws.
  std::string GetComponentTypeByAngle(const std::string& SKEY, double Angle, bool& Trimmed);
  // The default elbow standing for Angle: within the tolerance, else the next larger one the ends
  // allow trimming from (Trimmed), else Angle itself and "Elbow-NonStandard". Bends give 90 and
  // Trimmed. On failure 90, Trimmed false and the component type; never throw.
  void GetAngleComponentData(const std::string& ComponentType, double Angle, bool& Trimmed,
                             double& StandardAngle);
  void GetAngleComponentData2(const std::string& ComponentType, const std::string& EndPrep_1,
                              const std::string& EndPrep_2, double Angle, bool& Trimmed,
                              double& StandardAngle, std::string& StandardComponentType);
  // The default elbows of the catalogue in list order (component type and angle); an elbow whose
  // geometry cannot be read has angle 0.
  std::vector<DefaultElbowInfo> DefaultElbows();

  // --- PCF types ------------------------------------------------------------------------
  // Replaces the PCF types found (PCFTYPECount, GetPCFTYPE) with those fitting an SKEY ("" for all,
  // "*" for every SKEY's) and an IDF record (999 for any); returns their number, 0 on failure.
  // Throws only for a catalogue without PCF types (A_PCFIDF) when asked for every PCF type.
  std::int32_t FindPCFTYPEs(const std::string& SKEY, std::int32_t IDFRecNo);
  // Item index (1 to PCFTYPECount) of the PCF types found; "" outside the list; never throws.
  std::string GetPCFTYPE(std::int32_t index);
  // The default PCF type of an IDF record; "" for none; never throws.
  std::string GetDefaultPCFTYPE(std::int32_t IDFRec);
  // Whether weld attributes may be written for an IDF record and SKEY; true on failure; never throws.
  bool WeldAttributesAllowed(std::int32_t IDFRecord, const std::string& SKEY);

  // --- Validation and placement -------------------------------------------------------
  // Checks a PCF type and SKEY pair with one of them as master; fills the other (ValidData) and the
  // component type they fit. vdR_OK, vdR_MODIFIED, or vdR_FAIL on failure; never throws. Replaces
  // the SKEYs found when it looks for a replacement SKEY.
  ValidDataReturn GetValidData(const std::string& TestPCFTYPE, const std::string& TestSKEY,
                               ValidDataMaster Master, std::string& ValidData,
                               std::string& ValidComponentType);
  // Whether a component type is the marked default among those sharing its SKEY or PCF type;
  // false when unknown; never throw.
  bool IsSKEYDefault(const std::string& strCompType);
  bool IsPCFTypeDefault(const std::string& strCompType);
  // Whether a component type may be placed on another (with that SKEY); false when unknown or on
  // failure; never throws.
  bool IsValidPlacement(const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                        const std::string& strSKEYPlaceOn);

  // --- Bores and symbols ----------------------------------------------------------------
  // A bore converted between "MM" and "IN" through the catalogue's table, else by 25.4; Bore
  // unchanged for equal or unknown units or on failure; never throws.
  double GetConvertedBore(const std::string& RequiredUnits, const std::string& CurrentUnits, double Bore);
  // Live nodes of the merged document: the bore table and the SYMBOLS of the system and of the
  // last project file; no node when there is none.
  pugi::xml_node GetBoreConversionTable();
  pugi::xml_node GetSystemSymbols();
  pugi::xml_node GetProjectSymbols();

  struct Impl;  // the instance's state: opaque, defined inside the library only

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace pipedex
