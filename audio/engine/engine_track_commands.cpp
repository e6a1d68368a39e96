#include "audio/engine/engine_track_commands.h"

#include "platform/threads/word_waits.h"

std::atomic<uint8_t> gEngineBusyByte{0};
int32_t gLastEngineTrackCommand[2] = {0, 0};

// Interim: the command is noted and agreed to.
int32_t PostEngineTrackCommand(int32_t command, int32_t argument) {
  gLastEngineTrackCommand[0] = command;
  gLastEngineTrackCommand[1] = argument;
  return 0;
}

bool WaitWhileEngineBusy(uint64_t timeoutNanos) { return WaitForByteClear(gEngineBusyByte, timeoutNanos); }
