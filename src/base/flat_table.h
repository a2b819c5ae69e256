#pragma once

// A table compiled flat: values filed under texts, found in place through a
// hash table of its own (only a bucket or two and the entry are read),
// every offset checked before it is followed, as in a compiled document.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/flat_document.h"
#include "base/seeded_hash.h"

namespace pipedex::flat {

// Compiles a table from its entries given one by one, in the one string it
// is handed out as: the head and the buckets, then each entry appended as it
// is given, filed in the buckets once all are in. Nothing beside the string
// is allocated, so a large table takes the memory of its compiled form alone.
class TableCompiler {
 public:
  // A table of count entries (exactly), their keys and values about entryBytes
  // bytes in all, 8 more each (the room reserved ahead).
  TableCompiler(std::size_t count, std::size_t entryBytes);
  // Appends the next entry; a key given twice keeps its first value.
  void Add(std::string_view key, std::string_view value);
  // The compiled table.
  std::string Finish() &&;

 private:
  std::string out_;
  hashing::Hasher seedHasher_;  // the seed, drawn from every key in order
  std::size_t count_ = 0, added_ = 0, entriesAt_ = 0;
  std::uint32_t bucketCount_ = 1;
};

// The compiled form of the entries (key, value); a key filed twice keeps its first value.
std::string CompileTable(const std::vector<std::pair<std::string_view, std::string_view>>& entries);
// The same for entries that hold their own texts.
std::string CompileTable(const std::vector<std::pair<std::string, std::string>>& entries);

class Table {
 public:
  // No table: nothing is found.
  Table() = default;
  // The table in these bytes (which must outlive it, as blocks, which
  // confirms each part before it is read, when given). Raises Corrupt when
  // the bytes cannot hold the table their start describes.
  Table(std::string_view bytes, const Blocks* blocks);
  // The value filed under key, or nothing. Raises Corrupt when the bytes do not hold together.
  std::optional<std::string_view> Find(std::string_view key) const;

 private:
  std::string_view Read(std::size_t offset, std::size_t size) const {
    return ReadConfirmed(bytes_, blocks_, offset, size);
  }
  // The size bytes at offset, known to lie within the bytes, confirmed; a
  // bit test when they are within one block confirmed before.
  const char* Within(std::size_t offset, std::size_t size) const {
    if (blocks_ && !blocks_->ConfirmedAt(base_ + offset, size)) blocks_->Confirm(bytes_.data() + offset, size);
    return bytes_.data() + offset;
  }
  // The key and value of the entry that starts there among the entries.
  std::pair<std::string_view, std::string_view> Entry(std::uint32_t start) const;

  std::string_view bytes_;
  const Blocks* blocks_ = nullptr;
  std::size_t base_ = 0;  // where the bytes start among the blocks' bytes
  std::uint32_t count_ = 0, bucketCount_ = 1;  // with no entries, Find reads nothing
  std::uint64_t seed_ = 0;   // the seed the keys were hashed under
  std::size_t entries_ = 0;  // where the entries start
};

}  // namespace pipedex::flat
