// Timing driver for the streaming reformatter (a program, not a test).
//   streaming_timing FILE [RUNS]    best of RUNS reformats per style of a fresh working copy
//                                   (the copy is made outside the timing): wall and CPU time,
//                                   into memory and to a sink that drops the blocks
//   streaming_timing --once STYLE FILE
//                                   one reformat of the file as a tool does it (read into a
//                                   padded buffer, reformat in place, write to stdout); run it
//                                   under /usr/bin/time -v for the peak resident set
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "streaming/json_reformat.h"

namespace {

using braceform::TextWriterJSONFormat;

struct Buffer {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
};

// The file followed by the eight zero bytes the reformatter expects.
bool ReadPadded(const char* path, Buffer& out) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  std::fseek(f, 0, SEEK_END);
  const long n = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  out.size = static_cast<std::size_t>(n);
  out.bytes.reset(new char[out.size + 8]);
  const bool ok = std::fread(out.bytes.get(), 1, out.size, f) == out.size;
  std::fclose(f);
  std::memset(out.bytes.get() + out.size, 0, 8);
  return ok;
}

double CpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) * 1e-6;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int Once(int style, const char* path) {
  Buffer in;
  if (!ReadPadded(path, in)) return 3;
  const auto t0 = std::chrono::steady_clock::now();
  const std::string out = braceform::ReformatJSONBuffer(in.bytes.get(), in.size,
                                                        static_cast<TextWriterJSONFormat>(style));
  const double s = Seconds(t0);
  std::fprintf(stderr, "style %d once: %zu bytes in, %zu out, %.1f ms, %.0f MB/s\n", style, in.size,
               out.size(), s * 1e3, static_cast<double>(in.size) / s / 1e6);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 3;
}

struct Best {
  double wall = 1e30, cpu = 1e30;
  std::size_t out = 0;
};

template <typename Reformat>
Best Time(const Buffer& in, char* copy, int runs, Reformat reformat) {
  Best b;
  for (int r = 0; r < runs; ++r) {
    std::memcpy(copy, in.bytes.get(), in.size + 8);
    const double c0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    b.out = reformat(copy);
    b.wall = std::min(b.wall, Seconds(t0));
    b.cpu = std::min(b.cpu, CpuSeconds() - c0);
  }
  return b;
}

void Print(const char* what, const Buffer& in, int runs, const Best& b) {
  const double mb = static_cast<double>(in.size) / 1e6;
  std::printf("%-28s %zu bytes in, %zu out; best of %d: wall %.1f ms (%.0f MB/s), cpu %.1f ms\n",
              what, in.size, b.out, runs, b.wall * 1e3, mb / b.wall, b.cpu * 1e3);
}

int Repeat(const char* path, int runs) {
  Buffer in;
  if (!ReadPadded(path, in)) return 3;
  std::unique_ptr<char[]> copy(new char[in.size + 8]);
  for (int style : {0, 1, 2, 3}) {
    const auto f = static_cast<TextWriterJSONFormat>(style);
    const std::string name = "style " + std::to_string(style);
    Print((name + " into memory").c_str(), in, runs, Time(in, copy.get(), runs, [&](char* c) {
            return braceform::ReformatJSONBuffer(c, in.size, f).size();
          }));
    Print((name + " to a sink").c_str(), in, runs, Time(in, copy.get(), runs, [&](char* c) {
            std::size_t n = 0;
            braceform::ReformatJSONBufferTo(c, in.size, f,
                                            [&n](const char*, std::size_t len) { n += len; });
            return n;
          }));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--once") == 0) return Once(std::atoi(argv[2]), argv[3]);
  if (argc == 2 || argc == 3)
    return Repeat(argv[1], argc == 3 ? std::max(1, std::atoi(argv[2])) : 5);
  std::fprintf(stderr, "usage: %s FILE [RUNS] | --once STYLE FILE\n", argv[0]);
  return 2;
}
