// What the main editor's visible panes show of a track, which decides whether a range edit
// takes the track's events, its audio or both.
#pragma once

#include <cstdint>

// The audio views: waveform, regions and their variants.
bool IsAudioViewMode(uint8_t mode);
// events: a visible track pane of the track shows a view other than an audio view; audio: one shows
// an audio view. Without panes the track's own view mode stands for one.
void GetTrackShownViews(const uint8_t* track, bool* events, bool* audio);
