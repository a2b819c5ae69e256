#pragma once

// The catalogue's small lookup tables read by value: the bore conversion
// rows, the weld exclusions and the default connections. Each question
// finds its rows by key instead of walking the tables, with the same answer
// as the walk: the first row in document order where one row answers, every
// row of the key where all of them count.
//
// The document can change behind the tables once a node of it has been
// handed to the client (such handles are live elements), and nothing tells
// the component when; from then on each question walks the document again.
// Until then the tables refer to the document's own texts instead of
// copying them: the component itself rebuilds them after every change it
// makes to the document.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "model/text_store.h"

namespace pipedex::model {

class LookupTables {
 public:
  // Fills the tables from the root element of the merged document in one pass
  // over its children.
  void Build(pugi::xml_node root);
  void Clear() { *this = {}; }
  bool Built() const { return built_; }

  // The first BORE-CONVERSION-TABLE/BORE row whose value in the unit column
  // ("MM" or "IN") equals wanted as a number; an empty node when none does.
  pugi::xml_node BoreRow(const std::string& unit, double wanted) const;
  // Whether WELD-EXCLUSION-LIST/EXCLUDE elements whose IDF is exactly record
  // exclude the SKEY (given upper-cased and trimmed): one without an SKEY, or
  // with the "every SKEY" value, or with this SKEY.
  bool WeldExcluded(const std::string& record, const std::string& upperSKEY) const;
  // The first DefaultConnectionTable/ENDPREP row whose Name is exactly name.
  pugi::xml_node ConnectionRow(const std::string& name) const;

 private:
  struct BoreEntry {
    double key;
    pugi::xml_node row;
  };
  struct Exclusion {
    std::string_view key;  // the document's IDF text
    std::string_view skey;  // upper-cased and trimmed, kept in texts_; the "every SKEY" value stays as it is
  };
  struct Connection {
    std::string_view key;  // the document's Name text
    pugi::xml_node row;
  };
  // Rows grouped by key, the rows of one key in document order, and a hash
  // table of the first row of each key (its position + 1, 0 for an empty
  // cell; at most three quarters full, a probe comparing one key in the
  // rows): a question is one look-up.
  // Kept for the goal of keyed questions flat from 1 to 50 MB: a binary
  // search over the sorted rows (std::equal_range) reads a document text at
  // every step and made WeldAttributesAllowed a quarter slower on the 10 MB
  // catalogue than on the 1 MB one (115 ns against 91; with the table, 65 ns
  // on both).
  template <typename Row>
  struct RowTable {
    std::vector<Row> rows;
    std::vector<std::uint32_t> firsts;
  };
  bool built_ = false;
  TextStore texts_;  // the exclusions' SKEY texts
  // The bore rows sorted by their number, found by binary search (flat:
  // the numbers lie side by side in the rows).
  std::vector<BoreEntry> boreMM_, boreIN_;
  RowTable<Exclusion> exclusions_;
  RowTable<Connection> connections_;
};

struct Catalogue;

// The questions as the operations ask them: through the tables while they
// hold, otherwise by walking the document from root (which raises error 91
// when root is empty).
pugi::xml_node FindBoreRow(const Catalogue& catalogue, pugi::xml_node root, const std::string& unit, double bore);
bool WeldExcluded(const Catalogue& catalogue, pugi::xml_node root, const std::string& record,
                  const std::string& upperSKEY);
pugi::xml_node FindConnectionRow(const Catalogue& catalogue, pugi::xml_node root, const std::string& endPrep);

}  // namespace pipedex::model
