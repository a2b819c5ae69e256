#include "base/flat_document.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "base/seeded_hash.h"
#include "base/xml_document.h"

namespace pipedex::flat {

namespace {

constexpr char kMagic[4] = {'P', 'X', 'F', 'D'};
constexpr std::uint32_t kVersion = 2;

struct Header {
  char magic[4];
  std::uint32_t version, nodeCount, attributeCount, stringsSize;
};

struct AttributeRecord {
  std::uint32_t name, value;
};

// Whether n bytes at a and b are the same: up to 16 by two loads each that may overlap.
bool SameBytes(const char* a, const char* b, std::size_t n) {
  auto same = [&](auto word, std::size_t at) {
    decltype(word) x, y;
    std::memcpy(&x, a + at, sizeof x);
    std::memcpy(&y, b + at, sizeof y);
    return x == y;
  };
  if (n > 16) return std::memcmp(a, b, n) == 0;
  if (n >= 8) return same(std::uint64_t{}, 0) && same(std::uint64_t{}, n - 8);
  if (n >= 4) return same(std::uint32_t{}, 0) && same(std::uint32_t{}, n - 4);
  for (std::size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// The strings of a document, each once: a 32-bit length, then its bytes,
// padded to 4. A string is filed by where it lies in the area, in a table of
// open addressing under a fast hash with the process's key, so that filing
// one copies nothing but its bytes into the area. The search for a string is
// bounded: one that finds neither itself nor a free slot within kProbes slots
// (strings crafted to collide would need that) is stored once more, so no
// document makes the compile slower than linear.
class StringArea {
 public:
  StringArea() : slots_(kFirstSlots, Slot{0, kEmpty}) { Append(""); }
  // Files a text, word `where` (of the records when inRecords, else of the
  // attributes) receiving where it is, some texts later: the table's slot for
  // it, then the bytes of the string that slot names, are fetched in the
  // meantime, so that the table's reads (most of them from memory, for a
  // large document) overlap with the compile instead of waiting in turn.
  void AddLater(std::string_view text, bool inRecords, std::size_t where) {
    if (text.empty()) return;  // the first string (the value of every element), which its word holds already
    Pending& pending = pending_[added_++ % kDelay];
    if (added_ > kDelay) Settle(pending);
    const std::uint32_t tag = Tag(text);
    __builtin_prefetch(&slots_[Home(tag)]);
    pending = {text, tag, inRecords, where};
    if (added_ > kDelay / 2) FetchBytes(pending_[(added_ - kDelay / 2 - 1) % kDelay]);
  }
  // Files the name of an element or attribute now and answers where it is.
  // Names are few, and the same in the same places one element after another
  // (the element's own, its first attribute's, its second's...): each place
  // remembers its last name, which most names then only need comparing with.
  std::uint32_t AddName(const char* name, std::size_t place) {
    std::uint32_t& last = lastNames_[place < kNamePlaces ? place : kNamePlaces - 1];
    if (IsName(last, name)) return last;
    const std::string_view text(name);
    last = Add(text, Tag(text));
    return last;
  }
  // Files every text AddLater was given, so far.
  void Finish() {
    for (std::size_t i = added_ > kDelay ? added_ - kDelay : 0; i < added_; ++i) Settle(pending_[i % kDelay]);
    added_ = 0;
  }
  // Where the offsets of AddLater go: the words of the records not yet
  // written, and the attributes' words.
  void Into(std::vector<std::uint32_t>* records, std::vector<std::uint32_t>* attributes) {
    records_ = records;
    attributes_ = attributes;
  }
  const std::string& Bytes() const { return bytes_; }
  // Room for the strings of a document of sourceSize bytes: for their bytes
  // (about a third of its text at most), and slots for twice as many as such
  // a document holds (a catalogue has about one distinct text in 140 bytes),
  // so that the table seldom grows, each time filing every string again.
  // Called before any is filed.
  void Reserve(std::size_t sourceSize) {
    bytes_.reserve(sourceSize / 16 * 5);
    if (sourceSize / 64 > slots_.size()) slots_.assign(sourceSize / 64, Slot{0, kEmpty});
  }

 private:
  struct Slot {
    std::uint32_t tag, offset;
  };
  static constexpr std::uint32_t kEmpty = 0xffffffffu;  // no string starts there
  static constexpr std::size_t kFirstSlots = 1024, kProbes = 128;

  std::uint32_t Tag(std::string_view text) const {
    const std::uint64_t hash = hashing::ShortHash(text, seed_);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
  }
  // The slot a tag's search starts at (the table has any number of slots),
  // and the slot after one, round to the first.
  std::size_t Home(std::uint32_t tag) const {
    return static_cast<std::size_t>((std::uint64_t{tag} * slots_.size()) >> 32);
  }
  std::size_t Next(std::size_t slot) const { return slot + 1 == slots_.size() ? 0 : slot + 1; }
  std::uint32_t Add(std::string_view text, std::uint32_t tag) {
    if (text.empty()) return 0;  // the first string (the value of every element)
    for (std::size_t i = Home(tag), probe = 0; probe < kProbes; ++probe, i = Next(i)) {
      const Slot slot = slots_[i];
      if (slot.offset == kEmpty) {
        const std::uint32_t offset = Append(text);
        slots_[i] = {tag, offset};
        if (++filed_ * 2 > slots_.size()) Grow();
        return offset;
      }
      if (slot.tag == tag && Holds(slot.offset, text)) return slot.offset;
    }
    return Append(text);
  }

  std::uint32_t Append(std::string_view text) {
    if (text.size() > 0x7fffffffu || bytes_.size() > 0xffffffffu - 8 - text.size())
      throw std::length_error("a compiled document exceeds 4 GiB");
    const auto offset = static_cast<std::uint32_t>(bytes_.size());
    const auto length = static_cast<std::uint32_t>(text.size());
    bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes_.append(text);
    bytes_.append((4 - bytes_.size() % 4) % 4, '\0');
    return offset;
  }
  // Whether the string at offset is text: most are a few bytes long, compared
  // here rather than in a call.
  bool Holds(std::uint32_t offset, std::string_view text) const {
    std::uint32_t length;
    std::memcpy(&length, bytes_.data() + offset, sizeof length);
    if (length != text.size()) return false;
    const char* stored = bytes_.data() + offset + sizeof length;
    return SameBytes(stored, text.data(), length);
  }
  // Whether the string at offset is the name (a text ended by a zero byte).
  bool IsName(std::uint32_t offset, const char* name) const {
    std::uint32_t length;
    std::memcpy(&length, bytes_.data() + offset, sizeof length);
    const char* stored = bytes_.data() + offset + sizeof length;
    for (std::size_t i = 0; i < length; ++i)
      if (stored[i] != name[i]) return false;  // a shorter name differs at its zero byte
    return name[length] == '\0';
  }
  // Four times the slots (fewer rounds of filing every string again), each
  // string filed again where its tag leads.
  void Grow() {
    std::vector<Slot> old(slots_.size() * 4, Slot{0, kEmpty});
    old.swap(slots_);
    filed_ = 0;
    for (const Slot& slot : old) {
      if (slot.offset == kEmpty) continue;
      for (std::size_t i = Home(slot.tag), probe = 0; probe < kProbes; ++probe, i = Next(i))
        if (slots_[i].offset == kEmpty) {
          slots_[i] = slot;
          ++filed_;
          break;
        }
    }
  }

  std::string bytes_;
  std::vector<Slot> slots_;
  struct Pending {
    std::string_view text;
    std::uint32_t tag;
    bool inRecords;
    std::size_t where;
  };
  static constexpr std::size_t kDelay = 32;  // texts met and not yet filed
  void Settle(const Pending& p) {
    const std::uint32_t offset = Add(p.text, p.tag);
    (p.inRecords ? *records_ : *attributes_)[p.where] = offset;
  }
  // The bytes of the string the first slot of a pending text names, when its tag is the text's.
  void FetchBytes(const Pending& p) const {
    const Slot slot = slots_[Home(p.tag)];
    if (slot.offset != kEmpty && slot.tag == p.tag) __builtin_prefetch(bytes_.data() + slot.offset);
  }
  static constexpr std::size_t kNamePlaces = 16;  // the element's name, then its attributes' (the last shared)
  std::uint32_t lastNames_[kNamePlaces] = {};  // each the empty string at first
  Pending pending_[kDelay] = {};
  std::size_t added_ = 0;
  std::vector<std::uint32_t>* records_ = nullptr;
  std::vector<std::uint32_t>* attributes_ = nullptr;
  std::size_t filed_ = 0;
  const std::uint64_t seed_ = hashing::ProcessKey().k0;
};

template <typename T>
void AppendRaw(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The hash of a block: a fixed seed, so that the hashes a file stores hold in
// every process that reads it. A fast hash is enough: it is to notice damage
// to a file the user owns, and whoever can write the file could write hashes
// that fit the bytes just as well.
std::uint64_t BlockHash(std::string_view block) { return hashing::FastHash(block, 0x5049504544455821ull); }

}  // namespace

std::string Blocks::HashesOf(std::string_view bytes) {
  std::string out;
  AppendHashesOf(bytes, out);
  return out;
}

void Blocks::AppendHashesOf(std::string_view bytes, std::string& out) {
  for (std::size_t at = 0; at < bytes.size(); at += kSize) {
    const std::uint64_t hash = BlockHash(bytes.substr(at, kSize));
    out.append(reinterpret_cast<const char*>(&hash), sizeof hash);
  }
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

CompiledTree CompileInto(Output& out, pugi::xml_node top, std::size_t sourceSize) {
  // The header (written over once the counts are known), then the records
  // of the nodes, gathered a window at a time and appended to out as each
  // window fills, then the attributes' records and the strings, gathered
  // apart. A large document's records are never held whole.
  static constexpr char kNoHeader[sizeof(Header)] = {};
  const std::uint64_t start = out.Size(), recordsAt = start + sizeof(Header);
  out.Append(std::string_view(kNoHeader, sizeof kNoHeader));
  constexpr std::size_t kWords = sizeof(Document::Record) / sizeof(std::uint32_t);
  constexpr std::size_t kValue = offsetof(Document::Record, value) / sizeof(std::uint32_t);
  constexpr std::size_t kNextSibling = offsetof(Document::Record, nextSibling) / sizeof(std::uint32_t);
  // The records gathered before they go to out together: enough that out
  // is called seldom, few enough that their pages are reused, not fresh.
  constexpr std::size_t kWindow = 4096 * kWords;
  std::vector<std::uint32_t> window, attributes;
  window.reserve(kWindow);
  std::uint32_t windowFirst = 0;  // the number of the window's first record
  CompiledTree tree;
  std::vector<std::uint32_t>& links = tree.links_;
  StringArea strings;
  // A large document's attributes, strings and links get room ahead (about
  // what its text's size leads to), so that they are seldom moved as they grow.
  if (sourceSize >= (std::size_t{4} << 20)) {
    attributes.reserve(sourceSize / 4 / sizeof(std::uint32_t));
    strings.Reserve(sourceSize);
    links.reserve(sourceSize / 48);
  }
  strings.Into(&window, &attributes);
  std::uint32_t nodeCount = 0;
  auto writeWindow = [&] {
    strings.Finish();  // every offset the window's records wait for
    out.Append({reinterpret_cast<const char*>(window.data()), window.size() * sizeof(std::uint32_t)});
    windowFirst += static_cast<std::uint32_t>(window.size() / kWords);
    window.clear();
  };
  // Document order: each node's record is made on the way down; its next
  // sibling is filled in when the sibling is reached, in the window or, for
  // a record written before, over its bytes in out. Its strings are filed a
  // little later, each offset written into its record when it is known. An
  // element whose one child is a text (most: <Operation>Branch</Operation>)
  // holds that text as its value, and the text is no node of its own.
  // Answers the node's first child that is compiled as a node.
  auto add = [&](pugi::xml_node node, std::uint32_t parent) {
    const std::uint32_t id = nodeCount;
    if (id == kMaxNodes) throw std::length_error("a compiled document exceeds its node count");
    ++nodeCount;
    const pugi::xml_node_type type = node.type();
    pugi::xml_node child = node.first_child();
    const char* value = node.value();
    if (type == pugi::node_element && child && xml::IsText(child.type()) && !child.next_sibling()) {
      value = child.value();
      child = pugi::xml_node();
    }
    if (window.size() == kWindow) writeWindow();
    const std::size_t at = window.size();
    const std::size_t firstAttribute = attributes.size() / 2;
    if (firstAttribute >= Document::kMaxAttributes)
      throw std::length_error("a compiled document exceeds its attribute count");
    window.insert(window.end(), {strings.AddName(node.name(), 0), 0, parent, kNoNode,
                                 static_cast<std::uint32_t>(type) << 28 | static_cast<std::uint32_t>(firstAttribute)});
    strings.AddLater(value, true, at + kValue);
    links.push_back(CompiledTree::kNoSibling);
    if (parent != kNoNode) links[parent] |= CompiledTree::kHasChild;
    std::size_t place = 1;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      attributes.push_back(strings.AddName(a.name(), place++));
      attributes.push_back(0);
      strings.AddLater(a.value(), false, attributes.size() - 1);
    }
    return child;
  };
  auto linkSibling = [&](std::uint32_t previous, std::uint32_t next) {
    links[previous] = (links[previous] & CompiledTree::kHasChild) | next;
    if (previous >= windowFirst) {
      window[(previous - windowFirst) * kWords + kNextSibling] = next;
    } else {
      const std::uint64_t at = recordsAt + std::uint64_t{previous} * sizeof(Document::Record);
      out.Overwrite(at + offsetof(Document::Record, nextSibling), {reinterpret_cast<const char*>(&next), sizeof next});
    }
  };
  // Each frame: the next child of a node to compile, the node's number and its previous child's.
  struct Frame {
    pugi::xml_node node;
    std::uint32_t id, previousChild;
  };
  std::vector<Frame> stack{{add(top, kNoNode), 0, kNoNode}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (!frame.node) {
      stack.pop_back();
      continue;
    }
    const pugi::xml_node node = frame.node;
    const std::uint32_t id = nodeCount;
    const pugi::xml_node child = add(node, frame.id);
    if (frame.previousChild != kNoNode) linkSibling(frame.previousChild, id);
    frame.previousChild = id;
    frame.node = node.next_sibling();
    if (child) stack.push_back({child, id, kNoNode});
  }
  writeWindow();
  if (attributes.size() / 2 >= Document::kMaxAttributes)
    throw std::length_error("a compiled document exceeds its attribute count");
  const Header header{{kMagic[0], kMagic[1], kMagic[2], kMagic[3]},
                      kVersion,
                      nodeCount,
                      static_cast<std::uint32_t>(attributes.size() / 2),
                      static_cast<std::uint32_t>(strings.Bytes().size())};
  out.Append({reinterpret_cast<const char*>(attributes.data()), attributes.size() * sizeof(std::uint32_t)});
  out.Append(strings.Bytes());
  out.Overwrite(start, {reinterpret_cast<const char*>(&header), sizeof header});
  return tree;
}

std::string Compile(pugi::xml_node top) {
  std::string bytes;
  StringOutput out(bytes);
  CompileInto(out, top);
  return bytes;
}

Document::Document(std::string_view bytes, const Blocks* blocks) : bytes_(bytes), blocks_(blocks) {
  if (blocks) base_ = blocks->OffsetOf(bytes);  // which the inline reads rely on
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

const Document::Record& Document::AtChecked(NodeId id) const {
  if (id >= nodeCount_) throw Corrupt("a node number beyond the compiled document");
  return *reinterpret_cast<const Record*>(Read(nodes_ + std::size_t{id} * sizeof(Record), sizeof(Record)));
}

std::string_view Document::StringChecked(std::uint32_t offset) const {
  const std::size_t area = bytes_.size() - strings_;
  if (offset > area || area - offset < 4) throw Corrupt("a text beyond the compiled document");
  std::uint32_t length;
  std::memcpy(&length, Read(strings_ + std::size_t{offset}, 4), 4);
  if (length > area - offset - 4) throw Corrupt("a text beyond the compiled document");
  return {Read(strings_ + std::size_t{offset} + 4, length), length};
}

std::string_view Document::ElementAttribute(NodeId id, std::string_view name, bool& found) const {
  const Record& record = At(id);
  if (record.Kind() > pugi::node_doctype) throw Corrupt("a node of no known kind");
  if (record.Kind() != pugi::node_element) {
    found = false;
    return {};
  }
  return AttributeOf(id, record, name, found);
}

std::string_view Document::AttributeOf(NodeId id, const Record& node, std::string_view name, bool& found) const {
  const std::uint32_t first = node.FirstAttribute();
  const std::uint32_t end = id + 1 < nodeCount_ ? At(id + 1).FirstAttribute() : attributeCount_;
  if (first > end || end > attributeCount_) throw Corrupt("attributes beyond the compiled document");
  // The node's attribute records confirmed at once, then read in place.
  const std::size_t offset = attributes_ + std::size_t{first} * sizeof(AttributeRecord);
  const std::size_t size = std::size_t{end - first} * sizeof(AttributeRecord);
  const char* records = Ready(bytes_.data() + offset, size) ? bytes_.data() + offset : Read(offset, size);
  for (std::uint32_t a = 0; a < end - first; ++a) {
    AttributeRecord record;
    std::memcpy(&record, records + std::size_t{a} * sizeof record, sizeof record);
    if (StringIs(record.name, name)) {
      found = true;
      return String(record.value);
    }
  }
  found = false;
  return {};
}

}  // namespace pipedex::flat
