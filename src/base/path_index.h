#pragma once

// Finding in one document the element that NodePath(node, true) of an element
// of another document selects, without evaluating that XPath text for every
// element: the document's elements are filed once under the chain of their
// own and their nearest ancestors' names, and looked up by chain and text.
// Applying a language variant element by element stays linear this way.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <pugixml.hpp>

#include "base/seeded_hash.h"

namespace pipedex::xml {

class PathIndex {
 public:
  // Indexes the elements of a document (or of the subtree below any node).
  explicit PathIndex(pugi::xml_node document) : document_(document) {}

  // The node SelectSingleNode(document, NodePath(node, true)) gives: the first
  // element in document order whose name and nearest ancestors' names are the
  // chain of `node` from its root element down, and whose text contains the
  // text of `node` (any text when that is empty). An empty node when there is
  // none. Throws, as that selection would, when the text holds an apostrophe.
  pugi::xml_node FirstMatch(pugi::xml_node node);

  // FirstMatch of each node, in order, all found in one pass over each chain's
  // texts: the time grows with the length of the texts, not with the product
  // of the number of nodes and of candidates. Stops before the first node for
  // which FirstMatch would throw (the answer is then shorter than `nodes`).
  std::vector<pugi::xml_node> FirstMatches(const std::vector<pugi::xml_node>& nodes);

 private:
  // The elements filed under one chain of names, in document order.
  struct Candidates {
    std::vector<pugi::xml_node> nodes;
  };

  // Files every element that has `depth` names in its chain.
  void FileChains(std::size_t depth);

  pugi::xml_node document_;
  std::unordered_set<std::size_t> filedDepths_;
  std::unordered_map<std::string, Candidates, hashing::StringHash> byChain_;
};

}  // namespace pipedex::xml
