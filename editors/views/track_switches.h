// The track switches of the pane headers and track list: solo, mute, record arm, the play
// switch and the song's record track.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Makes track number n the song's record track (-1 none).
OSErr SetRecordTrack(int8_t n);
// Recomputes every track's mode after its switches changed.
void RecheckTrackModes();
