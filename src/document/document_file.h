#pragma once
// Reading a file into the document and writing it back, without any window.
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/document_lines.h"

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
// temporary file is removed. Throws FileError.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  void Write(std::string_view bytes);
  void Commit();

 private:
  [[noreturn]] void Fail(int err);
  std::string path_, target_, folder_, temp_;
  int fd_ = -1;
};

void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace braceform
