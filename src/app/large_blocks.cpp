// The window's allocation policy: QScintilla keeps a document in several blocks of its
// size (text, styles, undo), and on a 100 MiB document faulting them in page by page cost
// more than everything else the window does. Large blocks get the huge-page hint the core
// gives its own buffers. Linked into the program itself so QScintilla's allocations come
// here too.
#include <cstdlib>
#include <new>

#include "memory/huge_pages.h"

namespace {
// Below this the hint cannot cover a whole huge page; checked here so that the many small
// allocations do not pay a call.
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
}  // namespace

void* operator new(std::size_t n) {
  if (n == 0) n = 1;
  for (;;) {
    if (void* p = std::malloc(n)) {
      if (n >= kLargeBlock) braceform::AdviseHugePages(p, n);
      return p;
    }
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
