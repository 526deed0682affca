// The subcommands of pbx and the little they share.
#pragma once

#include <string>
#include <vector>

namespace pbx::cli {

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells do

// The arguments after the subcommand's name, split into flags and the rest.
struct Args {
  std::vector<std::string> flags;       // as given, e.g. "-v", "--json"
  std::vector<std::string> positional;  // everything else, in order
  bool help = false;                    // -h or --help was given
  std::string error;                    // non-empty: an unknown option
  bool Has(const std::string& flag) const;
};

// Options start with "-" (a lone "-" does not); "--" ends them. Only flags in
// `known` are accepted, plus -h/--help.
Args ParseArgs(int argc, char** argv, const std::vector<std::string>& known);

// Prints "pbx COMMAND: message" and the usage line on stderr; returns
// kExitUsage.
int UsageError(const char* usage, const std::string& message);

// Length of the UTF-8 sequence at s[i] (which must exist); 0 when invalid.
size_t Utf8SequenceLength(const std::string& s, size_t i);

// A UTF-8 name fit for one line of a terminal: control bytes and bytes that
// are no UTF-8 become \xNN.
std::string PrintableName(const std::string& utf8);

int Extract(int argc, char** argv);
int List(int argc, char** argv);
int Check(int argc, char** argv);
int Create(int argc, char** argv);

extern const char kExtractHelp[];
extern const char kListHelp[];
extern const char kCheckHelp[];
extern const char kCreateHelp[];

}  // namespace pbx::cli
