#pragma once
#include <cstddef>

namespace braceform {

// Asks for transparent huge pages over the whole 2 MiB pages of a large block that is about
// to be filled: faulting in a large fresh block page by page costs more than the work on it.
// A hint only; where the kernel declines, small pages serve as before.
void AdviseHugePages(void* p, std::size_t n);

}  // namespace braceform
