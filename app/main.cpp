// The zarin program. Until the shell's start-up is in place it only says what it is.
#include <cstdio>

int main() {
  std::printf("Zarin, a MIDI and audio sequencer: the application shell is not built yet.\n");
  return 0;
}
