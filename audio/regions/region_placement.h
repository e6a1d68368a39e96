// Placing regions into a list: pasting records (with the silence of a gap before them),
// replacing a span of a track's audio, and placing a finished take. A track audio record is
// the 158-byte record a track holds its audio in (song/instruments/plugin_records.h): its
// region list at +126 and its rate at +32. Main thread.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Registration flags of a pasted region's file.
constexpr int16_t kRegisterTakeFile = 2;
constexpr int16_t kRegisterPastedFile = 64;
constexpr int16_t kRegisterPastedTakeFile = 66;

// The region list and the rate of a track audio record.
Handle TrackAudioRegionList(Handle trackAudio);
void SetTrackAudioRegionList(Handle trackAudio, Handle list);
float TrackAudioRate(Handle trackAudio);

// Inserts at index of dest the silence of (gapEnd - gapStart) frames followed by copies of the
// source records [first, end). Each pasted record waiting with a file alias has its file
// registered (flags by mode and the record's flag 0x0008) and the alias cleared; the first
// failure stops the registration and is returned, and records left without a file are marked
// missing (they play silence). The list is normalised.
OSErr PasteRegions(Handle source, int32_t first, int32_t end, Handle dest, int32_t index, int64_t gapStart,
                   int64_t gapEnd, int16_t mode);
// Replaces [a, b) of the track audio's list by the source records [first, end); with merge and
// audible audio on both sides, by the two mixed into a new file. A track audio without a list
// gets one, with silence up to a.
OSErr ReplaceRegions(Handle trackAudio, int64_t a, int64_t b, Handle source, int32_t first, int32_t end,
                     bool merge);
// Places a take's records over its span from startTick to endTick, extending the list with
// silence when the take starts after its end; the overview of the span is refreshed.
OSErr PlaceTakeRegions(Handle trackAudio, Handle take, uint32_t startTick, uint32_t endTick);
