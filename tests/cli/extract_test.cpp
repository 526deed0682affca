// pbx extract and pbx check on hand-made archives.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/cli/pbx_runner.h"

namespace pbx_test {
namespace {

const std::string kNotice = "ディレクトリをつくっちゃうよ\n";
const std::string kNotArchive = "ソラネムのファイルじゃなさそうよ。\n";
const std::string kCannotWrite = "ファイルが書けないよ\n";
const std::string kCannotRead = "ファイルが読めません\n";
const std::string kFF(16, '\xFF');

using Files = std::map<std::string, std::string>;

struct Case {
  const char* label;
  std::string archive;
  int extract_code;
  std::string extract_err;
  // Files in the output directory afterwards; absent: it was not created.
  std::optional<Files> files;
  // One word or phrase per line that pbx check must print.
  std::vector<std::string> problems;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

std::string Records(int n) {
  std::string bytes;
  for (int i = 0; i < n; ++i) bytes += std::string("x\0\0\0\0\0\0\0\0\0\0\0\x10\0\0\0", 16);
  return bytes;
}

std::string UnsafeName(const std::string& name) {
  return ArchiveBytes(64, {{"ok", 66}, {name, 68}, {"after", 70}}, "112233");
}

const Files kOnlyOk = {{"ok", "11"}};

std::vector<Case> Cases() {
  return {
      {"well_formed", ArchiveBytes(48, {{"a", 51}, {"b.txt", 55}}, "abcdefg"),
       0, kNotice, Files{{"a", "abc"}, {"b.txt", "defg"}}, {}},
      {"no_entries", ArchiveBytes(16, {}, ""), 0, kNotice, Files{}, {}},
      {"past_end", ArchiveBytes(48, {{"a", 52}, {"b", 60}}, "abcdef"), 0,
       kNotice, Files{{"a", "abcd"}, {"b", "ef" + kFF.substr(0, 6)}},
       {"past the end"}},
      {"start_past_end", ArchiveBytes(32, {{"a", 40}}, ""), 0, kNotice,
       Files{{"a", kFF.substr(0, 8)}}, {"past the end"}},
      {"negative_size_and_overlap",
       ArchiveBytes(64, {{"a", 68}, {"b", 66}, {"c", 70}}, "abcdef"), 0,
       kNotice, Files{{"a", "abcd"}, {"b", ""}, {"c", "cdef"}},
       {"negative size", "overlaps"}},
      {"negative_start", ArchiveBytes(48, {{"a", -5}, {"b", 3}}, "xyz"), 0,
       kNotice, Files{{"a", ""}, {"b", kFF.substr(0, 8)}},
       {"negative size", "before the file"}},
      // First data offset 72 gives four records; the fourth is read from
      // offsets 64 to 79, the last 8 of them data.
      {"directory_into_data",
       ArchiveBytes(72, {{"a", 74}, {"b", 76}, {"c", 76}, {"d", 80}}, "wxyz"),
       0, kNotice,
       Files{{"a", std::string(2, '\0')},
             {"b", std::string(2, '\0')},
             {"c", ""},
             {"d", std::string("P\0\0\0", 4)}},
       {"first data offset", "inside the header", "inside the header",
        "inside the header"}},
      {"duplicate_name", ArchiveBytes(48, {{"a", 49}, {"a", 50}}, "12"), 0,
       kNotice, Files{{"a", "2"}}, {"same name"}},
      {"shift_jis_0x5c_in_name", ArchiveBytes(32, {{"\x95\x5C", 33}}, "z"), 0,
       kNotice, Files{{"表", "z"}}, {}},
      {"name_dotdot", UnsafeName(".."), 1, kNotice + kCannotWrite, kOnlyOk,
       {"not a plain file name"}},
      {"name_dot", UnsafeName("."), 1, kNotice + kCannotWrite, kOnlyOk,
       {"not a plain file name"}},
      {"name_slash", UnsafeName("x/y"), 1, kNotice + kCannotWrite, kOnlyOk,
       {"not a plain file name"}},
      {"name_backslash", UnsafeName("x\\y"), 1, kNotice + kCannotWrite,
       kOnlyOk, {"not a plain file name"}},
      {"name_empty", UnsafeName(""), 1, kNotice + kCannotWrite, kOnlyOk,
       {"empty name"}},
      // 0x81 0x2F is no CP932 character, but its "/" would still separate.
      {"name_lead_byte_slash", UnsafeName("\x81/x"), 1,
       kNotice + kCannotWrite, kOnlyOk, {"not a plain file name"}},
      {"name_not_cp932", ArchiveBytes(32, {{"\x81", 33}}, "z"), 0, kNotice,
       Files{{"\x81", "z"}}, {"raw bytes"}},
      {"truncated_offset", std::string("Pandora.box\0\x30\0", 14), 1,
       kNotArchive, std::nullopt, {"ends inside"}},
      {"truncated_directory", ArchiveBytes(48, {{"a", 48}}, ""), 1,
       kNotArchive, std::nullopt, {"ends inside"}},
      {"too_many_entries",
       ArchiveBytes(8 + 16 * 8192, {}, Records(8192)), 1, kNotArchive,
       std::nullopt, {"more than 8191"}},
      {"wrong_magic", std::string("Pandora.box\x01\x10\0\0\0", 16), 1,
       kNotArchive, std::nullopt, {"not a PBX archive"}},
      {"empty_file", "", 1, kNotArchive, std::nullopt, {"not a PBX archive"}},
  };
}

class HandMade : public testing::TestWithParam<Case> {};

TEST_P(HandMade, ExtractWritesOnlyInsideOutdir) {
  const Case& c = GetParam();
  TempDir dir;
  WriteFile(dir / "t.pbx", c.archive);
  Result r = RunPbx({"extract", (dir / "t.pbx").string(), (dir / "out").string()});
  EXPECT_EQ(r.code(), c.extract_code);
  EXPECT_EQ(r.err, c.extract_err);
  EXPECT_EQ(r.out, "");
  if (c.files) {
    EXPECT_EQ(DirContents(dir / "out"), *c.files);
  }
  std::set<std::string> top;
  for (const auto& [name, content] : DirContents(dir.path())) top.insert(name);
  std::set<std::string> expected_top = {"t.pbx"};
  if (c.files) expected_top.insert("out");
  EXPECT_EQ(top, expected_top);
}

TEST_P(HandMade, CheckReportsEachProblem) {
  const Case& c = GetParam();
  TempDir dir;
  WriteFile(dir / "t.pbx", c.archive);
  Result r = RunPbx({"check", (dir / "t.pbx").string()});
  EXPECT_EQ(r.code(), c.problems.empty() ? 0 : 1);
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), c.problems.size()) << r.out;
  for (const std::string& problem : c.problems) {
    EXPECT_NE(r.out.find(problem), std::string::npos) << problem << "\n" << r.out;
  }
}

INSTANTIATE_TEST_SUITE_P(Archives, HandMade, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.label; });

TEST(Extract, ExistingOutdirWithTrailingSlashNeedsNoNotice) {
  TempDir dir;
  WriteFile(dir / "t.pbx", ArchiveBytes(32, {{"a", 35}}, "abc"));
  fs::create_directory(dir / "out");
  Result r = RunPbx({"extract", (dir / "t.pbx").string(), (dir / "out/").string()});
  EXPECT_EQ(r.code(), 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(dir / "out/a"), "abc");
}

TEST(Extract, MissingArchiveCannotBeRead) {
  TempDir dir;
  Result r = RunPbx({"extract", (dir / "none.pbx").string()});
  EXPECT_EQ(r.code(), 1);
  EXPECT_EQ(r.err, kCannotRead);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Extract, OutdirThatCannotBeCreated) {
  TempDir dir;
  WriteFile(dir / "t.pbx", ArchiveBytes(32, {{"a", 35}}, "abc"));
  Result r = RunPbx({"extract", (dir / "t.pbx").string(), (dir / "no/such").string()});
  EXPECT_EQ(r.code(), 1);
  EXPECT_EQ(r.err, kNotice +
                       "ここにはディレクトリつくれないよ。\n"
                       "出力ディレクトリ先がCD-ROMだったりしない?\n");
  EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST(Extract, FailedWriteEndsTheRun) {
  TempDir dir;
  std::string big(8192, 'b');
  WriteFile(dir / "t.pbx",
            ArchiveBytes(48, {{"small", 49}, {"big", 49 + 8192}}, "s" + big));
  RunOptions limited;
  limited.file_size_limit = 4096;
  Result r = RunPbx({"extract", (dir / "t.pbx").string(), (dir / "out").string()},
                    limited);
  EXPECT_EQ(r.code(), 1);
  EXPECT_EQ(r.err, kNotice + kCannotWrite);
  EXPECT_EQ(ReadFile(dir / "out/small"), "s");
}

TEST(Extract, VerboseListsNamesAsUtf8) {
  TempDir dir;
  WriteFile(dir / "t.pbx",
            ArchiveBytes(48, {{"\x95\x5C.txt", 49}, {"b", 50}}, "12"));
  Result r = RunPbx({"extract", "-v", (dir / "t.pbx").string()});
  EXPECT_EQ(r.code(), 0);
  EXPECT_EQ(r.out, "表.txt\nb\n");
  // The default output directory is the archive's path without ".pbx".
  EXPECT_EQ(ReadFile(dir / "t/表.txt"), "1");
}

}  // namespace
}  // namespace pbx_test
