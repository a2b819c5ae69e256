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

// Member contracts. Each comment below gives the member's answer, its neutral
// answer, whether it loads, what it throws and which result list it reads or
// replaces. "Loads" means: the member first runs the lazy load, and a load
// failure reaches the caller as pipedex::Error (0x80040201..0x80040205) from
// whichever member triggered it. A member that "never throws" throws nothing
// after the load: any later failure gives its neutral answer. "Needs the
// lists": throws 91 (object not set) when the load failed while building the
// index lists (the catalogue then counts as loaded, with no lists). The four
// searches (Find*) replace a result list that later members read; a load and
// LoadProjectXML rebuild every result list but the component types found;
// AddSKEY changes no result list.
class PIPEDEX_API Pipedex {
 public:
  // Loads nothing; fails only when memory runs out (0x8007000E). The default
  // platform is the machine's (MakeSystemPlatform()). Movable, not copyable.
  Pipedex();
  explicit Pipedex(std::shared_ptr<Platform> platform);
  ~Pipedex();
  Pipedex(Pipedex&&) noexcept;
  Pipedex& operator=(Pipedex&&) noexcept;
  Pipedex(const Pipedex&) = delete;
  Pipedex& operator=(const Pipedex&) = delete;

  // --- Files and the merged document ---------------------------------------
  // Load; never throw. The system file in use; the last project (or user) file merged, "" for none
  // (the two are one).
  std::string SystemXMLPath();
  std::string ProjectXMLPath();
  std::string UserXMLPath();
  // Loads. Saves the merged document; throws 0x80004005 when the file cannot be written.
  void DumpXML(const std::string& FileName);
  // Load. Merge a project (or user) file into the catalogue and rebuild the lists; false when not
  // everything merged. Throw 0x80040212 (no such file) or 0x80040213 (does not parse).
  bool LoadProjectXML(const std::string& ProjectXML);
  bool LoadUserXML(const std::string& UserXML);
  // Loads. Adds an SKEY copied from RefSKEY (its component types and default end preparations) to
  // the indexes; throws 0x8004020A (source "Pipedex.AddSKEY") when RefSKEY is unknown, the lists
  // are not built or a step fails; not undone. The SKEYs found stay as they were until FindSKEYs.
  void AddSKEY(const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY);

  // --- Counts and indexed access ----------------------------------------------
  // Load; never throw. Sizes of the lists: groups, configurations and end preparations are whole
  // sections; component types, SKEYs, operations and PCF types are the results of the latest Find*
  // of their kind (the whole section before the first search, none for component types). 0 for none.
  std::int32_t GroupCount();
  std::int32_t ComponentTypeCount();
  std::int32_t SKEYCount();
  std::int32_t ConfigurationCount();
  std::int32_t EndPrepCount();
  std::int32_t OperationCount();
  std::int32_t PCFTYPECount();
  // Load; never throw. Item index (1 to the count) of the same lists: a group's element name, else
  // the item's text; "" outside the list.
  std::string GetGroup(std::int32_t index);
  std::string GetComponentType(std::int32_t index);
  std::string GetSKEY(std::int32_t index);
  std::string GetConfiguration(std::int32_t index);
  std::string GetEndPrep(std::int32_t index);
  std::string GetOperation(std::int32_t index);

  // --- PCF / IDF attribute map --------------------------------------------------
  // Loads; needs the lists. Whether a PCF attribute name is known, suppressed or exported by display
  // name; attIsNotRecognised for an unknown name.
  AttCheck PCFAttributeCheck(const std::string& strAttribute);
  // Load; need the lists. IDF record number to PCF attribute name ("" for none) and back (-9999 for
  // none). Throw type mismatch (13) or overflow (6) when the catalogue's IDF text is not a usable number.
  std::string GetPCFAttribute(std::int32_t IDFAttribute);
  std::int32_t GetIDFAttribute(const std::string& PCFAttribute);

  // --- Component types and groups ---------------------------------------------
  // Loads; never throws. Replaces the component types found (ComponentTypeCount, GetComponentType)
  // with those of Group ("" for all) by SearchBy "SKEY" (or ""), "PCFTYPE" or "CONFIGURATION";
  // returns their number, 0 on failure. An unknown SearchBy keeps the previous result. The SKEY
  // search with SearchText "" or "*" and the CONFIGURATION search also replace the list that
  // GetComponentTypeByAngle scans.
  std::int32_t FindComponentTypes(const std::string& Group, const std::string& SearchBy,
                                  const std::string& SearchText);
  // Loads; never throws. Fills the four strings of a component type (reset to "" first); false when unknown.
  bool GetComponentTypeData(const std::string& ComponentType, std::string& Group, std::string& PCFTYPE,
                            std::string& Configuration, std::string& Description);
  // Loads; never throws. An attribute of a component type; "" when either is unknown.
  std::string GetComponentTypeAttribute(const std::string& ComponentType, const std::string& AttReq);
  // Load; never throw. A component type's default configuration or data entry (its own, or its
  // configuration's) as a live node; no node when unknown.
  pugi::xml_node GetComponentTypeDefaultConfiguration(const std::string& ComponentType);
  pugi::xml_node GetComponentTypeDefaultDataEntry(const std::string& ComponentType);
  // Loads; never throws. An attribute of a group (the last group of that name); "" when either is unknown.
  std::string GetGroupAttribute(const std::string& Group, const std::string& AttReq);

  // --- SKEYs -------------------------------------------------------------------------
  // Loads; never throws. Replaces the SKEYs found (SKEYCount, GetSKEY) with those of a component
  // type ("" for all); returns their number, 0 on failure (the previous list then stays).
  std::int32_t FindSKEYs(const std::string& ComponentType);
  // Loads; never throws. An SKEY's description and connection end preparations (own, else of its
  // generic "XX**" form); false with "" and "XX--" when unknown.
  bool GetSKEYData(const std::string& SKEY, std::string& Description, std::string& CP_1_Prep,
                   std::string& CP_2_Prep, std::string& CP_3_Prep, std::string& CP_4_Prep);
  // Load; never throw. An SKEY's attribute, default category and iso priority, read from the SKEY
  // or its generic "XX**" form; "", "FABRICATION" and 0 when unknown.
  std::string GetSKEYAttribute(const std::string& SKEY, const std::string& AttReqd);
  std::string GetDefaultCategory(const std::string& SKEY);
  std::int32_t GetIsoPriority(const std::string& SKEY);
  // Loads; never throws. Welds an SKEY stands for: 0 for an SKEY that is no weld. Replaces the
  // component types found (a search of the group "Welds").
  std::int32_t GetExpectedWeldNumberCount(const std::string& SKEY);
  // Load. Whether a component type, one of its ends, or an SKEY may be trimmed; false when unknown.
  // The first two never throw; IsTrimmableSKEY needs the lists.
  bool IsTrimmableComponentType(const std::string& ComponentType);
  bool IsTrimmableEndByComponentType(const std::string& ComponentType, const std::string& EndPrep);
  bool IsTrimmableSKEY(const std::string& SKEY);

  // --- Operations and flags ---------------------------------------------------------
  // Load; never throw. Enumeration values to names and back (names trimmed, any letter case); ""
  // and 0 when unknown.
  std::string OperationEnumToString(Operations op);
  Operations OperationStringToEnum(const std::string& strOp);
  std::string FlagEnumToString(Flags flag);
  Flags FlagStringToEnum(const std::string& strFlag);
  // Loads. Replaces the operations found (OperationCount, GetOperation) with a component type's (""
  // for the catalogue's); returns their number. Throws 91 (object not set) for an unknown component
  // type, and the previous list stays.
  std::int32_t FindOperations(const std::string& ComponentType);
  // Loads; never throws. The enumeration value of item index of the operations found; 0 outside the list.
  Operations GetOperationEnum(std::int32_t index);
  // Load; never throw. Whether a component type supports an operation or carries a flag; false when unknown.
  bool IsOperationSupported(const std::string& ComponentType, Operations op);
  bool HasFlag(const std::string& ComponentType, Flags flag);

  // --- End preparations -----------------------------------------------------------
  // Load; never throw. An end preparation's description (its last entry) or attribute (its first
  // entry); "" when unknown.
  std::string GetEndPrepDescription(const std::string& EndPrep);
  std::string GetEndPrepAttribute(const std::string& EndPrep, const std::string& AttReq);
  // Loads; never throws. Whether the first two characters name a flagged (Plotra) end preparation;
  // false for any other.
  bool IsPlotraEndPrep(const std::string& EndPrep);
  // Loads; never throws. Whether end preparation ep may sit on a component of SKEY; true for an
  // unflagged ep, false for an SKEY the catalogue lacks unless it ends in ep's end type.
  bool IsEndPrepConsistent(const std::string& ep, const std::string& SKEY);
  // Loads. The connection allowed by default for an end preparation, "" for none. Throws 0x80004005
  // for an end preparation containing a quote.
  std::string GetDefaultAllowedConnection(const std::string& EndPrep);

  // --- Elbows and angles ------------------------------------------------------------
  // Load nothing; never throw. How far (degrees) an angle may lie from a standard or default-elbow
  // angle; 1 at first.
  double AngleTolerance() const;
  void AngleTolerance(double value);
  // Loads nothing; never throws. "Angle_90", "Angle_60", "Angle_45" or "Angle_30" within the
  // tolerance (the first of them that is), else "NonStandard".
  std::string GetConfigurationForAngle(double Angle);
  // Loads; never throws. The first component type with the configuration of Angle and the SKEY (own
  // or generic), Trimmed when cut from the next larger standard angle; "" when none. It scans the
  // list the latest FindComponentTypes by SKEY with SearchText "" or "*", or by CONFIGURATION, left
  // (the whole catalogue before one); the other searches do not change it.
  std::string GetComponentTypeByAngle(const std::string& SKEY, double Angle, bool& Trimmed);
  // Load; never throw. The default elbow standing for Angle: within the tolerance, else the next
  // larger one the ends allow trimming from (Trimmed), else Angle itself and "Elbow-NonStandard".
  // Bends give 90 and Trimmed. On failure 90, Trimmed false and the component type.
  void GetAngleComponentData(const std::string& ComponentType, double Angle, bool& Trimmed,
                             double& StandardAngle);
  void GetAngleComponentData2(const std::string& ComponentType, const std::string& EndPrep_1,
                              const std::string& EndPrep_2, double Angle, bool& Trimmed,
                              double& StandardAngle, std::string& StandardComponentType);
  // Loads; never throws. The default elbows of the catalogue in list order (component type and
  // angle); an elbow whose geometry cannot be read has angle 0; none for an empty catalogue.
  std::vector<DefaultElbowInfo> DefaultElbows();

  // --- PCF types ------------------------------------------------------------------------
  // Loads; needs the lists unless asked for every PCF type. Replaces the PCF types found
  // (PCFTYPECount, GetPCFTYPE) with those fitting an SKEY ("" for all, "*" for every SKEY's) and an
  // IDF record (999 for any); returns their number, 0 on failure. Throws only for a catalogue
  // without PCF types (A_PCFIDF) when asked for every PCF type.
  std::int32_t FindPCFTYPEs(const std::string& SKEY, std::int32_t IDFRecNo);
  // Loads; never throws. Item index (1 to PCFTYPECount) of the PCF types found; "" outside the list.
  std::string GetPCFTYPE(std::int32_t index);
  // Loads; never throws. The default PCF type of an IDF record; "" for none.
  std::string GetDefaultPCFTYPE(std::int32_t IDFRec);
  // Loads; never throws. Whether weld attributes may be written for an IDF record and SKEY; true on failure.
  bool WeldAttributesAllowed(std::int32_t IDFRecord, const std::string& SKEY);

  // --- Validation and placement -------------------------------------------------------
  // Loads; never throws. Checks a PCF type and SKEY pair with one of them as master; fills the other
  // (ValidData) and the component type they fit. vdR_OK, vdR_MODIFIED, or vdR_FAIL on failure.
  // Replaces the SKEYs found when it looks for a replacement SKEY.
  ValidDataReturn GetValidData(const std::string& TestPCFTYPE, const std::string& TestSKEY,
                               ValidDataMaster Master, std::string& ValidData,
                               std::string& ValidComponentType);
  // Load; never throw. Whether a component type is the marked default among those sharing its SKEY
  // or PCF type; false when unknown.
  bool IsSKEYDefault(const std::string& strCompType);
  bool IsPCFTypeDefault(const std::string& strCompType);
  // Loads; never throws. Whether a component type may be placed on another (with that SKEY); true
  // for a component type without placement rules, false when unknown.
  bool IsValidPlacement(const std::string& strCompTypeToPlace, const std::string& strCompTypePlaceOn,
                        const std::string& strSKEYPlaceOn);

  // --- Bores and symbols ----------------------------------------------------------------
  // Loads; never throws. A bore converted between "MM" and "IN" through the catalogue's table, else
  // by the factor 25 (nominal sizes: 2" is 50 mm); Bore unchanged for equal or unknown units or on failure.
  double GetConvertedBore(const std::string& RequiredUnits, const std::string& CurrentUnits, double Bore);
  // Load; never throw. Live nodes of the merged document: the bore table and the SYMBOLS of the
  // system and of the last project file; no node when there is none.
  pugi::xml_node GetBoreConversionTable();
  pugi::xml_node GetSystemSymbols();
  pugi::xml_node GetProjectSymbols();

  struct Impl;  // the instance's state: opaque, defined inside the library only

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace pipedex
