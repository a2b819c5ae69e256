#pragma once

// The compiled catalogue's file: what it was built from (each input file's
// size, times, inode and content hash, the library's version and the
// locale's choices), its payload, then the hashes of the payload's blocks.
// It is written to a new file and renamed into place, so a reader sees an old
// file or a new one, never half of one; it is read by mapping it, and used
// only while every file it was built from is as it was. Nothing in it is
// trusted: a file that is not such an index, or not one for these inputs, is
// not used, and a payload block is compared with its hash before it is read.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/flat_document.h"
#include "base/flat_output.h"

namespace pipedex::cache {

// One file an index was built from, as it was then. A file that did not
// exist (a language variant or project file that would have been read) is
// recorded too: creating it makes the index stale.
struct InputFile {
  std::string path;
  bool exists = false;
  std::uint64_t size = 0, device = 0, inode = 0;
  std::int64_t modifiedNs = 0, changedNs = 0;
  std::uint64_t contentHash = 0;  // left zero unless the content was hashed
};

// The file at path as it is now, its content hashed when hashContent.
InputFile Describe(const std::string& path, bool hashContent);

// What an index was built for.
struct Stamp {
  std::string libraryVersion;  // the library and the format of its payload
  std::string choices;         // what the locale chose (the language variant's language and country)
  std::vector<InputFile> inputs;
};

// Whether two stamps record the same files, of the same size, times, inode
// and device (content hashes are not compared).
bool SameFiles(const Stamp& a, const Stamp& b);

// Writes an index file at path atomically, making its folder (mode 0700)
// when missing: produce gives the payload to the output it is handed, which
// passes it on to the file as it comes, and answers whether to keep it.
// False when produce answers false or any step fails (nothing is left behind
// then); an index is only ever an aid, so failing to write one is no error.
// What produce raises is raised again, once the file is abandoned.
bool WriteIndex(const std::string& path, const Stamp& stamp, const std::function<bool(flat::Output&)>& produce);
// The same for a payload given whole, its pieces one after another.
bool WriteIndex(const std::string& path, const Stamp& stamp, const std::vector<std::string_view>& payload);

// Why an index file is not used, for `pipedex cache show` and verify.
enum class Refusal { None, Missing, NotAnIndex, OtherVersion, OtherInputs, InputChanged };
const char* RefusalText(Refusal refusal);

// An index file mapped into memory.
class MappedIndex {
 public:
  ~MappedIndex();
  MappedIndex(const MappedIndex&) = delete;
  MappedIndex& operator=(const MappedIndex&) = delete;

  // The index at path when it was built for `expected`: the same version and
  // choices, the same input paths in the same order, each input still of the
  // size, times, inode and device recorded (and content, when verifyContent,
  // and for a file changed within two seconds before the index was written).
  // Null otherwise, with why in refusal.
  static std::unique_ptr<MappedIndex> Open(const std::string& path, const Stamp& expected, bool verifyContent,
                                           Refusal& refusal);
  // The stamp an index file records, whatever its inputs are now; null when it is no index file.
  static std::unique_ptr<Stamp> ReadStamp(const std::string& path);

  // The payload, in place, and the hashes that confirm its blocks.
  std::string_view Payload() const { return payload_; }
  const flat::Blocks& Blocks() const { return blocks_; }
  const Stamp& Recorded() const { return stamp_; }

 private:
  MappedIndex() = default;
  void* map_ = nullptr;
  std::size_t mapSize_ = 0;
  std::string_view payload_;
  flat::Blocks blocks_;
  Stamp stamp_;
};

}  // namespace pipedex::cache
