#include "base/flat_table.h"

#include <bit>
#include <cstring>

#include "base/seeded_hash.h"

namespace pipedex::flat {
namespace {

// The hash a key is filed under: the same key in every process, since the
// file outlives the process that wrote it.
std::uint64_t KeyHash(std::string_view key) { return hashing::FastHash(key, 0x5441424c45533031ull); }

void Put(std::string& out, std::uint32_t n) { out.append(reinterpret_cast<const char*>(&n), sizeof n); }

}  // namespace

// The layout: the number of entries, then where each entry starts and where
// the last one ends (from the start of the entries), then the entries (a
// 32-bit key length, the key, the value) in the order filed, then at the next
// multiple of 4 the number of buckets (a power of two, at least twice the
// entries) and the buckets: each 0, or 1 + the number of an entry filed
// there or, when taken, in the next free bucket after it.
std::string CompileTable(const std::vector<std::pair<std::string, std::string>>& entries) {
  return CompileTable(std::vector<std::pair<std::string_view, std::string_view>>(entries.begin(), entries.end()));
}

std::string CompileTable(const std::vector<std::pair<std::string_view, std::string_view>>& entries) {
  if (entries.size() > 0x3fffffffu) throw std::length_error("a compiled table exceeds its entry count");
  // Each key is filed in the buckets once, by its first entry; a later entry
  // of the same key is left out.
  const std::uint32_t bucketCount = std::bit_ceil(static_cast<std::uint32_t>(2 * entries.size()) | 1u);
  const std::uint32_t mask = bucketCount - 1;
  // Every key's hash first, so that its bucket is fetched some keys ahead, and
  // an entry's key is read only when its hash is the one sought.
  std::vector<std::uint64_t> hashes(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) hashes[i] = KeyHash(entries[i].first);
  constexpr std::size_t kAhead = 16;
  std::vector<std::uint32_t> buckets(bucketCount, 0), kept;
  kept.reserve(entries.size());
  std::size_t dataSize = 0;
  for (std::uint32_t i = 0; i < entries.size(); ++i) {
    if (i + kAhead < entries.size()) __builtin_prefetch(&buckets[hashes[i + kAhead] & mask]);
    const std::string_view key = entries[i].first;
    std::uint32_t b = static_cast<std::uint32_t>(hashes[i]) & mask;
    for (; buckets[b] != 0; b = (b + 1) & mask) {
      const std::uint32_t other = kept[buckets[b] - 1];
      if (hashes[other] == hashes[i] && entries[other].first == key) break;
    }
    if (buckets[b] != 0) continue;
    kept.push_back(i);
    buckets[b] = static_cast<std::uint32_t>(kept.size());
    dataSize += 4 + key.size() + entries[i].second.size();
    if (dataSize > 0xffffffffu) throw std::length_error("a compiled table exceeds 4 GiB");
  }
  std::string out;
  out.reserve(12 + 4 * kept.size() + dataSize + 4 * bucketCount);
  Put(out, static_cast<std::uint32_t>(kept.size()));
  std::uint32_t at = 0;
  for (const std::uint32_t i : kept) {
    Put(out, at);
    at += static_cast<std::uint32_t>(4 + entries[i].first.size() + entries[i].second.size());
  }
  Put(out, at);
  for (const std::uint32_t i : kept) {
    Put(out, static_cast<std::uint32_t>(entries[i].first.size()));
    out += entries[i].first;
    out += entries[i].second;
  }
  out.append((4 - out.size() % 4) % 4, '\0');
  Put(out, bucketCount);
  out.append(reinterpret_cast<const char*>(buckets.data()), buckets.size() * sizeof(std::uint32_t));
  return out;
}

Table::Table(std::string_view bytes, const Blocks* blocks) : bytes_(bytes), blocks_(blocks) {
  if (blocks) base_ = blocks->OffsetOf(bytes);  // which the inline reads rely on
  std::uint32_t count;
  std::memcpy(&count, Read(0, 4).data(), 4);
  if (bytes.size() < 8 || count > (bytes.size() - 8) / 4) throw Corrupt("a compiled table with more entries than bytes");
  count_ = count;
  std::uint32_t dataSize;
  std::memcpy(&dataSize, Read(4 + std::size_t{count} * 4, 4).data(), 4);
  std::size_t buckets = 8 + std::size_t{count} * 4 + dataSize;
  buckets += (4 - buckets % 4) % 4;
  std::uint32_t bucketCount;
  std::memcpy(&bucketCount, Read(buckets, 4).data(), 4);
  if (!std::has_single_bit(bucketCount) || bucketCount / 2 < count || buckets + 4 + std::size_t{bucketCount} * 4 != bytes.size())
    throw Corrupt("a compiled table whose buckets do not fill its bytes");
  bucketCount_ = bucketCount;
  buckets_ = buckets + 4;
}

std::pair<std::string_view, std::string_view> Table::Entry(std::uint32_t i) const {
  // Where it starts and ends lie within the bytes (i is below the count,
  // which the bytes hold): the entry is confirmed at once, then read in place.
  std::uint32_t span[2];
  std::memcpy(span, Within(4 + std::size_t{i} * 4, 8), 8);
  const std::size_t data = 8 + std::size_t{count_} * 4;
  if (span[1] < span[0] || span[1] - span[0] < 4) throw Corrupt("an entry of a compiled table out of order");
  if (span[1] > bytes_.size() - data) throw Corrupt("an entry beyond a compiled table");
  const std::uint32_t size = span[1] - span[0];
  const char* entry = Within(data + span[0], size);
  std::uint32_t keyLength;
  std::memcpy(&keyLength, entry, 4);
  if (keyLength > size - 4) throw Corrupt("a key beyond its entry");
  return {std::string_view(entry + 4, keyLength), std::string_view(entry + 4 + keyLength, size - 4 - keyLength)};
}

std::optional<std::string_view> Table::Find(std::string_view key) const {
  if (count_ == 0) return std::nullopt;
  const std::uint32_t mask = bucketCount_ - 1;
  std::uint32_t b = static_cast<std::uint32_t>(KeyHash(key)) & mask;
  // At most every bucket once: a table whose buckets are all taken still ends.
  for (std::uint32_t probes = 0; probes < bucketCount_; ++probes, b = (b + 1) & mask) {
    std::uint32_t slot;
    std::memcpy(&slot, Within(buckets_ + std::size_t{b} * 4, 4), 4);  // the buckets fill the bytes' end
    if (slot == 0) break;
    if (slot > count_) throw Corrupt("a bucket of a compiled table beyond its entries");
    const auto [k, v] = Entry(slot - 1);
    if (k == key) return v;
  }
  return std::nullopt;
}

}  // namespace pipedex::flat
