#include "base/first_containing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

#include "base/seeded_hash.h"

namespace pipedex::xml {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Wanted texts up to this length go into the automaton; a longer one is
// searched for on its own, and there can be few of them for their length.
constexpr std::size_t kLongWanted = 256;

// The texts one after another, each followed by a zero character, which no
// text of a document holds: an occurrence of a wanted text never spans two
// texts, and the first occurrence lies in the first text that holds it.
struct Joined {
  std::string all;
  std::vector<std::size_t> starts;

  explicit Joined(const std::vector<std::string>& texts) {
    std::size_t size = 0;
    for (const std::string& t : texts) size += t.size() + 1;
    all.reserve(size);
    for (const std::string& t : texts) {
      starts.push_back(all.size());
      all.append(t).push_back('\0');
    }
  }
  // The text that holds the byte at offset.
  std::size_t TextAt(std::size_t offset) const {
    return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) - 1;
  }
};

// Kept for the goal "a 20 MB system file with a variant loads within 3x of one without": a search per wanted text
// reads every earlier candidate again (quadratic in the SKEYs of a chain); this automaton (Aho-Corasick) reads them once.
class Automaton {
 public:
  // The trie of the wanted texts (none of them empty), built in their sorted
  // order so that each state's children come in the order of their bytes.
  explicit Automaton(const std::vector<std::string_view>& wanted) : wantedAt_(wanted.size()) {
    rootEdges_.fill(-1);
    std::vector<std::size_t> order(wanted.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return wanted[a] < wanted[b]; });
    std::vector<std::int32_t> path{0};  // the states along the previous text
    std::string_view previous;
    for (std::size_t i : order) {
      const std::string_view text = wanted[i];
      const std::size_t shared = static_cast<std::size_t>(
          std::mismatch(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), previous.size())),
                        previous.begin()).first - text.begin());
      path.resize(shared + 1);
      for (std::size_t d = shared; d < text.size(); ++d) path.push_back(AddChild(path[d], static_cast<unsigned char>(text[d])));
      wantedAt_[i] = path[text.size()];
      states_[static_cast<std::size_t>(path[text.size()])].wanted = true;
      previous = text;
    }
    Link();
  }

  // The offset of the first occurrence in `all` of each wanted text; npos for those that do not occur.
  std::vector<std::size_t> FirstOccurrences(std::string_view all) const {
    std::vector<std::size_t> firstAt(states_.size(), kNone);
    std::int32_t state = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const auto c = static_cast<unsigned char>(all[i]);
      std::int32_t next = Child(state, c);
      while (next < 0 && state != 0) {
        state = At(state).fail;
        next = Child(state, c);
      }
      state = next < 0 ? 0 : next;
      // Every wanted text that ends here; once one is already found, so are
      // the shorter ones after it, which end where it ended before.
      for (std::int32_t s = At(state).wanted ? state : At(state).output; s > 0 && firstAt[static_cast<std::size_t>(s)] == kNone;
           s = At(s).output)
        firstAt[static_cast<std::size_t>(s)] = i + 1 - At(s).depth;
    }
    std::vector<std::size_t> out;
    out.reserve(wantedAt_.size());
    for (std::int32_t s : wantedAt_) out.push_back(firstAt[static_cast<std::size_t>(s)]);
    return out;
  }

 private:
  struct State {
    std::int32_t parent = -1, fail = 0;
    std::int32_t output = -1;  // the longest proper suffix state that is wanted
    std::int32_t firstChild = -1, lastChild = -1, nextSibling = -1;
    std::uint32_t depth = 0;
    unsigned char byte = 0;
    bool wanted = false;
  };
  const State& At(std::int32_t s) const { return states_[static_cast<std::size_t>(s)]; }
  State& At(std::int32_t s) { return states_[static_cast<std::size_t>(s)]; }

  // A new last child (its byte greater than its siblings').
  std::int32_t AddChild(std::int32_t parent, unsigned char c) {
    const auto child = static_cast<std::int32_t>(states_.size());
    State s;
    s.parent = parent;
    s.depth = At(parent).depth + 1;
    s.byte = c;
    states_.push_back(s);
    State& p = At(parent);
    if (p.lastChild < 0) {
      p.firstChild = child;
    } else {
      At(p.lastChild).nextSibling = child;
    }
    p.lastChild = child;
    if (parent == 0) rootEdges_[c] = child;
    return child;
  }

  std::int32_t Child(std::int32_t state, unsigned char c) const {
    if (state == 0) return rootEdges_[c];
    for (std::int32_t k = At(state).firstChild; k >= 0; k = At(k).nextSibling) {
      if (At(k).byte == c) return k;
      if (At(k).byte > c) break;
    }
    return -1;
  }

  // The failure links, shallow states first (each depends on its parent's).
  void Link() {
    std::vector<std::vector<std::int32_t>> byDepth;
    for (std::size_t i = 1; i < states_.size(); ++i) {
      if (states_[i].depth >= byDepth.size()) byDepth.resize(states_[i].depth + 1);
      byDepth[states_[i].depth].push_back(static_cast<std::int32_t>(i));
    }
    for (const std::vector<std::int32_t>& level : byDepth) {
      for (std::int32_t s : level) {
        State& state = At(s);
        if (state.depth > 1) {
          std::int32_t f = At(state.parent).fail, next = Child(f, state.byte);
          while (next < 0 && f != 0) {
            f = At(f).fail;
            next = Child(f, state.byte);
          }
          state.fail = next < 0 ? 0 : next;
        }
        const State& fail = At(state.fail);
        state.output = fail.wanted ? state.fail : fail.output;
      }
    }
  }

  std::vector<State> states_{State{}};
  std::array<std::int32_t, 256> rootEdges_{};
  std::vector<std::int32_t> wantedAt_;  // the state of each wanted text
};

}  // namespace

std::vector<std::size_t> FirstContaining(const std::vector<std::string>& texts,
                                         const std::vector<std::string_view>& wanted) {
  std::vector<std::size_t> out(wanted.size(), kNone);
  if (texts.empty()) return out;
  const Joined joined(texts);
  // The first text equal to each long wanted text bounds its search.
  std::unordered_map<std::string_view, std::size_t, hashing::StringHash> firstEqual;
  std::vector<std::size_t> shortOnes;
  std::vector<std::string_view> shortTexts;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (wanted[i].empty()) {
      out[i] = 0;
    } else if (wanted[i].size() <= kLongWanted) {
      shortOnes.push_back(i);
      shortTexts.push_back(wanted[i]);
    }
  }
  if (!shortOnes.empty()) {
    const std::vector<std::size_t> at = Automaton(shortTexts).FirstOccurrences(joined.all);
    for (std::size_t k = 0; k < shortOnes.size(); ++k)
      if (at[k] != kNone) out[shortOnes[k]] = joined.TextAt(at[k]);
  }
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (wanted[i].size() <= kLongWanted) continue;
    if (firstEqual.empty())
      for (std::size_t t = texts.size(); t-- > 0;) firstEqual[texts[t]] = t;
    const auto equal = firstEqual.find(wanted[i]);
    const std::size_t bound = equal == firstEqual.end() ? joined.all.size() : joined.starts[equal->second];
    const std::size_t at = std::string_view(joined.all).substr(0, bound).find(wanted[i]);
    out[i] = at != kNone ? joined.TextAt(at) : equal != firstEqual.end() ? equal->second : kNone;
  }
  return out;
}

}  // namespace pipedex::xml
