// Times the window's own commands on a large document, offscreen, beside braceform-cli.
//
//   bench_window sequence FILE CLI   load, Human Readable, save; then `CLI --human FILE`
//   bench_window compact FILE        load, Compact, save (for files above the display limit)
//   bench_window lazy FILE [none]    JSON colouring on (or off): show the last page, type a key
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_form.h"
#include "document/document_file.h"
#include "editor/editor.h"
#include "error_report.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

bool failed = false;

template <class F>
double Step(const char* name, F&& step) {
  auto start = Clock::now();
  step();
  double s = Seconds(start);
  std::printf("  %-28s %8.3f s   peak RSS %8.1f MiB\n", name, s, PeakMiB());
  std::fflush(stdout);
  return s;
}

// Runs `cli --human file -o out` and reports its time and peak memory.
double RunCli(const std::string& cli, const std::string& file, const std::string& out) {
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    execl(cli.c_str(), cli.c_str(), "--human", file.c_str(), "-o", out.c_str(), (char*)nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double s = Seconds(start);
  std::printf("  %-28s %8.3f s   peak RSS %8.1f MiB   exit %d\n", "braceform-cli --human", s,
              usage.ru_maxrss / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return s;
}

void Repaint(braceform::Editor* editor) {
  editor->viewport()->repaint();
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_window sequence|compact|lazy FILE [CLI]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::string mode = argv[1], file = argv[2];
  std::string out = file + ".window-out.json";
  braceform::SetErrorReporter([](const QString&, const QString& text) {
    std::fprintf(stderr, "error report: %s\n", text.toUtf8().constData());
    failed = true;
  });
  // The program's own context, but the save dialog answers at once and nothing is stored.
  class BenchUi : public braceform::DesktopUiServices {
   public:
    explicit BenchUi(QString out) : out_(std::move(out)) {}
    QString ChooseSaveFile(QWidget*, const QString&) override { return out_; }

   private:
    QString out_;
  };
  braceform::AppContext context = braceform::MakeAppContext({QStringLiteral("braceform")});
  context.settings = std::make_shared<braceform::MemorySettingsStore>();
  context.ui = std::make_shared<BenchUi>(QString::fromStdString(out));
  braceform::AppForm form(context, {QStringLiteral("braceform")});
  form.timerParam()->stop();
  form.resize(1000, 700);
  form.show();
  QApplication::processEvents();
  const QString name = QString::fromStdString(file);
  auto click = [&](const char* button) { form.findChild<QPushButton*>(button)->click(); };

  std::printf("%s (%s)\n", file.c_str(), mode.c_str());
  if (mode == "sequence" || mode == "compact") {
    // The CLI first: a child inherits the peak memory of the process it was forked from.
    double cli = 0;
    if (mode == "sequence" && argc > 3) cli = RunCli(argv[3], file, file + ".cli-out.json");
    // For reference: the core's read and decode alone, without the window.
    Step("(core read + decode only)", [&] { (void)braceform::LoadDocumentFile(file); });
    double total = 0;
    total += Step("load", [&] { braceform::Guarded([&] { form.DosyaAc(name); }); });
    std::printf("  editor %s\n", form.editor()->isEnabled() ? "enabled" : "disabled (notice)");
    total += Step(mode == "compact" ? "Compact" : "Human Readable",
                  [&] { click(mode == "compact" ? "ButtonCompact" : "ButtonHuman"); });
    total += Step("save", [&] { click("ButtonSave"); });
    std::printf("  %-28s %8.3f s\n", "window total", total);
    if (cli > 0) {
      std::printf("  window / cli time ratio       %8.2f\n", total / cli);
    }
    std::printf("  output %lld bytes\n",
                static_cast<long long>(QFileInfo(QString::fromStdString(out)).size()));
    std::remove(out.c_str());
  } else if (mode == "lazy") {
    if (argc > 3 && std::string(argv[3]) == "none")
      form.None1Click();  // the same without colouring
    Step("load (JSON colouring on)", [&] { braceform::Guarded([&] { form.DosyaAc(name); }); });
    std::printf("  colouring %s\n", form.editor()->lexer() ? "on" : "off");
    Step("first page shown", [&] { Repaint(form.editor()); });
    Step("last page shown", [&] {
      form.editor()->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
      Repaint(form.editor());
    });
    Step("one keystroke at the end", [&] {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
      QApplication::sendEvent(form.editor(), &press);
      Repaint(form.editor());
    });
    Step("ten more keystrokes", [&] {
      for (int i = 0; i < 10; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"));
        QApplication::sendEvent(form.editor(), &press);
        Repaint(form.editor());
      }
    });
  }
  return failed ? 1 : 0;
}
