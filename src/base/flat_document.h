#pragma once

// A document compiled flat: its nodes in document order as records of fixed
// size, their names and texts in one string area, every reference an offset
// into the bytes. It is read in place (from a mapped file), so opening it
// costs nothing whatever its size, and only the records a question reaches
// are ever touched. Every reference is checked against the bytes before it
// is followed: bytes that are not a compiled document (cut short, changed,
// made up) raise flat::Corrupt, never read outside the bytes.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/flat_output.h"

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

// The tree of a compiled document: each node's next sibling and whether it
// has a first child (the node after it), kept by the compile beside the
// records it writes, for its caller to walk while the records are on their
// way to a file. A number beyond the nodes has no first child and no next
// sibling.
class CompiledTree {
 public:
  NodeId FirstChild(NodeId id) const {
    return id < links_.size() && (links_[id] & kHasChild) ? id + 1 : kNoNode;
  }
  NodeId NextSibling(NodeId id) const {
    return id < links_.size() && (links_[id] & kNoSibling) != kNoSibling ? links_[id] & kNoSibling : kNoNode;
  }

 private:
  friend CompiledTree CompileInto(Output& out, pugi::xml_node top, std::size_t sourceSize);
  static constexpr std::uint32_t kHasChild = 0x80000000u, kNoSibling = 0x7fffffffu;
  std::vector<std::uint32_t> links_;  // each node's next sibling (or kNoSibling), with kHasChild
};

// The compiled form of a document (the node and its descendants when it is
// not a document node): its header and its nodes' records, then its
// attributes' records, then its strings, appended to out from its end,
// which is to be a multiple of 4 bytes from where the bytes will be read (an
// address aligned as well). Its nodes are numbered in document order, as the
// document's children are walked, from 0 for the top node. An element whose
// one child is a text holds that text as its value, and the text is no node.
// sourceSize, the bytes of the document's text when known, sizes the room
// of what the compile gathers. Answers the tree of the nodes.
CompiledTree CompileInto(Output& out, pugi::xml_node top, std::size_t sourceSize = 0);
// The compiled form of a document as one string.
std::string Compile(pugi::xml_node top);

// The hashes of the blocks of a compiled document, as a file stores them
// beside it: a block is hashed on its first read and compared with its hash,
// so that only the blocks a question reaches are ever read, and none is
// trusted unread.
class Blocks {
 public:
  // A page: a question that reads a few bytes of a block reads, and hashes,
  // no page it would not have read anyway.
  static constexpr std::size_t kSize = 4096;
  // One 64-bit hash per block of bytes (the last block may be shorter).
  static std::string HashesOf(std::string_view bytes);
  // The same appended to out (which allocates nothing when out has room).
  static void AppendHashesOf(std::string_view bytes, std::string& out);

  // No hashes: every byte counts as confirmed.
  Blocks() = default;
  // The hashes of these bytes; both must outlive it. Raises Corrupt when
  // there is not one hash per block.
  Blocks(std::string_view bytes, std::string_view hashes);
  // Raises Corrupt when a block that the size bytes at `at` reach differs
  // from its hash, or when they are not all among the hashed bytes.
  void Confirm(const char* at, std::size_t size) const {
    if (!Confirmed(at, size)) ConfirmEach(at, size);
  }
  // Whether the size bytes at `at` are among the bytes and need no hash
  // compared: all within one block confirmed before (most reads), or none.
  // A read it answers true for is one Confirm lets through without a change.
  bool Confirmed(const char* at, std::size_t size) const {
    const std::size_t offset = reinterpret_cast<std::uintptr_t>(at) - reinterpret_cast<std::uintptr_t>(bytes_.data());
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    if (size == 0 || hashes_.empty()) return true;
    const std::size_t block = offset / kSize;
    return block == (offset + size - 1) / kSize && (confirmed_[block / 64] >> (block % 64) & 1u);
  }
  // The same for bytes known to lie among the bytes, by their offset: the test
  // of the reads of a compiled document, which checks that its bytes do.
  bool ConfirmedAt(std::size_t offset, std::size_t size) const {
    if (size == 0 || hashes_.empty()) return true;
    const std::size_t block = offset / kSize;
    return block == (offset + size - 1) / kSize && (confirmed_[block / 64] >> (block % 64) & 1u);
  }
  // Where part (a compiled form read through these blocks) starts among the
  // bytes; raises Corrupt when it does not lie among them.
  std::size_t OffsetOf(std::string_view part) const {
    const auto start = reinterpret_cast<std::uintptr_t>(bytes_.data()), at = reinterpret_cast<std::uintptr_t>(part.data());
    if (at < start || at - start > bytes_.size() || part.size() > bytes_.size() - (at - start))
      throw Corrupt("a compiled form beyond its hashed bytes");
    return at - start;
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
  // prefix included) and value (for text, CDATA and the like; for an
  // element, the text of its one child when that is a text, which is then
  // not a node of its own, else empty).
  pugi::xml_node_type Kind(NodeId id) const {
    const std::uint32_t kind = At(id).Kind();
    if (kind > pugi::node_doctype) throw Corrupt("a node of no known kind");
    return static_cast<pugi::xml_node_type>(kind);
  }
  std::string_view Name(NodeId id) const { return String(At(id).name); }
  std::string_view Value(NodeId id) const { return String(At(id).value); }
  // Whether its name is exactly `name`.
  bool NameIs(NodeId id, std::string_view name) const { return StringIs(At(id).name, name); }
  // The node that holds it, its first child and its next sibling, or kNoNode.
  NodeId Parent(NodeId id) const {
    const NodeId parent = At(id).parent;
    // Parents come before their children, which keeps every walk up finite.
    if (parent != kNoNode && parent >= id) throw Corrupt("a node whose parent follows it");
    return parent;
  }
  NodeId FirstChild(NodeId id) const {
    At(id);
    const NodeId next = id + 1;
    return next < nodeCount_ && At(next).parent == id ? next : kNoNode;
  }
  NodeId NextSibling(NodeId id) const { return NextAfter(id, At(id)); }
  // The first child element of a node named exactly `name`, or kNoNode.
  NodeId ChildElement(NodeId id, std::string_view name) const {
    for (NodeId c = FirstChild(id); c != kNoNode;) {
      const Record& record = At(c);
      if (record.Kind() > pugi::node_doctype) throw Corrupt("a node of no known kind");
      if (record.Kind() == pugi::node_element && StringIs(record.name, name)) return c;
      c = NextAfter(c, record);
    }
    return kNoNode;
  }
  // Calls f(child, isElement) for each child of a node in document order
  // while f answers true: each child's record is read once on the way.
  template <typename F>
  void ForEachChild(NodeId id, F&& f) const {
    for (NodeId c = FirstChild(id); c != kNoNode;) {
      const Record& record = At(c);
      if (record.Kind() > pugi::node_doctype) throw Corrupt("a node of no known kind");
      if (!f(c, record.Kind() == pugi::node_element)) return;
      c = NextAfter(c, record);
    }
  }
  // The value of an element's attribute named exactly `name`; found is false
  // when it has no such attribute, or is a node of another kind.
  std::string_view ElementAttribute(NodeId id, std::string_view name, bool& found) const;

 private:
  friend CompiledTree CompileInto(Output& out, pugi::xml_node top, std::size_t sourceSize);
  // Little-endian 32-bit words throughout (the hosts the library builds for),
  // every area aligned to 4 bytes.
  struct Record {
    std::uint32_t name, value, parent, nextSibling;
    std::uint32_t kindAndFirstAttribute;  // the kind in the top 4 bits, the number of its first attribute below
    std::uint32_t Kind() const { return kindAndFirstAttribute >> 28; }
    std::uint32_t FirstAttribute() const { return kindAndFirstAttribute & (kMaxAttributes - 1); }
  };
  static constexpr std::uint32_t kMaxAttributes = std::uint32_t{1} << 28;
  // The record of a node, its bytes confirmed. The usual read (a node whose
  // block was confirmed before) is inline; any other goes through AtChecked.
  const Record& At(NodeId id) const {
    if (id < nodeCount_) {
      // The areas start at multiples of 4 and the bytes come from a mapping or a
      // std::string, both aligned at least as well as the 32-bit words.
      const char* at = bytes_.data() + nodes_ + std::size_t{id} * sizeof(Record);
      if (Ready(at, sizeof(Record))) return *reinterpret_cast<const Record*>(at);
    }
    return AtChecked(id);
  }
  const Record& AtChecked(NodeId id) const;
  // The attribute named `name` of node id, whose record is given.
  std::string_view AttributeOf(NodeId id, const Record& node, std::string_view name, bool& found) const;
  // The next sibling of node id, whose record is given.
  NodeId NextAfter(NodeId id, const Record& record) const {
    const NodeId next = record.nextSibling;
    // Siblings follow each other, which keeps every walk along them finite.
    if (next != kNoNode && (next <= id || next >= nodeCount_ || At(next).parent != record.parent))
      throw Corrupt("a sibling out of document order");
    return next;
  }
  // The text at offset in the string area: its length, then its bytes.
  std::string_view String(std::uint32_t offset) const {
    std::uint32_t length;
    const char* text = TextAt(offset, length);
    if (text && Ready(text, length)) return {text, length};
    return StringChecked(offset);
  }
  std::string_view StringChecked(std::uint32_t offset) const;
  // Whether the text at offset is s: its bytes are read only when its length is s's.
  bool StringIs(std::uint32_t offset, std::string_view s) const {
    std::uint32_t length;
    if (const char* text = TextAt(offset, length)) {
      if (length != s.size()) return false;
      if (Ready(text, length)) return length == 0 || std::memcmp(text, s.data(), length) == 0;
    }
    return StringChecked(offset) == s;
  }
  // The bytes of the text at offset, with its length, when its length lies
  // in a confirmed block and the text within the string area; else null (the
  // caller then takes the checked path).
  const char* TextAt(std::uint32_t offset, std::uint32_t& length) const {
    const std::size_t area = bytes_.size() - strings_;
    if (offset > area || area - offset < 4) return nullptr;
    const char* at = bytes_.data() + strings_ + offset;
    if (!Ready(at, 4)) return nullptr;
    std::memcpy(&length, at, 4);
    return length <= area - offset - 4 ? at + 4 : nullptr;
  }
  // The bytes [offset, offset + size), confirmed.
  const char* Read(std::size_t offset, std::size_t size) const;
  // Whether the size bytes at `at`, known to be among the document's, can be
  // read as they are: no blocks, or all in one block confirmed before.
  bool Ready(const char* at, std::size_t size) const {
    return !blocks_ || blocks_->ConfirmedAt(base_ + static_cast<std::size_t>(at - bytes_.data()), size);
  }

  std::string_view bytes_;
  const Blocks* blocks_ = nullptr;
  std::size_t base_ = 0;  // where the bytes start among the blocks' bytes
  std::uint32_t nodeCount_ = 0, attributeCount_ = 0;
  std::uint32_t nodes_ = 0, attributes_ = 0, strings_ = 0;  // where each area starts
};

}  // namespace pipedex::flat
