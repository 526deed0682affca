// The PBX archive layout and the two reading steps of an extraction run.
//
//   offset 0    12 bytes  magic "Pandora.box\0"
//   offset 12    4 bytes  FirstDataOffset (signed 32-bit little-endian)
//   offset 16   16 bytes  per record: 12-byte name, 4-byte EndOffset
//   FirstDataOffset      the entries' bytes, back to back
//
// Neither the entry count nor the sizes are stored: count is
// (FirstDataOffset - 8) / 16 truncated toward zero, each entry starts where
// the previous one ends, and a size is EndOffset - Start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/disk.h"

namespace pbx {

inline constexpr char kMagic[] = "Pandora.box";  // the NUL is part of it
inline constexpr size_t kMagicSize = 12;
inline constexpr size_t kFirstDataOffsetPos = 12;
inline constexpr size_t kDirectoryPos = 16;
inline constexpr size_t kRecordSize = 16;
inline constexpr size_t kNameSize = 12;
// The run's table has 8192 records; the last holds only the end of the last
// entry, so an archive can have at most 8191 entries.
inline constexpr size_t kTableSize = 8192;
inline constexpr int32_t kMaxEntries = static_cast<int32_t>(kTableSize) - 1;

struct ArchiveEntry {
  std::string Name;  // the record's name up to its first NUL, at most 12 bytes
  int32_t Start = 0;
  int32_t Size = 0;
};

enum class DirectoryStatus {
  kOk,
  kTruncated,      // the file ends inside FirstDataOffset or the directory
  kTooManyEntries, // more records than the table holds
  kReadFailed,     // an I/O error, not the end of the file
};

struct DirectoryResult {
  DirectoryStatus status = DirectoryStatus::kOk;
  int32_t count = 0;  // zero or less means no entries
};

// Reads the 12 bytes at offset 0; true when they are the magic.
bool CheckMagic(ArchiveFile& archive);

// Reads FirstDataOffset and the directory records in sequence, right after
// CheckMagic. On kOk, table holds max(count, 0) + 1 records: Name, Start and
// Size of each entry, and in the last one only the Start that ends the last
// entry. On any other status the table is left empty.
DirectoryResult ReadDirectory(ArchiveFile& archive,
                              std::vector<ArchiveEntry>& table);

}  // namespace pbx
