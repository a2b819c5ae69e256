#pragma once

// CTypeIndex: pairs of (component type, PCF type) filed under a key such as
// an SKEY, a PCF type or an IDF record number. A key that differs from an
// earlier one only in letter case joins the entry created first.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/keyed_collection.h"

namespace pipedex::model {

class CTypeLookup {
 public:
  std::string KEY;

  std::int32_t nCpts() const { return static_cast<std::int32_t>(entries_.size()); }
  // Appends one pair; duplicates stay.
  void AddCptType(const std::string& newCptType, const std::string& newPCFTYPE);
  // Pair number index (from 1); "" outside 1 to nCpts.
  const std::string& GetCptType(std::int64_t index) const;
  const std::string& GetPCFTYPE(std::int64_t index) const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

class CTypeIndex : public KeyedCollection<CTypeLookup> {
 public:
  void Add(const std::string& CptType, const std::string& PCFTYPE, std::string_view KEY);
  // The entry under a key, or an empty entry (nCpts 0) that is not stored.
  const CTypeLookup& Item(std::string_view key) const;
  const CTypeLookup& Item(std::int64_t position) const;
};

}  // namespace pipedex::model
