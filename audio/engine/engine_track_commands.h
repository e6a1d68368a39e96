// Interim: the audio engine's busy byte (set by the engine thread while it works on a
// track's data) and the track commands it takes. No engine thread exists yet: nothing sets
// the byte, and every command is agreed to. The song model reaches both through its audio
// engine hooks (song/model/audio_engine_hooks.h).
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<uint8_t> gEngineBusyByte;
// The last command posted (command, argument), for the tests of the brackets.
extern int32_t gLastEngineTrackCommand[2];

// Posts a command for the current track to the engine; 0 when the engine agrees.
int32_t PostEngineTrackCommand(int32_t command, int32_t argument);
// Waits, at most timeoutNanos, while the engine is busy with a track; false when it did not
// leave it in time. Main thread.
bool WaitWhileEngineBusy(uint64_t timeoutNanos);
