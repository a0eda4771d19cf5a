#include "text/utf.h"

#include <cstdint>
#include <cstring>

#include "text/byte_search.h"

namespace braceform::text {
namespace {

constexpr char32_t kReplacement = kReplacementCharacter;

inline bool AllAscii8(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return (w & 0x8080808080808080ULL) == 0;
}

// Decodes one sequence at s[i] (s[i] >= 0x80). Returns the code point and sets len to the
// bytes used; on an invalid sequence returns kReplacement with len = the maximal subpart.
inline char32_t DecodeOne(const unsigned char* s, std::size_t n, std::size_t i, std::size_t& len,
                          bool& ok) {
  unsigned char b0 = s[i];
  ok = false;
  len = 1;
  std::size_t need;
  char32_t cp;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return kReplacement;
  }
  for (std::size_t k = 1; k <= need; ++k) {
    if (i + k >= n) return kReplacement;
    unsigned char b = s[i + k];
    if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return kReplacement;
    cp = (cp << 6) | (b & 0x3F);
    len = k + 1;
  }
  ok = true;
  return cp;
}

}  // namespace

std::size_t ValidUTF8Prefix(std::string_view sv) {
  auto s = reinterpret_cast<const unsigned char*>(sv.data());
  std::size_t n = sv.size(), i = 0;
  while (i < n) {
    const unsigned char b0 = s[i];
    if (b0 < 0x80) {
      i += bytes::AsciiRun(sv.data(), n, i);
      continue;
    }
    // The common two- and three-byte forms, whose continuation bytes may take any value.
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      if (i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
        i += 2;
        continue;
      }
    } else if (b0 >= 0xE1 && b0 <= 0xEF && b0 != 0xED) {
      if (i + 2 < n && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) {
        i += 3;
        continue;
      }
    }
    std::size_t len;
    bool ok;
    DecodeOne(s, n, i, len, ok);
    if (!ok) return i;
    i += len;
  }
  return n;
}

bool IsValidUTF8(std::string_view s) { return ValidUTF8Prefix(s) == s.size(); }

std::u16string UTF8ToUTF16(std::string_view sv) {
  auto s = reinterpret_cast<const unsigned char*>(sv.data());
  std::size_t n = sv.size(), i = 0;
  std::u16string out;
  out.resize(n);  // never more units than bytes
  char16_t* o = out.data();
  while (i < n) {
    if (i + 8 <= n && AllAscii8(s + i)) {
      for (int k = 0; k < 8; ++k) o[k] = s[i + k];
      o += 8;
      i += 8;
      continue;
    }
    if (s[i] < 0x80) {
      *o++ = s[i++];
      continue;
    }
    std::size_t len;
    bool ok;
    char32_t cp = DecodeOne(s, n, i, len, ok);
    i += len;
    if (cp >= 0x10000) {
      *o++ = HighSurrogateOf(cp);
      *o++ = LowSurrogateOf(cp);
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

void AppendUTF16AsUTF8(std::string& out, std::u16string_view s) {
  std::size_t n = s.size(), start = out.size();
  out.resize(start + n * 3);  // a unit never needs more than three bytes (a pair: four for two)
  char* o = out.data() + start;
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = s[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    if (IsSurrogate(c)) {
      if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
        c = CombineSurrogates(c, s[++i]);
      } else {
        c = kReplacement;
      }
    }
    o = EncodeUTF8(o, c);
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

std::string UTF16ToUTF8(std::u16string_view s) {
  std::string out;
  AppendUTF16AsUTF8(out, s);
  return out;
}

bool SanitizeUTF8(std::string& s) {
  std::size_t valid = ValidUTF8Prefix(s);
  if (valid == s.size()) return false;
  std::string out;
  out.reserve(s.size() + 16);
  out.append(s, 0, valid);
  auto p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t n = s.size(), i = valid;
  while (i < n) {
    if (p[i] < 0x80) {
      out.push_back(static_cast<char>(p[i++]));
      continue;
    }
    std::size_t len;
    bool ok;
    char32_t cp = DecodeOne(p, n, i, len, ok);
    if (ok)
      out.append(s, i, len);
    else
      AppendCodePoint(out, cp);
    i += len;
  }
  s.swap(out);
  return true;
}

std::size_t CountCharacters(std::string_view sv) {
  auto s = reinterpret_cast<const unsigned char*>(sv.data());
  const std::size_t n = sv.size();
  std::size_t count = 0;
  for (std::size_t i = 0; i < n;) {
    // In valid text every byte but a continuation byte starts a character.
    const std::size_t valid = i + ValidUTF8Prefix(sv.substr(i));
    for (; i < valid; ++i) count += (s[i] & 0xC0) != 0x80;
    if (i == n) break;
    std::size_t len;
    bool ok;
    DecodeOne(s, n, i, len, ok);  // one maximal invalid subpart: one character
    ++count;
    i += len;
  }
  return count;
}

TextPosition PositionAt(std::string_view text, std::size_t offset) {
  const char* s = text.data();
  const std::size_t n = text.size();
  std::size_t end = offset < n ? offset : n;
  if (end > 0 && end < n && s[end] == '\n' && s[end - 1] == '\r') --end;
  if (end == n && end > 0 && (s[end - 1] == '\n' || s[end - 1] == '\r')) {
    --end;
    if (s[end] == '\n' && end > 0 && s[end - 1] == '\r') --end;
  }
  const bytes::BreakCounts c = bytes::CountBreaks(s, end);
  const std::size_t last = bytes::FindLastOf(s, end, '\r', '\n', '\n');
  const std::size_t lineStart = last == end ? 0 : last + 1;
  return {c.cr + c.lf - c.crlf + 1, CountCharacters(text.substr(lineStart, end - lineStart)) + 1};
}

}  // namespace braceform::text
