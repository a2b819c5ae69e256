#include "base/files.h"

#include <cerrno>

#include "base/sys_calls.h"

namespace pipedex::files {

ReadStatus ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& out) {
  out.clear();
  if (path.find('\0') != std::string::npos) return ReadStatus::Unreadable;
  const int fd = sys::Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ReadStatus::Unreadable;
  struct stat st {};
  ReadStatus status = ReadStatus::Ok;
  if (sys::Fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) status = ReadStatus::Unreadable;
  else if (st.st_size > static_cast<off_t>(maxSize)) status = ReadStatus::TooLarge;
  char chunk[1 << 16];
  while (status == ReadStatus::Ok) {
    ssize_t n = sys::Read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) status = ReadStatus::Unreadable;
      break;
    }
    out.append(chunk, static_cast<std::size_t>(n));
    if (out.size() > maxSize) status = ReadStatus::TooLarge;  // it grew while being read
  }
  sys::Close(fd);
  return status;
}

int ReadFull(int fd, char* data, std::size_t size, std::size_t& got) {
  for (got = 0; got < size;) {
    const ssize_t n = sys::Read(fd, data + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return 0;
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = sys::Write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace pipedex::files
