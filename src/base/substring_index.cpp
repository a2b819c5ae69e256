#include "base/substring_index.h"

#include <algorithm>

namespace pipedex::xml {

std::int32_t SubstringIndex::Next(std::int32_t state, unsigned char byte) const {
  for (std::int32_t e = states_[static_cast<std::size_t>(state)].edges; e >= 0; e = edges_[static_cast<std::size_t>(e)].next)
    if (edges_[static_cast<std::size_t>(e)].byte == byte) return edges_[static_cast<std::size_t>(e)].target;
  return -1;
}

void SubstringIndex::SetNext(std::int32_t state, unsigned char byte, std::int32_t target) {
  State& s = states_[static_cast<std::size_t>(state)];
  for (std::int32_t e = s.edges; e >= 0; e = edges_[static_cast<std::size_t>(e)].next)
    if (edges_[static_cast<std::size_t>(e)].byte == byte) {
      edges_[static_cast<std::size_t>(e)].target = target;
      return;
    }
  edges_.push_back({byte, target, s.edges});
  s.edges = static_cast<std::int32_t>(edges_.size() - 1);
}

std::int32_t SubstringIndex::Clone(std::int32_t state, std::uint32_t length) {
  State copy = states_[static_cast<std::size_t>(state)];
  copy.length = length;
  copy.edges = -1;
  copy.first = UINT32_MAX;
  states_.push_back(copy);
  const auto clone = static_cast<std::int32_t>(states_.size() - 1);
  for (std::int32_t e = states_[static_cast<std::size_t>(state)].edges; e >= 0; e = edges_[static_cast<std::size_t>(e)].next)
    SetNext(clone, edges_[static_cast<std::size_t>(e)].byte, edges_[static_cast<std::size_t>(e)].target);
  return clone;
}

// Adds one byte after the state of the text read so far; returns the state of
// the text with that byte. Several texts share the automaton: a transition that
// already exists is reused, split off when it stands for longer substrings.
std::int32_t SubstringIndex::Extend(std::int32_t last, unsigned char byte) {
  auto at = [&](std::int32_t i) -> State& { return states_[static_cast<std::size_t>(i)]; };
  if (std::int32_t q = Next(last, byte); q >= 0) {
    if (at(q).length == at(last).length + 1) return q;
    const std::int32_t clone = Clone(q, at(last).length + 1);
    at(q).link = clone;
    for (std::int32_t p = last; p >= 0 && Next(p, byte) == q; p = at(p).link) SetNext(p, byte, clone);
    return clone;
  }
  states_.push_back({at(last).length + 1, -1, -1, UINT32_MAX});
  const auto current = static_cast<std::int32_t>(states_.size() - 1);
  std::int32_t p = last;
  while (p >= 0 && Next(p, byte) < 0) {
    SetNext(p, byte, current);
    p = at(p).link;
  }
  if (p < 0) {
    at(current).link = 0;
    return current;
  }
  const std::int32_t q = Next(p, byte);
  if (at(p).length + 1 == at(q).length) {
    at(current).link = q;
    return current;
  }
  const std::int32_t clone = Clone(q, at(p).length + 1);
  for (; p >= 0 && Next(p, byte) == q; p = at(p).link) SetNext(p, byte, clone);
  at(q).link = clone;
  at(current).link = clone;
  return current;
}

SubstringIndex::SubstringIndex(const std::vector<std::string>& texts) {
  states_.push_back({});
  std::vector<std::pair<std::int32_t, std::uint32_t>> ends;  // state of each prefix, its text
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::int32_t last = 0;
    for (unsigned char c : texts[i]) {
      last = Extend(last, c);
      ends.emplace_back(last, static_cast<std::uint32_t>(i));
    }
  }
  for (auto [state, text] : ends) {
    auto& first = states_[static_cast<std::size_t>(state)].first;
    first = std::min(first, text);
  }
  // A substring is in a text when it is a suffix of one of the text's
  // prefixes: the first text flows from each state to its suffix links,
  // longest states first.
  std::vector<std::int32_t> order(states_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int32_t>(i);
  std::uint32_t longest = 0;
  for (const State& s : states_) longest = std::max(longest, s.length);
  std::vector<std::uint32_t> count(longest + 2, 0);
  for (const State& s : states_) ++count[s.length + 1];
  for (std::size_t i = 1; i < count.size(); ++i) count[i] += count[i - 1];
  for (std::size_t i = 0; i < states_.size(); ++i) order[count[states_[i].length]++] = static_cast<std::int32_t>(i);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const State& s = states_[static_cast<std::size_t>(*it)];
    if (s.link >= 0) {
      auto& parent = states_[static_cast<std::size_t>(s.link)].first;
      parent = std::min(parent, s.first);
    }
  }
}

std::size_t SubstringIndex::FirstContaining(std::string_view text) const {
  std::int32_t state = 0;
  for (unsigned char c : text) {
    state = Next(state, c);
    if (state < 0) return std::string_view::npos;
  }
  const std::uint32_t first = states_[static_cast<std::size_t>(state)].first;
  return first == UINT32_MAX ? std::string_view::npos : first;
}

}  // namespace pipedex::xml
