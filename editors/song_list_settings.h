// The song list's settings: how the songs play one after another, the pause between them, the
// total time in the header and the time column; and the dialog that edits them (DLOG 147).
#pragma once

#include <cstdint>

// Play modes: 0 each song alone, 1 (the first header button) and 2 (the second) the songs
// one after another.
constexpr uint8_t kSongListSingle = 0;
constexpr uint8_t kSongListChainOnce = 1;
constexpr uint8_t kSongListChainLoop = 2;
// Time column modes.
constexpr uint8_t kSongListNoTime = 0;
constexpr uint8_t kSongListDurations = 1;
constexpr uint8_t kSongListRemaining = 2;
constexpr uint8_t kSongListTimeModes = 3;
constexpr uint8_t kSongListShowTotal = 0x01;  // flags
constexpr uint8_t kSongListMaxPause = 200;    // seconds

struct SongListSettings {
  uint8_t playMode = kSongListSingle;
  uint8_t pause = 0;  // seconds between chained songs, 0..200
  uint8_t flags = 0;
  uint8_t timeMode = kSongListNoTime;
};
extern SongListSettings gSongListSettings;

// The header buttons' play-mode change: the first toggles 1 and 0, the second sets 2, or 0
// when it was 2. The document is marked modified.
void ToggleSongListPlayMode(int16_t button);
// The time-mode area of the header: 0, 1, 2, then 0 again.
void CycleSongListTimeMode();
// The settings dialog: the pause (0..200), the total check box (item 11) and the time mode
// radios (items 12..14). OK stores them and marks the document modified; true then.
bool EditSongListSettings();
