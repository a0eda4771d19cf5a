// Timing driver for the pipeline's stages (a program, not a test).
//   pipeline_timing FILE [RUNS]   best of RUNS per stage, each on a fresh copy made outside
//                                 the timing: decoding the bytes into lines, then the
//                                 compact and the human-readable operation on those lines
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "document/document_file.h"
#include "reformat/pipeline.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s FILE [RUNS]\n", argv[0]);
    return 2;
  }
  std::ifstream f(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (!f.good() && !f.eof()) return 3;
  const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
  double decode = 1e30, compact = 1e30, human = 1e30;
  braceform::ReformatOptions options;
  options.keepDocumentOnFailure = false;  // as the CLI runs it
  for (int r = 0; r < runs; ++r) {
    std::string copy = bytes;
    auto t0 = Clock::now();
    braceform::DocumentLines lines = braceform::DecodeDocument(std::move(copy));
    decode = std::min(decode, Since(t0));
    for (auto mode : {braceform::ReformatMode::Compact, braceform::ReformatMode::HumanReadable}) {
      braceform::DocumentLines work = lines;
      t0 = Clock::now();
      braceform::ReformatDocument(work, mode, options);
      double& best = mode == braceform::ReformatMode::Compact ? compact : human;
      best = std::min(best, Since(t0));
    }
  }
  std::printf("%zu bytes, best of %d: decode %.1f ms, compact %.1f ms, human %.1f ms\n",
              bytes.size(), runs, decode * 1e3, compact * 1e3, human * 1e3);
  return 0;
}
