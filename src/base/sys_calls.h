#pragma once

// The system calls through which the library reads, writes, flushes and
// renames files and keeps their owner and extended attributes. In a build
// with PIPEDEX_FAULT_INJECTION (the failure-injection tests, a CMake option)
// each of them first asks a countdown whether it is the call that is to fail;
// it then fails as the system would, with -1 and errno, without doing
// anything (a close is still done: the descriptor is gone either way). In
// every other build they are the system calls themselves.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

namespace pipedex::sys {

#ifdef PIPEDEX_FAULT_INJECTION
// The test-only countdown, the one piece of state shared by every instance,
// present only in this build: FailCall(n) makes the nth call from now fail
// (with error), 0 makes none fail; CallsMade() counts the calls so far.
void FailCall(long nth, int error);
long CallsMade();
// Counts a call; true (errno set) when it is the one to fail.
bool Fails();
#else
inline bool Fails() { return false; }
#endif

inline int Open(const char* path, int flags, mode_t mode = 0) { return Fails() ? -1 : ::open(path, flags, mode); }
inline ssize_t Read(int fd, void* buffer, size_t size) { return Fails() ? -1 : ::read(fd, buffer, size); }
inline ssize_t Write(int fd, const void* data, size_t size) { return Fails() ? -1 : ::write(fd, data, size); }
inline off_t Seek(int fd, off_t offset, int whence) { return Fails() ? -1 : ::lseek(fd, offset, whence); }
inline int Fsync(int fd) { return Fails() ? -1 : ::fsync(fd); }
inline int Close(int fd) {
  const int done = ::close(fd);
  return Fails() ? -1 : done;
}
inline int Stat(const char* path, struct stat* st) { return Fails() ? -1 : ::stat(path, st); }
inline int Fstat(int fd, struct stat* st) { return Fails() ? -1 : ::fstat(fd, st); }
inline int Fchmod(int fd, mode_t mode) { return Fails() ? -1 : ::fchmod(fd, mode); }
inline int Fchown(int fd, uid_t owner, gid_t group) { return Fails() ? -1 : ::fchown(fd, owner, group); }
inline ssize_t ListXattr(const char* path, char* names, size_t size) {
  return Fails() ? -1 : ::listxattr(path, names, size);
}
inline ssize_t GetXattr(const char* path, const char* name, void* value, size_t size) {
  return Fails() ? -1 : ::getxattr(path, name, value, size);
}
inline int FSetXattr(int fd, const char* name, const void* value, size_t size) {
  return Fails() ? -1 : ::fsetxattr(fd, name, value, size, 0);
}
inline int FRemoveXattr(int fd, const char* name) { return Fails() ? -1 : ::fremovexattr(fd, name); }
inline int Rename(const char* from, const char* to) { return Fails() ? -1 : ::rename(from, to); }
inline int LinkAt(int fromDir, const char* from, int toDir, const char* to, int flags) {
  return Fails() ? -1 : ::linkat(fromDir, from, toDir, to, flags);
}

}  // namespace pipedex::sys
