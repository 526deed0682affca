// pbx extract: the extraction run of the window program, with the terminal
// as its window.
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "archive/extraction_run.h"
#include "archive/paths.h"
#include "cli/cli.h"

namespace pbx::cli {

const char kExtractHelp[] =
    "Usage: pbx extract [-v] ARCHIVE [OUTDIR]\n"
    "Unpacks every entry of ARCHIVE into a file of its name in OUTDIR, in\n"
    "directory order. OUTDIR defaults to ARCHIVE without its extension; when\n"
    "it does not exist it is created (its parent must exist). Names are\n"
    "decoded from CP932 to UTF-8. Messages go to stderr, and on a terminal\n"
    "stderr also shows a progress bar.\n"
    "\n"
    "  -v, --verbose   print each entry's name on stdout as its turn comes\n"
    "\n"
    "Ctrl-C stops after the entry being written, which is completed; a\n"
    "second Ctrl-C ends pbx at once, possibly leaving that entry's file\n"
    "incomplete.\n"
    "\n"
    "Exit status:\n"
    "  0    every entry was written\n"
    "  1    the run ended with an error message\n"
    "  2    usage error\n"
    "  130  stopped by Ctrl-C; the entries listed so far are complete\n";

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// The first Ctrl-C is noted; SA_RESETHAND makes the second one fatal. A
// SIGINT ignored from the start (a background job) stays ignored.
void CatchFirstInterrupt() {
  struct sigaction action = {}, old = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGINT, &action, &old) == 0 && old.sa_handler == SIG_IGN) {
    sigaction(SIGINT, &old, nullptr);
  }
}

double Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// "[#####     ] 003 / 010  1.5 MiB" on one terminal line, redrawn at most
// ten times a second.
class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}

  void Update(int32_t number, int32_t count, int64_t size) {
    if (size > 0) bytes_ += size;
    if (!enabled_) return;
    double now = Now();
    if (number != count && now - last_draw_ < 0.1) return;
    last_draw_ = now;
    constexpr int kWidth = 30;
    int filled = count > 0 ? static_cast<int>(int64_t{kWidth} * number / count)
                           : kWidth;
    std::string bar(filled, '#');
    bar.resize(kWidth, ' ');
    std::fprintf(stderr, "\r[%s]%s  %.1f MiB\033[K", bar.c_str(),
                 ProgressText(number, count).c_str(), bytes_ / 1048576.0);
    std::fflush(stderr);
    shown_ = true;
  }

  // Takes the bar off the line before other output.
  void Erase() {
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    shown_ = false;
  }

 private:
  bool enabled_;
  bool shown_ = false;
  double last_draw_ = -1;
  int64_t bytes_ = 0;
};

class TerminalWindow : public RunWindow {
 public:
  TerminalWindow(std::string archive, std::string out_dir, bool verbose)
      : archive_(std::move(archive)),
        out_dir_(std::move(out_dir)),
        verbose_(verbose),
        bar_(isatty(STDERR_FILENO)) {}

  std::string InputPathText() override { return archive_; }
  std::string OutputDirText() override { return out_dir_; }

  void ClearList() override {}
  void AppendListLine(const std::string& line) override {
    if (!verbose_) return;
    bar_.Erase();
    std::printf("%s\n", PrintableName(line).c_str());
  }
  void SetActCaption(const std::string&) override {}
  void SetProgressText(const std::string&) override {}

  bool Running() override { return running_; }
  void SetRunning(bool value) override { running_ = value; }
  bool StopRequested() override { return stop_requested_; }
  void SetStopRequested(bool value) override { stop_requested_ = value; }

  // A Ctrl-C is what a click on the stop button is in the window: the run
  // is entered again and only notes the request.
  void ProcessMessages() override {
    if (g_interrupted && !interrupt_forwarded_) {
      interrupt_forwarded_ = true;
      RunExtraction(*this);
    }
  }

  void MessageBox(const std::string& text, const std::string&,
                  unsigned) override {
    bar_.Erase();
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", text.c_str());
  }

  void EntryWritten(int32_t number, int32_t count, int64_t size) override {
    bar_.Update(number, count, size);
  }

  void Finish() { bar_.Erase(); }

 private:
  std::string archive_;
  std::string out_dir_;
  bool verbose_;
  ProgressBar bar_;
  bool running_ = false;
  bool stop_requested_ = false;
  bool interrupt_forwarded_ = false;
};

// A stop asked for during the last entry counts as completed: every entry
// was written.
int ExitCode(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kCompleted:
      return kExitOk;
    case RunOutcome::kStopped:
      return kExitInterrupted;
    default:
      return kExitFailure;
  }
}

}  // namespace

int Extract(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, {"-v", "--verbose"});
  if (args.help) {
    std::fputs(kExtractHelp, stdout);
    return kExitOk;
  }
  if (!args.error.empty()) return UsageError(kExtractHelp, args.error);
  if (args.positional.empty() || args.positional.size() > 2) {
    return UsageError(kExtractHelp, "extract takes ARCHIVE and maybe OUTDIR");
  }
  const std::string& archive = args.positional[0];
  std::string out_dir = args.positional.size() == 2
                            ? args.positional[1]
                            : DefaultOutputDir(archive);
  bool verbose = args.Has("-v") || args.Has("--verbose");
  if (verbose) std::setvbuf(stdout, nullptr, _IOLBF, 0);

  TerminalWindow window(archive, out_dir, verbose);
  CatchFirstInterrupt();
  RunOutcome outcome = RunExtraction(window);
  window.Finish();
  return ExitCode(outcome);
}

}  // namespace pbx::cli
