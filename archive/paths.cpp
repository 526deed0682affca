#include "archive/paths.h"

#include <algorithm>
#include <vector>

namespace pbx {

namespace {

bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length of a well-formed UTF-8 sequence starting with c, or 1 for a byte
// that starts none (it is then a unit of its own).
size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 1;
}

bool IsSeparatorUnit(const std::string& s, size_t pos, size_t len,
                     PathStyle style) {
  if (len != 1) return false;
  return s[pos] == '/' || (style == PathStyle::kWindows && s[pos] == '\\');
}

char AddedSeparator(PathStyle style) {
  return style == PathStyle::kWindows ? '\\' : '/';
}

struct Unit {
  size_t pos, len;
};

// The characters of s, each as one unit.
std::vector<Unit> Units(const std::string& s, PathStyle style) {
  std::vector<Unit> units;
  for (size_t i = 0; i < s.size();) {
    size_t len = CharLengthAt(s, i, style);
    units.push_back({i, len});
    i += len;
  }
  return units;
}

bool UnitIs(const std::string& s, const Unit& u, char c) {
  return u.len == 1 && s[u.pos] == c;
}

// True when the units [begin, end) spell "." or "..".
bool IsDotComponent(const std::string& s, const std::vector<Unit>& units,
                    size_t begin, size_t end) {
  size_t n = end - begin;
  if (n < 1 || n > 2) return false;
  for (size_t k = begin; k < end; ++k)
    if (!UnitIs(s, units[k], '.')) return false;
  return true;
}

}  // namespace

size_t CharLengthAt(const std::string& s, size_t i, PathStyle style) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (style == PathStyle::kWindows) return IsCp932LeadByte(c) ? 2 : 1;
  const size_t len = Utf8SequenceLength(c);
  // A sequence that the text cuts short still claims its full length;
  // one with a byte that cannot continue it is not a sequence at all.
  for (size_t k = 1; k < len && i + k < s.size(); ++k) {
    const auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 1;
  }
  return len;
}

std::string CutWholeChars(const std::string& s, size_t max_bytes,
                          PathStyle style) {
  const size_t limit = std::min(max_bytes, s.size());
  size_t end = 0;
  while (end < limit) {
    size_t len = CharLengthAt(s, end, style);
    if (end + len > limit) break;
    end += len;
  }
  return s.substr(0, end);
}

std::string DefaultOutputDir(const std::string& archive_path, PathStyle style) {
  const std::string s = CutWholeChars(archive_path, kMaxArchivePathLookedAt, style);
  const std::vector<Unit> u = Units(s, style);
  const size_t n = u.size();

  // Drive part: "X:" as the first two characters.
  size_t drive_end = 0;
  if (style == PathStyle::kWindows && n >= 2 && UnitIs(s, u[1], ':'))
    drive_end = 2;

  // The last component follows the last separator, or the drive part.
  size_t comp_begin = drive_end;
  for (size_t k = n; k > drive_end; --k) {
    if (IsSeparatorUnit(s, u[k - 1].pos, u[k - 1].len, style)) {
      comp_begin = k;
      break;
    }
  }

  // Its last dot begins the extension; "." and ".." have none.
  size_t name_end = n;
  if (!IsDotComponent(s, u, comp_begin, n)) {
    for (size_t k = n; k > comp_begin; --k) {
      if (UnitIs(s, u[k - 1], '.')) {
        name_end = k - 1;
        break;
      }
    }
  }
  // A dot component left over belongs to the directory part.
  size_t name_begin = comp_begin;
  if (IsDotComponent(s, u, comp_begin, name_end)) name_begin = name_end;

  auto bytes = [&](size_t from, size_t to) {
    size_t b = from < n ? u[from].pos : s.size();
    size_t e = to < n ? u[to].pos : s.size();
    return s.substr(b, e - b);
  };
  const std::string drive = bytes(0, drive_end);
  const std::string dir =
      CutWholeChars(bytes(drive_end, name_begin), kMaxDirPartOrName, style);
  const std::string name =
      CutWholeChars(bytes(name_begin, name_end), kMaxDirPartOrName, style);

  std::string result = drive + dir;
  if (!dir.empty()) {
    const std::vector<Unit> du = Units(dir, style);
    if (!IsSeparatorUnit(dir, du.back().pos, du.back().len, style))
      result += AddedSeparator(style);
  }
  return result + name;
}

std::optional<std::string> EntryOutputPath(const std::string& dir,
                                           const std::string& name,
                                           PathStyle style) {
  std::string path = dir;
  if (!path.empty()) path += AddedSeparator(style);
  path += name;
  if (path.size() > kMaxEntryPath) return std::nullopt;
  return path;
}

bool IsSafeEntryName(const std::string& cp932_name, PathStyle style) {
  if (cp932_name.empty() || cp932_name == "." || cp932_name == "..")
    return false;
  // "/" and ":" are never the second byte of a code page 932 character, so
  // any such byte is refused: after a lead byte it would make the name
  // undecodable, and its raw bytes would still separate on POSIX.
  if (cp932_name.find('/') != std::string::npos) return false;
  if (style == PathStyle::kWindows && cp932_name.find(':') != std::string::npos)
    return false;
  // "\" is a valid second byte (as in 表), so only a character counts.
  for (size_t i = 0; i < cp932_name.size();) {
    const size_t len = CharLengthAt(cp932_name, i, PathStyle::kWindows);
    if (len == 1 && cp932_name[i] == '\\') return false;
    i += len;
  }
  return true;
}

}  // namespace pbx
