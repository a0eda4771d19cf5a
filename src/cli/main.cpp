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
#include "text/utf.h"
#include "tree/json_document.h"
#include "version/version_record.h"

namespace braceform::cli {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitRejected = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;
constexpr int kExitCut = 4;

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
    "  -o FILE              write to FILE instead of standard output: replaced whole, or\n"
    "                       written in place when it has further hard links\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "Exit status: 0 done, 1 input rejected, 2 usage, 3 a file could not be read or written,\n"
    "4 the text could not be read to its end: the output stops where reading stopped (the\n"
    "line and column are on standard error) and -o leaves FILE as it was.\n";

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

bool FromStandardInput(const Options& o) { return !o.input || *o.input == "-"; }

std::string InputName(const Options& o) {
  return FromStandardInput(o) ? "standard input" : *o.input;
}

std::string ReadInput(const Options& o) {
  if (FromStandardInput(o)) return ReadAllBytes(STDIN_FILENO, InputName(o));
  return ReadFileBytes(*o.input);
}

// Where reading stopped, or nothing when the whole text was read.
struct Cut {
  std::size_t line = 0, column = 0;
};

void ReportCut(const Options& o, const Cut& cut) {
  PrintError(InputName(o) + ": line " + std::to_string(cut.line) + ", column " +
             std::to_string(cut.column) +
             ": the text could not be read from here on; the output stops there");
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

std::string Reformat(std::string&& bytes, const Options& o, std::optional<Cut>& cut) {
  const bool tree = o.reformat.humanReadableEngine == HumanReadableEngine::DocumentTree;
  if (o.raw && tree) {
    // The facade alone, on the text as "Load JSON File..." decodes it.
    return ParseJSONDocumentUTF8(DecodeText(std::move(bytes)))
        ->AsJSONUTF8(o.mode == ReformatMode::HumanReadable, false);
  }
  DocumentLines lines = DecodeDocument(std::move(bytes));
  ReformatOptions options = o.reformat;
  options.keepDocumentOnFailure = false;  // the input is still where it came from
  const ReformatResult result = ReformatDocument(lines, o.mode, options);
  if (!result.complete) cut = Cut{result.line, result.column};
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
// made instead of being held whole (to -o through a temporary file, or held in memory when
// the target has to be written in place). When it stops early, -o is left as it was.
std::optional<Cut> ReformatRawTo(std::string&& bytes, const Options& o) {
  const bool human = o.mode == ReformatMode::HumanReadable;
  const TextWriterJSONFormat style =
      o.reformat.unquotedNames ? (human ? jsonUnquotedPropName : jsonUnquotedPropNameCompact)
                               : (human ? jsonHumanReadable : jsonCompact);
  const std::size_t n = bytes.size();
  bytes.append(kTextPadding, '\0');  // the engine's working copy is the input itself
  std::optional<AtomicFile> file;
  if (o.output) file.emplace(*o.output);
  ReformatStop stop;
  if (n > 0) {
    ReformatJSONBufferTo(
        bytes.data(), n, style,
        [&](const char* p, std::size_t len) {
          if (file) {
            file->Write({p, len});
          } else {
            WriteStandardOutput({p, len});
          }
        },
        &stop);
  }
  if (!stop.complete) {  // the engine left its input unchanged: the position is found there
    const text::TextPosition at = text::PositionAt({bytes.data(), n}, stop.offset);
    return Cut{at.line, at.column};
  }
  if (file) file->Commit();
  return std::nullopt;
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
    std::optional<Cut> cut;
    if (o->raw && o->reformat.humanReadableEngine != HumanReadableEngine::DocumentTree) {
      cut = ReformatRawTo(std::move(input), *o);
    } else {
      std::string out = Reformat(std::move(input), *o, cut);
      if (!o->output) {
        WriteStandardOutput(out);
      } else if (!cut) {
        WriteFileAtomically(*o->output, out);
      }
    }
    if (!cut) return kExitDone;
    ReportCut(*o, *cut);
    return kExitCut;
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
