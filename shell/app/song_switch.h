// Keeping the windows consistent with the song model after a global change: another song
// becoming current, the play position being set, the program coming back to the foreground.
#pragma once

#include <cstdint>

#include "platform/windows/scrap.h"
#include "song/events/time_selection.h"

// The last position located to.
extern uint32_t gLastLocatedPosition;
// Bit 0x10: the editors are to follow the next locate.
extern uint16_t gLocateDisplayFlags;
// The position the counters show.
extern uint32_t gCounterPosition;
// The scrap seen last; a change of it clears gClipboardOwned (editing/event_clipboard.h).
extern ScrapRef gRememberedScrap;

// Brings every window, menu and engine setting up to date after another song became
// current. mode: 1 when the record track is to be set again.
void RefreshAfterSongSwitch(int16_t mode);
// Marks every visible window of the program for redrawing.
void DrawAllVisibleWindows();
// 0: to the start of the time selection, which becomes the clock's play range; else to that
// tick.
void LocateToPosition(uint32_t position);
// Fills the application's entries of gKeyCommandHooks (editors/key_command_hooks.h): the
// locate of the key commands. Called by InstallProgramHooks.
void InstallKeyCommandLocateHooks();
void ShowPositionInCounters(uint32_t position);
// Fills gSelectionHooks (editors/selection/selection_hooks.h): the main editor's selection
// locates the transport through LocateToPosition.
void InstallSelectionHooks();

// Follows a suspend or resume (gAppState word 3: 0 in the foreground).
void ApplyForegroundChange();
void RememberScrap();
// Clears the clipboard state byte when another program changed the scrap.
void UpdateScrapCount();
