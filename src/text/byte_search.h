#pragma once
// The byte searches of the hot loops (the reformatter, the pipeline, the line splitter):
// 16 bytes a step with SSE2 where the target has it (every x86-64), a plain loop elsewhere.
// Every SIMD load of the project lives here.
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace braceform::bytes {

// 0x01 to 0x20; the zero byte is not blank.
inline bool IsBlankByte(char c) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) - 1) < 0x20;
}

namespace detail {

#if defined(__SSE2__)
inline __m128i Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline unsigned Mask(__m128i hits) { return static_cast<unsigned>(_mm_movemask_epi8(hits)); }
inline __m128i Equal(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
inline __m128i Any3(__m128i v, char a, char b, char c) {
  return _mm_or_si128(_mm_or_si128(Equal(v, a), Equal(v, b)), Equal(v, c));
}
// Bytes at or below limit, compared unsigned.
inline __m128i AtMost(__m128i v, char limit) {
  return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(limit)), v);
}
#endif

// Scans 16-byte blocks while a whole block lies before readableEnd (blockHits gives the
// mask of the bytes that stop the search), then single bytes (stops says whether one
// stops it). The single-byte tail relies on a stopping byte (the caller's zero padding).
template <typename BlockHits, typename Stops>
inline const char* FindFirst(const char* p, const char* readableEnd,
                             [[maybe_unused]] BlockHits blockHits, Stops stops) {
#if defined(__SSE2__)
  while (readableEnd - p >= 16) {
    const unsigned mask = blockHits(Load(p));
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
#define BRACEFORM_BLOCK(expr) [](__m128i v) { return expr; }
#else
#define BRACEFORM_BLOCK(expr) 0
#endif

}  // namespace detail

// --- Zero-terminated texts with padding: never read past readableEnd ---------------------

// First byte that is a double quote, a backslash or zero.
inline const char* FindQuoteBackslashOrZero(const char* p, const char* readableEnd) {
  using namespace detail;
  return FindFirst(p, readableEnd, BRACEFORM_BLOCK(Mask(Any3(v, '"', '\\', 0))),
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

// First byte that is not blank.
inline const char* SkipBlankRun(const char* p, const char* readableEnd) {
  using namespace detail;
  return FindFirst(p, readableEnd,
                   BRACEFORM_BLOCK(Mask(AtMost(_mm_sub_epi8(v, _mm_set1_epi8(1)), 0x1F)) ^ 0xFFFFu),
                   [](char c) { return !IsBlankByte(c); });
}

#undef BRACEFORM_BLOCK

// --- 64-byte blocks: one bit per byte, bit i for byte i -----------------------------------

struct QuoteBits {
  std::uint64_t quote = 0;      // "
  std::uint64_t backslash = 0;  // the backslash
  std::uint64_t lead = 0;       // a byte equal to `lead`
};

// Reads the 64 bytes at p.
inline QuoteBits ClassifyQuotes64(const char* p, char lead) {
  QuoteBits b;
#if defined(__SSE2__)
  using namespace detail;
  for (int k = 0; k < 4; ++k) {
    const __m128i v = Load(p + 16 * k);
    b.quote |= static_cast<std::uint64_t>(Mask(Equal(v, '"'))) << (16 * k);
    b.backslash |= static_cast<std::uint64_t>(Mask(Equal(v, '\\'))) << (16 * k);
    b.lead |= static_cast<std::uint64_t>(Mask(Equal(v, lead))) << (16 * k);
  }
#else
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (p[i] == '"') b.quote |= bit;
    if (p[i] == '\\') b.backslash |= bit;
    if (p[i] == lead) b.lead |= bit;
  }
#endif
  return b;
}

// The bytes escaped by a backslash, read left to right: each backslash that is not itself
// escaped escapes the byte after it. `carry` says on entry that byte 0 is escaped, and on
// return that the first byte of the next block is.
inline std::uint64_t EscapedBytes(std::uint64_t backslash, std::uint64_t& carry) {
  std::uint64_t escaped = carry;
  carry = 0;
  std::uint64_t m = backslash & ~escaped;
  while (m != 0) {
    const int i = std::countr_zero(m);
    if (i == 63) {
      carry = 1;
      break;
    }
    const std::uint64_t next = std::uint64_t{2} << i;
    escaped |= next;
    m &= ~((std::uint64_t{1} << i) | next);
  }
  return escaped;
}

// Bit i set when an odd number of bits at or below i are set: with the string quotes in,
// the bytes from an opening quote up to its closing one.
inline std::uint64_t PrefixParity(std::uint64_t x) {
  x ^= x << 1;
  x ^= x << 2;
  x ^= x << 4;
  x ^= x << 8;
  x ^= x << 16;
  x ^= x << 32;
  return x;
}

// --- Texts of known length ----------------------------------------------------------------

// Length of the run of bytes below 0x80 at s[i, n), from i.
inline std::size_t AsciiRun(const char* s, std::size_t n, std::size_t i) {
  const std::size_t start = i;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const unsigned high = detail::Mask(detail::Load(s + i));  // the top bit of every byte
    if (high != 0) return i - start + static_cast<std::size_t>(std::countr_zero(high));
  }
#endif
  while (i < n && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i - start;
}

// Index of the first byte at or after i that equals a, b or c, or n. Pass the same value
// twice to look for fewer bytes.
inline std::size_t FindFirstOf(const char* s, std::size_t n, std::size_t i, char a, char b,
                               char c) {
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const unsigned bits = detail::Mask(detail::Any3(detail::Load(s + i), a, b, c));
    if (bits) return i + static_cast<std::size_t>(std::countr_zero(bits));
  }
#endif
  for (; i < n; ++i) {
    const char x = s[i];
    if (x == a || x == b || x == c) return i;
  }
  return n;
}

// Whether every CR is followed by an LF and every LF follows a CR.
inline bool OnlyCrLfBreaks(const char* s, std::size_t n) {
  std::size_t i = 0;
  bool pendingCr = false;  // the byte before i is a CR
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const __m128i v = detail::Load(s + i);
    const unsigned cr = detail::Mask(detail::Equal(v, '\r'));
    const unsigned lf = detail::Mask(detail::Equal(v, '\n'));
    if (lf != (((cr << 1) | (pendingCr ? 1u : 0u)) & 0xFFFFu)) return false;
    pendingCr = (cr >> 15) != 0;
  }
#endif
  for (; i < n; ++i) {
    if ((s[i] == '\n') != pendingCr) return false;
    pendingCr = s[i] == '\r';
  }
  return !pendingCr;
}

// Index of the last byte before end that equals a, b or c, or end when there is none.
inline std::size_t FindLastOf(const char* s, std::size_t end, char a, char b, char c) {
  std::size_t r = end;
#if defined(__SSE2__)
  for (; r >= 16; r -= 16) {
    const unsigned bits = detail::Mask(detail::Any3(detail::Load(s + r - 16), a, b, c));
    if (bits) return r - 16 + static_cast<std::size_t>(31 - std::countl_zero(bits));
  }
#endif
  while (r > 0) {
    const char x = s[--r];
    if (x == a || x == b || x == c) return r;
  }
  return end;
}

// Index of the first "//" at or after i, or n.
inline std::size_t FindDoubleSlash(const char* s, std::size_t n, std::size_t i) {
#if defined(__SSE2__)
  for (; i + 17 <= n; i += 16) {
    const unsigned bits = detail::Mask(_mm_and_si128(detail::Equal(detail::Load(s + i), '/'),
                                                     detail::Equal(detail::Load(s + i + 1), '/')));
    if (bits) return i + static_cast<std::size_t>(std::countr_zero(bits));
  }
#endif
  for (; i + 1 < n; ++i) {
    if (s[i] == '/' && s[i + 1] == '/') return i;
  }
  return n;
}

// Copies s[i, n) to o up to the first byte that equals a, b or c; returns how many bytes
// it copied. Whole blocks are stored, some past the stop: o must have room for n - i bytes.
inline std::size_t CopyUntilAnyOf(const char* s, std::size_t i, std::size_t n, char* o, char a,
                                  char b, char c) {
  const std::size_t start = i;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16, o += 16) {
    const __m128i v = detail::Load(s + i);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
    const unsigned bits = detail::Mask(detail::Any3(v, a, b, c));
    if (bits) return i - start + static_cast<std::size_t>(std::countr_zero(bits));
  }
#endif
  for (; i < n; ++i) {
    const char x = s[i];
    if (x == a || x == b || x == c) break;
    *o++ = x;
  }
  return i - start;
}

// Moves the bytes before r to end at w (w >= r), from the back, block by block while the
// gap w - r is at least a block (a stored block then lands at or above r, on bytes already
// read), and updates r and w. Returns true when it stopped right behind a byte that equals
// a, b or c (at r - 1); false when blocks no longer apply and the caller goes on byte-wise.
inline bool MoveBackUntilAnyOf(char* buf, std::size_t& r, std::size_t& w, char a, char b, char c) {
#if defined(__SSE2__)
  while (r >= 16 && w - r >= 16) {
    const __m128i v = detail::Load(buf + r - 16);
    const unsigned bits = detail::Mask(detail::Any3(v, a, b, c));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(buf + w - 16), v);
    if (bits == 0) {
      r -= 16;
      w -= 16;
      continue;
    }
    const std::size_t behind = static_cast<std::size_t>(std::countl_zero(bits)) - 16;
    r -= behind;
    w -= behind;
    return true;
  }
#else
  (void)buf, (void)r, (void)w, (void)a, (void)b, (void)c;
#endif
  return false;
}

// Counts of the bytes that decide the size of a text form.
struct BreakCounts {
  std::size_t cr = 0, lf = 0, crlf = 0, tab = 0;
};

inline BreakCounts CountBreaks(const char* s, std::size_t n) {
  BreakCounts c;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Each match subtracts -1 from a byte lane; the lanes are summed before they can wrap.
  const __m128i zero = _mm_setzero_si128();
  auto sum = [&](__m128i acc) {
    const __m128i s2 = _mm_sad_epu8(acc, zero);
    return static_cast<std::size_t>(_mm_cvtsi128_si32(s2)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(s2, s2)));
  };
  while (i + 17 <= n) {  // the pair test reads one byte past the block
    __m128i accCr = zero, accLf = zero, accTab = zero, accPair = zero;
    for (int k = 0; k < 255 && i + 17 <= n; ++k, i += 16) {
      const __m128i v = detail::Load(s + i);
      const __m128i cr = detail::Equal(v, '\r');
      accCr = _mm_sub_epi8(accCr, cr);
      accLf = _mm_sub_epi8(accLf, detail::Equal(v, '\n'));
      accTab = _mm_sub_epi8(accTab, detail::Equal(v, '\t'));
      accPair =
          _mm_sub_epi8(accPair, _mm_and_si128(cr, detail::Equal(detail::Load(s + i + 1), '\n')));
    }
    c.cr += sum(accCr);
    c.lf += sum(accLf);
    c.tab += sum(accTab);
    c.crlf += sum(accPair);
  }
#endif
  for (; i < n; ++i) {
    const char x = s[i];
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

}  // namespace braceform::bytes
