// Replacing a file the way a careful editor does: the text is written to a
// new file beside the one it replaces, flushed (unless the caller says not),
// and put in place with one rename, so that every failure leaves the old
// file as it was.

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "base/errors.h"
#include "base/files.h"
#include "base/sys_calls.h"

namespace pipedex::files {
namespace {

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
    int fd = sys::Open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The access control list of a file, kept among its extended attributes.
constexpr const char* kAccessAcl = "system.posix_acl_access";

// Reads a list of names or a value whose size may change between asking and
// reading; read(buffer, size) answers as listxattr and getxattr do.
template <typename Read>
ssize_t ReadSized(std::vector<char>& buffer, Read read) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const ssize_t size = read(nullptr, 0);
    if (size <= 0) return size;
    buffer.resize(static_cast<std::size_t>(size));
    const ssize_t got = read(buffer.data(), buffer.size());
    if (got >= 0 || errno != ERANGE) return got;  // ERANGE: it grew in between
  }
  errno = ERANGE;
  return -1;
}

// Gives the new file the extended attributes of the file it replaces, its
// access control list among them, so that the same people may read and
// write it; a list the new file inherited from its folder while the old file
// had none is removed. The name of the first attribute that could not be
// kept and why, or "" when all were.
std::string KeepAttributes(const std::string& from, int fd) {
  std::vector<char> names;
  ssize_t listed = ReadSized(names, [&](char* b, std::size_t n) { return sys::ListXattr(from.c_str(), b, n); });
  if (listed < 0) {
    if (errno == ENOTSUP) listed = 0;  // a file system without them: nothing to keep
    else return std::string("its extended attributes: ") + std::strerror(errno);
  }
  names.resize(static_cast<std::size_t>(listed));
  bool hadAcl = false;
  std::vector<char> value;
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    const char* name = names.data() + at;
    const ssize_t size =
        ReadSized(value, [&](char* b, std::size_t n) { return sys::GetXattr(from.c_str(), name, b, n); });
    if (size < 0 && errno == ENODATA) continue;  // removed since it was listed
    if (size < 0 || sys::FSetXattr(fd, name, value.data(), static_cast<std::size_t>(size)) != 0)
      return std::string(name) + ": " + std::strerror(errno);
    hadAcl = hadAcl || std::strcmp(name, kAccessAcl) == 0;
  }
  if (!hadAcl && sys::FRemoveXattr(fd, kAccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP)
    return std::string(kAccessAcl) + ": " + std::strerror(errno);
  return "";
}



[[noreturn]] void SaveFailed(const std::string& path, const std::string& why) {
  throw Error(errors::kXmlService, errors::kSource, "Could not save the document to " + path + " : " + why);
}
[[noreturn]] void SaveFailedErrno(const std::string& path, int err) { SaveFailed(path, std::strerror(err)); }

// The file a save replaces: the one symbolic links name, so the links stay,
// and what it is now. A file that must not be replaced fails the save.
struct SaveTarget {
  std::string path;
  bool exists = false;
  struct stat existing {};
};

SaveTarget CheckTarget(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) SaveFailedErrno(path, EINVAL);
  SaveTarget t;
  if (int err = ResolveLinks(path, t.path)) SaveFailedErrno(path, err);
  t.exists = sys::Stat(t.path.c_str(), &t.existing) == 0;
  if (!t.exists && errno != ENOENT) SaveFailedErrno(path, errno);
  if (!t.exists) return t;
  // Only a regular file is replaced; a device, a pipe, a socket or a folder
  // would become a plain file and stop being what it was.
  if (!S_ISREG(t.existing.st_mode)) SaveFailed(path, "it is not a regular file");
  // A read-only file stays read-only, even for a process that could replace it.
  if ((t.existing.st_mode & 0222) == 0 || ::access(t.path.c_str(), W_OK) != 0) SaveFailed(path, "the file is read-only");
  // Replacing the file would part it from its other names, which would go
  // on showing the old text: such a file is left alone.
  if (t.existing.st_nlink > 1)
    SaveFailed(path, "the file has " + std::to_string(t.existing.st_nlink - 1) + " other name(s) (hard links)");
  return t;
}

// Gives an unnamed file a temporary name in the folder; "" when there is no
// way to name it (no /proc).
std::string NameUnnamedFile(int fd, const std::string& folder) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + "/.pipedex-save-" + RandomSuffix();
    if (sys::LinkAt(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return name;
    if (errno != EEXIST) break;
  }
  return "";
}

// Closes the complete temporary file and puts it in the target's place.
void Commit(int fd, const std::string& tmpName, const SaveTarget& target, const std::string& folder,
            const std::string& path, Flush flush) {
  auto failed = [&] {
    int err = errno;
    ::unlink(tmpName.c_str());
    SaveFailedErrno(path, err);
  };
  if (sys::Close(fd) != 0) failed();
  if (sys::Rename(tmpName.c_str(), target.path.c_str()) != 0) failed();
  if (flush == Flush::No) return;
  // Flush the folder too, so that the rename itself survives a power failure.
  int dir = sys::Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    sys::Fsync(dir);
    sys::Close(dir);
  }
}


}  // namespace

void ReplaceFile(const std::string& path, const std::function<int(int fd)>& write, Flush flush) {
  const SaveTarget target = CheckTarget(path);
  // A new file gets the usual mode less the umask (applied when it is
  // created); a replaced file keeps its owner, group and mode.
  const std::string folder = FolderOf(target.path);
  const mode_t createMode = target.exists ? 0600 : 0666;
  std::string tmpName;
  // An unnamed file first: a process killed while writing leaves nothing behind.
  int fd = sys::Open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, createMode);
  const bool unnamed = fd >= 0;
  if (!unnamed) fd = OpenNamedTemporary(folder, createMode, tmpName);
  if (fd < 0) SaveFailedErrno(path, errno);
  auto abandon = [&](int err) {
    ::close(fd);
    if (!tmpName.empty()) ::unlink(tmpName.c_str());
    SaveFailedErrno(path, err);
  };
  auto fill = [&] {
    if (int err = write(fd)) abandon(err);
    if (target.exists) {
      // The owner can only be given back by a privileged process; the mode is
      // kept without set-user and set-group bits when the owner differs.
      mode_t mode = target.existing.st_mode & 07777;
      if (sys::Fchown(fd, target.existing.st_uid, target.existing.st_gid) != 0) mode &= 0777;
      // Who may write the file must not change: an attribute (an access
      // control list above all) that cannot be kept fails the save. The mode
      // comes last, and agrees with the list it was read with.
      if (const std::string lost = KeepAttributes(target.path, fd); !lost.empty()) {
        ::close(fd);
        if (!tmpName.empty()) ::unlink(tmpName.c_str());
        SaveFailed(path, "the file's extended attribute " + lost + " cannot be kept");
      }
      if (sys::Fchmod(fd, mode) != 0) abandon(errno);
    }
    if (flush == Flush::Yes && sys::Fsync(fd) != 0) abandon(errno);
  };
  fill();
  if (unnamed) {
    // The unnamed file gets a name only once it is complete; without a way to
    // name it, the text is written again to a named file.
    tmpName = NameUnnamedFile(fd, folder);
    if (tmpName.empty()) {
      ::close(fd);
      fd = OpenNamedTemporary(folder, createMode, tmpName);
      if (fd < 0) SaveFailedErrno(path, errno);
      fill();
    }
  }
  Commit(fd, tmpName, target, folder, path, flush);
}


}  // namespace pipedex::files
