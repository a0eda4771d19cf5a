#pragma once
// Tight scanning loops shared by the line splitter and the pipeline: 16 bytes a step with
// SSE2 where the target has it (every x86-64), a plain loop elsewhere.
#include <bit>
#include <cstddef>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace braceform::scan {

// Index of the first byte at or after i that equals a, b or c, or n. Pass the same value
// twice to look for fewer bytes.
inline std::size_t FindFirstOf(const char* s, std::size_t n, std::size_t i, char a, char b,
                               char c) {
#ifdef __SSE2__
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c);
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                             _mm_cmpeq_epi8(v, vc));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m));
    if (bits) return i + static_cast<std::size_t>(std::countr_zero(bits));
  }
#endif
  for (; i < n; ++i) {
    char x = s[i];
    if (x == a || x == b || x == c) return i;
  }
  return n;
}

// Counts of the bytes that decide the size of a text form.
struct BreakCounts {
  std::size_t cr = 0, lf = 0, crlf = 0, tab = 0;
};

inline BreakCounts CountBreaks(const char* s, std::size_t n) {
  BreakCounts c;
  std::size_t i = 0;
  unsigned prevCr = 0;  // 1 when the byte before i is CR
#ifdef __SSE2__
  const __m128i vcr = _mm_set1_epi8('\r'), vlf = _mm_set1_epi8('\n'), vtab = _mm_set1_epi8('\t');
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    unsigned cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr)));
    unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf)));
    unsigned tab = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vtab)));
    if (cr | lf) {
      c.cr += static_cast<std::size_t>(std::popcount(cr));
      c.lf += static_cast<std::size_t>(std::popcount(lf));
      c.crlf += static_cast<std::size_t>(std::popcount(((cr << 1) | prevCr) & lf));
    }
    c.tab += static_cast<std::size_t>(std::popcount(tab));
    prevCr = (cr >> 15) & 1u;
  }
#endif
  for (; i < n; ++i) {
    char x = s[i];
    if (x == '\r') {
      ++c.cr;
    } else if (x == '\n') {
      ++c.lf;
      c.crlf += prevCr;
    } else if (x == '\t') {
      ++c.tab;
    }
    prevCr = x == '\r';
  }
  return c;
}

}  // namespace braceform::scan
