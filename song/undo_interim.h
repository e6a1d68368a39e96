// Interim: the undo ring's services that the song model calls, until the undo ring exists.
// The ring keeps nothing yet, so no handle is ever held by it; the track-edit brackets only
// keep the link flag of the song header as the final EndTrackEdit does.
#pragma once

#include "platform/memory/mac_types.h"

// True when an undo record keeps h (as a song copy, a spare song or an event list).
bool IsHandleInUndoRing(Handle h);
// True when an undo record holds the song block h.
bool IsSongHeldByUndo(Handle song);
void BeginTrackEdit();
void EndTrackEdit();
