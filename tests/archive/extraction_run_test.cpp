#include "archive/extraction_run.h"

#include <sys/stat.h>

#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/archive/test_util.h"

namespace pbx {
namespace {

using test::Exists;
using test::Header;
using test::ListDir;
using test::MakeArchive;
using test::ReadFile;
using test::Record;
using test::ScriptedWindow;
using test::TempDir;
using test::WriteFile;

const std::string kWarn = std::to_string(kMbOk | kMbIconExclamation);
const std::string kOk = std::to_string(kMbOk);
const std::string kNotice =
    std::string(kMsgWillCreateDir) + "|" + kCaptionWillCreate + "|" + kOk;

std::string Box(const char* text, const char* caption, const std::string& style) {
  return std::string(text) + "|" + caption + "|" + style;
}

// A temporary folder holding an archive, and a window pointed at it.
struct Fixture {
  TempDir tmp;
  ScriptedWindow window;

  explicit Fixture(const std::string& archive_bytes) {
    WriteFile(tmp / "game.pbx", archive_bytes);
    window.input_path = tmp / "game.pbx";
    window.output_dir = tmp / "game";
    window.progress = "before";
  }
  RunOutcome Run() { return RunExtraction(window); }
  std::string Out(const std::string& name) { return ReadFile(tmp / ("game/" + name)); }
};

void ExpectIdle(const ScriptedWindow& w) {
  EXPECT_FALSE(w.running);
  EXPECT_FALSE(w.stop_requested);
  EXPECT_EQ(w.caption, kCaptionIdle);
}

TEST(ProgressTextTest, PadsToThreeDigitsAndGrows) {
  EXPECT_EQ(ProgressText(3, 120), " 003 / 120");
  EXPECT_EQ(ProgressText(1200, 1200), " 1200 / 1200");
  EXPECT_EQ(ProgressText(1, 1), " 001 / 001");
}

TEST(ExtractionRunTest, CompleteRunCallsTheWindowInOrder) {
  Fixture f(MakeArchive({{"a.txt", "alpha"}, {"b.bin", "be"}}));
  EXPECT_EQ(f.Run(), RunOutcome::kCompleted);
  const std::vector<std::string> expected = {
      "Running 1", "InputPathText", std::string("Caption ") + kCaptionRunning,
      "ClearList", "OutputDirText", "MessageBox " + kNotice, "OutputDirText",
      "Append a.txt", "ProcessMessages", "OutputDirText", "Progress 001 / 002",
      "Append b.bin", "ProcessMessages", "OutputDirText", "Progress 002 / 002",
      "Running 0", "StopRequested 0", std::string("Caption ") + kCaptionIdle};
  EXPECT_EQ(f.window.calls, expected);
  EXPECT_EQ(f.Out("a.txt"), "alpha");
  EXPECT_EQ(f.Out("b.bin"), "be");
  ExpectIdle(f.window);
}

TEST(ExtractionRunTest, EachEndLeavesItsState) {
  const std::string good = MakeArchive({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  const std::string unsafe = MakeArchive({{"a", "1"}, {"../evil", "2"}, {"c", "3"}});
  const std::string empty_name = MakeArchive({{"a", "1"}, {"", "2"}});
  struct Case {
    const char* what;
    std::string archive;
    std::function<void(Fixture&)> prepare;
    RunOutcome outcome;
    std::vector<std::string> messages;
    std::vector<std::string> list;  // {"<kept>"}: as the previous run left it
    std::string progress;
    std::vector<std::string> files;  // in the output folder; {"<none>"}: no folder
  } cases[] = {
      {"missing archive", good, [](Fixture& f) { f.window.input_path += ".no"; },
       RunOutcome::kCannotRead, {Box(kMsgCannotRead, kCaptionError, kWarn)},
       {"<kept>"}, "before", {"<none>"}},
      {"empty archive path", good, [](Fixture& f) { f.window.input_path = ""; },
       RunOutcome::kCannotRead, {Box(kMsgCannotRead, kCaptionError, kWarn)},
       {"<kept>"}, "before", {"<none>"}},
      {"archive path is a directory", good,
       [](Fixture& f) { f.window.input_path = f.tmp.path(); },
       RunOutcome::kCannotRead, {Box(kMsgCannotRead, kCaptionError, kWarn)},
       {"<kept>"}, "before", {"<none>"}},
      {"not an archive", "Pandora.box", nullptr, RunOutcome::kNotArchive,
       {Box(kMsgNotArchive, kCaptionError, kWarn)}, {"<kept>"}, "before", {"<none>"}},
      {"directory cut short", good.substr(0, 40), nullptr, RunOutcome::kNotArchive,
       {Box(kMsgNotArchive, kCaptionError, kWarn)}, {"<kept>"}, "before", {"<none>"}},
      {"too many entries", Header(8 + 16 * 8192), nullptr, RunOutcome::kNotArchive,
       {Box(kMsgNotArchive, kCaptionError, kWarn)}, {"<kept>"}, "before", {"<none>"}},
      {"output directory cannot be created", good,
       [](Fixture& f) { f.window.output_dir = f.tmp / "no/such"; },
       RunOutcome::kCannotCreateDir,
       {kNotice, Box(kMsgCannotCreateDir, kCaptionNo, kOk)}, {}, "before", {"<none>"}},
      {"empty output directory text", good,
       [](Fixture& f) { f.window.output_dir = ""; }, RunOutcome::kCannotCreateDir,
       {kNotice, Box(kMsgCannotCreateDir, kCaptionNo, kOk)}, {}, "before", {"<none>"}},
      {"output directory text names a file", good,
       [](Fixture& f) { f.window.output_dir = f.window.input_path; },
       RunOutcome::kCannotWrite, {Box(kMsgCannotWrite, kCaptionError, kWarn)}, {"a"},
       "before", {"<none>"}},
      {"unsafe name", unsafe, nullptr, RunOutcome::kCannotWrite,
       {kNotice, Box(kMsgCannotWrite, kCaptionError, kWarn)}, {"a", "../evil"},
       " 001 / 003", {"a"}},
      {"empty name", empty_name, nullptr, RunOutcome::kCannotWrite,
       {kNotice, Box(kMsgCannotWrite, kCaptionError, kWarn)}, {"a", ""},
       " 001 / 002", {"a"}},
      {"existing directory named like an entry", good,
       [](Fixture& f) {
         ::mkdir((f.tmp / "game").c_str(), 0777);
         ::mkdir((f.tmp / "game/b").c_str(), 0777);
       },
       RunOutcome::kCannotWrite, {Box(kMsgCannotWrite, kCaptionError, kWarn)},
       {"a", "b"}, " 001 / 003", {"a", "b"}},
      {"no entries", Header(16), nullptr, RunOutcome::kCompleted, {kNotice}, {},
       "before", {}},
      {"all written", good, nullptr, RunOutcome::kCompleted, {kNotice},
       {"a", "b", "c"}, " 003 / 003", {"a", "b", "c"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(c.archive);
    f.window.list = {"previous"};
    if (c.prepare) c.prepare(f);
    EXPECT_EQ(f.Run(), c.outcome);
    EXPECT_EQ(f.window.Messages(), c.messages);
    if (c.list == std::vector<std::string>{"<kept>"})
      EXPECT_EQ(f.window.list, std::vector<std::string>{"previous"});
    else
      EXPECT_EQ(f.window.list, c.list);
    EXPECT_EQ(f.window.progress, c.progress);
    if (c.files == std::vector<std::string>{"<none>"})
      EXPECT_FALSE(Exists(f.tmp / "game") && !ListDir(f.tmp / "game").empty());
    else
      EXPECT_EQ(ListDir(f.tmp / "game"), c.files);
    EXPECT_EQ(ListDir(f.tmp.path()).size(), Exists(f.tmp / "game") ? 2u : 1u)
        << "nothing written beside the output folder";
    ExpectIdle(f.window);
  }
}

TEST(ExtractionRunTest, CopiesEachEntryFromItsOwnStart) {
  // Entries out of order, overlapping, empty, negative, and past the end.
  const std::string data = "0123456789";
  const int32_t d = 16 + 16 * 6;
  std::string bytes = Header(d + 4) + Record("late", d + 10) + Record("early", d + 2) +
                      Record("overlap", d + 6) + Record("empty", d + 6) +
                      Record("negative", d + 1) + Record("past", d + 14) + data;
  // FirstDataOffset d + 4 gives count 6 with the first entry at d + 4.
  Fixture f(bytes);
  ::mkdir((f.tmp / "game").c_str(), 0777);
  WriteFile(f.tmp / "game/empty", "old contents");
  ASSERT_EQ(f.Run(), RunOutcome::kCompleted);
  EXPECT_EQ(f.window.Messages(), std::vector<std::string>{});
  EXPECT_EQ(f.Out("late"), "456789");
  EXPECT_EQ(f.Out("early"), "");                 // ends before it starts
  EXPECT_EQ(f.Out("overlap"), "2345");
  EXPECT_EQ(f.Out("empty"), "");                 // emptied
  EXPECT_EQ(f.Out("negative"), "");
  EXPECT_EQ(f.Out("past"), "123456789\xFF\xFF\xFF\xFF");  // the file ends at 9
}

TEST(ExtractionRunTest, FillsWhatTheArchiveLacksWithFF) {
  // Two records; entry "x" runs from the first record's end to its own.
  // The file is 48 bytes of header and directory, then "ab".
  struct Case {
    const char* what;
    int32_t start, end;
    std::string expected;
  } cases[] = {
      {"reaches past the end", 48, 52, "ab\xFF\xFF"},
      {"starts past the end", 100, 103, "\xFF\xFF\xFF"},
      {"starts before the file", -40, -37, "\xFF\xFF\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(Header(40) + Record("pad", c.start) + Record("x", c.end) + "ab");
    ASSERT_EQ(f.Run(), RunOutcome::kCompleted);
    EXPECT_EQ(f.Out("x"), c.expected);
  }
}

TEST(ExtractionRunTest, NamesAreDecodedFromShiftJis) {
  Fixture f(MakeArchive({{"\x95\x5C.txt", "hyo"}, {"\x83\x5C", "so"}}));
  ASSERT_EQ(f.Run(), RunOutcome::kCompleted);
  EXPECT_EQ(f.window.list, (std::vector<std::string>{"表.txt", "ソ"}));
  EXPECT_EQ(ListDir(f.tmp / "game"), (std::vector<std::string>{"ソ", "表.txt"}));
  EXPECT_EQ(f.Out("表.txt"), "hyo");
}

std::vector<std::pair<std::string, std::string>> TenEntries() {
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 1; i <= 10; ++i) entries.push_back({"e" + std::to_string(i), "data"});
  return entries;
}

TEST(ExtractionRunTest, AClickWhileServicingStopsAfterThatEntry) {
  for (int clicks : {1, 2}) {
    SCOPED_TRACE(clicks);
    Fixture f(MakeArchive(TenEntries()));
    std::vector<RunOutcome> reentered;
    f.window.on_process = [&](int n) {
      if (n != 5) return;
      for (int k = 0; k < clicks; ++k) reentered.push_back(RunExtraction(f.window));
    };
    EXPECT_EQ(f.Run(), RunOutcome::kStopped);
    EXPECT_EQ(reentered, std::vector<RunOutcome>(clicks, RunOutcome::kStopRequested));
    EXPECT_EQ(f.window.list, (std::vector<std::string>{"e1", "e2", "e3", "e4", "e5"}));
    EXPECT_EQ(f.window.progress, " 005 / 010");
    EXPECT_EQ(ListDir(f.tmp / "game"),
              (std::vector<std::string>{"e1", "e2", "e3", "e4", "e5"}));
    EXPECT_EQ(f.Out("e5"), "data");
    ExpectIdle(f.window);

    // The next run is not stopped by the earlier request.
    f.window.on_process = nullptr;
    EXPECT_EQ(f.Run(), RunOutcome::kCompleted);
    EXPECT_EQ(f.window.progress, " 010 / 010");
  }
}

TEST(ExtractionRunTest, AStopDuringTheLastEntryEndsLikeACompleteRun) {
  Fixture f(MakeArchive(TenEntries()));
  f.window.on_process = [&](int n) {
    if (n == 10) RunExtraction(f.window);
  };
  EXPECT_EQ(f.Run(), RunOutcome::kCompleted);
  EXPECT_EQ(f.window.progress, " 010 / 010");
  ExpectIdle(f.window);
}

TEST(ExtractionRunTest, AFailingWindowOperationLeavesTheWindowIdle) {
  Fixture f(MakeArchive(TenEntries()));
  f.window.on_process = [&](int n) {
    if (n == 3) RunExtraction(f.window);  // a stop request, then the failure
    if (n == 3) throw std::runtime_error("out of window resources");
  };
  EXPECT_THROW(f.Run(), std::runtime_error);
  ExpectIdle(f.window);
  f.window.on_process = nullptr;
  EXPECT_EQ(f.Run(), RunOutcome::kCompleted);  // the next click runs again
}

TEST(ExtractionRunTest, LaterEntriesGoWhereTheOutputTextNowSays) {
  Fixture f(MakeArchive({{"a", "1"}, {"b", "2"}, {"c", "3"}}));
  ::mkdir((f.tmp / "other").c_str(), 0777);
  f.window.on_process = [&](int n) {
    if (n == 2) f.window.output_dir = f.tmp / "other";
    if (n == 3) f.window.output_dir = f.tmp / "missing";
  };
  EXPECT_EQ(f.Run(), RunOutcome::kCannotWrite);
  EXPECT_EQ(ListDir(f.tmp / "game"), std::vector<std::string>{"a"});
  EXPECT_EQ(ListDir(f.tmp / "other"), std::vector<std::string>{"b"});
  EXPECT_FALSE(Exists(f.tmp / "missing"));  // neither tested nor created
}

TEST(ExtractionRunTest, EntryPathsOver255BytesAreNotWritten) {
  Fixture f(MakeArchive({{"a", "1"}, {"ABCDEFGH.TXT", "2"}}));
  // Short enough for "a" but not for the 12-byte name.
  const std::string dir = f.tmp.path() + "/" + std::string(248 - f.tmp.path().size(), 'd');
  ASSERT_EQ(::mkdir(dir.c_str(), 0777), 0);
  f.window.output_dir = dir;
  EXPECT_EQ(f.Run(), RunOutcome::kCannotWrite);
  EXPECT_EQ(ListDir(dir), std::vector<std::string>{"a"});
}

// A disk whose archive is held in memory and whose output files can be
// told to fail, to reach the read and write errors a real disk rarely gives.
class FaultyDisk : public Disk {
 public:
  std::string archive;
  int64_t archive_fail_at = -1;
  std::string failing_name;  // output files ending in this fail...
  bool fail_on_close = false;  // ...on Close, or else on Write
  std::vector<std::string> removed;

  std::unique_ptr<ArchiveFile> OpenArchive(const std::string&) override {
    return std::make_unique<test::MemoryArchive>(archive, archive_fail_at);
  }
  bool OutputDirExists(const std::string& p) override {
    return NativeDisk().OutputDirExists(p);
  }
  bool CreateOutputDir(const std::string& p) override {
    return NativeDisk().CreateOutputDir(p);
  }
  std::unique_ptr<OutputFile> CreateOutputFile(const std::string& p) override {
    auto real = NativeDisk().CreateOutputFile(p);
    bool fails = !failing_name.empty() && p.size() >= failing_name.size() &&
                 p.compare(p.size() - failing_name.size(), failing_name.size(),
                           failing_name) == 0;
    if (!fails || !real) return real;
    return std::make_unique<FailingFile>(std::move(real), fail_on_close);
  }
  void RemoveFile(const std::string& p) override {
    removed.push_back(p);
    NativeDisk().RemoveFile(p);
  }

 private:
  class FailingFile : public OutputFile {
   public:
    FailingFile(std::unique_ptr<OutputFile> real, bool on_close)
        : real_(std::move(real)), on_close_(on_close) {}
    bool Write(const void* d, size_t n) override {
      // Half gets through, like a disk that fills up.
      if (!on_close_) return real_->Write(d, n / 2) && false;
      return real_->Write(d, n);
    }
    bool Close() override { return real_->Close() && !on_close_; }

   private:
    std::unique_ptr<OutputFile> real_;
    bool on_close_;
  };
};

TEST(ExtractionRunTest, FailedWritesAndReadsEndTheRun) {
  const std::string bytes = MakeArchive({{"a", "first"}, {"b", "second"}, {"c", "third"}});
  struct Case {
    const char* what;
    std::string failing_name;
    bool fail_on_close;
    int64_t archive_fail_at;
    RunOutcome outcome;
    const char* message;
  } cases[] = {
      {"write fails", "/b", false, -1, RunOutcome::kCannotWrite, kMsgCannotWrite},
      {"close fails", "/b", true, -1, RunOutcome::kCannotWrite, kMsgCannotWrite},
      {"archive read fails", "", false, 16 + 48 + 7, RunOutcome::kCannotRead, kMsgCannotRead},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(bytes);
    FaultyDisk disk;
    disk.archive = bytes;
    disk.archive_fail_at = c.archive_fail_at;
    disk.failing_name = c.failing_name;
    disk.fail_on_close = c.fail_on_close;
    EXPECT_EQ(RunExtraction(f.window, disk), c.outcome);
    EXPECT_EQ(f.window.Messages().back(), Box(c.message, kCaptionError, kWarn));
    // The entry before stays complete; the failed one leaves no file.
    EXPECT_EQ(ListDir(f.tmp / "game"), std::vector<std::string>{"a"});
    EXPECT_EQ(f.Out("a"), "first");
    EXPECT_EQ(disk.removed, std::vector<std::string>{f.tmp / "game/b"});
    EXPECT_EQ(f.window.progress, " 001 / 003");
    ExpectIdle(f.window);
  }
}

}  // namespace
}  // namespace pbx
