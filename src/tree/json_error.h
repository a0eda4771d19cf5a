#pragma once
// Every error the document-tree engine raises. what() is the UTF-8 text the user sees.
#include <stdexcept>
#include <string>

namespace braceform {

class JSONError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The message is the given text followed by ". (Line: L Col: C)".
class JSONSyntaxError : public JSONError {
 public:
  JSONSyntaxError(const std::string& msg, int line, int col)
      : JSONError(msg + ". (Line: " + std::to_string(line) + " Col: " + std::to_string(col) + ")"),
        line_(line),
        col_(col) {}
  int Line() const { return line_; }
  int Col() const { return col_; }

 private:
  int line_;
  int col_;
};

}  // namespace braceform
