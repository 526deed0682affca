// pbx: unpack, inspect and make PBX archives from the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"

namespace {

const char kHelp[] =
    "Usage: pbx COMMAND [ARGS...]\n"
    "Unpacks, inspects and makes PBX archives (\"Pandora.box\").\n"
    "\n"
    "Commands:\n"
    "  extract [-v] ARCHIVE [OUTDIR]  unpack every entry into OUTDIR\n"
    "  list [--json] ARCHIVE          show the entries\n"
    "  check ARCHIVE                  report every problem of the archive\n"
    "  create ARCHIVE FILE...         make an archive of the files\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help; 'pbx COMMAND --help' explains a command\n"
    "  --version    show the version\n";

struct Command {
  const char* name;
  int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"extract", pbx::cli::Extract},
    {"list", pbx::cli::List},
    {"check", pbx::cli::Check},
    {"create", pbx::cli::Create},
};

int Dispatch(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kHelp, stderr);
    return pbx::cli::kExitUsage;
  }
  std::string first = argv[1];
  if (first == "-h" || first == "--help" || first == "help") {
    std::fputs(kHelp, stdout);
    return pbx::cli::kExitOk;
  }
  if (first == "--version") {
    std::printf("pbx %s\n", PBX_VERSION);
    return pbx::cli::kExitOk;
  }
  for (const Command& command : kCommands) {
    if (first == command.name) return command.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "pbx: unknown command '%s'; see 'pbx --help'\n",
               first.c_str());
  return pbx::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  int code = Dispatch(argc, argv);
  // Output lost on the way (a full disk, a closed pipe) is a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "pbx: writing to standard output failed: %s\n",
                 std::strerror(errno));
    if (code == pbx::cli::kExitOk) code = pbx::cli::kExitFailure;
  }
  return code;
}
