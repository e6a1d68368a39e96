// Arming the audio inputs for recording: which armed tracks record audio, and the arm flag of
// every record input with its driver's recording path. Main thread.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct AudioDriverOps;

// True while the transport plays or records: the inputs are not re-armed then.
bool IsTransportPlayingOrRecording();
// The current song's armed tracks that record audio (output kind 1), and those that play an
// instrument (output kind 3), whose inputs record too.
int32_t CountArmedAudioTracks();
int32_t CountArmedInstrumentTracks();
// Every armed track of the current song.
int32_t CountArmedTracks();
// Every record input takes the arm flag; each whose driver (the given one, or found by the
// input's device id) is active has its recording path opened or closed. Nothing while the
// transport plays or records. The first error, else 0.
OSErr SetAudioInputsArmed(bool on, AudioDriverOps* driver);
