#include "base/first_containing.h"

#include <algorithm>
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

// Edges of the automaton, filed under (state, byte) mixed with the process's
// key, so that no text can choose edges that share a bucket.
struct EdgeHash {
  std::size_t operator()(std::uint64_t key) const {
    std::uint64_t z = key ^ hashing::ProcessKey().k0;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::size_t>(z ^ (z >> 31));
  }
};

// Kept for the goal "a 20 MB system file with a variant loads within 3x of one without": a search per wanted text
// reads every earlier candidate again (quadratic in the SKEYs of a chain); this automaton (Aho-Corasick) reads them once.
class Automaton {
 public:
  // Adds a wanted text; the number it gets is the order of the calls.
  void Add(std::string_view text) {
    std::int32_t state = 0;
    for (unsigned char c : text) {
      std::int32_t next = Child(state, c);
      if (next < 0) {
        next = static_cast<std::int32_t>(states_.size());
        states_.push_back({state, 0, -1, -1, states_[static_cast<std::size_t>(state)].depth + 1, c});
        edges_.emplace(Key(state, c), next);
      }
      state = next;
    }
    wantedAt_.push_back(state);
    if (states_[static_cast<std::size_t>(state)].wanted < 0)
      states_[static_cast<std::size_t>(state)].wanted = static_cast<std::int32_t>(wantedAt_.size() - 1);
  }

  // The offset of the first occurrence in `all` of each wanted text; npos for those that do not occur.
  std::vector<std::size_t> FirstOccurrences(std::string_view all) {
    Link();
    std::vector<std::size_t> firstAt(states_.size(), kNone);
    std::int32_t state = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const auto c = static_cast<unsigned char>(all[i]);
      std::int32_t next = Child(state, c);
      while (next < 0 && state != 0) {
        state = states_[static_cast<std::size_t>(state)].fail;
        next = Child(state, c);
      }
      state = next < 0 ? 0 : next;
      // Every wanted text that ends here; once one is already found, so are
      // the shorter ones after it, which end where it ended before.
      for (std::int32_t s = states_[static_cast<std::size_t>(state)].wanted >= 0 ? state : Output(state);
           s > 0 && firstAt[static_cast<std::size_t>(s)] == kNone; s = Output(s))
        firstAt[static_cast<std::size_t>(s)] = i + 1 - states_[static_cast<std::size_t>(s)].depth;
    }
    std::vector<std::size_t> out;
    out.reserve(wantedAt_.size());
    for (std::int32_t s : wantedAt_) out.push_back(firstAt[static_cast<std::size_t>(s)]);
    return out;
  }

 private:
  struct State {
    std::int32_t parent, fail, wanted, output;  // output: the next shorter suffix state that is wanted
    std::uint32_t depth;
    unsigned char byte;
  };
  static std::uint64_t Key(std::int32_t state, unsigned char c) { return std::uint64_t(state) << 8 | c; }
  std::int32_t Child(std::int32_t state, unsigned char c) const {
    auto it = edges_.find(Key(state, c));
    return it == edges_.end() ? -1 : it->second;
  }
  std::int32_t Output(std::int32_t state) const { return states_[static_cast<std::size_t>(state)].output; }

  // The failure links, shallow states first (each depends on its parent's).
  void Link() {
    std::vector<std::int32_t> order(states_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int32_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
      return states_[static_cast<std::size_t>(a)].depth < states_[static_cast<std::size_t>(b)].depth;
    });
    for (std::int32_t s : order) {
      State& state = states_[static_cast<std::size_t>(s)];
      if (state.depth <= 1) {
        state.fail = 0;
      } else {
        std::int32_t f = states_[static_cast<std::size_t>(state.parent)].fail, next = Child(f, state.byte);
        while (next < 0 && f != 0) {
          f = states_[static_cast<std::size_t>(f)].fail;
          next = Child(f, state.byte);
        }
        state.fail = next < 0 ? 0 : next;
      }
      const State& fail = states_[static_cast<std::size_t>(state.fail)];
      state.output = s == 0 ? -1 : fail.wanted >= 0 ? state.fail : fail.output;
    }
  }

  std::vector<State> states_{{-1, 0, -1, -1, 0, 0}};
  std::unordered_map<std::uint64_t, std::int32_t, EdgeHash> edges_;
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
  Automaton automaton;
  std::vector<std::size_t> shortOnes;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (wanted[i].empty()) {
      out[i] = 0;
    } else if (wanted[i].size() <= kLongWanted) {
      automaton.Add(wanted[i]);
      shortOnes.push_back(i);
    }
  }
  if (!shortOnes.empty()) {
    const std::vector<std::size_t> at = automaton.FirstOccurrences(joined.all);
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
