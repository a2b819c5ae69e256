#include "base/flat_table.h"

#include <bit>
#include <cstring>

#include "base/seeded_hash.h"

namespace pipedex::flat {
namespace {

// The hash a key is filed under in a table of this seed: its low bits pick
// the bucket, its high 32 bits are the tag kept in the bucket.
std::uint64_t KeyHash(std::string_view key, std::uint64_t seed) { return hashing::ShortHash(key, seed); }

constexpr std::size_t kHeadSize = 20, kBucketSize = 8;

void Put(std::string& out, std::uint32_t n) { out.append(reinterpret_cast<const char*>(&n), sizeof n); }
template <typename T>
T Get(const std::string& bytes, std::size_t at) {
  T n;
  std::memcpy(&n, bytes.data() + at, sizeof n);
  return n;
}

}  // namespace

// The layout, so that a lookup reads the head, one bucket or a few side by
// side and the entry: the number of entries, the number of buckets (a power
// of two, at least twice the entries), the 64-bit seed the keys are hashed
// under and the entries' size in bytes; then the buckets, each empty (0) or
// naming the entry filed there (or, when taken, in the next free bucket after
// it) by where it starts among the entries plus one, followed by the high half
// of its key's hash; then the entries in the order filed, each a 32-bit key
// length and value length, the key and the value.
//
// The seed is drawn from the keys themselves: the same entries compile to the
// same bytes in every process, and keys chosen to share buckets under one seed
// change the seed they are filed under, so no catalogue can make a table a
// list. It is the keyed hash under a fixed key rather than the fast one, whose
// steps can each be undone: a last key could then steer the seed to one chosen ahead.
TableCompiler::TableCompiler(std::size_t count, std::size_t entryBytes)
    : seedHasher_(hashing::Key{0x5441424c45533032ull, 0x5345454430303031ull}) {
  if (count > 0x3fffffffu) throw std::length_error("a compiled table exceeds its entry count");
  count_ = count;
  bucketCount_ = std::bit_ceil(static_cast<std::uint32_t>(2 * count) | 1u);
  entriesAt_ = kHeadSize + kBucketSize * std::size_t{bucketCount_};
  out_.reserve(entriesAt_ + 8 * count + entryBytes);
  out_.resize(entriesAt_);  // the head and the buckets, all empty
}

void TableCompiler::Add(std::string_view key, std::string_view value) {
  if (added_ == count_) throw std::logic_error("more entries than a compiled table was given room for");
  ++added_;
  if (out_.size() - entriesAt_ + 8 + key.size() + value.size() >= 0xffffffffu)
    throw std::length_error("a compiled table exceeds 4 GiB");
  const auto keyLength = static_cast<std::uint32_t>(key.size());
  seedHasher_.Add(std::string_view(reinterpret_cast<const char*>(&keyLength), sizeof keyLength));
  seedHasher_.Add(key);
  Put(out_, keyLength);
  Put(out_, static_cast<std::uint32_t>(value.size()));
  out_ += key;
  out_ += value;
}

std::string TableCompiler::Finish() && {
  if (added_ != count_) throw std::logic_error("fewer entries than a compiled table was given room for");
  const std::uint64_t seed = seedHasher_.Finish();
  const std::uint32_t mask = bucketCount_ - 1;
  auto keyAt = [this](std::size_t start) {
    return std::string_view(out_).substr(entriesAt_ + start + 8, Get<std::uint32_t>(out_, entriesAt_ + start));
  };
  auto sizeAt = [this](std::size_t start) {
    return 8 + std::size_t{Get<std::uint32_t>(out_, entriesAt_ + start)} + Get<std::uint32_t>(out_, entriesAt_ + start + 4);
  };
  auto bucketAt = [](std::uint32_t b) { return kHeadSize + std::size_t{b} * kBucketSize; };
  // Where the entry a bucket names starts plus one, or 0 when it is empty.
  auto filedAt = [&](std::uint32_t b) { return Get<std::uint32_t>(out_, bucketAt(b)); };
  // The bucket a key is filed in, or the first empty one in its run when it is not filed.
  auto find = [&](std::string_view key, std::uint64_t hash) {
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    std::uint32_t b = static_cast<std::uint32_t>(hash) & mask;
    for (; filedAt(b) != 0; b = (b + 1) & mask)
      if (Get<std::uint32_t>(out_, bucketAt(b) + 4) == tag && keyAt(filedAt(b) - 1) == key) break;
    return b;
  };
  // Each key is filed in the buckets once, by its first entry; each entry's
  // bucket is fetched some entries ahead, while the entries are walked in order.
  constexpr std::size_t kAhead = 16;
  struct Ahead {
    std::size_t start;
    std::uint64_t hash;
  } ahead[kAhead];
  const std::size_t dataEnd = out_.size() - entriesAt_;
  std::size_t next = 0, queued = 0, kept = 0;
  auto fetch = [&]() {
    const std::uint64_t hash = KeyHash(keyAt(next), seed);
    __builtin_prefetch(out_.data() + bucketAt(static_cast<std::uint32_t>(hash) & mask));
    ahead[queued++ % kAhead] = {next, hash};
    next += sizeAt(next);
  };
  while (next < dataEnd && queued < kAhead) fetch();
  for (std::size_t i = 0; i < queued; ++i) {
    const Ahead entry = ahead[i % kAhead];
    const std::uint32_t b = find(keyAt(entry.start), entry.hash);
    if (filedAt(b) == 0) {
      const std::uint32_t bucket[2] = {static_cast<std::uint32_t>(entry.start + 1),
                                       static_cast<std::uint32_t>(entry.hash >> 32)};
      std::memcpy(out_.data() + bucketAt(b), bucket, sizeof bucket);
      ++kept;
    }
    if (next < dataEnd) fetch();
  }
  // A key given twice leaves its later entries among the entries, unnamed:
  // they are taken out, each entry kept moving down to close the gaps, and
  // its bucket following it.
  std::size_t dataSize = dataEnd;
  if (kept < count_) {
    dataSize = 0;
    for (std::size_t start = 0; start < dataEnd;) {
      const std::string_view key = keyAt(start);
      const std::size_t size = sizeAt(start);
      const std::uint32_t b = find(key, KeyHash(key, seed));
      if (filedAt(b) == start + 1) {
        const auto moved = static_cast<std::uint32_t>(dataSize + 1);
        std::memmove(out_.data() + entriesAt_ + dataSize, out_.data() + entriesAt_ + start, size);
        std::memcpy(out_.data() + bucketAt(b), &moved, sizeof moved);
        dataSize += size;
      }
      start += size;
    }
    out_.resize(entriesAt_ + dataSize);
  }
  const std::uint32_t counts[2] = {static_cast<std::uint32_t>(kept), bucketCount_};
  const auto entriesSize = static_cast<std::uint32_t>(dataSize);
  std::memcpy(out_.data(), counts, sizeof counts);
  std::memcpy(out_.data() + 8, &seed, sizeof seed);
  std::memcpy(out_.data() + 16, &entriesSize, sizeof entriesSize);
  return std::move(out_);
}

namespace {

template <typename Entries>
std::string CompileEntries(const Entries& entries) {
  std::size_t bytes = 0;
  for (const auto& [key, value] : entries) bytes += key.size() + value.size();
  TableCompiler compiler(entries.size(), bytes);
  for (const auto& [key, value] : entries) compiler.Add(key, value);
  return std::move(compiler).Finish();
}

}  // namespace

std::string CompileTable(const std::vector<std::pair<std::string, std::string>>& entries) {
  return CompileEntries(entries);
}

std::string CompileTable(const std::vector<std::pair<std::string_view, std::string_view>>& entries) {
  return CompileEntries(entries);
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
