#include "shell/app/command_line.h"

#include <cstdio>

namespace {

constexpr const char* kUsage =
    "Usage: zarin [OPTION]... [FILE]...\n"
    "Starts Zarin and opens the song documents and MIDI files given.\n"
    "\n"
    "  -h, --help   show this help and exit\n"
    "  --           every argument after it is a file, even one that starts with '-'\n"
    "\n"
    "Environment:\n"
    "  DISPLAY          the X display the program's window opens on (or WAYLAND_DISPLAY)\n"
    "  ZARIN_HEADLESS   1: run without a window, for scripts (no display needed)\n"
    "  ZARIN_SCREEN     WIDTHxHEIGHT: the size of the program's screen in pixels\n";

}  // namespace

CommandLineAction ReadCommandLine(const std::vector<std::string>& args, std::vector<std::string>* documents) {
  bool onlyFiles = false;
  for (const std::string& arg : args) {
    if (onlyFiles || arg.size() < 2 || arg[0] != '-') {
      documents->push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return kExitSucceeded;
    } else {
      std::fprintf(stderr, "zarin: unknown option '%s'\nTry 'zarin --help' for the options.\n", arg.c_str());
      return kExitFailed;
    }
  }
  return kRunProgram;
}
