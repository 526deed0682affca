// pbx create: writes a PBX archive from files. The archive is written to a
// temporary file beside it and renamed into place only when complete.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "archive/names.h"
#include "archive/paths.h"
#include "archive/pbx_format.h"
#include "cli/cli.h"

namespace pbx::cli {

const char kCreateHelp[] =
    "Usage: pbx create ARCHIVE FILE...\n"
    "Writes a PBX archive holding the FILEs, in the order given. Each entry\n"
    "is named after its file's last path component, encoded as CP932; a name\n"
    "that does not encode, needs more than 12 bytes or is used twice is\n"
    "refused, and so are more than 8191 files and archives over 2 GiB.\n"
    "The archive is written beside ARCHIVE under a temporary name and renamed\n"
    "to ARCHIVE only when complete; on any error or Ctrl-C it is removed.\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed, 2 usage error,\n"
    "130 interrupted.\n";

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

struct Member {
  std::string path;
  std::string name;  // CP932
  int64_t size = 0;
};

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// The entry for one FILE argument, or why it cannot be one.
std::string PlanMember(const std::string& path, Member* member) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return Errno(path);
  if (!S_ISREG(st.st_mode)) return path + ": not a regular file";
  std::string base = path.substr(path.rfind('/') + 1);
  std::string name;
  if (!Utf8ToCp932(base, &name)) {
    return path + ": the name '" + base + "' has characters CP932 lacks";
  }
  if (name.size() > kNameSize) {
    return path + ": the name '" + base + "' takes " +
           std::to_string(name.size()) + " bytes in CP932, more than " +
           std::to_string(kNameSize);
  }
  if (!IsSafeEntryName(name)) {
    return path + ": the name '" + base + "' cannot be extracted";
  }
  *member = {path, name, st.st_size};
  return "";
}

// Every FILE is planned; every refusal is printed.
bool PlanMembers(const std::vector<std::string>& paths,
                 std::vector<Member>* members) {
  bool ok = true;
  std::map<std::string, std::string> used;  // name -> first path
  for (const std::string& path : paths) {
    Member member;
    std::string error = PlanMember(path, &member);
    if (error.empty()) {
      auto [it, inserted] = used.emplace(member.name, path);
      if (!inserted) error = path + ": same name as " + it->second;
    }
    if (!error.empty()) {
      std::fprintf(stderr, "pbx create: %s\n", error.c_str());
      ok = false;
    }
    members->push_back(member);
  }
  return ok;
}

void PutInt32LE(unsigned char* p, int64_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Header and directory; empty when the data would pass 2 GiB.
std::vector<unsigned char> BuildDirectory(const std::vector<Member>& members) {
  int64_t offset = kDirectoryPos + kRecordSize * members.size();
  std::vector<unsigned char> head(offset, 0);
  std::memcpy(head.data(), kMagic, kMagicSize);
  PutInt32LE(&head[kFirstDataOffsetPos], offset);
  unsigned char* record = &head[kDirectoryPos];
  for (const Member& m : members) {
    offset += m.size;
    if (offset > INT32_MAX) return {};
    std::memcpy(record, m.name.data(), m.name.size());
    PutInt32LE(record + kNameSize, offset);
    record += kRecordSize;
  }
  return head;
}

bool WriteAll(int fd, const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t done = write(fd, p, n);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    p += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

// Copies exactly `size` bytes of `in` to `out`; the kernel copies when it
// can, a 1 MiB buffer otherwise.
std::string CopyFile(int in, int out, int64_t size, const std::string& path) {
  constexpr size_t kChunk = 64 << 20;
  bool kernel_copy = true;
  std::vector<char> buffer;
  while (size > 0) {
    if (g_interrupted) return "interrupted";  // the caller only exits
    size_t want = static_cast<size_t>(std::min<int64_t>(size, kChunk));
    ssize_t done = -1;
    if (kernel_copy) {
      done = copy_file_range(in, nullptr, out, nullptr, want, 0);
      if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                       errno == EOPNOTSUPP)) {
        kernel_copy = false;
        buffer.resize(1 << 20);
        continue;
      }
    } else {
      done = read(in, buffer.data(), std::min(want, buffer.size()));
      if (done > 0 && !WriteAll(out, buffer.data(), done)) {
        return Errno("writing the archive");
      }
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return Errno(path);
    if (done == 0) return path + ": changed while being read";
    size -= done;
  }
  return "";
}

std::string CopyMember(const Member& m, int out) {
  int in = open(m.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Errno(m.path);
  std::string error = CopyFile(in, out, m.size, m.path);
  if (close(in) != 0 && error.empty()) error = Errno(m.path);
  return error;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Fills the open temporary file; nothing is renamed here.
std::string Fill(int fd, const std::vector<Member>& members) {
  std::vector<unsigned char> head = BuildDirectory(members);
  if (head.empty()) return "the files hold more than 2 GiB";
  if (!WriteAll(fd, head.data(), head.size())) {
    return Errno("writing the archive");
  }
  for (const Member& m : members) {
    std::string error = CopyMember(m, fd);
    if (!error.empty()) return error;
  }
  mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, 0666 & ~mask) != 0 || fsync(fd) != 0) {
    return Errno("writing the archive");
  }
  return "";
}

std::string WriteArchive(const std::string& archive,
                         const std::vector<Member>& members) {
  std::string temp = DirectoryOf(archive) + "/.pbx-create-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return Errno("cannot create a file beside " + archive);
  std::string error = Fill(fd, members);
  if (close(fd) != 0 && error.empty()) error = Errno("writing the archive");
  if (error.empty() && rename(temp.c_str(), archive.c_str()) != 0) {
    error = Errno(archive);
  }
  if (!error.empty()) unlink(temp.c_str());
  return error;
}

}  // namespace

int Create(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, {});
  if (args.help) {
    std::fputs(kCreateHelp, stdout);
    return kExitOk;
  }
  if (!args.error.empty()) return UsageError(kCreateHelp, args.error);
  if (args.positional.size() < 2) {
    return UsageError(kCreateHelp, "create takes ARCHIVE and at least one FILE");
  }
  std::vector<std::string> files(args.positional.begin() + 1,
                                 args.positional.end());
  if (files.size() > static_cast<size_t>(kMaxEntries)) {
    std::fprintf(stderr, "pbx create: %zu files given, at most %d fit\n",
                 files.size(), kMaxEntries);
    return kExitFailure;
  }
  std::vector<Member> members;
  if (!PlanMembers(files, &members)) return kExitFailure;

  CatchInterrupts();
  std::string error = WriteArchive(args.positional[0], members);
  if (!error.empty() && g_interrupted) return kExitInterrupted;
  if (!error.empty()) {
    std::fprintf(stderr, "pbx create: %s\n", error.c_str());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace pbx::cli
