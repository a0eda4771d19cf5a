// The buffered writer: what goes in comes out in order, however the buffer is flushed.
#include "streaming/text_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace braceform {
namespace {

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 23);
  return s;
}

std::string Take(TextWriter& w) {
  std::string out = "stale";
  w.SetText(out, jsonCompact);
  return out;
}

TEST(TextWriter, NothingWrittenGivesTheEmptyText) {
  TextWriter w(nullptr, 64);
  EXPECT_EQ(Take(w), "");
}

TEST(TextWriter, BufferOfSixteenBytesOrLessIsRefused) {
  try {
    TextWriter w(nullptr, 16);
    FAIL() << "no error";
  } catch (const EWriterError& e) {
    EXPECT_STREQ(e.what(), "TextWriter.SetBuffer(size=16)");
  }
  EXPECT_THROW(TextWriter(nullptr, -5), EWriterError);
  TextWriter smallest(nullptr, 17);
  smallest.AddShort("0123456789abcdefghij");
  EXPECT_EQ(Take(smallest), "0123456789abcdefghij");
}

// Writers over the reformatter's 64 KiB caller buffer and over a tiny own buffer that
// grows on the way: every append form must deliver the same bytes in the same order.
TEST(TextWriter, AppendsBeyondTheBufferArriveInOrder) {
  const std::string data = Pattern(200000);
  std::vector<char> external(TextWriter::kReformatBufferSize);
  for (auto [buf, size] : {std::pair<char*, int>{external.data(), int(external.size())},
                           std::pair<char*, int>{nullptr, 32}}) {
    SCOPED_TRACE(size);
    TextWriter single(buf, size);
    for (char c : data) single.Add(c);
    EXPECT_EQ(Take(single), data);

    TextWriter whole(buf, size);
    whole.AddNoJSONEscape(data.data(), static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(Take(whole), data);

    TextWriter mixed(buf, size);
    std::string expected;
    for (std::size_t i = 0; expected.size() < 150000; ++i) {
      const std::string piece = data.substr(i % 1000, i % 257);
      switch (i % 4) {
        case 0:
          mixed.Add(piece.empty() ? 'z' : piece[0]);
          expected += piece.empty() ? 'z' : piece[0];
          break;
        case 1:
          mixed.Add('x', 'y');
          expected += "xy";
          break;
        case 2:
          mixed.AddShort(piece.substr(0, 255));
          expected += piece.substr(0, 255);
          break;
        default:
          mixed.AddNoJSONEscape(data.data() + i % 1000,
                                static_cast<std::int64_t>(piece.size()) * 40 / 7);
          expected += data.substr(i % 1000, piece.size() * 40 / 7);
      }
    }
    EXPECT_EQ(Take(mixed), expected);
  }
}

TEST(TextWriter, OneBufferPlusOneByte) {
  for (int size : {17, 64, TextWriter::kReformatBufferSize}) {
    SCOPED_TRACE(size);
    std::vector<char> buf(static_cast<std::size_t>(size));
    const std::string data = Pattern(static_cast<std::size_t>(size) + 1);
    TextWriter w(buf.data(), size);
    for (char c : data) w.Add(c);
    EXPECT_EQ(Take(w), data);
  }
}

// The fixed-size move must not run when the buffer is full to its reserve: a full buffer
// has room for no 16-byte move, however short the copy (the sanitizer build catches it).
TEST(TextWriter, ShortCopiesStayInsideTheBuffer) {
  const std::string source = Pattern(64);
  for (std::int64_t len : {0, 1, 2, 16, 17}) {
    SCOPED_TRACE(len);
    TextWriter w(nullptr, 32);
    for (int i = 0; i < 17; ++i) w.Add('x');  // fills the buffer up to its reserve
    w.AddNoJSONEscapeSmall(source.data(), len, source.data() + source.size());
    EXPECT_EQ(Take(w), std::string(17, 'x') + source.substr(0, static_cast<std::size_t>(len)));
  }
}

TEST(TextWriter, IgnoresNullAndEmptyAppends) {
  TextWriter w(nullptr, 64);
  w.AddNoJSONEscape(nullptr, 5);
  w.AddNoJSONEscape("abc", 0);
  w.AddNoJSONEscape("abc", -1);
  w.AddShort("");
  w.AddJSONEscape(nullptr, 3);
  EXPECT_EQ(Take(w), "");
}

TEST(TextWriter, CRAndIndent) {
  struct Case {
    int level;
    std::string before;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {0, "", "\r\n"},           {3, "", "\r\n\t\t\t"}, {3, "x", "x\r\n\t\t\t"},
      {3, "x\r\n\t", "x\r\n\t"},  // right after an indented break: nothing
      {0, "x\r\n", "x\r\n\r\n"},  // right after a break at level 0: another one
      {2, "\t", "\t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << " after '" << c.before << "'");
    TextWriter w(nullptr, 64);
    w.AddShort(c.before);
    w.SetHumanReadableLevel(c.level);
    w.AddCRAndIndent();
    EXPECT_EQ(Take(w), c.expected);
  }
}

TEST(TextWriter, CRAndIndentKnowsTheLastByteAcrossFlushes) {
  TextWriter w(nullptr, 64);
  w.SetHumanReadableLevel(2);
  w.AddCRAndIndent();
  w.FlushToStream();
  w.AddCRAndIndent();  // the TAB that ends the flushed block still counts
  w.Add('x');
  w.CancelAll();
  w.AddCRAndIndent();  // nothing written since the cancel: the break is written
  EXPECT_EQ(Take(w), "\r\n\t\t");
}

TEST(TextWriter, SinkTakesTheBlocksAndKnowsTheLastByte) {
  TextWriter w(nullptr, 64);
  std::string sunk;
  w.SetSink([&](const char* p, std::size_t n) { sunk.append(p, n); });
  w.SetHumanReadableLevel(2);
  w.AddCRAndIndent();
  w.FlushToStream();
  w.AddCRAndIndent();  // the TAB the sink received last still counts
  w.Add('x');
  w.FlushFinal();
  EXPECT_EQ(sunk, "\r\n\t\tx");
  std::string held;
  w.SetText(held);
  EXPECT_EQ(held, "");  // the sink had everything
}

TEST(TextWriter, IndentationWiderThanTheBufferIsLeftOut) {
  TextWriter w(nullptr, 40);
  w.SetHumanReadableLevel(38);
  w.AddCRAndIndent();
  EXPECT_EQ(Take(w), "\r\n" + std::string(38, '\t'));
  TextWriter wider(nullptr, 40);
  wider.SetHumanReadableLevel(39);
  wider.Add('x');
  wider.AddCRAndIndent();
  EXPECT_EQ(Take(wider), "x");
  // Deep indentation after other output still fits: the writer flushes first.
  TextWriter full(nullptr, 40);
  full.AddShort(std::string(30, 'y'));
  full.SetHumanReadableLevel(30);
  full.AddCRAndIndent();
  EXPECT_EQ(Take(full), std::string(30, 'y') + "\r\n" + std::string(30, '\t'));
}

TEST(TextWriter, JSONEscape) {
  struct Case {
    std::string bytes;
    std::int64_t len;
    std::string expected;
  };
  const std::string all = "A\x09\x1F\x22\x5C\x7F\xC3\xA9";
  const std::vector<Case> cases = {
      {all, 8, "A\\t\\u001F\\\"\\\\\x7F\xC3\xA9"},
      {"\x08\x0A\x0C\x0D\x01/", 6, "\\b\\n\\f\\r\\u0001/"},
      {std::string("ab\0cd", 5), 0, "ab"},  // 0: up to the first zero byte
      {std::string("ab\0cd", 5), 5, "ab"},  // a zero byte ends it within the length too
      {std::string("abcd\0", 5), 2, "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    TextWriter w(nullptr, 64);
    w.AddJSONEscape(c.bytes.c_str(), c.len);
    EXPECT_EQ(Take(w), c.expected);
  }
  // Escapes and runs across many flushes of a small buffer.
  std::string input, expected;
  for (int i = 0; i < 5000; ++i) {
    input += "abcdefghij\x01\"";
    expected += "abcdefghij\\u0001\\\"";
  }
  TextWriter w(nullptr, 20);
  w.AddJSONEscape(input.c_str(), 0);
  EXPECT_EQ(Take(w), expected);
}

TEST(TextWriter, EscapeTableRows) {
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t e = kJSONEscape[static_cast<std::size_t>(c)];
    if (c == 0) {
      EXPECT_EQ(e, 1);
    } else if (c == '"' || c == '\\') {
      EXPECT_EQ(e, c);
    } else if (c < 0x20) {
      const bool shortForm = c == 8 || c == 9 || c == 10 || c == 12 || c == 13;
      EXPECT_EQ(e, shortForm ? std::uint8_t("btn?fr"[c - 8]) : 2) << c;
    } else {
      EXPECT_EQ(e, 0) << c;
    }
  }
}

TEST(TextWriter, CancelAllDiscardsFlushedAndBufferedBytes) {
  TextWriter w(nullptr, 32);
  w.AddShort(Pattern(100));
  w.CancelAll();
  w.AddShort("kept");
  EXPECT_EQ(Take(w), "kept");
  TextWriter empty(nullptr, 32);
  empty.AddShort(Pattern(100));
  empty.CancelAll();
  EXPECT_EQ(Take(empty), "");
}

TEST(TextWriter, BufferGrowsCoarsely) {
  TextWriter w(nullptr, 1024);
  const std::string chunk = Pattern(255);
  std::uint64_t written = 0;
  std::vector<std::int32_t> sizes;
  while (written < 42u * 1024 * 1024) {
    w.AddShort(chunk);
    written += chunk.size();
    if (sizes.empty() || sizes.back() != w.TempBufSize()) sizes.push_back(w.TempBufSize());
  }
  EXPECT_EQ(sizes,
            (std::vector<std::int32_t>{1024, 2048, 4096, 8192, 16384, 32768, 65536, 1048576}));
  std::string out;
  w.SetText(out, jsonCompact);
  EXPECT_EQ(out.size(), written);
  EXPECT_EQ(out.compare(0, 255, chunk), 0);
  EXPECT_EQ(out.compare(out.size() - 255, 255, chunk), 0);
}

TEST(TextWriter, FlushCallbackSeesEveryBlockInOrder) {
  TextWriter w(nullptr, 48);
  std::string seen;
  w.SetOnFlushToStream([&](const char* p, std::size_t n) { seen.append(p, n); });
  const std::string data = Pattern(1000);
  w.AddNoJSONEscape(data.data(), 500);
  for (std::size_t i = 500; i < data.size(); ++i) w.Add(data[i]);
  EXPECT_EQ(Take(w), data);
  EXPECT_EQ(seen, data);
}

TEST(TextWriter, SetTextCanReformatTheOutput) {
  TextWriter w(nullptr, 64);
  w.AddShort(R"({"a":[1,2],"b":{}})");
  std::string out;
  w.SetText(out, jsonHumanReadable);
  EXPECT_EQ(out, "{\r\n\t\"a\": \r\n\t[\r\n\t\t1,\r\n\t\t2\r\n\t],\r\n\t\"b\": {\r\n\t\t}\r\n}");
}

TEST(TextWriter, AddJSONReformatReportsTheTerminator) {
  TextWriter w(nullptr, 64);
  char text[] = "[1] ,x\0\0\0\0\0\0\0\0";
  char end = 'q';
  char* next = w.AddJSONReformat(text, jsonCompact, &end);
  EXPECT_EQ(end, ',');
  EXPECT_EQ(next, text + 5);
  EXPECT_EQ(Take(w), "[1]");
  char broken[] = "[1,\0\0\0\0\0\0\0\0";
  EXPECT_EQ(w.AddJSONReformat(broken, jsonCompact, &end), nullptr);
  EXPECT_EQ(end, 0);
}

}  // namespace
}  // namespace braceform
