// A song of the song list dropped on the main editor: it becomes a child sequence of the
// track of the pane under the drop, with a sequence reference at the drop's time.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Errors of a drop the track cannot take.
constexpr OSErr kChildDropAudioTrackErr = 101;
constexpr OSErr kChildDropSongModeErr = 102;

// Drops song slot `slot` at the local point of the main editor: the pane under it becomes
// current, its track gets the song as a child (a full copy with copy, a link otherwise) and a
// reference as long as the song (its end tick - 1, at least 1) at the point's time. In song
// mode 1 the drop is refused (102) before anything changes. The previous pane is selected
// again; a failure is reported and returned.
OSErr AddSongAsChildOfTrack(int32_t slot, Point local, bool copy);
