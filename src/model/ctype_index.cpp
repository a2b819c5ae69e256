#include "model/ctype_index.h"

namespace pipedex::model {
namespace {
const std::string_view* EmptyText() {
  static const std::string_view empty;
  return &empty;
}
const CTypeLookup& EmptyLookup() {
  static const CTypeLookup empty;
  return empty;
}
}  // namespace

const std::string_view* NamePool::Intern(std::string_view name) {
  if (name.empty()) return EmptyText();
  // The name asked for last comes first, so that a name asked for in turn
  // with others (an IDF record's DEFAULT marker) stays known.
  const std::string_view* known = nullptr;
  if (recent_[0] && *recent_[0] == name) return recent_[0];
  if (recent_[1] && *recent_[1] == name) {
    known = recent_[1];
  } else {
    names_.push_back(texts_.Add(name));
    known = &names_.back();
  }
  recent_[1] = recent_[0];
  recent_[0] = known;
  return known;
}

CTypeLookup& CTypeLookup::operator=(const CTypeLookup& other) {
  KEY = other.KEY;
  first_ = other.first_;
  more_ = other.more_ ? std::make_unique<std::vector<Pair>>(*other.more_) : nullptr;
  count_ = other.count_;
  return *this;
}

void CTypeLookup::AddCptType(const std::string_view* newCptType, const std::string_view* newPCFTYPE) {
  if (count_ == 0) {
    first_ = {newCptType, newPCFTYPE};
  } else {
    if (!more_) more_ = std::make_unique<std::vector<Pair>>();
    more_->emplace_back(newCptType, newPCFTYPE);
  }
  ++count_;
}

const CTypeLookup::Pair* CTypeLookup::PairAt(std::int64_t index) const {
  if (index < 1 || index > nCpts()) return nullptr;
  return index == 1 ? &first_ : &(*more_)[static_cast<std::size_t>(index - 2)];
}

std::string_view CTypeLookup::GetCptType(std::int64_t index) const {
  const Pair* pair = PairAt(index);
  return pair ? *pair->first : std::string_view();
}

std::string_view CTypeLookup::GetPCFTYPE(std::int64_t index) const {
  const Pair* pair = PairAt(index);
  return pair ? *pair->second : std::string_view();
}

void CTypeIndex::Add(std::string_view CptType, std::string_view PCFTYPE, std::string_view KEY) {
  CTypeLookup& entry = items_.FindOrAppend(KEY, [](std::string_view key) {
    CTypeLookup lookup;
    lookup.KEY = key;
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
