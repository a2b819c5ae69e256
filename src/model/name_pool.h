#pragma once

// NamePool: names kept once each, for the component type indexes and the
// lists that share their names.

#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "model/text_store.h"

namespace pipedex::model {

// The names index entries refer to, each kept once and known by a number
// from 1 (0 is ""), and by the place of its text. Names never move or change
// while the pool lives.
// Kept for the initialisation memory goal: std::string names filed through a std::unordered_map (dropped after the
// build too) add 0.63 MB of heap at 10 MB and 1.60 MB at the peak (0.16 x the file; measured).
class NamePool {
 public:
  std::uint32_t Intern(std::string_view name);
  // Drops the table that finds the number of a name, which only filing
  // needs: a list build has filed every name when it is done. The next name
  // filed makes the table again.
  void Settle() { table_ = std::vector<std::uint32_t>(); }
  std::string_view Name(std::uint32_t number) const {
    if (number == 0) return {};
    return texts_.AtCounted(names_[number - 1]).text;
  }
  // The place of a name's text, the name filed first when it is new ("" too,
  // which has a place but no number); and the name at a place with whether
  // it is ASCII.
  std::uint32_t KeyPlace(std::string_view name);
  TextStore::Counted Text(std::uint32_t place) const { return texts_.AtCounted(place); }

 private:
  // Makes the table again, with room for count names.
  void Remake(std::size_t count);
  void Place(std::uint32_t number, std::uint32_t hash);

  TextStore texts_;  // the names, each with its length
  std::deque<std::uint32_t> names_;  // the place of each name's text
  std::vector<std::uint32_t> table_;  // open addressing: a name's number, 0 when empty; at most half full
  std::uint32_t recent_ = 0;          // the name asked for last: the SKEYs of one component type repeat it
  static constexpr std::uint32_t kNoPlace = ~std::uint32_t{0};
  std::uint32_t emptyPlace_ = kNoPlace;  // where "" is kept, once a list has filed it
};

}  // namespace pipedex::model
