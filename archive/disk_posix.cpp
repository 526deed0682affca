// The file-system layer on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "archive/disk.h"

namespace pbx {

namespace {

// Block size of the user-space copy: large enough that syscalls do not
// dominate, small enough to keep memory flat.
constexpr size_t kCopyBlock = 256 * 1024;

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Write(const void* data, size_t n) override {
    return fd_ >= 0 && WriteAll(fd_, static_cast<const char*>(data), n);
  }
  bool Close() override {
    if (fd_ < 0) return false;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Identifies a file whatever path names it.
struct FileId {
  dev_t dev;
  ino_t ino;
  bool operator==(const FileId&) const = default;
};

// The archives open now, so that no output file can truncate one of them.
using ArchiveRegistry = std::vector<FileId>;

class PosixArchiveFile : public ArchiveFile {
 public:
  PosixArchiveFile(int fd, FileId id, ArchiveRegistry& open_archives)
      : fd_(fd), id_(id), open_archives_(open_archives) {
    open_archives_.push_back(id_);
  }
  ~PosixArchiveFile() override { Close(); }

  size_t Read(void* data, size_t n) override {
    size_t got = 0;
    while (got < n && !failed_) {
      ssize_t r = ::read(fd_, static_cast<char*>(data) + got, n - got);
      if (r == 0) break;
      if (r < 0) {
        if (errno != EINTR) failed_ = true;
        continue;
      }
      got += static_cast<size_t>(r);
    }
    return got;
  }

  int64_t CopyRangeTo(OutputFile& out, int64_t offset, int64_t size) override {
    if (failed_) return -1;
    auto* posix_out = dynamic_cast<PosixOutputFile*>(&out);
    int64_t copied = 0;
    if (posix_out && kernel_copy_) {
      copied = KernelCopy(posix_out->fd(), offset, size);
      if (copied < 0) return -1;
    }
    return BufferedCopy(out, offset + copied, size - copied, copied);
  }

  bool Failed() const override { return failed_; }

  bool Close() override {
    if (fd_ < 0) return false;
    int fd = fd_;
    fd_ = -1;
    auto it = std::find(open_archives_.begin(), open_archives_.end(), id_);
    if (it != open_archives_.end()) open_archives_.erase(it);
    return ::close(fd) == 0;
  }

 private:
  // copy_file_range, as cp does: the kernel moves the bytes. Returns the
  // bytes copied before the end of the archive, or before the kernel
  // declined (the rest then goes through BufferedCopy), or -1 on failure.
  int64_t KernelCopy(int out_fd, int64_t offset, int64_t size) {
    int64_t copied = 0;
    while (copied < size) {
      off_t in_off = static_cast<off_t>(offset + copied);
      size_t want = static_cast<size_t>(std::min<int64_t>(size - copied, 1 << 30));
      ssize_t r = ::copy_file_range(fd_, &in_off, out_fd, nullptr, want, 0);
      if (r > 0) {
        copied += r;
        continue;
      }
      if (r == 0) return copied;  // end of the archive
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
          errno == EOPNOTSUPP || errno == EBADF) {
        kernel_copy_ = false;  // not for these files: copy by hand
        return copied;
      }
      if (errno == EIO) failed_ = true;
      return -1;
    }
    return copied;
  }

  int64_t BufferedCopy(OutputFile& out, int64_t offset, int64_t size,
                       int64_t already) {
    int64_t copied = 0;
    if (size <= 0) return already;
    std::string buf(static_cast<size_t>(std::min<int64_t>(size, kCopyBlock)), '\0');
    while (copied < size) {
      size_t want = static_cast<size_t>(std::min<int64_t>(size - copied, buf.size()));
      ssize_t r = ::pread(fd_, buf.data(), want, static_cast<off_t>(offset + copied));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) {
        failed_ = true;
        return -1;
      }
      if (r == 0) break;
      if (!out.Write(buf.data(), static_cast<size_t>(r))) return -1;
      copied += r;
    }
    return already + copied;
  }

  int fd_;
  FileId id_;
  ArchiveRegistry& open_archives_;
  bool failed_ = false;
  bool kernel_copy_ = true;
};

bool IsHiddenName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  return base < path.size() && path[base] == '.';
}

class PosixDisk : public Disk {
 public:
  std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) override {
    // O_NONBLOCK: a FIFO must not hang the open; it is refused below, like
    // a directory, which opens fine here but cannot be read. Regular files
    // ignore the flag.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixArchiveFile>(fd, FileId{st.st_dev, st.st_ino},
                                              open_archives_);
  }

  bool OutputDirExists(const std::string& path) override {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) return true;
    return S_ISREG(st.st_mode) && !IsHiddenName(path);
  }

  bool CreateOutputDir(const std::string& path) override {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
  }

  // Opened without O_TRUNC and emptied only once it is known to be an
  // ordinary file that is no archive being read: an entry named like its
  // own archive, extracted next to it, must not destroy it. O_NONBLOCK keeps
  // a FIFO without a reader from hanging the run.
  std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              !IsOpenArchive({st.st_dev, st.st_ino}) &&
              (st.st_size == 0 || ::ftruncate(fd, 0) == 0);
    if (!ok) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixOutputFile>(fd);
  }

  void RemoveFile(const std::string& path) override { ::unlink(path.c_str()); }

 private:
  bool IsOpenArchive(FileId id) const {
    return std::find(open_archives_.begin(), open_archives_.end(), id) !=
           open_archives_.end();
  }

  ArchiveRegistry open_archives_;
};

}  // namespace

Disk& NativeDisk() {
  static PosixDisk disk;
  return disk;
}

}  // namespace pbx
