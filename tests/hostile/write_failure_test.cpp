// Output files that cannot be written: a disk that fills up (RLIMIT_FSIZE
// in a child process, with SIGXFSZ ignored so that the write fails with
// EFBIG instead of killing it) and entry paths that name a directory or a
// place that does not exist. Each ends the run with "ファイルが書けないよ";
// the files written before stay complete and the failed one leaves nothing.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/hostile/hostile_common.h"

namespace pbx::hostile {
namespace {

using test::Header;
using test::ListDir;
using test::Record;

// What a run in a child process left in its window.
struct ChildRun {
  int outcome = -1;
  std::string progress;
  std::vector<std::string> messages;
};

// Runs the extraction in a forked child whose files may not grow beyond
// limit bytes, and reports back through a pipe.
ChildRun RunWithFileSizeLimit(Sandbox& s, rlim_t limit) {
  int fds[2];
  if (::pipe(fds) != 0) ADD_FAILURE() << "pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) ::_exit(3);
    const RunOutcome outcome = s.Run();
    std::string report = std::to_string(static_cast<int>(outcome)) + '\0' +
                         s.window.progress + '\0';
    for (const std::string& m : s.window.Messages()) report += m + '\0';
    const char* p = report.data();
    size_t left = report.size();
    while (left > 0) {
      const ssize_t w = ::write(fds[1], p, left);
      if (w <= 0) ::_exit(4);
      p += w;
      left -= static_cast<size_t>(w);
    }
    ::_exit(0);  // no test teardown in the child
  }
  ::close(fds[1]);
  std::string report;
  char buf[4096];
  for (ssize_t r; (r = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, r);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the child ended with status " << status;

  ChildRun run;
  std::vector<std::string> fields;
  for (size_t begin = 0, end; (end = report.find('\0', begin)) != std::string::npos;
       begin = end + 1)
    fields.push_back(report.substr(begin, end - begin));
  if (fields.size() < 2) return run;
  run.outcome = std::stoi(fields[0]);
  run.progress = fields[1];
  run.messages.assign(fields.begin() + 2, fields.end());
  return run;
}

constexpr rlim_t kLimit = 4096;

TEST(WriteFailureTest, AFullDiskEndsTheRunAndKeepsTheFilesBefore) {
  const std::string small(100, 's');
  const std::string ten = "0123456789";
  using Files = std::vector<std::pair<std::string, std::string>>;
  // d: where the data begin after three records, or four.
  const int32_t d = 16 + 16 * 3, d4 = 16 + 16 * 4;
  struct Case {
    const char* what;
    std::string archive;
    RunOutcome outcome;
    Files files;  // what the output directory holds afterwards, sorted
    std::string progress;
  } cases[] = {
      {"an entry larger than the limit",
       test::MakeArchive({{"a", small}, {"big", std::string(kLimit + 1, 'b')}, {"c", ten}}),
       RunOutcome::kCannotWrite, {{"a", small}}, " 001 / 003"},
      {"an entry of exactly the limit",
       test::MakeArchive({{"a", small}, {"big", std::string(kLimit, 'b')}, {"c", ten}}),
       RunOutcome::kCompleted,
       {{"a", small}, {"big", std::string(kLimit, 'b')}, {"c", ten}}, " 003 / 003"},
      {"the first entry over the limit",
       test::MakeArchive({{"big", std::string(2 * kLimit, 'b')}, {"a", small}}),
       RunOutcome::kCannotWrite, {}, ""},
      {"0xFF past the archive's end crosses the limit",
       Header(d) + Record("a", d + 100) + Record("big", d + 100 + 2 * kLimit) +
           Record("c", d + 110 + 2 * kLimit) + small + "tail",
       RunOutcome::kCannotWrite, {{"a", small}}, " 001 / 003"},
      {"0xFF for a negative start crosses the limit",
       Header(d4) + Record("a", d4 + 100) + Record("neg", -5000) +
           Record("big", -5000 + 2 * kLimit) + Record("c", -4990 + 2 * kLimit) + small,
       RunOutcome::kCannotWrite, {{"a", small}, {"neg", ""}}, " 002 / 004"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sandbox s(c.archive);
    s.window.progress = "";
    const ChildRun run = RunWithFileSizeLimit(s, kLimit);
    EXPECT_EQ(run.outcome, static_cast<int>(c.outcome));
    EXPECT_EQ(run.progress, c.progress);
    if (c.outcome == RunOutcome::kCannotWrite)
      EXPECT_EQ(run.messages, (std::vector<std::string>{kNoticeBox, kCannotWriteBox}));
    else
      EXPECT_EQ(run.messages, std::vector<std::string>{kNoticeBox});
    Files left;
    for (const std::string& name : ListDir(s.out)) left.push_back({name, s.Out(name)});
    EXPECT_EQ(left, c.files) << "earlier files complete, no partial file";
  }
}

// Paths that cannot take a file, prepared before the run or made while the
// run services the window before its second entry.
TEST(WriteFailureTest, DirectoriesAndDanglingPlacesEndTheRun) {
  const std::string archive =
      test::MakeArchive({{"a", "first"}, {"b", "second"}, {"c", "third"}});
  struct Case {
    const char* what;
    std::function<void(Sandbox&)> before;  // with the output directory made
    std::function<void(Sandbox&)> during;  // at the second servicing
    std::string a_path;  // where entry a's complete file must be afterwards
  } cases[] = {
      {"entry path is a directory",
       [](Sandbox& s) { ::mkdir((s.out + "/b").c_str(), 0777); }, nullptr, "game/a"},
      {"entry path is a symlink to a directory",
       [](Sandbox& s) { ::symlink(s.tmp.path().c_str(), (s.out + "/b").c_str()); },
       nullptr, "game/a"},
      {"entry path is a symlink into a missing folder",
       [](Sandbox& s) { ::symlink((s.tmp / "missing/b").c_str(), (s.out + "/b").c_str()); },
       nullptr, "game/a"},
      {"output directory moved away",
       nullptr,
       [](Sandbox& s) { ::rename(s.out.c_str(), (s.tmp / "moved").c_str()); },
       "moved/a"},
      {"output directory replaced by a file",
       nullptr,
       [](Sandbox& s) {
         ::rename(s.out.c_str(), (s.tmp / "moved").c_str());
         test::WriteFile(s.out, "a file");
       },
       "moved/a"},
      {"output directory text now a dangling symlink",
       nullptr,
       [](Sandbox& s) {
         ::symlink((s.tmp / "missing").c_str(), (s.tmp / "link").c_str());
         s.window.output_dir = s.tmp / "link";
       },
       "game/a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sandbox s(archive);
    ASSERT_EQ(::mkdir(s.out.c_str(), 0777), 0);
    if (c.before) c.before(s);
    s.window.on_process = [&](int n) {
      if (n == 2 && c.during) c.during(s);
    };
    EXPECT_EQ(s.Run(), RunOutcome::kCannotWrite);
    EXPECT_EQ(s.window.Messages(), std::vector<std::string>{kCannotWriteBox});
    EXPECT_EQ(s.window.list, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(s.window.progress, " 001 / 003");
    EXPECT_EQ(test::ReadFile(s.tmp / c.a_path), "first");
    ExpectIdle(s.window);
    // Nothing was created where the run could not write.
    EXPECT_FALSE(test::Exists(s.tmp / "missing"));
    EXPECT_FALSE(test::Exists(s.tmp / "b"));
    for (const std::string& dir : {s.out, s.tmp / "moved"}) {
      struct stat st;
      if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
      for (const std::string& name : ListDir(dir))
        EXPECT_TRUE(name == "a" || name == "b") << dir << "/" << name;
    }
  }
}

}  // namespace
}  // namespace pbx::hostile
