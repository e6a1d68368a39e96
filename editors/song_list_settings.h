// The song list's settings: how the songs play one after another, the pause between them, the
// total time in the header and the time column; and the dialog that edits them (DLOG 147).
#pragma once

#include <cstdint>

#include "song/prefs/window_layout.h"

// The settings themselves belong to the window layout, which keeps them in the preferences.
extern SongListSettings& gSongListSettings;

// The header buttons' play-mode change: the first toggles 1 and 0, the second sets 2, or 0
// when it was 2. The document is marked modified.
void ToggleSongListPlayMode(int16_t button);
// The time-mode area of the header: 0, 1, 2, then 0 again.
void CycleSongListTimeMode();
// The settings dialog: the pause (0..200), the total check box (item 11) and the time mode
// radios (items 12..14). OK stores them and marks the document modified; true then.
bool EditSongListSettings();
