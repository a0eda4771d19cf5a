#include "tree/json_value.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "memory/huge_pages.h"
#include "text/unicode.h"

namespace braceform {

namespace {

using text::FoldAscii;

std::uint64_t FoldedHash(std::string_view s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= FoldAscii(c);
    h *= 1099511628211ull;
  }
  return h ^ (h >> 29);
}

// Large chunks ask for huge pages: a big document otherwise spends much of its time in
// page faults.
char* NewChunk(std::size_t size) {
  char* p = new char[size];
  AdviseHugePages(p, size);
  return p;
}

// Below this many members a plain scan is cheaper than the index.
constexpr std::size_t kLinearLimit = 8;

}  // namespace

JSONValue JSONValue::Null() {
  JSONValue v;
  v.type_ = dtNull;
  return v;
}

JSONValue JSONValue::Boolean(bool b) {
  JSONValue v;
  v.type_ = dtBoolean;
  v.u_.i = b ? 1 : 0;
  return v;
}

JSONValue JSONValue::Integer(std::int64_t i) {
  JSONValue v;
  v.type_ = dtInteger;
  v.u_.i = i;
  return v;
}

JSONValue JSONValue::Float(double d) {
  JSONValue v;
  v.type_ = dtFloat;
  v.u_.d = d;
  return v;
}

JSONValue JSONValue::String(std::string_view s) {
  if (s.size() > UINT32_MAX) throw std::length_error("A string of the document is too long");
  JSONValue v;
  v.type_ = dtString;
  v.n_ = static_cast<std::uint32_t>(s.size());
  v.u_.s = s.data();
  return v;
}

JSONValue JSONValue::Date(DataType kind, std::int64_t ms) {
  JSONValue v;
  v.type_ = kind;
  v.u_.i = ms;
  return v;
}

JSONValue JSONValue::Array(const JSONValue* items, std::uint32_t count) {
  JSONValue v;
  v.type_ = dtArray;
  v.n_ = count;
  v.u_.a = items;
  return v;
}

JSONValue JSONValue::Object(const JSONPair* pairs, std::uint32_t count) {
  JSONValue v;
  v.type_ = dtObject;
  v.n_ = count;
  v.u_.m = pairs;
  return v;
}

std::string_view JSONValue::Format() const {
  switch (type_) {
    case dtDateTime:
      return "yyyy-mm-dd\"T\"hh\":\"mm\":\"ss.zzz";
    case dtDate:
      return "yyyy-mm-dd";
    case dtTime:
      return "hh\":\"mm\":\"ss.zzz";
    default:
      return {};
  }
}

const JSONValue* JSONValue::Get(std::size_t i) const {
  if (type_ == dtArray && i < n_) return u_.a + i;
  return nullptr;
}

const JSONPair* JSONValue::Pair(std::size_t i) const {
  if (type_ == dtObject && i < n_) return u_.m + i;
  return nullptr;
}

const JSONPair* JSONValue::Get(std::string_view name) const {
  if (type_ != dtObject) return nullptr;
  for (std::uint32_t i = 0; i < n_; ++i)
    if (SameName(u_.m[i].Name(), name)) return u_.m + i;
  return nullptr;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

void* Arena::Allocate(std::size_t bytes) {
  bytes = (bytes + 7) & ~std::size_t{7};
  if (bytes > left_) {
    if (chunkSize_ < 16 * 1024 * 1024) chunkSize_ *= 2;
    std::size_t size = bytes > chunkSize_ / 4 ? bytes : chunkSize_;
    chunks_.emplace_back(NewChunk(size));
    if (size == bytes) return chunks_.back().get();  // a large block of its own
    next_ = chunks_.back().get();
    left_ = size;
  }
  void* p = next_;
  next_ += bytes;
  left_ -= bytes;
  return p;
}

std::string_view Arena::Copy(std::string_view s) {
  if (s.empty()) return {};
  char* p = static_cast<char*>(Allocate(s.size()));
  std::memcpy(p, s.data(), s.size());
  return {p, s.size()};
}

void ObjectBuilder::Open() {
  Level level{slots_.size(), 0, {}};
  if (!spareIndexes_.empty()) {
    level.index = std::move(spareIndexes_.back());
    spareIndexes_.pop_back();
    level.index.clear();
  }
  levels_.push_back(std::move(level));
}

void ObjectBuilder::Rehash(Level& level) {
  std::size_t size = 16;
  while (size < level.live * 2 + 2) size *= 2;
  level.index.assign(size, 0);
  for (std::size_t i = level.begin; i < slots_.size(); ++i) {
    if (!slots_[i].live) continue;
    std::size_t k = slots_[i].hash & (size - 1);
    while (level.index[k] != 0) k = (k + 1) & (size - 1);
    level.index[k] = static_cast<std::uint32_t>(i - level.begin + 1);
  }
}

void ObjectBuilder::AddPair(std::string_view name, const JSONValue& value) {
  Level& level = levels_.back();
  const std::uint64_t hash = FoldedHash(name);
  if (name.size() > UINT32_MAX)
    throw std::length_error("A member name of the document is too long");
  const std::size_t count = slots_.size() - level.begin;
  if (count >= UINT32_MAX - 1) throw std::length_error("An object of the document is too large");
  const std::uint32_t newSlot = static_cast<std::uint32_t>(count + 1);
  if (level.index.empty()) {
    for (std::size_t i = level.begin; i < slots_.size(); ++i) {
      Slot& s = slots_[i];
      if (s.live && s.hash == hash && SameName(s.pair.Name(), name)) {
        s.live = false;
        --level.live;
        break;
      }
    }
    slots_.push_back({JSONPair(name, value), hash, true});
    ++level.live;
    if (count + 1 > kLinearLimit) Rehash(level);
    return;
  }
  const std::size_t mask = level.index.size() - 1;
  std::size_t k = hash & mask;
  while (level.index[k] != 0) {
    Slot& s = slots_[level.begin + level.index[k] - 1];
    if (s.hash == hash && SameName(s.pair.Name(), name)) {
      // Replace: the old member dies where it stood, the new one goes to the end.
      s.live = false;
      --level.live;
      level.index[k] = newSlot;
      slots_.push_back({JSONPair(name, value), hash, true});
      ++level.live;
      return;
    }
    k = (k + 1) & mask;
  }
  level.index[k] = newSlot;
  slots_.push_back({JSONPair(name, value), hash, true});
  ++level.live;
  if (level.live * 2 > level.index.size()) Rehash(level);
}

JSONValue ObjectBuilder::Close(Arena& arena) {
  Level& level = levels_.back();
  JSONPair* pairs = nullptr;
  if (level.live != 0) {
    pairs = static_cast<JSONPair*>(arena.Allocate(level.live * sizeof(JSONPair)));
    std::size_t n = 0;
    for (std::size_t i = level.begin; i < slots_.size(); ++i)
      if (slots_[i].live) new (pairs + n++) JSONPair(slots_[i].pair);
  }
  JSONValue v = JSONValue::Object(pairs, static_cast<std::uint32_t>(level.live));
  slots_.resize(level.begin);
  if (level.index.capacity() != 0) spareIndexes_.push_back(std::move(level.index));
  levels_.pop_back();
  return v;
}

}  // namespace braceform
