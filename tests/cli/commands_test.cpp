// The command line itself: usage, help, list output and create's refusals.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/cli/pbx_runner.h"

namespace pbx_test {
namespace {

struct UsageCase {
  std::vector<std::string> args;
  int code;
  const char* out_starts_with;  // nullptr: stdout stays empty
};

TEST(CommandLine, UsageHelpAndVersion) {
  const std::vector<UsageCase> cases = {
      {{}, 2, nullptr},
      {{"frobnicate"}, 2, nullptr},
      {{"extract"}, 2, nullptr},
      {{"extract", "a", "b", "c"}, 2, nullptr},
      {{"extract", "--bogus", "a.pbx"}, 2, nullptr},
      {{"list"}, 2, nullptr},
      {{"list", "a", "b"}, 2, nullptr},
      {{"check"}, 2, nullptr},
      {{"create", "a.pbx"}, 2, nullptr},
      {{"--version"}, 0, "pbx 0.10\n"},
      {{"--help"}, 0, "Usage: pbx COMMAND"},
      {{"extract", "--help"}, 0, "Usage: pbx extract"},
      {{"list", "--help"}, 0, "Usage: pbx list"},
      {{"check", "-h"}, 0, "Usage: pbx check"},
      {{"create", "--help"}, 0, "Usage: pbx create"},
  };
  for (const UsageCase& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    SCOPED_TRACE("pbx " + shown);
    Result r = RunPbx(c.args);
    EXPECT_EQ(r.code(), c.code);
    if (c.out_starts_with) {
      EXPECT_EQ(r.out.rfind(c.out_starts_with, 0), 0u) << r.out;
    } else {
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err, "");
    }
  }
}

TEST(List, ShowsEntriesWithMarkers) {
  TempDir dir;
  // ok: 4 bytes; 表: empty; neg: size -2; far: reaches past the end.
  WriteFile(dir / "t.pbx",
            ArchiveBytes(80, {{"ok", 84}, {"\x95\x5C", 84}, {"neg", 82},
                              {"far", 99}},
                         "abcd"));
  Result text = RunPbx({"list", (dir / "t.pbx").string()});
  EXPECT_EQ(text.code(), 0);
  EXPECT_EQ(text.out,
            "    1          80           4  ok\n"
            "    2          84           0  表  [empty]\n"
            "    3          84          -2  neg  [negative]\n"
            "    4          82          17  far  [past-end]\n");
  Result json = RunPbx({"list", "--json", (dir / "t.pbx").string()});
  EXPECT_EQ(json.code(), 0);
  EXPECT_NE(json.out.find(R"({"number": 2, "start": 84, "size": 0, "name": "表", )"
                          R"("name_hex": "955c", "markers": ["empty"]})"),
            std::string::npos)
      << json.out;
  EXPECT_EQ(Lines(json.out).size(), 6u);  // [, four objects, ]
}

TEST(List, RefusesWhatIsNoArchive) {
  TempDir dir;
  WriteFile(dir / "t.pbx", "Pandora.box");
  Result r = RunPbx({"list", (dir / "t.pbx").string()});
  EXPECT_EQ(r.code(), 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("not a PBX archive"), std::string::npos);
}

// Leaves `dir` with only the files the test put there.
struct CreateCase {
  const char* label;
  std::vector<std::string> files;  // relative to the test directory
  const char* error_mentions;
};

TEST(Create, RefusesFilesItCannotStore) {
  const std::vector<CreateCase> cases = {
      {"thirteen ASCII bytes", {"ok", "abcdefghi.txt"}, "abcdefghi.txt"},
      {"seven kanji are 14 bytes", {"表表表表表表表"}, "more than 12"},
      {"no CP932 form", {"😀.txt"}, "CP932"},
      {"same name twice", {"ok", "sub/ok"}, "same name"},
      {"missing file", {"none"}, "none"},
      {"a directory", {"sub"}, "not a regular file"},
      {"a backslash in the name", {"a\\b"}, "a\\b"},
  };
  for (const CreateCase& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    fs::create_directory(dir / "sub");
    for (const char* name :
         {"ok", "abcdefghi.txt", "表表表表表表表", "😀.txt", "sub/ok", "a\\b"}) {
      WriteFile(dir / name, "data");
    }
    WriteFile(dir / "old.pbx", "old archive");
    std::set<std::string> before;
    for (const auto& [name, content] : DirContents(dir.path())) before.insert(name);

    std::vector<std::string> args = {"create", "old.pbx"};
    args.insert(args.end(), c.files.begin(), c.files.end());
    Result r = RunPbx(args, {dir.path()});
    EXPECT_EQ(r.code(), 1);
    EXPECT_NE(r.err.find(c.error_mentions), std::string::npos) << r.err;
    std::set<std::string> after;
    for (const auto& [name, content] : DirContents(dir.path())) after.insert(name);
    EXPECT_EQ(after, before);
    EXPECT_EQ(ReadFile(dir / "old.pbx"), "old archive");
  }
}

TEST(Create, TwelveByteNamesFit) {
  TempDir dir;
  WriteFile(dir / "abcdefgh.txt", "12");
  WriteFile(dir / "表表表表表表", "3");
  Result r = RunPbx({"create", "t.pbx", "abcdefgh.txt", "表表表表表表"}, {dir.path()});
  ASSERT_EQ(r.code(), 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "t.pbx"),
            ArchiveBytes(48, {{"abcdefgh.txt", 50}, {std::string(6, '\0'), 51}},
                         "123")
                .replace(32, 12, "\x95\x5C\x95\x5C\x95\x5C\x95\x5C\x95\x5C\x95\x5C"));
}

TEST(Create, FailedWriteLeavesNothingBehind) {
  TempDir dir;
  WriteFile(dir / "big", std::string(64 * 1024, 'b'));
  WriteFile(dir / "t.pbx", "old archive");
  RunOptions limited;
  limited.cwd = dir.path();
  limited.file_size_limit = 16 * 1024;
  Result r = RunPbx({"create", "t.pbx", "big"}, limited);
  EXPECT_EQ(r.code(), 1);
  EXPECT_NE(r.err, "");
  std::set<std::string> left;
  for (const auto& [name, content] : DirContents(dir.path())) left.insert(name);
  EXPECT_EQ(left, (std::set<std::string>{"big", "t.pbx"}));
  EXPECT_EQ(ReadFile(dir / "t.pbx"), "old archive");
}

}  // namespace
}  // namespace pbx_test
