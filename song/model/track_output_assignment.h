// Giving the current track an output: a port, a channel and a device kind, played through an
// entry of the instrument table when one has that output.
#pragma once

#include <cstdint>

// The current track's output byte (+17), the channel of the cursor event
// (gCurrentEventChannel) and the type byte (+58) equal the port, channel and device kind of
// part 0 of the current instrument (gCurrentInstrument).
bool TrackMatchesInstrument();
// Per-track callback: when TrackMatchesInstrument, the track plays the current instrument
// (instrument word = its number x 256, flag 0x20 of byte 13, one channel). Answers 1 when it
// claimed the track.
int32_t AssignInstrumentToTrack(void* arg);
// Sets the current track's output byte, type byte and channel (+70), clears flag 0x20 and the
// channel count, then lets the first instrument with that output claim the track; when none
// does, the track plays its own port and channel as set.
void SetTrackOutput(uint8_t output, uint8_t channel, uint8_t type);
