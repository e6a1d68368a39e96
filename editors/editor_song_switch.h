// The editors' steps after another song became current: the record track, the tracks' view
// modes and the lane drag.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Makes track number n the record track again. Interim: the track editor's record set-up is
// not built; nothing to set (noErr).
OSErr SetRecordTrack(int8_t n);
// Interim: the editors' track view modes are not built; nothing to recheck.
void RecheckTrackModes();
// Interim: the lanes are not built; no drag to reset.
void ResetLaneDragState();
