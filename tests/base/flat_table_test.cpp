#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "base/flat_table.h"
#include "base/seeded_hash.h"
#include "test_support.h"

namespace pipedex::flat {
namespace {

// Every key filed is found with its first value, whatever the table's size
// (buckets shared by many keys among them); keys not filed are not.
TEST(FlatTable, FindsEveryKeyFiledAndNoOther) {
  auto key = [](std::size_t i) {  // appended: g++ 12 at -O3 warns falsely about a literal joined to a string
    std::string k = "K";
    k += std::to_string(i);
    return k;
  };
  for (std::size_t size : {0u, 1u, 2u, 3u, 1000u}) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::size_t i = 0; i < size; ++i) entries.emplace_back(i == 0 ? "" : key(i), std::to_string(i));
    if (size > 0) entries.emplace_back(key(size - 1), "later");  // filed twice: the first value holds
    const std::string bytes = CompileTable(entries);
    const Table table(bytes, nullptr);
    for (std::size_t i = 0; i < size; ++i) EXPECT_EQ(table.Find(entries[i].first), std::to_string(i)) << size;
    for (const char* absent : {"K", "k1", "K1000", "X"}) EXPECT_FALSE(table.Find(absent)) << absent << " of " << size;
  }
  EXPECT_FALSE(Table().Find(""));
}

// A compiled table finds every key with the value it was first filed with:
// keys that share their first 8 bytes and differ past them, or only in their
// length, or in bytes above 0x7f, a key with a zero byte and the empty key
// with an empty value, last. Keys never filed are not found, and the entries
// of keys given again take no room.
TEST(FlatTable, FindsEveryKeyWithItsFirstValue) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"ABCDEFGH2", "v1"}, {"ABCDEFGH", "v2"}, {"ABCDEFGH1", "v3"}, {std::string("AB\0", 3), "v4"}, {"AB", "v5"},
      {"\xC3\x84Z", "v6"}, {"Z", "v7"},        {"ABCDEFGH1", "v9"}, {"M", ""},                      {"", ""}};
  std::map<std::string, std::string> first;
  for (const auto& [key, value] : entries) first.emplace(key, value);
  const std::string bytes = CompileTable(entries);
  std::size_t size = 20 + 32 * 8;  // the head and the buckets
  for (const auto& [key, value] : first) size += 8 + key.size() + value.size();
  EXPECT_EQ(bytes.size(), size);
  const Table table(bytes, nullptr);
  for (const auto& [key, value] : first) {
    const auto found = table.Find(key);
    ASSERT_TRUE(found) << key;
    EXPECT_EQ(*found, value) << key;
  }
  for (const char* missing : {"ABCDEFG", "ABCDEFGH0", "A", "\xC3", "ZZ"}) EXPECT_FALSE(table.Find(missing)) << missing;
}

// Tables cut short or changed anywhere raise Corrupt or answer; no lookup
// reads outside the bytes (the sanitizer build checks that) or runs forever.
TEST(FlatTable, DamagedBytesRaiseCorruptAndNeverReadOutside) {
  const std::string good = CompileTable(std::vector<std::pair<std::string, std::string>>{{"ELBW", "1"}, {"TEE", "22"}, {"FLWN", "333"}});
  testing::ForEachDamaged(good, [](const std::string& bytes) {
    try {
      const Table table(bytes, nullptr);
      for (const char* key : {"ELBW", "TEE", "FLWN", "NONE"}) table.Find(key);
    } catch (const Corrupt&) {
    }
  });
}

// The seed a compiled table's keys are hashed under, and its buckets' entry numbers, read from its bytes.
struct Buckets {
  std::uint64_t seed = 0;
  std::vector<std::uint32_t> entries;
};
Buckets BucketsOf(const std::string& bytes) {
  Buckets out;
  std::uint32_t bucketCount, bucket;
  std::memcpy(&bucketCount, bytes.data() + 4, 4);
  std::memcpy(&out.seed, bytes.data() + 8, 8);
  for (std::size_t b = 0; b < bucketCount; ++b) {
    std::memcpy(&bucket, bytes.data() + 20 + b * 8, 4);
    out.entries.push_back(bucket);
  }
  return out;
}

// Keys chosen to share one bucket under the seed of a table without them do
// not fill one run of buckets in the table that holds them too: the seed is
// drawn from all the keys, so no catalogue can make a lookup walk a list.
TEST(FlatTable, KeysChosenToShareABucketDoNotFillOneRun) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 0; i < 100; ++i) {
    std::string key = "SK";
    key += std::to_string(i);
    entries.emplace_back(key, "v");
  }
  const std::uint64_t seed = BucketsOf(CompileTable(entries)).seed;
  // 164 keys make 512 buckets: 64 more keys, each hashed to bucket 0 under that seed.
  for (int n = 0, chosen = 0; chosen < 64; ++n) {
    std::string key = "X";
    key += std::to_string(n);
    if ((hashing::ShortHash(key, seed) & 511) != 0) continue;
    entries.emplace_back(key, "v");
    ++chosen;
  }
  const std::string bytes = CompileTable(entries);
  const Buckets buckets = BucketsOf(bytes);
  ASSERT_EQ(buckets.entries.size(), 512u);
  EXPECT_NE(buckets.seed, seed);
  std::size_t run = 0, longest = 0;
  for (const std::uint32_t entry : buckets.entries) longest = std::max(longest, run = entry != 0 ? run + 1 : 0);
  EXPECT_LT(longest, 24u);
  const Table table(bytes, nullptr);
  for (const auto& [key, value] : entries) EXPECT_EQ(table.Find(key), value) << key;
}

}  // namespace
}  // namespace pipedex::flat
