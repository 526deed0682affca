// Running the built pbx from tests, and the files around it.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pbx_test {

namespace fs = std::filesystem;

struct Result {
  int status = 0;  // as waitpid gives it
  std::string out;
  std::string err;
  // The exit code, or -1 when pbx did not exit normally.
  int code() const;
};

struct RunOptions {
  fs::path cwd;                 // empty: the test's own
  rlim_t file_size_limit = RLIM_INFINITY;
};

Result RunPbx(const std::vector<std::string>& args,
              const RunOptions& options = {});

// A fresh directory, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& bytes);
std::string ReadFile(const fs::path& path);

// Name -> content of every regular file in dir (not recursive); other kinds
// of entries appear with the content "<not a file>".
std::map<std::string, std::string> DirContents(const fs::path& dir);

// Archive bytes as given: magic, first data offset, the records (name, end
// offset), then `tail` (data, or whatever the test wants there).
std::string ArchiveBytes(int32_t first_data_offset,
                         const std::vector<std::pair<std::string, int32_t>>& records,
                         const std::string& tail);

std::vector<std::string> Lines(const std::string& text);

}  // namespace pbx_test
