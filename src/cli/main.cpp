// braceform-cli: the window's pipeline for scripts and pipes. Reads a file (or standard
// input) as "Load JSON File..." does, reformats it as the buttons do, and writes what
// "Save JSON File..." would write.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "document/document_file.h"
#include "reformat/pipeline.h"
#include "streaming/json_reformat.h"
#include "tree/json_document.h"
#include "version/version_record.h"

namespace braceform::cli {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitRejected = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;

constexpr const char* kUsageLine = "Usage: braceform-cli [OPTIONS] [FILE|-]\n";
constexpr const char* kHelp =
    "Reformats the JSON in FILE (or standard input) and writes it to standard output.\n"
    "\n"
    "  --compact            remove insignificant white space (the default)\n"
    "  --human              line breaks and indentation\n"
    "  --engine ENGINE      the engine of --human: streaming (default) or tree\n"
    "  --keep-tabs          keep the engine's tabs instead of two spaces each\n"
    "  --raw                run the engine alone on the input bytes and write its exact output\n"
    "  --unquoted           write member names bare where they allow it\n"
    "  --lf                 end lines with LF instead of CR LF\n"
    "  -o FILE              write to FILE (replaced atomically) instead of standard output\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "Exit status: 0 done, 1 input rejected, 2 usage, 3 a file could not be read or written.\n";

struct Options {
  ReformatMode mode = ReformatMode::Compact;
  ReformatOptions reformat;
  bool raw = false;
  bool lf = false;
  std::optional<std::string> output;
  std::optional<std::string> input;  // none or "-": standard input
};

struct UsageError {
  std::string message;
};

void PrintError(const std::string& message) {
  std::string line = "braceform-cli: " + message + "\n";
  std::fputs(line.c_str(), stderr);
}

// Returns the options, or nullopt when --help or --version has been answered.
std::optional<Options> ParseArguments(int argc, char** argv) {
  Options o;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto value = [&](std::string_view name) -> std::string {
      if (i + 1 >= argc) throw UsageError{"option '" + std::string(name) + "' needs a value"};
      return argv[++i];
    };
    if (optionsDone || a == "-" || a.empty() || a[0] != '-') {
      if (o.input) throw UsageError{"only one input file can be given"};
      o.input = std::string(a);
    } else if (a == "--") {
      optionsDone = true;
    } else if (a == "--help") {
      std::fputs(kUsageLine, stdout);
      std::fputs(kHelp, stdout);
      return std::nullopt;
    } else if (a == "--version") {
      std::printf("braceform-cli %s\n", build::kProductVersion);
      return std::nullopt;
    } else if (a == "--compact") {
      o.mode = ReformatMode::Compact;
    } else if (a == "--human") {
      o.mode = ReformatMode::HumanReadable;
    } else if (a == "--engine" || a.starts_with("--engine=")) {
      std::string engine = a == "--engine" ? value(a) : std::string(a.substr(9));
      if (engine == "tree") {
        o.reformat.humanReadableEngine = HumanReadableEngine::DocumentTree;
      } else if (engine == "streaming") {
        o.reformat.humanReadableEngine = HumanReadableEngine::Streaming;
      } else {
        throw UsageError{"unknown engine '" + engine + "'"};
      }
    } else if (a == "--keep-tabs") {
      o.reformat.convertTabsToSpaces = false;
    } else if (a == "--raw") {
      o.raw = true;
    } else if (a == "--unquoted") {
      o.reformat.unquotedNames = true;
    } else if (a == "--lf") {
      o.lf = true;
    } else if (a == "-o") {
      o.output = value(a);
    } else if (a.starts_with("-o") && !a.starts_with("--")) {
      o.output = std::string(a.substr(2));
    } else {
      throw UsageError{"unknown option '" + std::string(a) + "'"};
    }
  }
  if (o.output && o.output->empty()) throw UsageError{"option '-o' needs a file name"};
  // The raw output is the engine's exact bytes; changing its line ends would break that.
  if (o.raw && o.lf) throw UsageError{"'--lf' cannot be combined with '--raw'"};
  return o;
}

std::string ReadInput(const Options& o) {
  if (!o.input || *o.input == "-") return ReadAllBytes(STDIN_FILENO, "standard input");
  return ReadFileBytes(*o.input);
}

// Every CR of a text form ends a line (lines hold no CR or LF), so dropping them all
// gives LF line ends. In place.
void DropCarriageReturns(std::string& s) {
  char* d = s.data();
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end) {
    const char* cr =
        static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
    const char* stop = cr ? cr : end;
    std::memmove(d, p, static_cast<std::size_t>(stop - p));
    d += stop - p;
    p = cr ? cr + 1 : end;
  }
  s.resize(static_cast<std::size_t>(d - s.data()));
}

std::string Reformat(std::string&& bytes, const Options& o) {
  const bool tree = o.reformat.humanReadableEngine == HumanReadableEngine::DocumentTree;
  if (o.raw && tree) {
    // The facade alone, on the text as "Load JSON File..." decodes it.
    return ParseJSONDocumentUTF8(DecodeText(std::move(bytes)))
        ->AsJSONUTF8(o.mode == ReformatMode::HumanReadable, false);
  }
  DocumentLines lines = DecodeDocument(std::move(bytes));
  ReformatOptions options = o.reformat;
  options.keepDocumentOnFailure = false;  // the input is still where it came from
  ReformatDocument(lines, o.mode, options);
  std::string out = std::move(lines).TakeTextForm();
  if (o.lf) DropCarriageReturns(out);
  return out;
}

void WriteStandardOutput(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t w = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (w < 0) {
      if (errno == EINTR) continue;
      throw FileError(std::string("Cannot write standard output: ") + std::strerror(errno));
    }
    bytes.remove_prefix(static_cast<std::size_t>(w));
  }
}

// The engine alone: it never fails on its input, so its output goes out in blocks as it is
// made instead of being held whole (to -o still through a temporary file).
void ReformatRawTo(std::string&& bytes, const Options& o) {
  const bool human = o.mode == ReformatMode::HumanReadable;
  const TextWriterJSONFormat style =
      o.reformat.unquotedNames ? (human ? jsonUnquotedPropName : jsonUnquotedPropNameCompact)
                               : (human ? jsonHumanReadable : jsonCompact);
  const std::size_t n = bytes.size();
  bytes.append(kTextPadding, '\0');  // the engine's working copy is the input itself
  std::optional<AtomicFile> file;
  if (o.output) file.emplace(*o.output);
  if (n > 0) {
    ReformatJSONBufferTo(bytes.data(), n, style, [&](const char* p, std::size_t len) {
      if (file) {
        file->Write({p, len});
      } else {
        WriteStandardOutput({p, len});
      }
    });
  }
  if (file) file->Commit();
}

int Run(int argc, char** argv) {
  std::optional<Options> o;
  try {
    o = ParseArguments(argc, argv);
  } catch (const UsageError& e) {
    PrintError(e.message);
    std::fputs(kUsageLine, stderr);
    std::fputs("Try 'braceform-cli --help' for more information.\n", stderr);
    return kExitUsage;
  }
  if (!o) return kExitDone;
  try {
    std::string input = ReadInput(*o);
    if (o->raw && o->reformat.humanReadableEngine != HumanReadableEngine::DocumentTree) {
      ReformatRawTo(std::move(input), *o);
      return kExitDone;
    }
    std::string out = Reformat(std::move(input), *o);
    if (o->output) {
      WriteFileAtomically(*o->output, out);
    } else {
      WriteStandardOutput(out);
    }
    return kExitDone;
  } catch (const FileError& e) {
    PrintError(e.what());
    return kExitFile;
  } catch (const std::bad_alloc&) {
    PrintError("Out of memory");
    return kExitRejected;
  } catch (const JSONError& e) {
    // Exactly as the window's error report shows it.
    std::string line = ErrorReportText(e.what()) + "\n";
    std::fputs(line.c_str(), stderr);
    return kExitRejected;
  } catch (const std::exception& e) {
    PrintError(ErrorReportText(e.what()));
    return kExitRejected;
  }
}

}  // namespace
}  // namespace braceform::cli

int main(int argc, char** argv) {
  // A closed pipe is a write error with a message and status 3, not a silent death.
  signal(SIGPIPE, SIG_IGN);
  return braceform::cli::Run(argc, argv);
}
