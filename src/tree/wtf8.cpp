#include "tree/wtf8.h"

#include "text/utf.h"
#include "tree/json_value.h"

namespace braceform::wtf8 {

// Surrogate code points take the same three-byte form as any other below U+10000.
void AppendCodePoint(std::string& out, char32_t cp) { text::AppendCodePoint(out, cp); }

std::string FromUTF16(std::u16string_view s) {
  // Sized first, then filled: one allocation for a text of any size.
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c < 0x80) {
      bytes += 1;
    } else if (c < 0x800) {
      bytes += 2;
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
               s[i + 1] <= 0xDFFF) {
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
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x800) {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
    } else {
      if (c < 0x10000) {
        *o++ = static_cast<char>(0xE0 | (c >> 12));
      } else {
        *o++ = static_cast<char>(0xF0 | (c >> 18));
        *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      }
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (c & 0x3F));
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
        char32_t cp = 0x10000 + ((DecodeSurrogateSeq(p) - 0xD800) << 10) +
                      (DecodeSurrogateSeq(p + 3) - 0xDC00);
        AppendCodePoint(out, cp);
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
