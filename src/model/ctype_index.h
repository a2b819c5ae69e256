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

namespace pipedex::model {

// The names index entries refer to, each kept once where consecutive pairs
// repeat it (the SKEYs of one component type share its names), "" never.
// Their addresses never change while the pool lives.
class NamePool {
 public:
  const std::string* Intern(const std::string& name);

 private:
  std::deque<std::string> names_;
  const std::string* recent_[2] = {nullptr, nullptr};
};

class CTypeLookup {
 public:
  std::string KEY;

  std::int32_t nCpts() const { return count_; }
  // Appends one pair of names kept by the index's pool; duplicates stay.
  void AddCptType(const std::string* newCptType, const std::string* newPCFTYPE);
  // Pair number index (from 1); "" outside 1 to nCpts.
  const std::string& GetCptType(std::int64_t index) const;
  const std::string& GetPCFTYPE(std::int64_t index) const;

 private:
  using Pair = std::pair<const std::string*, const std::string*>;
  const Pair* PairAt(std::int64_t index) const;
  // The first pair lies in the entry itself: most keys have only one.
  Pair first_{nullptr, nullptr};
  std::vector<Pair> more_;
  std::int32_t count_ = 0;
};

class CTypeIndex : public KeyedCollection<CTypeLookup> {
 public:
  // An index with a pool of its own, or one it shares with other indexes.
  CTypeIndex() = default;
  explicit CTypeIndex(std::shared_ptr<NamePool> names) : names_(std::move(names)) {}

  void Add(const std::string& CptType, const std::string& PCFTYPE, std::string_view KEY);
  // The entry under a key, or an empty entry (nCpts 0) that is not stored.
  // Its names live as long as the index (copies of the entry included).
  const CTypeLookup& Item(std::string_view key) const;
  const CTypeLookup& Item(std::int64_t position) const;

 private:
  std::shared_ptr<NamePool> names_ = std::make_shared<NamePool>();
};

}  // namespace pipedex::model
