// Window test: the shared main creates the QApplication; the fixture creates one (offscreen)
// only when this file runs under a plain gtest main.
#include <Qsci/qsciscintilla.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <random>
#include <string>

#include "editor/json_lexer.h"

namespace braceform {
namespace {

using namespace std::string_literals;

// A token as "«text»tag"; the tag names kind and attribute together, so a token with the
// right kind but the wrong attribute shows as BAD.
std::string Tag(tkTokenKind kind, JsonStyle style) {
  switch (kind) {
    case tkString:
      return style == jsonAttribute ? "name" : style == jsonValue ? "value" : "BAD";
    case tkReserved:
      return style == jsonReservedWord ? "res" : "BAD";
    case tkNull:
      return style == jsonDefault ? "null" : "BAD";
    case tkNumber:
      return style == jsonNumber ? "num" : "BAD";
    case tkSpace:
      return style == jsonSpace ? "sp" : "BAD";
    case tkSymbol:
      return style == jsonSymbol ? "sym" : "BAD";
    case tkUnknown:
      return style == jsonAttribute ? "unk" : "BAD";
  }
  return "BAD";
}

std::string Render(std::string_view line, const ScannedJsonLine& scanned) {
  std::string out;
  std::size_t expectedStart = 0;
  for (const JsonToken& t : scanned.tokens) {
    if (!out.empty()) out += ' ';
    if (t.start != expectedStart || t.length == 0) out += "GAP";
    out += "«" + std::string(line.substr(t.start, t.length)) + "»" + Tag(t.kind, t.style);
    expectedStart = t.start + t.length;
  }
  if (expectedStart != line.size()) out += " SHORT";
  return out;
}

struct ScanCase {
  const char* name;
  std::string line;
  RangeState in;
  std::string tokens;
  RangeState out;
};

class ScanJsonLineTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanJsonLineTest, TokensAndStateOut) {
  const ScanCase& c = GetParam();
  ScannedJsonLine scanned = ScanJsonLine(c.line, c.in);
  EXPECT_EQ(Render(c.line, scanned), c.tokens);
  EXPECT_EQ(scanned.out, c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanJsonLineTest,
    ::testing::Values(
        // Structure and the state it leaves.
        ScanCase{"ObjectWithArray", R"({"a": "b", "c": ["d", 1]})", rsUnknown,
                 R"(«{»sym «"a"»name «:»sym « »sp «"b"»value «,»sym « »sp «"c"»name «:»sym )"
                 R"(« »sp «[»sym «"d"»value «,»sym « »sp «1»num «]»sym «}»sym)",
                 rsUnknown},
        ScanCase{"StringAfterCloseIsName", R"([{"a": 1}, "s"])", rsUnknown,
                 R"(«[»sym «{»sym «"a"»name «:»sym « »sp «1»num «}»sym «,»sym « »sp «"s"»name )"
                 R"(«]»sym)",
                 rsUnknown},
        ScanCase{"OpenBraceAlone", "{", rsUnknown, "«{»sym", rsAttribute},
        ScanCase{"NameOnLineAfterBrace", R"(  "a":)", rsAttribute, R"(«  »sp «"a"»name «:»sym)",
                 rsObjectValue},
        ScanCase{"ValueOnLineAfterColon", R"("v", "n")", rsObjectValue,
                 R"(«"v"»value «,»sym « »sp «"n"»name)", rsAttribute},
        ScanCase{"CommaKeepsArrayState", R"("v", "w",)", rsArrayValue,
                 R"(«"v"»value «,»sym « »sp «"w"»value «,»sym)", rsArrayValue},
        ScanCase{"EmptyLineKeepsState", "", rsObjectValue, "", rsObjectValue},
        // Numbers.
        ScanCase{"ZeroBeforeBraceIsUnknown", R"({"a": 0})", rsUnknown,
                 R"(«{»sym «"a"»name «:»sym « »sp «0}»unk)", rsObjectValue},
        ScanCase{"ZeroBeforeSpaceIsNumber", R"({"a": 0 })", rsUnknown,
                 R"(«{»sym «"a"»name «:»sym « »sp «0»num « »sp «}»sym)", rsUnknown},
        ScanCase{"NegativeZeroBeforeComma", "-0,1", rsArrayValue, "«-0»num «,»sym «1»num",
                 rsArrayValue},
        ScanCase{"LeadingZeroSkipsToSpace", "012,3 4", rsArrayValue, "«012,3»unk « »sp «4»num",
                 rsArrayValue},
        ScanCase{"ZeroAtEndOfLine", "0", rsArrayValue, "«0»unk", rsArrayValue},
        ScanCase{"ZeroBeforeTabIsUnknown", "0\t1 2", rsArrayValue, "«0\t1»unk « »sp «2»num",
                 rsArrayValue},
        ScanCase{"ZeroFraction", "-0.5e-1", rsArrayValue, "«-0.5e-1»num", rsArrayValue},
        ScanCase{"FullNumber", "-12.5e+3", rsArrayValue, "«-12.5e+3»num", rsArrayValue},
        ScanCase{"UpperExponent", "7E9]", rsArrayValue, "«7E9»num «]»sym", rsUnknown},
        ScanCase{"DotWithoutDigit", "1. 2", rsArrayValue, "«1.»unk « »sp «2»num", rsArrayValue},
        ScanCase{"BareExponent", "1e,2 3", rsArrayValue, "«1e,2»unk « »sp «3»num", rsArrayValue},
        ScanCase{"ExponentSignWithoutDigit", "1e+ 3", rsArrayValue, "«1e+»unk « »sp «3»num",
                 rsArrayValue},
        ScanCase{"MinusAlone", "- 1", rsArrayValue, "«-»unk « »sp «1»num", rsArrayValue},
        ScanCase{"MinusLetter", "-x,", rsArrayValue, "«-x,»unk", rsArrayValue},
        ScanCase{"SecondDotStartsNewTokens", "1.5.3", rsArrayValue, "«1.5»num «.»unk «3»num",
                 rsArrayValue},
        // Strings and escapes.
        ScanCase{"SimpleEscapes", R"("a\"b\\\/\b\f\n\r\t" 1)", rsArrayValue,
                 R"(«"a\"b\\\/\b\f\n\r\t"»value « »sp «1»num)", rsArrayValue},
        ScanCase{"EscapedBackslashBeforeQuote", R"("a\\" 1)", rsArrayValue,
                 R"(«"a\\"»value « »sp «1»num)", rsArrayValue},
        ScanCase{"OtherEscapeIsOrdinary", R"("\x")", rsAttribute, R"(«"\x"»name)", rsAttribute},
        ScanCase{"UnicodeEscape", R"("a\u00E9f")", rsObjectValue, R"(«"a\u00E9f"»value)",
                 rsObjectValue},
        ScanCase{"UnicodeEscapeBadHex", R"("a\u00g9b" x)", rsObjectValue,
                 R"(«"a\u00g9b»unk «" x»value)", rsObjectValue},
        ScanCase{"UnicodeEscapeBadHexStopsAtSpace", R"("a\uzz c")", rsAttribute,
                 R"(«"a\uzz»unk « »sp «c»unk «"»name)", rsAttribute},
        ScanCase{"UnicodeEscapeCutByEnd", R"("\u12)", rsAttribute, R"(«"\u12»unk)", rsAttribute},
        ScanCase{"Unterminated", R"("abc, 1)", rsAttribute, R"(«"abc, 1»name)", rsAttribute},
        ScanCase{"BackslashAtEnd", R"("ab\)", rsArrayValue, R"(«"ab\»value)", rsArrayValue},
        ScanCase{"SymbolsInsideStringDoNothing", R"("{[:]}")", rsAttribute, R"(«"{[:]}"»name)",
                 rsAttribute},
        // Literals.
        ScanCase{"Literals", "true,false null", rsArrayValue,
                 "«true»res «,»sym «false»res « »sp «null»res", rsArrayValue},
        ScanCase{"LiteralThenMore", "truex", rsArrayValue, "«true»res «x»unk", rsArrayValue},
        ScanCase{"ShortLiteral", "tru,1", rsArrayValue, "«tru»unk «,»sym «1»num", rsArrayValue},
        ScanCase{"ShortLiteralToSpace", "nul} x", rsObjectValue, "«nul}»unk « »sp «x»unk",
                 rsObjectValue},
        ScanCase{"LiteralsAreLowerCase", "True", rsArrayValue, "«T»unk «r»unk «u»unk «e»unk",
                 rsArrayValue},
        // White space, line breaks and other characters.
        ScanCase{"SpaceRunTakesControlChars", " \t\x01\r\n", rsUnknown, "« \t\x01\r\n»sp",
                 rsUnknown},
        ScanCase{"CrLfIsOneToken", "\r\n1", rsArrayValue, "«\r\n»sp «1»num", rsArrayValue},
        ScanCase{"LoneCrAndLf", "\r\r\n\n", rsUnknown, "«\r»sp «\r\n»sp «\n»sp", rsUnknown},
        ScanCase{"NulIsNullToken", "1 \0x"s, rsArrayValue, "«1»num « »sp «\0»null «x»unk"s,
                 rsArrayValue},
        ScanCase{"MultiByteIsOneUnknown", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80x", rsUnknown,
                 "«\xC3\xA9»unk «\xE2\x82\xAC»unk «\xF0\x9F\x98\x80»unk «x»unk", rsUnknown},
        ScanCase{"StrayContinuationByte", "\x80\xC3", rsUnknown, "«\x80»unk «\xC3»unk", rsUnknown},
        ScanCase{"MultiByteInString", "\"\xC3\xA9\"", rsArrayValue, "«\"\xC3\xA9\"»value",
                 rsArrayValue}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

struct EffectCase {
  const char* name;
  const char* line;
  RangeState out[4];  // for rsUnknown, rsAttribute, rsObjectValue, rsArrayValue in
};

class JsonLineEffectTest : public ::testing::TestWithParam<EffectCase> {};

TEST_P(JsonLineEffectTest, MatchesScanningFromEachState) {
  const EffectCase& c = GetParam();
  LineStateEffect effect = JsonLineEffect(c.line);
  for (int in = 0; in < 4; ++in) {
    EXPECT_EQ(effect.out[in], c.out[in]) << "in " << in;
    EXPECT_EQ(effect.out[in], ScanJsonLine(c.line, static_cast<RangeState>(in)).out);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonLineEffectTest,
    ::testing::Values(
        EffectCase{"NoSymbols", R"("v" 1)", {rsUnknown, rsAttribute, rsObjectValue, rsArrayValue}},
        EffectCase{
            "CommaEndsValue", R"("v",)", {rsUnknown, rsAttribute, rsAttribute, rsArrayValue}},
        EffectCase{"BraceFixes", R"(} ,)", {rsUnknown, rsUnknown, rsUnknown, rsUnknown}},
        EffectCase{
            "ColonThenComma", R"("a": 1,)", {rsAttribute, rsAttribute, rsAttribute, rsAttribute}},
        EffectCase{"SymbolsInStringIgnored",
                   R"("{:[")",
                   {rsUnknown, rsAttribute, rsObjectValue, rsArrayValue}}),
    [](const ::testing::TestParamInfo<EffectCase>& info) { return std::string(info.param.name); });

// Reading lines from the end must give what scanning them from the start gives.
RangeState ForwardStateAfterLines(std::string_view text, RangeState state) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    state = ScanJsonLine(text.substr(start, end - start), state).out;
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  return state;
}

class JsonStateAfterLinesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonStateAfterLinesTest, MatchesForwardScan) {
  std::string_view text = GetParam();
  for (int in = 0; in < 4; ++in) {
    auto state = static_cast<RangeState>(in);
    EXPECT_EQ(JsonStateAfterLines(text, state), ForwardStateAfterLines(text, state)) << "in " << in;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, JsonStateAfterLinesTest,
                         ::testing::Values("", "\r\n\r\n", "  \"v\",\r\n  \"w\",\r\n", "1\n2\n3",
                                           "{\"a\":\r\n  \"b\"", "{\"a\":\n\"b\",\n\"c\"",
                                           "[\r\n\"x\"\r\n]\r\n,\r\n", "\"a\":\r\"{[:\",\r\"v\"",
                                           "\"k\": 0},\n\"v\" ,\n", "\"k\": tru]\n\"v\"\n",
                                           "\"x\\u00g9y\" :\n\"v\",", ":\n\"s, t\"\n\"u\"\n",
                                           "]\n:\n\"a,\"\n\n1"));

// Random text from JSON's own characters: tokens tile every line without overlap, and the
// backward state search agrees with scanning forward.
TEST(JsonScannerRandomTest, TokensTileLinesAndStatesAgree) {
  static constexpr char kAlphabet[] = "{}[]:,\"\\u0aF9-+.eEtrufalsn \t\r\n\xC3\xA9\x80x";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = length(random); i > 0; --i) text += kAlphabet[pick(random)];
    auto in = static_cast<RangeState>(round % 4);
    ScannedJsonLine scanned = ScanJsonLine(text, in);
    std::string rendered = Render(text, scanned);
    ASSERT_EQ(rendered.find("GAP"), std::string::npos) << text;
    ASSERT_EQ(rendered.find("SHORT"), std::string::npos) << text;
    ASSERT_EQ(rendered.find("BAD"), std::string::npos) << text;
    ASSERT_EQ(JsonStateAfterLines(text, in), ForwardStateAfterLines(text, in)) << text;
  }
}

// ---------------------------------------------------------------------------------------------
// The lexer inside a real editor.

class JsonLexerEditorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "test_json_lexer";
    static char* argv[] = {arg0, nullptr};
    new QApplication(argc, argv);
  }

  void SetUp() override {
    editor_.setUtf8(true);
    editor_.setEolMode(QsciScintilla::EolWindows);
    editor_.resize(500, 300);
    editor_.setLexer(&lexer_);
  }
  void TearDown() override { editor_.setLexer(nullptr); }

  long Pos(int line, int index) {
    return editor_.SendScintilla(QsciScintillaBase::SCI_FINDCOLUMN, line, index);
  }
  int StyleAt(int line, int index) {
    return static_cast<int>(
        editor_.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, Pos(line, index)));
  }
  int LineState(int line) {
    return static_cast<int>(editor_.SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, line));
  }
  void Paint() {
    editor_.show();
    editor_.viewport()->repaint();
    QApplication::processEvents();
  }

  JsonLexer lexer_;
  QsciScintilla editor_;
};

TEST_F(JsonLexerEditorTest, StylesFollowTokensAndStateCrossesLines) {
  editor_.setText(QStringLiteral("{\"a\":\r\n  \"b\", true,\r\n  \"c\": 0}\r\n[1 , 0 ]"));
  editor_.recolor();

  struct At {
    int line, index, style;
  } cases[] = {
      {0, 0, jsonSymbol},        // {
      {0, 1, jsonAttribute},     // "a"
      {0, 4, jsonSymbol},        // :
      {0, 5, jsonSpace},         // the line break
      {1, 0, jsonSpace},         // indentation
      {1, 2, jsonValue},         // "b": a value because the colon was on the line before
      {1, 7, jsonReservedWord},  // true
      {2, 2, jsonAttribute},     // "c": the comma ended the value
      {2, 7, jsonAttribute},     // 0}: unknown
      {2, 8, jsonAttribute},    {3, 1, jsonNumber},  // 1
      {3, 5, jsonNumber},                            // 0 before a space
      {3, 7, jsonSymbol},                            // ]
  };
  for (const At& c : cases) {
    EXPECT_EQ(StyleAt(c.line, c.index), c.style) << "line " << c.line << " index " << c.index;
  }
  EXPECT_EQ(LineState(0), rsObjectValue);
  EXPECT_EQ(LineState(1), rsAttribute);
  EXPECT_EQ(LineState(2), rsObjectValue);
  EXPECT_EQ(LineState(3), rsUnknown);
}

TEST_F(JsonLexerEditorTest, StylesMultiByteCharactersWhole) {
  editor_.setText(QString::fromUtf8("[\"\xC3\xA9\", \xC3\xA9, 1]"));
  editor_.recolor();
  // Byte positions: the quoted é at 2-3, the bare é at 7-8, the 1 at 11.
  const std::pair<long, int> cases[] = {{2, jsonValue},     {3, jsonValue},  {7, jsonAttribute},
                                        {8, jsonAttribute}, {9, jsonSymbol}, {11, jsonNumber}};
  for (auto [pos, style] : cases) {
    EXPECT_EQ(editor_.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, pos), style) << pos;
  }
}

TEST_F(JsonLexerEditorTest, EditRestylesFollowingLines) {
  editor_.setText(QStringLiteral("{\"a\":\r\n  \"b\"\r\n}"));
  Paint();
  ASSERT_EQ(StyleAt(1, 2), jsonValue);
  // Turning the colon into a comma makes "b" a member name.
  editor_.setSelection(0, 4, 0, 5);
  editor_.replaceSelectedText(QStringLiteral(","));
  Paint();
  EXPECT_EQ(StyleAt(1, 2), jsonAttribute);
  EXPECT_EQ(LineState(0), rsAttribute);
}

TEST_F(JsonLexerEditorTest, AttributesHaveTheirColoursAndFont) {
  struct Look {
    int style;
    QColor color;
    bool bold;
  } looks[] = {
      {jsonDefault, QColor(0, 0, 0), false},     {jsonAttribute, QColor(0, 0, 128), false},
      {jsonReservedWord, QColor(0, 0, 0), true}, {jsonNumber, QColor(255, 0, 0), false},
      {jsonSpace, QColor(0, 0, 0), false},       {jsonSymbol, QColor(0, 128, 0), false},
      {jsonValue, QColor(0, 0, 255), false},
  };
  for (const Look& l : looks) {
    long bgr = editor_.SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, l.style);
    QColor fore(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
    EXPECT_EQ(fore, l.color) << lexer_.description(l.style).toStdString();
    // QScintilla passes Qt's weights negated.
    long weight = std::labs(editor_.SendScintilla(QsciScintillaBase::SCI_STYLEGETWEIGHT, l.style));
    EXPECT_EQ(weight >= 700, l.bold) << lexer_.description(l.style).toStdString();
    EXPECT_EQ(lexer_.defaultFont(l.style).family(), QStringLiteral("Courier New"));
    EXPECT_EQ(editor_.SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, l.style), 10);
  }
  EXPECT_TRUE(lexer_.description(kJsonStyleCount).isEmpty());
  EXPECT_STREQ(lexer_.language(), "JSON");
}

// After a jump to the end of a long document only the lines in view are styled; the lines
// jumped over are styled when they come into view, with the state the lines above leave.
TEST_F(JsonLexerEditorTest, JumpStylesOnlyTheViewAndFillsSkippedLinesLater) {
  constexpr int kLines = 30000;
  QString text = QStringLiteral("[\r\n");
  for (int i = 0; i < kLines; ++i) text += QStringLiteral("  \"v\",\r\n");
  text += QStringLiteral("  \"last\"\r\n]");
  editor_.setText(text);
  Paint();
  ASSERT_EQ(StyleAt(1, 2), jsonValue);

  editor_.setCursorPosition(kLines + 1, 0);
  editor_.ensureLineVisible(kLines + 1);
  Paint();
  EXPECT_EQ(StyleAt(kLines + 1, 2), jsonValue);  // the state came from the first line
  EXPECT_EQ(StyleAt(kLines, 2), jsonValue);
  EXPECT_EQ(StyleAt(kLines / 2, 2), jsonDefault);  // jumped over, not styled
  EXPECT_EQ(lexer_.pendingLineRanges(), 1u);

  editor_.setFirstVisibleLine(kLines / 2);
  Paint();
  EXPECT_EQ(StyleAt(kLines / 2, 2), jsonValue);
  EXPECT_EQ(StyleAt(kLines / 2 + 5, 5), jsonSymbol);

  // An edit above makes every string a member name; the view is restyled with that state.
  editor_.setSelection(0, 0, 0, 1);
  editor_.replaceSelectedText(QStringLiteral("{"));
  Paint();
  editor_.setFirstVisibleLine(kLines / 2);
  Paint();
  EXPECT_EQ(StyleAt(kLines / 2, 2), jsonAttribute);
  editor_.setFirstVisibleLine(kLines / 4);
  Paint();
  EXPECT_EQ(StyleAt(kLines / 4, 2), jsonAttribute);
  editor_.setFirstVisibleLine(kLines - 5);
  Paint();
  EXPECT_EQ(StyleAt(kLines + 1, 2), jsonAttribute);
}

}  // namespace
}  // namespace braceform
