#include <gtest/gtest.h>

#include <map>

#include "base/flat_table.h"

namespace pipedex::flat {
namespace {

// A compiled table finds every key with the value it was first filed with:
// keys that share their first 8 bytes and differ past them, or only in their
// length, or in bytes above 0x7f (which order after every ASCII byte), a key
// with a zero byte and the empty key. Keys never filed are not found.
TEST(FlatTable, FindsEveryKeyWithItsFirstValue) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"ABCDEFGH2", "v1"}, {"ABCDEFGH", "v2"}, {"ABCDEFGH1", "v3"}, {std::string("AB\0", 3), "v4"}, {"AB", "v5"},
      {"\xC3\x84Z", "v6"}, {"Z", "v7"},        {"ABCDEFGH1", "v9"}, {"", "v8"},                      {"M", ""}};
  std::map<std::string, std::string> first;
  for (const auto& [key, value] : entries) first.emplace(key, value);
  const std::string bytes = CompileTable(entries);
  const Table table(bytes, nullptr);
  for (const auto& [key, value] : first) {
    const auto found = table.Find(key);
    ASSERT_TRUE(found) << key;
    EXPECT_EQ(*found, value) << key;
  }
  for (const char* missing : {"ABCDEFG", "ABCDEFGH0", "A", "\xC3", "ZZ"}) EXPECT_FALSE(table.Find(missing)) << missing;
}

}  // namespace
}  // namespace pipedex::flat
