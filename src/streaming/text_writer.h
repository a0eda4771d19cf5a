#pragma once
// Buffered writer of the streaming reformatter: appends go to a fixed buffer, full buffers
// go to an in-memory byte stream, and SetText hands the stream's string over without a copy.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "streaming/json_reformat.h"

namespace braceform {

class EWriterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The 256-entry escape table of AddJSONEscape: 0 copy, 1 end of text (the zero byte),
// 2 the "\u00XX" form, otherwise the letter that follows the backslash.
extern const std::array<std::uint8_t, 256> kJSONEscape;

class TextWriter {
 public:
  static constexpr std::int32_t kReformatBufferSize = 65536;

  // A writer over a new, empty in-memory stream that it owns. With aBuf given the buffer
  // stays the caller's (aBufSize bytes); without it the writer allocates one.
  // Throws EWriterError for a size of 16 or less.
  TextWriter(char* aBuf, std::int32_t aBufSize);
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  void Add(char c) {
    if (pos_ > bEnd_) FlushToStream();
    *pos_++ = c;
  }
  void Add(char c1, char c2) {
    if (pos_ >= bEnd_) FlushToStream();
    pos_[0] = c1;
    pos_[1] = c2;
    pos_ += 2;
  }
  // A short text of at most 255 bytes.
  void AddShort(std::string_view text) {
    if (text.empty()) return;
    if (bEnd_ - pos_ + 1 <= static_cast<std::ptrdiff_t>(text.size())) {
      FlushToStream();
      // A buffer smaller than the text could not take it even when empty.
      if (static_cast<std::int64_t>(text.size()) > tempBufSize_) {
        AddNoJSONEscapeLong(text.data(), static_cast<std::int64_t>(text.size()));
        return;
      }
    }
    std::memcpy(pos_, text.data(), text.size());
    pos_ += text.size();
  }
  void AddNoJSONEscape(const char* p, std::int64_t len) {
    if (p == nullptr || len <= 0) return;
    if (len <= bEnd_ - pos_ + 1) {
      std::memcpy(pos_, p, static_cast<std::size_t>(len));
      pos_ += len;
    } else {
      AddNoJSONEscapeLong(p, len);
    }
  }
  // The same for the walk's many short copies: up to 16 bytes go as one fixed-size move
  // (into the 16-byte reserve behind BEnd) when 16 source bytes are readable.
  void AddNoJSONEscapeSmall(const char* p, std::int64_t len, const char* readableEnd) {
    if (len > 0 && len <= 16 && readableEnd - p >= 16 && len <= bEnd_ - pos_ + 1) {
      std::memcpy(pos_, p, 16);
      pos_ += len;
    } else {
      AddNoJSONEscape(p, len);
    }
  }
  // len 0 means up to the first zero byte; a zero byte ends the text within len too.
  void AddJSONEscape(const char* p, std::int64_t len);
  // CR LF and one TAB per level; nothing right after an indented line break.
  void AddCRAndIndent() {
    // The common case inline: a shallow break into a buffer that has room writes one
    // 16-byte pattern (the reserve behind BEnd takes what lies past the break).
    static constexpr char kBreak[17] = "\r\n\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    const auto n = static_cast<std::uint64_t>(humanReadableLevel_);
    if (pos_ > tempBuf_ && n <= 14 && bEnd_ - pos_ > static_cast<std::ptrdiff_t>(n)) {
      if (pos_[-1] == '\t') return;
      std::memcpy(pos_, kBreak, 16);
      pos_ += n + 2;
      return;
    }
    AddCRAndIndentSlow();
  }

  void FlushToStream();
  void FlushFinal();
  // Delivers everything written. With a style other than jsonCompact the output is first
  // walked again in that style.
  void SetText(std::string& result, TextWriterJSONFormat reformat = jsonCompact);
  void CancelAll();

  // Reads one value at json (after blanks), appends it reformatted and returns the position
  // after its terminator, or null when the walk could go no further. endOfObject, when
  // given, receives the terminator byte or 0 for none. json must be zero-terminated.
  char* AddJSONReformat(char* json, TextWriterJSONFormat format, char* endOfObject);
  // The same for a text whose bytes up to readableEnd may be read in blocks (a text that
  // ends at its first zero byte, followed by zero padding up to readableEnd).
  char* AddJSONReformat(char* json, const char* readableEnd, TextWriterJSONFormat format,
                        char* endOfObject);
  // After AddJSONReformat: where it gave up when it could not finish the value (kTextEnded:
  // where the text ended), else nullptr.
  const char* StoppedAt() const { return stoppedAt_; }
  // After a finished value: where its terminator stands, or the zero byte that ended the
  // text.
  const char* ValueEnd() const { return valueEnd_; }
  static const char* const kTextEnded;

  std::int64_t HumanReadableLevel() const { return humanReadableLevel_; }
  void SetHumanReadableLevel(std::int64_t level) { humanReadableLevel_ = level; }
  std::int32_t TempBufSize() const { return tempBufSize_; }
  // Called with every block just before it goes to the stream.
  void SetOnFlushToStream(std::function<void(const char*, std::size_t)> callback) {
    onFlushToStream_ = std::move(callback);
  }
  // Capacity hint for the stream, so a large output does not grow it step by step.
  void ReserveOutput(std::size_t bytes);
  // Full blocks go to sink instead of the in-memory stream, so output of any size needs
  // no more memory than the buffer. SetText then delivers nothing and CancelAll cannot
  // take back what the sink has received.
  void SetSink(std::function<void(const char*, std::size_t)> sink) { sink_ = std::move(sink); }

 private:
  void SetBuffer(char* aBuf, std::int32_t aBufSize);
  void AddNoJSONEscapeLong(const char* p, std::int64_t len);
  void WriteToStream(const char* block, std::size_t length);
  void AddCRAndIndentSlow();
  char LastByte() const;

  char* pos_ = nullptr;   // next free byte of the buffer
  char* bEnd_ = nullptr;  // flush threshold: buffer start + size - 16
  std::string stream_;    // the owned in-memory stream; its write position is its end
  std::uint64_t totalFileSize_ = 0;
  bool flushToStreamNoAutoResize_ = false;
  std::int32_t tempBufSize_ = 0;
  char* tempBuf_ = nullptr;
  std::unique_ptr<char[]> ownBuf_;  // empty while the buffer is the caller's
  std::function<void(const char*, std::size_t)> onFlushToStream_;
  std::function<void(const char*, std::size_t)> sink_;
  char lastSunk_ = 0;  // the last byte the sink received
  const char* stoppedAt_ = nullptr;
  const char* valueEnd_ = nullptr;
  // 64-bit: input of more than 2 GiB could nest deeper than a 32-bit level counts.
  std::int64_t humanReadableLevel_ = 0;
};

}  // namespace braceform
