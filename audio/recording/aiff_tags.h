// The tags of an AIFF or AIFF-C file (an "ID3 " chunk holding an ID3 version 2.2 tag: title,
// artist, album and year), and the test for a WAVE file's first chunk.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Length-prefixed texts of at most 63 characters and the year as a number (0 when none).
struct AudioFileTags {
  uint8_t title[64] = {0};
  uint8_t artist[64] = {0};
  uint8_t album[64] = {0};
  int32_t year = 0;
};

// Reads the header as ReadAiffHeader does and, with a tag record, also the file's tags (the
// chunks after "SSND" included). A tag chunk that is no ID3 version 2.2 tag, or that cannot be
// held in memory, is passed over; the header's result stands.
OSErr ReadAiffHeader(int16_t fork, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                     float* rate, AudioFileTags* tags);
// Walks the chunks from the fork's position (the start of the "FORM" chunk) for the "ID3 "
// chunk and reads its tags into the record (fields not found are left alone). noErr when a tag
// was read, else the error that ended the walk.
OSErr ReadAiffTags(int16_t fork, AudioFileTags* tags);
// Reads the frames of an ID3 version 2.2 tag (the 10-byte "ID3" header first) into the record;
// false for anything else. Every frame is bounded by the tag's bytes.
bool ParseId3v22Tag(const uint8_t* tag, uint32_t size, AudioFileTags* tags);
// True when bytes 8-11 of a file's first 16 read "WAVE" and bytes 12-15 "fmt ".
bool IsWaveHeader(const uint8_t* first16);
