#include "base/flat_table.h"

#include <bit>
#include <cstring>

#include "base/seeded_hash.h"

namespace pipedex::flat {
namespace {

// The hash a key is filed under in a table of this seed: its low bits pick
// the bucket, its high 32 bits are the tag kept in the bucket.
std::uint64_t KeyHash(std::string_view key, std::uint64_t seed) { return hashing::ShortHash(key, seed); }

// The seed a table's keys are filed under, drawn from the keys themselves: the
// same entries compile to the same bytes in every process (a prebuilt index is
// reproducible), and keys chosen to share buckets under one seed change the
// seed they are filed under, so no catalogue can make a table a list.
std::uint64_t SeedOf(const std::vector<std::pair<std::string_view, std::string_view>>& entries) {
  std::uint64_t seed = 0x5441424c45533032ull ^ entries.size();
  for (const auto& entry : entries) seed = hashing::FastHash(entry.first, seed);
  return seed;
}

constexpr std::uint32_t kBucketSize = 8;

void Put(std::string& out, std::uint32_t n) { out.append(reinterpret_cast<const char*>(&n), sizeof n); }

}  // namespace

// The layout: the number of entries, then where each entry starts and where
// the last one ends (from the start of the entries), then the entries (a
// 32-bit key length, the key, the value) in the order filed, then at the next
// multiple of 4 the number of buckets (a power of two, at least twice the
// entries), the 64-bit seed the keys are hashed under, and the buckets: each
// 0, or 1 + the number of an entry filed there or, when taken, in the next
// free bucket after it, followed by the high half of that entry's key hash.
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
  const std::uint64_t seed = SeedOf(entries);
  std::vector<std::uint64_t> hashes(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) hashes[i] = KeyHash(entries[i].first, seed);
  constexpr std::size_t kAhead = 16;
  // Each bucket as it is written: the entry's number + 1, then its key's tag.
  std::vector<std::uint32_t> buckets(2 * std::size_t{bucketCount}, 0), kept;
  kept.reserve(entries.size());
  std::size_t dataSize = 0;
  for (std::uint32_t i = 0; i < entries.size(); ++i) {
    if (i + kAhead < entries.size()) __builtin_prefetch(&buckets[2 * (hashes[i + kAhead] & mask)]);
    const std::string_view key = entries[i].first;
    std::uint32_t b = static_cast<std::uint32_t>(hashes[i]) & mask;
    for (; buckets[2 * b] != 0; b = (b + 1) & mask) {
      const std::uint32_t other = kept[buckets[2 * b] - 1];
      if (hashes[other] == hashes[i] && entries[other].first == key) break;
    }
    if (buckets[2 * b] != 0) continue;
    kept.push_back(i);
    buckets[2 * b] = static_cast<std::uint32_t>(kept.size());
    buckets[2 * b + 1] = static_cast<std::uint32_t>(hashes[i] >> 32);
    dataSize += 4 + key.size() + entries[i].second.size();
    if (dataSize > 0xffffffffu) throw std::length_error("a compiled table exceeds 4 GiB");
  }
  std::string out;
  out.reserve(20 + 4 * kept.size() + dataSize + std::size_t{kBucketSize} * bucketCount);
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
  out.append(reinterpret_cast<const char*>(&seed), sizeof seed);
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
  if (!std::has_single_bit(bucketCount) || bucketCount / 2 < count ||
      buckets + 12 + std::size_t{bucketCount} * kBucketSize != bytes.size())
    throw Corrupt("a compiled table whose buckets do not fill its bytes");
  std::memcpy(&seed_, Read(buckets + 4, 8).data(), 8);
  bucketCount_ = bucketCount;
  buckets_ = buckets + 12;
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
  const std::uint64_t hash = KeyHash(key, seed_);
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  std::uint32_t b = static_cast<std::uint32_t>(hash) & mask;
  // At most every bucket once: a table whose buckets are all taken still ends.
  for (std::uint32_t probes = 0; probes < bucketCount_; ++probes, b = (b + 1) & mask) {
    std::uint32_t bucket[2];  // the entry's number + 1, and its key's tag
    std::memcpy(bucket, Within(buckets_ + std::size_t{b} * kBucketSize, kBucketSize), kBucketSize);  // the buckets fill the bytes' end
    if (bucket[0] == 0) break;
    if (bucket[0] > count_) throw Corrupt("a bucket of a compiled table beyond its entries");
    if (bucket[1] != tag) continue;  // another key: its entry is not read
    const auto [k, v] = Entry(bucket[0] - 1);
    if (k == key) return v;
  }
  return std::nullopt;
}

}  // namespace pipedex::flat
