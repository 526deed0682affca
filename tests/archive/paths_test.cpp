#include "archive/paths.h"

#include <gtest/gtest.h>

namespace pbx {
namespace {

const std::string kHyo = "\x95\x5C";  // 表 in code page 932: second byte is "\"

TEST(DefaultOutputDirTest, WindowsStyleExamples) {
  struct Case {
    std::string path, result;
  } cases[] = {
      {R"(C:\data\game.pbx)", R"(C:\data\game)"},
      {R"(C:\data\a.b.pbx)", R"(C:\data\a.b)"},
      {R"(C:\my.dir\game)", R"(C:\my.dir\game)"},
      {R"(C:\data\game.)", R"(C:\data\game)"},
      {R"(C:\data\.pbx)", R"(C:\data\)"},
      {"C:/data/game.pbx", "C:/data/game"},
      {R"(\\server\share\game.pbx)", R"(\\server\share\game)"},
      {R"(sub\game.pbx)", R"(sub\game)"},
      {"C:game.pbx", "C:game"},
      {"ab:cd.pbx", "ab:cd"},
      {R"(C:\data\..)", R"(C:\data\..\)"},
      {R"(C:\data\...)", R"(C:\data\..\)"},
      {R"(C:\data\a..)", R"(C:\data\a.)"},
      {R"(C:\a.)" + kHyo, R"(C:\a)"},
      {"", ""},
      // A name ending in 表 keeps it whole, and its 0x5C separates nothing.
      {R"(C:\)" + kHyo + ".pbx", R"(C:\)" + kHyo},
      {R"(C:\)" + kHyo + R"(\x.pbx)", R"(C:\)" + kHyo + R"(\x)"},
      {"..", R"(..\)"},
      {"C:..", R"(C:..\)"},
      {R"(C:\data\..pbx)", R"(C:\data\.\)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DefaultOutputDir(c.path, PathStyle::kWindows), c.result) << c.path;
}

TEST(DefaultOutputDirTest, PosixStyle) {
  struct Case {
    std::string path, result;
  } cases[] = {
      {"/data/game.pbx", "/data/game"},
      {"/data/a.b.pbx", "/data/a.b"},
      {"/my.dir/game", "/my.dir/game"},
      {"/data/.pbx", "/data/"},
      {"/data/..", "/data/../"},
      {"/data/...", "/data/../"},
      {"game.pbx", "game"},
      {"C:game.pbx", "C:game"},               // no drive parts
      {R"(a\b.c\d)", R"(a\b)"},               // "\" is an ordinary character
      {"/data/表.pbx", "/data/表"},
      {"/data/ゲーム", "/data/ゲーム"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DefaultOutputDir(c.path, PathStyle::kPosix), c.result) << c.path;
}

TEST(DefaultOutputDirTest, LooksAtTheFirst260BytesOnly) {
  // The extension lies beyond byte 260 and is not seen.
  const std::string dir = R"(C:\)" + std::string(200, 'd') + R"(\)";
  const std::string path = dir + std::string(60, 'n') + ".pbx";
  EXPECT_EQ(DefaultOutputDir(path, PathStyle::kWindows), path.substr(0, 260));

  // A double-byte character across byte 260 is dropped whole, and so is a
  // lead byte that ends the text.
  const std::string head =
      R"(C:\)" + std::string(200, 'd') + R"(\)" + std::string(55, 'a');  // 259 bytes
  EXPECT_EQ(DefaultOutputDir(head + kHyo + "x", PathStyle::kWindows), head);
  EXPECT_EQ(DefaultOutputDir(std::string("ab\x95"), PathStyle::kWindows), "ab");

  // The same for a UTF-8 character in the POSIX style.
  const std::string phead =
      "/" + std::string(200, 'd') + "/" + std::string(57, 'a');  // 259 bytes
  EXPECT_EQ(DefaultOutputDir(phead + "表", PathStyle::kPosix), phead);
}

TEST(DefaultOutputDirTest, CutsDirectoryAndNameTo255Bytes) {
  struct Case {
    const char* what;
    PathStyle style;
    std::string path, result;
  } cases[] = {
      {"long name", PathStyle::kWindows, std::string(258, 'n') + ".x",
       std::string(255, 'n')},
      {"double-byte across 255 in the name", PathStyle::kWindows,
       std::string(254, 'n') + kHyo + ".x", std::string(254, 'n')},
      // The cut directory part lacks its final "\"; one is added.
      {"long directory", PathStyle::kWindows,
       R"(C:)" + std::string(256, 'd') + R"(\a.x)",
       "C:" + std::string(255, 'd') + R"(\a)"},
      {"long directory ending in 表", PathStyle::kWindows,
       std::string(254, 'd') + kHyo + R"(\a.x)",
       std::string(254, 'd') + R"(\a)"},
      {"UTF-8 across 255 in the name", PathStyle::kPosix,
       std::string(254, 'n') + "表.x", std::string(254, 'n')},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DefaultOutputDir(c.path, c.style), c.result) << c.what;
}

TEST(EntryOutputPathTest, JoinsWithOneAddedSeparator) {
  struct Case {
    PathStyle style;
    std::string dir, name, path;
  } cases[] = {
      {PathStyle::kWindows, R"(C:\out)", "a.bin", R"(C:\out\a.bin)"},
      {PathStyle::kWindows, R"(C:\out\)", "a.bin", R"(C:\out\\a.bin)"},
      {PathStyle::kWindows, "", "a.bin", "a.bin"},
      {PathStyle::kPosix, "/out", "a.bin", "/out/a.bin"},
      {PathStyle::kPosix, "/out/", "a.bin", "/out//a.bin"},
      {PathStyle::kPosix, "", "a.bin", "a.bin"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EntryOutputPath(c.dir, c.name, c.style), c.path) << c.dir;
}

TEST(EntryOutputPathTest, RefusesPathsOver255Bytes) {
  const std::string name = "ABCDEFGH.TXT";
  EXPECT_EQ(EntryOutputPath(std::string(242, 'd'), name, PathStyle::kPosix)->size(), 255u);
  EXPECT_EQ(EntryOutputPath(std::string(243, 'd'), name, PathStyle::kPosix), std::nullopt);
  EXPECT_EQ(EntryOutputPath("", std::string(256, 'n'), PathStyle::kWindows), std::nullopt);
}

TEST(IsSafeEntryNameTest, RefusesNamesThatLeaveTheFolder) {
  struct Case {
    std::string name;
    bool posix, windows;
  } cases[] = {
      {"a.txt", true, true},
      {kHyo + ".txt", true, true},   // 0x5C as a second byte is no separator
      {"", false, false},
      {".", false, false},
      {"..", false, false},
      {"...", true, true},
      {"../x", false, false},
      {"a/b", false, false},
      {R"(a\b)", false, false},
      {R"(C:x)", true, false},
      {"\x95", true, true},           // a lone lead byte hides nothing
      {"\x81/x", false, false},        // no character, but "/" on POSIX
      {"\x81:x", true, false},
      {"\x81\\x", true, true},         // 0x81 0x5C is one character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSafeEntryName(c.name, PathStyle::kPosix), c.posix) << c.name;
    EXPECT_EQ(IsSafeEntryName(c.name, PathStyle::kWindows), c.windows) << c.name;
  }
}

}  // namespace
}  // namespace pbx
