#include "cache/index_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "base/errors.h"
#include "base/files.h"
#include "base/seeded_hash.h"
#include "base/sys_calls.h"

namespace pipedex::cache {
namespace {

constexpr char kMagic[8] = {'P', 'I', 'P', 'E', 'D', 'E', 'X', 'I'};
constexpr std::uint32_t kFormat = 4;  // 3: the hashes after the payload; 4: blocks of a page
constexpr std::size_t kPage = 4096;

// The fixed start of the file; the stamp follows it, then the payload at a
// page boundary (so that it maps aligned), then the block hashes (at a
// multiple of 8: the payload's size is known only once it is written).
struct Header {
  char magic[8];
  std::uint32_t format, blockSize;
  std::uint64_t stampSize, stampHash, hashesOffset, hashesSize, payloadOffset, payloadSize;
};
static_assert(sizeof(Header) == 64);

// A hash that holds in every process (of the stamp and of the files' content).
std::uint64_t StableHash(std::string_view bytes, std::uint64_t seed = 0x5049504544455853ull) {
  return hashing::FastHash(bytes, seed);
}

// The hash of a file's content (hashing::ContentHasher), read a piece at a
// time: a large catalogue is never held whole a second time. Zero when the
// file cannot be read, or holds more than maxSize bytes.
std::uint64_t ContentHash(const std::string& path, std::uint64_t maxSize) {
  const int fd = sys::Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st {};
  std::uint64_t hash = 0;
  if (sys::Fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= maxSize) {
    std::vector<char> piece(hashing::kContentPiece);
    hashing::ContentHasher hasher;
    std::uint64_t total = 0;
    bool read = true;
    for (std::size_t filled = piece.size(); read && filled == piece.size();) {
      read = files::ReadFull(fd, piece.data(), piece.size(), filled) == 0;
      total += filled;
      read = read && total <= maxSize;  // it grew while being read
      hasher.Piece(std::string_view(piece.data(), filled));
    }
    if (read) hash = hasher.Value();
  }
  sys::Close(fd);
  return hash;
}

// The stamp as text, one field a line, each input's path last on its line.
// Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) about "literal" + std::string inside libstdc++.
std::string StampText(const Stamp& stamp) {
  std::string out;
  auto line = [&out](std::string_view name, std::string_view value) {
    out += name;
    out += '\t';
    out += value;
    out += '\n';
  };
  line("version", stamp.libraryVersion);
  line("choices", stamp.choices);
  for (const InputFile& f : stamp.inputs) {
    out += "input";
    for (const std::uint64_t n : {std::uint64_t{f.exists}, f.size, f.device, f.inode,
                                  static_cast<std::uint64_t>(f.modifiedNs), static_cast<std::uint64_t>(f.changedNs),
                                  f.contentHash}) {
      out += '\t';
      out += std::to_string(n);
    }
    line("", f.path);
  }
  return out;
}

bool ParseNumber(std::string_view text, std::uint64_t& out) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// The stamp a text records; false when the text is no stamp.
bool ParseStamp(std::string_view text, Stamp& stamp) {
  auto line = [&](std::string_view& out) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    out = text.substr(0, end);
    text.remove_prefix(end + 1);
    return true;
  };
  std::string_view l;
  if (!line(l) || !l.starts_with("version\t")) return false;
  stamp.libraryVersion = l.substr(8);
  if (!line(l) || !l.starts_with("choices\t")) return false;
  stamp.choices = l.substr(8);
  while (!text.empty()) {
    if (!line(l) || !l.starts_with("input\t")) return false;
    l.remove_prefix(6);
    InputFile f;
    std::uint64_t n[7];
    for (std::uint64_t& field : n) {
      const std::size_t tab = l.find('\t');
      if (tab == std::string_view::npos || !ParseNumber(l.substr(0, tab), field)) return false;
      l.remove_prefix(tab + 1);
    }
    if (n[0] > 1) return false;
    f.exists = n[0] == 1;
    f.size = n[1];
    f.device = n[2];
    f.inode = n[3];
    f.modifiedNs = static_cast<std::int64_t>(n[4]);
    f.changedNs = static_cast<std::int64_t>(n[5]);
    f.contentHash = n[6];
    f.path = l;
    stamp.inputs.push_back(std::move(f));
  }
  return true;
}

bool SameStat(const InputFile& a, const InputFile& b) {
  return a.path == b.path && a.exists == b.exists && a.size == b.size && a.device == b.device && a.inode == b.inode &&
         a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs;
}

// Whether a recorded input is the file as it is now.
bool SameFile(const InputFile& recorded, bool verifyContent) {
  const InputFile now = Describe(recorded.path, verifyContent);
  return SameStat(now, recorded) && (!verifyContent || now.contentHash == recorded.contentHash);
}

struct Mapping {
  bool exists = false;  // a file is there, mapped or not
  void* at = nullptr;
  std::size_t size = 0;
  std::int64_t modifiedNs = 0;
};

// A file changed this soon before the index was written may have been
// changed again within the same tick of the file system's clock, leaving
// its size and times as recorded: its content decides.
constexpr std::int64_t kRacyNs = 2'000'000'000;

// The whole file mapped read-only; nothing when it cannot be (or is empty).
Mapping MapFile(const std::string& path) {
  const int fd = sys::Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat st {};
  Mapping m;
  m.exists = true;
  if (sys::Fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= static_cast<off_t>(sizeof(Header))) {
    m.size = static_cast<std::size_t>(st.st_size);
    m.modifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
    m.at = ::mmap(nullptr, m.size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (m.at == MAP_FAILED) m.at = nullptr;
    // A question reads a few scattered blocks: no reading ahead, and no
    // mapping of the pages around each one read.
    else ::madvise(m.at, m.size, MADV_RANDOM);
  }
  sys::Close(fd);
  return m;
}

// The header and stamp of mapped bytes; false when they are no index of this format.
bool ReadHead(std::string_view bytes, Header& header, Stamp& stamp) {
  if (bytes.size() < sizeof header) return false;
  std::memcpy(&header, bytes.data(), sizeof header);
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.format != kFormat ||
      header.blockSize != flat::Blocks::kSize)
    return false;
  const std::uint64_t size = bytes.size();
  auto fits = [&](std::uint64_t offset, std::uint64_t length) { return offset <= size && length <= size - offset; };
  if (!fits(sizeof header, header.stampSize) || !fits(header.hashesOffset, header.hashesSize) ||
      header.payloadOffset % kPage != 0 || !fits(header.payloadOffset, header.payloadSize))
    return false;
  const std::string_view text = bytes.substr(sizeof header, header.stampSize);
  return StableHash(text) == header.stampHash && ParseStamp(text, stamp);
}

// The buffer the payload passes through on its way to the file: 256 KB (each
// page of it is one more fresh page for the process that writes the index),
// aligned to a page.
constexpr std::size_t kChunk = std::size_t{256} << 10;
static_assert(kChunk % flat::Blocks::kSize == 0, "the buffer holds whole blocks");
struct AlignedDelete {
  void operator()(char* p) const { ::operator delete[](p, std::align_val_t{kPage}); }
};
using AlignedBuffer = std::unique_ptr<char[], AlignedDelete>;
AlignedBuffer NewAligned(std::size_t size) { return AlignedBuffer(new (std::align_val_t{kPage}) char[size]); }

// A write of the payload failed: the errno.
struct WriteFailed {
  int err;
};

// The payload on its way to the file, from a page boundary. It passes
// through the buffer 256 KB at a time: each block is hashed there while it is
// in the cache, and each full buffer is written straight to the disk, not
// copied into the page cache first (the file is handed back from the cache
// once written anyway). The bytes after the last whole page, and all of them
// where the file system refuses, are written the usual way. Bytes written
// over once they have left the buffer (a record whose next sibling comes a
// whole buffer later: a few in a catalogue) are read back with their block,
// which is hashed and written again. Failures raise WriteFailed.
class PayloadWriter final : public flat::Output {
 public:
  // The payload's hashes are appended to hashes as its blocks are written.
  PayloadWriter(int fd, std::uint64_t start, std::string& hashes)
      : fd_(fd), start_(start), hashes_(hashes), buffer_(NewAligned(kChunk)) {
    if (sys::Seek(fd, static_cast<off_t>(start), SEEK_SET) < 0) throw WriteFailed{errno};
    flags_ = ::fcntl(fd, F_GETFL);
    direct_ = flags_ >= 0 && ::fcntl(fd, F_SETFL, flags_ | O_DIRECT) == 0;
  }

  void Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      const std::size_t n = std::min(bytes.size(), kChunk - filled_);
      std::memcpy(buffer_.get() + filled_, bytes.data(), n);
      filled_ += n;
      bytes.remove_prefix(n);
      if (filled_ == kChunk) WriteBuffer();
    }
  }

  void Overwrite(std::uint64_t at, std::string_view bytes) override {
    while (!bytes.empty()) {
      if (at >= written_) {
        std::memcpy(buffer_.get() + (at - written_), bytes.data(), bytes.size());
        return;
      }
      const std::uint64_t block = at / flat::Blocks::kSize, offset = at % flat::Blocks::kSize;
      const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), flat::Blocks::kSize - offset));
      Rewrite(block, static_cast<std::size_t>(offset), bytes.substr(0, n));
      at += n;
      bytes.remove_prefix(n);
    }
  }

  std::uint64_t Size() const override { return written_ + filled_; }

  // Writes what the buffer holds, and gives the file its usual flags back.
  void Finish() {
    if (filled_ > 0) WriteBuffer();
    if (direct_ && ::fcntl(fd_, F_SETFL, flags_) != 0) throw WriteFailed{errno};
    direct_ = false;
  }

 private:
  // The buffer's bytes, hashed and written (whole blocks, but for the payload's last).
  void WriteBuffer() {
    flat::Blocks::AppendHashesOf(std::string_view(buffer_.get(), filled_), hashes_);
    WriteOut(buffer_.get(), filled_);
    written_ += filled_;
    filled_ = 0;
  }
  // Writes size bytes at the file's position: whole pages straight to the
  // disk while it takes them, the rest the usual way.
  void WriteOut(const char* data, std::size_t size) {
    std::size_t done = 0;
    for (const std::size_t pages = size / kPage * kPage; direct_ && done < pages;) {
      const ssize_t n = sys::Write(fd_, data + done, pages - done);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) done += static_cast<std::size_t>(n);
      if (n <= 0 || n % static_cast<ssize_t>(kPage) != 0) break;  // refused, or cut short of a page
    }
    if (done == size) return;
    if (direct_) {
      if (::fcntl(fd_, F_SETFL, flags_) != 0) throw WriteFailed{errno};
      direct_ = false;
    }
    if (const int err = files::WriteAll(fd_, std::string_view(data + done, size - done))) throw WriteFailed{err};
  }
  // A written block (a whole one: only full buffers are written before the
  // end) read back, changed at offset, hashed again and written again.
  void Rewrite(std::uint64_t block, std::size_t offset, std::string_view bytes) {
    constexpr std::size_t kBlock = flat::Blocks::kSize;
    if (!block_) block_ = NewAligned(kBlock);
    const auto at = static_cast<off_t>(start_ + block * kBlock);
    if (sys::Seek(fd_, at, SEEK_SET) < 0) throw WriteFailed{errno};
    std::size_t got;
    if (const int err = files::ReadFull(fd_, block_.get(), kBlock, got)) throw WriteFailed{err};
    if (got != kBlock) throw WriteFailed{EIO};
    std::memcpy(block_.get() + offset, bytes.data(), bytes.size());
    hashes_.replace(block * sizeof(std::uint64_t), sizeof(std::uint64_t),
                    flat::Blocks::HashesOf(std::string_view(block_.get(), kBlock)));
    if (sys::Seek(fd_, at, SEEK_SET) < 0) throw WriteFailed{errno};
    WriteOut(block_.get(), kBlock);
    if (sys::Seek(fd_, static_cast<off_t>(start_ + written_), SEEK_SET) < 0) throw WriteFailed{errno};
  }

  const int fd_;
  const std::uint64_t start_;
  std::string& hashes_;
  int flags_ = -1;
  bool direct_ = false;
  AlignedBuffer buffer_, block_;  // block_: a block read back, made on first need
  std::size_t filled_ = 0;
  std::uint64_t written_ = 0;  // the bytes that have left the buffer
};

}  // namespace

InputFile Describe(const std::string& path, bool hashContent) {
  InputFile f;
  f.path = path;
  struct stat st {};
  if (path.find('\0') != std::string::npos || sys::Stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return f;
  f.exists = true;
  f.size = static_cast<std::uint64_t>(st.st_size);
  f.device = st.st_dev;
  f.inode = st.st_ino;
  f.modifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
  f.changedNs = std::int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec;
  if (hashContent) f.contentHash = ContentHash(path, f.size + 1);
  return f;
}

bool SameFiles(const Stamp& a, const Stamp& b) {
  if (a.inputs.size() != b.inputs.size()) return false;
  for (std::size_t i = 0; i < a.inputs.size(); ++i)
    if (!SameStat(a.inputs[i], b.inputs[i])) return false;
  return true;
}

const char* RefusalText(Refusal refusal) {
  switch (refusal) {
    case Refusal::None: return "valid";
    case Refusal::Missing: return "no index file";
    case Refusal::NotAnIndex: return "not an index file of this library";
    case Refusal::OtherVersion: return "built by another version of the library or for another locale";
    case Refusal::OtherInputs: return "built from other files";
    case Refusal::InputChanged: return "a file it was built from has changed";
  }
  return "";
}

bool WriteIndex(const std::string& path, const Stamp& stamp, const std::function<bool(flat::Output&)>& produce) {
  for (const InputFile& f : stamp.inputs)
    if (f.path.find_first_of(std::string_view("\n\0", 2)) != std::string::npos) return false;  // a stamp line each
  const std::string text = StampText(stamp);
  Header header{};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.format = kFormat;
  header.blockSize = flat::Blocks::kSize;
  header.stampSize = text.size();
  header.stampHash = StableHash(text);
  header.payloadOffset = (sizeof header + text.size() + kPage - 1) / kPage * kPage;

  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    // Each missing folder on the way, for the user alone.
    for (std::size_t at = path.find('/', 1); at != std::string::npos && at <= slash; at = path.find('/', at + 1))
      if (::mkdir(path.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  std::exception_ptr raised;  // what produce raised, raised again once the file is abandoned
  try {
    // Not flushed to the disk first: a file a crash leaves cut short or with
    // blocks of zeros fails its head's checks or its blocks' hashes, so it is
    // refused and written again by the next load. Waiting for the disk would
    // be the longest single step of the first run.
    files::ReplaceFile(
        path,
        [&](int fd) {
          // The payload first, from its place after the head, then its
          // hashes after it, then the head.
          std::string hashes;
          try {
            PayloadWriter payload(fd, header.payloadOffset, hashes);
            if (!produce(payload)) return ECANCELED;
            payload.Finish();
            header.payloadSize = payload.Size();
          } catch (const WriteFailed& failed) {
            return failed.err;
          } catch (...) {
            raised = std::current_exception();
            return ECANCELED;
          }
          header.hashesOffset = (header.payloadOffset + header.payloadSize + 7) / 8 * 8;
          header.hashesSize = hashes.size();
          hashes.insert(0, header.hashesOffset - (header.payloadOffset + header.payloadSize), '\0');
          if (const int err = files::WriteAll(fd, hashes)) return err;
          // An empty payload without hashes still has its place in the file.
          if (::ftruncate(fd, static_cast<off_t>(header.hashesOffset + header.hashesSize)) != 0) return errno;
          std::string head(reinterpret_cast<const char*>(&header), sizeof header);
          head += text;
          if (sys::Seek(fd, 0, SEEK_SET) < 0) return errno;
          return files::WriteAll(fd, head);
        },
        files::Flush::No);
  } catch (const Error& e) {
    if (raised) std::rethrow_exception(raised);
    if (errors::IsOutOfMemory(e)) throw;
    return false;
  }
  // The file just written sits in the page cache in large pieces, and a
  // process that maps it would have a whole piece mapped for every block it
  // reads. Handed back (it is on disk now), it is read again in pages.
  if (const int fd = sys::Open(path.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    sys::Close(fd);
  }
  return true;
}

bool WriteIndex(const std::string& path, const Stamp& stamp, const std::vector<std::string_view>& payload) {
  return WriteIndex(path, stamp, [&payload](flat::Output& out) {
    for (const std::string_view piece : payload) out.Append(piece);
    return true;
  });
}

MappedIndex::~MappedIndex() {
  if (map_) ::munmap(map_, mapSize_);
}

std::unique_ptr<MappedIndex> MappedIndex::Open(const std::string& path, const Stamp& expected, bool verifyContent,
                                               Refusal& refusal) {
  const Mapping m = MapFile(path);
  if (!m.at) {
    refusal = m.exists ? Refusal::NotAnIndex : Refusal::Missing;
    return nullptr;
  }
  std::unique_ptr<MappedIndex> index(new MappedIndex);
  index->map_ = m.at;
  index->mapSize_ = m.size;
  const std::string_view bytes(static_cast<const char*>(m.at), m.size);
  Header header;
  if (!ReadHead(bytes, header, index->stamp_)) {
    refusal = Refusal::NotAnIndex;
    return nullptr;
  }
  const Stamp& recorded = index->stamp_;
  if (recorded.libraryVersion != expected.libraryVersion || recorded.choices != expected.choices) {
    refusal = Refusal::OtherVersion;
    return nullptr;
  }
  if (recorded.inputs.size() != expected.inputs.size()) {
    refusal = Refusal::OtherInputs;
    return nullptr;
  }
  for (std::size_t i = 0; i < recorded.inputs.size(); ++i) {
    if (recorded.inputs[i].path != expected.inputs[i].path) {
      refusal = Refusal::OtherInputs;
      return nullptr;
    }
    const InputFile& input = recorded.inputs[i];
    const bool racy = input.exists && std::max(input.modifiedNs, input.changedNs) > m.modifiedNs - kRacyNs;
    if (!SameFile(input, verifyContent || racy)) {
      refusal = Refusal::InputChanged;
      return nullptr;
    }
  }
  index->payload_ = bytes.substr(header.payloadOffset, header.payloadSize);
  try {
    index->blocks_ = flat::Blocks(index->payload_, bytes.substr(header.hashesOffset, header.hashesSize));
  } catch (const flat::Corrupt&) {
    refusal = Refusal::NotAnIndex;
    return nullptr;
  }
  refusal = Refusal::None;
  return index;
}

std::unique_ptr<Stamp> MappedIndex::ReadStamp(const std::string& path) {
  const Mapping m = MapFile(path);
  if (!m.at) return nullptr;
  auto stamp = std::make_unique<Stamp>();
  Header header;
  const bool read = ReadHead(std::string_view(static_cast<const char*>(m.at), m.size), header, *stamp);
  ::munmap(m.at, m.size);
  return read ? std::move(stamp) : nullptr;
}

}  // namespace pipedex::cache
