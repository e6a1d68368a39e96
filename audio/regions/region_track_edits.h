// The region edits of the current track, in ticks: its active track audio's list (the main
// or the alternate record) normalised, silence inserted at a tick range, a tick range cut out
// or silenced; the waveform overview follows. Main thread, inside the caller's track edit.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The current track's active track audio record (null without one).
Handle CurrentTrackAudio();
// The current track's active list in its merged form.
void NormalizeCurrentRegionList();
// The same for the active record of a track entry (a track just read from a document).
void NormalizeTrackEntryRegions(uint8_t* entry);
// Inserts the silence of [startTick, endTick) at startTick and normalises; the overview moves.
OSErr InsertSilenceAtTicks(uint32_t startTick, uint32_t endTick);
// Cuts [startTick, endTick) out of the current track's audio (remove) or silences it, and
// normalises. With allowDispose, a range from tick 1 to the track's end or beyond, on a track
// audio the engine does not play, disposes the track's audio media instead.
OSErr SetRegionRangeAtTicks(uint32_t startTick, uint32_t endTick, bool remove, bool allowDispose);
// Whether the current track's active track audio holds audible regions.
bool CurrentTrackHasAudibleRegions();
