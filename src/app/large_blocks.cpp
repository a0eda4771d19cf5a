// The window's allocation policy: QScintilla keeps a document in several blocks of its
// size (text, styles, undo), and on a 100 MiB document faulting them in page by page cost
// more than everything else the window does. Large blocks get the huge-page hint the core
// gives its own buffers. Linked into the program itself so QScintilla's allocations come
// here too.
#include <cstdlib>
#include <new>

#include "text/huge_pages.h"

void* operator new(std::size_t n) {
  if (n == 0) n = 1;
  for (;;) {
    if (void* p = std::malloc(n)) {
      braceform::AdviseHugePages(p, n);  // ignores blocks of a few pages
      return p;
    }
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
