#include "tests/cli/pbx_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pbx_test {

int Result::code() const {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

[[noreturn]] void ExecPbx(const std::vector<std::string>& args,
                          const RunOptions& options, int out_fd, int err_fd) {
  dup2(out_fd, STDOUT_FILENO);
  dup2(err_fd, STDERR_FILENO);
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
  if (options.file_size_limit != RLIM_INFINITY) {
    // A write past the limit then fails with EFBIG instead of killing pbx.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {options.file_size_limit, options.file_size_limit};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<char*> argv = {const_cast<char*>(PBX_PATH)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(PBX_PATH, argv.data());
  _exit(127);
}

}  // namespace

Result RunPbx(const std::vector<std::string>& args, const RunOptions& options) {
  TempDir capture;
  fs::path out_path = capture / "out", err_path = capture / "err";
  int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out_fd < 0 || err_fd < 0) throw std::runtime_error("capture files");
  pid_t pid = fork();
  if (pid == 0) ExecPbx(args, options, out_fd, err_fd);
  close(out_fd);
  close(err_fd);
  Result result;
  if (pid < 0 || waitpid(pid, &result.status, 0) != pid) {
    throw std::runtime_error("running pbx failed");
  }
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "pbx-cli-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::map<std::string, std::string> DirContents(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    files[e.path().filename().string()] =
        e.is_regular_file() ? ReadFile(e.path()) : "<not a file>";
  }
  return files;
}

namespace {

void AppendInt32LE(std::string* s, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) s->push_back(static_cast<char>(v >> (8 * i)));
}

}  // namespace

std::string ArchiveBytes(
    int32_t first_data_offset,
    const std::vector<std::pair<std::string, int32_t>>& records,
    const std::string& tail) {
  std::string bytes("Pandora.box\0", 12);
  AppendInt32LE(&bytes, first_data_offset);
  for (const auto& [name, end] : records) {
    std::string field = name;
    field.resize(12, '\0');
    bytes += field;
    AppendInt32LE(&bytes, end);
  }
  return bytes + tail;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace pbx_test
