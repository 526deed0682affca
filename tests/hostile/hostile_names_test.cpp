// Entry names that try to leave the output directory, or to reach a folder
// inside it. The output directory sits three folders below the sandbox, so
// a name of at most 12 bytes that climbed out would land where the checks
// below look.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/hostile/hostile_common.h"

namespace pbx::hostile {
namespace {

using test::ListDir;

// Every path under root, depth first, relative to it.
void Walk(const std::string& root, const std::string& rel, std::vector<std::string>* out) {
  for (const std::string& name : ListDir(root + "/" + rel)) {
    const std::string p = rel.empty() ? name : rel + "/" + name;
    out->push_back(p);
    struct stat st;
    if (::lstat((root + "/" + p).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      Walk(root, p, out);
  }
}

TEST(HostileNamesTest, UnsafeNamesEndTheRunAndWriteNothingElsewhere) {
  const char* names[] = {
      "..", ".", "../evil", "../../../x", "..\\evil", "a/b", "a\\b", "/tmp/pwned",
      "", "sub/", "\x81/x", "\x81/..", "\x81/../../x",
  };
  for (const char* name : names) {
    SCOPED_TRACE(std::string("name \"") + name + "\"");
    test::TempDir tmp;
    for (const char* p : {"/x", "/x/y", "/x/y/z"})
      ASSERT_EQ(::mkdir((tmp.path() + p).c_str(), 0777), 0);
    const std::string base = tmp / "x/y/z";
    test::WriteFile(base + "/game.pbx",
                    test::MakeArchive({{"ok", "1"}, {name, "2"}, {"after", "3"}}));
    test::ScriptedWindow w;
    w.input_path = base + "/game.pbx";
    w.output_dir = base + "/game";
    EXPECT_EQ(RunExtraction(w), RunOutcome::kCannotWrite);
    EXPECT_EQ(w.Messages(), (std::vector<std::string>{kNoticeBox, kCannotWriteBox}));
    ExpectIdle(w);
    std::vector<std::string> all;
    Walk(tmp.path(), "", &all);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::string>{"x", "x/y", "x/y/z", "x/y/z/game",
                                             "x/y/z/game.pbx", "x/y/z/game/ok"}));
  }
}

// A "/" that follows a byte which starts a double-byte character in code
// page 932 ends no character there (0x2F is never a second byte), so the
// name does not decode and its raw bytes would become the file name, where
// "/" separates. With a folder of the first part inside the output
// directory, the entry would land in that folder.
TEST(HostileNamesTest, SlashAfterALeadByteIsRefused) {
  Sandbox s(test::MakeArchive({{"ok", "1"}, {"\x81/x", "2"}}));
  ASSERT_EQ(::mkdir(s.out.c_str(), 0777), 0);
  ASSERT_EQ(::mkdir((s.out + "/\x81").c_str(), 0777), 0);
  EXPECT_EQ(s.Run(), RunOutcome::kCannotWrite);
  EXPECT_EQ(ListDir(s.out + "/\x81"), std::vector<std::string>{});
}

}  // namespace
}  // namespace pbx::hostile
