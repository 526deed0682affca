// Where extracted files go: pure functions over path texts (byte strings).
//
// Two styles of path text:
//  - kWindows: "\" and "/" both separate, "X:" drive parts, "\" is the
//    separator added, double-byte characters of code page 932 are one unit.
//  - kPosix: "/" is the only separator and the one added, no drive parts,
//    UTF-8 sequences are one unit.
// Either way a character is never split and its trailing byte never counts
// as a separator.
#pragma once

#include <optional>
#include <string>

namespace pbx {

enum class PathStyle { kWindows, kPosix };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

inline constexpr size_t kMaxArchivePathLookedAt = 260;
inline constexpr size_t kMaxDirPartOrName = 255;
inline constexpr size_t kMaxEntryPath = 255;

// Length in bytes of the character that starts at s[i] (1 to 4). A lead
// byte whose trail bytes are missing still claims them, so callers can tell
// that it does not fit.
size_t CharLengthAt(const std::string& s, size_t i, PathStyle style);

// The longest prefix of s of at most max_bytes that splits no character.
std::string CutWholeChars(const std::string& s, size_t max_bytes,
                          PathStyle style);

// The archive path without the extension of its last component.
std::string DefaultOutputDir(const std::string& archive_path,
                             PathStyle style = kNativePathStyle);

// dir, then one separator when dir is not empty, then name; nullopt when the
// result would exceed kMaxEntryPath bytes.
std::optional<std::string> EntryOutputPath(const std::string& dir,
                                           const std::string& name,
                                           PathStyle style = kNativePathStyle);

// False for a name that must not become a file in the output directory:
// empty, ".", "..", holding a "/" byte or a "\" character of code page 932,
// and in the Windows style also a ":".
bool IsSafeEntryName(const std::string& cp932_name,
                     PathStyle style = kNativePathStyle);

}  // namespace pbx
