#include <gtest/gtest.h>

#include <functional>

#include "base/seeded_hash.h"
#include "base/xml_document.h"
#include "cache/index_file.h"
#include "temp_dir.h"

namespace pipedex::cache {
namespace {

using testing::TempDir;

// An index opens while every file it was built from is as it was (present or
// absent), for the same version and locale and the same files; any change
// refuses it, and says why.
TEST(IndexFile, OpensOnlyWhileItsFilesAreAsTheyWere) {
  struct Row {
    const char* change;
    std::function<void(const TempDir&, Stamp&)> apply;
    Refusal refusal;
  };
  const std::vector<Row> rows = {
      {"nothing", [](const TempDir&, Stamp&) {}, Refusal::None},
      {"another version", [](const TempDir&, Stamp& s) { s.libraryVersion += '2'; }, Refusal::OtherVersion},
      {"another locale", [](const TempDir&, Stamp& s) { s.choices += "_FR"; }, Refusal::OtherVersion},
      {"another file list", [](const TempDir&, Stamp& s) { s.inputs.pop_back(); }, Refusal::OtherInputs},
      {"a file renamed", [](const TempDir& d, Stamp& s) { s.inputs[0].path = d.File("c.xml"); }, Refusal::OtherInputs},
      {"a file rewritten, same size", [](const TempDir& d, Stamp&) { d.Write("a.xml", "<b/>"); }, Refusal::InputChanged},
      {"a file removed", [](const TempDir& d, Stamp&) { d.Remove("a.xml"); }, Refusal::InputChanged},
      {"an absent file created", [](const TempDir& d, Stamp&) { d.Write("b.xml", ""); }, Refusal::InputChanged},
      {"the index removed", [](const TempDir& d, Stamp&) { d.Remove("cache/deep/x.pxi"); }, Refusal::Missing},
      {"the index cut short", [](const TempDir& d, Stamp&) { d.Write("cache/deep/x.pxi", "PIPEDEXI"); },
       Refusal::NotAnIndex},
      {"its payload said to run past its end",
       [](const TempDir& d, Stamp&) {
         std::string bytes = d.Read("cache/deep/x.pxi");
         bytes[63] = 1;  // the top byte of the payload's size
         d.Write("cache/deep/x.pxi", bytes);
       },
       Refusal::NotAnIndex},
  };
  const std::string payload(40000, 'p');
  for (const Row& row : rows) {
    const TempDir d;
    const std::string a = d.Write("a.xml", "<a/>");
    Stamp stamp{"1", "de_DE", {Describe(a, true), Describe(d.File("b.xml"), true)}};
    ASSERT_TRUE(WriteIndex(d.File("cache/deep/x.pxi"), stamp, {payload})) << "the folders are made as needed";
    row.apply(d, stamp);
    Refusal refusal = Refusal::None;
    const auto index = MappedIndex::Open(d.File("cache/deep/x.pxi"), stamp, true, refusal);
    EXPECT_EQ(refusal, row.refusal) << row.change << ": " << RefusalText(refusal);
    EXPECT_EQ(index != nullptr, row.refusal == Refusal::None) << row.change;
    if (index) {
      EXPECT_EQ(index->Payload(), payload);
      EXPECT_NO_THROW(index->Blocks().Confirm(index->Payload().data(), payload.size()));
    }
  }
}

// A payload given in pieces is written as the one text they make, with the
// hashes of its blocks, wherever the pieces end: inside a block, on a page,
// past the 256 KB the writer passes them through at a time.
TEST(IndexFile, APayloadInPiecesIsWrittenAsOneText) {
  const std::vector<std::vector<std::size_t>> rows = {
      {0},
      {1, 16383, 16385, 3},
      {5000, 0, 4096 * 3 + 1},
      {(std::size_t{1} << 20) - 5, 10, 70000},
      {std::size_t{2} << 20},
  };
  const TempDir d;
  const Stamp stamp{"1", "", {Describe(d.Write("a.xml", "<a/>"), true)}};
  for (const std::vector<std::size_t>& sizes : rows) {
    std::vector<std::string> texts;
    std::string whole;
    for (const std::size_t size : sizes) {
      std::string& text = texts.emplace_back();
      for (std::size_t i = 0; i < size; ++i) text += static_cast<char>((whole.size() + i) * 131 % 251);
      whole += text;
    }
    const std::vector<std::string_view> pieces(texts.begin(), texts.end());
    ASSERT_TRUE(WriteIndex(d.File("x.pxi"), stamp, pieces)) << whole.size();
    Refusal refusal;
    const auto index = MappedIndex::Open(d.File("x.pxi"), stamp, false, refusal);
    ASSERT_NE(index, nullptr) << whole.size() << ": " << RefusalText(refusal);
    EXPECT_EQ(index->Payload(), whole) << whole.size();
    EXPECT_NO_THROW(index->Blocks().Confirm(index->Payload().data(), whole.size())) << whole.size();
  }
}

// Bytes written over after they were given land where they were given, with
// the hashes of their blocks: still in the writer's buffer, written out
// before (read back with their block), across a block's end, or across the
// end of what was written out.
TEST(IndexFile, BytesWrittenOverLandWhereTheyWereGiven) {
  struct Row {
    std::size_t size, at, length;
  };
  const std::vector<Row> rows = {
      {40000, 10, 20}, {600000, 0, 80}, {600000, 16380, 8}, {600000, 524284, 8}, {600000, 599990, 10},
  };
  const TempDir d;
  const Stamp stamp{"1", "", {Describe(d.Write("a.xml", "<a/>"), true)}};
  for (const Row& row : rows) {
    std::string whole;
    for (std::size_t i = 0; i < row.size; ++i) whole += static_cast<char>(i * 131 % 251);
    const std::string over(row.length, '#');
    ASSERT_TRUE(WriteIndex(d.File("x.pxi"), stamp, [&](flat::Output& out) {
      out.Append(whole);
      out.Overwrite(row.at, over);
      return true;
    }));
    whole.replace(row.at, row.length, over);
    Refusal refusal;
    const auto index = MappedIndex::Open(d.File("x.pxi"), stamp, false, refusal);
    ASSERT_NE(index, nullptr) << row.at << ": " << RefusalText(refusal);
    EXPECT_EQ(index->Payload(), whole) << row.at;
    EXPECT_NO_THROW(index->Blocks().Confirm(index->Payload().data(), whole.size())) << row.at;
  }
}

// A byte changed anywhere in an index file refuses it, or fails the block
// it lies in, or lies where nothing is read; it never yields another payload.
TEST(IndexFile, AChangedByteNeverYieldsAnotherPayload) {
  const TempDir d;
  const std::string a = d.Write("a.xml", "<a/>");
  const Stamp stamp{"1", "", {Describe(a, false)}};
  std::string payload;
  for (int i = 0; payload.size() < 50000; ++i) payload += std::to_string(i);
  ASSERT_TRUE(WriteIndex(d.File("x.pxi"), stamp, {payload}));
  const std::string good = d.Read("x.pxi");
  for (std::size_t at = 0; at < good.size(); at += at < 8192 ? 1 : 331) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x20);
    d.Write("y.pxi", bad);
    Refusal refusal;
    const auto index = MappedIndex::Open(d.File("y.pxi"), stamp, false, refusal);
    if (!index) continue;
    try {
      index->Blocks().Confirm(index->Payload().data(), index->Payload().size());
      EXPECT_EQ(index->Payload(), payload) << "byte " << at;
    } catch (const flat::Corrupt&) {
    }
  }
}

// A file's content hash covers all of it, however long (it is read a piece
// at a time): a byte changed at its end, or one more byte, changes the hash;
// the same bytes in another file, in memory, or as the load reads them (a
// megabyte at a time), do not.
TEST(IndexFile, ContentHashCoversTheWholeFile) {
  const TempDir d;
  for (const std::size_t size : {std::size_t{1}, std::size_t{1} << 16, (std::size_t{1} << 18) + 5, (std::size_t{1} << 20) + 5}) {
    std::string content(size, 'x');
    const std::uint64_t hash = Describe(d.Write("a.xml", content), true).contentHash;
    EXPECT_EQ(Describe(d.Write("b.xml", content), true).contentHash, hash) << size;
    EXPECT_EQ(hashing::ContentHash(content), hash) << size;
    pugi::xml_document doc;
    xml::ParseError error;
    std::uint64_t loaded = 0;
    xml::LoadFile(doc, d.Write("c.xml", content), error, &loaded);  // no XML: hashed all the same
    EXPECT_EQ(loaded, hash) << size;
    std::string longer = content;
    longer += 'x';
    EXPECT_NE(Describe(d.Write("b.xml", longer), true).contentHash, hash) << size;
    content.back() = 'y';
    EXPECT_NE(Describe(d.Write("b.xml", content), true).contentHash, hash) << size;
  }
}

}  // namespace
}  // namespace pipedex::cache
