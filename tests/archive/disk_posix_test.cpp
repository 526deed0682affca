#include "archive/disk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/archive/test_util.h"

namespace pbx {
namespace {

using test::Exists;
using test::TempDir;
using test::WriteFile;

TEST(PosixDiskTest, OutputDirExists) {
  TempDir tmp;
  ASSERT_EQ(::mkdir((tmp / "dir").c_str(), 0777), 0);
  ASSERT_EQ(::mkdir((tmp / ".hidden_dir").c_str(), 0777), 0);
  WriteFile(tmp / "file", "x");
  WriteFile(tmp / ".hidden_file", "x");
  ASSERT_EQ(::symlink("dir", (tmp / "link").c_str()), 0);
  ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0666), 0);
  struct Case {
    std::string text;
    bool exists;
  } cases[] = {
      {tmp / "dir", true},
      {tmp / "dir/", true},         // a final separator changes nothing
      {tmp / "dir//", true},
      {"/", true},                  // the root directory
      {tmp / ".hidden_dir", true},  // a hidden directory counts
      {tmp / "file", true},         // an ordinary file counts too
      {tmp / ".hidden_file", false},
      {tmp / "file/", false},
      {tmp / "link", true},
      {tmp / "fifo", false},        // nothing else counts
      {tmp / "missing", false},
      {tmp / "di*", false},         // no wildcards: "*" is a name character
      {tmp / "di?", false},
      {"", false},
  };
  Disk& disk = NativeDisk();
  for (const Case& c : cases) EXPECT_EQ(disk.OutputDirExists(c.text), c.exists) << c.text;

  ASSERT_EQ(::mkdir((tmp / "di*").c_str(), 0777), 0);
  EXPECT_TRUE(disk.OutputDirExists(tmp / "di*"));
}

TEST(PosixDiskTest, CreateOutputDirMakesTheLastComponentOnly) {
  TempDir tmp;
  WriteFile(tmp / "file", "x");
  Disk& disk = NativeDisk();
  EXPECT_TRUE(disk.CreateOutputDir(tmp / "new"));
  EXPECT_TRUE(disk.OutputDirExists(tmp / "new"));
  struct Case {
    std::string text;
  } refused[] = {
      {tmp / "new"},          // exists already
      {tmp / "file"},         // a file has the name
      {tmp / "a/b"},          // a directory on the way is missing
      {""},
  };
  for (const Case& c : refused) EXPECT_FALSE(disk.CreateOutputDir(c.text)) << c.text;
  EXPECT_FALSE(Exists(tmp / "a"));
}

TEST(PosixDiskTest, OpenArchiveRefusesWhatCannotBeRead) {
  TempDir tmp;
  WriteFile(tmp / "file", "bytes");
  Disk& disk = NativeDisk();
  EXPECT_NE(disk.OpenArchive(tmp / "file"), nullptr);
  EXPECT_EQ(disk.OpenArchive(tmp.path()), nullptr);
  ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0666), 0);
  EXPECT_EQ(disk.OpenArchive(tmp / "fifo"), nullptr);  // and no hang
  EXPECT_EQ(disk.OpenArchive(tmp / "missing"), nullptr);
  EXPECT_EQ(disk.OpenArchive(""), nullptr);
}

TEST(PosixDiskTest, CopyRangeStopsAtTheEndOfTheArchive) {
  TempDir tmp;
  WriteFile(tmp / "archive", "0123456789");
  Disk& disk = NativeDisk();
  auto archive = disk.OpenArchive(tmp / "archive");
  ASSERT_NE(archive, nullptr);
  struct Case {
    int64_t offset, size;
    int64_t copied;
    std::string bytes;
  } cases[] = {{2, 3, 3, "234"}, {8, 5, 2, "89"}, {10, 4, 0, ""}, {50, 4, 0, ""}};
  for (const Case& c : cases) {
    auto out = disk.CreateOutputFile(tmp / "out");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(archive->CopyRangeTo(*out, c.offset, c.size), c.copied);
    EXPECT_TRUE(out->Close());
    EXPECT_EQ(test::ReadFile(tmp / "out"), c.bytes);
  }
  // Copies leave the sequential position alone.
  char head[4];
  ASSERT_EQ(archive->Read(head, 4), 4u);
  EXPECT_EQ(std::string(head, 4), "0123");
  EXPECT_TRUE(archive->Close());
}

TEST(PosixDiskTest, CreateOutputFileRefusesWhatIsNoOrdinaryFile) {
  TempDir tmp;
  WriteFile(tmp / "archive", "keep me");
  WriteFile(tmp / "old", "old contents");
  ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0666), 0);
  ASSERT_EQ(::mkdir((tmp / "dir").c_str(), 0777), 0);
  Disk& disk = NativeDisk();
  auto archive = disk.OpenArchive(tmp / "archive");
  ASSERT_NE(archive, nullptr);

  auto old = disk.CreateOutputFile(tmp / "old");
  ASSERT_NE(old, nullptr);
  EXPECT_TRUE(old->Close());
  EXPECT_EQ(test::ReadFile(tmp / "old"), "");  // emptied

  EXPECT_EQ(disk.CreateOutputFile(tmp / "fifo"), nullptr);  // and no hang
  EXPECT_EQ(disk.CreateOutputFile(tmp / "dir"), nullptr);
  // The archive being read, under another name too, is never emptied.
  ASSERT_EQ(::link((tmp / "archive").c_str(), (tmp / "hardlink").c_str()), 0);
  EXPECT_EQ(disk.CreateOutputFile(tmp / "archive"), nullptr);
  EXPECT_EQ(disk.CreateOutputFile(tmp / "hardlink"), nullptr);
  EXPECT_EQ(test::ReadFile(tmp / "archive"), "keep me");
  EXPECT_TRUE(archive->Close());
  EXPECT_NE(disk.CreateOutputFile(tmp / "archive"), nullptr);  // closed now
}

}  // namespace
}  // namespace pbx
