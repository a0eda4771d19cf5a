#include "memory/huge_pages.h"

#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace braceform {

void AdviseHugePages(void* p, std::size_t n) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  if (n < 2 * kHuge) return;
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + n) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)n;
#endif
}

}  // namespace braceform
