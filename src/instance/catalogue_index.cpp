// The compiled index of a loaded catalogue: written after a load from the
// files, and opened instead of them by a later instance while every file it
// was built from is unchanged. An instance answering from the index loads
// the files after all, on the first question the index cannot answer, and
// from then on is an instance loaded as always.

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "base/flat_table.h"
#include "base/format.h"
#include "base/huge_pages.h"
#include "base/seeded_hash.h"
#include "cache/index_file.h"
#include "cache/settings.h"
#include "instance/pipedex_impl.h"

namespace pipedex {
namespace {

// The version of the library and of the payload's layout: an index written
// by another build of either is never read.
constexpr const char* kIndexVersion = PIPEDEX_VERSION "/catalogue-5";

// The payload: a directory of sections (where each starts and how long it
// is, from the start of the payload), then the sections, each at a multiple of 8.
enum Section : std::uint32_t {
  kDocument,
  kSKEYTags,
  kCptTypeTags,
  kDefaultEndPrepTags,
  kPlotraPieces,
  kDefaultElbows,
  kSectionCount
};
struct Directory {
  char magic[8];
  std::uint32_t offset[kSectionCount], size[kSectionCount];
  flat::NodeId cptSection, skeySection, pcfidfSection, plotraAttSection, dataRoot;
};

constexpr char kPayloadMagic[8] = {'C', 'A', 'T', 'A', 'L', 'O', 'G', '1'};

std::string LocaleChoice(const LocaleNames& locale) { return locale.language + "_" + locale.country; }

// The default elbows: for each, its angle (a double), the length of its
// component type's name (32 bits) and the name, padded to a multiple of 8.
std::string CompileElbows(const std::vector<model::DefaultElbow>& elbows) {
  std::string out;
  for (const model::DefaultElbow& elbow : elbows) {
    const double angle = elbow.Angle();
    const auto length = static_cast<std::uint32_t>(elbow.ComponentType().size());
    out.append(reinterpret_cast<const char*>(&angle), sizeof angle);
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out += elbow.ComponentType();
    out.append((8 - out.size() % 8) % 8, '\0');
  }
  return out;
}

// The node numbers of the elements the compiled lists and sections name, by
// the address of their node: open addressing in a table at most half full,
// under a multiplicative hash of the address (which no file chooses). The
// compile tells the numbers of the children of these elements' parents alone
// (sections and groups, far fewer than the elements), and most of those
// children are wanted.
// The table is far larger than the cache for a large catalogue, so each
// element is looked up some elements after it was told, its slot fetched in
// the meantime.
class NodeNumbers final : public flat::Numbering {
 public:
  explicit NodeNumbers(std::size_t wanted) {
    std::size_t size = 64;
    while (size < wanted * 2) size *= 2;
    memory::AssignPreferringHugePages(slots_, size, Slot{nullptr, flat::kNoNode});
    shift_ = 64 - std::countr_zero(size);
  }
  // Files each of these elements (empty ones aside), their number not known
  // yet; their slots, and their nodes (for their parents), are fetched some
  // elements ahead.
  void WantEach(const std::vector<pugi::xml_node>& nodes) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (i + kAhead < nodes.size()) {
        const void* ahead = nodes[i + kAhead].internal_object();
        Fetch(ahead);
        __builtin_prefetch(ahead);
      }
      if (nodes[i]) Want(nodes[i]);
    }
  }
  // Files an element, its number not known yet, and its parent (the
  // children of which the compile then numbers).
  void Want(pugi::xml_node node) {
    const void* element = node.internal_object();
    Slot& slot = At(element);
    if (!slot.node) ++filed_;
    slot.node = element;
    if (const void* parent = node.parent().internal_object(); parent != lastParent_) {
      parents_.push_back(parent);
      lastParent_ = parent;
    }
  }
  // Whether a node is the parent of an element filed.
  bool NumbersChildrenOf(pugi::xml_node node) override {
    if (parentSlots_.empty()) FileParents();
    const void* wanted = node.internal_object();
    const std::size_t bit = HomeOf(wanted, parentShift_ - 3);
    if (!(parentFilter_[bit / 64] >> (bit % 64) & 1)) return false;  // most nodes, without reading the table
    for (std::size_t i = HomeOf(wanted, parentShift_);; i = (i + 1) & (parentSlots_.size() - 1)) {
      if (parentSlots_[i] == wanted) return true;
      if (!parentSlots_[i]) return false;
    }
  }
  // Gives an element filed its number, once its turn comes; nothing for another element.
  void Number(pugi::xml_node element, flat::NodeId id) override {
    const void* node = element.internal_object();
    Fetch(node);
    Told& told = told_[toldCount_++ % kDelay];
    if (toldCount_ > kDelay) Settle(told);
    told = {node, id};
  }
  // The number of an element filed, else kNoNode.
  flat::NodeId Of(pugi::xml_node node) {
    SettleAll();
    return node ? At(node.internal_object()).id : flat::kNoNode;
  }
  // The number of each element filed, else kNoNode, their slots fetched some elements ahead.
  std::vector<flat::NodeId> OfEach(const std::vector<pugi::xml_node>& nodes) {
    SettleAll();
    std::vector<flat::NodeId> ids(nodes.size(), flat::kNoNode);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (i + kAhead < nodes.size()) Fetch(nodes[i + kAhead].internal_object());
      if (nodes[i]) ids[i] = At(nodes[i].internal_object()).id;
    }
    return ids;
  }
  // Whether every element filed was given its number.
  bool AllNumbered() {
    SettleAll();
    return numbered_ == filed_;
  }

 private:
  struct Slot {
    const void* node;
    flat::NodeId id;
  };
  struct Told {
    const void* node;
    flat::NodeId id;
  };
  static constexpr std::size_t kDelay = 16;  // elements told and not yet looked up
  static constexpr std::size_t kAhead = 16;  // how far ahead a run of elements has its slots fetched

  void Fetch(const void* node) const { __builtin_prefetch(&slots_[Home(node)]); }
  void Settle(const Told& told) {
    if (Slot& slot = At(told.node); slot.node) {
      if (slot.id == flat::kNoNode) ++numbered_;
      slot.id = told.id;
    }
  }
  void SettleAll() {
    for (std::size_t i = toldCount_ > kDelay ? toldCount_ - kDelay : 0; i < toldCount_; ++i) Settle(told_[i % kDelay]);
    toldCount_ = 0;
  }
  // The parents of the elements filed, in a table of their own at most half
  // full, and in front of it a filter of 8 bits a slot (an eighth of its
  // size, read for every node with children; one other node in 16 passes).
  void FileParents() {
    std::size_t size = 64;
    while (size < parents_.size() * 2) size *= 2;
    parentSlots_.assign(size, nullptr);
    parentFilter_.assign(size * 8 / 64, 0);
    parentShift_ = 64 - std::countr_zero(size);
    for (const void* parent : parents_) {
      std::size_t i = HomeOf(parent, parentShift_);
      while (parentSlots_[i] && parentSlots_[i] != parent) i = (i + 1) & (size - 1);
      parentSlots_[i] = parent;
      const std::size_t bit = HomeOf(parent, parentShift_ - 3);
      parentFilter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  // Where a node lies among 2^(64 - shift) places (a multiplicative hash of its address).
  static std::size_t HomeOf(const void* node, int shift) {
    return (reinterpret_cast<std::uintptr_t>(node) * 0x9E3779B97F4A7C15ull) >> shift;
  }
  std::size_t Home(const void* node) const { return HomeOf(node, shift_); }
  // Where a node is filed, else the free slot where it would be.
  Slot& At(const void* node) {
    std::size_t i = Home(node);
    while (slots_[i].node && slots_[i].node != node) i = (i + 1) & (slots_.size() - 1);
    return slots_[i];
  }

  std::vector<Slot> slots_;
  int shift_ = 0;
  std::size_t filed_ = 0, numbered_ = 0;  // elements filed, and how many of them have their number
  std::vector<const void*> parents_;      // their parents (the same one seldom twice)
  const void* lastParent_ = nullptr;
  std::vector<const void*> parentSlots_;
  std::vector<std::uint64_t> parentFilter_;
  int parentShift_ = 0;
  Told told_[kDelay] = {};
  std::size_t toldCount_ = 0;
};

}  // namespace

std::vector<model::DefaultElbow> Pipedex::Impl::ReadCompiledElbows() const {
  std::vector<model::DefaultElbow> elbows;
  std::size_t at = 0;
  while (at < CompiledElbows.size()) {
    double angle;
    std::uint32_t length;
    std::memcpy(&angle, flat::ReadConfirmed(CompiledElbows, &Index->Blocks(), at, sizeof angle).data(), sizeof angle);
    std::memcpy(&length, flat::ReadConfirmed(CompiledElbows, &Index->Blocks(), at + 8, sizeof length).data(),
                sizeof length);
    elbows.emplace_back(std::string(flat::ReadConfirmed(CompiledElbows, &Index->Blocks(), at + 12, length)), angle);
    at = (at + 12 + length + 7) / 8 * 8;
  }
  return elbows;
}

cache::Stamp Pipedex::Impl::IndexStamp(bool hashContent, std::uint64_t systemHash) const {
  cache::Stamp stamp;
  stamp.libraryVersion = kIndexVersion;
  const LocaleNames locale = platform->ThreadLocale();
  stamp.choices = LocaleChoice(locale);
  std::vector<std::string> paths{SystemPath, ProjectBesideSystemFile()};
  for (const std::string& variant : LanguageVariantPaths(SystemPath, locale))
    if (std::find(paths.begin(), paths.end(), variant) == paths.end()) paths.push_back(variant);
  for (const std::string& path : paths) {
    // The system file's hash, when given, is that of the bytes its load read.
    const bool known = systemHash != 0 && path == SystemPath;
    cache::InputFile& input = stamp.inputs.emplace_back(cache::Describe(path, hashContent && !known));
    if (hashContent && known && input.exists) input.contentHash = systemHash;
  }
  return stamp;
}

std::string Pipedex::Impl::IndexPath() const {
  const std::string folder = platform->IndexFolder();
  if (folder.empty()) return "";
  const std::string key = SystemPath + '\n' + LocaleChoice(platform->ThreadLocale());
  hashing::Hasher hasher(hashing::Key{0x5049504544455850ull, 0x4154485330303031ull});
  hasher.Add(key);
  char name[24];
  std::snprintf(name, sizeof name, "%016llx.pxi", static_cast<unsigned long long>(hasher.Finish()));
  return folder + "/" + name;
}

bool Pipedex::Impl::OpenIndex() {
  const std::string path = IndexPath();
  if (path.empty()) return false;
  cache::Refusal refusal;
  std::unique_ptr<cache::MappedIndex> index =
      cache::MappedIndex::Open(path, IndexStamp(false), cache::FromEnvironment().verifyContent, refusal);
  if (!index) return false;
  LeaveIndex();  // nothing of an earlier load stays beside what the index answers
  try {
    const std::string_view payload = index->Payload();
    const flat::Blocks* blocks = &index->Blocks();
    Directory directory;
    std::memcpy(&directory, flat::ReadConfirmed(payload, blocks, 0, sizeof directory).data(), sizeof directory);
    if (std::memcmp(directory.magic, kPayloadMagic, sizeof kPayloadMagic) != 0) return false;
    auto section = [&](Section s) {
      if (directory.offset[s] > payload.size() || directory.size[s] > payload.size() - directory.offset[s] ||
          directory.offset[s] % 8 != 0)
        throw flat::Corrupt("a section beyond the payload");
      return payload.substr(directory.offset[s], directory.size[s]);
    };
    auto document = std::make_unique<flat::Document>(section(kDocument), blocks);
    PlotraPieces = flat::Table(section(kPlotraPieces), blocks);
    CompiledElbows = section(kDefaultElbows);
    PlotraCompiled = true;
    SKEYTags.UseCompiled(flat::Table(section(kSKEYTags), blocks), *document);
    CptTypeTags.UseCompiled(flat::Table(section(kCptTypeTags), blocks), *document);
    DefaultEndPrepTags.UseCompiled(flat::Table(section(kDefaultEndPrepTags), blocks), *document);
    CptSection = model::Element(*document, directory.cptSection);
    SKEYSection = model::Element(*document, directory.skeySection);
    PCFIDFSection = model::Element(*document, directory.pcfidfSection);
    PlotraAttSection = model::Element(*document, directory.plotraAttSection);
    IndexRoot = model::Element(*document, directory.dataRoot);
    if (!IndexRoot) throw flat::Corrupt("an index without its data root");
    IndexDocument = std::move(document);
  } catch (const flat::Corrupt&) {
    LeaveIndex();
    return false;
  }
  Index = std::move(index);
  ListsBuilt = true;
  Initialised = true;
  FromIndex = true;
  AttMapPending = true;
  IDFIndexPending = true;
  ElbowsPending = true;
  NodesHandedOut = false;
  return true;
}

void Pipedex::Impl::LeaveIndex() {
  static_cast<model::Catalogue&>(*this) = model::Catalogue();
  static_cast<model::SearchResults&>(*this) = model::SearchResults();
  IndexDocument.reset();
  Index.reset();
  FromIndex = false;
  AttMapPending = false;
  IDFIndexPending = false;
  ElbowsPending = false;
  CompiledElbows = {};
  IndexRoot = {};
  Initialised = false;
}

bool Pipedex::Impl::WriteIndex() try {
  const std::string path = IndexPath();
  if (path.empty() || !SystemDoc) return false;
  cache::Refusal refusal;
  if (cache::MappedIndex::Open(path, FilesBeforeLoad, false, refusal)) return true;  // a valid one is there already
  const cache::Stamp stamp = IndexStamp(true, SystemContentHash);
  // A file that changed while the load read it may have been read half old,
  // half new: no index records that.
  if (!cache::SameFiles(stamp, FilesBeforeLoad)) return false;
  const std::initializer_list<const model::TagList*> lists = {&SKEYTags, &CptTypeTags, &DefaultEndPrepTags};
  const std::initializer_list<model::Element> sections = {CptSection, SKEYSection, PCFIDFSection, PlotraAttSection,
                                                          model::Element(DataRoot)};
  std::size_t wanted = sections.size();
  for (const model::TagList* list : lists) wanted += static_cast<std::size_t>(list->Count());
  NodeNumbers numbers(wanted);
  for (const model::Element& e : sections)
    if (e.Xml()) numbers.Want(e.Xml());
  std::vector<std::vector<pugi::xml_node>> listNodes;  // each list's elements, in order
  for (const model::TagList* list : lists) {
    std::vector<pugi::xml_node>& nodes = listNodes.emplace_back();
    nodes.reserve(static_cast<std::size_t>(list->Count()));
    list->ForEach([&nodes](pugi::xml_node node) { nodes.push_back(node); });
    numbers.WantEach(nodes);
  }
  // Room for about as much as the system file holds: its compiled form is
  // written into the payload where it is compiled, and none of it moves on the
  // way while it fits (the pages reserved and never written cost nothing).
  // The payload starts at a page boundary of memory, where the index file
  // can take it from without a copy (that is all it is aligned for).
  constexpr std::size_t kPage = 4096;
  std::string payload;
  payload.reserve(kPage + stamp.inputs.front().size + stamp.inputs.front().size / 4 + (std::size_t{1} << 16));
  memory::PreferHugePages(payload.data(), payload.capacity());
  const std::size_t base = (kPage - reinterpret_cast<std::uintptr_t>(payload.data()) % kPage) % kPage;
  payload.assign(base + sizeof(Directory), '\0');
  Directory directory{};
  std::memcpy(directory.magic, kPayloadMagic, sizeof kPayloadMagic);
  // Each section starts at a multiple of 8 and is compiled, or copied, to the payload's end.
  auto add = [&](Section s, auto&& append) {
    payload.resize(base + (payload.size() - base + 7) / 8 * 8, '\0');
    directory.offset[s] = static_cast<std::uint32_t>(payload.size() - base);
    append();
    directory.size[s] = static_cast<std::uint32_t>(payload.size() - base - directory.offset[s]);
  };
  add(kDocument, [&] {
    flat::CompileInto(payload, *SystemDoc, &numbers);
  });
  auto number = [&](pugi::xml_node node) { return numbers.Of(node); };
  add(kSKEYTags, [&] { payload += SKEYTags.Compile(numbers.OfEach(listNodes[0])); });
  add(kCptTypeTags, [&] { payload += CptTypeTags.Compile(numbers.OfEach(listNodes[1])); });
  add(kDefaultEndPrepTags, [&] { payload += DefaultEndPrepTags.Compile(numbers.OfEach(listNodes[2])); });
  const std::string pieces = model::TokenIndex::CompilePieces(PlotraEndPreps);
  if (pieces.empty()) return false;  // Plotra end preparations too long to be indexed: answered from the files
  add(kPlotraPieces, [&] { payload += pieces; });
  add(kDefaultElbows, [&] { payload += CompileElbows(DefaultElbows); });
  directory.cptSection = number(CptSection.Xml());
  directory.skeySection = number(SKEYSection.Xml());
  directory.pcfidfSection = number(PCFIDFSection.Xml());
  directory.plotraAttSection = number(PlotraAttSection.Xml());
  directory.dataRoot = number(DataRoot);
  // An element the lists name that is not in the document (none should be)
  // could not be answered from the index; nor can offsets of 32 bits reach
  // past 4 GiB. Such a catalogue is answered from its files.
  if (!numbers.AllNumbered() || payload.size() - base > 0xffffffffu) return false;
  std::memcpy(payload.data() + base, &directory, sizeof directory);
  return cache::WriteIndex(path, stamp, std::string_view(payload).substr(base));
} catch (...) {
  // Not even running out of memory fails the load that succeeded: the index is only an aid.
  return false;
}

}  // namespace pipedex
