#pragma once
// Reading a file into the document and writing it back, without any window.
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/document_lines.h"

struct stat;

namespace braceform {

// A file could not be read or written. what() names the file and the reason, in one line.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decodes file bytes as "Load JSON File..." does: a UTF-8 byte-order mark is skipped, a
// UTF-16 LE or BE mark selects that encoding; otherwise strict UTF-8 over the whole file,
// and when that fails the ANSI code page (`ansiCodePage`, an iconv name; empty: the
// user's). Then split into lines.
DocumentLines DecodeDocument(std::string&& bytes, const std::string& ansiCodePage = {});

// The same decoding into one text, without splitting (the CLI's --raw tree path).
std::string DecodeText(std::string&& bytes, const std::string& ansiCodePage = {});

// A small text file of the program's own (a mapping list): its byte-order mark, when it has
// one, gives the encoding; otherwise the ANSI code page, without trying UTF-8 first.
std::string DecodeMarkedOrAnsi(std::string&& bytes, const std::string& ansiCodePage = {});

// The iconv name of the ANSI code page of the user's locale (LC_ALL, LC_CTYPE, LANG),
// "CP1252" when unknown.
std::string UserAnsiCodePage();

// Reads a whole file. Throws FileError (missing, a folder, unreadable).
std::string ReadFileBytes(const std::string& path);
// Reads an open descriptor (a pipe, standard input) to its end; `name` is used in errors.
std::string ReadAllBytes(int fd, const std::string& name);
DocumentLines LoadDocumentFile(const std::string& path, const std::string& ansiCodePage = {});

// A file written to a temporary file in the target's folder, flushed and renamed over the
// target by Commit, so that an existing file is never left damaged. Without a Commit the
// temporary file is removed (and the target is untouched). Throws FileError.
//
// It respects the file it replaces: a target the process may not write is refused, as
// writing it in place would be; owner, group and mode are carried over where the process
// may set them. A target with further hard links, one that is no regular file, or one in a
// folder that takes no new file is written in place instead, once the whole text is there
// (Write then holds it in memory): space for all of it is reserved first, so a full disk
// or a size limit fails before the old text is touched.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  void Write(std::string_view bytes);
  void Commit();
  // Write(rest), then Commit(), without holding `rest` a second time when written in place.
  void Commit(std::string_view rest);

 private:
  void CreateTemporary(const struct stat* replaced);
  void CommitInPlace(std::string_view bytes);
  [[noreturn]] void Fail(int err);
  std::string path_, target_, folder_, temp_;
  int fd_ = -1;        // the temporary file
  int targetFd_ = -1;  // the target, open for writing while it is to be written in place
  bool inPlace_ = false;
  std::string held_;  // in place: what was written so far
};

void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace braceform
