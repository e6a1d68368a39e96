// Reading a Standard MIDI File from the stream: chunks ({four-character id, u32 length} and
// the body), the 'MThd' header and variable-length numbers. Every length and count read
// from the file is checked against what the file and the chunk really hold.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr uint32_t kSmfHeaderChunk = 0x4D546864;  // 'MThd'
constexpr uint32_t kSmfTrackChunk = 0x4D54726B;   // 'MTrk'
constexpr int32_t kSmfChunkHeaderSize = 8;
constexpr int32_t kSmfHeaderBodySize = 6;
constexpr int32_t kSmfMaxVariableBytes = 4;
// Song tracks an import makes at most.
constexpr int32_t kSmfMaxTracks = 47;

struct SmfHeader {
  uint16_t format = 0;
  uint16_t trackCount = 0;  // as the header states it
  int16_t division = 0;     // as stored: ticks per quarter, or negative for time code
};

// Reads a variable-length number (7 bits a byte, high bit: more bytes follow) of at most
// four bytes from *cursor, which must stay below end; a fourth byte ends the number whatever
// its high bit. Returns false (cursor unchanged) when the number runs past end.
bool ReadVariableLengthNumber(const uint8_t** cursor, const uint8_t* end, uint32_t* value);

// Loads the next chunk of the wanted id from the stream into gSmfChunk (a new locked handle;
// the previous chunk is freed), skipping chunks of other ids. Returns 0, the memory error,
// or 43 ('MThd' wanted) / 71 (any other id) when the file ends, a read fails or the chunk is
// cut short. The chunk's bytes are HandleData (gSmfChunk), GetHandleSize (gSmfChunk) long.
OSErr ReadSmfChunk(uint32_t id);
// Reads the 'MThd' chunk and its first three fields. 43 when there is none; 80 when the file
// starts with one whose length is below six bytes or runs past the end; 81 for a format above
// 2; 82 for a division of zero ticks per quarter note.
OSErr ReadSmfHeader(SmfHeader* header);
