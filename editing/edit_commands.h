// The editing commands: the Edit menu, the track-operations menu (69), the
// editing dialogs of the Options menu, and the time-selection check of range operations.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kNoTimeSelectionText = 17;
// The answer that hands an item to the system's own text handling (the notepad's text view).
constexpr OSStatus kEditItemForTextView = -9874;

// The Edit menu: the context is set from the front window, then the item runs in it (see the
// item table in edit_commands.cpp); 0, or kEditItemForTextView when the notepad takes it.
OSStatus DoEditMenuItem(int16_t item);
// Items 1..4 of the track-operations menu: 1 expand the current track's sequence references,
// 2 add events to the selected tracks, 3 unroll the selected tracks' sections, 4 split the
// selected tracks by channel.
void DoTrackOpsMenuItem(int16_t item);
// Menu 69: the track-operations menu.
void HandleMenu69(int16_t item);
// True when the time selection is not empty; otherwise application text 17 is reported.
bool RequireTimeSelection();
// The dialogs of Options items 1, 2, 14 and 18. Interim: 1, 2 and 18 are not built yet; nothing
// is shown. RunNudgeDialog (item 14) lives with the shift transforms.
void RunRfilterDialog();
void RunRpsetDialog();
void RunNudgeDialog();
void RunOptions18Dialog();
