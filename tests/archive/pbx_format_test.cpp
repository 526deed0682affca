#include "archive/pbx_format.h"

#include <gtest/gtest.h>

#include "tests/archive/test_util.h"

namespace pbx {
namespace {

using test::Header;
using test::Int32LE;
using test::MemoryArchive;
using test::Record;

TEST(CheckMagicTest, AcceptsOnlyTheTwelveBytes) {
  const std::string magic("Pandora.box\0", 12);
  struct Case {
    std::string bytes;
    bool is_archive;
  } cases[] = {
      {magic, true},
      {magic + "anything after", true},
      {"Pandora.box", false},         // 11 bytes, no NUL
      {"Pandora.box!", false},        // any byte but NUL at position 11
      {std::string("pandora.box\0", 12), false},
      {"", false},
  };
  for (const Case& c : cases) {
    MemoryArchive archive(c.bytes);
    EXPECT_EQ(CheckMagic(archive), c.is_archive) << c.bytes;
  }
}

// Reads the directory of bytes that start with the magic.
DirectoryResult Read(const std::string& bytes, std::vector<ArchiveEntry>& table) {
  MemoryArchive archive(bytes);
  EXPECT_TRUE(CheckMagic(archive));
  return ReadDirectory(archive, table);
}

TEST(ReadDirectoryTest, CountIsTruncatedTowardZero) {
  struct Case {
    int32_t first_data_offset;
    int32_t count;
  } cases[] = {{16, 0}, {0, 0},  {23, 0},  {24, 1},  {-8, -1},
               {-23, -1}, {-24, -2}, {8 + 16 * 8191, 8191}};
  for (const Case& c : cases) {
    std::vector<ArchiveEntry> table;
    // Enough zero bytes for every record the count asks for.
    std::string bytes = Header(c.first_data_offset) +
                        std::string(16 * std::max(c.count, 0), '\0');
    DirectoryResult r = Read(bytes, table);
    EXPECT_EQ(r.status, DirectoryStatus::kOk) << c.first_data_offset;
    EXPECT_EQ(r.count, c.count) << c.first_data_offset;
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0].Start, c.first_data_offset);
  }
}

TEST(ReadDirectoryTest, StartsAndSizesFollowTheEndOffsets) {
  std::vector<ArchiveEntry> table;
  std::string bytes = Header(64) + Record("a", 100) + Record("b", 100) +
                      Record("c", 250) + std::string(250 - 64, 'x');
  DirectoryResult r = Read(bytes, table);
  ASSERT_EQ(r.count, 3);
  EXPECT_EQ(table[0].Start, 64);  EXPECT_EQ(table[0].Size, 36);
  EXPECT_EQ(table[1].Start, 100); EXPECT_EQ(table[1].Size, 0);
  EXPECT_EQ(table[2].Start, 100); EXPECT_EQ(table[2].Size, 150);
  EXPECT_EQ(table[3].Start, 250);
}

TEST(ReadDirectoryTest, ReadsRecordsIntoTheDataArea) {
  // FirstDataOffset 72 gives four records although three fit before it:
  // the fourth is bytes 64 to 79, which are data.
  std::vector<ArchiveEntry> table;
  std::string data = std::string("DATANAME.BIN") + Int32LE(90);
  std::string bytes = Header(72) + Record("a", 80) + Record("b", 100) +
                      Record("c", 90) + data;
  DirectoryResult r = Read(bytes, table);
  ASSERT_EQ(r.count, 4);
  EXPECT_EQ(table[3].Name, "DATANAME.BIN");
  EXPECT_EQ(table[3].Start, 90);
  EXPECT_EQ(table[3].Size, 0);
  EXPECT_EQ(table[2].Size, -10);  // ends at 90 after starting at 100
  EXPECT_EQ(table[4].Start, 90);
}

TEST(ReadDirectoryTest, NamesEndAtTheFirstNul) {
  struct Case {
    std::string field;
    std::string name;
  } cases[] = {
      {std::string("a.txt") + std::string(7, '\0'), "a.txt"},
      {std::string("ab\0cd", 5) + std::string(7, '\0'), "ab"},
      {"ABCDEFGH.TXT", "ABCDEFGH.TXT"},
      {std::string(12, '\0'), ""},
      {"\x95\x5C.txt" + std::string(6, '\0'), "\x95\x5C.txt"},
  };
  for (const Case& c : cases) {
    std::vector<ArchiveEntry> table;
    DirectoryResult r = Read(Header(24) + c.field + Int32LE(24), table);
    ASSERT_EQ(r.count, 1);
    EXPECT_EQ(table[0].Name, c.name);
  }
}

TEST(ReadDirectoryTest, ExtremeOffsetsWrapLikeThirtyTwoBitFields) {
  std::vector<ArchiveEntry> table;
  std::string bytes = Header(24) + Record("a", INT32_MIN);
  ASSERT_EQ(Read(bytes, table).count, 1);
  EXPECT_EQ(table[0].Size, static_cast<int32_t>(0x80000000u - 24u));
  EXPECT_EQ(Read(Header(INT32_MIN), table).count, -134217728);
}

TEST(ReadDirectoryTest, RefusesWhatItCannotHoldOrRead) {
  struct Case {
    const char* what;
    std::string bytes;
    DirectoryStatus status;
  } cases[] = {
      {"ends after the magic", "", DirectoryStatus::kTruncated},
      {"ends inside FirstDataOffset", std::string("\x30\0", 2), DirectoryStatus::kTruncated},
      {"ends inside the first record", Int32LE(40) + "abc", DirectoryStatus::kTruncated},
      {"ends inside the last record",
       Int32LE(40) + Record("a", 40) + std::string(15, '\0'), DirectoryStatus::kTruncated},
      {"one entry too many", Int32LE(8 + 16 * 8192), DirectoryStatus::kTooManyEntries},
      {"largest offset", Int32LE(INT32_MAX), DirectoryStatus::kTooManyEntries},
  };
  for (const Case& c : cases) {
    std::vector<ArchiveEntry> table{ArchiveEntry{"stale", 1, 2}};
    MemoryArchive archive(std::string("Pandora.box\0", 12) + c.bytes);
    ASSERT_TRUE(CheckMagic(archive));
    DirectoryResult r = ReadDirectory(archive, table);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_TRUE(table.empty()) << c.what;  // nothing from an earlier read
  }
}

TEST(ReadDirectoryTest, TellsAReadErrorFromTheEndOfTheFile) {
  std::string bytes = Header(40) + Record("a", 40) + Record("b", 40);
  MemoryArchive archive(bytes, /*fail_at=*/20);
  ASSERT_TRUE(CheckMagic(archive));
  std::vector<ArchiveEntry> table;
  EXPECT_EQ(ReadDirectory(archive, table).status, DirectoryStatus::kReadFailed);
}

}  // namespace
}  // namespace pbx
