// The compiled index of a loaded catalogue: written after a load from the
// files, and opened instead of them by a later instance while every file it
// was built from is unchanged. An instance answering from the index loads
// the files after all, on the first question the index cannot answer, and
// from then on is an instance loaded as always.

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "base/flat_table.h"
#include "base/format.h"
#include "base/seeded_hash.h"
#include "cache/index_file.h"
#include "cache/settings.h"
#include "instance/pipedex_impl.h"

namespace pipedex {
namespace {

// The version of the library and of the payload's layout: an index written
// by another build of either is never read.
constexpr const char* kIndexVersion = PIPEDEX_VERSION "/catalogue-6";

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

// The numbers the compile gave the elements the lists and sections name. An
// element's number is found among its parent's children, walked in the
// document and in its compiled form side by side: the two hold the same
// children in the same order (only an element whose one child is a text
// holds it as its own, and such an element has no element children). The
// lists name their elements in document order, so each walk goes on from
// where the last one among the same parent's children stopped; the children
// of a parent whose elements come out of order are filed by node once, so
// that no order makes the walks longer than the children.
class NodeNumbers {
 public:
  NodeNumbers(pugi::xml_node top, flat::CompiledTree compiled) : top_(top), compiled_(std::move(compiled)) {}
  // The number of an element of the compiled document, else kNoNode.
  flat::NodeId Of(pugi::xml_node node) {
    if (!node) return flat::kNoNode;
    if (node == top_) return 0;
    const pugi::xml_node parent = node.parent();
    if (!parent) return flat::kNoNode;  // not in the compiled document
    Walk& walk = WalkAmong(parent);
    if (walk.first == flat::kNoNode) return flat::kNoNode;
    if (!walk.filed) {
      for (pugi::xml_node child = walk.child; child && walk.id != flat::kNoNode; child = child.next_sibling()) {
        const flat::NodeId id = walk.id;
        walk.id = compiled_.NextSibling(id);
        if (child == node) {
          walk.child = child.next_sibling();
          return id;
        }
      }
      flat::NodeId id = walk.first;
      for (pugi::xml_node child = parent.first_child(); child && id != flat::kNoNode; child = child.next_sibling()) {
        filed_.emplace(child.internal_object(), id);
        id = compiled_.NextSibling(id);
      }
      walk.filed = true;
    }
    const auto found = filed_.find(node.internal_object());
    return found == filed_.end() ? flat::kNoNode : found->second;
  }

 private:
  // A walk among a parent's children: its first child's number (kNoNode when
  // the parent is not compiled), the next child to look at with its number,
  // and whether its children are filed instead.
  struct Walk {
    flat::NodeId first;
    pugi::xml_node child;
    flat::NodeId id;
    bool filed = false;
  };
  Walk& WalkAmong(pugi::xml_node parent) {
    if (parent == lastParent_) return *lastWalk_;
    auto found = walks_.find(parent.internal_object());
    if (found == walks_.end()) {
      const flat::NodeId id = Of(parent);  // up to a parent walked before, or the top
      const flat::NodeId first = id == flat::kNoNode ? flat::kNoNode : compiled_.FirstChild(id);
      found = walks_.emplace(parent.internal_object(), Walk{first, parent.first_child(), first}).first;
    }
    lastParent_ = parent;
    lastWalk_ = &found->second;
    return found->second;
  }

  pugi::xml_node top_;
  const flat::CompiledTree compiled_;
  std::unordered_map<const void*, Walk> walks_;  // by parent: sections and groups, far fewer than the elements
  std::unordered_map<const void*, flat::NodeId> filed_;
  pugi::xml_node lastParent_;
  Walk* lastWalk_ = nullptr;
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
  // Sixteen hexadecimal digits, by std::to_chars: printf's machinery would be
  // one more stretch of code for a one-question process to map.
  char digits[16];
  const std::size_t n = static_cast<std::size_t>(std::to_chars(digits, digits + 16, hasher.Finish(), 16).ptr - digits);
  return folder + "/" + std::string(16 - n, '0') + std::string(digits, n) + ".pxi";
}

bool Pipedex::Impl::OpenIndex() {
  const std::string path = IndexPath();
  if (path.empty()) return false;
  cache::Refusal refusal;
  std::unique_ptr<cache::MappedIndex> index =
      cache::MappedIndex::Open(path, IndexStamp(false), cache::FromEnvironment().verifyContent, refusal);
  return index && UseIndex(index);
}

bool Pipedex::Impl::UseIndex(std::unique_ptr<cache::MappedIndex>& index) {
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
  // The payload streams to the file as it is compiled: the directory
  // (written over last), the document, then the tables of the lists. Nothing
  // is held whole but the document's attributes and strings until they are
  // written, and the tables one at a time. Their memory is not hinted to
  // huge pages: on a shared machine a fresh huge page can take many times
  // longer to clear than its 512 small pages, which makes the first run's
  // time swing.
  const std::size_t sourceSize = stamp.inputs.front().size;
  return cache::WriteIndex(path, stamp, [&](flat::Output& out) {
    Directory directory{};
    std::memcpy(directory.magic, kPayloadMagic, sizeof kPayloadMagic);
    // Each section starts at a multiple of 8 from the payload's start.
    auto begin = [&](Section s) {
      static constexpr char kZeros[8] = {};
      if (out.Size() % 8 != 0) out.Append(std::string_view(kZeros, 8 - out.Size() % 8));
      directory.offset[s] = static_cast<std::uint32_t>(out.Size());
    };
    auto end = [&](Section s) { directory.size[s] = static_cast<std::uint32_t>(out.Size() - directory.offset[s]); };
    auto add = [&](Section s, std::string_view bytes) {
      begin(s);
      out.Append(bytes);
      end(s);
    };
    out.Append(std::string((sizeof(Directory) + 7) / 8 * 8, '\0'));
    begin(kDocument);
    // The numbers of the elements the lists and sections name, from the
    // compiled document's tree.
    NodeNumbers numbers(*SystemDoc, flat::CompileInto(out, *SystemDoc, sourceSize));
    end(kDocument);
    bool allNumbered = true;
    auto number = [&](pugi::xml_node node) {
      const flat::NodeId id = numbers.Of(node);
      allNumbered = allNumbered && (!node || id != flat::kNoNode);
      return id;
    };
    // Each list's elements in order, by number. Their nodes, read from memory
    // for a large catalogue, are fetched some elements ahead.
    auto numberEach = [&](const model::TagList& list) {
      std::vector<pugi::xml_node> nodes;
      nodes.reserve(static_cast<std::size_t>(list.Count()));
      list.ForEach([&nodes](pugi::xml_node node) { nodes.push_back(node); });
      constexpr std::size_t kAhead = 16;
      std::vector<flat::NodeId> ids(nodes.size());
      for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i + kAhead < nodes.size()) __builtin_prefetch(nodes[i + kAhead].internal_object());
        ids[i] = number(nodes[i]);
      }
      return ids;
    };
    const std::vector<flat::NodeId> skeyIds = numberEach(SKEYTags), cptTypeIds = numberEach(CptTypeTags),
                                    defaultEndPrepIds = numberEach(DefaultEndPrepTags);
    directory.cptSection = number(CptSection.Xml());
    directory.skeySection = number(SKEYSection.Xml());
    directory.pcfidfSection = number(PCFIDFSection.Xml());
    directory.plotraAttSection = number(PlotraAttSection.Xml());
    directory.dataRoot = number(DataRoot);
    // An element the lists name that is not in the document (none should be)
    // could not be answered from the index: such a catalogue is answered from its files.
    if (!allNumbered) return false;
    add(kSKEYTags, SKEYTags.Compile(skeyIds));
    add(kCptTypeTags, CptTypeTags.Compile(cptTypeIds));
    add(kDefaultEndPrepTags, DefaultEndPrepTags.Compile(defaultEndPrepIds));
    const std::string plotraPieces = model::TokenIndex::CompilePieces(PlotraEndPreps);
    if (plotraPieces.empty()) return false;  // Plotra end preparations too long to be indexed: answered from the files
    add(kPlotraPieces, plotraPieces);
    add(kDefaultElbows, CompileElbows(DefaultElbows));
    // Offsets of 32 bits reach no further than 4 GiB: a larger catalogue is answered from its files.
    if (out.Size() > 0xffffffffu) return false;
    out.Overwrite(0, std::string_view(reinterpret_cast<const char*>(&directory), sizeof directory));
    return true;
  });
} catch (...) {
  // Not even running out of memory fails the load that succeeded: the index is only an aid.
  return false;
}

}  // namespace pipedex
