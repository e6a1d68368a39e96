// zarin-plugin-probe: examines one VST plug-in for the program in a process of its own, so
// that a plug-in that crashes or hangs while it starts takes only this process down. The
// program starts it with the plug-in's path and reads the answer from descriptor 3.
#include "plugins/library/plugin_probe.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return RunProbeHelper(argv[1], 3);
}
