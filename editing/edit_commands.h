// The editing commands: the Edit and transform menus, menu 69, the
// editing dialogs of the Options menu, and the time-selection check of range operations.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kNoTimeSelectionText = 17;

// The Edit menu. Undo (1) and Redo (2) go through the undo ring (a failed exchange is
// reported); with nothing to undo or redo, and for the clipboard and selection items until
// the editing commands are built, -9874, so that the system's text handling can take them.
OSStatus DoEditMenuItem(int16_t item);
// The transform menu's operations besides the tempo and signature dialogs. Interim: the
// transform dialogs are not built yet; nothing is changed.
void DoTransformMenuItem(int16_t item, int32_t flags);
// Menu 69 (list options). Interim: the list editors are not built; nothing is changed.
void HandleMenu69(int16_t item);
// True when the time selection is not empty; otherwise application text 17 is reported.
bool RequireTimeSelection();
// The dialogs of Options items 1, 2, 14 and 18. Interim: not built yet; nothing is shown.
void RunRfilterDialog();
void RunRpsetDialog();
void RunNudgeDialog();
void RunOptions18Dialog();
