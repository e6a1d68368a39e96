// Sequence references and track restructuring: the children a time range touches, expanding a
// track's references into plain events, splitting a track by MIDI channel.
#pragma once

#include <cstdint>

// Track command 1: the current track's sequence references become events of the song.
//
// Interim: not built yet; nothing changes.
void ExpandSequenceReferences();
// Track command 4: each selected track split into one track per MIDI channel.
void SplitSelectedTracksByChannel();
