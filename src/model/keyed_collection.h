#pragma once

// What the index classes share: their entries in a KeyedList, the count, the
// walk in filing order, and removal by key or position (an unknown one raises
// "invalid collection item").

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "base/errors.h"
#include "model/keyed_list.h"

namespace pipedex::model {

template <typename Entry>
class KeyedCollection {
 public:
  std::int32_t Count() const { return items_.Count(); }
  // Makes room for this many entries in all.
  void Reserve(std::size_t count) { items_.Reserve(count); }
  // Makes the table as small as the keys filed allow (for a collection filed in full).
  void Compact() { items_.Compact(); }
  // Keeps the keys in a name table shared with other lists (before any is filed).
  void KeepKeysIn(std::shared_ptr<NamePool> names) { items_.KeepKeysIn(std::move(names)); }
  void Remove(std::string_view key) {
    if (!items_.Remove(key)) errors::RaiseInvalidCall();
  }
  void Remove(std::int64_t position) {
    if (!items_.RemoveAt(position)) errors::RaiseInvalidCall();
  }
  template <typename F>
  void ForEach(F&& f) const {
    items_.ForEach(std::forward<F>(f));
  }

 protected:
  KeyedList<Entry> items_;
};

}  // namespace pipedex::model
