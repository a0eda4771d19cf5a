#pragma once
// The document tree: compact 16-byte values in an arena owned by the document. Strings
// are held as WTF-8 (UTF-8 that may carry lone surrogates), so every UTF-16 code unit of
// the source survives a round trip; views point into the document's source text when the
// string had no escape, else into the arena.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace braceform {

enum DataType : std::uint8_t {
  dtNil = 0,
  dtNull = 1,
  dtObject = 2,
  dtArray = 3,
  dtString = 4,
  dtInteger = 5,
  dtFloat = 6,
  dtBoolean = 7,
  dtDateTime = 8,
  dtDate = 9,
  dtTime = 10,
};

class JSONPair;

// One value. Dates hold milliseconds since 1899-12-30 00:00 on a linear scale.
class JSONValue {
 public:
  JSONValue() = default;
  static JSONValue Null();
  static JSONValue Boolean(bool b);
  static JSONValue Integer(std::int64_t i);
  static JSONValue Float(double d);
  static JSONValue String(std::string_view s);  // s must outlive the value
  static JSONValue Date(DataType kind, std::int64_t ms);
  static JSONValue Array(const JSONValue* items, std::uint32_t count);
  static JSONValue Object(const JSONPair* pairs, std::uint32_t count);

  DataType GetDataType() const { return type_; }
  bool IsNull() const { return type_ == dtNull; }

  bool AsBoolean() const { return u_.i != 0; }
  std::int64_t AsInteger() const { return u_.i; }
  double AsFloat() const { return u_.d; }
  std::string_view AsString() const { return {u_.s, n_}; }
  std::int64_t AsMilliseconds() const { return u_.i; }
  // Days since 1899-12-30, the fraction being the time of day.
  double AsDateTime() const { return static_cast<double>(u_.i) / 86400000.0; }
  // The pattern the value is written back with.
  std::string_view Format() const;

  // Arrays: element count and element by position (nullptr when out of range).
  // Objects: member count, member by position or by name (nullptr when absent).
  std::uint32_t Count() const { return type_ == dtArray || type_ == dtObject ? n_ : 0; }
  const JSONValue* Get(std::size_t i) const;
  const JSONPair* Pair(std::size_t i) const;
  const JSONPair* Get(std::string_view name) const;

 private:
  DataType type_ = dtNil;
  std::uint32_t n_ = 0;
  union {
    std::int64_t i;
    double d;
    const char* s;
    const JSONValue* a;
    const JSONPair* m;
  } u_{0};
};
static_assert(sizeof(JSONValue) == 16);

class JSONPair {
 public:
  JSONPair() = default;
  JSONPair(std::string_view name, JSONValue value)
      : name_(name.data()), nameLen_(static_cast<std::uint32_t>(name.size())), value_(value) {}
  std::string_view Name() const { return {name_, nameLen_}; }
  const JSONValue& Value() const { return value_; }

 private:
  const char* name_ = nullptr;
  std::uint32_t nameLen_ = 0;
  JSONValue value_;
};

// Member names match when equal after mapping a-z onto A-Z, byte for byte (so code unit
// for code unit); nothing else is folded.
bool SameName(std::string_view a, std::string_view b);

// Bump allocator: every value, member list and escaped string of one document. Freed
// chunk by chunk, so freeing never recurses however deep the tree.
class Arena {
 public:
  void* Allocate(std::size_t bytes);
  std::string_view Copy(std::string_view s);

 private:
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t chunkSize_ = 64 * 1024;
};

// Builds the members of objects: adding a member removes an earlier one of the same
// name and appends the new one. A hash index over the folded names keeps that linear in
// the number of members; objects may nest, each open object being one level.
class ObjectBuilder {
 public:
  void Open();
  void AddPair(std::string_view name, const JSONValue& value);
  // Closes the innermost open object, moving its live members into the arena.
  JSONValue Close(Arena& arena);
  std::size_t Depth() const { return levels_.size(); }

 private:
  struct Slot {
    JSONPair pair;
    std::uint64_t hash;
    bool live;
  };
  struct Level {
    std::size_t begin;
    std::size_t live;
    std::vector<std::uint32_t> index;  // open addressing, slot number + 1, 0 is empty
  };
  void Rehash(Level& level);
  std::vector<Slot> slots_;
  std::vector<Level> levels_;
  std::vector<std::vector<std::uint32_t>> spareIndexes_;
};

}  // namespace braceform
