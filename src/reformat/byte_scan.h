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

// Index of the last byte before end that equals a, b or c, or end when there is none.
inline std::size_t FindLastOf(const char* s, std::size_t end, char a, char b, char c) {
  std::size_t r = end;
#ifdef __SSE2__
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c);
  for (; r >= 16; r -= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + r - 16));
    __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                             _mm_cmpeq_epi8(v, vc));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m));
    if (bits) return r - 16 + static_cast<std::size_t>(31 - std::countl_zero(bits));
  }
#endif
  while (r > 0) {
    char x = s[--r];
    if (x == a || x == b || x == c) return r;
  }
  return end;
}

// Counts of the bytes that decide the size of a text form.
struct BreakCounts {
  std::size_t cr = 0, lf = 0, crlf = 0, tab = 0;
};

inline BreakCounts CountBreaks(const char* s, std::size_t n) {
  BreakCounts c;
  std::size_t i = 0;
#ifdef __SSE2__
  // Each match subtracts -1 from a byte lane; the lanes are summed before they can wrap.
  const __m128i vcr = _mm_set1_epi8('\r'), vlf = _mm_set1_epi8('\n'), vtab = _mm_set1_epi8('\t');
  const __m128i zero = _mm_setzero_si128();
  auto sum = [&](__m128i acc) {
    __m128i s2 = _mm_sad_epu8(acc, zero);
    return static_cast<std::size_t>(_mm_cvtsi128_si32(s2)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(s2, s2)));
  };
  while (i + 17 <= n) {  // the pair test reads one byte past the block
    __m128i accCr = zero, accLf = zero, accTab = zero, accPair = zero;
    for (int k = 0; k < 255 && i + 17 <= n; ++k, i += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
      __m128i cr = _mm_cmpeq_epi8(v, vcr);
      accCr = _mm_sub_epi8(accCr, cr);
      accLf = _mm_sub_epi8(accLf, _mm_cmpeq_epi8(v, vlf));
      accTab = _mm_sub_epi8(accTab, _mm_cmpeq_epi8(v, vtab));
      accPair = _mm_sub_epi8(accPair, _mm_and_si128(cr, _mm_cmpeq_epi8(next, vlf)));
    }
    c.cr += sum(accCr);
    c.lf += sum(accLf);
    c.tab += sum(accTab);
    c.crlf += sum(accPair);
  }
#endif
  for (; i < n; ++i) {
    char x = s[i];
    if (x == '\r') {
      ++c.cr;
      if (i + 1 < n && s[i + 1] == '\n') ++c.crlf;
    } else if (x == '\n') {
      ++c.lf;
    } else if (x == '\t') {
      ++c.tab;
    }
  }
  return c;
}

}  // namespace braceform::scan
