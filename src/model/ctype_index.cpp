#include "model/ctype_index.h"

#include <bit>
#include <stdexcept>

namespace pipedex::model {

std::pair<std::uint32_t, std::uint32_t> CTypeLookup::PairAt(std::int64_t index) const {
  if (index < 1 || index > count_) return {0, 0};
  if (index == 1) return {entry_->CptType, entry_->PCFTYPE};
  return index_->more_[entry_->More - 1 + static_cast<std::size_t>(index - 2)];
}

std::string_view CTypeLookup::GetCptType(std::int64_t index) const {
  return count_ ? index_->names_->Name(PairAt(index).first) : std::string_view();
}

std::string_view CTypeLookup::GetPCFTYPE(std::int64_t index) const {
  return count_ ? index_->names_->Name(PairAt(index).second) : std::string_view();
}

void CTypeIndex::Add(std::string_view CptType, std::string_view PCFTYPE, std::string_view KEY) {
  const std::uint32_t cptType = names_->Intern(CptType), pcfType = names_->Intern(PCFTYPE);
  CTypeEntry& entry = items_.FindOrAppend(KEY, [](std::string_view) { return CTypeEntry{}; });
  if (entry.Count == 0) {
    entry.CptType = cptType;
    entry.PCFTYPE = pcfType;
  } else {
    AddFurther(entry, {cptType, pcfType});
  }
  ++entry.Count;
}

void CTypeIndex::AddFurther(CTypeEntry& entry, Pair pair) {
  const auto further = static_cast<std::uint32_t>(entry.Count - 1);  // pairs in the run so far
  if ((further & (further - 1)) == 0) {  // no run yet (0), or a full one (a power of two)
    const std::size_t length = further == 0 ? 1 : std::size_t{2} * further;
    const auto level = static_cast<std::size_t>(std::countr_zero(length));
    if (freeRuns_.size() <= level) freeRuns_.resize(level + 1, 0);
    std::uint32_t start = freeRuns_[level];
    if (start != 0) {
      freeRuns_[level] = more_[start - 1].first;
    } else {
      if (more_.size() + length > 0xffffffffu) throw std::length_error("an index holds too many pairs");
      start = static_cast<std::uint32_t>(more_.size() + 1);
      more_.resize(more_.size() + length);
    }
    if (further != 0) {
      const std::uint32_t old = entry.More;
      for (std::uint32_t i = 0; i < further; ++i) more_[start - 1 + i] = more_[old - 1 + i];
      const auto oldLevel = static_cast<std::size_t>(std::countr_zero(further));
      more_[old - 1].first = freeRuns_[oldLevel];
      freeRuns_[oldLevel] = old;
    }
    entry.More = start;
  }
  more_[entry.More - 1 + further] = pair;
}

CTypeLookup CTypeIndex::At(std::size_t index) const {
  CTypeLookup lookup;
  lookup.KEY = items_.KeyAt(index);
  lookup.index_ = this;
  lookup.entry_ = &items_.EntryAt(index);
  lookup.count_ = lookup.entry_->Count;
  return lookup;
}

CTypeLookup CTypeIndex::Item(std::string_view key) const {
  const std::size_t index = items_.IndexOf(key);
  return index == KeyedList<CTypeEntry>::kNone ? CTypeLookup() : At(index);
}

CTypeLookup CTypeIndex::Item(std::int64_t position) const {
  if (position < 1 || position > Count()) return {};
  return At(static_cast<std::size_t>(position - 1));
}

}  // namespace pipedex::model
