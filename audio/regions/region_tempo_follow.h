// Audio that keeps its musical position across a change of the tempo map: before the change
// each audible region of every track keeps the tick it starts at (and the samples between
// that tick and its true start); after it, the regions move to the sample positions of those
// ticks under the new tempos (silence put in front, or the overlap cut). A recording track
// without audible regions has its point list kept in ticks instead. Main thread.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The global option: regions follow tempo changes (on by default).
extern bool gAudioFollowsTempo;

// The two steps for one track audio record; the first error of the second is kept in *err.
void KeepTrackAudioAtTicks(Handle trackAudio);
void MoveTrackAudioToTicks(Handle trackAudio, bool reanchor, OSErr* err);
// The two steps over every track of the current song (the conductor's hook entries).
void KeepAudioAtTicks();
void MoveAudioToTicks(int32_t reanchor);

// Installs the conductor's tempo-follow entries and the track reader's normalising.
void InstallRegionHooks();
