// Reference for bench/compare: RapidJSON's SAX Reader driving its Writer (--compact) or
// its PrettyWriter with one TAB per level (--pretty), FILE in, standard output out.
// The whole file is read into memory first so the reader gets its fastest input stream
// (StringStream, with the SIMD whitespace skip the target supports).
// Exit status: 0 done, 1 parse error, 2 usage, 3 read or write failure.
#if defined(__SSE4_2__)
#define RAPIDJSON_SSE42
#elif defined(__SSE2__)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/error/en.h>
#include <rapidjson/filewritestream.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/reader.h>
#include <rapidjson/stream.h>
#include <rapidjson/writer.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

int fail(const char* what, const char* reason, int status) {
  std::fprintf(stderr, "%s: %s\n", what, reason);
  return status;
}

template <typename Writer>
int reformat(const char* name, const char* text, Writer& writer) {
  rapidjson::Reader reader;
  rapidjson::StringStream in(text);
  if (!reader.Parse(in, writer)) {
    std::fprintf(stderr, "%s: offset %zu: %s\n", name, reader.GetErrorOffset(),
                 rapidjson::GetParseError_En(reader.GetParseErrorCode()));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc == 3 ? argv[1] : "";
  if (mode != "--compact" && mode != "--pretty") {
    std::fprintf(stderr, "usage: %s --compact|--pretty FILE\n", argv[0]);
    return 2;
  }
  const char* name = argv[2];
  std::FILE* f = std::fopen(name, "rb");
  if (!f) return fail(name, std::strerror(errno), 3);
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return fail(name, "cannot determine the file size", 3);
  }
  std::unique_ptr<char[]> text(new char[size_t(size) + 1]);
  const size_t got = std::fread(text.get(), 1, size_t(size), f);
  std::fclose(f);
  if (got != size_t(size)) return fail(name, "short read", 3);
  text[got] = '\0';  // StringStream stops at NUL

  static char buffer[1 << 16];
  rapidjson::FileWriteStream out(stdout, buffer, sizeof buffer);
  int status;
  if (mode == "--compact") {
    rapidjson::Writer<rapidjson::FileWriteStream> writer(out);
    status = reformat(name, text.get(), writer);
  } else {
    rapidjson::PrettyWriter<rapidjson::FileWriteStream> writer(out);
    writer.SetIndent('\t', 1);
    status = reformat(name, text.get(), writer);
  }
  out.Flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    return fail("standard output", std::strerror(errno), 3);
  return status;
}
