#pragma once

// A document compiled flat: its nodes in document order as records of fixed
// size, their names and texts in one string area, every reference an offset
// into the bytes. It is read in place (from a mapped file), so opening it
// costs nothing whatever its size, and only the records a question reaches
// are ever touched. Every reference is checked against the bytes before it
// is followed: bytes that are not a compiled document (cut short, changed,
// made up) raise flat::Corrupt, never read outside the bytes.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace pipedex::flat {

// The bytes are not a compiled document, or not the one their header describes.
struct Corrupt : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A node by its number in document order (0 is the document itself).
using NodeId = std::uint32_t;
inline constexpr NodeId kNoNode = 0xffffffffu;
// The most nodes a compiled document holds: a node's number fits in 27 bits,
// so that a handle packs it beside its document's address in one word.
inline constexpr NodeId kMaxNodes = NodeId{1} << 27;

// Told the number of each element a compile gives (see CompileInto).
class Numbering {
 public:
  // The number of an element, as it is compiled.
  virtual void Number(pugi::xml_node node, NodeId id) = 0;

 protected:
  ~Numbering() = default;
};

// The compiled form of a document (the node and its descendants when it is
// not a document node), appended to out as one block of bytes to be stored
// as it is; numbering, when given, is told the number of each element (the
// nodes a caller names; the others go by unasked).
// The block starts at out's end, which is to be a multiple of 4 bytes from
// out's start (where it will be read from an address aligned as well).
void CompileInto(std::string& out, pugi::xml_node top, Numbering* numbering = nullptr);
inline std::string Compile(pugi::xml_node top) {
  std::string out;
  CompileInto(out, top);
  return out;
}

// The hashes of the blocks of a compiled document, as a file stores them
// beside it: a block is hashed on its first read and compared with its hash,
// so that only the blocks a question reaches are ever read, and none is
// trusted unread.
class Blocks {
 public:
  static constexpr std::size_t kSize = 16384;
  // One 64-bit hash per block of bytes (the last block may be shorter).
  static std::string HashesOf(std::string_view bytes);

  // No hashes: every byte counts as confirmed.
  Blocks() = default;
  // The hashes of these bytes; both must outlive it. Raises Corrupt when
  // there is not one hash per block.
  Blocks(std::string_view bytes, std::string_view hashes);
  // Raises Corrupt when a block that the size bytes at `at` reach differs
  // from its hash, or when they are not all among the hashed bytes.
  void Confirm(const char* at, std::size_t size) const {
    // Most reads fall within one block confirmed before: a bit test.
    const std::size_t offset = reinterpret_cast<std::uintptr_t>(at) - reinterpret_cast<std::uintptr_t>(bytes_.data());
    const std::size_t block = offset / kSize;
    if (size != 0 && offset < bytes_.size() && size <= bytes_.size() - offset && block == (offset + size - 1) / kSize &&
        block / 64 < confirmed_.size() && (confirmed_[block / 64] >> (block % 64) & 1u))
      return;
    ConfirmEach(at, size);
  }

 private:
  void ConfirmEach(const char* at, std::size_t size) const;

  std::string_view bytes_, hashes_;
  mutable std::vector<std::uint64_t> confirmed_;  // a bit per block
};

// The size bytes at offset in bytes, each block they reach confirmed by
// blocks when given: what every read of a compiled form goes through. Raises
// Corrupt when they are not all within bytes, or a block differs from its hash.
inline std::string_view ReadConfirmed(std::string_view bytes, const Blocks* blocks, std::size_t offset,
                                      std::size_t size) {
  if (offset > bytes.size() || size > bytes.size() - offset) throw Corrupt("a read beyond compiled bytes");
  if (blocks) blocks->Confirm(bytes.data() + offset, size);
  return std::string_view(bytes.data() + offset, size);
}

// Aligned to a page, so that a handle to one of its nodes needs only the
// address's page number (model::Element packs it with the node's number).
class alignas(4096) Document {
 public:
  // No document: every node is kNoNode.
  Document() = default;
  // The document in these bytes, which must stay valid as long as it (and
  // blocks, which confirms each part before it is read, when given); raises
  // Corrupt when the header does not describe bytes of this size.
  explicit Document(std::string_view bytes, const Blocks* blocks = nullptr);

  // The number of nodes; node 0 is the top node the document was compiled from.
  std::uint32_t NodeCount() const { return nodeCount_; }

  // A node's kind (pugi::xml_node_type), name (for an element, namespace
  // prefix included) and value (for text, CDATA and the like).
  pugi::xml_node_type Kind(NodeId id) const;
  std::string_view Name(NodeId id) const;
  std::string_view Value(NodeId id) const;
  // The node that holds it, its first child and its next sibling, or kNoNode.
  NodeId Parent(NodeId id) const;
  NodeId FirstChild(NodeId id) const;
  NodeId NextSibling(NodeId id) const;
  // The value of the attribute named exactly `name`; found is false when the
  // node has no such attribute.
  std::string_view Attribute(NodeId id, std::string_view name, bool& found) const;

 private:
  friend void CompileInto(std::string& out, pugi::xml_node top, Numbering* numbering);
  struct Record;
  const Record& At(NodeId id) const;
  std::string_view String(std::uint32_t offset) const;
  // The bytes [offset, offset + size), confirmed.
  const char* Read(std::size_t offset, std::size_t size) const;

  std::string_view bytes_;
  const Blocks* blocks_ = nullptr;
  std::uint32_t nodeCount_ = 0, attributeCount_ = 0;
  std::uint32_t nodes_ = 0, attributes_ = 0, strings_ = 0;  // where each area starts
};

}  // namespace pipedex::flat
