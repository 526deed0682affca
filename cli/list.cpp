// pbx list: one line (or one JSON object) per entry.
#include <cstdio>
#include <string>

#include "archive/names.h"
#include "cli/cli.h"
#include "cli/loaded_directory.h"

namespace pbx::cli {

const char kListHelp[] =
    "Usage: pbx list [--json] ARCHIVE\n"
    "Shows every entry of ARCHIVE: its number (from 1), start offset, size\n"
    "and name (decoded from CP932 to UTF-8), with markers:\n"
    "  empty           the size is 0\n"
    "  negative        the size is below 0 (extracts as an empty file)\n"
    "  negative-start  the entry starts before the file (extracts as 0xFF)\n"
    "  past-end        the entry reaches past the end of the file (the\n"
    "                  missing bytes extract as 0xFF)\n"
    "\n"
    "  --json   print a JSON array of {number, start, size, name, name_hex,\n"
    "           markers} objects instead\n"
    "\n"
    "Exit status: 0 listed, 1 the archive cannot be read, 2 usage error.\n";

namespace {

std::vector<std::string> Markers(const ArchiveEntry& entry, int64_t file_size) {
  std::vector<std::string> markers;
  if (entry.Size == 0) markers.push_back("empty");
  if (entry.Size < 0) markers.push_back("negative");
  if (entry.Start < 0 && entry.Size > 0) markers.push_back("negative-start");
  if (PastEnd(entry, file_size)) markers.push_back("past-end");
  return markers;
}

// Bytes of a name that did not decode to UTF-8 become U+FFFD.
std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    size_t len = Utf8SequenceLength(s, i);
    if (len == 0) {
      out += "\\ufffd";
      ++i;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
      ++i;
    } else {
      out.append(s, i, len);
      i += len;
    }
  }
  return out + "\"";
}

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", c);
    out += two;
  }
  return out;
}

void PrintText(const LoadedDirectory& dir) {
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const ArchiveEntry& e = dir.entries[i];
    std::string line = PrintableName(Cp932ToUtf8(e.Name));
    for (const std::string& marker : Markers(e, dir.file_size)) {
      line += "  [" + marker + "]";
    }
    std::printf("%5zu %11d %11d  %s\n", i + 1, e.Start, e.Size, line.c_str());
  }
}

void PrintJson(const LoadedDirectory& dir) {
  std::printf("[");
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const ArchiveEntry& e = dir.entries[i];
    std::string markers;
    for (const std::string& marker : Markers(e, dir.file_size)) {
      markers += (markers.empty() ? "\"" : ", \"") + marker + "\"";
    }
    std::printf(
        "%s\n  {\"number\": %zu, \"start\": %d, \"size\": %d, \"name\": %s, "
        "\"name_hex\": \"%s\", \"markers\": [%s]}",
        i == 0 ? "" : ",", i + 1, e.Start, e.Size,
        JsonString(Cp932ToUtf8(e.Name)).c_str(), Hex(e.Name).c_str(),
        markers.c_str());
  }
  std::printf(dir.entries.empty() ? "]\n" : "\n]\n");
}

}  // namespace

int List(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, {"--json"});
  if (args.help) {
    std::fputs(kListHelp, stdout);
    return kExitOk;
  }
  if (!args.error.empty()) return UsageError(kListHelp, args.error);
  if (args.positional.size() != 1) {
    return UsageError(kListHelp, "list takes one ARCHIVE");
  }
  LoadedDirectory dir;
  std::string error = LoadDirectory(args.positional[0], &dir);
  if (!error.empty()) {
    std::fprintf(stderr, "pbx: %s\n", error.c_str());
    return kExitFailure;
  }
  if (args.Has("--json")) {
    PrintJson(dir);
  } else {
    PrintText(dir);
  }
  return kExitOk;
}

}  // namespace pbx::cli
