// The streaming reformatter: layout in the four styles, lenient reading, where malformed
// input stops the walk, member-name normalisation and very deep nesting.
#include "streaming/json_reformat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "streaming/json_scan.h"

namespace braceform {
namespace {

std::string Compact(std::string_view s) { return ReformatJSONText(s, jsonCompact); }
std::string Human(std::string_view s) { return ReformatJSONText(s, jsonHumanReadable); }

// Each row: input, compact result, human-readable result where it matters (else nullptr).
struct StopCase {
  std::string input;
  const char* compact;
  const char* human;
};

TEST(StreamingReformat, MalformedInputStopsAndKeepsWhatWasWritten) {
  const std::vector<StopCase> cases = {
      {"", "", ""},
      {"   ", "null", "null"},
      {"123", "", ""},
      {"123 ", "123", "123"},
      {"\"abc", "", ""},
      {"[1 2]", "[1]", nullptr},
      {"[0x1F]", "[0]", nullptr},
      {"[01]", "[null", nullptr},
      {"[1,]", "[1,null", nullptr},
      {"[1,2", "[1,", "\r\n[\r\n\t1,\r\n\t"},
      {"[", "[null", "\r\n[\r\n\tnull"},
      {"{", "{", "{\r\n\t"},
      {"{\"a\":1,}", "{\"a\":1,", "{\r\n\t\"a\": 1,\r\n\t"},
      {"[1,", "[1,", "\r\n[\r\n\t1,"},
      {"{\"a\":", "{\"a\":", "{\r\n\t\"a\": "},
      {"{\"a\": ", "{\"a\":null", nullptr},
      {"{\"a\":\"b\"", "{\"a\":\"b\"", nullptr},
      {"{\"a\":true", "{\"a\":true", nullptr},
      {"{\"a\":1} xyz", "{\"a\":1}", "{\r\n\t\"a\": 1\r\n}"},
      {"[\"a\" x, \"b\"]", "[\"a\"xnull", nullptr},
      {"{\"a\":1 \"b\":2}", "{\"a\":1:", "{\r\n\t\"a\": 1:\r\n\t"},
      {"\xEF\xBB\xBF{}", "null", "null"},
      {"[1, /* c */ 2]", "[1,null", nullptr},
      {"{\"a\":1, // c\r\n\"b\":2}", "{\"a\":1,", nullptr},
      // A single-quoted name steps past its colon even at the end, so a value is expected.
      {"{'a':", "{\"a\":null", nullptr},
      {"{\"a\"", "{", nullptr},
      {"{\"a\\", "{", nullptr},
      {"{'a\tb':1}", "{", nullptr},
      {"{\"a\":[1,2]", "{\"a\":[1,2]", nullptr},
      {"[tru]", "[null", nullptr},
      {"[nulls]", "[null", nullptr},
      {"[True]", "[null", nullptr},
      {"[+1]", "[null", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(Compact(c.input), c.compact);
    if (c.human != nullptr) {
      EXPECT_EQ(Human(c.input), c.human);
    }
  }
}

struct StyleCase {
  std::string input;
  TextWriterJSONFormat style;
  std::string expected;
};

void ExpectStyles(const std::vector<StyleCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << int(c.style) << ": " << c.input);
    EXPECT_EQ(ReformatJSONText(c.input, c.style), c.expected);
  }
}

TEST(StreamingReformat, SampleDocuments) {
  const std::string one = R"({"id":7,"tags":["x","y"],"meta":{}})";
  const std::string two = R"([ 1, [2, "x"], {"y": null} ])";
  const std::string three = R"({a=1, 'b c': 2, "\u00e9\/": "\u00e9\/", "t\tab": 0x1F})";
  ExpectStyles({
      {one, jsonCompact, one},
      {one, jsonHumanReadable,
       "{\r\n\t\"id\": 7,\r\n\t\"tags\": \r\n\t[\r\n\t\t\"x\",\r\n\t\t\"y\"\r\n\t],\r\n\t\"meta\": "
       "{\r\n\t\t}\r\n}"},
      {two, jsonCompact, R"([1,[2,"x"],{"y":null}])"},
      {two, jsonHumanReadable,
       "\r\n[\r\n\t1,\r\n\t[\r\n\t\t2,\r\n\t\t\"x\"\r\n\t],\r\n\t{\r\n\t\t\"y\": null\r\n\t}\r\n]"},
      {three, jsonCompact, "{\"a\":1,\"b c\":2,\"\xC3\xA9/\":\"\\u00e9\\/\",\"t\\tab\":0}"},
      {three, jsonHumanReadable,
       "{\r\n\t\"a\": 1,\r\n\t\"b c\": 2,\r\n\t\"\xC3\xA9/\": \"\\u00e9\\/\",\r\n\t\"t\\tab\": "
       "0\r\n}"},
      {three, jsonUnquotedPropNameCompact,
       "{a:1,\"b c\":2,\"\xC3\xA9/\":\"\\u00e9\\/\",\"t\\tab\":0}"},
      {three, jsonUnquotedPropName,
       "{\r\n\ta: 1,\r\n\t\"b c\": 2,\r\n\t\"\xC3\xA9/\": \"\\u00e9\\/\",\r\n\t\"t\\tab\": 0\r\n}"},
  });
}

TEST(StreamingReformat, LayoutEdges) {
  std::vector<StyleCase> cases;
  for (auto style :
       {jsonCompact, jsonHumanReadable, jsonUnquotedPropName, jsonUnquotedPropNameCompact}) {
    for (const char* same : {"true", "null", "false", "\"abc\"", "[]"})
      cases.push_back({same, style, same});
    cases.push_back({"[ ]", style, "[]"});
    cases.push_back({"[\t]", style, "[]"});
    cases.push_back({" \r\n\t", style, "null"});
    cases.push_back({"123", style, ""});
    cases.push_back({"123\n", style, "123"});
    cases.push_back(
        {"\x01[\x1F"
         "1\x01]",
         style,
         style == jsonCompact || style == jsonUnquotedPropNameCompact ? "[1]"
                                                                      : "\r\n[\r\n\t1\r\n]"});
  }
  const std::vector<StyleCase> fixed = {
      {"{}", jsonCompact, "{}"},
      {"{ }", jsonHumanReadable, "{\r\n\t}"},
      {"{\"a\":{}}", jsonHumanReadable, "{\r\n\t\"a\": {\r\n\t\t}\r\n}"},
      {"[1,2]", jsonHumanReadable, "\r\n[\r\n\t1,\r\n\t2\r\n]"},
      {"[[],[]]", jsonHumanReadable, "\r\n[\r\n\t[],\r\n\t[]\r\n]"},
      {"[[1]]", jsonHumanReadable, "\r\n[\r\n\t[\r\n\t\t1\r\n\t]\r\n]"},
      {"{\"a\":[1]}", jsonHumanReadable, "{\r\n\t\"a\": \r\n\t[\r\n\t\t1\r\n\t]\r\n}"},
      {"{\"a\":[]}", jsonHumanReadable, "{\r\n\t\"a\": []\r\n}"},
      {"[{}]", jsonHumanReadable, "\r\n[\r\n\t{\r\n\t\t}\r\n]"},
      {"{\"a\":1}", jsonUnquotedPropName, "{\r\n\ta: 1\r\n}"},
      // Raw TAB, line break and non-ASCII bytes inside a string value are copied.
      {"[\"a\tb\r\nc\xC3\xA9\\u0041\"]", jsonCompact, "[\"a\tb\r\nc\xC3\xA9\\u0041\"]"},
      // Numbers are copied as they stand.
      {"[-,1.2.3,1E+2,-0,1e5e5,-01]", jsonCompact, "[-,1.2.3,1E+2,-0,1e5e5,-01]"},
      // A string's terminator is found after blanks; stray bytes after a literal are dropped.
      {"[\"a\" ,true  x]", jsonCompact, "[\"a\",true]"},
      {"{a = 1, b\t:2, $x: 3}", jsonCompact, "{\"a\":1,\"b\":2,\"$x\":3}"},
      {"{\"a\" x : 1}", jsonCompact, "{\"a\":1}"},
  };
  cases.insert(cases.end(), fixed.begin(), fixed.end());
  ExpectStyles(cases);
}

TEST(StreamingReformat, MemberNamesAreDecodedAndWrittenAgain) {
  const std::vector<StyleCase> cases = {
      {"{\"t\tb\":1}", jsonCompact, "{\"t\\tb\":1}"},
      {"{\"a\\u001fb\":1}", jsonCompact, "{\"a\\u001Fb\":1}"},
      {"{\"\\b\\f\\n\\r\\t\\\"\\\\\\/\\q\":1}", jsonCompact, "{\"\\b\\f\\n\\r\\t\\\"\\\\/q\":1}"},
      {"{\"\\u0000\":1}", jsonCompact, "{\"?\":1}"},
      {"{\"\\u0041\\u00E9\\u20ac\":1}", jsonCompact, "{\"A\xC3\xA9\xE2\x82\xAC\":1}"},
      {"{\"\\ud83d\":1}", jsonCompact, "{\"?\":1}"},
      {"{\"\\ud83d\\ude00\":1}", jsonCompact, "{\"\xF0\x9F\x98\x80\":1}"},
      {"{\"\\ude00\\ud83d\":1}", jsonCompact, "{\"\xF0\x9F\x98\x80\":1}"},
      {"{\"\\uZZ\":1}", jsonCompact, "{\"?ZZ\":1}"},
      {"{\"\\u12\":1}", jsonCompact, "{\"?12\":1}"},
      {"{'a\\\"b':1}", jsonCompact, "{\"a\\\\\\\"b\":1}"},
      {"{\"\":1}", jsonCompact, "{\"\":1}"},
      {"{\"\":1}", jsonUnquotedPropNameCompact, "{\"\":1}"},
      {R"({"$ref":1,"1a":2,"a.b[0]":3,"a b":4,"$":5,"a$":6})", jsonUnquotedPropNameCompact,
       R"({$ref:1,1a:2,a.b[0]:3,"a b":4,$:5,"a$":6})"},
      // A name that only decodes to a bare one is written bare.
      {"{\"\\u0061\":1}", jsonUnquotedPropNameCompact, "{a:1}"},
  };
  ExpectStyles(cases);
}

TEST(StreamingReformat, ScannersReportTerminatorAndPosition) {
  char number[] = "12 x, 3\0\0\0\0\0\0\0";
  auto s = streaming::ScanScalarValue(number);
  EXPECT_EQ(s.kind, streaming::ScalarKind::Number);
  EXPECT_EQ(std::string(s.start, s.length), "12");
  EXPECT_EQ(s.terminator, ',');
  EXPECT_EQ(s.next, number + 5);

  char last[] = "true]\0\0\0\0\0\0\0\0";
  s = streaming::ScanScalarValue(last);
  EXPECT_EQ(s.kind, streaming::ScalarKind::True);
  EXPECT_EQ(s.terminator, ']');
  EXPECT_EQ(s.next, nullptr);  // the terminator was the text's last byte

  char name[] = " \"a\\u0062\" : 1\0\0\0\0\0\0\0\0";
  std::string scratch;
  auto n = streaming::ScanMemberName(name, scratch);
  ASSERT_TRUE(n.ok);
  EXPECT_EQ(std::string(n.name, n.length), "ab");
  EXPECT_EQ(n.next, name + 12);

  EXPECT_TRUE(streaming::IsBareMemberName("a.b[0]"));
  EXPECT_FALSE(streaming::IsBareMemberName("[a"));
  EXPECT_FALSE(streaming::IsBareMemberName(""));
}

TEST(StreamingReformat, ZeroByteEndsTheText) {
  EXPECT_EQ(Compact(std::string("{\"a\":1}\0{\"b\":2}", 15)), "{\"a\":1}");
  EXPECT_EQ(Compact(std::string("[\"a\0b\"]", 7)), "[");
  EXPECT_EQ(Compact(std::string("{\"a\0\":1}", 8)), "{");
}

// Valid compact text must come back unchanged, whatever the lengths of its strings and
// names relative to the 16-byte blocks of the searches. The working copy is exactly the
// text plus its eight zero bytes, so a read past the end shows under the sanitizer.
TEST(StreamingReformat, CompactTextRoundTripsAcrossBlockBoundaries) {
  for (std::size_t len = 0; len < 50; ++len) {
    for (const char* fill : {"x", "\\\"", "\\\\", "\xC3\xA9"}) {
      std::string value;
      while (value.size() < len) value += fill;
      const std::string text = "{\"" + value + "\":[\"" + value + "\"]}";
      SCOPED_TRACE(text);
      std::unique_ptr<char[]> copy(new char[text.size() + 8]);
      std::memcpy(copy.get(), text.data(), text.size());
      std::memset(copy.get() + text.size(), 0, 8);
      EXPECT_EQ(ReformatJSONBuffer(copy.get(), text.size(), jsonCompact), text);
    }
  }
}

TEST(StreamingReformat, LongValuesPassThroughTheWriter) {
  std::string value;
  for (int i = 0; value.size() < 300000; ++i) value += (i % 7 == 0) ? "\\n" : "abc\xC3\xA9";
  const std::string text = "[\"" + value + "\",\"" + value + "\"]";
  EXPECT_EQ(Compact(text), text);
  EXPECT_EQ(Human(text), "\r\n[\r\n\t\"" + value + "\",\r\n\t\"" + value + "\"\r\n]");
}

TEST(StreamingReformat, BufferEntryTakesNullAndWorksInPlace) {
  EXPECT_EQ(ReformatJSONBuffer(nullptr, 0, jsonCompact), "");
  char text[] = "{ \"\\u0061\" : 1 }\0\0\0\0\0\0\0\0";
  EXPECT_EQ(ReformatJSONBuffer(text, std::strlen(text), jsonHumanReadable), "{\r\n\t\"a\": 1\r\n}");
}

// Output handed out in blocks is the output held whole, in every style, across many
// flushes of the writer's buffer and for input that stops the walk.
TEST(StreamingReformat, OutputInBlocksEqualsTheWholeOutput) {
  std::string big = "{\"list\":[";
  for (int i = 0; i < 40000; ++i) {
    big += i ? "," : "";
    big +=
        "{\"n\":" + std::to_string(i) + ",\"s\":\"v\\t" + std::to_string(i) + "\",\"a\":[[],{}]}";
  }
  big += "]}";
  for (const std::string& text :
       {big, big.substr(0, big.size() / 2), std::string("[1,{\"a\" 2}]")}) {
    for (TextWriterJSONFormat style :
         {jsonCompact, jsonHumanReadable, jsonUnquotedPropName, jsonUnquotedPropNameCompact}) {
      SCOPED_TRACE(int(style));
      std::string whole = text + std::string(8, '\0');
      std::string pieces = whole;
      std::string received;
      int blocks = 0;
      ReformatJSONBufferTo(pieces.data(), text.size(), style, [&](const char* p, std::size_t n) {
        received.append(p, n);
        ++blocks;
      });
      EXPECT_EQ(received, ReformatJSONBuffer(whole.data(), text.size(), style));
      if (text.size() > 1000000) {
        EXPECT_GT(blocks, 10);
      }
    }
  }
}

// Where reading stopped: the first byte whose text is missing from the result, the same in
// every style and through the block-wise entry.
TEST(StreamingReformat, ReportsWhereReadingStopped) {
  constexpr std::size_t kComplete = std::string::npos;
  const struct {
    std::string input;
    std::size_t stop;
  } cases[] = {
      {"{\"a\":[1,2,{\"b\":tru}],\"c\":3}", 15},  // at "tru"
      {"{\"a\":1}", kComplete},
      {"{\"a\":1} \t\r\n", kComplete},
      {"[]", kComplete},
      {"\"s\"", kComplete},
      {"true ", kComplete},
      {"123 ", kComplete},
      {"   ", kComplete},  // blanks only: the whole text was read
      {"{\"a\":\"bc", 5},  // in a string: at its quote
      {"[1,2", 3},         // in a number running to the end
      {"123", 0},
      {"{\"a\"", 1},   // after a name
      {"{\"a\":", 5},  // after the colon: where the text ended
      {"{\"a\": ", 6},
      {"[1,", 3},
      {"[true", 5},
      {"[true x", 6},
      {"[tru]", 1},
      {"{} x", 3},  // text after the first value
      {"{},", 2},
      {"1,2", 1},
      {"123 xyz", 4},
      {std::string("{}\0{}", 5), 2},  // a zero byte ends the text early
      {std::string("[1,\0]", 5), 3},
  };
  for (const auto& c : cases) {
    for (TextWriterJSONFormat style :
         {jsonCompact, jsonHumanReadable, jsonUnquotedPropName, jsonUnquotedPropNameCompact}) {
      SCOPED_TRACE(c.input + " style " + std::to_string(int(style)));
      ReformatStop stop;
      ReformatJSONText(c.input, style, &stop);
      EXPECT_EQ(stop.complete, c.stop == kComplete);
      if (c.stop != kComplete) {
        EXPECT_EQ(stop.offset, c.stop);
      }

      std::string padded = c.input + std::string(kTextPadding, '\0');
      ReformatStop sunk;
      ReformatJSONBufferTo(
          padded.data(), c.input.size(), style, [](const char*, std::size_t) {}, &sunk);
      EXPECT_EQ(sunk.complete, stop.complete);
      EXPECT_EQ(sunk.offset, stop.offset);
    }
  }
}

// The walk reads its buffer in place without changing it: names with escapes are decoded
// elsewhere, so what stands before the stop is still the caller's text.
TEST(StreamingReformat, LeavesItsBufferUnchanged) {
  const std::string input =
      "{\"a\\u00e9\\n\":1,\"\\ud83d\\ude00\\\"\":[\"\\u0041\"],'q':2,b=3,\"t\\tz\": tru}";
  for (TextWriterJSONFormat style :
       {jsonCompact, jsonHumanReadable, jsonUnquotedPropName, jsonUnquotedPropNameCompact}) {
    std::string buffer = input + std::string(kTextPadding, '\0');
    ReformatStop stop;
    const std::string out = ReformatJSONBuffer(buffer.data(), input.size(), style, &stop);
    EXPECT_EQ(buffer.substr(0, input.size()), input);
    if (style == jsonCompact) {
      EXPECT_EQ(out,
                "{\"a\xC3\xA9\\n\":1,\"\xF0\x9F\x98\x80\\\"\":[\"\\u0041\"],\"q\":2,\"b\":3,"
                "\"t\\tz\":null");
    }
    EXPECT_FALSE(stop.complete);
    EXPECT_EQ(stop.offset, input.find("tru"));
  }
}

// Nesting far deeper than any call stack could take, with the result computed independently.
TEST(StreamingReformat, TenMillionLevels) {
  constexpr std::size_t kDepth = 10'000'000;
  const std::string open(kDepth, '[');
  EXPECT_EQ(Compact(open), open + "null");
  const std::string closed = open + std::string(kDepth, ']');
  EXPECT_EQ(Compact(closed), closed);

  std::string members;
  members.reserve(kDepth * 5 + 1);
  for (std::size_t i = 0; i < kDepth; ++i) members += "{\"a\":";
  EXPECT_EQ(Compact(members), members);
  const std::string object = members + "1" + std::string(kDepth, '}');
  EXPECT_EQ(Compact(object), object);
}

// An output beyond 2 GiB, in blocks through the sink: sizes and positions are 64-bit.
TEST(StreamingReformat, OutputBeyondTwoGiB) {
  constexpr std::size_t kElements = 450'000'000;
  std::string text(2 * kElements + 1 + kTextPadding, '\0');
  text[0] = '[';
  for (std::size_t i = 1; i < 2 * kElements; i += 2) {
    text[i] = '1';
    text[i + 1] = ',';
  }
  text[2 * kElements] = ']';
  const std::size_t length = 2 * kElements + 1;
  std::uint64_t total = 0;
  std::string tail;
  ReformatStop stop;
  ReformatJSONBufferTo(
      text.data(), length, jsonHumanReadable,
      [&](const char* p, std::size_t n) {
        total += n;
        tail.append(p, n);
        if (tail.size() > 64) tail.erase(0, tail.size() - 64);
      },
      &stop);
  // "\r\n[" then "\r\n\t1," per element but the last ("\r\n\t1"), then "\r\n]".
  EXPECT_EQ(total, 3 + 5 * kElements - 1 + 3);
  EXPECT_GT(total, std::uint64_t{1} << 31);
  EXPECT_TRUE(tail.ends_with("\t1,\r\n\t1\r\n]"));
  EXPECT_TRUE(stop.complete);
}

TEST(StreamingReformat, DeepNestingInLineBreakingStyle) {
  constexpr int kDepth = 3000;
  std::string expected = "\r\n[";
  for (int level = 1; level < kDepth; ++level) expected += "\r\n" + std::string(level, '\t') + "[";
  expected += "\r\n" + std::string(kDepth, '\t') + "null";
  EXPECT_EQ(Human(std::string(kDepth, '[')), expected);

  std::string closed = "\r\n[";
  for (int level = 1; level < kDepth - 1; ++level)
    closed += "\r\n" + std::string(level, '\t') + "[";
  closed += "\r\n" + std::string(kDepth - 1, '\t') + "[]";
  for (int level = kDepth - 2; level >= 0; --level)
    closed += "\r\n" + std::string(level, '\t') + "]";
  EXPECT_EQ(Human(std::string(kDepth, '[') + std::string(kDepth, ']')), closed);
}

}  // namespace
}  // namespace braceform
