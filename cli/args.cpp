#include <algorithm>
#include <cstdio>

#include "cli/cli.h"

namespace pbx::cli {

bool Args::Has(const std::string& flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

Args ParseArgs(int argc, char** argv, const std::vector<std::string>& known) {
  Args args;
  bool options_ended = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      args.positional.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "-h" || arg == "--help") {
      args.help = true;
    } else if (std::find(known.begin(), known.end(), arg) != known.end()) {
      args.flags.push_back(arg);
    } else if (args.error.empty()) {
      args.error = "unknown option " + arg;
    }
  }
  return args;
}

int UsageError(const char* usage, const std::string& message) {
  std::fprintf(stderr, "pbx: %s\n", message.c_str());
  // The first line of a command's help is its usage line.
  std::string text = usage;
  std::fprintf(stderr, "%s\n", text.substr(0, text.find('\n')).c_str());
  return kExitUsage;
}

size_t Utf8SequenceLength(const std::string& s, size_t i) {
  unsigned char c = s[i];
  size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3
               : (c >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  }
  return len;
}

std::string PrintableName(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    size_t len = Utf8SequenceLength(utf8, i);
    if (len == 0 || c < 0x20 || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
      ++i;
    } else {
      out.append(utf8, i, len);
      i += len;
    }
  }
  return out;
}

}  // namespace pbx::cli
