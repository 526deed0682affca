#include "cli/loaded_directory.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "archive/disk.h"
#include "archive/names.h"
#include "cli/cli.h"

namespace pbx::cli {

namespace {

std::string ReadTable(ArchiveFile& archive, LoadedDirectory* dir) {
  if (!CheckMagic(archive)) {
    return archive.Failed() ? "reading the archive failed"
                            : "not a PBX archive (wrong magic)";
  }
  std::vector<ArchiveEntry> table;
  DirectoryResult result = ReadDirectory(archive, table);
  switch (result.status) {
    case DirectoryStatus::kOk:
      break;
    case DirectoryStatus::kTruncated:
      return "the archive ends inside its directory";
    case DirectoryStatus::kTooManyEntries:
      return "the directory has more than " + std::to_string(kMaxEntries) +
             " entries";
    case DirectoryStatus::kReadFailed:
      return "reading the archive failed";
  }
  dir->first_data_offset = table.front().Start;
  table.pop_back();  // the record that only ends the last entry
  dir->entries = std::move(table);
  return "";
}

}  // namespace

std::string LoadDirectory(const std::string& path, LoadedDirectory* dir) {
  *dir = LoadedDirectory();
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return path + ": " + std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return path + ": not a regular file";
  std::unique_ptr<ArchiveFile> archive = NativeDisk().OpenArchive(path);
  if (!archive) return "cannot read " + path;
  std::string error = ReadTable(*archive, dir);
  if (!archive->Close() && error.empty()) error = "closing the archive failed";
  if (!error.empty()) {
    *dir = LoadedDirectory();
    return path + ": " + error;
  }
  dir->file_size = st.st_size;
  return "";
}

bool PastEnd(const ArchiveEntry& entry, int64_t file_size) {
  return entry.Size > 0 &&
         int64_t{entry.Start} + int64_t{entry.Size} > file_size;
}

std::string EntryLabel(size_t index, const ArchiveEntry& entry) {
  return "entry " + std::to_string(index + 1) + " (" +
         PrintableName(Cp932ToUtf8(entry.Name)) + ")";
}

}  // namespace pbx::cli
