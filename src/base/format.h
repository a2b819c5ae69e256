#pragma once

// The catalogue's XML format: every element name, attribute name and default
// the component reads, defined once. Names are matched exactly, with case.
// Also the catalogue's file names and where the registry names the system file.

#include <array>
#include <string>
#include <string_view>

#include "pipedex/platform.h"

namespace pipedex::format {

// Root element and sections (direct children of the root).
inline constexpr const char* kRoot = "ZENROD-ISOMETRICS-DATA";
inline constexpr const char* kCptSection = "A_CPT";
inline constexpr const char* kSKEYSection = "A_SKEY";
inline constexpr const char* kEndPrepSection = "A_ENDPREP";
inline constexpr const char* kOperationSection = "A_OPERATION";
inline constexpr const char* kConfigurationSection = "A_CONFIGURATION";
inline constexpr const char* kPCFIDFSection = "A_PCFIDF";
inline constexpr const char* kDefaultEndPrepSection = "A_DEFAULT_ENDPREP";
inline constexpr const char* kPlotraAttributes = "PLOTRA-ATTRIBUTES";
inline constexpr const char* kWeldExclusionList = "WELD-EXCLUSION-LIST";
inline constexpr const char* kBoreTable = "BORE-CONVERSION-TABLE";
inline constexpr const char* kDefaultConnectionTable = "DefaultConnectionTable";
inline constexpr const char* kSymbols = "SYMBOLS";

// Overlay sections of project and user files.
inline constexpr const char* kOverlayCpt = "U_CPT";
inline constexpr const char* kOverlayChangeGroups = "CHANGE_GROUPS";
inline constexpr const char* kOverlaySKEY = "U_SKEY";
inline constexpr const char* kOverlayBoreTable = "U_BORE-CONVERSION-TABLE";

// Elements inside the sections.
inline constexpr const char* kSKEY = "SKEY";
inline constexpr const char* kOperation = "Operation";
inline constexpr const char* kFlag = "Flag";
inline constexpr const char* kEndPrep = "ENDPREP";
inline constexpr const char* kConfig = "Config";
inline constexpr const char* kDefaultConfiguration = "Default-Configuration";
inline constexpr const char* kDefaultDataEntry = "Default-DataEntry";
inline constexpr const char* kPlacement = "Placement";
inline constexpr const char* kComponentType = "ComponentType";
inline constexpr const char* kSKEYDefaultMarker = "SKEY_DEFAULT";
inline constexpr const char* kPCFTYPEDefaultMarker = "PCFTYPE_DEFAULT";
inline constexpr const char* kIDF = "IDF";
inline constexpr const char* kDEFAULT = "DEFAULT";
inline constexpr const char* kSKEYList = "SKEYLIST";
inline constexpr const char* kATT = "ATT";
inline constexpr const char* kSuppressList = "PODFILE-SUPPRESS-LIST";
inline constexpr const char* kExclude = "EXCLUDE";
inline constexpr const char* kBore = "BORE";
inline constexpr const char* kLeg = "Leg";
inline constexpr const char* kKeypoint = "Keypoint";

// Component type element attributes.
inline constexpr const char* kAttrPCFTYPE = "PCFTYPE";
inline constexpr const char* kAttrConfiguration = "Configuration";
inline constexpr const char* kAttrDescription = "Description";
// A_SKEY/SKEY attributes.
inline constexpr const char* kAttrCategory = "Category";
inline constexpr const char* kAttrIsoPriority = "IsoPriority";
// A_ENDPREP/ENDPREP attributes.
inline constexpr const char* kAttrPlotra = "Plotra";
inline constexpr const char* kAttrTrimmable = "Trimmable";
inline constexpr const char* kAttrAttribute = "Attribute";
// A_OPERATION/Operation attribute.
inline constexpr const char* kAttrEnum = "Enum";
// Geometry attributes.
inline constexpr const char* kAttrKeypointA = "KeypointA";
inline constexpr const char* kAttrKeypointB = "KeypointB";
inline constexpr const char* kAttrName = "Name";
inline constexpr const char* kAttrCoords = "Coords";
// PLOTRA-ATTRIBUTES/ATT attributes.
inline constexpr const char* kAttrPCF = "PCF";
inline constexpr const char* kAttrPCFBASE = "PCFBASE";
inline constexpr const char* kAttrIDF = "IDF";
inline constexpr const char* kAttrNUMBER = "NUMBER";
inline constexpr const char* kAttrBASE = "BASE";
inline constexpr const char* kAttrEXPORTUSING = "EXPORTUSING";
inline constexpr const char* kAttrSUPPRESS = "SUPPRESS";
// Other sections' attributes.
inline constexpr const char* kAttrSKEY = "SKEY";
inline constexpr const char* kAttrMM = "MM";
inline constexpr const char* kAttrIN = "IN";
inline constexpr const char* kAttrAllow = "Allow";

// Defaults of absent attributes.
inline constexpr const char* kDefaultCategory = "FABRICATION";
inline constexpr const char* kDefaultIsoPriority = "0";
inline constexpr const char* kDefaultPlotra = "-";
inline constexpr const char* kDefaultEnum = "0";
inline constexpr const char* kDefaultCoords = "0,0,0";
inline constexpr const char* kDefaultPCF = "-";
inline constexpr const char* kDefaultPCFBASE = "-";
inline constexpr const char* kDefaultIDF = "-1";
inline constexpr const char* kDefaultNUMBER = "-1";
inline constexpr const char* kDefaultBASE = "-1";
inline constexpr const char* kDefaultEXPORTUSING = "*";
inline constexpr const char* kDefaultExcludeSKEY = "XXXXXX";

// Values with a meaning of their own.
inline constexpr const char* kPlotraYes = "Y";
inline constexpr const char* kPCFTYPEElbow = "ELBOW";
inline constexpr const char* kConfigReturn2D = "Return_2D";
inline constexpr const char* kConfigNonStandard = "NonStandard";
inline constexpr const char* kElbowNonStandard = "Elbow-NonStandard";
inline constexpr const char* kDisplayName = "DISPLAYNAME";
inline constexpr const char* kWeldsGroup = "Welds";
inline constexpr const char* kDerivedEndPrep = "**--";
inline constexpr const char* kUnknownEndPrep = "XX--";
inline constexpr const char* kRun1 = "Run_1";
inline constexpr const char* kRun2 = "Run_2";
// An SKEY's generic form ends in this instead of its end preparation; SKEYs
// of flanges (this prefix, any letter case) have no generic form.
inline constexpr const char* kGenericSKEYSuffix = "**";
inline constexpr const char* kFlangeSKEYPrefix = "FL";
// A default end preparation list may name a bend family: "PB+D" stands for
// PB3D, PB5D... (the first two characters, a digit, then "D").
inline constexpr const char* kBendFamilyMarker = "+D";
// The texts of a component type's Flag elements (the Flags values 1 to 3).
inline constexpr const char* kFlagVariable = "Variable";
inline constexpr const char* kFlagArtificial = "Artificial";
inline constexpr const char* kFlagIndeterminate = "Indeterminate";
// The connection point elements of an A_DEFAULT_ENDPREP/SKEYLIST, points 1 to 4.
inline constexpr const char* kConnectionPointPreps[] = {"CP_1_PREP", "CP_2_PREP", "CP_3_PREP", "CP_4_PREP"};

// The elements of a language variant whose attribute texts replace those of
// the system element at the same path: groups, component types, end
// preparations, operations and SKEYs (XPath selections from the document).
inline std::array<std::string, 5> TranslatedSelections() {
  const std::string root = std::string(kRoot) + "/";
  return {root + kCptSection + "/*", root + kCptSection + "/*/*", root + kEndPrepSection + "/*",
          root + kOperationSection + "/*", root + kSKEYSection + "/*"};
}

// Files.
inline constexpr const char* kSystemFileName = pipedex::kSystemFileName;
inline constexpr const char* kProjectFileName = pipedex::kProjectFileName;
inline constexpr const char* kDataFolder = pipedex::kDataFolderName;
inline constexpr const char* kLanguageBaseName = "SystemPipedex";
inline constexpr char kPathSeparator = '/';

// The names of the language variants of the system file, in the order they
// are tried; the first that exists is the one read: "SystemPipedex.de-AT.xml",
// "SystemPipedex.de.xml", then English, "SystemPipedex.en.xml".
inline std::array<std::string, 3> LanguageVariantNames(std::string_view language, std::string_view country) {
  const std::string base = std::string(kLanguageBaseName) + ".";
  return {base + std::string(language) + "-" + std::string(country) + ".xml", base + std::string(language) + ".xml",
          base + "en.xml"};
}

// The language variants of a system file, in the order they are tried: the
// names above in its folder (everything up to and including its last separator).
inline std::array<std::string, 3> LanguageVariantPaths(std::string_view systemFile, std::string_view language,
                                                       std::string_view country) {
  const std::size_t separator = systemFile.rfind(kPathSeparator);
  const std::string folder(separator == std::string_view::npos ? "" : systemFile.substr(0, separator + 1));
  std::array<std::string, 3> paths = LanguageVariantNames(language, country);
  for (std::string& path : paths) path.insert(0, folder);
  return paths;
}

// Registry location of the data path: the text value kRegistryValue of the
// key kRegistryKey of HKEY_LOCAL_MACHINE (hive 3) names the system file.
inline constexpr int kRegistryHive = 3;
inline constexpr const char* kRegistryKey = pipedex::kSettingsKey;
inline constexpr const char* kRegistryValue = pipedex::kDataPathValueName;

}  // namespace pipedex::format
