// Insert time opens a gap the length of the time selection at its start; Remove time takes
// the selected time out and closes the gap, across events, regions, automation, sections,
// the conductor map and the markers.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

void InsertTime(bool editorContext);
void RemoveTime(bool editorContext, bool allChannels, int16_t undoKind);
// Inserts delta ticks at the selection start into the current track.
OSErr InsertTimeInSong(int32_t delta);
