#include "archive/pbx_format.h"

#include <cstring>

namespace pbx {

bool CheckMagic(ArchiveFile& archive) {
  unsigned char buf[kMagicSize];
  if (archive.Read(buf, kMagicSize) != kMagicSize) return false;
  return std::memcmp(buf, kMagic, kMagicSize) == 0;
}

namespace {

// The little-endian signed 32-bit value at p.
int32_t ReadInt32LE(const unsigned char* p) {
  uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
               uint32_t{p[3]} << 24;
  return static_cast<int32_t>(v);
}

// Exactly n bytes, or the reason there were fewer.
DirectoryStatus ReadExactly(ArchiveFile& archive, void* buf, size_t n) {
  if (archive.Read(buf, n) == n) return DirectoryStatus::kOk;
  return archive.Failed() ? DirectoryStatus::kReadFailed
                          : DirectoryStatus::kTruncated;
}

std::string NameFromField(const unsigned char* field) {
  const void* nul = std::memchr(field, 0, kNameSize);
  size_t len = nul ? static_cast<const unsigned char*>(nul) - field : kNameSize;
  return std::string(reinterpret_cast<const char*>(field), len);
}

// end - start as a signed 32-bit value, wrapping like the 32-bit field does.
int32_t SizeBetween(int32_t start, int32_t end) {
  return static_cast<int32_t>(static_cast<uint32_t>(end) -
                              static_cast<uint32_t>(start));
}

}  // namespace

DirectoryResult ReadDirectory(ArchiveFile& archive,
                              std::vector<ArchiveEntry>& table) {
  table.clear();
  unsigned char word[4];
  if (auto s = ReadExactly(archive, word, sizeof word); s != DirectoryStatus::kOk)
    return {s, 0};
  const int32_t first_data_offset = ReadInt32LE(word);
  // 64-bit so that offsets near INT32_MIN do not overflow; division
  // truncates toward zero, so offsets 0 to 23 give 0 and -8 gives -1.
  const int64_t count64 = (int64_t{first_data_offset} - 8) / 16;
  if (count64 > kMaxEntries) return {DirectoryStatus::kTooManyEntries, 0};
  const int32_t count = static_cast<int32_t>(count64);
  const size_t records = count > 0 ? static_cast<size_t>(count) : 0;

  // The records are read in one piece from offset 16 on, whatever
  // FirstDataOffset says; the last may come from the data area.
  std::vector<unsigned char> raw(records * kRecordSize);
  if (auto s = ReadExactly(archive, raw.data(), raw.size());
      s != DirectoryStatus::kOk)
    return {s, 0};

  table.resize(records + 1);
  table[0].Start = first_data_offset;
  for (size_t j = 0; j < records; ++j) {
    const unsigned char* rec = raw.data() + j * kRecordSize;
    const int32_t end_offset = ReadInt32LE(rec + kNameSize);
    table[j].Name = NameFromField(rec);
    table[j].Size = SizeBetween(table[j].Start, end_offset);
    table[j + 1].Start = end_offset;
  }
  return {DirectoryStatus::kOk, count};
}

}  // namespace pbx
