#include "document/document_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <utility>

#include "memory/huge_pages.h"
#include "text/utf.h"

namespace braceform {
namespace {

[[noreturn]] void ThrowFileError(const char* verb, const std::string& path, int err) {
  throw FileError(std::string(verb) + " \"" + path + "\": " + std::strerror(err));
}

// An open file descriptor, closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// An iconv conversion, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// --- UTF-16 -------------------------------------------------------------------------------

// Calls f(code point) for every character of UTF-16 bytes; a lone surrogate and an odd
// trailing byte each give U+FFFD, so nothing vanishes without trace.
template <class F>
void ForEachUTF16CodePoint(std::string_view bytes, bool littleEndian, F&& f) {
  auto u = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t k) -> char32_t {
    unsigned char a = u[2 * k], b = u[2 * k + 1];
    return littleEndian ? (a | (b << 8)) : ((a << 8) | b);
  };
  for (std::size_t k = 0; k < units; ++k) {
    char32_t c = unit(k);
    if (text::IsSurrogate(c)) {
      const char32_t next = k + 1 < units ? unit(k + 1) : 0;
      if (text::IsHighSurrogate(c) && text::IsLowSurrogate(next)) {
        c = text::CombineSurrogates(c, next);
        ++k;
      } else {
        c = text::kReplacementCharacter;
      }
    }
    f(c);
  }
  if (bytes.size() % 2) f(text::kReplacementCharacter);
}

std::string DecodeUTF16(std::string_view bytes, bool littleEndian) {
  std::size_t size = 0;
  ForEachUTF16CodePoint(bytes, littleEndian, [&](char32_t c) { size += text::UTF8Length(c); });
  std::string out;
  out.reserve(size);
  ForEachUTF16CodePoint(bytes, littleEndian, [&](char32_t c) { text::AppendCodePoint(out, c); });
  return out;
}

// --- ANSI code page -----------------------------------------------------------------------

// Windows' single-byte ANSI code pages (1250 to 1258, 874), by iconv name.
bool IsSingleByteCodePage(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) c = text::FoldAscii(c);
  for (std::string_view prefix : {"CP", "WINDOWS-"}) {
    if (!upper.starts_with(prefix)) continue;
    std::string_view number = std::string_view(upper).substr(prefix.size());
    return number == "874" || (number.size() == 4 && number.starts_with("125") &&
                               number[3] >= '0' && number[3] <= '8');
  }
  return false;
}

std::string DecodeAnsi(std::string_view bytes, const std::string& codePage) {
  std::optional<Converter> converter(std::in_place, "UTF-8", codePage.c_str());
  bool singleByte = IsSingleByteCodePage(codePage);
  if (!converter->ok()) {
    converter.emplace("UTF-8", "CP1252");
    singleByte = true;
  }
  const iconv_t cd = converter->get();
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  if (!converter->ok()) {  // no converter at all: read it as Latin-1
    for (unsigned char b : bytes) text::AppendCodePoint(out, b);
    return out;
  }
  char chunk[65536];
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* o = chunk;
    std::size_t outLeft = sizeof chunk;
    std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    int err = errno;
    out.append(chunk, static_cast<std::size_t>(o - chunk));
    if (r != static_cast<std::size_t>(-1)) continue;
    if (err == E2BIG) continue;
    // A byte the code page does not define (EILSEQ), or a lead byte cut off by the end of
    // the file (EINVAL), and we go on with the next byte. The gaps of a single-byte code
    // page among 0x80 to 0x9F become the control character of the same number, as Windows
    // decodes them, so a save keeps them; anything else becomes a visible U+FFFD.
    const auto b = static_cast<unsigned char>(*in);
    text::AppendCodePoint(out, singleByte && b >= 0x80 && b <= 0x9F ? static_cast<char32_t>(b)
                                                                    : text::kReplacementCharacter);
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

struct LocaleCodePage {
  const char* language;
  const char* codePage;
};

// Windows' ANSI code page for each language; Chinese and Serbian depend on more than that.
constexpr LocaleCodePage kCodePages[] = {
    {"pl", "CP1250"}, {"cs", "CP1250"}, {"sk", "CP1250"}, {"hu", "CP1250"}, {"sl", "CP1250"},
    {"hr", "CP1250"}, {"ro", "CP1250"}, {"sq", "CP1250"}, {"bs", "CP1250"}, {"ru", "CP1251"},
    {"uk", "CP1251"}, {"be", "CP1251"}, {"bg", "CP1251"}, {"mk", "CP1251"}, {"sr", "CP1251"},
    {"kk", "CP1251"}, {"ky", "CP1251"}, {"tt", "CP1251"}, {"mn", "CP1251"}, {"el", "CP1253"},
    {"tr", "CP1254"}, {"az", "CP1254"}, {"he", "CP1255"}, {"yi", "CP1255"}, {"ar", "CP1256"},
    {"fa", "CP1256"}, {"ur", "CP1256"}, {"lt", "CP1257"}, {"lv", "CP1257"}, {"et", "CP1257"},
    {"vi", "CP1258"}, {"th", "CP874"},  {"ja", "CP932"},  {"ko", "CP949"},  {"zh", "CP936"},
};

}  // namespace

std::string UserAnsiCodePage() {
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) {
      locale = v;
      break;
    }
  }
  std::size_t cut = locale.find_first_of(".@");
  std::string modifier =
      locale.find('@') != std::string::npos ? locale.substr(locale.find('@') + 1) : "";
  std::string base = locale.substr(0, cut);
  std::string language = base.substr(0, base.find('_'));
  std::string territory =
      base.find('_') != std::string::npos ? base.substr(base.find('_') + 1) : "";
  if (language == "zh" && (territory == "TW" || territory == "HK" || territory == "MO")) {
    return "CP950";
  }
  if (language == "sr" && modifier == "latin") return "CP1250";
  for (const auto& e : kCodePages) {
    if (language == e.language) return e.codePage;
  }
  return "CP1252";
}

std::string DecodeText(std::string&& bytes, const std::string& ansiCodePage) {
  auto u = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  if (n >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
    bytes.erase(0, 3);
    // The mark says UTF-8; a broken sequence becomes U+FFFD rather than making the file
    // unreadable or turning its valid text into mojibake.
    text::SanitizeUTF8(bytes);
    return std::move(bytes);
  }
  if (n >= 2 && u[0] == 0xFF && u[1] == 0xFE)
    return DecodeUTF16(std::string_view(bytes).substr(2), true);
  if (n >= 2 && u[0] == 0xFE && u[1] == 0xFF)
    return DecodeUTF16(std::string_view(bytes).substr(2), false);
  if (text::IsValidUTF8(bytes)) return std::move(bytes);
  return DecodeAnsi(bytes, ansiCodePage.empty() ? UserAnsiCodePage() : ansiCodePage);
}

std::string DecodeMarkedOrAnsi(std::string&& bytes, const std::string& ansiCodePage) {
  auto u = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  const bool marked =
      (n >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) ||
      (n >= 2 && ((u[0] == 0xFF && u[1] == 0xFE) || (u[0] == 0xFE && u[1] == 0xFF)));
  if (marked) return DecodeText(std::move(bytes), ansiCodePage);
  return DecodeAnsi(bytes, ansiCodePage.empty() ? UserAnsiCodePage() : ansiCodePage);
}

DocumentLines DecodeDocument(std::string&& bytes, const std::string& ansiCodePage) {
  return DocumentLines::FromText(DecodeText(std::move(bytes), ansiCodePage));
}

std::string ReadAllBytes(int fd, const std::string& name) {
  // A regular file is read into one block of its size (plus room to see the end), other
  // input into a block that doubles. The block has spare room, untouched until used, so
  // that LF line ends can become CR LF in place.
  std::string data;
  struct stat st;
  std::size_t initial = 65536;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    initial = static_cast<std::size_t>(st.st_size) + 16;
  }
  const std::size_t capacity = initial + initial / 4 + 64;
  data.reserve(capacity);
  AdviseHugePages(data.data(), capacity);
  data.resize(initial);
  std::size_t used = 0;
  while (true) {
    if (used == data.size()) {
      data.resize(2 * used);
      AdviseHugePages(data.data(), data.size());
    }
    ssize_t r = read(fd, data.data() + used, data.size() - used);
    if (r < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("Cannot read", name, errno);
    }
    if (r == 0) break;
    used += static_cast<std::size_t>(r);
  }
  data.resize(used);
  return data;
}

std::string ReadFileBytes(const std::string& path) {
  Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) ThrowFileError("Cannot open", path, errno);
  struct stat st;
  if (fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) ThrowFileError("Cannot open", path, EISDIR);
  return ReadAllBytes(fd.get(), path);
}

DocumentLines LoadDocumentFile(const std::string& path, const std::string& ansiCodePage) {
  return DecodeDocument(ReadFileBytes(path), ansiCodePage);
}

AtomicFile::AtomicFile(const std::string& path) : path_(path), target_(path) {
  // Write through a symbolic link to the file it names, not over the link.
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
  }
  bool exists = stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) ThrowFileError("Cannot write", path, EISDIR);
  if (exists) {
    // Refused exactly when writing the file itself would be (a read-only file, another
    // user's file, a read-only file system): the rename would get past that. A file being
    // run cannot be written in place, but its permissions allowed the open.
    // Without waiting: a pipe with nobody reading would block the open.
    targetFd_ = open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (targetFd_ >= 0) fcntl(targetFd_, F_SETFL, fcntl(targetFd_, F_GETFL) & ~O_NONBLOCK);
    if (targetFd_ < 0 && errno == ENOENT) {
      exists = false;
    } else if (targetFd_ < 0 && errno != ETXTBSY) {
      ThrowFileError("Cannot write", path, errno);
    }
    // Other names of the file, and what is not a regular file (a device, a pipe), see the
    // new text only when it is written into the file itself.
    inPlace_ = targetFd_ >= 0 && (!S_ISREG(st.st_mode) || st.st_nlink > 1);
  }
  if (!inPlace_) CreateTemporary(exists ? &st : nullptr);
  if (!inPlace_ && targetFd_ >= 0) {
    close(targetFd_);
    targetFd_ = -1;
  }
}

void AtomicFile::CreateTemporary(const struct stat* replaced) {
  std::size_t slash = target_.rfind('/');
  folder_ = slash == std::string::npos ? "." : target_.substr(0, slash == 0 ? 1 : slash);
  std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  // Created as a new file would be (0666 less the umask, which the kernel applies), so
  // the umask is never read: reading it means changing it for every thread.
  std::random_device entropy;
  std::uniform_int_distribution<int> letter(0, 35);
  for (int attempt = 0; fd_ < 0; ++attempt) {
    std::string suffix(6, '0');
    for (char& c : suffix) {
      const int k = letter(entropy);
      c = static_cast<char>(k < 10 ? '0' + k : 'a' + k - 10);
    }
    temp_ = folder_ + "/." + base + "." + suffix;
    fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0 || (errno == EEXIST && attempt < 100)) continue;
    // A folder that takes no new file, with a target that may be written: in place.
    if ((errno == EACCES || errno == EPERM) && targetFd_ >= 0) {
      inPlace_ = true;
      return;
    }
    Fail(errno);
  }
  if (replaced == nullptr) return;
  // Owner and group where the process may set them (an unprivileged one can at most pick
  // one of its own groups); the mode after them, since a change of owner may clear the
  // set-user-ID and set-group-ID bits.
  if (fchown(fd_, replaced->st_uid, replaced->st_gid) != 0) {
    // Not allowed to give the file away; the group alone may still be one of ours.
    const int ignored = fchown(fd_, static_cast<uid_t>(-1), replaced->st_gid);
    (void)ignored;
  }
  if (fchmod(fd_, replaced->st_mode & 07777) != 0) Fail(errno);
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(temp_.c_str());
  }
  if (targetFd_ >= 0) close(targetFd_);
}

void AtomicFile::Fail(int err) {
  if (fd_ >= 0) {
    close(fd_);
    unlink(temp_.c_str());
  }
  if (targetFd_ >= 0) close(targetFd_);
  fd_ = targetFd_ = -1;
  inPlace_ = false;
  ThrowFileError("Cannot write", path_, err);
}

namespace {

// Writes all of `bytes` from the descriptor's position; returns 0 or the error.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t w = write(fd, bytes.data(), bytes.size());
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(w));
  }
  return 0;
}

}  // namespace

void AtomicFile::Write(std::string_view bytes) {
  if (inPlace_) {
    held_.append(bytes);  // written over the target only once it is whole
    return;
  }
  if (fd_ < 0) ThrowFileError("Cannot write", path_, EBADF);
  if (int err = WriteAll(fd_, bytes)) Fail(err);
}

void AtomicFile::Commit(std::string_view rest) {
  if (inPlace_) {
    if (held_.empty()) return CommitInPlace(rest);
    held_.append(rest);
    return CommitInPlace(held_);
  }
  Write(rest);
  Commit();
}

void AtomicFile::Commit() {
  if (inPlace_) return CommitInPlace(held_);
  if (fd_ < 0) ThrowFileError("Cannot write", path_, EBADF);
  if (fsync(fd_) != 0) Fail(errno);
  int fd = fd_;
  fd_ = -1;  // closed below whatever happens
  if (close(fd) != 0) Fail(errno);
  if (rename(temp_.c_str(), target_.c_str()) != 0) Fail(errno);
  int dirFd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {  // best effort: the rename itself reaches the disk
    fsync(dirFd);
    close(dirFd);
  }
}

void AtomicFile::CommitInPlace(std::string_view bytes) {
  const int fd = targetFd_;
  if (fd < 0) ThrowFileError("Cannot write", path_, EBADF);
  struct stat st;
  if (fstat(fd, &st) != 0) Fail(errno);
  const bool regular = S_ISREG(st.st_mode);
  const auto size = static_cast<off_t>(bytes.size());
  // The blocks for the whole text first: a full disk or a file size limit then fails
  // before a byte of the old text is overwritten. A file system that cannot reserve
  // space is written without.
  if (regular && size > 0) {
    const int err = posix_fallocate(fd, 0, size);
    if (err != 0 && err != EOPNOTSUPP) Fail(err);
  }
  if (int err = WriteAll(fd, bytes)) Fail(err);
  if (regular && st.st_size > size && ftruncate(fd, size) != 0) Fail(errno);
  if (fsync(fd) != 0 && regular) Fail(errno);  // a device or a pipe may not sync
  targetFd_ = -1;
  inPlace_ = false;
  held_.clear();
  if (close(fd) != 0) Fail(errno);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  AtomicFile file(path);
  file.Commit(bytes);
}

}  // namespace braceform
