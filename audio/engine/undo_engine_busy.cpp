#include "audio/engine/undo_engine_busy.h"

std::atomic<uint8_t> gEngineBusyByte{0};
int32_t gLastEngineTrackCommand[2] = {0, 0};

// Interim: the command is noted and agreed to.
int32_t SendEngineTrackCommand(int32_t command, int32_t argument) {
  gLastEngineTrackCommand[0] = command;
  gLastEngineTrackCommand[1] = argument;
  return 0;
}
