// Saving a document to a file the way a careful editor does: the text is
// written to a new file beside the one it replaces, flushed, and put in place
// with one rename, so that every failure leaves the old file as it was.

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "base/errors.h"
#include "base/xml_document.h"

namespace pipedex::xml {
namespace {

// Hands the saved text straight to a file descriptor, remembering the first
// failure (the writer interface has no way to report one).
class FileWriter final : public pugi::xml_writer {
 public:
  explicit FileWriter(int fd) : fd_(fd) {}
  void write(const void* data, std::size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0 && error_ == 0) {
      ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno != EINTR) error_ = errno;
        continue;
      }
      p += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

// Indented like the shipped files, unless elements nest so deeply that the
// indentation alone would grow with the square of the depth.
unsigned SaveFormat(const pugi::xml_document& doc) {
  constexpr int kMaxIndentedDepth = 100;
  int depth = 0;
  for (pugi::xml_node cur = doc.first_child(); cur;) {
    if (cur.first_child()) {
      cur = cur.first_child();
      if (++depth > kMaxIndentedDepth) return pugi::format_raw;
      continue;
    }
    while (cur && !cur.next_sibling()) {
      cur = cur.parent();
      --depth;
    }
    if (cur) cur = cur.next_sibling();
  }
  return pugi::format_default;
}

// The whole text of the document, always with a declaration naming UTF-8
// (loading sets the encoding of a declaration that a file brings to UTF-8).
int WriteDocument(const pugi::xml_document& doc, int fd) {
  FileWriter writer(fd);
  unsigned flags = SaveFormat(doc);
  if (doc.first_child().type() != pugi::node_declaration) {
    static constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    writer.write(kDeclaration, sizeof kDeclaration - 1);
    flags |= pugi::format_no_declaration;
  }
  doc.save(writer, "\t", flags, pugi::encoding_utf8);
  return writer.error();
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once symbolic links are followed (a link that names
// nothing yet gives the path of the file it would name). Fails with ELOOP on
// a cycle.
int ResolveLinks(std::string path, std::string& out) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      out = path;
      return 0;
    }
    std::string target(PATH_MAX, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) >= target.size()) return ENAMETOOLONG;
    target.resize(static_cast<std::size_t>(n));
    if (target.empty()) return ENOENT;
    path = target.front() == '/' || path.find('/') == std::string::npos ? target : FolderOf(path) + "/" + target;
  }
  return ELOOP;
}

std::string RandomSuffix() {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device source;
  std::string out;
  for (int i = 0; i < 8; ++i) out += kDigits[source() % 36];
  return out;
}

// Opens a new file named .pipedex-save-XXXXXXXX in folder (the mode is then
// subject to the umask); fills name.
int OpenNamedTemporary(const std::string& folder, mode_t mode, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "/.pipedex-save-" + RandomSuffix();
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

void SaveFile(const pugi::xml_document& doc, const std::string& path) {
  auto fail = [&](const std::string& why) -> void {
    throw Error(errors::kXmlService, kSource, "Could not save the document to " + path + " : " + why);
  };
  auto failErrno = [&](int err) -> void { fail(std::strerror(err)); };
  if (path.empty() || path.find('\0') != std::string::npos) failErrno(EINVAL);

  // The save goes to the file that symbolic links name, so the links stay.
  std::string target;
  if (int err = ResolveLinks(path, target)) failErrno(err);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) failErrno(errno);
  if (exists) {
    // Only a regular file is replaced; a device, a pipe, a socket or a folder
    // would become a plain file and stop being what it was.
    if (!S_ISREG(existing.st_mode)) fail("it is not a regular file");
    // A read-only file stays read-only, even for a process that could replace it.
    if ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) fail("the file is read-only");
    // Replacing the file would part it from its other names, which would go
    // on showing the old text: such a file is left alone.
    if (existing.st_nlink > 1)
      fail("the file has " + std::to_string(existing.st_nlink - 1) + " other name(s) (hard links)");
  }

  // A new file gets the usual mode less the umask (applied when it is
  // created); a replaced file keeps its owner, group and mode.
  const std::string folder = FolderOf(target);
  const mode_t createMode = exists ? 0600 : 0666;
  std::string tmpName;
  // An unnamed file first: a process killed while writing leaves nothing behind.
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
  const bool unnamed = fd >= 0;
  if (!unnamed) fd = OpenNamedTemporary(folder, createMode, tmpName);
  if (fd < 0) failErrno(errno);
  auto abandon = [&](int err) {
    ::close(fd);
    if (!tmpName.empty()) ::unlink(tmpName.c_str());
    failErrno(err);
  };
  auto fill = [&] {
    if (int err = WriteDocument(doc, fd)) abandon(err);
    if (exists) {
      // The owner can only be given back by a privileged process; the mode is
      // kept without set-user and set-group bits when the owner differs.
      mode_t mode = existing.st_mode & 07777;
      if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) mode &= 0777;
      if (::fchmod(fd, mode) != 0) abandon(errno);
    }
    if (::fsync(fd) != 0) abandon(errno);
  };
  fill();
  if (unnamed) {
    // The unnamed file gets a name only once it is complete.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    bool linked = false;
    for (int attempt = 0; attempt < 100 && !linked; ++attempt) {
      tmpName = folder + "/.pipedex-save-" + RandomSuffix();
      linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmpName.c_str(), AT_SYMLINK_FOLLOW) == 0;
      if (!linked && errno != EEXIST) break;
    }
    if (!linked) {
      // No way to name it (no /proc): write the text again to a named file.
      tmpName.clear();
      ::close(fd);
      fd = OpenNamedTemporary(folder, createMode, tmpName);
      if (fd < 0) failErrno(errno);
      fill();
    }
  }
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmpName.c_str());
    failErrno(err);
  }
  if (::rename(tmpName.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(tmpName.c_str());
    failErrno(err);
  }
  // Flush the folder too, so that the rename itself survives a power failure.
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace pipedex::xml
