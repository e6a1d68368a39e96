// The song list's time column: each song's duration (header +132, in subframes from its
// start to its end tick), its text, the column's width and the total of the header.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The duration of a song whose length cannot be worked out.
constexpr uint32_t kUnknownSongDuration = 0x7fffffff;

// Works out the current song's duration into its header (+132); the conductor state is left
// at the song's first tick.
void UpdateSongDuration();
// "m:ss" or "h:mm:ss" of a time in subframes; "-----" for an unknown duration.
void FormatSongListTime(uint32_t subframes, Str255 out);
// The pause between chained songs, in subframes.
uint32_t SongListPauseTime();
// The header's total: every song's duration (unknown ones count 0) plus the pause after it.
uint32_t SumSongListTimes();
// The width of the time column: the total's text and a time.
int16_t MeasureSongListTimeColumn();
