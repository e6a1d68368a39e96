// Meta events of a Standard MIDI File track: names, markers and lyrics, tempo, meter, key
// signature and the time-code start offset. They are collected into the chunk's SmfTrackInfo
// and applied by the importer once the file has been read.
#pragma once

#include <cstdint>

#include "song/smf/smf_track_parser.h"

enum : uint8_t {
  kSmfMetaText = 0x01,
  kSmfMetaCopyright = 0x02,
  kSmfMetaTrackName = 0x03,
  kSmfMetaInstrumentName = 0x04,
  kSmfMetaLyric = 0x05,
  kSmfMetaMarker = 0x06,
  kSmfMetaCuePoint = 0x07,
  kSmfMetaEndOfTrack = 0x2F,
  kSmfMetaTempo = 0x51,
  kSmfMetaSmpteOffset = 0x54,
  kSmfMetaTimeSignature = 0x58,
  kSmfMetaKeySignature = 0x59,
};

// Marker kinds the import makes.
constexpr uint8_t kSmfMarkerKindText = 1;   // notice texts, markers and cue points
constexpr uint8_t kSmfMarkerKindLyric = 2;
constexpr uint16_t kSmfCuePointValue = 1;   // the value that tells a cue point
// The most markers one import makes, over all its chunks (each is stored by a walk of the
// marker list, and a marker event is a few bytes of a file).
constexpr int32_t kSmfMaxMarkers = 8192;

// Tempo limits of the import, tenths of a beat per minute: a slower tempo becomes 120.0 beats
// per minute, a faster one (and a tempo of 0 microseconds) 450.0.
constexpr int32_t kSmfSlowTempoFallback = 1200;
constexpr int32_t kSmfMinTempo = 120;
constexpr int32_t kSmfMaxTempo = 4500;

// One meta event of length bytes at data (already cut at the chunk end). Returns true for the
// end-of-track event.
bool HandleSmfMetaEvent(uint8_t type, const uint8_t* data, uint32_t length, uint32_t tick,
                        const SmfTrackOptions* options, SmfTrackInfo* info);

// Tenths of a beat per minute for a tempo of microseconds per quarter note.
int32_t SmfTempoFromMicroseconds(uint32_t microseconds);
// The key code of a key signature (sharps positive, flats negative), or -1 outside -7..7:
// n sharps as n, n flats as (12 - n) with the flat spelling bit.
int32_t SmfKeyCode(int8_t accidentals);
// Beats per bar and ticks per beat of a time signature at the song's resolution; false when
// the event carries no meter (a numerator or power of 0). The power is cut to 6 and the
// numerator to 1..64 and to what keeps a bar within 65535 ticks.
bool SmfMeter(uint8_t numerator, uint8_t power, int32_t ticksPerQuarter, uint8_t* beats,
              uint16_t* ticksPerBeat);
