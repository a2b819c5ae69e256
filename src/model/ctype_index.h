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
#include "model/text_store.h"

namespace pipedex::model {

// The names index entries refer to, each kept once where it repeats one of
// the two names asked for last (the SKEYs of one component type share its
// names), "" never.
// Their addresses never change while the pool lives.
class NamePool {
 public:
  const std::string_view* Intern(std::string_view name);

 private:
  TextStore texts_;
  std::deque<std::string_view> names_;
  const std::string_view* recent_[2] = {nullptr, nullptr};
};

class CTypeLookup {
 public:
  CTypeLookup() = default;
  CTypeLookup(const CTypeLookup& other) { *this = other; }
  CTypeLookup& operator=(const CTypeLookup& other);
  CTypeLookup(CTypeLookup&&) noexcept = default;
  CTypeLookup& operator=(CTypeLookup&&) noexcept = default;

  std::string_view KEY;  // the key as first filed, kept by the index

  std::int32_t nCpts() const { return count_; }
  // Appends one pair of names kept by the index's pool; duplicates stay.
  void AddCptType(const std::string_view* newCptType, const std::string_view* newPCFTYPE);
  // Pair number index (from 1); "" outside 1 to nCpts.
  std::string_view GetCptType(std::int64_t index) const;
  std::string_view GetPCFTYPE(std::int64_t index) const;

 private:
  using Pair = std::pair<const std::string_view*, const std::string_view*>;
  const Pair* PairAt(std::int64_t index) const;
  // The first pair lies in the entry itself: most keys have only one.
  Pair first_{nullptr, nullptr};
  std::unique_ptr<std::vector<Pair>> more_;
  std::int32_t count_ = 0;
};

class CTypeIndex : public KeyedCollection<CTypeLookup> {
 public:
  // An index with a pool of its own, or one it shares with other indexes.
  CTypeIndex() = default;
  explicit CTypeIndex(std::shared_ptr<NamePool> names) : names_(std::move(names)) {}

  void Add(std::string_view CptType, std::string_view PCFTYPE, std::string_view KEY);
  // The entry under a key, or an empty entry (nCpts 0) that is not stored.
  // Its names live as long as the index (copies of the entry included).
  const CTypeLookup& Item(std::string_view key) const;
  const CTypeLookup& Item(std::int64_t position) const;

 private:
  std::shared_ptr<NamePool> names_ = std::make_shared<NamePool>();
};

}  // namespace pipedex::model
