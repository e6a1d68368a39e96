#include "shell/instruments_application_quit.h"

#include <cstdio>
#include <cstdlib>

// Interim: nothing is set up yet that the shutdown must save or close; the output streams
// are flushed and, with exitNow set, the process ends.
void QuitApplication(int16_t exitNow) {
  std::fflush(stdout);
  std::fflush(stderr);
  if (exitNow != 0) std::exit(exitNow);
}
