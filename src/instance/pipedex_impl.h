#pragma once

// The state of one Pipedex instance, in three parts with their own lifetimes:
// the documents and paths (replaced by a load), the built catalogue (rebuilt
// whole after every change of the merged document) and the search results
// (replaced by the Find* operations, read by later ones). The members of
// Pipedex, defined in the folder of their area, work on this state through
// Loaded() and Answer() below, which hold the rule every member shares: load
// the catalogue first, then answer.

#include <array>
#include <memory>
#include <optional>
#include <type_traits>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/errors.h"
#include "base/format.h"
#include "base/path_index.h"
#include "base/xml_document.h"
#include "cache/index_file.h"
#include "model/catalogue.h"
#include "pipedex/pipedex.h"
#include "pipedex/platform.h"

namespace pipedex {
namespace detail {

// The documents of an instance and where they came from.
struct Documents {
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
};

}  // namespace detail

// Hidden even though Pipedex is exported: the state is no part of the library's ABI.
struct [[gnu::visibility("hidden")]] Pipedex::Impl : detail::Documents, model::Catalogue, model::SearchResults {
  explicit Impl(std::shared_ptr<Platform> p) : platform(std::move(p)) {}

  std::shared_ptr<Platform> platform;
  bool Initialised = false;
  // A file of the load under way (the language variant, the project file
  // beside the system file) could not be read at all: the load is forgotten,
  // so the next call tries again, as after running out of memory.
  bool ReadFailed = false;
  double AngleTolerance = 1.0;

  // --- Loading (instance/loading.cpp, instance/language.cpp) ----------------------
  // Loads the catalogue from its files; throws pipedex::Error with the
  // initialisation errors. With fromIndex, a valid compiled index of the
  // files is opened instead when there is one.
  void EnsureInitialised(bool fromIndex = false);
  // The steps of a load, in order; each throws the error the client sees.
  void ChooseSystemFile();
  // ChooseSystemFile(), its errors thrown as pipedex::Error.
  void FindSystemFile();
  void LoadSystemDocument();
  void LoadProjectBesideSystemFile();
  void BuildOrFail(model::BuildScope scope);
  // Drops a load that ran out of memory part way, so the next call loads afresh.
  void ForgetLoad();
  // Loads the catalogue on first use, and its files when it answers from the index.
  void Initialise() {
    if (!Initialised || FromIndex) EnsureInitialised();
  }
  // Loads the catalogue on first use, from its index when there is a valid one.
  void InitialiseFromIndex() {
    if (!Initialised) EnsureInitialised(true);
  }
  // The project file that lies beside the system file, loaded with it when it exists.
  std::string ProjectBesideSystemFile() const;
  // The language variants of the system file for a locale, in the order they are tried.
  static std::array<std::string, 3> LanguageVariantPaths(const std::string& dataPath, const LocaleNames& locale);
  // Rebuilds the catalogue (of this scope) and the search results from
  // DataRoot, then applies the language texts; returns the failure when the
  // sections could not be read.
  std::optional<std::string> BuildInternalLists(model::BuildScope scope = model::BuildScope::Whole);
  // The language variant of the system file for the locale, or null.
  std::unique_ptr<pugi::xml_document> LoadLanguageDocument(const std::string& dataPath,
                                                           const LocaleNames& locale);
  // Copies the attribute texts of the language nodes onto their system nodes.
  void ApplyLanguageText(xml::PathIndex& systemElements, const std::vector<pugi::xml_node>& nodes);

  // --- The compiled index (instance/catalogue_index.cpp) -----------------------------
  // The index the catalogue answers from while FromIndex, and the document compiled into it.
  std::unique_ptr<cache::MappedIndex> Index;
  std::unique_ptr<flat::Document> IndexDocument;
  bool FromIndex = false;
  // Whether the attribute map is still to be built from the index's document.
  bool AttMapPending = false;
  // The attribute map: built from the index's document on the first question
  // about it while FromIndex (its section is all it reads).
  const model::AttList& AttributeMap() {
    if (AttMapPending) {
      model::MapAttributes(*this);
      AttMapPending = false;
    }
    return AttMap;
  }
  // Whether the IDF record index is still to be made from the index's document.
  bool IDFIndexPending = false;
  // The IDF record index: made from the index's document on the first
  // question about it while FromIndex (the PCF type section is all it reads).
  const model::CTypeIndex& IDFRecords() {
    if (IDFIndexPending) {
      IDFIndex = model::IndexIDFRecords(IndexRoot);
      IDFIndexPending = false;
    }
    return IDFIndex;
  }
  // The default elbows: read from the index on the first question about them while FromIndex.
  bool ElbowsPending = false;
  std::string_view CompiledElbows;  // their section of the index
  std::vector<model::DefaultElbow> ReadCompiledElbows() const;
  const std::vector<model::DefaultElbow>& Elbows() {
    if (ElbowsPending) {
      DefaultElbows = ReadCompiledElbows();
      ElbowsPending = false;
    }
    return DefaultElbows;
  }
  // The data root of the index's document, while FromIndex.
  model::Element IndexRoot;
  // The whole-section lists: while FromIndex, each is selected from the
  // index's document on the first question that reads it, at its section's cost.
  const model::NodeList& Groups() { return SectionList(GroupNodes, format::kCptSection); }
  const model::NodeList& Configurations() { return SectionList(ConfigurationNodes, format::kConfigurationSection); }
  const model::NodeList& EndPreps() { return SectionList(EndPrepNodes, format::kEndPrepSection); }
  const model::NodeList& SectionList(model::NodeList& list, const char* section) {
    if (FromIndex && !list) list = IndexRoot.Select({section, "*"});
    return list;
  }
  // The files as they were before the load read them: an index is written
  // only when they are still the same after it.
  cache::Stamp FilesBeforeLoad;
  // The hash of the system file's content as its load read it (0 when not
  // taken): the index records it without reading the file again.
  std::uint64_t SystemContentHash = 0;
  // Where the index of this system file and locale lives ("" when the platform keeps none).
  std::string IndexPath() const;
  // What an index of the current system file records of its files (their content hashed when hashContent).
  cache::Stamp IndexStamp(bool hashContent, std::uint64_t systemHash = 0) const;
  // Answers from a valid index when there is one (true), else leaves the instance unloaded.
  bool OpenIndex();
  // Answers from an index already opened for these files (true: the instance
  // takes it over), else leaves the instance unloaded and the index with the caller.
  bool UseIndex(std::unique_ptr<cache::MappedIndex>& index);
  // Drops the index and the catalogue answered from it, leaving the instance unloaded.
  void LeaveIndex();
  // Writes the index of the catalogue just loaded (its indexed lists built at
  // least), unless a valid one exists; whether a valid index is there now. An
  // index is only an aid: this never fails.
  bool WriteIndex();

  // --- Project and user files (instance/project_merge.cpp) -------------------------
  // Loads a project or user file, merges it and rebuilds the lists (LoadProjectXML
  // without the initialisation check). Throws 0x80040212 / 0x80040213.
  bool LoadProjectXML(const std::string& path);
  // Merges ProjectDoc into SystemDoc; false when nothing or not all was merged.
  bool MergeProjectDocument();

  // --- Shared by the queries ----------------------------------------------------------
  // Keeps in FoundCptTypes only the component types of one group.
  void FilterCptTypesByGroup(std::string_view Kind, std::string_view Group) {
    model::FilterCptTypesByGroup(*this, *this, Kind, Group);
  }
};

namespace detail {

// The state of one instance, as the helpers of every area name it.
using Impl = Pipedex::Impl;

// The instance with its catalogue loaded: the load runs on first use, and its
// errors (0x80040201..0x80040205) reach the caller. Every member that reads
// the catalogue starts here or in Answer().
inline Impl& Loaded(Impl& impl) {
  impl.Initialise();
  return impl;
}

// The load of a member that reads nothing of the catalogue (a name of an
// enumeration) but lets the load's errors through: from a valid index when
// there is one, so that asking it keeps an instance on its index.
inline Impl& Opened(Impl& impl) {
  impl.InitialiseFromIndex();
  return impl;
}

// Runs body, a std::bad_alloc reaching the caller as kOutOfMemory: for every
// member that lets its errors through, even one that only hands back what is
// loaded (a copied text may be what runs out of memory), so that a client
// sees no failure but pipedex::Error.
template <typename Body>
auto OutOfMemoryAsError(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    errors::RaiseOutOfMemory();
  }
}

// The answer of a member whose failure rule is a neutral answer: the load runs
// first and its errors reach the caller; any failure of body(impl) after it
// gives the neutral answer instead, except running out of memory, which is no
// answer at all and reaches the caller as kOutOfMemory.
template <typename Body>
std::invoke_result_t<Body, Impl&> Answer(Impl& impl, std::type_identity_t<std::invoke_result_t<Body, Impl&>> neutral,
                                         Body&& body) {
  Loaded(impl);
  try {
    return body(impl);
  } catch (...) {
    errors::RethrowIfNoAnswer();
    return neutral;
  }
}

// The answer of a member that the compiled index can give (it reads only
// what the index holds): the load runs first, from a valid index when there
// is one. An index found damaged part way is dropped, the files are loaded,
// and body answers again from them.
template <typename Body>
std::invoke_result_t<Body, Impl&> FromIndex(Impl& impl, Body&& body) {
  impl.InitialiseFromIndex();
  if (impl.FromIndex) {
    try {
      return body(impl);
    } catch (const flat::Corrupt&) {
      impl.Initialise();
    }
  }
  return body(impl);
}

// Answer() for a member that the compiled index can give, as FromIndex().
template <typename Body>
std::invoke_result_t<Body, Impl&> AnswerFromIndex(Impl& impl,
                                                  std::type_identity_t<std::invoke_result_t<Body, Impl&>> neutral,
                                                  Body&& body) {
  return FromIndex(impl, [&](Impl& loaded) -> std::invoke_result_t<Body, Impl&> {
    try {
      return body(loaded);
    } catch (...) {
      errors::RethrowIfNoAnswer();
      return neutral;
    }
  });
}

}  // namespace detail
}  // namespace pipedex
