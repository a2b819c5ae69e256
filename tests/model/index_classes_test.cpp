#include <gtest/gtest.h>

#include <random>

#include "base/text.h"
#include "model/att_list.h"
#include "model/ctype_index.h"
#include "model/tag_list.h"

namespace pipedex::model {
namespace {

// The collections' own rules (the list build's test covers how the catalogue
// fills them): letter case ignored with the Unicode mapping, blanks kept,
// positions from 1, removal by key or position moving later entries up, and
// an unknown key or position raising on removal.
TEST(IndexClasses, KeysPositionsAndRemoval) {
  pugi::xml_document doc;
  doc.load_string("<a><b/><c/></a>");
  pugi::xml_node b = doc.child("a").child("b"), c = doc.child("a").child("c");
  TagList list;
  list.Add("ELBW", b, "ELBW");
  list.Add("TEE", b, " TEE");
  list.Add("ärger", b, "ärger");
  list.Add("elbw", c, "elbw");  // same key: new tag and node, same position
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(std::int64_t{1}).Node.Xml(), c);
  EXPECT_EQ(list.Item("ÄRGER").Tag, "ärger");
  EXPECT_EQ(list.Item(std::int64_t{3}).Tag, "ärger");  // the last position
  EXPECT_EQ(list.Item("TEE").Tag, "");  // blanks count
  EXPECT_EQ(list.Item(" tee").Tag, "TEE");
  EXPECT_FALSE(list.Item(std::int64_t{0}).Node || list.Item(std::int64_t{4}).Node);
  list.Remove("ELBW");
  EXPECT_EQ(list.Item(std::int64_t{1}).Tag, "TEE");
  EXPECT_EQ(list.Item("ärger").Node.Xml(), b);
  EXPECT_THROW(list.Remove("ELBW"), Error);

  CTypeIndex index;
  index.Add("Elbow-90", "ELBOW", "ELBW");
  index.Add("Elbow-45", "ELBOW", "elbw");
  index.Add("Pipe", "PIPE", "");
  const CTypeLookup& e = index.Item("Elbw");
  EXPECT_EQ(e.KEY, "ELBW");
  EXPECT_EQ(e.GetCptType(2), "Elbow-45");
  EXPECT_EQ(e.GetCptType(0).size() + e.GetCptType(3).size(), 0u);
  index.Remove(std::int64_t{1});  // later entries move up and stay reachable by key
  EXPECT_EQ(index.Item("").GetCptType(1), "Pipe");
  EXPECT_EQ(index.Item(std::int64_t{1}).GetCptType(1), "Pipe");
  EXPECT_EQ(index.Item("ELBW").nCpts(), 0);
  EXPECT_THROW(index.Remove(std::int64_t{2}), Error);

  AttList map;
  map.Add("ITEM-CODE", "20", 1, 0, false, "ITEM-CODE");
  EXPECT_THROW(map.Add("item-code", "99", 1, 0, false, "ITEM-CODE"), Error);  // the first filed stays
  map.Add("ATTRIBUTE", "500", 10, 1, false, "ATTRIBUTE");
  map.Add("2", "7", 1, 0, false, "2");
  map.Add("ATTRIBUTE3", "9", 1, 0, false, "ATTRIBUTE3");
  EXPECT_EQ(map.Item("2")->IDFAttribute, "7");  // a numeric text is a key, not a position
  for (const char* member : {"ATTRIBUTE1", "attribute10", "ATTRIBUTE 5", "ATTRIBUTE+4", "ATTRIBUTE2.4"})
    EXPECT_EQ(map.Item(member), map.Item(std::int64_t{2})) << member;
  for (const char* outside : {"ATTRIBUTE0", "ATTRIBUTE11", "ATTRIBUTE-1", "ATTRIBUTE99999999999", "ATTRIBUTEX"})
    EXPECT_EQ(map.Item(outside), nullptr) << outside;
  EXPECT_EQ(map.Item("ATTRIBUTE3")->IDFAttribute, "9");  // the full name wins over the family
  EXPECT_EQ(map.Item("ITEM-CODE0")->IDFAttribute, "20");
}

// Keys of every length class of the stored texts (a long one in a block of its own), non-ASCII among
// them, in a list long enough that its table outgrows the positions its cells first held.
TEST(IndexClasses, ManyAndLongKeysStayReachable) {
  TagList list;
  pugi::xml_node none;
  auto key = [](int i) {
    return std::string(static_cast<std::size_t>(i % 97 == 0 ? 9000 : i % 150), 'k') + (i % 3 ? "é" : "x") +
           std::to_string(i);
  };
  for (int i = 0; i < 70000; ++i) list.Add(key(i), none, key(i));
  for (int i = 0; i < 70000; i += 7) {
    EXPECT_EQ(list.Item(text::Upper(key(i))).Tag, key(i)) << i;
    EXPECT_EQ(list.Item(std::int64_t{i + 1}).Tag, key(i)) << i;
  }
  EXPECT_EQ(list.Item(key(70000)).Tag, "");
}

// The trailing number is the longest run of end characters whose every
// suffix passes the numeric test: checked against that rule on random names.
TEST(AttList, ParseAttributeSplitsTheLongestNumericTail) {
  std::string part;
  std::int32_t number = 0;
  AttList::ParseAttribute("CODE-1", part, number);  // the sign belongs to the number
  EXPECT_EQ(part, "CODE");
  EXPECT_EQ(number, -1);
  AttList::ParseAttribute("NAME", part, number);
  EXPECT_EQ(part, "NAME");
  EXPECT_EQ(number, -1);
  std::mt19937 random(7);
  const std::string alphabet = "A1.9 -+eÄ";
  for (int round = 0; round < 3000; ++round) {
    std::string name = "Z";
    for (int n = static_cast<int>(random() % 7); n > 0; --n) name += text::CharAt(alphabet, random() % 9);
    std::size_t length = text::Length(name), k = 1;
    while (k <= length && text::IsNumeric(text::Right(name, k))) ++k;
    const std::size_t tail = k - 1;
    AttList::ParseAttribute(name, part, number);
    EXPECT_EQ(part, text::Left(name, length - tail)) << name;
    if (tail > 0) {
      EXPECT_EQ(number, *text::ToLong(*text::ParseNumber(text::Right(name, tail)))) << name;
    }
  }
}

}  // namespace
}  // namespace pipedex::model
