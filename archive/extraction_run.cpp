#include "archive/extraction_run.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "archive/names.h"
#include "archive/paths.h"
#include "archive/pbx_format.h"

namespace pbx {

std::string ProgressText(int32_t number, int32_t count) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %03d / %03d", static_cast<int>(number),
                static_cast<int>(count));
  return buf;
}

namespace {

constexpr unsigned kMbWarning = kMbOk | kMbIconExclamation;

// The bytes written where an entry has no data in the archive.
constexpr unsigned char kMissingByte = 0xFF;

bool WriteMissingBytes(OutputFile& out, int64_t n) {
  static const std::vector<unsigned char> block(64 * 1024, kMissingByte);
  while (n > 0) {
    size_t chunk = static_cast<size_t>(std::min<int64_t>(n, block.size()));
    if (!out.Write(block.data(), chunk)) return false;
    n -= static_cast<int64_t>(chunk);
  }
  return true;
}

enum class CopyResult { kOk, kReadFailed, kWriteFailed };

// Size bytes from Start; what the archive cannot give is written as 0xFF,
// and an entry that starts before the file begins is all 0xFF.
CopyResult CopyEntry(ArchiveFile& archive, OutputFile& out,
                     const ArchiveEntry& entry) {
  if (entry.Size <= 0) return CopyResult::kOk;
  int64_t copied = 0;
  if (entry.Start >= 0) {
    copied = archive.CopyRangeTo(out, entry.Start, entry.Size);
    if (copied < 0)
      return archive.Failed() ? CopyResult::kReadFailed : CopyResult::kWriteFailed;
  }
  return WriteMissingBytes(out, entry.Size - copied) ? CopyResult::kOk
                                                     : CopyResult::kWriteFailed;
}

// The file name an entry gets on this platform: on POSIX the Shift-JIS
// name is decoded, so that 表.txt is readable; Windows takes the bytes.
std::string FileSystemName(const std::string& name, const std::string& utf8) {
  return kNativePathStyle == PathStyle::kPosix ? utf8 : name;
}

class Run {
 public:
  Run(RunWindow& window, Disk& disk) : w_(window), disk_(disk) {}

  RunOutcome Execute() {
    w_.SetRunning(true);
    archive_ = disk_.OpenArchive(w_.InputPathText());
    if (!archive_) {
      w_.MessageBox(kMsgCannotRead, kCaptionError, kMbWarning);
      w_.SetRunning(false);
      return RunOutcome::kCannotRead;
    }
    if (!CheckMagic(*archive_)) {
      const bool read_failed = archive_->Failed();
      w_.MessageBox(read_failed ? kMsgCannotRead : kMsgNotArchive,
                    kCaptionError, kMbWarning);
      archive_->Close();
      w_.SetRunning(false);
      return read_failed ? RunOutcome::kCannotRead : RunOutcome::kNotArchive;
    }
    w_.SetActCaption(kCaptionRunning);
    RunOutcome outcome = ExtractAll();
    archive_->Close();
    w_.SetRunning(false);
    w_.SetStopRequested(false);
    w_.SetActCaption(kCaptionIdle);
    return outcome;
  }

 private:
  RunOutcome ExtractAll() {
    const DirectoryResult dir = ReadDirectory(*archive_, table_);
    if (dir.status == DirectoryStatus::kReadFailed)
      return Fail(kMsgCannotRead, kCaptionError, kMbWarning, RunOutcome::kCannotRead);
    if (dir.status != DirectoryStatus::kOk)
      return Fail(kMsgNotArchive, kCaptionError, kMbWarning, RunOutcome::kNotArchive);
    w_.ClearList();
    if (!disk_.OutputDirExists(w_.OutputDirText())) {
      w_.MessageBox(kMsgWillCreateDir, kCaptionWillCreate, kMbOk);
      if (!disk_.CreateOutputDir(w_.OutputDirText()))
        return Fail(kMsgCannotCreateDir, kCaptionNo, kMbOk,
                    RunOutcome::kCannotCreateDir);
    }
    for (int32_t i = 0; i < dir.count; ++i) {
      if (RunOutcome failed; !ExtractEntry(i, dir.count, &failed)) return failed;
      // A stop asked for during the last entry ends the run like no stop.
      if (w_.StopRequested() && i + 1 < dir.count) return RunOutcome::kStopped;
    }
    return RunOutcome::kCompleted;
  }

  // Lists, services the window, then writes entry i; false with the
  // outcome when the run must end.
  bool ExtractEntry(int32_t i, int32_t count, RunOutcome* failed) {
    const ArchiveEntry& entry = table_[static_cast<size_t>(i)];
    const std::string utf8_name = Cp932ToUtf8(entry.Name);
    w_.AppendListLine(utf8_name);
    w_.ProcessMessages();
    std::optional<std::string> path;
    if (IsSafeEntryName(entry.Name))
      path = EntryOutputPath(w_.OutputDirText(), FileSystemName(entry.Name, utf8_name));
    std::unique_ptr<OutputFile> out;
    if (path) out = disk_.CreateOutputFile(*path);
    if (!out) {
      *failed = Fail(kMsgCannotWrite, kCaptionError, kMbWarning, RunOutcome::kCannotWrite);
      return false;
    }
    CopyResult copy = CopyEntry(*archive_, *out, entry);
    const bool closed = out->Close();
    if (copy != CopyResult::kOk || !closed) {
      // Never leave a short file that looks complete.
      disk_.RemoveFile(*path);
      *failed = copy == CopyResult::kReadFailed
                    ? Fail(kMsgCannotRead, kCaptionError, kMbWarning, RunOutcome::kCannotRead)
                    : Fail(kMsgCannotWrite, kCaptionError, kMbWarning, RunOutcome::kCannotWrite);
      return false;
    }
    w_.SetProgressText(ProgressText(i + 1, count));
    w_.EntryWritten(i + 1, count, entry.Size > 0 ? entry.Size : 0);
    return true;
  }

  RunOutcome Fail(const char* text, const char* caption, unsigned style,
                  RunOutcome outcome) {
    w_.MessageBox(text, caption, style);
    return outcome;
  }

  RunWindow& w_;
  Disk& disk_;
  std::unique_ptr<ArchiveFile> archive_;
  std::vector<ArchiveEntry> table_;
};

}  // namespace

RunOutcome RunExtraction(RunWindow& window, Disk& disk) {
  if (window.Running()) {
    window.SetStopRequested(true);
    return RunOutcome::kStopRequested;
  }
  try {
    return Run(window, disk).Execute();
  } catch (...) {
    // A window operation failed in the middle of a run. The streams close
    // with the run; the window is put back to idle so that its next click
    // starts a run instead of only asking a dead one to stop.
    window.SetRunning(false);
    window.SetStopRequested(false);
    window.SetActCaption(kCaptionIdle);
    throw;
  }
}

}  // namespace pbx
