// libFuzzer target: the input is an archive. Each input is extracted by the
// real run, through the real POSIX disk layer, into a fresh sandbox:
//
//   <tmp>/pbxtest.XXXXXX/a/b/c/d/game.pbx   the input
//   <tmp>/pbxtest.XXXXXX/a/b/c/d/game/      the output directory
//
// The output directory sits four levels down, so an entry name of at most
// 12 bytes that climbed out with ".." would still land inside the sandbox,
// where the walk below finds it.
//
// After each run:
//  - the sandbox holds the chain a/b/c/d, the input and the output
//    directory, and nothing else; the output directory holds only regular
//    files, one per distinct entry written;
//  - every file written holds exactly its entry's bytes (the archive's bytes
//    from Start, 0xFF past the end or for a negative Start);
//  - the run ended the way the directory says it must: a directory that
//    ReadDirectory refuses gives the not-an-archive (or cannot-read)
//    message and no output, a readable one is written completely unless an
//    entry's name cannot become a file;
//  - no file descriptor is left open, both flags are 0 and the caption is
//    back to "どきどき".
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/extraction_run.h"
#include "archive/names.h"
#include "archive/paths.h"
#include "archive/pbx_format.h"
#include "tests/archive/test_util.h"

namespace {

using pbx::ArchiveEntry;
using pbx::RunOutcome;

// A negative Start, or data past the end, is written as 0xFF: a 30-byte
// archive can ask for about 2 GiB of output. Such inputs say nothing the
// small ones do not, and would only make the fuzzer slow and the disk full,
// so inputs whose entries add up to more than this are skipped before the
// run, by reading their directory first.
constexpr int64_t kMaxTotalOutput = 1 << 20;
// Likewise every entry costs a file created, checked and removed: a
// directory of thousands of entries takes seconds per input and the fuzzer
// would spend its time on them. The directory of such an input is still
// read (by ReadDirectory below, from memory); only the run is skipped.
// The 8191-entry limit itself is checked by the ordinary tests.
constexpr int32_t kMaxEntriesRun = 512;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
  std::abort();
}

void Check(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

size_t OpenFdCount() {
  size_t n = 0;
  DIR* d = ::opendir("/proc/self/fd");
  if (!d) return 0;
  while (dirent* e = ::readdir(d))
    if (e->d_name[0] != '.') ++n;
  ::closedir(d);
  return n - 1;  // the descriptor of the listing itself
}

// The name the run gives an entry's file on this platform.
std::string FileName(const std::string& cp932_name) {
  return pbx::kNativePathStyle == pbx::PathStyle::kPosix
             ? pbx::Cp932ToUtf8(cp932_name)
             : cp932_name;
}

// What entry e must hold once written.
std::string ExpectedBytes(const std::string& archive, const ArchiveEntry& e) {
  if (e.Size <= 0) return {};
  std::string out(static_cast<size_t>(e.Size), '\xFF');
  if (e.Start >= 0) {
    const auto start = static_cast<size_t>(e.Start);
    if (start < archive.size()) {
      const size_t n = std::min(out.size(), archive.size() - start);
      out.replace(0, n, archive, start, n);
    }
  }
  return out;
}

std::string Quoted(const std::string& s) {
  std::string q;
  for (unsigned char c : s) {
    char buf[8];
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      q += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      q += buf;
    }
  }
  return "\"" + q + "\"";
}

}  // namespace

// Sandboxes go to the memory file system when there is one and TMPDIR does
// not say otherwise: thousands of small files a second are cheap there.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = std::getenv("TMPDIR");
  if ((!tmp || !*tmp) && ::access("/dev/shm", W_OK | X_OK) == 0)
    ::setenv("TMPDIR", "/dev/shm", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string archive(reinterpret_cast<const char*>(data), size);

  // The directory as the run will see it, read from memory.
  pbx::test::MemoryArchive mem(archive);
  const bool is_archive = pbx::CheckMagic(mem);
  std::vector<ArchiveEntry> table;
  pbx::DirectoryResult dir;
  if (is_archive) {
    dir = pbx::ReadDirectory(mem, table);
    int64_t total = 0;
    for (int32_t i = 0; i < dir.count; ++i)
      total += std::max<int32_t>(table[static_cast<size_t>(i)].Size, 0);
    if (total > kMaxTotalOutput || dir.count > kMaxEntriesRun)
      return -1;  // see kMaxTotalOutput and kMaxEntriesRun
  }
  const bool readable = is_archive && dir.status == pbx::DirectoryStatus::kOk;

  pbx::test::TempDir sandbox;
  const std::string chain = sandbox / "a/b/c/d";
  for (const char* p : {"a", "a/b", "a/b/c", "a/b/c/d"})
    Check(::mkdir((sandbox / p).c_str(), 0777) == 0, "cannot make the sandbox");
  const std::string input = chain + "/game.pbx";
  const std::string outdir = chain + "/game";
  pbx::test::WriteFile(input, archive);

  pbx::test::ScriptedWindow window;
  window.input_path = input;
  window.output_dir = outdir;
  const size_t fds_before = OpenFdCount();
  const RunOutcome outcome = pbx::RunExtraction(window);

  Check(OpenFdCount() == fds_before, "a file descriptor is left open");
  Check(!window.running && !window.stop_requested, "a flag is left at 1");
  Check(window.caption == pbx::kCaptionIdle, "the caption is not back to idle");

  // Nothing beside the chain, the input and the output directory.
  for (const char* p : {"", "/a", "/a/b", "/a/b/c"}) {
    const auto names = pbx::test::ListDir(sandbox.path() + p);
    Check(names.size() == 1, std::string("something was written in ") +
                                 (*p ? p + 1 : "the sandbox"));
  }
  std::vector<std::string> beside = pbx::test::ListDir(chain);
  std::erase(beside, "game");
  Check(beside == std::vector<std::string>{"game.pbx"},
        "something was written beside the output directory");
  Check(pbx::test::ReadFile(input) == archive, "the archive was changed");

  if (!readable) {
    Check(outcome == RunOutcome::kNotArchive || outcome == RunOutcome::kCannotRead,
          "a refused archive did not end with a refusal");
    Check(!pbx::test::Exists(outdir), "a refused archive created the output directory");
    return 0;
  }

  // The entries that were to be written, in order: all of them, or those
  // before the one whose file could not be created.
  size_t written = static_cast<size_t>(std::max(dir.count, 0));
  if (outcome == RunOutcome::kCannotWrite) {
    Check(!window.list.empty(), "a write failure before any entry was listed");
    written = window.list.size() - 1;
    const std::string& name = table[written].Name;
    // On POSIX any name without "/" and NUL can be a file, so only a name
    // the run refuses, or one that still holds a "/", may fail here.
    Check(!pbx::IsSafeEntryName(name) ||
              FileName(name).find('/') != std::string::npos,
          "the file of entry " + Quoted(name) + " could not be written");
  } else {
    Check(outcome == RunOutcome::kCompleted,
          "a readable archive ended with outcome " +
              std::to_string(static_cast<int>(outcome)));
  }

  // The last entry of each name decides that file's bytes.
  std::map<std::string, std::string> expected;
  for (size_t i = 0; i < written; ++i)
    expected[FileName(table[i].Name)] = ExpectedBytes(archive, table[i]);

  std::set<std::string> present;
  for (const std::string& name : pbx::test::ListDir(outdir)) {
    const std::string path = outdir + "/" + name;
    struct stat st;
    Check(::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode),
          Quoted(name) + " in the output directory is not a regular file");
    auto it = expected.find(name);
    Check(it != expected.end(), "unexpected file " + Quoted(name));
    Check(pbx::test::ReadFile(path) == it->second,
          "file " + Quoted(name) + " does not hold its entry's bytes");
    present.insert(name);
  }
  Check(present.size() == expected.size(), "an entry's file is missing");
  return 0;
}
