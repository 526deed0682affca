// A valid archive cut at every length from 0 to its full size. Each cut must
// end in a refusal (no magic, or a directory cut short) or in a complete run
// whose files hold the bytes that remain and 0xFF for the bytes cut off;
// never a crash, never a file outside the output directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/hostile/hostile_common.h"

namespace pbx::hostile {
namespace {

using test::Header;
using test::ListDir;
using test::Record;

struct Entry {
  std::string name;
  int32_t start, size;
};

struct SweptArchive {
  const char* what;
  std::string bytes;
  size_t directory_end;        // cuts below this leave the directory short
  std::vector<Entry> entries;  // in directory order, names distinct
};

std::vector<SweptArchive> Archives() {
  std::string data(40, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(0xA0 + i);
  std::vector<SweptArchive> archives;
  // Four records, data from 80: 5, 0, 40 and 3 bytes.
  archives.push_back({"ordinary",
                      test::MakeArchive({{"first.txt", "hello"},
                                         {"empty", ""},
                                         {"second.bin", data},
                                         {"ABCDEFGH.TXT", "end"}}),
                      80,
                      {{"first.txt", 80, 5},
                       {"empty", 85, 0},
                       {"second.bin", 85, 40},
                       {"ABCDEFGH.TXT", 125, 3}}});
  // FirstDataOffset 72 asks for four records where three fit: the fourth
  // is read from offsets 64 to 79, out of the first entry's data.
  archives.push_back({"last record inside the data",
                      Header(72) + Record("a", 76) + Record("b", 74) +
                          Record("c", 90) + "dddd" + "efgh" + "XXXX" + test::Int32LE(96) +
                          "0123456789abcdef",
                      80,
                      {{"a", 72, 4}, {"b", 76, -2}, {"c", 74, 16}, {"ddddefghXXXX", 90, 6}}});
  return archives;
}

// The bytes an entry must hold when the archive ends at cut.
std::string Expected(const std::string& full, size_t cut, const Entry& e) {
  std::string bytes;
  for (int64_t k = 0; k < e.size; ++k) {
    const int64_t pos = int64_t{e.start} + k;
    bytes += pos < static_cast<int64_t>(cut) ? full[static_cast<size_t>(pos)] : '\xFF';
  }
  return bytes;
}

TEST(TruncationSweepTest, EveryCutIsRefusedOrWritesExactSizes) {
  for (const SweptArchive& a : Archives()) {
    for (size_t cut = 0; cut <= a.bytes.size(); ++cut) {
      SCOPED_TRACE(std::string(a.what) + ", cut at " + std::to_string(cut));
      Sandbox s(a.bytes.substr(0, cut));
      s.window.list = {"previous"};
      const RunOutcome outcome = s.Run();
      ExpectIdle(s.window);
      // Nothing beside the archive and the output directory.
      std::vector<std::string> top = ListDir(s.tmp.path());
      std::erase(top, "game");
      EXPECT_EQ(top, std::vector<std::string>{"game.pbx"});

      if (cut < a.directory_end) {
        // Without the magic, or with a directory cut short: refused
        // before the output directory is looked at.
        EXPECT_EQ(outcome, RunOutcome::kNotArchive);
        EXPECT_EQ(s.window.Messages(), std::vector<std::string>{kNotArchiveBox});
        EXPECT_EQ(s.window.list, std::vector<std::string>{"previous"});
        EXPECT_FALSE(test::Exists(s.out));
        continue;
      }
      ASSERT_EQ(outcome, RunOutcome::kCompleted);
      EXPECT_EQ(s.window.Messages(), std::vector<std::string>{kNoticeBox});
      std::vector<std::string> names;
      for (const Entry& e : a.entries) {
        names.push_back(e.name);
        EXPECT_EQ(s.Out(e.name), Expected(a.bytes, cut, e)) << e.name;
      }
      std::sort(names.begin(), names.end());
      EXPECT_EQ(ListDir(s.out), names);
    }
  }
}

}  // namespace
}  // namespace pbx::hostile
