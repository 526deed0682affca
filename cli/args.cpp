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

std::string PrintableName(const std::string& utf8) {
  std::string out;
  for (unsigned char c : utf8) {
    if (c < 0x20 || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace pbx::cli
