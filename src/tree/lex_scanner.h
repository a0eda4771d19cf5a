#pragma once
// Table-driven scanner: twelve states, each mapping the 128 character classes to a
// transition. Every character from U+007F up is class 127; the scanner works on WTF-8
// bytes, where every byte of a non-ASCII character is class 127 too, which gives the
// same tokens as scanning the UTF-16 code units.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tree/json_value.h"

namespace braceform {

enum LexemType : std::uint8_t {
  ltNil = 0,
  ltSValue = 1,
  ltIValue = 2,
  ltDValue = 3,
  ltNull = 4,
  ltCLeft = 5,
  ltCRight = 6,
  ltBLeft = 7,
  ltBRight = 8,
  ltBSlash = 9,
  ltColon = 10,
  ltDot = 11,
  ltVirgule = 12,
  ltName = 13,
  ltTrue = 14,
  ltFalse = 15,
};

using LexemTypes = std::uint32_t;
constexpr LexemTypes LexSet(std::initializer_list<LexemType> types) {
  LexemTypes s = 0;
  for (LexemType t : types) s |= 1u << t;
  return s;
}

struct Position {
  std::int32_t Col = 0;
  std::int32_t Line = 0;
};

enum Route : std::uint8_t {
  rFirst,
  rName,
  rString,
  rString2,
  rInt,
  rDouble,
  rExp,
  rExpE,
  rExpPM,
  rEscape,
  rEscapeRoute,
  rEscapeUChar,
  kRouteCount
};

enum ParseProc : std::uint8_t {
  ppNil,
  ppInteger,
  ppDouble,
  ppString,
  ppName,
  ppEscape,
  ppEscapeUChar
};

enum TriggerKind : std::uint8_t { tkNone, tkStore, tkSkip, tkReject };
enum TriggerFlag : std::uint8_t { kBF = 1, kED = 2, kBK = 4 };

struct Trigger {
  TriggerKind kind = tkNone;
  std::uint8_t flags = 0;
  Route next = rFirst;
  ParseProc proc = ppNil;
};

// The shared grammar, built once on first use and read-only afterwards.
struct JSONGrammar {
  Trigger table[kRouteCount][128];
  // Per state and byte: 1 when the byte is stored and the state stays (taken in bulk),
  // 2 when it is skipped and the state stays, 0 otherwise.
  std::uint8_t run[kRouteCount][256];
  static const JSONGrammar& Get();
};

struct Lexeme {
  std::size_t start = 0;  // byte offset where the token began
  std::int64_t Int = 0;
  double Dbl = 0;
  LexemType LType = ltNull;
};

class LexGenerator {
 public:
  // `source` must be followed by a NUL byte; scanning stops at the first NUL.
  LexGenerator(std::string_view source, bool exceptBlock = false);

  bool Check(LexemType t);
  LexemType Check(LexemTypes set);
  bool CheckKill(LexemType t);
  LexemType CheckKill(LexemTypes set);
  bool CheckName(std::string_view& s);
  const Lexeme* Current();
  void Kill() { hasToken_ = false; }

  // The token's text; valid until the next token is scanned.
  std::string_view Text() const;
  // The token's text, copied to `arena` unless it is a plain slice of the source.
  std::string_view StableText(Arena& arena) const;

  std::size_t Offset() const { return pos_; }
  // The position counter at a byte offset (columns and lines as UTF-16 code units).
  Position PositionAt(std::size_t offset) const;
  [[noreturn]] void Fail(const std::string& msg, std::size_t offset) const;

 private:
  bool Scan();
  void Ensure() {
    if (!hasToken_) {
      hasToken_ = true;
      valid_ = Scan();
    }
  }
  void Store(std::size_t p);
  void StoreRun(std::size_t p, std::size_t q);
  void Materialize();
  void AppendUnit(char32_t unit);
  void DecodeEscape();
  void Complete(ParseProc proc);

  const unsigned char* src_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool exceptBlock_;
  bool hasToken_ = false;
  bool valid_ = false;
  Lexeme lexem_;
  // Token buffer: a slice of the source until something not contiguous joins it.
  std::size_t viewBegin_ = 0;
  std::size_t viewLen_ = 0;
  bool owned_ = false;
  std::string own_;
  unsigned char esc_[8];
  std::size_t escLen_ = 0;
};

}  // namespace braceform
