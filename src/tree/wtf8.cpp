#include "tree/wtf8.h"

#include "memory/huge_pages.h"
#include "text/unicode.h"

namespace braceform::wtf8 {

std::string FromUTF16(std::u16string_view s) {
  // Sized first, then filled: one allocation for a text of any size.
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c < 0x80) {
      bytes += 1;
    } else if (c < 0x800) {
      bytes += 2;
    } else if (text::IsHighSurrogate(c) && i + 1 < s.size() && text::IsLowSurrogate(s[i + 1])) {
      bytes += 4;
      ++i;
    } else {
      bytes += 3;
    }
  }
  std::string out;
  out.reserve(bytes);
  AdviseHugePages(out.data(), bytes);
  out.resize(bytes);
  char* o = out.data();
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    if (text::IsHighSurrogate(c) && i + 1 < s.size() && text::IsLowSurrogate(s[i + 1])) {
      c = text::CombineSurrogates(c, s[++i]);
    }
    o = text::EncodeUTF8(o, c);
  }
  return out;
}

std::string ToUTF8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    if (*p == 0xED && end - p >= 3 && p[1] >= 0xA0) {
      if (IsHighSurrogateSeq(p) && end - p >= 6 && IsLowSurrogateSeq(p + 3)) {
        AppendCodePoint(out,
                        text::CombineSurrogates(DecodeSurrogateSeq(p), DecodeSurrogateSeq(p + 3)));
        p += 6;
      } else {
        out.append("\xEF\xBF\xBD");
        p += 3;
      }
      continue;
    }
    out.push_back(static_cast<char>(*p++));
  }
  return out;
}

std::size_t UTF16Length(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80 ? 1 + (c >= 0xF0) : 0;
  return n;
}

}  // namespace braceform::wtf8
