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
// same entries compile to the same bytes in every process, and keys chosen to
// share buckets under one seed change the seed they are filed under, so no
// catalogue can make a table a list. It is the keyed hash under a fixed key
// rather than the fast one, whose steps can each be undone: a last key could
// then steer the seed to one chosen ahead.
std::uint64_t SeedOf(const std::vector<std::pair<std::string_view, std::string_view>>& entries) {
  hashing::Hasher hasher(hashing::Key{0x5441424c45533032ull, 0x5345454430303031ull});
  for (const auto& entry : entries) {
    const auto length = static_cast<std::uint32_t>(entry.first.size());
    hasher.Add(std::string_view(reinterpret_cast<const char*>(&length), sizeof length));
    hasher.Add(entry.first);
  }
  return hasher.Finish();
}

constexpr std::size_t kHeadSize = 20, kBucketSize = 8;

void Put(std::string& out, std::uint32_t n) { out.append(reinterpret_cast<const char*>(&n), sizeof n); }

}  // namespace

// The layout, so that a lookup reads the head, one bucket or a few side by
// side and the entry: the number of entries, the number of buckets (a power
// of two, at least twice the entries), the 64-bit seed the keys are hashed
// under and the entries' size in bytes; then the buckets, each empty (0) or
// naming the entry filed there (or, when taken, in the next free bucket after
// it) by where it starts among the entries plus one, followed by the high half
// of its key's hash; then
// the entries in the order filed, each a 32-bit key length and value length,
// the key and the value.
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
  // Each bucket as it is written: the entry kept there, by its number among
  // those kept plus one (by where it starts plus one, once all are kept), then
  // its key's tag.
  std::vector<std::uint32_t> buckets(2 * std::size_t{bucketCount}, 0), kept, starts;
  kept.reserve(entries.size());
  starts.reserve(entries.size());
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
    starts.push_back(static_cast<std::uint32_t>(dataSize));
    buckets[2 * b] = static_cast<std::uint32_t>(kept.size());
    buckets[2 * b + 1] = static_cast<std::uint32_t>(hashes[i] >> 32);
    dataSize += 8 + key.size() + entries[i].second.size();
    if (dataSize >= 0xffffffffu) throw std::length_error("a compiled table exceeds 4 GiB");
  }
  for (std::size_t b = 0; b < bucketCount; ++b)
    if (buckets[2 * b] != 0) buckets[2 * b] = starts[buckets[2 * b] - 1] + 1;
  std::string out;
  out.reserve(kHeadSize + kBucketSize * bucketCount + dataSize);
  Put(out, static_cast<std::uint32_t>(kept.size()));
  Put(out, bucketCount);
  out.append(reinterpret_cast<const char*>(&seed), sizeof seed);
  Put(out, static_cast<std::uint32_t>(dataSize));
  out.append(reinterpret_cast<const char*>(buckets.data()), buckets.size() * sizeof(std::uint32_t));
  for (const std::uint32_t i : kept) {
    Put(out, static_cast<std::uint32_t>(entries[i].first.size()));
    Put(out, static_cast<std::uint32_t>(entries[i].second.size()));
    out += entries[i].first;
    out += entries[i].second;
  }
  return out;
}

Table::Table(std::string_view bytes, const Blocks* blocks) : bytes_(bytes), blocks_(blocks) {
  if (blocks) base_ = blocks->OffsetOf(bytes);  // which the inline reads rely on
  const std::string_view head = Read(0, kHeadSize);
  std::uint32_t count, bucketCount, dataSize;
  std::memcpy(&count, head.data(), 4);
  std::memcpy(&bucketCount, head.data() + 4, 4);
  std::memcpy(&seed_, head.data() + 8, 8);
  std::memcpy(&dataSize, head.data() + 16, 4);
  if (!std::has_single_bit(bucketCount) || bucketCount / 2 < count ||
      kHeadSize + kBucketSize * std::size_t{bucketCount} + dataSize != bytes.size() ||
      std::size_t{count} * 8 > dataSize)
    throw Corrupt("a compiled table whose head does not describe its bytes");
  count_ = count;
  bucketCount_ = bucketCount;
  entries_ = kHeadSize + kBucketSize * std::size_t{bucketCount};
}

std::pair<std::string_view, std::string_view> Table::Entry(std::uint32_t start) const {
  // Its lengths, then its key and value, each confirmed within the entries
  // before it is read in place.
  const std::size_t dataSize = bytes_.size() - entries_;
  if (start > dataSize || dataSize - start < 8) throw Corrupt("an entry beyond a compiled table");
  std::uint32_t lengths[2];
  std::memcpy(lengths, Within(entries_ + start, 8), 8);
  if (lengths[0] > dataSize - start - 8 || lengths[1] > dataSize - start - 8 - lengths[0])
    throw Corrupt("a key or value beyond its table");
  const char* entry = Within(entries_ + start + 8, std::size_t{lengths[0]} + lengths[1]);
  return {std::string_view(entry, lengths[0]), std::string_view(entry + lengths[0], lengths[1])};
}

std::optional<std::string_view> Table::Find(std::string_view key) const {
  if (count_ == 0) return std::nullopt;
  const std::uint32_t mask = bucketCount_ - 1;
  const std::uint64_t hash = KeyHash(key, seed_);
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  std::uint32_t b = static_cast<std::uint32_t>(hash) & mask;
  // At most every bucket once: a table whose buckets are all taken still ends.
  for (std::uint32_t probes = 0; probes < bucketCount_; ++probes, b = (b + 1) & mask) {
    std::uint32_t bucket[2];  // where the entry starts plus one (0: none), and its key's tag
    std::memcpy(bucket, Within(kHeadSize + std::size_t{b} * kBucketSize, kBucketSize), kBucketSize);
    if (bucket[0] == 0) break;
    if (bucket[1] != tag) continue;  // another key: its entry is not read
    const auto [k, v] = Entry(bucket[0] - 1);
    if (k == key) return v;
  }
  return std::nullopt;
}

}  // namespace pipedex::flat
