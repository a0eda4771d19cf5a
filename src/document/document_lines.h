#pragma once
// The current document as a list of lines. Held as its text form (every line followed by
// CR LF) in one UTF-8 buffer plus the offset of each line, so that a 100 MiB document is
// two allocations, not millions, and its text form costs nothing.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace braceform {

class DocumentLines {
 public:
  DocumentLines() = default;

  // Splits at CR LF, a lone CR or a lone LF; a break at the very end starts no further line.
  static DocumentLines FromText(std::string_view text);
  // Same, but builds the text form inside the text's own buffer when its capacity allows
  // (no second copy of a large document).
  static DocumentLines FromText(std::string&& text);
  // The part [begin, end) of `text`, in its buffer where it has room; otherwise as the
  // copying form below. `tabsToSpaces` and `replaced` as there.
  static DocumentLines FromText(std::string&& text, std::size_t begin, std::size_t end,
                                bool tabsToSpaces, DocumentLines* replaced = nullptr);
  // Same, and every TAB becomes two spaces on the way (the pipeline's tab conversion).
  // With `replaced` given, it is emptied (its memory freed) once the new lines' memory is
  // allocated, the last point where this can fail: a document is replaced without both
  // being held in memory at once, and an allocation failure leaves it untouched.
  static DocumentLines FromText(std::string_view text, bool tabsToSpaces,
                                DocumentLines* replaced = nullptr);

  std::size_t Count() const { return starts_.size(); }
  bool Empty() const { return starts_.empty(); }
  // A line without its break.
  std::string_view Line(std::size_t i) const {
    std::size_t end = (i + 1 < starts_.size() ? starts_[i + 1] : text_.size()) - 2;
    return std::string_view(text_).substr(starts_[i], end - starts_[i]);
  }
  // Every line followed by CR LF; the empty list gives the empty text.
  const std::string& TextForm() const { return text_; }
  std::string TakeTextForm() &&;

  void Clear();
  // The line must hold no CR or LF.
  void Append(std::string_view line);
  // Deletes, in place and keeping the order, every line for which pred(line) holds.
  template <class Pred>
  void RemoveIf(Pred pred);

  void Swap(DocumentLines& other) noexcept {
    text_.swap(other.text_);
    starts_.swap(other.starts_);
  }

 private:
  std::string text_;
  std::vector<std::size_t> starts_;
};

template <class Pred>
void DocumentLines::RemoveIf(Pred pred) {
  std::size_t out = 0, kept = 0, n = starts_.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view line = Line(i);
    if (pred(line)) continue;
    std::size_t len = line.size() + 2;
    if (out != starts_[i]) text_.replace(out, len, text_, starts_[i], len);
    starts_[kept++] = out;
    out += len;
  }
  text_.resize(out);
  starts_.resize(kept);
}

}  // namespace braceform
