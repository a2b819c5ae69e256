#pragma once

// CTypeIndex: pairs of (component type, PCF type) filed under a key such as
// an SKEY, a PCF type or an IDF record number. A key that differs from an
// earlier one only in letter case joins the entry created first.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/keyed_collection.h"
#include "model/name_pool.h"

namespace pipedex::model {

// An entry as the index keeps it: the first pair in the entry itself (most
// keys have only one), further pairs in a run of the index's store of pairs.
struct CTypeEntry {
  std::uint32_t CptType = 0, PCFTYPE = 0;  // name numbers in the index's pool
  std::int32_t Count = 0;
  std::uint32_t More = 0;  // where the run of further pairs starts in the store (counted from one), or none
};

class CTypeIndex;

// An entry as the index hands it out. It reads the index, so it is valid as
// long as the index; its count is fixed when it is handed out, so pairs filed
// after that (even under the same key) do not show in it.
class CTypeLookup {
 public:
  std::string_view KEY;  // the key as first filed, kept by the index

  std::int32_t nCpts() const { return count_; }
  // Pair number index (from 1); "" outside 1 to nCpts.
  std::string_view GetCptType(std::int64_t index) const;
  std::string_view GetPCFTYPE(std::int64_t index) const;

 private:
  friend class CTypeIndex;
  // The two name numbers of a pair; 0 ("") for both outside 1 to nCpts.
  std::pair<std::uint32_t, std::uint32_t> PairAt(std::int64_t index) const;

  const CTypeIndex* index_ = nullptr;
  const CTypeEntry* entry_ = nullptr;
  std::int32_t count_ = 0;
};

// Kept for the initialisation memory goal: a std::vector of the name-number pairs in each entry adds 0.90 MB of heap
// at 10 MB (0.90 MB at the peak too, 0.09 x the file; measured).
class CTypeIndex : public KeyedCollection<CTypeEntry> {
 public:
  // An index with a pool of its own, or one it shares with other indexes.
  CTypeIndex() = default;
  explicit CTypeIndex(std::shared_ptr<NamePool> names) : names_(std::move(names)) {}

  // Appends one pair under a key; duplicates stay.
  void Add(std::string_view CptType, std::string_view PCFTYPE, std::string_view KEY);
  // The entry under a key, or an empty entry (nCpts 0).
  CTypeLookup Item(std::string_view key) const;
  CTypeLookup Item(std::int64_t position) const;

  // Enumeration in filing order.
  template <typename F>
  void ForEach(F&& f) const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(Count()); ++i) f(At(i));
  }

 private:
  friend class CTypeLookup;
  using Pair = std::pair<std::uint32_t, std::uint32_t>;
  CTypeLookup At(std::size_t index) const;

  // Appends a further pair to an entry, moving its run to a run twice as
  // long when it is full.
  void AddFurther(CTypeEntry& entry, Pair pair);

  std::shared_ptr<NamePool> names_ = std::make_shared<NamePool>();
  // The pairs after an entry's first, in one store: each entry's in a run
  // whose length is a power of two, full when the count of further pairs is
  // one. A run left for a longer one is kept for the next entry that needs a
  // run of its length: freeRuns_[k] starts a chain of free runs of length
  // two to the k (counted from one, 0 for none), each holding the next in its first pair.
  std::deque<Pair> more_;
  std::vector<std::uint32_t> freeRuns_;
};

}  // namespace pipedex::model
