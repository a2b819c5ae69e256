// The compiled index of a loaded catalogue: written after a load from the
// files, and opened instead of them by a later instance while every file it
// was built from is unchanged. An instance answering from the index loads
// the files after all, on the first question the index cannot answer, and
// from then on is an instance loaded as always.

#include <algorithm>
#include <cstring>

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
constexpr const char* kIndexVersion = PIPEDEX_VERSION "/catalogue-4";

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

cache::Stamp Pipedex::Impl::IndexStamp(bool hashContent) const {
  cache::Stamp stamp;
  stamp.libraryVersion = kIndexVersion;
  const LocaleNames locale = platform->ThreadLocale();
  stamp.choices = LocaleChoice(locale);
  std::vector<std::string> paths{SystemPath, ProjectBesideSystemFile()};
  for (const std::string& variant : LanguageVariantPaths(SystemPath, locale))
    if (std::find(paths.begin(), paths.end(), variant) == paths.end()) paths.push_back(variant);
  for (const std::string& path : paths) stamp.inputs.push_back(cache::Describe(path, hashContent));
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

void Pipedex::Impl::WriteIndex() try {
  const std::string path = IndexPath();
  if (path.empty() || !SystemDoc) return;
  cache::Refusal refusal;
  if (cache::MappedIndex::Open(path, FilesBeforeLoad, false, refusal)) return;  // a valid one is there already
  const cache::Stamp stamp = IndexStamp(true);
  // A file that changed while the load read it may have been read half old,
  // half new: no index records that.
  if (!cache::SameFiles(stamp, FilesBeforeLoad)) return;
  // The node numbers of the elements the compiled lists and sections name.
  std::unordered_map<const void*, flat::NodeId> numbers;
  auto want = [&](const model::Element& e) {
    if (e.Xml()) numbers.emplace(e.Xml().internal_object(), flat::kNoNode);
  };
  for (const model::Element& e : {CptSection, SKEYSection, PCFIDFSection, PlotraAttSection, model::Element(DataRoot)})
    want(e);
  for (const model::TagList* list : {&SKEYTags, &CptTypeTags, &DefaultEndPrepTags})
    for (std::int64_t i = 1; i <= list->Count(); ++i) want(list->Item(i).Node);
  std::string payload(sizeof(Directory), '\0');
  Directory directory{};
  std::memcpy(directory.magic, kPayloadMagic, sizeof kPayloadMagic);
  auto add = [&](Section s, const std::string& bytes) {
    payload.resize((payload.size() + 7) / 8 * 8, '\0');
    directory.offset[s] = static_cast<std::uint32_t>(payload.size());
    directory.size[s] = static_cast<std::uint32_t>(bytes.size());
    payload += bytes;
  };
  add(kDocument, flat::Compile(*SystemDoc, [&](pugi::xml_node node, flat::NodeId id) {
    if (auto it = numbers.find(node.internal_object()); it != numbers.end()) it->second = id;
  }));
  auto number = [&](pugi::xml_node node) {
    const auto it = numbers.find(node.internal_object());
    return it == numbers.end() ? flat::kNoNode : it->second;
  };
  add(kSKEYTags, SKEYTags.Compile(number));
  add(kCptTypeTags, CptTypeTags.Compile(number));
  add(kDefaultEndPrepTags, DefaultEndPrepTags.Compile(number));
  const std::string pieces = model::TokenIndex::CompilePieces(PlotraEndPreps);
  if (pieces.empty()) return;  // Plotra end preparations too long to be indexed: answered from the files
  add(kPlotraPieces, pieces);
  add(kDefaultElbows, CompileElbows(DefaultElbows));
  directory.cptSection = number(CptSection.Xml());
  directory.skeySection = number(SKEYSection.Xml());
  directory.pcfidfSection = number(PCFIDFSection.Xml());
  directory.plotraAttSection = number(PlotraAttSection.Xml());
  directory.dataRoot = number(DataRoot);
  // An element the lists name that is not in the document (none should be)
  // could not be answered from the index; nor can offsets of 32 bits reach
  // past 4 GiB. Such a catalogue is answered from its files.
  for (const auto& [node, id] : numbers)
    if (id == flat::kNoNode) return;
  if (payload.size() > 0xffffffffu) return;
  std::memcpy(payload.data(), &directory, sizeof directory);
  cache::WriteIndex(path, stamp, payload);
} catch (...) {
  // Not even running out of memory fails the load that succeeded: the index is only an aid.
}

}  // namespace pipedex
