// Reference for the compact rows of bench/compare: simdjson's minifier as a whole
// process, FILE in, minified bytes on standard output.
// Exit status: 0 done, 1 rejected by the minifier, 2 usage, 3 read or write failure.
#include <simdjson.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  simdjson::padded_string input;
  if (auto err = simdjson::padded_string::load(argv[1]).get(input)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], simdjson::error_message(err));
    return 3;
  }
  // Left uninitialised on purpose: zero-filling would touch every page before the
  // minifier does and inflate both the time and the resident set.
  std::unique_ptr<char[]> out(new char[input.size() + 1]);
  size_t outLen = 0;
  if (auto err = simdjson::minify(input.data(), input.size(), out.get(), outLen)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], simdjson::error_message(err));
    return 1;
  }
  if (std::fwrite(out.get(), 1, outLen, stdout) != outLen || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "standard output: %s\n", std::strerror(errno));
    return 3;
  }
  return 0;
}
