// pbx check: every problem of an archive, one per line.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "archive/names.h"
#include "archive/paths.h"
#include "cli/cli.h"
#include "cli/loaded_directory.h"

namespace pbx::cli {

const char kCheckHelp[] =
    "Usage: pbx check ARCHIVE\n"
    "Reports every problem of ARCHIVE on stdout, one per line: a file that is\n"
    "no archive or ends inside its directory, too many entries, a directory\n"
    "that runs into the data, entries that start before the file or reach\n"
    "past its end, negative sizes, entries that overlap each other or the\n"
    "directory, names that extraction refuses (empty, \".\", \"..\", or with\n"
    "a \"/\" or \"\\\"), names that are no CP932 text, and names used\n"
    "twice.\n"
    "\n"
    "Exit status: 0 no problem, 1 problems found, 2 usage error.\n";

namespace {

using Problems = std::vector<std::string>;

int64_t EndOf(const ArchiveEntry& e) { return int64_t{e.Start} + e.Size; }

// Where the records that ReadDirectory read end.
int64_t DirectoryEnd(const LoadedDirectory& dir) {
  return int64_t{kDirectoryPos} +
         int64_t{kRecordSize} * static_cast<int64_t>(dir.entries.size());
}

void CheckLayout(const LoadedDirectory& dir, Problems* out) {
  if (DirectoryEnd(dir) > dir.first_data_offset && !dir.entries.empty()) {
    out->push_back("directory: its " + std::to_string(dir.entries.size()) +
                   " records end at offset " +
                   std::to_string(DirectoryEnd(dir)) +
                   ", past the first data offset " +
                   std::to_string(dir.first_data_offset));
  }
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const ArchiveEntry& e = dir.entries[i];
    std::string label = EntryLabel(i, e);
    if (e.Size < 0) {
      out->push_back(label + ": negative size " + std::to_string(e.Size));
      continue;
    }
    if (e.Size == 0) continue;
    if (e.Start < 0) {
      out->push_back(label + ": starts before the file, at offset " +
                     std::to_string(e.Start));
    } else if (e.Start < DirectoryEnd(dir)) {
      out->push_back(label + ": starts at offset " + std::to_string(e.Start) +
                     ", inside the header or directory");
    }
    if (PastEnd(e, dir.file_size)) {
      out->push_back(label + ": ends at offset " + std::to_string(EndOf(e)) +
                     ", past the end of the file (" +
                     std::to_string(dir.file_size) + " bytes)");
    }
  }
}

// Each entry is compared with the one reaching furthest among those that
// start before it, so n entries give at most n - 1 lines.
void CheckOverlaps(const LoadedDirectory& dir, Problems* out) {
  std::vector<size_t> order;
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    if (dir.entries[i].Size > 0) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return dir.entries[a].Start < dir.entries[b].Start;
  });
  const ArchiveEntry* reach = nullptr;
  size_t reach_index = 0;
  for (size_t i : order) {
    const ArchiveEntry& e = dir.entries[i];
    if (reach && e.Start < EndOf(*reach)) {
      size_t a = std::min(i, reach_index), b = std::max(i, reach_index);
      out->push_back(EntryLabel(a, dir.entries[a]) + ": overlaps " +
                     EntryLabel(b, dir.entries[b]));
    }
    if (!reach || EndOf(e) > EndOf(*reach)) {
      reach = &e;
      reach_index = i;
    }
  }
}

// Cp932ToUtf8 gives back a name that does not decode unchanged; one that
// decodes changes unless it is plain ASCII.
bool Decodes(const std::string& name) {
  bool ascii = std::all_of(name.begin(), name.end(),
                           [](char c) { return (c & 0x80) == 0; });
  return ascii || Cp932ToUtf8(name) != name;
}

void CheckNames(const LoadedDirectory& dir, Problems* out) {
  std::map<std::string, size_t> first_use;
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const ArchiveEntry& e = dir.entries[i];
    std::string label = EntryLabel(i, e);
    if (e.Name.empty()) {
      out->push_back(label + ": empty name, extraction stops here");
    } else if (!IsSafeEntryName(e.Name)) {
      out->push_back(label +
                     ": name is not a plain file name, extraction stops here");
    } else if (!Decodes(e.Name)) {
      out->push_back(label + ": name is no CP932 text, extracted under its "
                             "raw bytes");
    }
    auto [it, inserted] = first_use.emplace(e.Name, i);
    if (!inserted) {
      out->push_back(label + ": same name as entry " +
                     std::to_string(it->second + 1) + ", which it overwrites");
    }
  }
}

}  // namespace

int Check(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, {});
  if (args.help) {
    std::fputs(kCheckHelp, stdout);
    return kExitOk;
  }
  if (!args.error.empty()) return UsageError(kCheckHelp, args.error);
  if (args.positional.size() != 1) {
    return UsageError(kCheckHelp, "check takes one ARCHIVE");
  }
  LoadedDirectory dir;
  std::string error = LoadDirectory(args.positional[0], &dir);
  if (!error.empty()) {
    std::printf("%s\n", error.c_str());
    return kExitFailure;
  }
  Problems problems;
  CheckLayout(dir, &problems);
  CheckOverlaps(dir, &problems);
  CheckNames(dir, &problems);
  for (const std::string& line : problems) std::printf("%s\n", line.c_str());
  return problems.empty() ? kExitOk : kExitFailure;
}

}  // namespace pbx::cli
