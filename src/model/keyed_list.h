#pragma once

// An ordered list of entries, each optionally filed under a string key. Keys
// are compared without regard to letter case (Unicode upper-casing); blanks
// are significant. Each key is kept once, as it was first filed. Positions
// count from 1 in insertion order.

#include <bit>
#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/seeded_hash.h"
#include "base/text.h"
#include "model/name_pool.h"
#include "model/text_store.h"

namespace pipedex::model {

// Key hashing and comparison without regard to letter case. ASCII keys (the
// usual case) are folded byte by byte without building the upper-cased text;
// other keys are upper-cased with the Unicode mapping first.
namespace keys {

// The keyed hash of the upper-cased key, the same value whichever way it is
// computed. Its key is drawn per process, so names crafted to share a bucket
// cannot be prepared in advance.
inline std::uint64_t HashUpper(std::string_view upper) { return hashing::Hash(upper); }

inline bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

using text::AsciiUpper;

// A key as looked up: its hash, and the upper-cased text when it is not ASCII.
struct Probe {
  explicit Probe(std::string_view key) : raw(key), ascii(IsAscii(key)) {
    if (!ascii) upper = text::Upper(key);
    if (ascii) {
      hashing::Hasher h;
      for (char c : key) h.Add(static_cast<unsigned char>(AsciiUpper(c)));
      hash = h.Finish();
    } else {
      hash = HashUpper(upper);
    }
  }
  // Whether a stored key (as it was filed) is this key; storedAscii tells
  // whether the stored key is ASCII, which compares without upper-casing.
  bool Matches(std::string_view stored, bool storedAscii) const {
    if (ascii && storedAscii) {
      if (stored.size() != raw.size()) return false;
      for (std::size_t i = 0; i < raw.size(); ++i)
        if (AsciiUpper(raw[i]) != AsciiUpper(stored[i])) return false;
      return true;
    }
    return text::Upper(stored) == Upper();
  }
  std::string Upper() const {
    if (!ascii) return upper;
    std::string out(raw);
    for (char& c : out) c = AsciiUpper(c);
    return out;
  }

  std::string_view raw;
  bool ascii;
  std::string upper;
  std::uint64_t hash = 0;
};

}  // namespace keys

// Kept for the initialisation memory goal: a std::unordered_map<std::string, std::size_t> of the upper-cased keys in
// place of the table adds 4.31 MB of heap at 10 MB (4.38 MB at the peak, 0.43 x the file; measured). An entry
// costs its key's text with a byte of length, 4 bytes beside the entry itself and 5.3 to 10.7 bytes of table.
template <typename Entry>
class KeyedList {
 public:
  // The entry filed under key, or null.
  Entry* Find(std::string_view key) {
    const std::size_t i = Lookup(keys::Probe(key));
    return i == kNone ? nullptr : &entries_[i];
  }
  const Entry* Find(std::string_view key) const { return const_cast<KeyedList*>(this)->Find(key); }

  // The entry at position (from 1), or null.
  Entry* At(std::int64_t position) {
    if (position < 1 || position > static_cast<std::int64_t>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(position - 1)];
  }
  const Entry* At(std::int64_t position) const { return const_cast<KeyedList*>(this)->At(position); }

  // Appends an entry under key; false (and nothing stored) when the key is taken.
  bool Append(Entry entry, std::string_view key) {
    keys::Probe probe(key);
    if (Lookup(probe) != kNone) return false;
    Insert(probe, [&](std::string_view) { return std::move(entry); });
    return true;
  }
  // The entry filed under key; when there is none, make(stored key) is
  // appended under key first, given the key as the list keeps it. The key is
  // folded and hashed once.
  template <typename Make>
  Entry& FindOrAppend(std::string_view key, Make&& make) {
    keys::Probe probe(key);
    const std::size_t i = Lookup(probe);
    if (i != kNone) return entries_[i];
    return Insert(probe, make);
  }
  // Appends an entry without a key.
  void AppendUnkeyed(Entry entry) {
    entries_.push_back(std::move(entry));
    meta_.push_back(kNoKey);
  }
  // Keeps the keys in a name table shared with other lists and indexes that
  // hold the same names, each name once for all of them, instead of in the
  // list's own texts. Only for a list that holds no key yet.
  void KeepKeysIn(std::shared_ptr<NamePool> names) {
    if (meta_.empty()) keyNames_ = std::move(names);
  }
  // A copy of text kept as long as the list, for the entries' own texts.
  std::string_view Keep(std::string_view text) { return texts_.Add(text); }

  // Makes room for this many entries in all, so that filing them does not
  // grow the table again and again.
  void Reserve(std::size_t count) {
    const std::size_t size = (count * 4 + 2) / 3;
    if (size > table_.size()) Rehash(size);
  }
  // Makes the table as small as its keys allow, for a list that is filed in
  // full (the table may have grown to twice its room), unless that would
  // save less than a fifth of it: the new table hashes every key again.
  void Compact() {
    const std::size_t size = (keyed_ * 4 + 2) / 3;
    if (!table_.empty() && size + size / 4 < table_.size()) Rehash(size);
  }

  // Removes the entry under key; false when there is none.
  bool Remove(std::string_view key) {
    const std::size_t i = Lookup(keys::Probe(key));
    if (i == kNone) return false;
    return RemoveAt(static_cast<std::int64_t>(i) + 1);
  }
  // Removes the entry at position (from 1); false when there is none. The
  // text of its key stays in the list until the list is rebuilt.
  bool RemoveAt(std::int64_t position) {
    if (position < 1 || position > static_cast<std::int64_t>(entries_.size())) return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1));
    meta_.erase(meta_.begin() + static_cast<std::ptrdiff_t>(position - 1));
    Rehash(table_.size());  // positions after the removed entry have moved
    return true;
  }

  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }

  // Access by index (from 0), for entries that read their key from the list
  // instead of holding it: the index of the entry under key (kNone when there
  // is none), the entry at an index below Count(), and its key ("" without one).
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t IndexOf(std::string_view key) const { return Lookup(keys::Probe(key)); }
  const Entry& EntryAt(std::size_t index) const { return entries_[index]; }
  std::string_view KeyAt(std::size_t index) const {
    const Meta m = meta_[index];
    return m == kNoKey ? std::string_view() : KeyOf(m).text;
  }

  // Enumeration in insertion order.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Entry& e : entries_) f(e);
  }

 private:
  // An entry's key as it was filed: the place of its text, which carries its
  // length and whether it is ASCII, in the list's texts or its name table
  // (kNoKey without a key). Its hash is not kept: the table holds enough of
  // it to pass over other keys, and a rehash computes it again from the key.
  static constexpr std::uint32_t kNoKey = static_cast<std::uint32_t>(-1);
  using Meta = std::uint32_t;
  TextStore::Counted KeyOf(Meta m) const { return keyNames_ ? keyNames_->Text(m) : texts_.AtCounted(m); }

  // A key's first cell (the table need not be a power of two long), and the cell after c.
  std::size_t Home(std::uint64_t hash) const {
    return static_cast<std::size_t>((hash & 0xffffffffu) * table_.size() >> 32);
  }
  std::size_t Next(std::size_t c) const { return c + 1 == table_.size() ? 0 : c + 1; }

  // Open addressing with linear probing: each cell holds the position + 1 of
  // a keyed entry in its low indexBits_ bits and the top bits of the key's
  // hash above them (0 when empty); the table is at most three quarters full.
  // The hash bits in the cell pass over almost every other key without
  // reading its entry.
  std::uint32_t IndexMask() const {
    return indexBits_ >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << indexBits_) - 1;
  }
  std::uint32_t HashBits(std::uint64_t hash) const { return static_cast<std::uint32_t>(hash >> 32) & ~IndexMask(); }
  std::size_t Lookup(const keys::Probe& probe) const {
    if (table_.empty()) return kNone;
    const std::uint32_t index = IndexMask(), bits = HashBits(probe.hash);
    for (std::size_t c = Home(probe.hash); table_[c] != 0; c = Next(c)) {
      if ((table_[c] & ~index) != bits) continue;
      const std::size_t i = (table_[c] & index) - 1;
      const TextStore::Counted key = KeyOf(meta_[i]);
      if (probe.Matches(key.text, key.ascii)) return i;
    }
    return kNone;
  }

  template <typename Make>
  Entry& Insert(const keys::Probe& probe, Make&& make) {
    if (probe.raw.size() >= 0x7fffffffu) throw std::length_error("a key of a list exceeds 2 GiB");
    if (entries_.size() >= 0xfffffffeu) throw std::length_error("a list holds too many keys");
    const std::uint32_t place = keyNames_ ? keyNames_->KeyPlace(probe.raw) : texts_.PutCounted(probe.raw);
    entries_.push_back(make(KeyOf(place).text));
    meta_.push_back(place);
    if ((keyed_ + 1) * 4 > table_.size() * 3 || entries_.size() > IndexMask()) {
      // Full, or the new position needs more bits than a cell gives it.
      Rehash(table_.empty() ? 16 : (keyed_ + 1) * 4 > table_.size() * 3 ? table_.size() * 2 : table_.size());
    } else {
      Place(entries_.size() - 1, probe.hash);
      ++keyed_;
    }
    return entries_.back();
  }

  void Place(std::size_t position, std::uint64_t hash) {
    std::size_t c = Home(hash);
    while (table_[c] != 0) c = Next(c);
    table_[c] = HashBits(hash) | static_cast<std::uint32_t>(position + 1);
  }

  void Rehash(std::size_t size) {
    keyed_ = 0;
    for (const Meta m : meta_) keyed_ += m != kNoKey ? 1 : 0;
    if (size < 16) size = 16;
    while (keyed_ * 4 > size * 3) size *= 2;
    if (size > (std::size_t{1} << 32)) throw std::length_error("a list holds too many keys");
    // Room in the cells for twice the positions there are now, so that a
    // growing list seldom has to make the table again for that alone.
    indexBits_ = static_cast<unsigned>(std::bit_width(2 * meta_.size() + 1));
    if (indexBits_ < 16) indexBits_ = 16;
    table_ = std::vector<std::uint32_t>(size, 0);  // a smaller table gives its room back
    for (std::size_t i = 0; i < meta_.size(); ++i)
      if (meta_[i] != kNoKey) Place(i, keys::Probe(KeyOf(meta_[i]).text).hash);
  }

  // Entries in blocks that never move: a growing list neither copies its
  // entries nor holds twice their room while it grows.
  std::deque<Entry> entries_;
  std::deque<Meta> meta_;
  TextStore texts_;  // the keys (unless kept in keyNames_) and the entries' texts
  std::shared_ptr<NamePool> keyNames_;
  std::vector<std::uint32_t> table_;
  unsigned indexBits_ = 16;  // the bits of a cell that hold a position
  std::size_t keyed_ = 0;
};

}  // namespace pipedex::model
