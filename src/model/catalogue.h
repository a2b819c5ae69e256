#pragma once

// The catalogue as the list build leaves it: the section handles, the index
// classes and the token strings, all rebuilt together from the merged
// document; and the search results, which the build resets to whole sections
// and the Find* operations replace.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/flat_table.h"
#include "model/att_list.h"
#include "model/ctype_index.h"
#include "model/default_elbow.h"
#include "model/element.h"
#include "model/lookup_tables.h"
#include "model/tag_list.h"
#include "model/token_index.h"

namespace pipedex::model {

// A list of elements that may not exist at all (never built, or cleared by a failed build).
using NodeList = std::optional<std::vector<Element>>;
// A result list of names: slot 0 is "", the names start at slot 1.
using NameList = std::vector<std::string>;

// A result list of names as a list build leaves it: numbers of names in the
// name table of the component type indexes (4 bytes a name instead of a
// string), made into a NameList when it is to be changed.
class NameListResult {
 public:
  NameListResult() = default;
  // A search's list replaces the numbers (converting, so that a search assigns `list = NameList{...}`).
  NameListResult(NameList names) : list_(std::move(names)) {}
  // Whether there is a list at all (none before the first build).
  explicit operator bool() const { return list_ || pool_; }
  // The number of slots, and the name in a slot below that.
  std::size_t size() const { return pool_ ? numbers_.size() + 1 : list_ ? list_->size() : 0; }
  std::string_view operator[](std::size_t slot) const {
    return pool_ ? (slot == 0 ? std::string_view() : pool_->Name(numbers_[slot - 1])) : (*list_)[slot];
  }
  // The list to change.
  NameList& operator*();
  // A copy of the names, for reading them all.
  NameList operator*() const;
  NameList* operator->() { return &**this; }
  // The names of these numbers in pool, after slot 0.
  void Assign(std::shared_ptr<const NamePool> pool, std::vector<std::uint32_t> numbers);

 private:
  std::optional<NameList> list_;
  std::shared_ptr<const NamePool> pool_;
  std::vector<std::uint32_t> numbers_;  // slot 1 on
};

// The generic form of an SKEY: its first two characters followed by "**".
std::string GenericSKEY(std::string_view SKEY);

// What the operations read of a catalogue: the sections, the lists and the
// indexes, as elements (element.h) and keyed entries, never the document
// behind them; a list build from the merged document fills it.
struct Catalogue {
  Element CptSection, SKEYSection, PCFIDFSection, PlotraAttSection;
  NodeList GroupNodes, ConfigurationNodes, EndPrepNodes;
  // Whether the last build read the sections (the PCF type elements are
  // walked by the build only and not kept).
  bool PCFIDFRead = false;
  std::string PlotraEndPreps;
  TokenIndex PlotraTokens;  // answers "does a token occur in PlotraEndPreps" in constant time
  std::string PlotraEndPrepsUpper;  // PlotraEndPreps upper-cased, with its own token index
  TokenIndex PlotraUpperTokens;     // (both empty when it is PlotraEndPreps itself, the usual case)
  bool PlotraUpperSame = false;
  // A catalogue answered from a compiled index holds no PlotraEndPreps: its
  // pieces (TokenIndex::CompilePieces) answer SKEYHasEndPrepSuffix instead.
  bool PlotraCompiled = false;
  flat::Table PlotraPieces;
  // Whether a token occurs in the upper-cased Plotra end preparations.
  bool PlotraUpperContains(const std::string& token) const;
  CTypeIndex SKEYIndex, PCFTYPEIndex, IDFIndex;
  std::shared_ptr<NamePool> Names;  // the name table of the three indexes
  TagList CptTypeTags, SKEYTags, DefaultEndPrepTags;
  AttList AttMap;
  std::vector<DefaultElbow> DefaultElbows;
  LookupTables Tables;  // bore rows, weld exclusions, default connections
  // What BuildCatalogue leaves for the indexes built after the lists: the PCF
  // type elements, and (for CompleteCatalogue) each component type's PCF type.
  struct PendingIndexes {
    std::vector<pugi::xml_node> pcfTypes;
    std::vector<std::string> cptPCFTYPEs;
  };
  PendingIndexes Pending;

  // Whether a node of the merged document has been handed to the client since
  // it was loaded. Such a handle can change the document at any time, so the
  // build does not reset this; only a new load does.
  bool NodesHandedOut = false;

  // Whether a list build has filled the indexes. A load that failed before the
  // build (a broken project file or language variant) leaves them missing
  // rather than empty: operations that read them raise 91 (object not set)
  // and so answer by their own failure rule.
  bool ListsBuilt = false;
  void RequireLists() const;

  // Whether a SKEY ends in an end preparation of the Plotra convention (or "**"),
  // so that a query may fall back to its generic form.
  bool SKEYHasEndPrepSuffix(std::string_view SKEY) const;

  // The A_SKEY element defining an SKEY: its own, or for a suffix SKEY its
  // generic one, tried in the given order; an empty node when neither exists.
  enum class Prefer { Own, Generic };
  Element SKEYElement(const std::string& SKEY, Prefer prefer) const;
};

// The lists the searches replace. The build resets all but FoundCptTypes to
// their whole sections; FoundCptTypes only FindComponentTypes writes.
struct SearchResults {
  NodeList CptTypeNodes, SKEYNodes, OperationNodes;
  NameListResult PCFTYPEList;
  std::optional<NameList> FoundCptTypes;

  // The What that appends component types (in any letter case); any other appends PCF types.
  static constexpr const char* kComponentTypes = "ComponentType";
  // Appends the component types (What = kComponentTypes) or PCF types of an index entry.
  static void AppendNamesToList(std::string_view What, NameList& Names, const CTypeLookup& Source, bool Append);
  // Appends the local names of a list of elements.
  static void AppendNamesToList(std::string_view What, NameList& Names, const std::vector<Element>& Source,
                                bool Append);
};

// The Kind of FilterCptTypesByGroup that keeps a group's component types; any other keeps none.
inline constexpr const char* kFilterByGroup = "Group";
// Keeps in FoundCptTypes only the component types of one group (Kind kFilterByGroup).
void FilterCptTypesByGroup(const Catalogue& catalogue, SearchResults& results, std::string_view Kind,
                           std::string_view Group);

// How much of the catalogue a build makes: all of it, or the lists a
// compiled index holds (the sections and their lists, the Plotra tokens, and
// the keyed lists of component types, SKEYs and default end preparations,
// with the default elbows), which CompleteCatalogue completes.
enum class BuildScope { Whole, IndexedLists };

// Builds the catalogue and resets the search results from the root element of
// the merged document. Returns the failure when the sections could not be
// read (the node lists are then absent); from the indexes on, an entry that
// cannot be made is left out and the build goes on.
std::optional<std::string> BuildCatalogue(pugi::xml_node root, Catalogue& catalogue, SearchResults& results,
                                          BuildScope scope = BuildScope::Whole);
// Completes a build of the indexed lists that succeeded: the SKEY, PCF type
// and IDF record indexes, the PCF type list, the attribute map and the lookup
// tables, each component type under the PCF type the build read (the
// language texts applied since may have changed it).
void CompleteCatalogue(pugi::xml_node root, Catalogue& catalogue, SearchResults& results);

// Fills the attribute map afresh from the Plotra attribute section: attribute
// mappings, then the suppressed attributes (a name mapped first keeps its
// mapping). Part of the build; on its own for a catalogue answered from a
// compiled index, which builds the map on the first question about it.
void MapAttributes(Catalogue& catalogue);

// The IDF record index of the PCF types under a data root, as the build makes
// it: for a catalogue answered from a compiled index, which makes it on the
// first question about it.
CTypeIndex IndexIDFRecords(const Element& root);

}  // namespace pipedex::model
