#pragma once
// Block-wise byte searches for the reformatter's hot loops. Each one reads 16-byte blocks
// only while a whole block lies before readableEnd and finishes byte by byte, so it never
// reads past the zero padding its caller guarantees.
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace braceform::streaming {

inline bool IsBlankByte(char c) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) - 1) < 0x20;
}

namespace detail {

// Scans 16-byte blocks while a whole block is readable (blockHits gives the mask of the
// bytes that stop the search), then single bytes (stops says whether one stops it).
template <typename BlockHits, typename Stops>
inline const char* FindFirst(const char* p, const char* readableEnd,
                             [[maybe_unused]] BlockHits blockHits, Stops stops) {
#if defined(__SSE2__)
  while (readableEnd - p >= 16) {
    const unsigned mask = blockHits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    if (mask != 0) return p + __builtin_ctz(mask);
    p += 16;
  }
#else
  (void)readableEnd;
#endif
  while (!stops(*p)) ++p;
  return p;
}

#if defined(__SSE2__)
inline unsigned Mask(__m128i hits) { return static_cast<unsigned>(_mm_movemask_epi8(hits)); }
inline __m128i Equal(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
// Bytes at or below limit, compared unsigned.
inline __m128i AtMost(__m128i v, char limit) {
  return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(limit)), v);
}
#define BRACEFORM_BLOCK(expr) [](__m128i v) { return expr; }
#else
#define BRACEFORM_BLOCK(expr) 0
#endif

}  // namespace detail

// First byte that is a double quote, a backslash or zero.
inline const char* FindQuoteBackslashOrZero(const char* p, const char* readableEnd) {
  using namespace detail;
  return FindFirst(
      p, readableEnd,
      BRACEFORM_BLOCK(Mask(_mm_or_si128(_mm_or_si128(Equal(v, '"'), Equal(v, '\\')), Equal(v, 0)))),
      [](char c) { return c == '"' || c == '\\' || c == 0; });
}

// First byte that is a double quote, a backslash or below 0x20 (zero included).
inline const char* FindQuoteBackslashOrControl(const char* p, const char* readableEnd) {
  using namespace detail;
  return FindFirst(
      p, readableEnd,
      BRACEFORM_BLOCK(
          Mask(_mm_or_si128(_mm_or_si128(Equal(v, '"'), Equal(v, '\\')), AtMost(v, 0x1F)))),
      [](char c) { return c == '"' || c == '\\' || static_cast<std::uint8_t>(c) < 0x20; });
}

// First byte that is not blank (0x01 to 0x20); the zero byte is not blank.
inline const char* SkipBlankRun(const char* p, const char* readableEnd) {
  using namespace detail;
  return FindFirst(p, readableEnd,
                   BRACEFORM_BLOCK(Mask(AtMost(_mm_sub_epi8(v, _mm_set1_epi8(1)), 0x1F)) ^ 0xFFFFu),
                   [](char c) { return !IsBlankByte(c); });
}

#undef BRACEFORM_BLOCK

}  // namespace braceform::streaming
