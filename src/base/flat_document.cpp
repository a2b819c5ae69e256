#include "base/flat_document.h"

#include <cstring>
#include <unordered_map>
#include <vector>

#include "base/seeded_hash.h"

namespace pipedex::flat {

// Little-endian 32-bit words throughout (the hosts the library builds for),
// every area aligned to 4 bytes.
struct Document::Record {
  std::uint32_t kind, name, value, parent, nextSibling, firstAttribute;
};

namespace {

constexpr char kMagic[4] = {'P', 'X', 'F', 'D'};
constexpr std::uint32_t kVersion = 1;

struct Header {
  char magic[4];
  std::uint32_t version, nodeCount, attributeCount, stringsSize;
};

struct AttributeRecord {
  std::uint32_t name, value;
};

// The strings of a document, each once: a 32-bit length, then its bytes.
class StringArea {
 public:
  StringArea() { Add(""); }
  std::uint32_t Add(std::string_view text) {
    if (auto it = offsets_.find(text); it != offsets_.end()) return it->second;
    if (text.size() > 0x7fffffffu || bytes_.size() > 0xffffffffu - 8 - text.size())
      throw std::length_error("a compiled document exceeds 4 GiB");
    const auto offset = static_cast<std::uint32_t>(bytes_.size());
    const auto length = static_cast<std::uint32_t>(text.size());
    bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes_.append(text);
    bytes_.append((4 - bytes_.size() % 4) % 4, '\0');
    offsets_.emplace(text, offset);
    return offset;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::unordered_map<std::string, std::uint32_t, hashing::StringHash, std::equal_to<>> offsets_;
};

template <typename T>
void AppendRaw(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The hash of a block: the process-independent key, so that the hashes a
// file stores hold in every process that reads it.
std::uint64_t BlockHash(std::string_view block) {
  hashing::Hasher hasher(hashing::Key{0x5049504544455821ull, 0x424c4f434b533031ull});
  hasher.Add(block);
  return hasher.Finish();
}

}  // namespace

std::string Blocks::HashesOf(std::string_view bytes) {
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += kSize) {
    const std::uint64_t hash = BlockHash(bytes.substr(at, kSize));
    out.append(reinterpret_cast<const char*>(&hash), sizeof hash);
  }
  return out;
}

Blocks::Blocks(std::string_view bytes, std::string_view hashes) : bytes_(bytes), hashes_(hashes) {
  const std::size_t blocks = (bytes.size() + kSize - 1) / kSize;
  if (hashes.size() != blocks * sizeof(std::uint64_t)) throw Corrupt("block hashes that do not fit the blocks");
  confirmed_.assign((blocks + 63) / 64, 0);
}

void Blocks::ConfirmEach(const char* at, std::size_t size) const {
  const auto start = reinterpret_cast<std::uintptr_t>(bytes_.data()), where = reinterpret_cast<std::uintptr_t>(at);
  const std::size_t offset = where - start;
  if (where < start || offset > bytes_.size() || size > bytes_.size() - offset)
    throw Corrupt("a read beyond the compiled bytes");
  if (hashes_.empty() || size == 0) return;
  for (std::size_t block = offset / kSize; block <= (offset + size - 1) / kSize; ++block) {
    std::uint64_t& word = confirmed_[block / 64];
    const std::uint64_t bit = std::uint64_t{1} << (block % 64);
    if (word & bit) continue;
    std::uint64_t stored;
    std::memcpy(&stored, hashes_.data() + block * sizeof stored, sizeof stored);
    if (BlockHash(bytes_.substr(block * kSize, kSize)) != stored) throw Corrupt("a block that differs from its hash");
    word |= bit;
  }
}

const char* Document::Read(std::size_t offset, std::size_t size) const {
  return ReadConfirmed(bytes_, blocks_, offset, size).data();
}

std::string Compile(pugi::xml_node top, const std::function<void(pugi::xml_node, NodeId)>& numbered) {
  std::vector<Document::Record> nodes;
  std::vector<AttributeRecord> attributes;
  StringArea strings;
  // Document order: each node's record is written on the way down; its next
  // sibling is filled in when the sibling is reached.
  std::vector<std::uint32_t> lastChildAt;  // per depth, the record of the last child seen, or kNoNode
  auto add = [&](pugi::xml_node node, std::uint32_t parent) {
    const auto id = static_cast<std::uint32_t>(nodes.size());
    if (numbered) numbered(node, id);
    nodes.push_back({static_cast<std::uint32_t>(node.type()), strings.Add(node.name()), strings.Add(node.value()),
                     parent, kNoNode, static_cast<std::uint32_t>(attributes.size())});
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
      attributes.push_back({strings.Add(a.name()), strings.Add(a.value())});
    return id;
  };
  add(top, kNoNode);
  struct Frame {
    pugi::xml_node node;
    std::uint32_t id, previousChild;
  };
  std::vector<Frame> stack{{top.first_child(), 0, kNoNode}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (!frame.node) {
      stack.pop_back();
      continue;
    }
    const pugi::xml_node node = frame.node;
    const std::uint32_t id = add(node, frame.id);
    if (frame.previousChild != kNoNode) nodes[frame.previousChild].nextSibling = id;
    frame.previousChild = id;
    frame.node = node.next_sibling();
    if (node.first_child()) stack.push_back({node.first_child(), id, kNoNode});
  }
  if (nodes.size() > kMaxNodes || attributes.size() >= kNoNode)
    throw std::length_error("a compiled document exceeds its node or attribute count");

  std::string out;
  const Header header{{kMagic[0], kMagic[1], kMagic[2], kMagic[3]},
                      kVersion,
                      static_cast<std::uint32_t>(nodes.size()),
                      static_cast<std::uint32_t>(attributes.size()),
                      static_cast<std::uint32_t>(strings.Bytes().size())};
  out.reserve(sizeof header + nodes.size() * sizeof(Document::Record) + attributes.size() * sizeof(AttributeRecord) +
              strings.Bytes().size());
  AppendRaw(out, header);
  for (const auto& record : nodes) AppendRaw(out, record);
  for (const auto& record : attributes) AppendRaw(out, record);
  out += strings.Bytes();
  return out;
}

Document::Document(std::string_view bytes, const Blocks* blocks) : bytes_(bytes), blocks_(blocks) {
  if (bytes.size() < sizeof(Header)) throw Corrupt("a compiled document is cut short");
  if (reinterpret_cast<std::uintptr_t>(bytes.data()) % alignof(Record) != 0)
    throw Corrupt("a compiled document at an address its records cannot be read from");
  Header header;
  std::memcpy(&header, Read(0, sizeof header), sizeof header);
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.version != kVersion)
    throw Corrupt("not a compiled document of this version");
  const std::uint64_t nodes = sizeof(Header);
  const std::uint64_t attributes = nodes + std::uint64_t{header.nodeCount} * sizeof(Record);
  const std::uint64_t strings = attributes + std::uint64_t{header.attributeCount} * sizeof(AttributeRecord);
  if (header.nodeCount == 0 || header.nodeCount > kMaxNodes || strings + header.stringsSize != bytes.size())
    throw Corrupt("a compiled document whose areas do not fill its bytes");
  nodeCount_ = header.nodeCount;
  attributeCount_ = header.attributeCount;
  nodes_ = static_cast<std::uint32_t>(nodes);
  attributes_ = static_cast<std::uint32_t>(attributes);
  strings_ = static_cast<std::uint32_t>(strings);
}

const Document::Record& Document::At(NodeId id) const {
  if (id >= nodeCount_) throw Corrupt("a node number beyond the compiled document");
  // The areas start at multiples of 4 and the bytes come from a mapping or a
  // std::string, both aligned at least as well as the 32-bit words.
  return *reinterpret_cast<const Record*>(Read(nodes_ + std::size_t{id} * sizeof(Record), sizeof(Record)));
}

std::string_view Document::String(std::uint32_t offset) const {
  const std::size_t area = bytes_.size() - strings_;
  if (offset > area || area - offset < 4) throw Corrupt("a text beyond the compiled document");
  std::uint32_t length;
  std::memcpy(&length, Read(strings_ + std::size_t{offset}, 4), 4);
  if (length > area - offset - 4) throw Corrupt("a text beyond the compiled document");
  return {Read(strings_ + std::size_t{offset} + 4, length), length};
}

pugi::xml_node_type Document::Kind(NodeId id) const {
  const std::uint32_t kind = At(id).kind;
  if (kind > pugi::node_doctype) throw Corrupt("a node of no known kind");
  return static_cast<pugi::xml_node_type>(kind);
}

std::string_view Document::Name(NodeId id) const { return String(At(id).name); }
std::string_view Document::Value(NodeId id) const { return String(At(id).value); }

NodeId Document::Parent(NodeId id) const {
  const NodeId parent = At(id).parent;
  // Parents come before their children, which keeps every walk up finite.
  if (parent != kNoNode && parent >= id) throw Corrupt("a node whose parent follows it");
  return parent;
}

NodeId Document::FirstChild(NodeId id) const {
  At(id);
  const NodeId next = id + 1;
  return next < nodeCount_ && At(next).parent == id ? next : kNoNode;
}

NodeId Document::NextSibling(NodeId id) const {
  const NodeId next = At(id).nextSibling;
  // Siblings follow each other, which keeps every walk along them finite.
  if (next != kNoNode && (next <= id || next >= nodeCount_ || At(next).parent != At(id).parent))
    throw Corrupt("a sibling out of document order");
  return next;
}

std::string_view Document::Attribute(NodeId id, std::string_view name, bool& found) const {
  const std::uint32_t first = At(id).firstAttribute;
  const std::uint32_t end = id + 1 < nodeCount_ ? At(id + 1).firstAttribute : attributeCount_;
  if (first > end || end > attributeCount_) throw Corrupt("attributes beyond the compiled document");
  for (std::uint32_t a = first; a < end; ++a) {
    AttributeRecord record;
    std::memcpy(&record, Read(attributes_ + std::size_t{a} * sizeof record, sizeof record), sizeof record);
    if (String(record.name) == name) {
      found = true;
      return String(record.value);
    }
  }
  found = false;
  return {};
}

}  // namespace pipedex::flat
