#include "tests/archive/test_util.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pbx::test {

std::string Int32LE(int32_t v) {
  auto u = static_cast<uint32_t>(v);
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  return s;
}

std::string Record(const std::string& name, int32_t end_offset) {
  std::string field = name.substr(0, 12);
  field.resize(12, '\0');
  return field + Int32LE(end_offset);
}

std::string Header(int32_t first_data_offset) {
  return std::string("Pandora.box\0", 12) + Int32LE(first_data_offset);
}

std::string MakeArchive(
    const std::vector<std::pair<std::string, std::string>>& entries) {
  const auto first = static_cast<int32_t>(16 + 16 * entries.size());
  std::string dir, data;
  int32_t end = first;
  for (const auto& [name, bytes] : entries) {
    end += static_cast<int32_t>(bytes.size());
    dir += Record(name, end);
    data += bytes;
  }
  return Header(first) + dir + data;
}

namespace {

void RemoveTree(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    for (const std::string& name : ListDir(path)) RemoveTree(path + "/" + name);
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/pbxtest.XXXXXX";
  if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() { RemoveTree(path_); }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
  if (!f.good()) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return "<missing>";
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  DIR* d = ::opendir(path.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
      names.push_back(e->d_name);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

size_t MemoryArchive::Read(void* data, size_t n) {
  size_t end = std::min(bytes_.size(), pos_ + n);
  if (fail_at_ >= 0 && end > static_cast<size_t>(fail_at_)) {
    end = std::max(pos_, static_cast<size_t>(fail_at_));
    failed_ = true;
  }
  size_t got = end > pos_ ? end - pos_ : 0;
  if (got) std::memcpy(data, bytes_.data() + pos_, got);
  pos_ += got;
  return got;
}

int64_t MemoryArchive::CopyRangeTo(OutputFile& out, int64_t offset, int64_t size) {
  if (offset >= static_cast<int64_t>(bytes_.size())) return 0;
  int64_t n = std::min<int64_t>(size, bytes_.size() - offset);
  if (fail_at_ >= 0 && offset + n > fail_at_) {
    failed_ = true;
    return -1;
  }
  return out.Write(bytes_.data() + offset, static_cast<size_t>(n)) ? n : -1;
}

std::string ScriptedWindow::InputPathText() {
  calls.push_back("InputPathText");
  return input_path;
}
std::string ScriptedWindow::OutputDirText() {
  calls.push_back("OutputDirText");
  return output_dir;
}
void ScriptedWindow::ClearList() {
  calls.push_back("ClearList");
  list.clear();
}
void ScriptedWindow::AppendListLine(const std::string& line) {
  calls.push_back("Append " + line);
  list.push_back(line);
}
void ScriptedWindow::SetActCaption(const std::string& c) {
  calls.push_back("Caption " + c);
  caption = c;
}
void ScriptedWindow::SetProgressText(const std::string& text) {
  calls.push_back("Progress" + text);
  progress = text;
}
void ScriptedWindow::SetRunning(bool v) {
  calls.push_back(v ? "Running 1" : "Running 0");
  running = v;
}
void ScriptedWindow::SetStopRequested(bool v) {
  calls.push_back(v ? "StopRequested 1" : "StopRequested 0");
  stop_requested = v;
}
void ScriptedWindow::ProcessMessages() {
  calls.push_back("ProcessMessages");
  if (on_process) on_process(++serviced_);
}
void ScriptedWindow::MessageBox(const std::string& text, const std::string& cap,
                                unsigned style) {
  calls.push_back("MessageBox " + text + "|" + cap + "|" + std::to_string(style));
}

std::vector<std::string> ScriptedWindow::Messages() const {
  std::vector<std::string> boxes;
  for (const std::string& c : calls)
    if (c.rfind("MessageBox ", 0) == 0) boxes.push_back(c.substr(11));
  return boxes;
}

}  // namespace pbx::test
