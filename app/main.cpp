// The zarin program: documents named on the command line are opened at start.
#include <string>
#include <vector>

#include "shell/app/app_entry.h"

int main(int argc, char** argv) {
  std::vector<std::string> documents(argv + 1, argv + argc);
  return RunZarin(documents);
}
