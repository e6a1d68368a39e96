// The metronome's own track record: a TrackEntry that belongs to no song. Its insert rack (at
// +232, where any track keeps its rack) holds the click's plug-in, which plays as the plug-in
// device 254; its device byte (+17) names that device once the plug-in is open.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/song_layout.h"

extern uint8_t gClickTrack[kTrackEntrySize];

// The click track's insert rack, 0 while it has none.
Handle GetClickTrackRack();
// The click track's device byte (0 while no plug-in plays the click).
uint8_t GetClickTrackDevice();
// Makes the record a copy of the new-track template with the default output kind, 'M' as the
// first byte of its name and 4 in its flags (the metronome's marks); keeps nothing of before.
void InitClickTrack();
// Disposes the click track's rack with its plug-ins and clears the record.
void DisposeClickTrackMedia();
