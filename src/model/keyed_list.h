#pragma once

// An ordered list of entries, each optionally filed under a string key. Keys
// are compared without regard to letter case (Unicode upper-casing); blanks
// are significant. Positions count from 1 in insertion order.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/errors.h"
#include "core/text.h"

namespace pipedex::model {

template <typename Entry>
class KeyedList {
 public:
  // The entry filed under key, or null.
  Entry* Find(std::string_view key) {
    auto it = index_.find(text::Upper(key));
    return it == index_.end() ? nullptr : &entries_[it->second].entry;
  }
  const Entry* Find(std::string_view key) const { return const_cast<KeyedList*>(this)->Find(key); }

  // The entry at position (from 1), or null.
  Entry* At(std::int64_t position) {
    if (position < 1 || position > static_cast<std::int64_t>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(position - 1)].entry;
  }
  const Entry* At(std::int64_t position) const { return const_cast<KeyedList*>(this)->At(position); }

  // Appends an entry under key; false (and nothing stored) when the key is taken.
  bool Append(Entry entry, std::string_view key) {
    std::string k = text::Upper(key);
    if (index_.count(k)) return false;
    index_.emplace(k, entries_.size());
    entries_.push_back({std::move(entry), std::move(k), true});
    return true;
  }
  // The entry filed under key; when there is none, make() is appended under
  // key first. The key is upper-cased and hashed once.
  template <typename Make>
  Entry& FindOrAppend(std::string_view key, Make&& make) {
    std::string k = text::Upper(key);
    auto [it, inserted] = index_.try_emplace(k, entries_.size());
    if (!inserted) return entries_[it->second].entry;
    try {
      entries_.push_back({make(), std::move(k), true});
    } catch (...) {
      index_.erase(it);
      throw;
    }
    return entries_.back().entry;
  }
  // Appends an entry without a key.
  void AppendUnkeyed(Entry entry) { entries_.push_back({std::move(entry), std::string(), false}); }

  // Removes the entry under key; false when there is none.
  bool Remove(std::string_view key) {
    auto it = index_.find(text::Upper(key));
    if (it == index_.end()) return false;
    return RemoveAt(static_cast<std::int64_t>(it->second) + 1);
  }
  // Removes the entry at position (from 1); false when there is none.
  bool RemoveAt(std::int64_t position) {
    if (position < 1 || position > static_cast<std::int64_t>(entries_.size())) return false;
    auto pos = static_cast<std::size_t>(position - 1);
    if (entries_[pos].hasKey) index_.erase(entries_[pos].key);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
    for (auto& [key, i] : index_)
      if (i > pos) --i;
    return true;
  }

  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }

  // Enumeration in insertion order.
  template <typename F>
  void ForEach(F&& f) const {
    for (const auto& s : entries_) f(s.entry);
  }

 private:
  struct Slot {
    Entry entry;
    std::string key;  // upper-cased
    bool hasKey;
  };
  std::vector<Slot> entries_;
  std::unordered_map<std::string, std::size_t> index_;
};

// The error a keyed list reports for a key or position it does not hold.
[[noreturn]] inline void RaiseInvalidCollectionItem() {
  throw Error(5, kSource, "Invalid procedure call or argument");
}

}  // namespace pipedex::model
