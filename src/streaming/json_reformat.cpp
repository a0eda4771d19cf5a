#include "streaming/json_reformat.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "memory/huge_pages.h"
#include "streaming/json_scan.h"
#include "streaming/text_writer.h"
#include "text/byte_search.h"
#include "text/unicode.h"

namespace braceform {
namespace streaming {
namespace {

using bytes::IsBlankByte;
using text::IsHighSurrogate;
using text::IsLowSurrogate;

enum : std::uint8_t {
  kScalarTerminator = 1,
  kLiteralFollower = 2,
  kNumberStart = 4,
  kNumberByte = 8,
  kBareStart = 16,
  kBareByte = 32,
};

constexpr std::array<std::uint8_t, 256> MakeByteClasses() {
  std::array<std::uint8_t, 256> t{};
  for (char c : {',', ':', ']', '}'}) t[static_cast<std::uint8_t>(c)] |= kScalarTerminator;
  for (char c : {'\0', '\t', '\n', '\r', ' ', ',', ']', '}'}) {
    t[static_cast<std::uint8_t>(c)] |= kLiteralFollower;
  }
  for (int c = '0'; c <= '9'; ++c) t[c] |= kNumberStart | kNumberByte | kBareStart | kBareByte;
  t['-'] |= kNumberStart | kNumberByte;
  for (char c : {'+', '.', 'E', 'e'}) t[static_cast<std::uint8_t>(c)] |= kNumberByte;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kBareStart | kBareByte;
  for (int c = 'a'; c <= 'z'; ++c) t[c] |= kBareStart | kBareByte;
  t['_'] |= kBareStart | kBareByte;
  t['$'] |= kBareStart;
  for (char c : {'.', '[', ']'}) t[static_cast<std::uint8_t>(c)] |= kBareByte;
  return t;
}
constexpr std::array<std::uint8_t, 256> kByteClass = MakeByteClasses();

inline bool Is(char c, std::uint8_t cls) {
  return (kByteClass[static_cast<std::uint8_t>(c)] & cls) != 0;
}

inline char* SkipBlanks(char* p, const char* readableEnd) {
  if (IsBlankByte(*p)) {
    ++p;
    if (IsBlankByte(*p)) p = const_cast<char*>(bytes::SkipBlankRun(p + 1, readableEnd));
  }
  return p;
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of four hexadecimal digits, or -1. Stops at the first non-digit, so it never
// reads past a zero byte.
inline long Hex4(const char* p) {
  long v = 0;
  for (int i = 0; i < 4; ++i) {
    const int d = HexDigit(p[i]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

// Decodes the escapes of a quoted name from s (inside the name) up to its closing quote
// `close` into d, and returns the end of what it wrote. Every escape is at least as long as
// what it stands for, so d needs at most close - s bytes.
char* DecodeQuotedName(const char* s, const char* close, char* d) {
  while (s < close) {
    const char c = *s;
    if (c != '\\') {
      *d++ = c;
      ++s;
      continue;
    }
    const char e = s[1];
    switch (e) {
      case 'b':
        *d++ = 0x08;
        s += 2;
        break;
      case 't':
        *d++ = 0x09;
        s += 2;
        break;
      case 'n':
        *d++ = 0x0A;
        s += 2;
        break;
      case 'f':
        *d++ = 0x0C;
        s += 2;
        break;
      case 'r':
        *d++ = 0x0D;
        s += 2;
        break;
      case 'u': {
        const long v = Hex4(s + 2);
        if (v < 0) {  // reading goes on after the "u"
          *d++ = '?';
          s += 2;
          break;
        }
        s += 6;
        if (v == 0) {
          *d++ = '?';
        } else if (!IsHighSurrogate(v) && !IsLowSurrogate(v)) {
          d = text::EncodeUTF8(d, static_cast<char32_t>(v));
        } else {
          // Either half may come first. A surrogate that finds no other half becomes "?"
          // and the escape after it is read on its own.
          const long w = (s[0] == '\\' && s[1] == 'u') ? Hex4(s + 2) : -1;
          if ((IsHighSurrogate(v) && IsLowSurrogate(w)) ||
              (IsLowSurrogate(v) && IsHighSurrogate(w))) {
            const long high = IsHighSurrogate(v) ? v : w;
            const long low = IsHighSurrogate(v) ? w : v;
            d = text::EncodeUTF8(d, text::CombineSurrogates(static_cast<char32_t>(high),
                                                            static_cast<char32_t>(low)));
            s += 6;
          } else {
            *d++ = '?';
          }
        }
        break;
      }
      default:  // \" \\ \/ and any other byte stand for themselves
        *d++ = e;
        s += 2;
        break;
    }
  }
  return d;
}

// The closing quote of a quoted name whose first backslash or control byte is at s, or
// nullptr when the text ends first (a backslash passes over the byte after it).
const char* FindClosingQuote(const char* s, const char* readableEnd) {
  for (;;) {
    s = bytes::FindQuoteBackslashOrZero(s, readableEnd);
    if (*s == '"') return s;
    if (*s == 0 || s[1] == 0) return nullptr;
    s += 2;
  }
}

struct NameScan {
  MemberName name;
  bool copyQuoted = false;  // the input's quoted form is exactly what the writer would write
};

// A name with escapes is decoded into `scratch`, so the text itself is never changed.
inline NameScan ScanName(char* p, const char* readableEnd, std::string& scratch) {
  NameScan r;
  if (p == nullptr) return r;
  p = SkipBlanks(p, readableEnd);
  const char c = *p;
  if (c == '"') {
    const char* start = p + 1;
    const char* stop = bytes::FindQuoteBackslashOrControl(start, readableEnd);
    const char* close = stop;
    const char* name = start;
    std::size_t length = static_cast<std::size_t>(stop - start);
    if (*stop == '"') {
      r.copyQuoted = true;
    } else {
      close = FindClosingQuote(stop, readableEnd);
      if (close == nullptr) return r;
      scratch.resize(static_cast<std::size_t>(close - start));
      std::memcpy(scratch.data(), start, length);
      length = static_cast<std::size_t>(DecodeQuotedName(stop, close, scratch.data() + length) -
                                        scratch.data());
      name = scratch.data();
    }
    char* q = const_cast<char*>(close) + 1;
    if (*q == 0) return r;
    while (!Is(*q, kScalarTerminator)) {
      if (*q == 0) return r;
      ++q;
    }
    if (*q != ':') return r;
    r.name = {true, name, length, q[1] == 0 ? nullptr : q + 1};
    return r;
  }
  if (c == '\'') {
    char* start = p + 1;
    char* q = start;
    while (static_cast<std::uint8_t>(*q) >= 0x20 && *q != '\'') ++q;
    if (*q != '\'') return r;
    char* colon = SkipBlanks(q + 1, readableEnd);
    if (*colon != ':') return r;
    r.name = {true, start, static_cast<std::size_t>(q - start), colon + 1};
    return r;
  }
  if (Is(c, kBareStart)) {
    char* q = p + 1;
    while (Is(*q, kBareByte)) ++q;
    char* colon = SkipBlanks(q, readableEnd);
    if (*colon != ':' && *colon != '=') return r;
    r.name = {true, p, static_cast<std::size_t>(q - p), colon + 1};
    return r;
  }
  return r;
}

inline ScalarValue ScanScalar(char* p, const char* readableEnd) {
  ScalarValue r;
  p = SkipBlanks(p, readableEnd);
  const char c = *p;
  char* q;
  if (Is(c, kNumberStart)) {
    if (c == '0' && p[1] >= '0' && p[1] <= '9') return r;  // a leading zero
    q = p + 1;
    while (Is(*q, kNumberByte)) ++q;
    r.kind = ScalarKind::Number;
    r.start = p;
    if (*q == 0) return r;  // runs up to the end: length 0, no terminator
    r.length = static_cast<std::size_t>(q - p);
    if (IsBlankByte(*q)) ++q;
  } else if (c == 'n' && p[1] == 'u' && p[2] == 'l' && p[3] == 'l' && Is(p[4], kLiteralFollower)) {
    r.kind = ScalarKind::Null;
    q = p + 4;
  } else if (c == 't' && p[1] == 'r' && p[2] == 'u' && p[3] == 'e' && Is(p[4], kLiteralFollower)) {
    r.kind = ScalarKind::True;
    r.start = p;
    r.length = 4;
    q = p + 4;
  } else if (c == 'f' && p[1] == 'a' && p[2] == 'l' && p[3] == 's' && p[4] == 'e' &&
             Is(p[5], kLiteralFollower)) {
    r.kind = ScalarKind::False;
    r.start = p;
    r.length = 5;
    q = p + 5;
  } else {
    return r;
  }
  // Whatever stands between the scalar and its terminator is dropped.
  while (!Is(*q, kScalarTerminator)) {
    if (*q == 0) return r;
    ++q;
  }
  r.terminator = *q;
  r.terminatorAt = q;
  r.next = q[1] == 0 ? nullptr : q + 1;
  return r;
}

const char* ReadableEndOf(const char* json) { return json + std::strlen(json) + 1; }

}  // namespace

ScalarValue ScanScalarValue(char* json) {
  if (json == nullptr) return {};
  return ScanScalar(json, ReadableEndOf(json));
}

MemberName ScanMemberName(char* json, std::string& scratch) {
  if (json == nullptr) return {};
  return ScanName(json, ReadableEndOf(json), scratch).name;
}

bool IsBareMemberName(std::string_view name) {
  if (name.empty() || !Is(name[0], kBareStart)) return false;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (!Is(name[i], kBareByte)) return false;
  }
  return true;
}

}  // namespace streaming

using streaming::SkipBlanks;

char* TextWriter::AddJSONReformat(char* json, TextWriterJSONFormat format, char* endOfObject) {
  if (json == nullptr) {
    if (endOfObject != nullptr) *endOfObject = 0;
    stoppedAt_ = valueEnd_ = nullptr;
    return nullptr;
  }
  return AddJSONReformat(json, streaming::ReadableEndOf(json), format, endOfObject);
}

// One value, walked without recursion: the open containers live on an explicit stack of
// one byte each, so the nesting depth is bounded by memory only. Any point where a nested
// value reports no terminator ends the whole walk, which is why "stop" simply returns; each
// such point first notes where reading stopped (kTextEnded: where the text ended).
char* TextWriter::AddJSONReformat(char* json, const char* readableEnd, TextWriterJSONFormat format,
                                  char* endOfObject) {
  enum : std::uint8_t { kArray, kObject };
  const bool lineBreaks = format == jsonHumanReadable || format == jsonUnquotedPropName;
  const bool bareNames = format == jsonUnquotedPropName || format == jsonUnquotedPropNameCompact;
  std::vector<std::uint8_t> open;
  std::string nameScratch;  // names with escapes, decoded
  char* p = json;
  char t = 0;
  const char* tAt = nullptr;  // where t stands
  if (endOfObject != nullptr) *endOfObject = 0;
  stoppedAt_ = valueEnd_ = nullptr;

value:
  if (p == nullptr) {
    stoppedAt_ = kTextEnded;
    return nullptr;
  }
  p = SkipBlanks(p, readableEnd);
  switch (*p) {
    case '[':
      p = SkipBlanks(p + 1, readableEnd);
      if (*p == ']') {
        Add('[', ']');
        ++p;
        goto terminator;
      }
      if (lineBreaks) AddCRAndIndent();
      ++humanReadableLevel_;
      Add('[');
      open.push_back(kArray);
      goto element;
    case '{':
      p = SkipBlanks(p + 1, readableEnd);
      Add('{');
      ++humanReadableLevel_;
      if (lineBreaks) AddCRAndIndent();
      if (*p == '}') {
        p = SkipBlanks(p + 1, readableEnd);
        goto closeObject;
      }
      open.push_back(kObject);
      goto member;
    case '"': {
      const char* q = p + 1;
      for (;;) {
        q = bytes::FindQuoteBackslashOrZero(q, readableEnd);
        if (*q != '\\') break;
        if (q[1] == 0) {
          ++q;
          break;
        }
        q += 2;
      }
      if (*q == 0) {  // no closing quote: nothing is written for it
        stoppedAt_ = p;
        return nullptr;
      }
      AddNoJSONEscapeSmall(p, q + 1 - p, readableEnd);
      p = const_cast<char*>(q) + 1;
      goto terminator;
    }
    default: {
      const streaming::ScalarValue s = streaming::ScanScalar(p, readableEnd);
      if (s.kind == streaming::ScalarKind::Failure || s.kind == streaming::ScalarKind::Null) {
        AddShort("null");
      } else {
        AddNoJSONEscapeSmall(s.start, static_cast<std::int64_t>(s.length), readableEnd);
      }
      if (s.terminator == 0) {
        // The text ended before a terminator: what follows the written scalar is unread,
        // unless it is only blanks after a whole value.
        const char* unread = s.kind == streaming::ScalarKind::Failure ? p
                             : s.kind == streaming::ScalarKind::Null  ? p + 4
                                                                      : s.start + s.length;
        unread = SkipBlanks(const_cast<char*>(unread), readableEnd);
        if (*unread != 0 || !open.empty()) stoppedAt_ = unread;
        tAt = unread;
      } else {
        tAt = s.terminatorAt;
      }
      p = s.next;
      t = s.terminator;
      goto gotTerminator;
    }
  }

terminator:  // after an array, an object or a string
  if (p == nullptr) {
    t = 0;
    tAt = kTextEnded;
  } else {
    p = SkipBlanks(p, readableEnd);
    tAt = p;
    t = *p;
    if (t != 0) p = SkipBlanks(p + 1, readableEnd);
  }

gotTerminator:
  if (open.empty()) {
    if (endOfObject != nullptr) *endOfObject = t;
    valueEnd_ = tAt;
    return p;
  }
  if (t == 0) {
    if (stoppedAt_ == nullptr) stoppedAt_ = tAt;
    return nullptr;
  }
  if (open.back() == kArray) {
    if (t == ']') {
      open.pop_back();
      --humanReadableLevel_;
      if (lineBreaks) AddCRAndIndent();
      Add(']');
      goto terminator;
    }
    Add(t);
    goto element;
  }
  if (t == '}') {
    open.pop_back();
    goto closeObject;
  }
  Add(t);
  if (lineBreaks) AddCRAndIndent();
  goto member;

element:
  // The array looks for more text before its line break; the object writes its line break
  // first (above), so only a text that ends after a member's separator ends in a break.
  if (p == nullptr) {
    stoppedAt_ = kTextEnded;
    return nullptr;
  }
  if (lineBreaks) AddCRAndIndent();
  goto value;

member : {
  const streaming::NameScan n = streaming::ScanName(p, readableEnd, nameScratch);
  if (!n.name.ok) {
    stoppedAt_ = p == nullptr ? kTextEnded : SkipBlanks(p, readableEnd);
    return nullptr;
  }
  if (bareNames && streaming::IsBareMemberName({n.name.name, n.name.length})) {
    AddNoJSONEscapeSmall(n.name.name, static_cast<std::int64_t>(n.name.length), readableEnd);
  } else if (n.copyQuoted) {
    AddNoJSONEscapeSmall(n.name.name - 1, static_cast<std::int64_t>(n.name.length) + 2,
                         readableEnd);
  } else {
    Add('"');
    // A zero length would mean "up to the first zero byte".
    if (n.name.length != 0) AddJSONEscape(n.name.name, static_cast<std::int64_t>(n.name.length));
    Add('"');
  }
  if (lineBreaks) {
    Add(':', ' ');
  } else {
    Add(':');
  }
  p = n.name.next;
  if (p != nullptr) p = SkipBlanks(p, readableEnd);
  goto value;
}

closeObject:
  --humanReadableLevel_;
  if (lineBreaks) AddCRAndIndent();
  Add('}');
  goto terminator;
}

namespace {

ReformatStop StopOf(const TextWriter& writer, const char* buffer, std::size_t length) {
  const char* at = writer.StoppedAt();
  if (at == nullptr) {
    at = writer.ValueEnd();
    if (at == buffer + length) return {};
  }
  if (at == TextWriter::kTextEnded) {  // the text ended at its first zero byte
    const void* zero = std::memchr(buffer, 0, length);
    at = zero != nullptr ? static_cast<const char*>(zero) : buffer + length;
    if (writer.StoppedAt() == nullptr && at == buffer + length) return {};
  }
  return {false, static_cast<std::size_t>(at - buffer)};
}

}  // namespace

std::string ReformatJSONBuffer(char* buffer, std::size_t length, TextWriterJSONFormat style,
                               ReformatStop* stop) {
  if (buffer == nullptr) {
    if (stop != nullptr) *stop = {};
    return {};
  }
  alignas(64) char tempBuf[TextWriter::kReformatBufferSize];
  TextWriter writer(tempBuf, TextWriter::kReformatBufferSize);
  // Compact output is about as long as its input; line breaks can nearly double it. Only
  // the pages written are ever touched, so a generous reserve costs address space only;
  // where even that is refused, the stream grows as it goes.
  const bool compact = style == jsonCompact || style == jsonUnquotedPropNameCompact;
  try {
    writer.ReserveOutput(compact ? length + 64 : 2 * length + 64);
  } catch (const std::bad_alloc&) {
  }
  writer.AddJSONReformat(buffer, buffer + length + kTextPadding, style, nullptr);
  if (stop != nullptr) *stop = StopOf(writer, buffer, length);
  std::string result;
  writer.SetText(result, jsonCompact);
  // Malformed input can stop the walk early. Untouched reserve costs address space only,
  // so a result is copied into a fitting block only when that copy is cheap.
  if (result.capacity() > (std::size_t{1} << 20) && result.size() < result.capacity() / 16) {
    result.shrink_to_fit();
  }
  return result;
}

void ReformatJSONBufferTo(char* buffer, std::size_t length, TextWriterJSONFormat style,
                          const std::function<void(const char*, std::size_t)>& sink,
                          ReformatStop* stop) {
  if (buffer == nullptr) {
    if (stop != nullptr) *stop = {};
    return;
  }
  alignas(64) char tempBuf[TextWriter::kReformatBufferSize];
  TextWriter writer(tempBuf, TextWriter::kReformatBufferSize);
  writer.SetSink(sink);
  writer.AddJSONReformat(buffer, buffer + length + kTextPadding, style, nullptr);
  writer.FlushFinal();
  if (stop != nullptr) *stop = StopOf(writer, buffer, length);
}

std::string ReformatJSONText(std::string_view text, TextWriterJSONFormat style,
                             ReformatStop* stop) {
  if (text.empty()) {
    if (stop != nullptr) *stop = {};
    return {};
  }
  constexpr std::size_t kStackCopy = 4096;
  if (text.size() <= kStackCopy - kTextPadding) {
    char copy[kStackCopy];
    std::memcpy(copy, text.data(), text.size());
    std::memset(copy + text.size(), 0, kTextPadding);
    return ReformatJSONBuffer(copy, text.size(), style, stop);
  }
  std::unique_ptr<char[]> copy(new char[text.size() + kTextPadding]);
  AdviseHugePages(copy.get(), text.size() + kTextPadding);
  std::memcpy(copy.get(), text.data(), text.size());
  std::memset(copy.get() + text.size(), 0, kTextPadding);
  return ReformatJSONBuffer(copy.get(), text.size(), style, stop);
}

}  // namespace braceform
