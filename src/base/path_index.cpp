#include "base/path_index.h"

#include "base/errors.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex::xml {
namespace {

// The names of a node and of up to depth - 1 of its nearest element ancestors,
// joined by "/" from the top down; "" when the chain is shorter than depth.
std::string ChainKey(pugi::xml_node node, std::size_t depth) {
  std::vector<const char*> names;
  for (pugi::xml_node n = node; names.size() < depth; n = n.parent()) {
    if (!n || n.type() != pugi::node_element) return "";
    names.push_back(n.name());
  }
  std::string key;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (it != names.rbegin()) key += '/';
    key += *it;
  }
  return key;
}

// The number of names in a node's chain: itself and its element ancestors.
std::size_t ChainDepth(pugi::xml_node node) {
  std::size_t depth = 0;
  for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent()) ++depth;
  return depth;
}

}  // namespace

void PathIndex::FileChains(std::size_t depth) {
  if (!filedDepths_.insert(depth).second) return;
  // Document order, elements only.
  WalkDescendants(document_, [&](pugi::xml_node node, int) {
    if (node.type() != pugi::node_element) return true;
    std::string key = ChainKey(node, depth);
    if (!key.empty()) byChain_[key].nodes.push_back(node);
    return true;
  });
}

void PathIndex::ReadTexts(Candidates& c) {
  if (c.texts) return;
  std::vector<std::string> texts;
  texts.reserve(c.nodes.size());
  for (pugi::xml_node n : c.nodes) texts.push_back(Text(n));
  c.texts = std::make_unique<SubstringIndex>(texts);
}

pugi::xml_node PathIndex::FirstMatch(pugi::xml_node node) {
  if (!node) detail::RaiseObjectNotSet();
  const std::string text = Text(node);
  if (!text.empty()) Quoted(text);  // an apostrophe makes the path invalid
  const std::size_t depth = ChainDepth(node);
  FileChains(depth);
  auto found = byChain_.find(ChainKey(node, depth));
  if (found == byChain_.end() || found->second.nodes.empty()) return {};
  Candidates& c = found->second;
  if (text.empty()) return c.nodes.front();

  // The first text that contains `text`, found in time that does not grow
  // with the number of candidates.
  ReadTexts(c);
  const std::size_t best = c.texts->FirstContaining(text);
  return best < c.nodes.size() ? c.nodes[best] : pugi::xml_node();
}

}  // namespace pipedex::xml
