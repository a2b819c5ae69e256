#pragma once

// The state of one Pipedex instance and its private procedures. Each
// subsystem defines the procedures it owns in its own files.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "core/errors.h"
#include "core/xml_document.h"
#include "model/att_list.h"
#include "model/ctype_index.h"
#include "model/tag_list.h"
#include "model/token_index.h"
#include "pipedex/default_elbow.h"
#include "pipedex/pipedex.h"
#include "pipedex/platform.h"

namespace pipedex {

// A node list that may not exist at all (never built, or cleared by a failed build).
using NodeList = std::optional<std::vector<pugi::xml_node>>;
// A result list of names: slot 0 is "", the names start at slot 1.
using NameList = std::vector<std::string>;

struct Pipedex::Impl {
  explicit Impl(std::shared_ptr<Platform> p) : platform(std::move(p)) {}

  std::shared_ptr<Platform> platform;

  // --- Component state -----------------------------------------------------
  bool Initialised = false;
  double AngleTolerance = 1.0;
  std::string SystemPath;
  std::unique_ptr<pugi::xml_document> SystemDoc;
  pugi::xml_node DataRoot;
  pugi::xml_node SystemSymbols;
  std::unique_ptr<pugi::xml_document> LanguageDoc;
  // The last project or user document loaded. Shared so that ProjectSymbols
  // keeps its document alive when a later load replaces ProjectDoc.
  std::shared_ptr<pugi::xml_document> ProjectDoc;
  std::shared_ptr<pugi::xml_document> ProjectSymbolsDoc;
  pugi::xml_node ProjectSymbols;
  std::string ProjectPath;

  // --- Members filled by BuildInternalLists -------------------------------------
  pugi::xml_node CptSection, SKEYSection, PCFIDFSection, PlotraAttSection;
  NodeList GroupNodes, CptTypeNodes, ConfigurationNodes, EndPrepNodes, OperationNodes, SKEYNodes, PCFIDFNodes;
  std::string PlotraEndPreps;
  model::TokenIndex PlotraTokens;  // answers "does a token occur in PlotraEndPreps" in constant time
  std::string PlotraEndPrepsUpper;  // PlotraEndPreps upper-cased, with its own token index
  model::TokenIndex PlotraUpperTokens;
  model::CTypeIndex SKEYIndex, PCFTYPEIndex, IDFIndex;
  model::TagList CptTypeTags, SKEYTags, DefaultEndPrepTags;
  model::AttList AttMap;
  std::optional<NameList> PCFTYPEList;
  std::vector<CDefaultElbow> DefaultElbows;

  // --- Result list written by FindComponentTypes only -----------------------------
  std::optional<NameList> FoundCptTypes;

  // Whether a list build has filled the indexes. An initialisation that failed
  // before the build (a broken project file or language variant) leaves them
  // missing rather than empty: operations that read them raise 91 (object not
  // set) and so answer by their own failure rule.
  bool ListsBuilt = false;
  void RequireLists() const {
    if (!ListsBuilt) RaiseObjectNotSet();
  }

  // The description of the error that made the last list build fail.
  std::string LastBuildError;

  // --- Private procedures ---------------------------------------------------------
  // Loads the catalogue on first use; throws pipedex::Error with the
  // initialisation errors. Does nothing once initialised.
  void EnsureInitialised();
  // Fills every member above from DataRoot; false when it failed before the
  // indexes were filled.
  bool BuildInternalLists();
  // Loads a project or user file, merges it and rebuilds the lists (LoadProjectXML
  // without the initialisation check). Throws 0x80040212 / 0x80040213.
  bool LoadProjectXML(const std::string& path);
  // Merges ProjectDoc into SystemDoc; false when nothing or not all was merged.
  bool MergeProjectDocument();
  // The language variant of the system file for the locale, or null.
  std::unique_ptr<pugi::xml_document> LoadLanguageDocument(const std::string& dataPath, const std::string& baseName,
                                                           const LocaleNames& locale);
  // Copies the attribute texts of the language nodes onto their system nodes.
  void ApplyLanguageText(const std::vector<pugi::xml_node>& nodes);

  // Whether a SKEY ends in an end preparation of the Plotra convention (or "**"),
  // so that a query may fall back to its generic form.
  bool SKEYHasEndPrepSuffix(std::string_view SKEY) const;
  // Appends the component types (What = "ComponentType") or PCF types of an index entry.
  static void AppendNamesToList(std::string_view What, NameList& Names, const model::CTypeLookup& Source, bool Append);
  // Appends the element names of a node selection.
  static void AppendNamesToList(std::string_view What, NameList& Names, const std::vector<pugi::xml_node>& Source,
                                bool Append);
  // Keeps in FoundCptTypes only the component types of one group.
  void FilterCptTypesByGroup(std::string_view Kind, std::string_view Group);
  static bool IsBendComponentType(std::string_view ComponentType);

  // Runs EnsureInitialised when the instance is not initialised yet.
  void Initialise() {
    if (!Initialised) EnsureInitialised();
  }
};

// The generic form of an SKEY: its first two characters followed by "**".
std::string GenericSKEY(std::string_view SKEY);

}  // namespace pipedex
