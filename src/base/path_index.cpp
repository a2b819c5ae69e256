#include "base/path_index.h"

#include "base/errors.h"
#include "base/first_containing.h"
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

pugi::xml_node PathIndex::FirstMatch(pugi::xml_node node) {
  if (!node) errors::RaiseObjectNotSet();
  const std::string text = Text(node);
  if (!text.empty()) Quoted(text);  // an apostrophe makes the path invalid
  return FirstMatches({node}).front();
}

std::vector<pugi::xml_node> PathIndex::FirstMatches(const std::vector<pugi::xml_node>& nodes) {
  // The nodes' texts and chains, up to the first node whose path is invalid.
  struct Asked {
    std::string text;
    Candidates* candidates = nullptr;
  };
  std::vector<Asked> asked;
  for (pugi::xml_node node : nodes) {
    if (!node) break;
    Asked a{Text(node)};
    try {
      if (!a.text.empty()) Quoted(a.text);
    } catch (const Error&) {
      break;  // FirstMatch of this node throws
    }
    const std::size_t depth = ChainDepth(node);
    FileChains(depth);
    auto found = byChain_.find(ChainKey(node, depth));
    if (found != byChain_.end() && !found->second.nodes.empty()) a.candidates = &found->second;
    asked.push_back(std::move(a));
  }
  // Each chain's candidates are read once, for all the texts asked of it.
  std::unordered_map<Candidates*, std::vector<std::size_t>> byCandidates;
  for (std::size_t i = 0; i < asked.size(); ++i)
    if (asked[i].candidates) byCandidates[asked[i].candidates].push_back(i);
  std::vector<pugi::xml_node> out(asked.size());
  for (const auto& [candidates, which] : byCandidates) {
    std::vector<std::string> texts;
    texts.reserve(candidates->nodes.size());
    for (pugi::xml_node n : candidates->nodes) texts.push_back(Text(n));
    std::vector<std::string_view> wanted;
    wanted.reserve(which.size());
    for (std::size_t i : which) wanted.push_back(asked[i].text);
    const std::vector<std::size_t> first = FirstContaining(texts, wanted);
    for (std::size_t k = 0; k < which.size(); ++k)
      if (first[k] < candidates->nodes.size()) out[which[k]] = candidates->nodes[first[k]];
  }
  return out;
}

}  // namespace pipedex::xml
