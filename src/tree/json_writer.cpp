#include "tree/json_writer.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "memory/huge_pages.h"
#include "tree/iso8601.h"
#include "tree/json_error.h"
#include "tree/wtf8.h"

namespace braceform {

namespace {

// 0: copied as is; 1: two-character escape; 2: \u00XX; 3: 0xED, maybe a surrogate.
struct EscapeTable {
  std::uint8_t kind[256];
  char letter[256];
  EscapeTable() {
    for (int c = 0; c < 256; ++c) {
      kind[c] = c < 0x20 ? 2 : 0;
      letter[c] = 0;
    }
    const char* pairs = "\bb\tt\nn\ff\rr\"\"\\\\";
    for (const char* p = pairs; *p; p += 2) {
      kind[static_cast<unsigned char>(p[0])] = 1;
      letter[static_cast<unsigned char>(p[0])] = p[1];
    }
    kind[0xED] = 3;
  }
};
const EscapeTable kEscapes;

constexpr std::size_t kMaxFloatText = 32;
constexpr std::size_t kMaxDateText = 34;

// Counts the output size (an upper bound where surrogates are merged or replaced),
// saturating instead of overflowing.
struct CountSink {
  std::size_t n = 0;
  void Add(std::size_t k) { n = n + k < n ? SIZE_MAX : n + k; }
  void Bytes(const char*, std::size_t len) { Add(len); }
  void Byte(char) { Add(1); }
  void Spaces(std::size_t k) { Add(k); }
  void String(std::string_view s, bool) {
    std::size_t extra = 0;
    for (unsigned char c : s) {
      const std::uint8_t k = kEscapes.kind[c];
      extra += k == 1 ? 1 : k == 2 ? 5 : 0;
    }
    Add(s.size() + 2);
    Add(extra);
  }
  // Numbers are counted exactly: a bound would reserve many times the text of a
  // document made mostly of small numbers.
  void Integer(std::int64_t v) {
    char buf[24];
    Add(static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
  }
  void Float(double v) {
    char buf[kMaxFloatText];
    Add(JSONWriter::FormatFloat(buf, v));
  }
  void Date(DataType kind, std::int64_t ms, bool universalTime) {
    char buf[kMaxDateText];
    Add(2 + FormatDateValue(buf, kind, ms, universalTime));
  }
};

template <class Char>
struct WriteSink {
  Char* o;
  bool utf8;
  // Structural text, numbers and dates are ASCII.
  void Bytes(const char* p, std::size_t len) {
    if constexpr (sizeof(Char) == 1) {
      std::memcpy(o, p, len);
      o += len;
    } else {
      for (std::size_t i = 0; i < len; ++i) *o++ = static_cast<unsigned char>(p[i]);
    }
  }
  void Byte(char c) { *o++ = static_cast<unsigned char>(c); }
  void Spaces(std::size_t k) {
    if constexpr (sizeof(Char) == 1)
      std::memset(o, ' ', k);
    else
      std::fill(o, o + k, u' ');
    o += k;
  }
  // A run of bytes that need no escape; whole characters, never split.
  void Copy(const unsigned char* p, const unsigned char* end) {
    if constexpr (sizeof(Char) == 1) {
      std::memcpy(o, p, static_cast<std::size_t>(end - p));
      o += end - p;
    } else {
      while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
          *o++ = c;
          ++p;
        } else if (c < 0xE0) {
          *o++ = static_cast<char16_t>(((c & 0x1F) << 6) | (p[1] & 0x3F));
          p += 2;
        } else if (c < 0xF0) {
          *o++ = static_cast<char16_t>(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
          p += 3;
        } else {
          const char32_t cp =
              ((c & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
          *o++ = text::HighSurrogateOf(cp);
          *o++ = text::LowSurrogateOf(cp);
          p += 4;
        }
      }
    }
  }
  void String(std::string_view s, bool) {
    static const char hex[] = "0123456789abcdef";
    *o++ = '"';
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
      const auto* run = p;
      while (p < end && kEscapes.kind[*p] == 0) ++p;
      Copy(run, p);
      if (p == end) break;
      const unsigned char c = *p;
      switch (kEscapes.kind[c]) {
        case 1:
          *o++ = '\\';
          *o++ = static_cast<unsigned char>(kEscapes.letter[c]);
          ++p;
          break;
        case 2:
          Bytes("\\u00", 4);
          *o++ = static_cast<unsigned char>(hex[c >> 4]);
          *o++ = static_cast<unsigned char>(hex[c & 15]);
          ++p;
          break;
        default: {  // 0xED: a surrogate, written as UTF-8 needs it, or an ordinary character
          const auto* next = end - p >= 3 ? p + 3 : end;
          if (sizeof(Char) == 1 && utf8 && next - p == 3 && p[1] >= 0xA0) {
            if (wtf8::IsHighSurrogateSeq(p) && end - p >= 6 && wtf8::IsLowSurrogateSeq(p + 3)) {
              std::string cp;
              wtf8::AppendCodePoint(cp, text::CombineSurrogates(wtf8::DecodeSurrogateSeq(p),
                                                                wtf8::DecodeSurrogateSeq(p + 3)));
              Bytes(cp.data(), cp.size());
              next = p + 6;
            } else {
              Bytes("\xEF\xBF\xBD", 3);
            }
          } else {
            Copy(p, next);
          }
          p = next;
          break;
        }
      }
    }
    *o++ = '"';
  }
  void Integer(std::int64_t v) {
    char buf[24];
    Bytes(buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
  }
  void Float(double v) {
    char buf[kMaxFloatText];
    Bytes(buf, JSONWriter::FormatFloat(buf, v));
  }
  void Date(DataType kind, std::int64_t ms, bool universalTime) {
    char buf[kMaxDateText];
    buf[0] = '"';
    std::size_t n = 1 + FormatDateValue(buf + 1, kind, ms, universalTime);
    buf[n++] = '"';
    Bytes(buf, n);
  }
};

// The largest text we try to build: half of the physical memory.
std::size_t OutputLimit() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return SIZE_MAX / 4;
  return static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
}

}  // namespace

std::size_t JSONWriter::FormatFloat(char* out, double value) {
  char* o = out;
  if (std::isnan(value)) {
    std::memcpy(o, "NAN", 3);
    return 3;
  }
  if (value == 0) {
    *o = '0';
    return 1;
  }
  if (value < 0) {
    *o++ = '-';
    value = -value;
  }
  if (std::isinf(value)) {
    std::memcpy(o, "INF", 3);
    return static_cast<std::size_t>(o + 3 - out);
  }
  // 18 significant digits, then half-up rounding to 15.
  char sci[40];
  char* end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 17).ptr;
  char digits[18];
  digits[0] = sci[0];
  std::memcpy(digits + 1, sci + 2, 17);
  const char* e =
      static_cast<const char*>(std::memchr(sci, 'e', static_cast<std::size_t>(end - sci)));
  int exp10 = 0;
  std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exp10);
  int n = 15;
  if (digits[15] >= '5') {
    int i = 14;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i < 0) {
      digits[0] = '1';
      ++exp10;
    } else {
      ++digits[i];
    }
  }
  while (n > 1 && digits[n - 1] == '0') --n;
  const int E = exp10 + 1;  // value = 0.d1d2...dn x 10^E
  if (E > 15 || E < -3) {
    *o++ = digits[0];
    if (n > 1) {
      *o++ = '.';
      std::memcpy(o, digits + 1, static_cast<std::size_t>(n - 1));
      o += n - 1;
    }
    *o++ = 'E';
    o = std::to_chars(o, o + 8, E - 1).ptr;
  } else if (E <= 0) {
    *o++ = '0';
    *o++ = '.';
    for (int i = 0; i < -E; ++i) *o++ = '0';
    std::memcpy(o, digits, static_cast<std::size_t>(n));
    o += n;
  } else {
    for (int i = 0; i < E; ++i) *o++ = i < n ? digits[i] : '0';
    if (n > E) {
      *o++ = '.';
      std::memcpy(o, digits + E, static_cast<std::size_t>(n - E));
      o += n - E;
    }
  }
  return static_cast<std::size_t>(o - out);
}

template <class Sink>
void JSONWriter::Scalar(const JSONValue& v, Sink& out) const {
  switch (v.GetDataType()) {
    case dtNull:
    case dtNil:
      out.Bytes("null", 4);
      break;
    case dtBoolean:
      if (v.AsBoolean())
        out.Bytes("true", 4);
      else
        out.Bytes("false", 5);
      break;
    case dtInteger:
      out.Integer(v.AsInteger());
      break;
    case dtFloat:
      out.Float(v.AsFloat());
      break;
    case dtString:
      out.String(v.AsString(), utf8_);
      break;
    case dtDateTime:
    case dtDate:
    case dtTime:
      out.Date(v.GetDataType(), v.AsMilliseconds(), universalTime_);
      break;
    default:
      break;
  }
}

template <class Sink>
void JSONWriter::Walk(const JSONValue& root, Sink& out) const {
  const auto isContainer = [](const JSONValue& v) {
    return v.GetDataType() == dtObject || v.GetDataType() == dtArray;
  };
  if (!isContainer(root)) {
    Scalar(root, out);
    return;
  }
  struct Frame {
    const JSONValue* node;
    std::uint32_t next;
  };
  std::vector<Frame> stack;
  std::size_t indent = 0;
  // Structural appends are indented; a line break may follow.
  const auto append = [&](const char* text, std::size_t len, bool crlf) {
    if (ident_) out.Spaces(indent);
    out.Bytes(text, len);
    if (ident_ && crlf) out.Bytes("\r\n", 2);
  };
  const auto open = [&](const JSONValue& v) {
    append(v.GetDataType() == dtObject ? "{" : "[", 1, true);
    indent += 2;
    stack.push_back({&v, 0});
  };
  open(root);
  while (!stack.empty()) {
    Frame& f = stack.back();
    const JSONValue& node = *f.node;
    if (f.next == node.Count()) {
      indent -= 2;
      if (ident_) append("\r\n", 2, false);
      append(node.GetDataType() == dtObject ? "}" : "]", 1, false);
      stack.pop_back();
      continue;
    }
    if (f.next != 0) {
      out.Byte(',');
      if (ident_) out.Bytes("\r\n", 2);
    }
    const JSONValue* value;
    if (node.GetDataType() == dtObject) {
      const JSONPair& pair = *node.Pair(f.next);
      if (ident_) out.Spaces(indent);
      out.String(pair.Name(), utf8_);
      out.Byte(':');
      value = &pair.Value();
      if (ident_ && isContainer(*value)) append("", 0, true);
    } else {
      value = node.Get(f.next);
    }
    ++f.next;
    if (isContainer(*value))
      open(*value);  // invalidates f
    else
      Scalar(*value, out);
  }
}

template <class Text>
Text JSONWriter::WriteAs(const JSONValue& root) const {
  using Char = typename Text::value_type;
  // Counted in bytes: an upper bound of the UTF-16 length as well.
  CountSink count;
  Walk(root, count);
  static const std::size_t limit = OutputLimit();
  if (count.n > limit / sizeof(Char))
    throw JSONError("The document is too large to be written in memory");
  Text text;
  text.reserve(count.n);
  AdviseHugePages(text.data(), count.n * sizeof(Char));
  text.resize(count.n);
  WriteSink<Char> sink{text.data(), utf8_};
  Walk(root, sink);
  text.resize(static_cast<std::size_t>(sink.o - text.data()));
  return text;
}

std::string JSONWriter::Write(const JSONValue& root) const { return WriteAs<std::string>(root); }

std::u16string JSONWriter::WriteUTF16(const JSONValue& root) const {
  return WriteAs<std::u16string>(root);
}

}  // namespace braceform
