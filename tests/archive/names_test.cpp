#include "archive/names.h"

#include <gtest/gtest.h>

namespace pbx {
namespace {

TEST(NamesTest, DecodesCodePage932) {
  struct Case {
    std::string cp932, utf8;
  } cases[] = {
      {"a.txt", "a.txt"},
      {"\x95\x5C.txt", "表.txt"},
      {"\x83\x5C\x83\x74\x83\x67", "ソフト"},
      {"\xB1\xB2", "ｱｲ"},               // half-width katakana
      {"\x87\x40", "①"},                // an NEC extension
      {"\x81", "\x81"},                 // a lone lead byte stays as it is
      {"ok\xFF", "ok\xFF"},             // so does a name that does not decode
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
}

TEST(NamesTest, EncodesWhatCodePage932Holds) {
  std::string out;
  ASSERT_TRUE(Utf8ToCp932("表.txt", &out));
  EXPECT_EQ(out, "\x95\x5C.txt");
  EXPECT_FALSE(Utf8ToCp932("😀", &out));
  EXPECT_FALSE(Utf8ToCp932("\xFF", &out));
}

}  // namespace
}  // namespace pbx
