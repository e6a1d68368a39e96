// The engine's playback copy of a rack's point list. The engine thread plays only its own copy
// (audio/engine/automation_records.h); after every change of a rack's list the editor gives
// the rack's engine channel a fresh copy under the channel's automation lock.
#pragma once

#include "platform/memory/mac_types.h"

// Main thread. Replaces the playback copy of the channel linked from the rack (for the current
// track's rack, which names no channel, of the channels the engine made for that track): takes the
// channel's lock (waiting a bounded time for the engine), disposes the old copy, copies the
// rack's list, rescales the copy's times from the rack's rate to the device's when they
// differ, and sets both play cursors to the first points at or after their positions, then
// releases the lock. A rack without a channel is left alone (0). When the copy cannot be
// made the channel plays without automation and the memory error is reported; when the
// engine keeps the lock past the bound the old copy stays and kAutomationBusyErr is returned.
constexpr OSErr kAutomationBusyErr = -1;
OSErr RefreshAutomationPlayback(Handle rack);
// The same for the rack of every track of the current song (after Undo and Redo exchanged the
// tracks); nothing while the engine has no channels.
void RefreshSongAutomationPlayback();
