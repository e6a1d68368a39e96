// The new-track template and the removal of empty tracks.
#pragma once

#include <cstdint>

#include "song/model/song_layout.h"

extern uint8_t gTrackTemplate[kTrackEntrySize];

// Largest length (in ticks) that the template takes over from a saved track.
constexpr uint32_t kTemplateMaxLength = 1;

bool SaveTrackTemplate(bool blankName);
void ResetTrackTemplate();
// No events, sections, drum data, regions or other blocks.
bool IsEmptyTrack(const uint8_t* entry);
void RemoveEmptyTracks();
