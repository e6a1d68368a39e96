// Lyrics: a text file becomes lyric markers (marker kind 2), one word a marker, which are
// then placed on the notes of the current track.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/files/files.h"

constexpr uint8_t kLyricMarkerKind = 2;
// The most words one file gives (each becomes a marker, stored by a walk of the list).
constexpr size_t kMaxLyricWords = 8192;

// Splits text into words at blanks and control characters (codes below 14); a word keeps
// one following blank. Words longer than 255 characters are cut; words beyond
// kMaxLyricWords are left out.
void SplitLyricWords(const uint8_t* text, uint32_t length, std::vector<std::vector<uint8_t>>* words);
// Reads the text file at fileSpec: each word a lyric marker at consecutive ticks from
// insertionTick, then PlaceLyricMarkers (-1, insertionTick). Only when the current track has
// events (-50 otherwise). All or nothing: a memory shortage leaves the markers as they were.
// Returns 0, -50, the memory error (reported) or the file error.
OSErr ImportLyricsFile(const FSSpec* fileSpec, uint32_t insertionTick);
// Moves lyric markers onto the notes of the current track from start on: with a negative
// limit the lyric markers at or after start, else those whose place in the marker list is at
// least limit. Each takes the time of the next note; a '-' or a blank inside its text (not
// its trailing blank) makes it take one more note. Without a following note a marker lands
// one quarter note after the one before.
void PlaceLyricMarkers(int32_t limit, uint32_t start);
