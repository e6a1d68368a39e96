// A track's drum map (TrackEntry +240) as playback and the edit filters read it: the map's flag
// byte, the row of each note and the flags of each note (bit 2: the note sounds, which the map
// derives from its solo and mute marks).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kDrumMapFlags = 35;
constexpr uint8_t kDrumMapSelectsMarkedRows = 0x02;
constexpr int32_t kDrumMapRowOfNote = 180;
constexpr int32_t kDrumMapNoteFlags = 436;
constexpr uint8_t kDrumNoteSounds = 0x04;
constexpr uint8_t kDrumNoteRowMarked = 0x08;
constexpr Size kDrumMapMinimumSize = 564;

// The track's map, or null when it has none (or one too short to hold the tables).
const uint8_t* GetTrackDrumMap(const uint8_t* entry);
// Whether a note of the track sounds by its map: true without a map.
bool DrumMapNoteSounds(const uint8_t* entry, uint8_t note);
