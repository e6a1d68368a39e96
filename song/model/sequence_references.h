// Sequence references and track restructuring: the children a time range touches, expanding a
// track's references into plain events of its song, splitting a track into one track per MIDI
// channel, and the key by which tracks of different songs are matched.
//
// A sequence reference is a 14-byte event of kind 0x50: its time is where the child starts
// (the child's tick 1 sounds there), its 24-bit length how long the child plays, and the u16
// at +6 the child's index in the track's child table times 4.
#pragma once

#include <cstdint>

#include "song/model/utility_iteration.h"

// What a track plays, to find the track of another song that plays the same: for a track that
// plays an entry of the instrument table (flag 0x20 of byte 13) the instrument word (+84) with
// bit 31 set; otherwise the type byte (+58) in bits 24..30, the instrument word in bits 8..23
// and the output byte (+17) in the low byte.
uint32_t GetTrackOutputKey(const uint8_t* entry);
// The track takes part in an expansion: its length is at least 2 and it is audible (flag
// 0x04 of byte 13).
bool IsAudibleTrackWithLength(const uint8_t* entry);
// The next group number of the current song: the last one given out + 1, modulo 256, where
// 0 (no group) is passed over. The song's counter is not changed.
uint8_t NextGroupNumber();

// The longest track length seen, and whether that track plays audio (output kind 1).
struct LongestTrackRecord {
  uint32_t length = 0;
  uint8_t audio = 0;
};
// Track search callback (record: a LongestTrackRecord); answers 0 so that every track is seen.
int32_t TakeLongestTrack(void* record, uint8_t* entry);
// For the current track: with grouped and a group, the longest length over its group;
// otherwise the track's own. flag (may be null) says whether that track plays audio.
void GetLongestGroupLength(uint32_t* length, uint8_t* flag, bool grouped);

// Per-event callback on gCurrentEvent: a note whose time + duration passes the end of the
// time selection ends there (its duration end - time, at least 1). Answers 0.
int32_t ClipNoteToRangeEnd();

// For the current track: every child that a sequence reference overlapping the time
// selection plays becomes the current song in turn, with the time selection clipped to the
// part the reference plays (in the child's own ticks, from 1) and the edit's note range open
// (0..127), and callback runs over the child's tracks that have events. A child played by two
// references over the same part is visited once. The context, the current event, the time
// selection and the note range come back afterwards. Answers the last callback's result.
int32_t ForEachReferencedChildInRange(TrackCallback callback, void* arg);

// Track command 1, as one undoable step: every sequence reference of the current track is
// replaced by the events of its child, copied into the tracks of the song that play the same
// output (made when missing), repeated while the child is shorter than the reference and cut
// at its end; a child with a name leaves a marker with it at the reference. The track's
// children are dropped and tracks left empty are removed. Shows progress; a cancel gives the
// song back as it was. An error that stopped the copy is reported.
void ExpandSequenceReferences();
// Track command 4, as one undoable step: each selected track split into one new track per
// MIDI channel its events use (ascending), each new track selected; sequence references and
// variable records stay in the source track.
void SplitSelectedTracksByChannel();
// Track search callback: splits the current track (see above); arg: the entry count before
// the command, so that tracks made by the command are not split again (null: none made).
int32_t SplitTrackByChannel(void* arg, uint8_t* entry);
// The index of the first entry from first on that plays channel (a track that plays an
// instrument is matched by that instrument's channel), or -1.
int32_t FindTrackForChannel(int32_t first, uint8_t channel);
