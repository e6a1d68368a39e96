// A track's play settings: the transpose and velocity offset added to its notes as they are
// played, the grid its events are quantised to when played, and its pattern mode. They are
// fields of the TrackEntry (song_layout.h) and so are saved with the document; the events
// themselves are never changed by them.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int16_t kMaxTrackTranspose = 127;       // semitones either way
constexpr int16_t kMaxTrackVelocityOffset = 127;  // either way
constexpr int16_t kMaxTrackPlayGrid = 0x7FFF;     // ticks
constexpr uint8_t kMaxTrackPlayMode = 3;          // 3: a pattern track whose sections stay

// Setters on the current track of the current song: a value out of range, or no real current
// track, leaves the track alone and answers paramErr. A change marks the song modified and
// tells a clock that plays the song to take the new value at its next tick.
OSErr SetTrackTranspose(int16_t semitones);
OSErr SetTrackVelocityOffset(int16_t offset);
OSErr SetTrackPlayGrid(int16_t ticks);
OSErr SetTrackPlayMode(uint8_t mode);

int16_t GetTrackTranspose();
int16_t GetTrackVelocityOffset();
int16_t GetTrackPlayGrid();
uint8_t GetTrackPlayMode();
