// The file-system layer the extraction run sees: open an archive, test and
// create the output directory, create output files and copy ranges into them.
// DiskPosix implements it here; a Win32 implementation can stand beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pbx {

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Appends n bytes; false when they could not all be written.
  virtual bool Write(const void* data, size_t n) = 0;
  // Flushes and closes; false when the file may be incomplete.
  virtual bool Close() = 0;
};

// An archive opened for binary reading. Reads are sequential from offset 0;
// CopyRangeTo reads by absolute offset and does not move the sequential
// position. A read error is sticky: Failed() stays true afterwards.
class ArchiveFile {
 public:
  virtual ~ArchiveFile() = default;
  // Reads up to n bytes at the current position; returns how many were read.
  // Fewer than n means end of file, or a read error when Failed() is true.
  virtual size_t Read(void* data, size_t n) = 0;
  // Copies up to size bytes starting at offset into out. Stops early at the
  // end of the archive. Returns the bytes copied, or -1 when reading failed
  // (Failed() is then true) or out refused a write.
  virtual int64_t CopyRangeTo(OutputFile& out, int64_t offset,
                              int64_t size) = 0;
  virtual bool Failed() const = 0;
  // Closes the archive; false when closing reported an error.
  virtual bool Close() = 0;
};

class Disk {
 public:
  virtual ~Disk() = default;
  // Opens a regular file for reading; nullptr when that is impossible
  // (missing, a directory, no access).
  virtual std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) = 0;
  // True when path names an existing directory, or an ordinary file that is
  // not hidden.
  virtual bool OutputDirExists(const std::string& path) = 0;
  // Creates the last component of path only; false on any refusal.
  virtual bool CreateOutputDir(const std::string& path) = 0;
  // Creates path, or empties it when it exists; nullptr when impossible.
  virtual std::unique_ptr<OutputFile> CreateOutputFile(
      const std::string& path) = 0;
  // Removes a file left incomplete by a failed write.
  virtual void RemoveFile(const std::string& path) = 0;
};

// The real file system of this platform.
Disk& NativeDisk();

}  // namespace pbx
