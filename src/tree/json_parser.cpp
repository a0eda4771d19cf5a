#include "tree/json_parser.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "tree/iso8601.h"
#include "tree/json_error.h"
#include "tree/wtf8.h"

namespace braceform {

namespace {

// The elements of the open arrays, in blocks that grow from small to 64 Ki values:
// growing never moves what it holds, so a huge array costs its elements once here and
// once in the arena, and a small document allocates little.
class ValueStack {
 public:
  std::size_t size() const { return size_; }
  void push_back(const JSONValue& v) {
    if (size_ == end_) Advance();
    blocks_[cur_].data.get()[size_ - blocks_[cur_].start] = v;
    ++size_;
  }
  // Copies the values from `begin` to the end into `out`, then drops them.
  void MoveOut(std::size_t begin, JSONValue* out) {
    while (cur_ > 0 && blocks_[cur_].start > begin) --cur_;
    for (std::size_t k = cur_, i = begin; i < size_; ++k) {
      const Block& b = blocks_[k];
      const std::size_t n = std::min(b.start + b.cap, size_) - i;
      std::memcpy(static_cast<void*>(out), b.data.get() + (i - b.start), n * sizeof(JSONValue));
      out += n;
      i += n;
    }
    size_ = begin;
    end_ = blocks_.empty() ? 0 : blocks_[cur_].start + blocks_[cur_].cap;
  }

 private:
  struct Free {
    void operator()(JSONValue* p) const { ::operator delete(p); }
  };
  struct Block {
    std::unique_ptr<JSONValue, Free> data;
    std::size_t start;
    std::size_t cap;
  };
  void Advance() {
    if (!blocks_.empty() && end_ != 0) ++cur_;
    if (cur_ == blocks_.size()) {
      const std::size_t cap =
          blocks_.empty() ? 256 : std::min<std::size_t>(blocks_.back().cap * 2, 1 << 16);
      blocks_.push_back({std::unique_ptr<JSONValue, Free>(
                             static_cast<JSONValue*>(::operator new(cap * sizeof(JSONValue)))),
                         end_, cap});
    }
    end_ = blocks_[cur_].start + blocks_[cur_].cap;
  }
  std::vector<Block> blocks_;
  std::size_t cur_ = 0;  // the block that holds position size_ (or ends there)
  std::size_t end_ = 0;  // where that block ends
  std::size_t size_ = 0;
};

constexpr LexemTypes kValueStart =
    LexSet({ltSValue, ltIValue, ltDValue, ltNull, ltCLeft, ltBLeft, ltTrue, ltFalse});

class JSONBuilder {
 public:
  JSONBuilder(std::string_view json, bool checkDates, Arena& arena)
      : LGen(json), FCheckDates(checkDates), arena_(arena) {}

  ParseResult Parse();

 private:
  enum Started { kNone, kScalar, kOpened };
  enum Step { kMember, kAfterMember };
  struct Frame {
    bool isObject;
    Step step;
    std::size_t begin;      // first element of an array on the items stack
    std::string_view name;  // the member waiting for this frame's child container
  };

  Started ReadValue(JSONValue& val);
  JSONValue ReadString();
  JSONValue CloseArray(const Frame& f);
  std::size_t TokenStart() {
    const Lexeme* l = LGen.Current();
    return l != nullptr ? l->start : LGen.Offset();
  }

  LexGenerator LGen;
  bool FCheckDates;
  Arena& arena_;
  std::vector<Frame> frames_;
  ValueStack items_;
  ObjectBuilder objects_;
};

JSONValue JSONBuilder::ReadString() {
  const std::string_view text = LGen.Text();
  if (FCheckDates && text.size() >= 5 && text.size() <= 25 * 3 && wtf8::UTF16Length(text) >= 5 &&
      wtf8::UTF16Length(text) <= 25) {
    std::int64_t ms = 0;
    DataType kind = dtNil;
    if (JSONDateManager::Check(text, ms, kind) &&
        (kind == dtDateTime || kind == dtDate || kind == dtTime))
      return JSONValue::Date(kind, ms);
  }
  return JSONValue::String(LGen.StableText(arena_));
}

JSONBuilder::Started JSONBuilder::ReadValue(JSONValue& val) {
  const LexemType t = LGen.Check(kValueStart);
  switch (t) {
    case ltSValue:
      val = ReadString();
      break;
    case ltIValue:
      val = JSONValue::Integer(LGen.Current()->Int);
      break;
    case ltDValue:
      val = JSONValue::Float(LGen.Current()->Dbl);
      break;
    case ltNull:
      val = JSONValue::Null();
      break;
    case ltTrue:
    case ltFalse:
      val = JSONValue::Boolean(t == ltTrue);
      break;
    case ltCLeft:
    case ltBLeft:
      LGen.Kill();
      if (t == ltBLeft) objects_.Open();
      frames_.push_back({t == ltBLeft, kMember, items_.size(), {}});
      return kOpened;
    default:
      return kNone;
  }
  LGen.Kill();
  return kScalar;
}

JSONValue JSONBuilder::CloseArray(const Frame& f) {
  const std::size_t n = items_.size() - f.begin;
  if (n > UINT32_MAX) throw std::length_error("An array of the document is too large");
  JSONValue* items = nullptr;
  if (n != 0) {
    items = static_cast<JSONValue*>(arena_.Allocate(n * sizeof(JSONValue)));
    items_.MoveOut(f.begin, items);
  }
  return JSONValue::Array(items, static_cast<std::uint32_t>(n));
}

ParseResult JSONBuilder::Parse() {
  ParseResult result;
  JSONValue v;
  switch (ReadValue(v)) {
    case kNone:
      result.where = TokenStart();
      return result;
    case kScalar:
      result.found = true;
      result.value = v;
      return result;
    case kOpened:
      break;
  }
  for (;;) {
    Frame& f = frames_.back();
    if (f.step == kMember) {
      f.step = kAfterMember;
      if (!f.isObject) {
        if (ReadValue(v) == kScalar) items_.push_back(v);
        continue;
      }
      std::string_view name;
      if (!LGen.CheckName(name)) continue;
      name = LGen.StableText(arena_);
      LGen.Kill();
      if (!LGen.CheckKill(ltColon)) LGen.Fail("Expected :", LGen.Offset());
      // `f` may move when a container opens; remember the name first.
      f.name = name;
      const Started s = ReadValue(v);
      if (s == kNone) {
        // The member is refused rather than stored without a value; when the text simply
        // ended, that is what the user is told.
        if (LGen.Current() == nullptr) LGen.Fail("Unexpected end of input", LGen.Offset());
        LGen.Fail("Missing value", TokenStart());
      }
      if (s == kScalar) objects_.AddPair(name, v);
      continue;
    }
    if (LGen.CheckKill(ltVirgule)) {
      f.step = kMember;
      continue;
    }
    if (!LGen.CheckKill(f.isObject ? ltBRight : ltCRight))
      LGen.Fail("Unexpected end of input", LGen.Offset());
    v = f.isObject ? objects_.Close(arena_) : CloseArray(f);
    frames_.pop_back();
    if (frames_.empty()) break;
    Frame& parent = frames_.back();
    if (parent.isObject)
      objects_.AddPair(parent.name, v);
    else
      items_.push_back(v);
  }
  result.found = true;
  result.value = v;
  return result;
}

}  // namespace

ParseResult ParseJSON(std::string_view source, bool checkDateTime, Arena& arena) {
  JSONBuilder builder(source, checkDateTime, arena);
  return builder.Parse();
}

}  // namespace braceform
