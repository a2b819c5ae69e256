// pipedex-bench-floor FILE: starts, maps the file, reads its first byte and
// exits. The floor a process answering from a compiled index is measured
// against: what any process that maps a file costs.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const int fd = open(argv[1], O_RDONLY);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || st.st_size == 0) return 1;
  void* at = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  if (at == MAP_FAILED) return 1;
  const int first = *static_cast<const volatile unsigned char*>(at);
  munmap(at, static_cast<size_t>(st.st_size));
  close(fd);
  return first >= 0 ? 0 : 1;
}
