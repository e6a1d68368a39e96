// Parsing one 'MTrk' chunk of a Standard MIDI File into a new event list.
//
// The chunk's events are assembled as live MIDI input is: running status, system-exclusive
// packets and escapes are handed byte by byte to a message assembler, while well-formed
// channel messages take a direct path. Notes are paired first on, first off per channel and
// key; a note still held at the end of the chunk ends at the track's end. Meta events are
// collected (names, markers, conductor changes), not applied: the importer applies them once
// the whole file has been read, so that a damaged file changes nothing.
//
// Every count read from the chunk is bounded by the chunk's end: variable-length numbers
// take at most four bytes, meta and system-exclusive lengths are cut at the chunk end, and
// a message cut short ends the track.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"

// How file times become song ticks.
struct SmfTiming {
  int32_t division = 96;            // ticks per quarter note of the file (at least 1)
  bool smpte = false;               // the division counts time-code frames
  int32_t framesPerSecond = 30;     // time code: 24, 25, 29 (29.97) or 30
  int32_t ticksPerFrame = 1;        // time code: at least 1
  int32_t ticksPerQuarter = 384;    // the song's resolution
  uint32_t offset = 0;              // added to every tick (a merge's start tick - 1)
  uint32_t scale = 0;               // ticksPerQuarter / division when that is whole, else 0
};

// Fills in the timing's derived fields after division and ticksPerQuarter were set.
void PrepareSmfTiming(SmfTiming* timing);

// Song tick of a file time: round(time x ticksPerQuarter / division) + 1 + offset, or for
// time code through the current song's tempo map; at most kSmfMaxTick.
uint32_t SmfTimeToTick(const SmfTiming* timing, uint64_t time);
constexpr uint32_t kSmfMaxTick = 0x7f000000;
// Longest note a record holds (its duration is a u16).
constexpr uint32_t kSmfMaxNoteDuration = 0xFFFF;
// Flags of a note that was still held when its track ended.
constexpr uint8_t kSmfHeldNoteFlags = 0x70;

enum : uint8_t {
  kSmfChangeTempo = 1,
  kSmfChangeMeter = 2,
  kSmfChangeKey = 3,
};

// A conductor change found in a chunk, applied after the file has been read.
struct SmfConductorChange {
  uint32_t tick = 1;
  uint8_t kind = 0;
  uint16_t value = 0;     // tempo in tenths of a beat per minute; meter ticks per beat; key code
  uint8_t beats = 0;      // meter: beats per bar
};

// A marker found in a chunk (text, lyric, marker and cue-point meta events).
struct SmfMarker {
  uint32_t tick = 1;
  uint8_t kind = 1;
  uint16_t value = 0;
  Str255 name = {0};
};

// The time-code start offset of the song (meta event 0x54).
struct SmfStartOffset {
  bool present = false;
  uint8_t rateCode = 0;  // 0 = 24, 1 = 25, 2 = 29.97, 3 = 30 frames per second
  uint8_t hours = 0, minutes = 0, seconds = 0, frames = 0, subframes = 0;
};

// What one chunk yields.
struct SmfTrackInfo {
  Handle events;                 // the event list with its end record (the caller owns it)
  uint32_t endTick = 1;          // the largest of end-of-track, last event and last note end
  uint16_t channelMask = 0;      // bit n: a channel message on MIDI channel n
  uint32_t noteCount = 0;
  Str32 trackName = {0};         // meta 3 (meta 1 when no meta 3 came)
  bool hasTrackName = false;     // from meta 3
  Str31 songName = {0};          // meta 3 of the first chunk, when it names the song
  bool hasSongName = false;
  Str32 instrumentName = {0};    // meta 4, at most 16 characters
  std::vector<SmfMarker> markers;
  std::vector<SmfConductorChange> changes;
  SmfStartOffset startOffset;
};

// Parse options that come from the import.
struct SmfTrackOptions {
  const SmfTiming* timing = nullptr;
  bool firstChunk = false;       // meta 3 names the song (see namesSong)
  bool namesSong = false;        // the song has no name yet, or the import makes a new song
  bool makeMarkers = true;       // false while the Option key is held
};

// Parses a chunk body into info. Returns 0, or the memory error when no room could be had for
// the events (info then holds no list).
OSErr ParseSmfTrackBytes(const uint8_t* data, uint32_t length, const SmfTrackOptions* options,
                         SmfTrackInfo* info);
// Disposes the list that info holds.
void DisposeSmfTrackInfo(SmfTrackInfo* info);
