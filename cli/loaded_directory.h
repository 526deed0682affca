// Reading an archive's directory for list and check, with the same steps as
// the extraction run, plus what those commands need on top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/pbx_format.h"

namespace pbx::cli {

struct LoadedDirectory {
  std::vector<ArchiveEntry> entries;  // the entries only, without the end
  int32_t first_data_offset = 0;
  int64_t file_size = 0;
};

// Fills `dir`, or returns a one-line reason why the archive cannot be read
// as one (and leaves `dir` empty).
std::string LoadDirectory(const std::string& path, LoadedDirectory* dir);

// True when the entry's bytes reach past the end of the archive.
bool PastEnd(const ArchiveEntry& entry, int64_t file_size);

// "entry 3 (a.txt)" with the name in printable UTF-8.
std::string EntryLabel(size_t index, const ArchiveEntry& entry);

}  // namespace pbx::cli
