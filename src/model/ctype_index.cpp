#include "model/ctype_index.h"

namespace pipedex::model {
namespace {
const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}
const CTypeLookup& EmptyLookup() {
  static const CTypeLookup empty;
  return empty;
}
}  // namespace

void CTypeLookup::AddCptType(const std::string& newCptType, const std::string& newPCFTYPE) {
  entries_.emplace_back(newCptType, newPCFTYPE);
}

const std::string& CTypeLookup::GetCptType(std::int64_t index) const {
  if (index < 1 || index > nCpts()) return EmptyText();
  return entries_[static_cast<std::size_t>(index - 1)].first;
}

const std::string& CTypeLookup::GetPCFTYPE(std::int64_t index) const {
  if (index < 1 || index > nCpts()) return EmptyText();
  return entries_[static_cast<std::size_t>(index - 1)].second;
}

void CTypeIndex::Add(const std::string& CptType, const std::string& PCFTYPE, std::string_view KEY) {
  CTypeLookup& entry = items_.FindOrAppend(KEY, [&] {
    CTypeLookup lookup;
    lookup.KEY = std::string(KEY);
    return lookup;
  });
  entry.AddCptType(CptType, PCFTYPE);
}

const CTypeLookup& CTypeIndex::Item(std::string_view key) const {
  const CTypeLookup* e = items_.Find(key);
  return e ? *e : EmptyLookup();
}

const CTypeLookup& CTypeIndex::Item(std::int64_t position) const {
  const CTypeLookup* e = items_.At(position);
  return e ? *e : EmptyLookup();
}

}  // namespace pipedex::model
