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

const std::string* NamePool::Intern(const std::string& name) {
  if (name.empty()) return &EmptyText();
  for (const std::string* known : recent_)
    if (known && *known == name) return known;
  names_.push_back(name);
  recent_[1] = recent_[0];
  recent_[0] = &names_.back();
  return recent_[0];
}

void CTypeLookup::AddCptType(const std::string* newCptType, const std::string* newPCFTYPE) {
  if (count_ == 0) {
    first_ = {newCptType, newPCFTYPE};
  } else {
    more_.emplace_back(newCptType, newPCFTYPE);
  }
  ++count_;
}

const CTypeLookup::Pair* CTypeLookup::PairAt(std::int64_t index) const {
  if (index < 1 || index > nCpts()) return nullptr;
  return index == 1 ? &first_ : &more_[static_cast<std::size_t>(index - 2)];
}

const std::string& CTypeLookup::GetCptType(std::int64_t index) const {
  const Pair* pair = PairAt(index);
  return pair ? *pair->first : EmptyText();
}

const std::string& CTypeLookup::GetPCFTYPE(std::int64_t index) const {
  const Pair* pair = PairAt(index);
  return pair ? *pair->second : EmptyText();
}

void CTypeIndex::Add(const std::string& CptType, const std::string& PCFTYPE, std::string_view KEY) {
  CTypeLookup& entry = items_.FindOrAppend(KEY, [&] {
    CTypeLookup lookup;
    lookup.KEY = std::string(KEY);
    return lookup;
  });
  entry.AddCptType(names_->Intern(CptType), names_->Intern(PCFTYPE));
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
