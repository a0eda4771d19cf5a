#include "streaming/text_writer.h"

#include <algorithm>
#include <array>
#include <string>

#include "memory/huge_pages.h"

namespace braceform {
namespace {

constexpr std::array<std::uint8_t, 256> MakeEscapeTable() {
  std::array<std::uint8_t, 256> t{};
  for (int c = 1; c < 0x20; ++c) t[c] = 2;
  t[0x00] = 1;
  t[0x08] = 'b';
  t[0x09] = 't';
  t[0x0A] = 'n';
  t[0x0C] = 'f';
  t[0x0D] = 'r';
  t['"'] = '"';
  t['\\'] = '\\';
  return t;
}
constexpr char kHexUpper[] = "0123456789ABCDEF";

constexpr std::int32_t kGrowWhileBelow = 49152;
constexpr std::int32_t kLargeBuffer = 1048576;
constexpr std::uint64_t kLargeBufferAfter = 41943040;

}  // namespace

// Constant-initialised: ready before any static constructor runs.
const std::array<std::uint8_t, 256> kJSONEscape = MakeEscapeTable();

namespace {
const char kTextEndedMark = 0;
}  // namespace
const char* const TextWriter::kTextEnded = &kTextEndedMark;

// The stream is new and empty, so the writer is attached at its start.
TextWriter::TextWriter(char* aBuf, std::int32_t aBufSize) { SetBuffer(aBuf, aBufSize); }

TextWriter::~TextWriter() = default;

void TextWriter::SetBuffer(char* aBuf, std::int32_t aBufSize) {
  // The 16-byte reserve behind BEnd needs a buffer larger than itself.
  if (aBufSize <= 16) {
    throw EWriterError("TextWriter.SetBuffer(size=" + std::to_string(aBufSize) + ")");
  }
  if (aBuf != nullptr) {
    ownBuf_.reset();
    tempBuf_ = aBuf;
  } else {
    ownBuf_.reset(new char[static_cast<std::size_t>(aBufSize)]);
    tempBuf_ = ownBuf_.get();
  }
  tempBufSize_ = aBufSize;
  pos_ = tempBuf_;
  bEnd_ = tempBuf_ + aBufSize - 16;
}

void TextWriter::ReserveOutput(std::size_t bytes) {
  if (bytes <= stream_.capacity()) return;
  // The old bytes are copied only after the advice, so the new block is filled with huge
  // pages as well (a plain reserve would copy them into small pages first).
  std::string bigger;
  bigger.reserve(bytes);
  AdviseHugePages(bigger.data(), bigger.capacity());
  bigger.append(stream_);
  stream_.swap(bigger);
}

void TextWriter::AddNoJSONEscapeLong(const char* p, std::int64_t len) {
  std::int64_t room = bEnd_ - pos_ + 1;
  if (room > 0) {
    std::memcpy(pos_, p, static_cast<std::size_t>(room));
    pos_ += room;
    p += room;
    len -= room;
  }
  WriteToStream(tempBuf_, static_cast<std::size_t>(pos_ - tempBuf_));
  pos_ = tempBuf_;
  // Whole buffer-sized pieces go to the stream straight from the source: the same blocks
  // the buffer would have handed over, without copying them through it.
  const std::int64_t piece = bEnd_ - tempBuf_ + 1;
  while (len > piece) {
    WriteToStream(p, static_cast<std::size_t>(piece));
    p += piece;
    len -= piece;
  }
  std::memcpy(pos_, p, static_cast<std::size_t>(len));
  pos_ += len;
}

void TextWriter::AddJSONEscape(const char* p, std::int64_t len) {
  if (p == nullptr) return;
  const auto* s = reinterpret_cast<const std::uint8_t*>(p);
  const std::uint8_t* end = len > 0 ? s + len : nullptr;
  for (;;) {
    const std::uint8_t* run = s;
    if (end != nullptr) {
      while (s < end && kJSONEscape[*s] == 0) ++s;
    } else {
      while (kJSONEscape[*s] == 0) ++s;
    }
    if (s > run) AddNoJSONEscape(reinterpret_cast<const char*>(run), s - run);
    if (end != nullptr && s >= end) return;
    const std::uint8_t e = kJSONEscape[*s];
    if (e == 1) return;
    if (bEnd_ - pos_ <= 9) FlushToStream();
    if (e == 2) {
      std::memcpy(pos_, "\\u00", 4);
      pos_[4] = kHexUpper[*s >> 4];
      pos_[5] = kHexUpper[*s & 15];
      pos_ += 6;
    } else {
      pos_[0] = '\\';
      pos_[1] = static_cast<char>(e);
      pos_ += 2;
    }
    ++s;
  }
}

char TextWriter::LastByte() const {
  if (pos_ > tempBuf_) return pos_[-1];
  if (sink_) return lastSunk_;
  if (!stream_.empty()) return stream_.back();
  return 0;  // nothing written: no last byte
}

void TextWriter::AddCRAndIndentSlow() {
  if (LastByte() == '\t') return;
  const auto n = static_cast<std::uint64_t>(humanReadableLevel_);
  // A break whose indentation would not fit the whole buffer is left out.
  if (n >= static_cast<std::uint64_t>(tempBufSize_) - 1) return;
  if (bEnd_ - pos_ <= static_cast<std::ptrdiff_t>(n)) FlushToStream();
  pos_[0] = '\r';
  pos_[1] = '\n';
  std::memset(pos_ + 2, '\t', n);
  pos_ += static_cast<std::ptrdiff_t>(n) + 2;
}

void TextWriter::WriteToStream(const char* block, std::size_t length) {
  if (onFlushToStream_) onFlushToStream_(block, length);
  if (sink_) {
    sink_(block, length);
    lastSunk_ = block[length - 1];
    totalFileSize_ += length;
    return;
  }
  if (length > stream_.capacity() - stream_.size()) {
    ReserveOutput(std::max(stream_.size() + length, 2 * stream_.capacity()));
  }
  stream_.append(block, length);
  totalFileSize_ += length;
}

void TextWriter::FlushToStream() {
  const auto k = static_cast<std::size_t>(pos_ - tempBuf_);
  if (k == 0) return;
  WriteToStream(tempBuf_, k);
  if (!flushToStreamNoAutoResize_) {
    const std::uint64_t written = totalFileSize_;
    std::int32_t size = tempBufSize_;
    if (size < kGrowWhileBelow && written > 4 * static_cast<std::uint64_t>(size)) {
      size *= 2;
    } else if (size < kLargeBuffer && written > kLargeBufferAfter) {
      size = kLargeBuffer;
    }
    if (size != tempBufSize_) {
      ownBuf_.reset(new char[static_cast<std::size_t>(size)]);
      tempBuf_ = ownBuf_.get();
      tempBufSize_ = size;
      bEnd_ = tempBuf_ + size - 16;
    }
  }
  pos_ = tempBuf_;
}

void TextWriter::FlushFinal() {
  flushToStreamNoAutoResize_ = true;
  FlushToStream();
}

void TextWriter::SetText(std::string& result, TextWriterJSONFormat reformat) {
  FlushFinal();
  if (totalFileSize_ == 0) {
    result.clear();
  } else {
    result = std::move(stream_);
    stream_ = std::string();
  }
  if (reformat != jsonCompact) {
    CancelAll();
    // The string's own terminator ends the text; nothing behind it may be read.
    AddJSONReformat(result.data(), result.data() + result.size() + 1, reformat, nullptr);
    SetText(result, jsonCompact);
  }
}

void TextWriter::CancelAll() {
  stream_.clear();
  totalFileSize_ = 0;
  pos_ = tempBuf_;
}

}  // namespace braceform
