// Accessors for the current song, track and event.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The TrackEntry with index i of the current song (walked by the records' lengths), or null
// when there is no song or the walk leaves the song block or meets a damaged length.
uint8_t* GetTrackEntryAt(int32_t i);
// The entry's name without its padding (the stored name ends at a zero byte or the trailing
// blanks).
void GetTrackNameText(const uint8_t* entry, Str255 text);
// The song's current-entry index, 0 without a song.
int32_t GetCurrentTrackIndex();
bool HasValidCurrentTrack();
// gCurrentTrack becomes the current entry, or gTrackTemplate without a song or valid index.
void UpdateCurrentTrackPtr();
void SetCurrentTrackIndex(int32_t i);
// Ignored for n > 255; otherwise the entry that owns number n becomes current.
void SelectTrackNumber(int32_t n);
void LockCurrentTrackEvents();
void UnlockCurrentTrackEvents();
// The first SeqEvent of the current track's list, null without a list.
uint8_t* GetCurrentTrackEventsPtr();
// The current track's event-list handle (0 without a song, a valid track or a list).
Handle GetCurrentTrackEventList();
// Advances gCurrentEvent by the length of the event it points at.
void NextEvent();
// The first event after every event at time t (for t > 0), else the first at or after t.
uint8_t* FindEventAfterTime(uint8_t* list, int32_t t);
bool IsCurrentTrackFlag40Set();
// Puts v into the high byte of the current track's first instrument word and marks the
// track as playing an entry of the instrument table.
void SetTrackEntryValue(uint8_t v);
