#pragma once

// A hint for large buffers that are filled once, front to back, or read at
// random.

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace pipedex::memory {

// Asks the system to back the whole 2 MiB pages inside a large buffer with
// huge pages: it is then filled with a few hundred times fewer page faults.
// Only a hint; the buffer works the same without.
inline void PreferHugePages(const void* buffer, std::size_t size) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(buffer);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)buffer;
  (void)size;
#endif
}

}  // namespace pipedex::memory
