// libFuzzer target: DefaultOutputDir, EntryOutputPath and IsSafeEntryName on
// arbitrary byte strings, in both path styles (code page 932 with "\" and "/"
// for Windows, UTF-8 with "/" for POSIX).
//
// Input: one byte of flags, then the text. For EntryOutputPath the text is
// split at its first NUL into the directory text and the entry name.
//
// Checked:
//  - DefaultOutputDir gives at most 260 bytes, never splits a character, and
//    is built from the input: when nothing had to be cut, it is a prefix of
//    the input that ends between two characters, or such a prefix ending in
//    a dot component plus one added separator;
//  - EntryOutputPath gives at most 255 bytes, refuses only what does not fit,
//    and gives the directory text, one separator and the name;
//  - a name that IsSafeEntryName accepts, turned into the file name the run
//    uses on this platform, never leads above the output directory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/names.h"
#include "archive/paths.h"

namespace {

using pbx::PathStyle;

void Check(bool ok, const char* what, const std::string& input) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s (input of %zu bytes)\n", what,
               input.size());
  std::abort();
}

bool WholeChars(const std::string& s, PathStyle style) {
  return pbx::CutWholeChars(s, s.size(), style) == s;
}

// True when the first n bytes of s end between two of its characters.
// Judged within s itself: in UTF-8 a lone lead byte followed by an ASCII
// byte is a unit of its own, but the same byte at the end of a text would
// be a cut sequence.
bool EndsOnBoundary(const std::string& s, size_t n, PathStyle style) {
  size_t i = 0;
  while (i < n) i += pbx::CharLengthAt(s, i, style);
  return i == n;
}

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::kWindows && c == '\\');
}

// True when the last component of s (which must not end in a separator)
// is "." or "..", a double-byte character counting as one unit.
bool EndsInDotComponent(const std::string& s, PathStyle style) {
  size_t begin = 0;
  size_t unit = 0;
  for (size_t i = 0; i < s.size(); ++unit) {
    const size_t len = pbx::CharLengthAt(s, i, style);
    if (len == 1 && IsSeparator(s[i], style)) begin = i + 1;
    // The drive part is the first two characters, the second being ":".
    if (len == 1 && style == PathStyle::kWindows && unit == 1 && s[i] == ':')
      begin = i + 1;
    i += len;
  }
  const std::string last = s.substr(begin);
  return last == "." || last == "..";
}

void CheckDefaultOutputDir(const std::string& in, PathStyle style) {
  const std::string out = pbx::DefaultOutputDir(in, style);
  Check(out.size() <= pbx::kMaxArchivePathLookedAt, "DefaultOutputDir over 260 bytes", in);
  // A code page 932 lead byte always takes the next byte, so there the
  // result can be judged on its own.
  if (style == PathStyle::kWindows)
    Check(WholeChars(out, style), "DefaultOutputDir splits a character", in);
  if (in.size() > pbx::kMaxDirPartOrName) return;  // cutting may apply
  if (in.compare(0, out.size(), out) == 0) {
    Check(EndsOnBoundary(in, out.size(), style), "DefaultOutputDir splits a character", in);
    return;
  }
  const std::string stem = out.substr(0, out.size() - 1);
  Check(!out.empty() && out.back() == (style == PathStyle::kWindows ? '\\' : '/') &&
            in.compare(0, stem.size(), stem) == 0 && EndsInDotComponent(stem, style) &&
            EndsOnBoundary(in, stem.size(), style),
        "DefaultOutputDir is not the input without its extension", in);
}

void CheckEntryOutputPath(const std::string& dir, const std::string& name,
                          PathStyle style) {
  const auto path = pbx::EntryOutputPath(dir, name, style);
  const size_t needed = dir.size() + (dir.empty() ? 0 : 1) + name.size();
  if (!path) {
    Check(needed > pbx::kMaxEntryPath, "EntryOutputPath refused a path that fits",
          dir + name);
    return;
  }
  Check(path->size() <= pbx::kMaxEntryPath, "EntryOutputPath over 255 bytes", dir + name);
  Check(path->size() == needed && path->compare(0, dir.size(), dir) == 0 &&
            path->compare(path->size() - name.size(), name.size(), name) == 0,
        "EntryOutputPath is not directory, separator, name", dir + name);
}

// Depth of the name's components below the output directory, as the file
// system resolves them with only "/" as a separator; below zero means the
// name climbed out.
void CheckSafeNameStaysInside(const std::string& cp932_name) {
  if (cp932_name.find('\0') != std::string::npos) return;  // names end at NUL
  if (!pbx::IsSafeEntryName(cp932_name, PathStyle::kPosix)) return;
  const std::string fs = pbx::Cp932ToUtf8(cp932_name);
  int depth = 0;
  size_t begin = 0;
  while (begin <= fs.size()) {
    size_t end = fs.find('/', begin);
    if (end == std::string::npos) end = fs.size();
    const std::string comp = fs.substr(begin, end - begin);
    if (comp == "..")
      --depth;
    else if (!comp.empty() && comp != ".")
      ++depth;
    Check(depth >= 0, "an accepted entry name leads above the output directory",
          cp932_name);
    begin = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const PathStyle style = (data[0] & 1) ? PathStyle::kPosix : PathStyle::kWindows;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  CheckDefaultOutputDir(text, style);

  const size_t nul = text.find('\0');
  const std::string dir = text.substr(0, nul);
  const std::string name = nul == std::string::npos ? "" : text.substr(nul + 1);
  CheckEntryOutputPath(dir, name, style);

  // Entry names are at most 12 bytes; try the directory text as one too.
  CheckSafeNameStaysInside(name.substr(0, 12));
  CheckSafeNameStaysInside(dir.substr(0, 12));
  return 0;
}
