// The zarin program: documents named on the command line are opened at start.
#include <string>
#include <vector>

#include "shell/app/app_entry.h"
#include "shell/app/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> documents;
  switch (ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), &documents)) {
    case kExitSucceeded: return 0;
    case kExitFailed: return 2;
    case kRunProgram: break;
  }
  return RunZarin(documents);
}
