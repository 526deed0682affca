// pbx create and pbx extract on an archive of the most entries it can hold,
// and Ctrl-C during its extraction.
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/cli/pbx_runner.h"

namespace pbx_test {
namespace {

constexpr int kMaxEntries = 8191;

// Names of up to 11 CP932 bytes: ASCII, kanji (two bytes each) and
// half-width katakana (one byte each).
std::string NameOf(int i) {
  char name[32];
  if (i % 3 == 0) {
    std::snprintf(name, sizeof name, "表%05d", i);
  } else if (i % 7 == 0) {
    std::snprintf(name, sizeof name, "ｶﾅ%05d.txt", i);
  } else {
    std::snprintf(name, sizeof name, "f%05d.bin", i);
  }
  return name;
}

// 0 to 4096 bytes of noise.
std::string ContentOf(int i) {
  uint32_t state = 2654435761u * static_cast<uint32_t>(i + 1);
  std::string bytes(state % 4097, '\0');
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

class FullArchive : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    fs::create_directory(*dir_ / "in");
    std::vector<std::string> args = {"create", "../full.pbx"};
    for (int i = 0; i < kMaxEntries; ++i) {
      sources_[NameOf(i)] = ContentOf(i);
      WriteFile(*dir_ / "in" / NameOf(i), ContentOf(i));
      names_.push_back(NameOf(i));
      args.push_back(NameOf(i));
    }
    created_ = RunPbx(args, {*dir_ / "in"});
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    ASSERT_EQ(created_.code(), 0) << created_.err;
    ASSERT_EQ(created_.err, "");
  }

  static inline TempDir* dir_;
  static inline std::vector<std::string> names_;
  static inline std::map<std::string, std::string> sources_;
  static inline Result created_;
};

TEST_F(FullArchive, ExtractGivesBackEveryFileByteForByte) {
  Result r = RunPbx({"extract", "-v", "full.pbx"}, {dir_->path()});
  EXPECT_EQ(r.code(), 0);
  EXPECT_EQ(r.err, "ディレクトリをつくっちゃうよ\n");
  EXPECT_EQ(Lines(r.out), names_);
  EXPECT_TRUE(DirContents(*dir_ / "full") == sources_);
}

TEST_F(FullArchive, CheckFindsNothingAndListShowsEveryEntry) {
  Result check = RunPbx({"check", "full.pbx"}, {dir_->path()});
  EXPECT_EQ(check.code(), 0);
  EXPECT_EQ(check.out, "");
  Result list = RunPbx({"list", "full.pbx"}, {dir_->path()});
  EXPECT_EQ(list.code(), 0);
  EXPECT_EQ(Lines(list.out).size(), static_cast<size_t>(kMaxEntries));
}

TEST_F(FullArchive, OneFileMoreIsRefused) {
  WriteFile(*dir_ / "in" / "extra", "x");
  std::vector<std::string> args = {"create", "../over.pbx"};
  args.insert(args.end(), names_.begin(), names_.end());
  args.push_back("extra");
  Result r = RunPbx(args, {*dir_ / "in"});
  fs::remove(*dir_ / "in" / "extra");
  EXPECT_EQ(r.code(), 1);
  EXPECT_NE(r.err.find("8191"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(*dir_ / "over.pbx"));
}

// --- Ctrl-C -----------------------------------------------------------

// pbx extract -v with its stdout on a pipe that the test reads only when it
// wants: once the pipe is full, pbx waits in the middle of listing a name.
struct Extraction {
  pid_t pid = -1;
  int out = -1;
};

Extraction StartExtraction(const fs::path& cwd) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    freopen("/dev/null", "w", stderr);
    signal(SIGINT, SIG_DFL);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    execl(PBX_PATH, PBX_PATH, "extract", "-v", "full.pbx", "out", nullptr);
    _exit(127);
  }
  close(fds[1]);
  return {pid, fds[0]};
}

std::string ProcText(pid_t pid, const char* file) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool CatchesSigint(pid_t pid) {
  std::string status = ProcText(pid, "status");
  size_t at = status.find("SigCgt:");
  if (at == std::string::npos) return false;
  return std::stoull(status.substr(at + 7), nullptr, 16) & (1ull << (SIGINT - 1));
}

int PipeBytes(int fd) {
  int n = 0;
  ioctl(fd, FIONREAD, &n);
  return n;
}

// False when the condition did not come true within a minute.
[[nodiscard]] bool WaitUntil(const std::function<bool()>& condition) {
  auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Waits until pbx has caught Ctrl-C and then filled the pipe (a 64 KiB pipe
// holds fewer lines than the archive has names), so that it cannot finish
// before the test lets it.
[[nodiscard]] bool WaitUntilBlockedOnFullPipe(const Extraction& x) {
  return WaitUntil([&] { return CatchesSigint(x.pid); }) && WaitUntil([&] {
           return PipeBytes(x.out) > 60000 &&
                  ProcText(x.pid, "wchan").find("pipe_write") != std::string::npos;
         });
}

// Sends one Ctrl-C and waits until pbx has handled it.
[[nodiscard]] bool Interrupt(const Extraction& x) {
  kill(x.pid, SIGINT);
  return WaitUntil([&] { return !CatchesSigint(x.pid); });
}

// Ends a child left behind by a failed assertion.
struct KillOnExit {
  const Extraction& x;
  bool armed = true;
  ~KillOnExit() {
    if (!armed) return;
    kill(x.pid, SIGKILL);
    waitpid(x.pid, nullptr, 0);
    close(x.out);
  }
};

std::string ReadToEnd(int fd) {
  std::string text;
  char buf[65536];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, n);
  return text;
}

TEST_F(FullArchive, CtrlCStopsAfterTheEntryBeingWritten) {
  Extraction x = StartExtraction(dir_->path());
  ASSERT_GT(x.pid, 0);
  KillOnExit guard{x};
  ASSERT_TRUE(WaitUntilBlockedOnFullPipe(x));
  ASSERT_TRUE(Interrupt(x));
  std::vector<std::string> listed = Lines(ReadToEnd(x.out));
  int status = 0;
  ASSERT_EQ(waitpid(x.pid, &status, 0), x.pid);
  guard.armed = false;
  close(x.out);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);

  // Every name listed was written completely, and nothing else.
  ASSERT_GT(listed.size(), 0u);
  ASSERT_LT(listed.size(), names_.size());
  std::map<std::string, std::string> expected;
  for (size_t i = 0; i < listed.size(); ++i) {
    ASSERT_EQ(listed[i], names_[i]);
    expected[names_[i]] = sources_[names_[i]];
  }
  EXPECT_TRUE(DirContents(*dir_ / "out") == expected);
}

TEST_F(FullArchive, SecondCtrlCEndsAtOnce) {
  Extraction x = StartExtraction(dir_->path());
  ASSERT_GT(x.pid, 0);
  KillOnExit guard{x};
  ASSERT_TRUE(WaitUntilBlockedOnFullPipe(x));
  ASSERT_TRUE(Interrupt(x));
  kill(x.pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(x.pid, &status, 0), x.pid);
  guard.armed = false;
  close(x.out);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
}  // namespace pbx_test
