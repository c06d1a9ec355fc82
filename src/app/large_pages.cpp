#include "large_pages.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define QUORVANE_LARGE_PAGES 1
#endif

void UseLargeMemoryPages() {
#ifdef QUORVANE_LARGE_PAGES
  // A large diagram is hundreds of thousands of small objects, and the first touch of every fresh
  // 4 KB page of them costs the system a fault: on a virtual machine, microseconds each, a large
  // part of reading and saving a large diagram (docs/performance.md). Address space is
  // taken a gigabyte at a time (it costs nothing until touched) and kept, and what is taken is
  // marked for 2 MB pages: 512 times fewer faults for the same memory.
  constexpr std::size_t kStep = std::size_t{1} << 30;
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  mallopt(M_TOP_PAD, static_cast<int>(kStep));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(kStep));
  // Blocks of up to 32 MB (a file's text, a picture) come from the same heap rather than from
  // mappings of their own.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  // A block larger than what is left of the heap makes it grow now, by the whole step.
  void* probe = std::malloc(std::size_t{4} << 20);
  if (!probe) return;
  const auto top = reinterpret_cast<std::uintptr_t>(sbrk(0));
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(probe) + kLargePage - 1) & ~(kLargePage - 1);
  if (start < top) madvise(reinterpret_cast<void*>(start), top - start, MADV_HUGEPAGE);
  std::free(probe);
#endif
}
