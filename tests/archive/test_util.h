// Helpers shared by the archive tests: archive bytes, temporary folders,
// an in-memory archive and a window that records what the run does to it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "archive/disk.h"
#include "archive/extraction_run.h"

namespace pbx::test {

std::string Int32LE(int32_t v);
// A 16-byte directory record: the name NUL-padded to 12 bytes, the end offset.
std::string Record(const std::string& name, int32_t end_offset);
// The magic followed by FirstDataOffset.
std::string Header(int32_t first_data_offset);
// A well-formed archive of (name, data) pairs.
std::string MakeArchive(const std::vector<std::pair<std::string, std::string>>& entries);

// A folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes; "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> ListDir(const std::string& path);

// An archive held in memory. fail_at makes reads fail once the sequential
// or copied position reaches that offset.
class MemoryArchive : public ArchiveFile {
 public:
  explicit MemoryArchive(std::string bytes, int64_t fail_at = -1)
      : bytes_(std::move(bytes)), fail_at_(fail_at) {}
  size_t Read(void* data, size_t n) override;
  int64_t CopyRangeTo(OutputFile& out, int64_t offset, int64_t size) override;
  bool Failed() const override { return failed_; }
  bool Close() override { return true; }

 private:
  std::string bytes_;
  int64_t fail_at_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// A window that records every call the run makes, in order.
class ScriptedWindow : public RunWindow {
 public:
  std::string input_path;
  std::string output_dir;
  bool running = false;
  bool stop_requested = false;
  std::vector<std::string> calls;
  std::vector<std::string> list;
  std::string caption = kCaptionIdle;
  std::string progress;
  // Called at each ProcessMessages with the number of the servicing (from 1).
  std::function<void(int)> on_process;

  std::string InputPathText() override;
  std::string OutputDirText() override;
  void ClearList() override;
  void AppendListLine(const std::string& line) override;
  void SetActCaption(const std::string& c) override;
  void SetProgressText(const std::string& text) override;
  bool Running() override { return running; }
  void SetRunning(bool v) override;
  bool StopRequested() override { return stop_requested; }
  void SetStopRequested(bool v) override;
  void ProcessMessages() override;
  void MessageBox(const std::string& text, const std::string& cap,
                  unsigned style) override;

  // Only the message boxes, as "text|caption|style".
  std::vector<std::string> Messages() const;

 private:
  int serviced_ = 0;
};

}  // namespace pbx::test
